#include "transfer/LErr_Data.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "link/EnvNew_Unit.h"
#include "link/SettingsText.h"
#include "platform/Cp932.h"
#include "platform/FileSys.h"
#include "shell/CommonStr_Unit.h"
#include "shell/Global_Unit.h"
#include "shell/Language_Unit.h"
#include "transfer/FSel_Data.h"

namespace lerr {

namespace {

constexpr std::string_view kErrFiles[2] = {"CONTROL.ERR", "OTHER.ERR"};

}  // namespace

// ---- Folder ----

std::string EnvFolder() {
  std::string path = fsys::Resolve(ProgramDir, "ENVIRON.DAT");
  std::string content;
  if (!fsys::FileExists(path) || !fsys::ReadFile(path, content)) return ProgramDir;
  std::vector<std::string> fields;
  Common_SplitComma(fields, settings::FirstLine(content));
  if (fields.size() < 2 || fields[1].empty()) return ProgramDir;
  return fsys::WithSlash(Env_UserInfFolder(fields[1]));
}

std::string UserName(const std::string& folder) {
  std::string name;
  if (!UsrFile_Read(folder, name)) return {};
  return name;
}

std::string FolderCaption(const std::string& folder) {
  if (folder.size() > 1 && folder.back() == '/') return folder.substr(0, folder.size() - 1);
  return folder;
}

// ---- Dump text ----

void DumpFilter::Feed(std::string_view bytes) {
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b == '\r') {
      cr_ = true;
    } else if (b == '\n') {
      if (cr_) {
        lines_.push_back(std::move(line_));
        line_.clear();
        cr_ = false;
      }
    } else if (Kept(b)) {
      line_.push_back(ch);
      cr_ = false;
    }
  }
}

std::vector<std::string> DumpFilter::Finish() {
  lines_.push_back(std::move(line_));
  line_.clear();
  cr_ = false;
  return std::move(lines_);
}

std::vector<std::string> FilterDump(std::string_view bytes) {
  DumpFilter f;
  f.Feed(bytes);
  return f.Finish();
}

int ReadDump(const std::string& path, std::vector<std::string>& lines, const std::function<void()>& between) {
  lines.clear();
  // Non-blocking, so that a pipe put in the file's place cannot hang the
  // form; only a regular file is read as a dump.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return kMsgDumpOpen;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))) {
    ::close(fd);
    return kMsgDumpOpen;
  }
  DumpFilter filter;
  char buf[4096];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      // A folder opens but cannot be read, like any read error.
      ::close(fd);
      return kMsgDumpRead;
    }
    if (n == 0) break;
    filter.Feed(std::string_view(buf, static_cast<size_t>(n)));
    if (between) between();
  }
  ::close(fd);
  lines = filter.Finish();
  return 0;
}

// ---- Error lists ----

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> out;
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      out.push_back(std::move(line));
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line.push_back(c);
    }
  }
  out.push_back(std::move(line));
  return out;
}

int RecordCount(const std::vector<std::string>& lines) {
  size_t n = lines.size();
  if (n > 0 && lines.back().empty()) --n;
  return static_cast<int>(n / 2);
}

int ReadErrList(const std::string& folder, const std::string& fileName, std::vector<std::string>& lines) {
  lines.clear();
  const std::string path = fsys::Resolve(fsys::WithSlash(folder), fileName);
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return 1;
  std::string content;
  if (!fsys::FileExists(path) || !fsys::ReadFile(path, content)) return 2;
  lines = SplitLines(content);
  return 0;
}

std::vector<Row> ErrRows(const std::string& folder) {
  std::vector<Row> rows;
  const std::string dir = fsys::WithSlash(folder);
  for (size_t k = 0; k < 2; ++k) {
    const std::string path = fsys::Resolve(dir, kErrFiles[k]);
    if (!fsys::FileExists(path)) continue;
    std::string d, name;
    fsys::SplitPath(path, d, name);
    rows.push_back({std::string(LErrKindName[k]), name});
  }
  return rows;
}

// ---- Dump list ----

std::string DumpStem(std::string_view fileNameOnDisk) {
  if (fileNameOnDisk.size() < 5) return {};
  std::string_view base = fileNameOnDisk.substr(0, fileNameOnDisk.size() - 4);
  // Not UTF-8: CP932 already, as unpacked from a Windows archive.
  if (!cp932::IsUtf8(base)) return std::string(base);
  if (auto c = cp932::FromUtf8(base)) return *c;
  // A name with no CP932 form is shown as far as it has one; the row keeps
  // the real name beside it.
  std::string s;
  for (char ch : base) s += static_cast<unsigned char>(ch) < 0x80 ? ch : '?';
  return s;
}

std::string DumpRowText(std::string_view fitted, std::string_view date, std::string_view time,
                        std::string_view stem) {
  std::string s;
  s.append(fitted).append("\t").append(date).append("\t").append(time).append("\t\t").append(stem);
  return s;
}

bool DumpRows(const std::string& folder, const std::function<std::string(std::string_view)>& fit,
              std::vector<Row>& rows) {
  rows.clear();
  const std::string dir = fsys::WithSlash(folder);
  std::vector<fsys::DirEntry> list;
  if (!fsys::ListDir(dir, "*.DMP", list)) return false;
  for (const fsys::DirEntry& e : list) {
    if (static_cast<int>(rows.size()) >= kMaxDumpFiles) break;
    // A folder or a device named like a dump is no dump.
    if (e.isDir || !fsys::FileExists(dir + e.name)) continue;
    std::string stem = DumpStem(e.name);
    std::string date, time;
    FileDate_Get(dir + e.name, date, time);
    rows.push_back({DumpRowText(fit ? fit(stem) : stem, date, time, stem), e.name});
  }
  std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
    return fsys::LessNoCase(a.text, b.text);
  });
  return true;
}

int DeleteDump(const std::string& folder, const std::string& fileName) {
  const std::string path = fsys::WithSlash(folder) + fileName;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return kMsgDeleteFailed;
  if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return kMsgDeleteFailed;
  if (::unlink(path.c_str()) != 0) return kMsgDeleteFailed;
  return 0;
}

// ---- Printing ----

PageLayout Layout(int pageHeight, int fontHeight) {
  PageLayout l;
  if (pageHeight <= 0) return l;
  int b = std::max(1, pageHeight / (8 + 30));
  l.step = std::max({1, pageHeight / b, fontHeight});
  l.linesPerPage = std::max(1, pageHeight / l.step);
  return l;
}

std::string PageHead(std::string_view title, int page) {
  return std::string(kIndent, ' ') + std::string(title) + "  (PAGE. " + std::to_string(page) + ")";
}

std::string PrintedLine(std::string_view line) { return std::string(kIndent, ' ') + std::string(line); }

int Pager::TextLinesPerPage() const { return std::max(1, l_.linesPerPage - 6); }

bool Pager::NeedsNewPage() const { return counter_ - 3 >= TextLinesPerPage(); }

int Pager::Next() {
  if (NeedsNewPage()) {
    ++page_;
    counter_ = 3;
  }
  int y = (counter_ + 1) * l_.step;
  ++counter_;
  return y;
}

int PageCount(PageLayout layout, int lines) {
  Pager p(layout);
  const int per = p.TextLinesPerPage();
  if (lines <= 0) return 1;
  return (lines + per - 1) / per;
}

}  // namespace lerr
