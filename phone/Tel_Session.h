// The telephone mode behind the link functions: sending a key, the start
// and the end of the mode over either link, the receive thread with its two
// loops, the dump file, and the rules for the dump file's name.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "phone/TelStream.h"

class UserTimer;

// Key codes of the telephone set's buttons.
enum TelKeyCode : uint8_t {
  TEL_KEY_SYS1 = 0x91,  // .. TEL_KEY_SYS1 + 9 for Sys10
  TEL_KEY_SET = 0x0A,
  TEL_KEY_PAGE_UP = 0x18,
  TEL_KEY_PAGE_DOWN = 0x19,
  TEL_KEY_FF1 = 'a',  // .. 'l' for FF12
  TEL_KEY_DIAL0 = '0',
  TEL_KEY_STAR = '*',
  TEL_KEY_SHARP = '#',
  TEL_KEY_REDIAL = 0x09,
  TEL_KEY_HOOK = 0x08,
  TEL_KEY_SHORT = 0x1F,
  TEL_KEY_CONF = 0x1E,
  TEL_KEY_RSV = 0x0D,
  TEL_KEY_VOL_UP = 0x0E,
  TEL_KEY_VOL_DOWN = 0x0F,
};

// Sends one key code: over Ethernet command "D" with the code (nothing, and
// true, before the receive loop is ready), else the raw byte on the port.
// A failed send posts TEL_MSG_SEND_FAILED and gives false.
bool Tel_ComSend(TelSessionState& s, uint8_t code);

// Starts the mode over Ethernet with the form's timer (started and
// registered here). TelStartFailed tells the outcome; a refusal ("/" with
// "1" as second payload byte, or 0xF1) counts as a failure. The receive
// thread is to be started in every case.
void Tel_StartEthernet(TelSessionState& s, UserTimer& timer);
// Starts the mode on the serial port: false when the port is not open
// (TelWatcherDone set, nothing sent, no thread to start).
bool Tel_StartSerial(TelSessionState& s);

// Ends the mode over Ethernet after the receive thread has finished: the
// end code unless the line was lost, then the timer is freed and the link
// drained (a disconnect notice there sets LineLost and posts
// TEL_MSG_END_LINE_LOST).
void Tel_EndEthernet(TelSessionState& s, std::unique_ptr<UserTimer>& timer);
// Ends the mode on the serial port after the receive thread has finished:
// the end code unless the start failed, then the exchange's answer is read
// until "SET MODE", a short or empty read or an error. Returns the answer.
std::string Tel_EndSerial(TelSessionState& s);

// The receive thread of one session. It frees nothing of the form's; the
// owner joins it.
class TCommWatch {
 public:
  // Serial: adds EV_RXCHAR to the port's event mask. Then starts the thread.
  TCommWatch(TelSessionState& s, TelDisplayStream& stream);
  ~TCommWatch();
  TCommWatch(const TCommWatch&) = delete;
  TCommWatch& operator=(const TCommWatch&) = delete;
  // Waits for the thread (the owner ends it first: event mask cleared, or
  // TelEndRequest set).
  void Join();

 private:
  void Execute();
  void SerialWatch();
  void LanWatch();
  TelSessionState& s_;
  TelDisplayStream& stream_;
  std::thread th_;
};

// The dump file: opened for appending (created when missing), every byte
// written straight through, so the file holds all that came up to a
// failure. A failed write (a full disk) cuts the file back to its last
// whole line, so that the viewer and the next dump never meet half a line.
// A file without write permission is not opened.
class TelDumpFile {
 public:
  ~TelDumpFile() { Close(); }
  bool Open(const std::string& path);
  bool Write(uint8_t b);
  bool Close();
  bool IsOpen() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
  // The file's size as written so far, and where its last whole line ends
  // (the size at opening until a line feed is written); -1 where the file
  // has no size to cut back to (a device).
  off_t size_ = -1;
  off_t lineEnd_ = -1;
};

// The dump file for a folder and a name as the file-name entry gives them:
// joined with one "/", and ".Dmp" appended unless ".DMP" appears anywhere
// in the upper-cased path.
std::string Tel_DumpFileName(const std::string& folder, const std::string& name);
// True when two dump paths name different files (compared upper-cased).
bool Tel_DumpPathChanged(const std::string& before, const std::string& after);

// The dump folder from ENVIRON.DAT of ProgramDir (field 1), without a
// trailing "/": ProgramDir when the file is missing or unreadable, or the
// folder does not exist. rcvTimeOutMs receives field 7 in milliseconds when
// it is a usable number of seconds, else it is left alone.
std::string Tel_ReadDumpFolder(int* rcvTimeOutMs);
// The file proposed at every showing: the folder + "/Default.dmp".
std::string Tel_DefaultDumpFile(const std::string& folder);
