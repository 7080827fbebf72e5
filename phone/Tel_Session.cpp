#include "phone/Tel_Session.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <vector>

#include "link/Comm_Unit.h"
#include "link/EnvNew_Unit.h"
#include "link/SettingsText.h"
#include "link/UDP_Unit.h"
#include "link/UserTimerUnit.h"
#include "platform/Cp932.h"
#include "platform/FileSys.h"
#include "shell/CommonStr_Unit.h"
#include "shell/Global_Unit.h"

namespace {

// Longest display frame the telephone mode takes over Ethernet.
constexpr int kMaxDisplayPayload = 302;
// Receive buffer of the end code's answer, with its closing NUL.
constexpr int kEndBuf = 1024;

bool Refused(const uint8_t* reply, int n) {
  if (reply[0] == UDP_CMD_REFUSED) return true;
  return reply[0] == UDP_CMD_FOLDED && n >= 2 && reply[2] == '1';
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

}  // namespace

bool Tel_ComSend(TelSessionState& s, uint8_t code) {
  int r;
  if (s.ethernet) {
    if (!s.TelLanReady) return true;
    r = Udp_Send(UDP_CMD_TEL_KEY, &code, 1, 0);
  } else {
    const char c = static_cast<char>(code);
    r = Comm_WriteBytes(&c, 1);
  }
  if (r == LINK_OK) return true;
  s.Post(TEL_MSG_SEND_FAILED);
  return false;
}

void Tel_StartEthernet(TelSessionState& s, UserTimer& timer) {
  s.TelLanReady = false;
  s.TelStartFailed = false;
  timer.Start();
  Udp_SetTimer(&timer);
  int r = Udp_Flush();
  if (r == LINK_OK) {
    Udp_SetParam(UDP_PARAM_TIMEOUT, LinkTimeOutSec.load());
    Udp_SetParam(UDP_PARAM_RETRY, 2);
    Udp_SetParam(UDP_PARAM_ABORT, 0);
    uint8_t reply[UDP_REPLY_BUF] = {};
    int n = 0;
    r = Udp_Transact(TEL_CODE_START, nullptr, 0, reply, &n);
    if (r == LINK_OK && Refused(reply, n)) {
      s.TelStartFailed = true;
      return;
    }
  }
  if (r != LINK_OK) {
    if (r == LINK_DISCONNECTED) LineLost = 1;
    s.TelStartFailed = true;
  }
}

bool Tel_StartSerial(TelSessionState& s) {
  if (!Comm_IsOpen()) {
    s.TelWatcherDone = true;
    return false;
  }
  Comm_Purge();
  s.TelStartFailed = false;
  if (!Tel_ComSend(s, TEL_CODE_START)) s.TelStartFailed = true;
  return true;
}

void Tel_EndEthernet(TelSessionState& s, std::unique_ptr<UserTimer>& timer) {
  if (LineLost == 0) Comm_SendByte(TEL_CODE_END);
  if (timer) {
    timer->Stop();
    timer.reset();  // unregisters itself from the link
  }
  if (Udp_Flush() == LINK_DISCONNECTED) {
    LineLost = 1;
    s.Post(TEL_MSG_END_LINE_LOST);
  }
}

std::string Tel_EndSerial(TelSessionState& s) {
  std::string answer;
  if (s.TelStartFailed || !Tel_ComSend(s, TEL_CODE_END)) return answer;
  const TelTiming t = Tel_GetTiming();
  for (int round = 0; round < t.endRoundsMax; ++round) {
    std::this_thread::sleep_for(std::chrono::milliseconds(t.endRoundMs));
    int n = Comm_InQueue();
    if (n <= 0) break;
    n = std::min(n, kEndBuf - 1);
    char buf[kEndBuf];
    int got = 0;
    if (Comm_ReadBytes(buf, n, got) != LINK_OK || got < n || got == 0) break;
    answer += buf;  // as text, up to its first zero byte
    if (answer.find("SET MODE") != std::string::npos) break;
  }
  return answer;
}

// ---- Receive thread ----

TCommWatch::TCommWatch(TelSessionState& s, TelDisplayStream& stream) : s_(s), stream_(stream) {
  if (!s_.ethernet) Comm_SetEventMask(Comm_GetEventMask() | EV_RXCHAR);
  th_ = std::thread([this] { Execute(); });
}

TCommWatch::~TCommWatch() { Join(); }

void TCommWatch::Join() {
  if (th_.joinable()) th_.join();
}

void TCommWatch::Execute() {
  if (s_.ethernet) LanWatch();
  else SerialWatch();
  stream_.Finish();
  s_.TelWatcherDone = true;
}

void TCommWatch::SerialWatch() {
  if (s_.TelStartFailed) s_.Post(TEL_MSG_CLOSE);
  Comm_SetRcvTimeOut(s_.rcvTimeOutMs);
  stream_.Reset();
  for (;;) {
    // A failing port and a cleared event mask end the loop; otherwise the
    // wait returns as soon as bytes are queued.
    if (Comm_InQueue() < 0 || Comm_GetEventMask() == 0) return;
    int event = Comm_WaitEvent();
    if ((event & EV_RXCHAR) == 0) return;
    int n = Comm_InQueue();
    if (n <= 0) {
      // Woken with nothing queued: a line that has gone reads as an error.
      char buf[2];
      int got = 0;
      if (Comm_ReadBytes(buf, 1, got) != LINK_OK) return;
      stream_.RecvChar(static_cast<uint8_t>(buf[0]));
      continue;
    }
    for (int i = 0; i < n; ++i) {
      char buf[2];
      int got = 0;
      int r = Comm_ReadBytes(buf, 1, got);
      if (r == LINK_OK) {
        if (stream_.RecvChar(static_cast<uint8_t>(buf[0])) == 1) break;
      } else if (r == LINK_TIMEOUT) {
        return;
      }
    }
  }
}

void TCommWatch::LanWatch() {
  stream_.Reset();
  s_.TelEndRequest = false;
  s_.TelLanStopped = false;
  if (s_.TelStartFailed) {
    s_.Post(LineLost != 0 ? TEL_MSG_LINE_LOST : TEL_MSG_CLOSE);
    return;
  }
  s_.TelLanReady = true;
  std::vector<uint8_t> buf(UDP_REPLY_BUF);
  while (!s_.TelEndRequest && !s_.TelLanStopped) {
    int n = 0;
    uint16_t seq = 0;
    int r = Udp_RecvReply(buf.data(), &n, &seq);
    if (r == LINK_TIMEOUT || r == LINK_UNEXPECTED) continue;
    if (r == LINK_IO_ERROR || r == LINK_DISCONNECTED) {
      s_.TelLanStopped = true;
      stream_.Finish();
      if (r == LINK_DISCONNECTED) {
        LineLost = 1;
        s_.Post(TEL_MSG_LINE_LOST);
      } else {
        s_.Post(TEL_MSG_CLOSE);
      }
      return;
    }
    if (r != LINK_OK || n <= 0 || buf[0] != UDP_CMD_DISPLAY) continue;
    if (n > kMaxDisplayPayload) {
      s_.TelLanStopped = true;
      s_.Post(TEL_MSG_CLOSE);
      return;
    }
    for (int i = 1; i <= n; ++i) {
      if (stream_.RecvChar(buf[static_cast<size_t>(i)]) == 1) {
        s_.Post(TEL_MSG_CLOSE);
        break;
      }
    }
  }
}

// ---- Dump file ----

bool TelDumpFile::Open(const std::string& path) {
  Close();
  // A dump file the dealer protected is refused as the replace refuses it,
  // also for root, whose append the mode alone would not stop.
  std::string target;
  if (fsys::ReplaceTarget(path, target) != 0) return false;
  fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) return false;
  struct stat st{};
  size_ = ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) ? st.st_size : -1;
  lineEnd_ = size_;
  return true;
}

bool TelDumpFile::Write(uint8_t b) {
  if (fd_ < 0) return false;
  for (;;) {
    ssize_t n = ::write(fd_, &b, 1);
    if (n == 1) break;
    if (n < 0 && errno == EINTR) continue;
    // Cutting back frees space, so it works on the disk that just filled;
    // should it fail all the same, the write's failure is what is told.
    if (lineEnd_ >= 0 && ::ftruncate(fd_, lineEnd_) == 0) size_ = lineEnd_;
    return false;
  }
  if (size_ >= 0) {
    ++size_;
    if (b == '\n') lineEnd_ = size_;
  }
  return true;
}

bool TelDumpFile::Close() {
  if (fd_ < 0) return true;
  int r = ::close(fd_);
  fd_ = -1;
  return r == 0;
}

// ---- File names ----

std::string Tel_DumpFileName(const std::string& folder, const std::string& name) {
  std::string path = !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
  if (Upper(path).find(".DMP") == std::string::npos) path += ".Dmp";
  return path;
}

bool Tel_DumpPathChanged(const std::string& before, const std::string& after) {
  return Upper(before) != Upper(after);
}

std::string Tel_ReadDumpFolder(int* rcvTimeOutMs) {
  std::string folder = ProgramDir;
  std::string path = fsys::Resolve(ProgramDir, "ENVIRON.DAT");
  std::string content;
  if (fsys::FileExists(path) && fsys::ReadFile(path, content)) {
    std::vector<std::string> f;
    Common_SplitComma(f, settings::FirstLine(content));
    if (f.size() > ENV_DATA_DIR) {
      std::string stored = cp932::Cut(f[ENV_DATA_DIR], 255);
      std::string dir = stored.empty() ? std::string() : fsys::StoredPath(stored, ProgramDir);
      if (!dir.empty() && fsys::DirExists(dir)) folder = dir;
    }
    long long sec;
    if (rcvTimeOutMs && f.size() > ENV_RCV_TIMEOUT && settings::ParseDecimal(f[ENV_RCV_TIMEOUT], sec) &&
        sec >= 0 && sec <= INT_MAX / 1000)
      *rcvTimeOutMs = static_cast<int>(sec * 1000);
  }
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string Tel_DefaultDumpFile(const std::string& folder) {
  return (folder == "/" ? std::string() : folder) + "/Default.dmp";
}
