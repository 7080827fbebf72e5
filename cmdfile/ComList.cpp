#include "cmdfile/ComList.h"

#include <exception>

#include "link/EnvNew_Unit.h"
#include "platform/Cp932.h"
#include "platform/FileSys.h"
#include "shell/CommonStr_Unit.h"
#include "shell/Global_Unit.h"
#include "shell/TextLines.h"
#include "transfer/Control_Unit.h"
#include "transfer/FSel_Data.h"

ComListState ComList;

namespace {

bool EndsWithCmd(std::string_view s) {
  return s.size() >= 4 && fsys::EqualNoCase(s.substr(s.size() - 4), ".CMD");
}

// A folder named in ENVIRON.DAT as it is on disk, a relative one taken
// from the program folder, ProgramDir when the field is empty; always
// ending in "/". Empty when the named folder does not exist.
std::string StoredFolder(std::string_view cp932Path) {
  if (cp932Path.empty()) return ProgramDir;
  std::string p = fsys::StoredPath(cp932Path, ProgramDir);
  return fsys::DirExists(p) ? fsys::WithSlash(p) : std::string();
}

}  // namespace

std::string UserInf_Read(const std::string& folder) {
  std::string name;
  if (!UsrFile_Read(folder, name)) name.clear();
  return name;
}

int Env_ReadDirs(ComListState& s) {
  try {
    std::string path = fsys::Resolve(ProgramDir, "ENVIRON.DAT");
    if (!fsys::FileExists(path)) return 9006;
    std::string content;
    if (!fsys::ReadFile(path, content)) return 9026;
    std::vector<std::string> f;
    Common_SplitComma(f, content);
    if (f.size() < 17) return 9026;
    ControlFileName = f[ENV_CONTROL_FILE];
    s.CmdDataDir = StoredFolder(f[ENV_DATA_DIR]);
    // The command files live in the data folder: a missing one is said, not
    // replaced by the program folder.
    if (s.CmdDataDir.empty()) return 9077;
    ScreenFilesDir = StoredFolder(f[ENV_SCREEN_DIR]);
    if (ScreenFilesDir.empty()) ScreenFilesDir = ProgramDir;
    s.CmdUserName = UserInf_Read(s.CmdDataDir);
    return 0;
  } catch (const std::exception&) {
    return 9077;
  }
}

int ComList_Scan(ComListState& s) {
  s.CmdFileTable.clear();
  try {
    std::vector<fsys::DirEntry> list;
    if (!fsys::ListDir(s.CmdDataDir, "*.CMD", list)) return 9077;
    for (const fsys::DirEntry& e : list) {
      if (static_cast<int>(s.CmdFileTable.size()) >= ComList_MaxFiles) break;
      // A folder of that name is no command file: it could not be opened.
      if (e.isDir || !fsys::FileExists(s.CmdDataDir + e.name)) continue;
      ComListFile f;
      f.name = e.name;
      FileDate_Get(s.CmdDataDir + e.name, f.date, f.time);
      s.CmdFileTable.push_back(std::move(f));
    }
    return 0;
  } catch (const std::exception&) {
    s.CmdFileTable.clear();
    return 9077;
  }
}

int ComList_Precheck(ComListState& s) {
  if (int r = Env_ReadDirs(s)) return r;
  if (int r = ComList_Scan(s)) return r;
  if (!fsys::FileExists(fsys::StoredPath(ControlFileName, ProgramDir))) return 9001;
  if (Ctl_File_Read() != 0) {
    Ctl_Def_Free();
    return 9021;
  }
  return 0;
}

std::string ComList_Row(const ComListFile& f) {
  std::string_view base = f.name;
  base = base.size() >= 4 ? base.substr(0, base.size() - 4) : std::string_view();
  // The cut counts the bytes of the name's CP932 form, as the files came
  // from Windows; a name with no such form is shown as far as it has one.
  std::string sj;
  if (!cp932::IsUtf8(base)) {
    sj = std::string(base);  // already CP932: unpacked from a Windows archive
  } else if (auto c = cp932::FromUtf8(base)) {
    sj = *c;
  } else {
    for (char ch : base) sj += static_cast<unsigned char>(ch) < 0x80 ? ch : '?';
  }
  std::string title = sj.size() > 30 ? cp932::Cut(sj, 30) + ".." : sj;
  return cp932::ToUtf8(title) + "\t" + f.date + "\t" + f.time + "\t\t" + cp932::NameToUtf8(base);
}

std::string ComList_BaseName(std::string_view fileName) {
  return std::string(fileName.size() >= 4 ? fileName.substr(0, fileName.size() - 4) : std::string_view());
}

std::string ComList_RowField(std::string_view row, int n) {
  size_t pos = 0;
  for (int i = 0; i < n; ++i) {
    size_t t = row.find('\t', pos);
    if (t == std::string_view::npos) return {};
    pos = t + 1;
  }
  if (n >= 4) return std::string(row.substr(pos));
  size_t t = row.find('\t', pos);
  return std::string(row.substr(pos, t == std::string_view::npos ? std::string_view::npos : t - pos));
}

std::string ComList_Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 0x20) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20) --e;
  return std::string(s.substr(b, e - b));
}

std::string ComList_NewName(std::string_view typed) {
  if (typed.size() > 4 && EndsWithCmd(typed)) typed.remove_suffix(4);
  return std::string(typed);
}

std::string ComList_CopyName(std::string_view typed) {
  if (typed.size() >= 5 && EndsWithCmd(typed)) return std::string(typed);
  return std::string(typed) + ".CMD";
}

bool ComList_NameUsable(std::string_view name) {
  if (ComList_Trim(name).empty()) return false;
  for (unsigned char c : name)
    if (c == '/' || c < 0x20 || c == 0x7F) return false;
  return true;
}

bool ComList_NameListed(const std::vector<std::string>& rows, std::string_view name) {
  std::string want = ComList_Trim(name);
  for (const std::string& r : rows)
    if (ComList_Trim(ComList_RowField(r, 0)) == want) return true;
  return false;
}

std::string ComList_Path(const std::string& folder, std::string_view baseName) {
  return fsys::Resolve(fsys::WithSlash(folder), std::string(baseName) + ".CMD");
}

std::string ComList_DirLabel(const std::string& folder) {
  if (folder.size() > 1 && folder.back() == '/') return folder.substr(0, folder.size() - 1);
  return folder;
}

std::string ComPrint_Heading(std::string_view label, std::string_view name, int page) {
  return std::string(15, ' ') + std::string(label) + std::string(name) + " (PAGE. " + std::to_string(page) + ")";
}

std::vector<std::vector<ComPrintLine>> ComPrint_Layout(const std::vector<std::string>& fileLines,
                                                       int linesPerPage, std::string_view label,
                                                       std::string_view name) {
  const int L = linesPerPage < 7 ? 7 : linesPerPage;
  std::vector<std::vector<ComPrintLine>> pages;
  size_t next = 0;
  do {
    std::vector<ComPrintLine> page;
    page.push_back({2, ComPrint_Heading(label, name, static_cast<int>(pages.size()) + 1), false});
    for (int k = 4; k <= L - 3 && next < fileLines.size(); ++k, ++next)
      page.push_back({k, std::string(15, ' ') + fileLines[next], true});
    pages.push_back(std::move(page));
  } while (next < fileLines.size());
  return pages;
}

std::vector<std::string> ComFile_SplitText(std::string_view content) { return TextLines_Split(content); }
