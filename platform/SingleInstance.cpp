#include "platform/SingleInstance.h"

#include <cstdlib>
#include <string>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/FileSys.h"

namespace plat {

std::string TempDir() {
  const char* t = std::getenv("TMPDIR");
  return fsys::WithSlash((t && *t) ? t : "/tmp");
}

std::string RuntimeDir() {
  const char* r = std::getenv("XDG_RUNTIME_DIR");
  if (r && *r && fsys::DirExists(r)) return fsys::WithSlash(r);
  return TempDir();
}

std::string SingleInstanceLockPath(const std::string& className) {
  const char* r = std::getenv("XDG_RUNTIME_DIR");
  if (r && *r && fsys::DirExists(r)) return fsys::WithSlash(r) + className + ".lock";
  // The shared temporary folder holds every user's files: the name carries
  // the user, so that one user cannot hold another's lock.
  return TempDir() + className + "-" + std::to_string(::getuid()) + ".lock";
}

bool AcquireSingleInstance(const std::string& className) {
  std::string path = SingleInstanceLockPath(className);
  // The descriptor is deliberately kept open for the life of the process.
  // A link planted under the name is not followed.
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return true;  // no lock file possible: do not refuse to start
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  return true;
}

}  // namespace plat
