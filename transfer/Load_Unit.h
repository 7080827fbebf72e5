// The load: checks a data file or a command file line by line against the
// control file, converts each line into the exchange's command text, sends
// it over the serial line or UDP, lists faulty and refused lines, retries
// them in a second pass and ends the session. Plain C++; the form sees it
// through LoadView and the shared counters below.
#pragma once

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "transfer/LoadErr_Unit.h"

// Pauses of the load protocol; tests shorten them.
struct LoadTiming {
  int beforeSessionMs = 10;
  int openToBeginMs = 500;
  int beforePieceMs = 50;      // serial, before each piece
  int beforeEndByteMs = 1000;  // before 0x8F after a refusal, a failure and at the end
  int beforeDeleteMs = 50;     // before the retry file is deleted
  int fixPollMs = 100;
  int pieceTimeOutSec = 5;     // UDP time-out of one piece
};
void Load_SetTiming(const LoadTiming& t);
LoadTiming Load_GetTiming();

// Shared between the load thread and the form.
extern std::atomic<int> LoadPhase;  // 0 control file, 1 pre-check, 2 send
extern std::atomic<int> LoadCancel;
extern std::atomic<int> LoadFixResult;  // 0 while the fix dialog is open, then its modal result
extern std::atomic<int> LoadLineNo;
extern std::atomic<int> LoadTotal;
extern std::atomic<int> LoadDoneCount;
extern std::atomic<int> LoadErrCount;
std::string Load_MenuCaption();
void Load_SetMenuCaption(const std::string& caption);

// "n/m(p%)" and the bar position p of the counters (p at most 100).
int Load_Percent(int done, int total);
std::string Load_ProgressText(int done, int total);
// The message number the form shows for a finished load.
std::string Load_ResultMessage(int phase, int result, bool lineLost, bool cancelled);

// What kind of load a kind number of a system type is.
enum class LoadRole { RangeData, OtherData, Part, Command, Kanji };
LoadRole Load_Role(int systemType, int kind);
// "TEL=", "ID=" or "NO=".
std::string_view Load_RangeKey(int systemType, int kind);

// Everything the thread needs, copied before it starts.
struct LoadParams {
  int systemType = 0;
  int kind = 0;
  std::string folder;    // ending in "/": the loaded file and the lists are here
  std::string fileName;  // inside folder
  bool rangeOn = false;
  std::string rangeFrom, rangeTo;
  bool fixErrors = false;
  bool readControl = true;  // false when the command-file list has it read already
  bool ethernet = false;
  int linkTimeOutSec = 10;
  int retryCount = 2;
  int rcvTimeOutMs = 3000;
};

// The form's side, called from the load thread. Every call must return
// without waiting for the UI thread.
class LoadView {
 public:
  virtual ~LoadView() = default;
  virtual void ToggleCursor() = 0;                 // WM_USER+202
  virtual void ShowCounters() = 0;                 // progress text, error count, bar
  virtual void ShowErrCount() = 0;
  virtual void StartTimer() = 0;                   // the 50 ms progress timer
  virtual void ShowLine(const std::string& line, bool memoFull) = 0;
  // The fix dialog with copies of the texts (WM_USER+201); the answer
  // comes back by Load_FixAnswer.
  virtual void AskFix(const std::string& errText, const std::string& line) = 0;
};

// The UI thread's answer to AskFix: the edited line, then the result (1
// continue, else stop), which the thread polls.
void Load_FixAnswer(int result, const std::string& line);

class LoadEngine {
 public:
  LoadEngine(LoadParams p, LoadView& view);
  // The thread's whole run; its result.
  int Execute();

  // Parts, public for the tests.
  int Cmd_PreCheck();
  int Load_Send();
  int Line_Count();
  bool Range_Check(std::string_view text, bool previous) const;
  // The entries of a line by the current menu's terminator.
  static std::vector<std::string> Entries(std::string_view line, char terminator);
  static int Reply_Class(const char* reply, int length, bool udp);
  // 0 done, 1 failed; Refused() and ExchCode() (padded to six) tell of a
  // refusal with a code.
  int Line_Send(const std::string& text);
  bool Session_Open();
  bool Session_Begin();
  void Session_End();
  int RetryLine_Write(std::string_view line);
  int ErrLine_Write(std::string_view code, std::string_view line);
  const std::string& ExchCode() const { return exchCode_; }
  bool Refused() const { return refused_; }

 private:
  void Pause(int ms) const;
  void SendEndByte();
  bool IsCommand() const { return role_ == LoadRole::Command; }
  bool IsKanji() const { return role_ == LoadRole::Kanji; }
  bool RangeApplies() const { return role_ == LoadRole::RangeData && p_.rangeOn; }
  // The fix dialog after a listed fault: 1 continue with fixed, 0 stop.
  int AskFix(const std::string& errText, const std::string& line, std::string& fixed);

  LoadParams p_;
  LoadView& view_;
  LoadRole role_;
  LoadTiming t_;
  std::string exchCode_;
  bool refused_ = false;
  loaderr::OutFile out_;  // the pass's error list
  // The retry file: open, and so locked as the load's own, from its first
  // pass to its removal at the load's end.
  loaderr::OutFile retry_;
  bool memoFull_ = false;
  int memoLines_ = 0;
};
