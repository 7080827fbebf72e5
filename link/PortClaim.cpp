#include "link/PortClaim.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::string_view kDev = "/dev/";
constexpr std::string_view kPts = "/dev/pts/";

bool StartsWith(std::string_view s, std::string_view head) { return s.substr(0, head.size()) == head; }

// The pid a lock file names: ASCII digits after blanks (the usual form), or
// a binary int of four bytes (the oldest UUCP form); 0 when none.
pid_t LockOwner(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return 0;
  char buf[32];
  ssize_t n = ::read(fd, buf, sizeof buf);
  ::close(fd);
  if (n <= 0) return 0;
  ssize_t i = 0;
  while (i < n && buf[i] == ' ') ++i;
  long pid = 0;
  bool digits = false;
  for (; i < n && buf[i] >= '0' && buf[i] <= '9' && pid < 100000000; ++i, digits = true)
    pid = pid * 10 + (buf[i] - '0');
  if (digits) return static_cast<pid_t>(pid);
  if (n == 4) {
    int32_t raw;
    std::memcpy(&raw, buf, 4);
    return raw > 0 ? raw : 0;
  }
  return 0;
}

bool IsAlive(pid_t pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM); }

bool IsFolder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The pseudo-terminal number of /dev/pts/N, else -1.
long PtyIndex(std::string_view devicePath) {
  if (!StartsWith(devicePath, kPts) || devicePath.size() == kPts.size()) return -1;
  long n = 0;
  for (char c : devicePath.substr(kPts.size())) {
    if (c < '0' || c > '9' || n > 1000000) return -1;
    n = n * 10 + (c - '0');
  }
  return n;
}

// True when the descriptor's fdinfo names pseudo-terminal index.
bool IsMasterOf(const std::string& fdinfo, long index) {
  FILE* f = std::fopen(fdinfo.c_str(), "re");
  if (!f) return false;
  char line[128];
  long got = -1;
  while (std::fgets(line, sizeof line, f))
    if (std::sscanf(line, "tty-index: %ld", &got) == 1) break;
  std::fclose(f);
  return got == index;
}

// What one process has open: the device, and the master of its line.
struct Holding {
  bool device = false;
  bool master = false;
};

Holding HoldingOf(const std::string& procDir, dev_t rdev, long ptyIndex) {
  Holding h;
  const std::string fdDir = procDir + "/fd/";
  DIR* d = ::opendir(fdDir.c_str());
  if (!d) return h;  // gone, or not ours to look into
  while (dirent* e = ::readdir(d)) {
    if (e->d_name[0] == '.') continue;
    const std::string link = fdDir + e->d_name;
    char target[256];
    ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    // Only device nodes are looked at, so that the look never waits on a
    // file of a network or user file system.
    if (n <= 0 || !StartsWith(std::string_view(target, static_cast<size_t>(n)), kDev)) continue;
    struct stat st;
    if (::stat(link.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) continue;
    if (st.st_rdev == rdev) h.device = true;
    else if (ptyIndex >= 0 && major(st.st_rdev) == 5 && minor(st.st_rdev) == 2 &&
             IsMasterOf(procDir + "/fdinfo/" + e->d_name, ptyIndex))
      h.master = true;
  }
  ::closedir(d);
  return h;
}

}  // namespace

std::string PortLock_Name(const std::string& devicePath) {
  std::string rest;
  if (StartsWith(devicePath, kDev)) {
    rest = devicePath.substr(kDev.size());
  } else {
    size_t slash = devicePath.rfind('/');
    rest = slash == std::string::npos ? devicePath : devicePath.substr(slash + 1);
  }
  for (char& c : rest)
    if (c == '/') c = '_';
  return "LCK.." + rest;
}

std::vector<std::string>& PortLock_Folders() {
  static std::vector<std::string> folders{"/run/lock", "/var/lock"};
  return folders;
}

bool PortLock_Take(const std::string& devicePath, std::string& made) {
  made.clear();
  const std::string name = PortLock_Name(devicePath);
  std::string home;
  for (const std::string& folder : PortLock_Folders()) {
    if (!IsFolder(folder)) continue;
    const std::string path = folder + "/" + name;
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0) {
      pid_t owner = LockOwner(path);
      if (owner != ::getpid() && IsAlive(owner)) return false;
      ::unlink(path.c_str());
    }
    if (home.empty()) home = path;
  }
  if (home.empty()) return true;
  int fd = ::open(home.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) {
    // Still there: a lock that another program took just now, or a stale
    // one that we may not remove (another user's, in a sticky folder).
    if (errno != EEXIST) return true;
    pid_t owner = LockOwner(home);
    return owner == ::getpid() || !IsAlive(owner);
  }
  char text[16];
  int len = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
  bool written = ::write(fd, text, static_cast<size_t>(len)) == len;
  if (::close(fd) != 0) written = false;
  if (written) made = home;
  else ::unlink(home.c_str());
  return true;
}

void PortLock_Release(std::string& made) {
  if (!made.empty()) ::unlink(made.c_str());
  made.clear();
}

bool Port_HeldElsewhere(const std::string& devicePath) {
  struct stat dev;
  if (::stat(devicePath.c_str(), &dev) != 0 || !S_ISCHR(dev.st_mode)) return false;
  const long ptyIndex = PtyIndex(devicePath);
  const pid_t self = ::getpid();
  DIR* proc = ::opendir("/proc");
  if (!proc) return false;
  bool held = false;
  while (!held) {
    dirent* e = ::readdir(proc);
    if (!e) break;
    char* end = nullptr;
    long pid = std::strtol(e->d_name, &end, 10);
    if (pid <= 0 || *end != '\0' || pid == self) continue;
    Holding h = HoldingOf(std::string("/proc/") + e->d_name, dev.st_rdev, ptyIndex);
    held = h.device && !h.master;
  }
  ::closedir(proc);
  return held;
}
