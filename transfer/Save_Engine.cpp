#include "transfer/Save_Engine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include "link/Comm_Unit.h"
#include "link/UDP_Unit.h"
#include "link/UserTimerUnit.h"
#include "platform/FileSys.h"
#include "shell/Global_Unit.h"

namespace {

std::mutex timingMu;
SaveTiming timing;

constexpr uint8_t kOpenSession = 0x81, kSessionOpened = 0x80, kEndSession = 0x8F;

}  // namespace

void Save_SetTiming(const SaveTiming& t) {
  std::lock_guard<std::mutex> g(timingMu);
  timing = t;
}

SaveTiming Save_GetTiming() {
  std::lock_guard<std::mutex> g(timingMu);
  return timing;
}

int Save_Reply_Class(const char* block, int length) {
  if (length < 1) return SAVE_CLASS_OTHER;
  switch (block[0]) {
    case '/':
      if (length >= 2 && block[1] == '0') return SAVE_CLASS_ACK;
      if (length >= 2 && block[1] == '1') return SAVE_CLASS_REFUSED;
      return SAVE_CLASS_OTHER;
    case '1':
      return SAVE_CLASS_DATA;
    case '2':
      return SAVE_CLASS_END;
    default:
      return SAVE_CLASS_OTHER;
  }
}

int Save_Reply_Class_Udp(const uint8_t* reply, int payloadLen) {
  switch (reply[0]) {
    case UDP_CMD_ACK:
      return SAVE_CLASS_ACK;
    case UDP_CMD_REFUSED:
      return SAVE_CLASS_REFUSED;
    case '/':
      if (payloadLen >= 2 && reply[2] == '0') return SAVE_CLASS_ACK;
      if (payloadLen >= 2 && reply[2] == '1') return SAVE_CLASS_REFUSED;
      return SAVE_CLASS_OTHER;
    case '1':
      return SAVE_CLASS_DATA;
    case '2':
      return SAVE_CLASS_END;
    default:
      return SAVE_CLASS_OTHER;
  }
}

std::string Save_LineText(const char* data, int length) {
  if (length <= 2) return {};
  const char* p = data + 2;
  const void* nul = std::memchr(p, '\0', static_cast<size_t>(length - 2));
  size_t n = nul ? static_cast<size_t>(static_cast<const char*>(nul) - p) : static_cast<size_t>(length - 2);
  return std::string(p, n);
}

// ---- data file -------------------------------------------------------------

SaveEngine::DataFile::~DataFile() { Discard(); }

bool SaveEngine::DataFile::Create(const std::string& dir, const std::string& name, const std::string& comment) {
  Discard();
  // A write-protected data file (or a folder of that name) is not replaced,
  // and a link is written through: the shared replace's rules decide.
  if (fsys::ReplaceTarget(fsys::Resolve(dir, name), target_) != 0) return false;
  std::string targetDir, targetName;
  fsys::SplitPath(target_, targetDir, targetName);
  int fd = fsys::CreateTempFile(targetDir.empty() ? dir : targetDir, "DBS", temp_);
  if (fd < 0) return false;
  f_ = ::fdopen(fd, "wb");
  if (!f_) {
    fsys::DiscardWorkFile(fd, temp_);
    temp_.clear();
    return false;
  }
  std::string first = "!" + comment + "\r\n";
  if (!Write(first) || std::fflush(f_) != 0) {
    Discard();
    return false;
  }
  return true;
}

bool SaveEngine::DataFile::Write(const std::string& text) {
  if (!f_) return false;
  return text.empty() || std::fwrite(text.data(), 1, text.size(), f_) == text.size();
}

bool SaveEngine::DataFile::Commit() {
  if (!f_) return false;
  // The temporary keeps its lock until it has the data file's name or is
  // gone: a copy of its descriptor holds it past the checked close.
  const int hold = ::fcntl(::fileno(f_), F_DUPFD_CLOEXEC, 0);
  // An old data file keeps its mode; a new one is readable by the editors.
  bool ok = hold >= 0 && std::fflush(f_) == 0 && ::fchmod(::fileno(f_), 0644) == 0 &&
            fsys::KeepMode(::fileno(f_), target_) == 0 && ::fsync(::fileno(f_)) == 0;
  ok = std::fclose(f_) == 0 && ok;
  f_ = nullptr;
  if (ok) ok = ::rename(temp_.c_str(), target_.c_str()) == 0;
  if (!ok) ::unlink(temp_.c_str());
  if (hold >= 0) ::close(hold);
  // The saved file counts once its folder entry is on disk too.
  if (ok) {
    std::string targetDir, targetName;
    fsys::SplitPath(target_, targetDir, targetName);
    ok = fsys::SyncFolder(targetDir) == 0;
  }
  temp_.clear();
  return ok;
}

void SaveEngine::DataFile::Discard() {
  // Removed before its descriptor closes and lets go of the lock.
  if (!temp_.empty()) ::unlink(temp_.c_str());
  if (f_) {
    std::fclose(f_);
    f_ = nullptr;
  }
  temp_.clear();
}

// ---- engine ----------------------------------------------------------------

SaveEngine::SaveEngine(SaveJob job) : job_(std::move(job)), timing_(Save_GetTiming()) {
  if (job_.items.size() > static_cast<size_t>(kSaveMaxItems)) job_.items.resize(kSaveMaxItems);
  job_.dir = fsys::WithSlash(job_.dir);
  if (!job_.items.empty()) item_ = &job_.items.front();
}

SaveEngine::~SaveEngine() { CloseTemp(); }

void SaveEngine::Pause() const {
  if (timing_.sessionPauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(timing_.sessionPauseMs));
}

void SaveEngine::EndSession() const { Comm_SendByte(kEndSession); }

void SaveEngine::Progress() {
  int n = ++saveBlockCount_;
  if (progress) progress(n);
}

void SaveEngine::Cancel() {
  saveCancel_ = 1;
  if (job_.ethernet) Udp_SetParam(UDP_PARAM_ABORT, 1);
}

int SaveEngine::Run() {
  // What a save that was killed left in this folder: its work file and the
  // data files it was writing.
  fsys::RemoveWorkFile(TempPath());
  fsys::RemoveTempFiles(job_.dir, "DBS");
  int r = job_.ethernet ? Save_Udp() : Save_Serial();
  // A Cancel pressed outside a transaction must not abort the link's next user.
  if (job_.ethernet) Udp_SetParam(UDP_PARAM_ABORT, 0);
  return r;
}

// ---- serial ----------------------------------------------------------------

int SaveEngine::SerialCancel(int result) {
  int r = Comm_SendBlock("30", 2);
  if (r != LINK_OK) return SAVE_LINK_ERROR;
  char buf[kCommBufSize];
  int len = 0;
  r = Comm_WaitBlock(buf, len);
  if (r != LINK_OK || Save_Reply_Class(buf, len) != SAVE_CLASS_ACK) return SAVE_LINK_ERROR;
  return result;
}

int SaveEngine::Save_Serial() {
  int result = SAVE_OK;
  for (const SaveItem& item : job_.items) {
    if (pump) pump();
    if (saveCancel_) break;
    if (!SerialItem(item, result)) break;
  }
  return result;
}

bool SaveEngine::SerialItem(const SaveItem& item, int& result) {
  // Opening the session.
  Comm_Purge();
  Comm_SetRcvTimeOut(job_.rcvTimeOutMs);
  uint8_t b = 0;
  int r = Comm_SendByte(kOpenSession);
  if (r == LINK_OK) r = Comm_ReadByte(b);
  if (r != LINK_OK || b != kSessionOpened) {
    EndSession();
    result = SAVE_LINK_ERROR;
    return false;
  }
  Pause();

  DataFile file;
  if (!file.Create(job_.dir, item.fileName, job_.comment)) {
    result = SerialCancel(SAVE_FILE_ERROR);
    Pause();
    EndSession();
    return false;
  }
  if (saveCancel_) {
    // Cancelled before the request: nothing came, the old file stays.
    file.Discard();
    result = SerialCancel(result);
    Pause();
    EndSession();
    return false;
  }
  std::string request = std::string("!") + item.code;
  if (Comm_SendBlock(request.data(), 2) != LINK_OK) {
    result = SAVE_LINK_ERROR;
    file.Discard();
    Pause();
    EndSession();
    return false;
  }

  saveState_ = 0;
  bool stop = false;     // the save stops after this item
  bool failed = false;   // the item failed: its data file stays as it was
  bool refused = false;  // the exchange has no such kind: nothing to keep
  bool ended = false;
  int skipped = 0;
  char buf[kCommBufSize];
  auto fail = [&](int res, bool endSession) {
    result = res;
    stop = failed = ended = true;
    if (endSession) {
      Pause();
      EndSession();
    }
  };
  auto end = [&] {
    ended = true;
    Pause();
    EndSession();
  };
  while (!ended) {
    if (pump) pump();
    int len = 0;
    r = Comm_WaitBlock(buf, len);
    if (r != LINK_OK) {
      fail(SAVE_LINK_ERROR, false);
      break;
    }
    switch (Save_Reply_Class(buf, len)) {
      case SAVE_CLASS_ACK:
        if (saveState_ == 0) saveState_ = 1;
        else if (saveState_ == 1) fail(SAVE_LINK_ERROR, true);
        else end();
        break;
      case SAVE_CLASS_REFUSED:
        // Refused in state 0: the kind is not there, which is no error.
        if (saveState_ == 1) {
          fail(SAVE_LINK_ERROR, true);
        } else {
          refused = saveState_ == 0;
          end();
        }
        break;
      case SAVE_CLASS_DATA:
        if (saveState_ == 1) {
          if (!file.Write(Save_LineText(buf, len))) {
            fail(SAVE_FILE_ERROR, true);
            break;
          }
          Progress();
        } else if (saveState_ == 2) {
          if (++skipped >= 3) end();
        } else {
          fail(SAVE_LINK_ERROR, true);
        }
        break;
      case SAVE_CLASS_END:
        // An end after our cancel also ends the item as the cancel would.
        if (saveState_ != 0) end();
        else fail(SAVE_LINK_ERROR, true);
        break;
      default:
        break;
    }
    if (!ended && saveCancel_ && saveState_ != 2) {
      saveState_ = 2;
      stop = true;
      skipped = 0;
      if (Comm_SendBlock("30", 2) != LINK_OK) end();
    }
  }
  // A refused or cancelled item brought no whole data: the dealer's
  // earlier file is worth more than a part of the new one.
  if (failed || refused || saveState_ == 2) {
    file.Discard();
  } else if (!file.Commit()) {
    result = SAVE_FILE_ERROR;
    stop = true;
  }
  Pause();
  return !stop;
}

// ---- UDP -------------------------------------------------------------------

std::string SaveEngine::TempPath() const { return job_.dir + "TEMP"; }

bool SaveEngine::OpenTemp() {
  CloseTemp();
  temp_ = fsys::CreateWorkFile(TempPath());
  return temp_ >= 0;
}

void SaveEngine::CloseTemp() {
  if (temp_ < 0) return;
  fsys::DiscardWorkFile(temp_, TempPath());
  temp_ = -1;
}

void SaveEngine::SendReRequest(uint16_t b) {
  uint8_t p[2] = {static_cast<uint8_t>(b >> 8), static_cast<uint8_t>(b & 0xFF)};
  Udp_Send(UDP_CMD_REREQUEST, p, 2, 0);
}

bool SaveEngine::Arm(uint16_t id, int retriesLeft) {
  if (id > maxArmed_) maxArmed_ = id;
  return job_.timer->AddTimer(static_cast<int16_t>(id), timing_.blockWaitMs, static_cast<int16_t>(retriesLeft));
}

int SaveEngine::Save_Gap_Request(uint16_t s) {
  if (s >= kSaveBlockLimit) return SAVE_ERR_ABORT;
  ++nextBlock_;  // the block that was expected keeps its countdown
  for (uint16_t b = nextBlock_; b < s; ++b) {
    if (!Arm(b, job_.linkRetryCount)) return SAVE_ERR_SLOTS;
    SendReRequest(b);
  }
  nextBlock_ = s;
  return 0;
}

int SaveEngine::Save_Block_Store(uint16_t a, const uint8_t* payload, int n) {
  if (n > kSaveMaxPayload) return SAVE_ERR_PAYLOAD;
  // Block 0 cannot be asked for, and countdown id 0 is a free slot.
  if (a == 0 || a >= kSaveBlockLimit) return SAVE_ERR_ABORT;
  UserTimer& t = *job_.timer;
  if (a < nextBlock_ && t.FindTimer(static_cast<int16_t>(a)) < 0) return 0;  // a copy

  uint8_t rec[kSaveTempRecord] = {};
  rec[0] = static_cast<uint8_t>(a & 0xFF);
  rec[1] = static_cast<uint8_t>(a >> 8);
  if (n > 2) {
    size_t len = static_cast<size_t>(n - 2);
    const void* nul = std::memchr(payload + 2, '\0', len);
    if (nul) len = static_cast<size_t>(static_cast<const uint8_t*>(nul) - (payload + 2));
    std::memcpy(rec + 2, payload + 2, len);
  }
  if (temp_ < 0 || ::write(temp_, rec, sizeof rec) != static_cast<ssize_t>(sizeof rec)) return SAVE_ERR_TEMP;
  Progress();

  if (a < nextBlock_) {
    t.DelTimer(static_cast<int16_t>(a));
    return 0;
  }
  if (a == nextBlock_) {
    t.DelTimer(static_cast<int16_t>(a));
  } else {
    int r = Save_Gap_Request(a);
    if (r != 0) return r;
  }
  if (nextBlock_ + 1 >= kSaveBlockLimit) return SAVE_ERR_ABORT;
  ++nextBlock_;
  if (!Arm(nextBlock_, job_.linkRetryCount)) return SAVE_ERR_SLOTS;
  return 0;
}

bool SaveEngine::Save_Resend_Expired() {
  int16_t value = 0;
  for (int16_t id; (id = job_.timer->GetExpired(value)) != 0;) {
    if (value <= 0) return false;
    SendReRequest(static_cast<uint16_t>(id));
    Arm(static_cast<uint16_t>(id), value - 1);
  }
  return true;
}

int SaveEngine::Save_Block_Assemble() {
  DataFile file;
  if (!item_ || !file.Create(job_.dir, item_->fileName, job_.comment)) return SAVE_ERR_DATA;
  if (nextBlock_ >= 2) {
    const int records = nextBlock_ - 1;
    uint8_t rec[kSaveTempRecord];
    // 1 read, 0 no such record, -1 a read error.
    auto readRecord = [&](int i) {
      ssize_t n = ::pread(temp_, rec, sizeof rec, static_cast<off_t>(i) * kSaveTempRecord);
      return n == static_cast<ssize_t>(sizeof rec) ? 1 : n < 0 ? -1 : 0;
    };
    auto numberOf = [&] { return rec[0] | (rec[1] << 8); };
    for (int b = 1; b <= records; ++b) {
      // Records come in arrival order; in order, record b - 1 holds block b.
      int got = readRecord(b - 1);
      if (got < 0) return SAVE_ERR_DATA;
      bool found = got == 1 && numberOf() == b;
      for (int i = 0; !found && i < records; ++i) {
        got = readRecord(i);
        if (got < 0) return SAVE_ERR_DATA;
        if (got == 0) break;
        found = numberOf() == b;
      }
      if (!found) return SAVE_ERR_MISSING;
      size_t len = strnlen(reinterpret_cast<const char*>(rec + 2), kSaveTempText - 1);
      if (!file.Write(std::string(reinterpret_cast<const char*>(rec + 2), len))) return SAVE_ERR_DATA;
    }
  }
  return file.Commit() ? 0 : SAVE_ERR_DATA;
}

int SaveEngine::Save_Udp_Abort(int code) {
  int result = SAVE_LINK_ERROR;
  if (job_.timer) {
    job_.timer->ClearTimeOut();
    // The timer may serve the link after this save: no countdown is left.
    for (int id = 1; id <= maxArmed_; ++id) job_.timer->DelTimer(static_cast<int16_t>(id));
  }
  maxArmed_ = 0;
  CloseTemp();
  if (code == SAVE_ERR_TEMP || code == SAVE_ERR_MISSING || code == SAVE_ERR_DATA) {
    result = SAVE_FILE_ERROR;
    // The exchange has ended the transfer already.
    if (code != SAVE_ERR_TEMP) return result;
  }
  if (code == LINK_DISCONNECTED) {
    LineLost = 1;
  } else {
    Udp_SetParam(UDP_PARAM_TIMEOUT, job_.linkTimeOutSec);
    Udp_SetParam(UDP_PARAM_RETRY, 2);
    // A Cancel that came between transactions has left the abort flag set:
    // the abort then goes out without waiting for its answer. Otherwise it
    // is a transaction as any other.
    uint8_t reply[UDP_REPLY_BUF];
    int replyLen = 0;
    int r = Udp_Transact(UDP_CMD_SAVE_ABORT, nullptr, 0, reply, &replyLen);
    // An answer that may still come is taken as the abort's own: every save
    // frame has sequence 0, and the same acknowledgement would otherwise end
    // the session's end, whose request may have been lost.
    if (r == LINK_EOT) r = Udp_AwaitReply(UDP_CMD_SAVE_ABORT, reply, &replyLen);
    if (r == LINK_DISCONNECTED) {
      LineLost = 1;
      return result;
    }
    // The session's end is awaited and retried as every transaction is: an
    // exchange that missed it stays in the session and refuses the next
    // log-in.
    Udp_SetParam(UDP_PARAM_ABORT, 0);
    EndSession();
  }
  if (saveCancel_) result = SAVE_OK;
  return result;
}

int SaveEngine::Save_Udp() {
  if (!job_.timer) return SAVE_LINK_ERROR;
  UserTimer& t = *job_.timer;
  uint8_t reply[UDP_REPLY_BUF];
  int replyLen = 0;
  int code = 0;
  auto transact = [&](uint8_t cmd, const void* payload, int len) {
    Udp_SetParam(UDP_PARAM_TIMEOUT, job_.linkTimeOutSec);
    Udp_SetParam(UDP_PARAM_RETRY, 2);
    return Udp_Transact(cmd, payload, len, reply, &replyLen);
  };
  for (const SaveItem& item : job_.items) {
    item_ = &item;
    nextBlock_ = 1;
    if (pump) pump();
    if (saveCancel_) return SAVE_OK;
    int r = Udp_Flush();
    if (r != LINK_OK) {
      if (r == LINK_DISCONNECTED) LineLost = 1;
      return SAVE_LINK_ERROR;
    }
    r = transact(kOpenSession, nullptr, 0);
    if (r != LINK_OK) {
      code = r;
      break;
    }
    if (Save_Reply_Class_Udp(reply, replyLen) == SAVE_CLASS_REFUSED) return SAVE_LINK_ERROR;
    if (!OpenTemp()) {
      code = SAVE_ERR_TEMP;
      break;
    }
    r = transact(UDP_CMD_SAVE_REQUEST, &item.code, 1);
    if (r != LINK_OK) {
      code = r;
      break;
    }
    int cls = Save_Reply_Class_Udp(reply, replyLen);
    if (cls == SAVE_CLASS_REFUSED) {
      code = SAVE_ERR_ABORT;
      break;
    }
    if (cls == SAVE_CLASS_ACK && !Arm(1, job_.linkRetryCount)) {
      code = SAVE_ERR_ABORT;
      break;
    }
    bool endSeen = false;
    for (;;) {
      if (pump) pump();
      if (saveCancel_) {
        code = SAVE_ERR_ABORT;
        break;
      }
      if (!Save_Resend_Expired()) {
        code = SAVE_ERR_ABORT;
        break;
      }
      int payloadLen = 0;
      uint16_t seq = 0;
      r = Udp_RecvReply(reply, &payloadLen, &seq);
      if (r == LINK_TIMEOUT || r == LINK_UNEXPECTED) {
        continue;
      } else if (r != LINK_OK) {
        code = r;
        break;
      } else {
        cls = Save_Reply_Class_Udp(reply, payloadLen);
        if (cls == SAVE_CLASS_DATA) {
          r = Save_Block_Store(seq, reply + 1, payloadLen);
          if (r != 0) {
            code = r;
            break;
          }
        } else if (cls == SAVE_CLASS_END) {
          if (seq >= kSaveBlockLimit || nextBlock_ > seq) {
            code = SAVE_ERR_ABORT;
            break;
          }
          if (nextBlock_ < seq) {
            r = Save_Gap_Request(seq);
            if (r != 0) {
              code = r;
              break;
            }
          } else {
            t.DelTimer(static_cast<int16_t>(seq));
          }
          endSeen = true;
        }
      }
      if (endSeen && t.TimerCount() == 0) {
        r = Comm_SendByte(kEndSession);
        if (r == LINK_TIMEOUT) r = LINK_OK;
        if (LineLost) r = LINK_DISCONNECTED;
        if (r != LINK_OK) code = r;
        break;
      }
    }
    if (code != 0) break;
    r = Save_Block_Assemble();
    if (r != 0) {
      code = r;
      break;
    }
    CloseTemp();
  }
  if (code != 0 || saveCancel_) return Save_Udp_Abort(code);
  return SAVE_OK;
}
