#include "transfer/LoadErr_Unit.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileSys.h"
#include "shell/Language_Unit.h"
#include "transfer/Control_Unit.h"

namespace loaderr {

namespace {
constexpr std::string_view kCrLf = "\r\n";
}

std::string PadCode(std::string_view code) {
  std::string s(code);
  if (s.size() < 6) s.insert(0, 6 - s.size(), '0');
  return s;
}

std::string ErrRecord(int lineNo, std::string_view code, std::string_view line) {
  std::string r(ErrLineLabel);
  r += std::to_string(lineNo);
  r += ',';
  r += ErrCodeLabel;
  r += PadCode(code);
  r += kCrLf;
  r += line;
  r += kCrLf;
  return r;
}

std::string RetryRecord(int lineNo, const Ctl_MenuRec* menu, const std::array<std::string, 10>& required,
                        std::string_view line) {
  std::string r = std::to_string(lineNo);
  r += kCrLf;
  if (menu) {
    r += "/" + menu->Name + "/";
    r += kCrLf;
    for (const std::string& v : required) {
      r += v;
      r += kCrLf;
    }
  } else {
    for (int i = 0; i < 11; ++i) r += kCrLf;
  }
  r += line;
  r += kCrLf;
  return r;
}

bool Lines::Next(std::string& line) {
  if (pos_ >= text_.size()) return false;
  size_t e = text_.find_first_of("\r\n", pos_);
  if (e == std::string::npos) {
    line = text_.substr(pos_);
    pos_ = text_.size();
    return true;
  }
  line = text_.substr(pos_, e - pos_);
  pos_ = e + 1;
  if (text_[e] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
  return true;
}

int ReadRetry(Lines& in, RetryRecordIn& out) {
  std::string first;
  if (!in.Next(first)) return 0;
  if (first.empty() || first.size() > 9) return 100;
  for (char c : first)
    if (c < '0' || c > '9') return 100;
  out.lineNo = std::stoi(first);
  if (!in.Next(out.menuLine)) return 100;
  for (std::string& v : out.required)
    if (!in.Next(v)) return 100;
  if (!in.Next(out.text)) return 100;
  return 1;
}

OutFile::~OutFile() { (void)Close(); }

bool OutFile::OpenList(const std::string& path) {
  (void)Close();
  // Truncated in place: a protected list is refused, a linked one written
  // through, as with every file the programs rewrite.
  std::string target;
  if (fsys::ReplaceTarget(path, target) != 0) return false;
  fd_ = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) return false;
  list_ = true;
  // The emptied list must be on disk before anything is sent, or an end
  // before the first record would leave the earlier load's list behind.
  if (::fdatasync(fd_) != 0 && errno != EINVAL) {
    (void)Close();
    return false;
  }
  return true;
}

bool OutFile::OpenWork(const std::string& path) {
  (void)Close();
  fd_ = fsys::CreateWorkFile(path);
  list_ = false;
  path_ = path;
  return fd_ >= 0;
}

void OutFile::Discard() {
  if (fd_ < 0 || list_) {
    (void)Close();
    return;
  }
  fsys::DiscardWorkFile(fd_, path_);
  fd_ = -1;
}

int OutFile::Write(std::string_view bytes) {
  if (fd_ < 0) return 100;
  while (!bytes.empty()) {
    ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return 100;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  // A list's record is on disk when the next line goes out; the retry file
  // is the load's own and is gone at its end, so the system's cache will do.
  if (list_ && ::fdatasync(fd_) != 0 && errno != EINVAL) return 100;
  return 0;
}

int OutFile::Close() {
  if (fd_ < 0) return 0;
  int r = ::close(fd_) != 0 ? 100 : 0;
  fd_ = -1;
  return r;
}

}  // namespace loaderr
