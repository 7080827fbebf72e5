// Save: receives the exchange's data kinds one after another, each in a
// session of its own, into data files of the data folder. Plain C++ behind
// the link functions; the save form runs it on its worker thread.
//
// A data file is "!" + comment + CR LF, then the received line texts
// exactly as they came. It is written to a temporary file in the data
// folder and renamed over the old file only when its item ends normally,
// so a failed, refused or cancelled item leaves the earlier file whole.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

class UserTimer;

struct SaveItem {
  std::string fileName;  // without folder
  char code = 0;         // request code
};
constexpr int kSaveMaxItems = 16;

// Pauses of the protocol. Tests shorten them.
struct SaveTiming {
  int sessionPauseMs = 1000;  // serial: after the opening, before 0x8F, after each file
  int blockWaitMs = 5000;     // UDP: countdown of an expected block
};
void Save_SetTiming(const SaveTiming& t);
SaveTiming Save_GetTiming();

// Results of a save.
enum SaveResult : int { SAVE_OK = 0, SAVE_FILE_ERROR = 1, SAVE_LINK_ERROR = 2 };

// Codes inside the UDP save (other values are link result codes).
enum SaveCode : int {
  SAVE_ERR_ABORT = -1,    // refusal, cancel, a block given up, an early end
  SAVE_ERR_PAYLOAD = 200, // a data payload longer than 302 bytes
  SAVE_ERR_TEMP = 201,    // TEMP cannot be created or written
  SAVE_ERR_SLOTS = 202,   // no free countdown slot
  SAVE_ERR_MISSING = 203, // a block number missing from TEMP
  SAVE_ERR_DATA = 204,    // the data file cannot be created, written or closed
};

// Reply classes.
enum SaveClass : int { SAVE_CLASS_OTHER = 0, SAVE_CLASS_ACK = 1, SAVE_CLASS_REFUSED = 2, SAVE_CLASS_DATA = 3,
                       SAVE_CLASS_END = 5 };
// Serial: a received block (text, length). UDP: a reply buffer (command,
// then payload) of payloadLen payload bytes; the link's folded commands
// 0xF0 and 0xF1 are taken as "/0" and "/1".
int Save_Reply_Class(const char* block, int length);
int Save_Reply_Class_Udp(const uint8_t* reply, int payloadLen);

// The line text of a serial data block: from its third byte to its end or
// its first NUL; empty when the block is shorter.
std::string Save_LineText(const char* data, int length);

constexpr int kSaveMaxPayload = 302;
constexpr int kSaveTempRecord = 306;
constexpr int kSaveTempText = 304;
// Block numbers stay below this: the top bit of a frame's first byte marks
// it scrambled, and countdown ids are 16-bit signed.
constexpr int kSaveBlockLimit = 0x8000;

struct SaveJob {
  std::vector<SaveItem> items;
  std::string dir;      // data folder
  std::string comment;  // CP932
  bool ethernet = false;
  UserTimer* timer = nullptr;  // UDP: the started timer registered with the link
  int linkTimeOutSec = 0;
  int linkRetryCount = 0;
  int rcvTimeOutMs = 0;
};

class SaveEngine {
 public:
  explicit SaveEngine(SaveJob job);
  ~SaveEngine();
  SaveEngine(const SaveEngine&) = delete;
  SaveEngine& operator=(const SaveEngine&) = delete;

  // Lets pending window messages run (may be empty).
  std::function<void()> pump;
  // Called with the block count after each stored line (from the worker).
  std::function<void(int)> progress;

  // Save_Udp over Ethernet, else Save_Serial. The link's abort flag is
  // cleared when it returns.
  int Run();
  int Save_Serial();
  int Save_Udp();
  // From the UI thread: the save stops; over UDP a running transaction ends.
  void Cancel();
  bool Cancelled() const { return saveCancel_ != 0; }
  int BlockCount() const { return saveBlockCount_; }

  // The UDP steps, open for the tests.
  int Save_Block_Store(uint16_t block, const uint8_t* payload, int length);
  int Save_Gap_Request(uint16_t s);
  bool Save_Resend_Expired();
  int Save_Block_Assemble();
  int Save_Udp_Abort(int code);
  uint16_t NextBlock() const { return nextBlock_; }
  void SetNextBlock(uint16_t n) { nextBlock_ = n; }
  // TEMP anew; false when anything but a left-over work file stands there.
  bool OpenTemp();
  void CloseTemp();
  std::string TempPath() const;

 private:
  // The data file of one item, written beside its final name.
  class DataFile {
   public:
    ~DataFile();
    bool Create(const std::string& dir, const std::string& name, const std::string& comment);
    bool Write(const std::string& text);
    bool Commit();  // closes and renames over the data file
    void Discard();
    bool IsOpen() const { return f_ != nullptr; }

   private:
    FILE* f_ = nullptr;
    std::string temp_, target_;
  };

  // Serial: one item; false when the save stops after it.
  bool SerialItem(const SaveItem& item, int& result);
  // Serial: "30", then the exchange's answer; the new result.
  int SerialCancel(int result);
  void EndSession() const;
  void Pause() const;
  void Progress();
  void SendReRequest(uint16_t b);
  bool Arm(uint16_t id, int retriesLeft);

  SaveJob job_;
  SaveTiming timing_;
  std::atomic<int> saveCancel_{0};
  std::atomic<int> saveBlockCount_{0};
  int saveState_ = 0;
  uint16_t nextBlock_ = 1;
  int temp_ = -1;
  int maxArmed_ = 0;  // highest countdown id armed in this save
  const SaveItem* item_ = nullptr;  // the UDP item being saved
};
