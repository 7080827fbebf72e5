#include "platform/FileSys.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "platform/Cp932.h"

namespace fsys {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Named temporary files: prefix + four upper-case hex digits + ".TMP"; the
// replace's own: ".rpl" + eight.
constexpr size_t kTempDigits = 4;
constexpr std::string_view kTempSuffix = ".TMP";
constexpr std::string_view kReplacePrefix = ".rpl";
constexpr size_t kReplaceDigits = 8;

std::string HexDigits(unsigned value, size_t digits) {
  char hex[12];
  std::snprintf(hex, sizeof hex, "%0*X", static_cast<int>(digits), value);
  return std::string(hex + std::strlen(hex) - digits);
}

// Exactly prefix + digits upper-case hex digits + suffix, as the programs
// spell the names they make.
bool IsHexName(std::string_view name, std::string_view prefix, size_t digits, std::string_view suffix) {
  if (name.size() != prefix.size() + digits + suffix.size() || !name.starts_with(prefix) || !name.ends_with(suffix))
    return false;
  for (char c : name.substr(prefix.size(), digits))
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Creates name anew (relative to folder dfd; never through a link) and
// locks it before anything else is done with it: a clean-up takes no
// locked file for a left-over. A clean-up that got in between the creation
// and the lock has taken the file away; that is told as EAGAIN, for the
// caller to make it again. The wait for the lock is a clean-up's removal
// at most, the only other user of a file this new.
int CreateLocked(int dfd, const char* name, int flags, mode_t mode) {
  int fd = ::openat(dfd, name, flags | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
  if (fd < 0) return -1;
  // A file system without locks leaves the file unlocked; a clean-up there
  // cannot lock it either and leaves it alone.
  while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
  }
  struct stat mine, named;
  if (::fstat(fd, &mine) == 0 && ::fstatat(dfd, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(mine, named))
    return fd;
  ::close(fd);
  errno = EAGAIN;
  return -1;
}

// Removes the left-over work files of dir named prefix + digits upper-case
// hex digits + suffix (see RemoveLeftOver).
void RemoveHexNames(const std::string& dir, std::string_view prefix, size_t digits, std::string_view suffix);

bool WriteAll(int fd, std::string_view data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string ExeDir() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "./";
  std::string path(buf, static_cast<size_t>(n));
  std::string dir, name;
  SplitPath(path, dir, name);
  return dir;
}

std::string WithSlash(std::string_view dir) {
  std::string d(dir);
  if (!d.empty() && d.back() != '/') d += '/';
  return d;
}

void SplitPath(std::string_view path, std::string& dir, std::string& name) {
  size_t p = path.rfind('/');
  if (p == std::string_view::npos) {
    dir.clear();
    name = std::string(path);
  } else {
    dir = std::string(path.substr(0, p + 1));
    name = std::string(path.substr(p + 1));
  }
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool LessNoCase(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(Lower(a[i]));
    unsigned char y = static_cast<unsigned char>(Lower(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;  // a stable order for names that differ in case only
}

bool MaskMatch(std::string_view mask, std::string_view name) {
  // Iterative wildcard match with one back-tracking point per "*".
  size_t m = 0, n = 0, star = std::string_view::npos, mark = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || Lower(mask[m]) == Lower(name[n]))) {
      ++m;
      ++n;
    } else if (m < mask.size() && mask[m] == '*') {
      star = m++;
      mark = n;
    } else if (star != std::string_view::npos) {
      m = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

namespace {

// Case folded on single-byte characters only: a trail byte of a CP932
// character may be an ASCII letter and is compared as it is.
bool EqualNoCaseCp932(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (cp932::IsLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (Lower(a[i]) != Lower(b[i])) {
      return false;
    }
  }
  return true;
}

// The one entry of d equal to name under eq; none when several are: names
// that differ in case only are different files here, and taking one of
// them would be a guess the dealer never sees. several tells the caller
// so, that it tries no other spelling either.
template <typename Eq>
std::string FindEntry(const std::string& d, std::string_view name, Eq eq, bool& several) {
  several = false;
  DIR* h = ::opendir(d.empty() ? "." : d.c_str());
  if (!h) return {};
  std::string found;
  int matches = 0;
  while (dirent* e = ::readdir(h))
    if (eq(e->d_name, name) && ++matches == 1) found = e->d_name;
  ::closedir(h);
  several = matches > 1;
  return matches == 1 ? found : std::string();
}

}  // namespace

std::string Resolve(std::string_view dir, std::string_view name) {
  std::string d = WithSlash(dir);
  std::string exact = d + std::string(name);
  struct stat st;
  if (::lstat(exact.c_str(), &st) == 0) return exact;
  bool several = false;
  std::string found =
      FindEntry(d, name, [](std::string_view a, std::string_view b) { return EqualNoCase(a, b); }, several);
  if (!found.empty()) return d + found;
  if (several) return exact;
  // The programs name their files in UTF-8; a file unpacked from a Windows
  // archive carries the same name in CP932 bytes.
  bool wide = false;
  for (char c : name) wide = wide || static_cast<unsigned char>(c) >= 0x80;
  if (wide && cp932::IsUtf8(name)) {
    if (auto sj = cp932::FromUtf8(name)) {
      if (::lstat((d + *sj).c_str(), &st) == 0) return d + *sj;
      found = FindEntry(d, *sj, EqualNoCaseCp932, several);
      if (!found.empty()) return d + found;
    }
  }
  return exact;
}

std::string ResolvePath(std::string_view path) {
  std::string dir, name;
  SplitPath(path, dir, name);
  return Resolve(dir, name);
}

namespace {

std::string StoredPart(const std::string& dir, std::string_view part) {
  std::string named = Resolve(dir, cp932::ToUtf8(part));
  struct stat st;
  if (::lstat(named.c_str(), &st) == 0) return named;
  std::string asStored = dir + std::string(part);
  if (::lstat(asStored.c_str(), &st) == 0) return asStored;
  return named;
}

}  // namespace

std::string StoredPath(std::string_view storedCp932, std::string_view baseDir) {
  const bool absolute = !storedCp932.empty() && storedCp932[0] == '/';
  std::string out = absolute ? "/" : WithSlash(baseDir);
  size_t pos = absolute ? 1 : 0;
  while (pos < storedCp932.size()) {
    size_t end = std::min(storedCp932.find('/', pos), storedCp932.size());
    std::string_view part = storedCp932.substr(pos, end - pos);
    // "/" is never a CP932 trail byte: the parts split cleanly.
    if (!part.empty()) out = WithSlash(StoredPart(WithSlash(out), part));
    pos = end + 1;
  }
  if (!storedCp932.empty() && storedCp932.back() != '/' && out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ListDir(const std::string& dir, std::string_view mask, std::vector<DirEntry>& out) {
  out.clear();
  std::string d = WithSlash(dir);
  DIR* h = ::opendir(d.empty() ? "." : d.c_str());
  if (!h) return false;
  while (dirent* e = ::readdir(h)) {
    std::string_view n = e->d_name;
    if (n == "." || n == "..") continue;
    if (!MaskMatch(mask, n)) continue;
    DirEntry de;
    de.name = e->d_name;
    struct stat st;
    std::string full = d + de.name;
    if (::lstat(full.c_str(), &st) == 0) {
      de.isLink = S_ISLNK(st.st_mode);
      if (de.isLink) ::stat(full.c_str(), &st);
      de.isDir = S_ISDIR(st.st_mode);
      de.size = st.st_size;
      de.mtime = st.st_mtime;
    }
    out.push_back(std::move(de));
  }
  ::closedir(h);
  std::sort(out.begin(), out.end(),
            [](const DirEntry& a, const DirEntry& b) { return LessNoCase(a.name, b.name); });
  return true;
}

int CreateTempFile(const std::string& dir, std::string_view prefix, std::string& path) {
  static thread_local std::mt19937 rng(std::random_device{}() ^ static_cast<unsigned>(::getpid()));
  std::string d = WithSlash(dir);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string p = d + std::string(prefix) + HexDigits(rng(), kTempDigits) + std::string(kTempSuffix);
    int fd = CreateLocked(AT_FDCWD, p.c_str(), O_WRONLY, 0644);
    if (fd >= 0) {
      path = p;
      return fd;
    }
    if (errno != EEXIST && errno != EAGAIN) return -1;
  }
  errno = EEXIST;
  return -1;
}

int OpenRegular(const std::string& path) {
  // A FIFO opened for reading waits for a writer, and opening a device may
  // act on it: neither is opened at all when the name shows it. The check
  // on the descriptor covers a name swapped in between.
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return -1;
  if (!S_ISREG(st.st_mode)) {
    errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return -1;
  }
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return -1;
  }
  int flags = ::fcntl(fd, F_GETFL);
  if (flags != -1) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

std::FILE* OpenRegularStream(const std::string& path) {
  int fd = OpenRegular(path);
  if (fd < 0) return nullptr;
  std::FILE* f = ::fdopen(fd, "rb");
  if (!f) ::close(fd);
  return f;
}

bool ReadFile(const std::string& path, std::string& out) {
  out.clear();
  int fd = OpenRegular(path);
  if (fd < 0) return false;
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  return ::close(fd) == 0;
}

int ReplaceFile(const std::string& path, std::string_view content) {
  ReplaceStep step;
  return ReplaceFile(path, content, step);
}

int ReplaceTarget(const std::string& path, std::string& target) {
  // Linux allows 40 links in one lookup; a longer chain is a loop.
  constexpr int kMaxLinks = 40;
  target = path;
  for (int hops = 0;; ++hops) {
    struct stat st;
    if (::lstat(target.c_str(), &st) != 0) {
      // A new file (or a link to one that does not exist yet) is made there.
      if (errno == ENOENT) return 0;
      return errno ? errno : EIO;
    }
    if (!S_ISLNK(st.st_mode)) {
      if (S_ISDIR(st.st_mode)) return EISDIR;
      // A pipe or a device behind a name is no file to rewrite: a rename
      // would put a plain file in its place.
      if (!S_ISREG(st.st_mode)) return EINVAL;
      // Permission bits alone do not stop root; a file with none to write
      // is the dealer's protection and is refused for everyone.
      if ((st.st_mode & 0222) == 0) return EACCES;
      if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return errno ? errno : EACCES;
      return 0;
    }
    if (hops >= kMaxLinks) return ELOOP;
    std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
    if (n < 0) return errno ? errno : EIO;
    if (static_cast<size_t>(n) >= link.size()) return ENAMETOOLONG;
    link.resize(static_cast<size_t>(n));
    if (link.empty()) return ENOENT;
    std::string dir, name;
    SplitPath(target, dir, name);
    target = link[0] == '/' ? link : dir + link;
  }
}

int KeepMode(int fd, const std::string& target) {
  struct stat st;
  if (::stat(target.c_str(), &st) != 0) return 0;
  // A dealer's file rewritten by root stays the dealer's, or the dealer's
  // own account could no longer write it. Whoever may not give a file away
  // may still keep its group when a member of it; beyond that the new file
  // is the writer's, as any file it makes. The owner goes first: a change
  // of owner clears the set-id bits that the mode then puts back.
  if (::fchown(fd, st.st_uid, st.st_gid) != 0) (void)::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
  return ::fchmod(fd, st.st_mode & 07777) == 0 ? 0 : errno;
}

int SyncFolder(const std::string& dir) {
  int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // A folder that may be written but not read cannot be opened to be
  // synced; its entries reach the disk with the file system's own flush.
  if (dfd < 0) return errno == EACCES ? 0 : errno;
  int err = ::fsync(dfd) == 0 || errno == EINVAL ? 0 : errno;
  ::close(dfd);
  return err;
}

int ReplaceFile(const std::string& path, std::string_view content, ReplaceStep& failedStep) {
  failedStep = ReplaceStep::Create;
  std::string target;
  if (int refused = ReplaceTarget(path, target)) return refused;
  std::string dir, name;
  SplitPath(target, dir, name);
  // What a replace killed at its rename left in this folder.
  RemoveHexNames(dir, kReplacePrefix, kReplaceDigits, "");
  static thread_local std::mt19937 rng(std::random_device{}() ^ static_cast<unsigned>(::getpid()));
  // Not built from the target's name: a name near the length limit would
  // leave no room for a suffix, and such a file could never be rewritten.
  const std::string base = WithSlash(dir.empty() ? "." : dir) + std::string(kReplacePrefix);
  std::string tmp;
  int fd = -1;
  // Created 0666 so that the umask decides a new file's mode, as for any
  // file the user makes; an existing file keeps its own below.
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tmp = base + HexDigits(static_cast<unsigned>(rng()), kReplaceDigits);
    fd = CreateLocked(AT_FDCWD, tmp.c_str(), O_WRONLY, 0666);
    if (fd < 0 && errno != EEXIST && errno != EAGAIN) return errno ? errno : EIO;
  }
  if (fd < 0) return EEXIST;
  // The temporary stays locked until it has the target's name or is gone:
  // the copy of its descriptor holds the lock past the checked close.
  const int hold = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  int err = hold < 0 ? errno : KeepMode(fd, target);
  if (!err) failedStep = ReplaceStep::Write;
  if (!err && !WriteAll(fd, content)) err = errno;
  if (!err && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && !err) err = errno;
  if (!err) failedStep = ReplaceStep::Rename;
  if (!err && ::rename(tmp.c_str(), target.c_str()) != 0) err = errno;
  if (err) ::unlink(tmp.c_str());
  if (hold >= 0) ::close(hold);
  if (err) return err;
  // Until the folder is on disk a power cut may bring the old file back
  // after its success was told.
  return SyncFolder(dir);
}

bool FreeSpace(const std::string& dir, uint64_t& bytes) {
  struct statvfs sv;
  if (::statvfs(dir.empty() ? "." : dir.c_str(), &sv) != 0) return false;
  bytes = static_cast<uint64_t>(sv.f_bavail) * sv.f_frsize;
  return true;
}

namespace {

// 0 when the entry name of folder dfd, as lstat saw it in st, is a work
// file the program may remove; else why it stays. Root passes every access
// check, so a file without any write bit counts as the dealer's protection.
int WorkFileRefusal(int dfd, const char* name, const struct stat& st) {
  if (S_ISLNK(st.st_mode)) return ELOOP;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  if (!S_ISREG(st.st_mode)) return EINVAL;
  if ((st.st_mode & 0222) == 0) return EACCES;
  if (::faccessat(dfd, name, W_OK, AT_EACCESS) != 0) return errno ? errno : EACCES;
  return 0;
}

int OpenFolder(const std::string& dir) {
  return ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// Removes the left-over work file name of folder dfd: 0 when it is gone or
// was never there, else why it stays (see WorkFileRefusal; EBUSY while a
// writer holds its lock). It is opened only to take that lock, never
// through a link nor waiting on a pipe put there, and it goes while the
// lock is held, so that no writer can take it up in between.
int RemoveLeftOver(int dfd, const char* name) {
  struct stat st;
  if (::fstatat(dfd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT ? 0 : errno;
  if (int refused = WorkFileRefusal(dfd, name, st)) return refused;
  constexpr int kOpen = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  int fd = ::openat(dfd, name, O_RDONLY | kOpen);
  // A file that may be written but not read is still ours to remove.
  if (fd < 0 && errno == EACCES) fd = ::openat(dfd, name, O_WRONLY | kOpen);
  if (fd < 0) return errno == ENOENT ? 0 : errno;
  struct stat held, now;
  int err = 0;
  if (::fstat(fd, &held) != 0 || !SameFile(held, st)) {
    err = EBUSY;  // another file took the name meanwhile
  } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    err = errno == EWOULDBLOCK ? EBUSY : errno;
  } else if (::fstatat(dfd, name, &now, AT_SYMLINK_NOFOLLOW) != 0) {
    err = errno == ENOENT ? 0 : errno;  // another clean-up was first
  } else if (!SameFile(now, held)) {
    err = EBUSY;
  } else if (::unlinkat(dfd, name, 0) != 0 && errno != ENOENT) {
    err = errno;
  }
  ::close(fd);
  return err;
}

// Runs remove(dfd, name) on the entries of the folder dir whose names pass
// match. Every step is taken relative to the folder as opened, never
// through a name that could be swapped for a link between the look and the
// removal. No change of mode is needed: on Linux the folder's write bit
// alone decides whether a name may go.
template <class Match, class Remove>
void RemoveMatching(const std::string& dir, Match match, Remove remove) {
  int dfd = OpenFolder(dir);
  if (dfd < 0) return;
  // The listing reads a descriptor of its own, which closedir closes.
  std::vector<std::string> names;
  const int lfd = ::fcntl(dfd, F_DUPFD_CLOEXEC, 0);
  DIR* h = lfd < 0 ? nullptr : ::fdopendir(lfd);
  if (!h && lfd >= 0) ::close(lfd);
  while (dirent* e = h ? ::readdir(h) : nullptr)
    if (match(std::string_view(e->d_name))) names.emplace_back(e->d_name);
  if (h) ::closedir(h);
  for (const std::string& name : names) remove(dfd, name.c_str());
  ::close(dfd);
}

void RemoveHexNames(const std::string& dir, std::string_view prefix, size_t digits, std::string_view suffix) {
  RemoveMatching(
      dir, [&](std::string_view n) { return IsHexName(n, prefix, digits, suffix); },
      [](int dfd, const char* name) { (void)RemoveLeftOver(dfd, name); });
}

}  // namespace

void DeleteMatching(const std::string& pathMask) {
  std::string dir, mask;
  SplitPath(pathMask, dir, mask);
  RemoveMatching(
      dir, [&](std::string_view n) { return n != "." && n != ".." && MaskMatch(mask, n); },
      [](int dfd, const char* name) {
        struct stat st;
        if (::fstatat(dfd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) ::unlinkat(dfd, name, 0);
      });
}

int CreateWorkFile(const std::string& path) {
  std::string dir, name;
  SplitPath(path, dir, name);
  if (name.empty()) {
    errno = EISDIR;
    return -1;
  }
  // Every step is taken in the folder as opened, by the name alone. A
  // clean-up that takes the new file in the instant before its lock is
  // outlived by making it again.
  int dfd = OpenFolder(dir);
  if (dfd < 0) return -1;
  int fd = -1, err = EAGAIN;
  for (int attempt = 0; attempt < 10 && err == EAGAIN; ++attempt) {
    err = RemoveLeftOver(dfd, name.c_str());
    // O_EXCL and O_NOFOLLOW: whatever was put there since is not ours either.
    if (!err) fd = CreateLocked(dfd, name.c_str(), O_RDWR, 0644);
    if (!err && fd < 0) err = errno;
  }
  ::close(dfd);
  errno = err;
  return fd;
}

void RemoveWorkFile(const std::string& path) {
  std::string dir, name;
  SplitPath(path, dir, name);
  int dfd = OpenFolder(dir);
  if (dfd < 0) return;
  if (!name.empty()) (void)RemoveLeftOver(dfd, name.c_str());
  ::close(dfd);
}

void RemoveTempFiles(const std::string& dir, std::string_view prefix) {
  RemoveHexNames(WithSlash(dir), prefix, kTempDigits, kTempSuffix);
}

void DiscardWorkFile(int fd, const std::string& path) {
  if (fd < 0) return;
  struct stat mine, named;
  if (::fstat(fd, &mine) == 0 && ::lstat(path.c_str(), &named) == 0 && SameFile(mine, named))
    ::unlink(path.c_str());
  ::close(fd);
}

}  // namespace fsys
