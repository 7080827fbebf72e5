#include "link/ConnModem.h"

#include <initializer_list>

#include "link/LinkResult.h"
#include "platform/Cp932.h"

bool ModemConnected = false;

namespace {

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return u;
}

enum AnswerEnd { ANSWER_WORD, ANSWER_SILENCE, ANSWER_READ_FAILED };

// Collects answer bytes one at a time until a text ended by CR LF holds one
// of the words (anywhere, the command's echo included); texts with none of
// them are dropped. The read time-out counts per byte of silence.
AnswerEnd ReadAnswer(LinkPort& port, std::initializer_list<std::string_view> words, size_t& which) {
  std::string text;
  for (;;) {
    std::string b;
    int r = port.ReadBytes(1, b);
    if (r == LINK_TIMEOUT || (r == LINK_OK && b.empty())) return ANSWER_SILENCE;
    if (r != LINK_OK) return ANSWER_READ_FAILED;
    text += b;
    if (text.find("\r\n") == std::string::npos) continue;
    std::string u = Upper(text);
    size_t i = 0;
    for (std::string_view w : words) {
      if (u.find(w) != std::string::npos) {
        which = i;
        return ANSWER_WORD;
      }
      ++i;
    }
    text.clear();
  }
}

}  // namespace

bool Conn_ModemInit(LinkPort& port, const ModemSettings& m) {
  if (m.initCmd.empty()) return true;
  port.SetRcvTimeOut(m.initTimeOutMs);
  port.Purge();
  if (port.WriteBytes(m.initCmd + "\r") != LINK_OK) return false;
  size_t w = 0;
  return ReadAnswer(port, {"OK", "ERROR"}, w) == ANSWER_WORD && w == 0;
}

bool Conn_Dial(LinkPort& port, const ModemSettings& m, std::string_view dialString) {
  port.SetRcvTimeOut(m.dialTimeOutMs);
  bool connected = false;
  bool dialSent = false;
  for (int i = 0; i < 2; ++i) {
    const std::string& cmd = m.dialCmd[i];
    if (cmd.empty()) {
      if (i == 0) continue;
      break;
    }
    std::string out = cmd;
    if (Upper(cmd).find("ATD") != std::string::npos) {
      out += dialString;
      dialSent = true;
    }
    if (port.WriteBytes(out + "\r") != LINK_OK) return false;
    size_t w = 0;
    AnswerEnd e;
    if (dialSent) {
      e = ReadAnswer(port, {"CONNECT", "ERROR", "BUSY", "NO DIALTONE", "NO ANSER", "NO ANSWER", "NO CARRIER"}, w);
      if (e == ANSWER_WORD && w == 0) connected = true;
      else if (e == ANSWER_WORD) return false;
    } else {
      e = ReadAnswer(port, {"OK", "ERROR"}, w);
      if (e == ANSWER_WORD && w == 1) return false;
    }
    if (e == ANSWER_READ_FAILED) return false;
    port.Pause(kModemCommandPauseMs);
  }
  return connected;
}

bool Conn_HangUp(LinkPort& port, const ModemSettings& m) {
  if (!ModemConnected) return true;
  port.SetRcvTimeOut(m.hangUpTimeOutMs);
  port.Purge();
  ModemConnected = false;
  for (const std::string& cmd : m.hangUpCmd) {
    if (cmd.empty()) continue;
    const bool escape = cmd == "+++";
    if (port.WriteBytes(escape ? cmd : cmd + "\r") != LINK_OK) return false;
    size_t w = 0;
    AnswerEnd e = ReadAnswer(port, {"OK"}, w);
    if (e == ANSWER_READ_FAILED) return false;
    if (e == ANSWER_WORD) port.Pause(escape ? kModemEscapePauseMs : kModemCommandPauseMs);
  }
  return true;
}

void TermLineCollector::Feed(std::string_view bytes,
                             const std::function<void(const std::string&)>& onLine) {
  for (char c : bytes) {
    if (c == '\b' && !line_.empty()) {
      // Never leave half of a double-byte character behind.
      line_.resize(cp932::CutLength(line_, line_.size() - 1));
    } else if (c == '\r' || c == '\n') {
      if (!line_.empty()) {
        std::string done;
        done.swap(line_);
        onLine(done);
      }
    } else {
      line_ += c;
    }
  }
}
