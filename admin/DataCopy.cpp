#include "admin/DataCopy.h"

#include <sys/stat.h>

#include "platform/FileSys.h"

const std::array<const char*, 14> kAdminDataSet = {
    "MODEM.INF",       "Connect.Hlp",  "Telephone.Hlp",  "Save.Hlp",       "Load.Hlp",
    "LoadError.Hlp",   "CommandFS.Hlp", "Command.Hlp",   "SDFS.Hlp",       "SDSystem.Hlp",
    "SDPersonal.Hlp",  "SDExtensions.Hlp", "Dump.Hlp",   "Environment.Hlp"};

namespace {

// "a/b/" and "a/b" name one folder; the root keeps its "/".
std::string WithoutSlash(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

}  // namespace

bool DataCopy_SameFolder(const std::string& source, const std::string& target) {
  if (source.empty() || target.empty()) return false;
  if (WithoutSlash(source) == WithoutSlash(target)) return true;
  struct stat a, b;
  if (::stat(source.c_str(), &a) != 0 || ::stat(target.c_str(), &b) != 0) return false;
  return S_ISDIR(a.st_mode) && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

int DataCopy_Prepare(const std::string& source, const std::string& target, const DataCopyAsk& ask,
                     std::vector<DataCopyFile>& files) {
  files.clear();
  if (DataCopy_SameFolder(source, target)) return 404;
  if (source.empty() || !fsys::DirExists(source)) return 401;
  if (target.empty() || !fsys::DirExists(target)) return 402;
  std::string src = fsys::WithSlash(source), dst = fsys::WithSlash(target);
  bool helpAsked = false;
  for (size_t i = 0; i < kAdminDataSet.size(); ++i) {
    std::string from = fsys::Resolve(src, kAdminDataSet[i]);
    if (!fsys::FileExists(from)) continue;
    std::string to = fsys::Resolve(dst, kAdminDataSet[i]);
    // Anything already under the name counts, so that nothing goes unasked.
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0) {
      if (i == 0) {
        if (ask("7005") != 1) return -1;
      } else if (!helpAsked) {
        helpAsked = true;
        if (ask("7004") != 1) return -1;
      }
    }
    files.push_back({from, to});
  }
  return 0;
}

int DataCopy_Copy(const std::vector<DataCopyFile>& files) {
  for (const DataCopyFile& f : files) {
    std::string content;
    if (!fsys::ReadFile(f.from, content) || fsys::ReplaceFile(f.to, content) != 0) return 403;
  }
  return 0;
}
