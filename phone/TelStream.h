// The telephone image's receive side without any form: the session state
// the form and its receive thread share, the interpreter of the bytes the
// exchange sends in telephone mode (display lines, dumps), and the printed
// dump listing. Outputs are injected, so the interpreter runs byte by byte
// in tests.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

// Control codes of the telephone mode.
constexpr uint8_t TEL_CODE_START = 0x80;
constexpr uint8_t TEL_CODE_DUMP_START = 0x82;
constexpr uint8_t TEL_CODE_DUMP_END = 0x83;
constexpr uint8_t TEL_CODE_ABORT_DUMP = 0x8E;
constexpr uint8_t TEL_CODE_END = 0x8F;

// Window messages of the telephone image (QEvent::User + n).
enum TelMessage : int {
  TEL_MSG_SEND_FAILED = 300,     // "9085"
  TEL_MSG_PRINT_FAILED = 301,    // "9091"
  TEL_MSG_DUMP_FILE_FAILED = 302,  // "9009": the dump file cannot be opened or written
  TEL_MSG_CLOSE = 303,           // "5801" after a failed start; closes the form
  TEL_MSG_LINE_LOST = 304,       // "5301"; closes the form
  TEL_MSG_END_LINE_LOST = 305,   // "5301" after the form closed
};

// Pauses of the telephone mode; tests shorten them.
struct TelTiming {
  int bellPauseMs = 500;  // between the two beeps of 0x07
  int endRoundMs = 200;   // between the reads of the answer to the end code (serial)
  int endRoundsMax = 25;  // a line that keeps talking cannot hold the close longer
};
void Tel_SetTiming(const TelTiming& t);
TelTiming Tel_GetTiming();

// Shared by the form (UI thread) and the receive thread. The integers are
// read per byte without a lock, so they are atomics.
struct TelSessionState {
  std::atomic<int> TelOutputMode{1};  // 1 dump to file, 2 dump to printer
  std::atomic<int> TelRecvState{0};   // 0 display, 1 inside a dump, 2 dump being aborted
  std::atomic<int> TelDumpOutput{0};  // 0 nothing open, 1 dump file, 2 print job
  std::atomic<int> TelDispLine{0};    // 0 none yet, else 1..7
  std::atomic<bool> TelStartFailed{false};
  std::atomic<bool> TelEndRequest{false};
  std::atomic<bool> TelLanReady{false};
  std::atomic<bool> TelLanStopped{false};
  std::atomic<bool> TelWatcherDone{false};
  // Copied in before the session starts.
  bool ethernet = false;
  int rcvTimeOutMs = 1000;
  // Receives the window messages; any thread.
  std::function<void(int)> post;

  void Post(int msg) const {
    if (post) post(msg);
  }
  // The dump file chosen on the form; the receive thread opens it at each
  // dump start, the form may change it meanwhile.
  void SetDumpPath(const std::string& p) {
    std::lock_guard<std::mutex> g(pathMu_);
    dumpPath_ = p;
  }
  std::string DumpPath() const {
    std::lock_guard<std::mutex> g(pathMu_);
    return dumpPath_;
  }
  // The UI thread's abort of a dump in progress (output switch, new file):
  // true when the dump was running. Only a running dump is turned into an
  // abort, so that an abort racing with the dump's end never leaves the
  // display waiting for an end that has already come.
  bool AbortDump() {
    int running = 1;
    return TelRecvState.compare_exchange_strong(running, 2);
  }

 private:
  mutable std::mutex pathMu_;
  std::string dumpPath_;
};

// What the printed listing draws on: one print job on the shared printer.
class TelPrintCanvas {
 public:
  virtual ~TelPrintCanvas() = default;
  // Starts the job with this name; false when it cannot be started.
  virtual bool Begin(const std::string& jobName) = 0;
  // Height of a page and of one line of the listing's font, both in the
  // printer's own units.
  virtual int PageHeight() = 0;
  virtual int LineHeight() = 0;
  // CP932 text with its top at y.
  virtual void Text(int y, const std::string& text) = 0;
  virtual void NewPage() = 0;
  virtual void End() = 0;
};

// The printed dump listing: a page head, then one line a row, a new page
// when the page is full.
class TelDumpPrint {
 public:
  static constexpr char kJobName[] = "O.R.V.O";
  static constexpr int kIndent = 15;

  explicit TelDumpPrint(TelPrintCanvas& canvas) : c_(canvas) {}
  // Starts the job and prints the first page head; false when the job
  // cannot be started.
  bool Begin();
  void Line(const std::string& text);
  // The last line and the end of the job.
  void EndWithPending(const std::string& text);
  // Ends the job without a last line.
  void End();
  int LinesPerPage() const { return perPage_; }
  int Pages() const { return page_; }

 private:
  void Head();
  TelPrintCanvas& c_;
  int perPage_ = 0;
  int step_ = 1;
  int y_ = 0;
  int count_ = 0;
  int page_ = 0;
};

// Everything the interpreter does outside itself.
class TelStreamOutputs {
 public:
  virtual ~TelStreamOutputs() = default;
  // The UI-thread steps; each gets copies and must not block.
  virtual void ShowLine(int line, const std::string& fullWidthText) = 0;  // DispLine_Show
  virtual void ClearLine(int line) = 0;                                   // DispLine_Clear
  virtual void ShowDumpLine(const std::string& text, int panelCount) = 0;  // DumpLine_Show
  virtual void Beep() = 0;
  virtual void Pause(int ms) = 0;
  // The dump file named by the session's dump path: appended to, created
  // when missing; each byte reaches the file at once. A failed write leaves
  // the file ending on the last whole line it had.
  virtual bool DumpOpen() = 0;
  virtual bool DumpWrite(uint8_t b) = 0;
  virtual bool DumpClose() = 0;
  // The printer's canvas; null when there is no printer.
  virtual TelPrintCanvas* Printer() = 0;
  // Sends the abort code 0x8E to the exchange.
  virtual void SendAbort() = 0;
};

// The display and dump stream (RecvChar), one instance per session.
class TelDisplayStream {
 public:
  // Longest text collected for one line; the rest of an endless line still
  // goes to the dump file but is not collected.
  static constexpr size_t kMaxLineBuffer = 4096;

  TelDisplayStream(TelSessionState& state, TelStreamOutputs& out);
  ~TelDisplayStream();
  TelDisplayStream(const TelDisplayStream&) = delete;
  TelDisplayStream& operator=(const TelDisplayStream&) = delete;

  // Start of a receive loop: no line, nothing pending, empty panel.
  void Reset();
  // Interprets one byte: 0, or 1 when the dump output could not be started.
  int RecvChar(uint8_t b);
  // Closes the dump file; prints the pending line and ends a print job.
  void Finish();

  const std::string& LineBuffer() const { return buffer_; }
  int PanelCount() const { return panelCount_; }

 private:
  void Display(uint8_t b);
  int DumpStart();
  void InDump(uint8_t b);
  void Aborting(uint8_t b);
  void ShowBuffer();
  void Append(uint8_t b);
  void EndPrintJob(bool withPending);
  void Failed(int msg);

  TelSessionState& s_;
  TelStreamOutputs& out_;
  std::string buffer_;
  bool crPending_ = false;
  int skip_ = 0;
  int panelCount_ = 0;
  std::unique_ptr<TelDumpPrint> print_;
  TelPrintCanvas* canvas_ = nullptr;
};
