// The modem dialogue on the public line: initialisation, dialling and
// hang-up with AT commands, each answered by text lines that are judged by
// the words they hold; and the line assembly of the AT terminal.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "link/ConnSettings.h"
#include "link/LinkPort.h"

// True from a successful automatic dial until the hang-up; false at start
// and at the start of every serial connection.
extern bool ModemConnected;

// Pause after every modem command's answer, and after the escape "+++".
constexpr int kModemCommandPauseMs = 500;
constexpr int kModemEscapePauseMs = 1500;

// Sends the initialisation command and waits for "OK" ("ERROR", a failed
// read or write, or silence for one read time-out fail). An empty command
// succeeds without any traffic.
bool Conn_ModemInit(LinkPort& port, const ModemSettings& m);

// Runs dial commands 1 and 2; a command holding "ATD" carries the dial
// string. True only when "CONNECT" was answered.
bool Conn_Dial(LinkPort& port, const ModemSettings& m, std::string_view dialString);

// Sends the hang-up commands when the modem is connected ("+++" without CR,
// anything else with CR), each waited for up to one read time-out. false
// only when a write or read on the port fails.
bool Conn_HangUp(LinkPort& port, const ModemSettings& m);

// Assembles the bytes the modem sends in the AT terminal into lines: a
// backspace removes the last character of a non-empty line, CR or LF hands
// a non-empty line on, anything else is appended.
class TermLineCollector {
 public:
  void Feed(std::string_view bytes, const std::function<void(const std::string&)>& onLine);
  const std::string& Pending() const { return line_; }

 private:
  std::string line_;
};
