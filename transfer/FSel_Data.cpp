#include "transfer/FSel_Data.h"

#include <sys/stat.h>

#include <ctime>
#include <exception>

#include "link/EnvNew_Unit.h"
#include "platform/Cp932.h"
#include "platform/FileSys.h"
#include "shell/CommonStr_Unit.h"
#include "shell/Language_Unit.h"
#include "shell/TextLines.h"

namespace {

const FSel_Type kType0{0,
                       8,
                       4,
                       5,
                       {0, 1, 2, 3, 4, 6},
                       4,
                       {"7010", "7011", "7012", "7013", "7014", "7018"},
                       {0, 1, 2, 3},
                       {6, 7},
                       {0, 1, 3},
                       {0, 1, 2, 3, 5},
                       true,
                       DataKindNames};
const FSel_Type kType1{1,
                       9,
                       6,
                       7,
                       {0, 1, 2, 3, 4, 5, 6},
                       6,
                       {"7010", "7011", "7017", "7012", "7018", "7013", "7014"},
                       {0, 1, 2, 3, 4, 5},
                       {8},
                       {0, 1, 2, 3},
                       {0, 1, 2, 3, 4, 5},
                       false,
                       DataKindNamesZNT};

// Blanks as the files' writers trim them: the space and every control byte.
std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 0x20) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20) --e;
  return s.substr(b, e - b);
}

// A name as found in the folder; present when it is a regular file there.
bool Find(const std::string& folder, const std::string& name, std::string& found) {
  if (name.empty()) return false;
  std::string path = fsys::Resolve(folder, name);
  std::string dir;
  fsys::SplitPath(path, dir, found);
  return fsys::FileExists(path);
}

// The test of DataFile_Scan on one file.
void ScanOne(const std::string& folder, FSel_Entry& e, int operation) {
  e.present = 0;
  e.comment.clear();
  e.date.clear();
  e.time.clear();
  std::string found;
  if (!Find(folder, e.fileName, found)) return;
  e.fileName = found;
  const std::string path = folder + found;
  bool ok = Comment_Read(path, e.comment);
  if (ok || operation != 1) {
    e.present = 1;
    FileDate_Get(path, e.date, e.time);
  }
}

std::string EntryRow(const FSel_Entry& e) {
  if (!e.present) return e.name;
  return e.name + "\t" + e.comment + "\t" + e.date + "\t" + e.time;
}

}  // namespace

const FSel_Type& FSel_TypeOf(int systemType) { return systemType == 1 ? kType1 : kType0; }

FSel_Range FSel_RangeOf(const FSel_Type& t, int loadKind) {
  if (loadKind == 0) return {0, 3};
  if (t.systemType == 1) {
    if (loadKind == 1 || loadKind == 3) return {1, 4};
    if (loadKind == 2) return {2, 12};
    return {};
  }
  if (loadKind == 1 || loadKind == 2) return {1, 4};
  return {};
}

bool FSel_RangeKeyOk(int length, char c) {
  if (c >= '0' && c <= '9') return true;
  return length == 4 && (c == '#' || c == '*');
}

int Environ_Read(FSel_Data& d) {
  std::string path = fsys::Resolve(ProgramDir, "ENVIRON.DAT");
  if (!fsys::FileExists(path)) return 9006;
  std::string content;
  if (!fsys::ReadFile(path, content)) return 9026;
  std::vector<std::string> pieces;
  Common_SplitComma(pieces, content);
  if (pieces.size() < 17) return 9026;
  ControlFileName = pieces[0];
  // An empty field means the program folder. A folder that is named but
  // missing is said: silently listing (and saving into) the program
  // folder instead would put the dealer's files where he does not look.
  std::string folder = ProgramDir;
  if (!pieces[1].empty()) {
    folder = fsys::StoredPath(pieces[1], ProgramDir);
    if (!fsys::DirExists(folder)) return 9077;
  }
  d.dataFolder = fsys::WithSlash(folder);
  UserInf_Read(d);
  return 0;
}

void UserInf_Read(FSel_Data& d) {
  d.userName.clear();
  if (!UsrFile_Read(d.dataFolder, d.userName)) d.userName.clear();
}

void PartList_Parse(std::string_view content, FSel_Data& d) {
  d.parts.clear();
  for (auto& p : PartFileName) p.clear();
  bool inBlock = false;
  size_t pos = 0;
  while (pos < content.size() && static_cast<int>(d.parts.size()) < FSel_MaxParts) {
    size_t e = content.find('\n', pos);
    if (e == std::string_view::npos) e = content.size();
    std::string_view t = Trim(content.substr(pos, e - pos));
    pos = e + 1;
    if (t.size() <= 1 || t[0] != '@') {
      if (inBlock) break;
      continue;
    }
    inBlock = true;
    size_t semi = t.find(';');  // 0-based; the 1-based position is semi + 1
    if (semi == std::string_view::npos || semi + 1 < 3) continue;
    FSel_Entry part;
    part.name.assign(Trim(t.substr(1, semi - 1)));
    std::string_view file = Trim(t.substr(semi + 1));
    if (!file.empty()) part.fileName = cp932::ToUtf8(file) + ".DAT";
    PartFileName[d.parts.size()] = part.fileName;
    d.parts.push_back(std::move(part));
  }
}

int PartList_Read(FSel_Data& d) {
  d.parts.clear();
  d.partPresentCount = 0;
  std::string path = fsys::StoredPath(ControlFileName, ProgramDir);
  if (ControlFileName.empty() || !fsys::FileExists(path)) return 9001;
  std::string content;
  if (!fsys::ReadFile(path, content)) return 9021;
  try {
    PartList_Parse(content, d);
  } catch (const std::exception&) {
    d.parts.clear();
    return 9021;
  }
  return 0;
}

bool Comment_Read(const std::string& path, std::string& comment) {
  comment.clear();
  std::string content;
  if (!fsys::ReadFile(path, content)) return false;
  std::string_view t = Trim(TextLines_First(content));
  if (t.size() > 1 && t[0] == '!') comment.assign(t.substr(1));
  return true;
}

void FileDate_Get(const std::string& path, std::string& date, std::string& time) {
  date.clear();
  time.clear();
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return;
  std::tm tm{};
  time_t t = st.st_mtime;
  if (!localtime_r(&t, &tm)) return;
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d", &tm);
  date = buf;
  std::strftime(buf, sizeof buf, "%H:%M:%S", &tm);
  time = buf;
}

int DataFile_Scan(FSel_Data& d, int operation) {
  try {
    const FSel_Type& t = *d.type;
    d.kinds.resize(t.slotCount);
    for (int slot = 0; slot < t.slotCount; ++slot) {
      FSel_Entry& e = d.kinds[slot];
      e = FSel_Entry{};
      e.name.assign(t.kindNames[slot]);
      if (slot == t.partSlot || slot == t.cmdSlot) continue;
      e.fileName = DataFileName[slot];
      ScanOne(d.dataFolder, e, operation);
    }
    return 0;
  } catch (const std::exception&) {
    return 9077;
  }
}

int PartFile_Scan(FSel_Data& d, int operation) {
  d.partPresentCount = 0;
  try {
    for (size_t i = 0; i < d.parts.size(); ++i) {
      FSel_Entry& p = d.parts[i];
      p.fileName = PartFileName[i];
      ScanOne(d.dataFolder, p, operation);
      if (p.present) ++d.partPresentCount;
    }
    return 0;
  } catch (const std::exception&) {
    return 9077;
  }
}

int CmdFile_Scan(FSel_Data& d) {
  d.cmdFiles.clear();
  try {
    std::vector<fsys::DirEntry> list;
    if (!fsys::ListDir(d.dataFolder, "*.CMD", list)) return 9077;
    for (const fsys::DirEntry& e : list) {
      if (static_cast<int>(d.cmdFiles.size()) >= FSel_MaxCmdFiles) break;
      // Only a file can be loaded; a folder of that name is passed over.
      if (e.isDir || !fsys::FileExists(d.dataFolder + e.name)) continue;
      FSel_CmdFile c;
      c.fileName = e.name;
      FileDate_Get(d.dataFolder + e.name, c.date, c.time);
      d.cmdFiles.push_back(std::move(c));
    }
    return 0;
  } catch (const std::exception&) {
    d.cmdFiles.clear();
    return 9077;
  }
}

int FSel_Read(FSel_Data& d, int operation) {
  if (int r = Environ_Read(d)) return r;
  d.parts.clear();
  d.partPresentCount = 0;
  d.cmdFiles.clear();
  if (operation == 0 || operation == 1) {
    if (int r = PartList_Read(d)) return r;
    if (int r = PartFile_Scan(d, operation)) return r;
  }
  if (int r = DataFile_Scan(d, operation)) return r;
  if (operation == 1)
    if (int r = CmdFile_Scan(d)) return r;
  return 0;
}

std::string FSel_CmdFileTitle(std::string_view fileNameOnDisk) {
  std::string_view base = fileNameOnDisk.size() >= 4 ? fileNameOnDisk.substr(0, fileNameOnDisk.size() - 4) : "";
  // A name with no CP932 form is shown as far as it has one; the row keeps
  // the real name beside it. A name that is not UTF-8 is CP932 already.
  std::string s;
  if (!cp932::IsUtf8(base)) {
    s = std::string(base);
  } else if (auto c = cp932::FromUtf8(base)) {
    s = *c;
  } else {
    for (char ch : base) s += (static_cast<unsigned char>(ch) < 0x80) ? ch : '?';
  }
  if (s.size() > 30) return cp932::Cut(s, 30) + "..";
  return s;
}

FSel_Lists FSel_BuildRows(const FSel_Data& d, int operation) {
  const FSel_Type& t = *d.type;
  FSel_Lists out;
  auto kindRow = [&](int slot, int kind) {
    if (slot < static_cast<int>(d.kinds.size())) out.kindRows.push_back({EntryRow(d.kinds[slot]), kind});
  };
  if (operation == 0) {
    for (int slot : t.saveSlots) kindRow(slot, slot);
    for (size_t i = 0; i < d.parts.size(); ++i) out.partRows.push_back({EntryRow(d.parts[i]), static_cast<int>(i)});
  } else if (operation == 1) {
    for (int slot : t.loadBefore)
      if (slot < static_cast<int>(d.kinds.size()) && d.kinds[slot].present) kindRow(slot, slot);
    if (d.partPresentCount > 0) {
      out.kindRows.push_back({std::string(t.kindNames[t.partSlot]), t.partSlot});
      for (size_t i = 0; i < d.parts.size(); ++i)
        if (d.parts[i].present) out.partRows.push_back({EntryRow(d.parts[i]), static_cast<int>(i)});
    }
    if (!d.cmdFiles.empty()) {
      out.kindRows.push_back({std::string(t.kindNames[t.cmdSlot]), t.cmdSlot});
      for (size_t i = 0; i < d.cmdFiles.size(); ++i) {
        const FSel_CmdFile& c = d.cmdFiles[i];
        out.cmdRows.push_back({FSel_CmdFileTitle(c.fileName) + "\t" + c.date + "\t" + c.time, static_cast<int>(i)});
      }
    }
    for (int slot : t.loadAfter)
      if (slot < static_cast<int>(d.kinds.size()) && d.kinds[slot].present) kindRow(slot, slot);
  } else {
    for (int row = 0; row < static_cast<int>(t.speedDialModes.size()); ++row) kindRow(row, row);
  }
  return out;
}

int FSel_RangeCheck(std::string_view from, std::string_view to) {
  std::string_view f = Trim(from), t = Trim(to);
  if (f.empty() && t.empty()) return 9514;
  // The bounds are compared as typed, byte by byte.
  if (!f.empty() && !t.empty() && from.compare(to) > 0) return 9514;
  return 0;
}

std::string FSel_FreeSpaceText(bool known, uint64_t bytes) {
  return Common_GroupDigits(std::to_string(known ? bytes : 0)) + " bytes";
}

std::string FSel_FreeSpaceText(const std::string& folder) {
  uint64_t bytes = 0;
  bool known = fsys::FreeSpace(folder, bytes);
  return FSel_FreeSpaceText(known, bytes);
}

std::vector<SaveChoice> FSel_SaveItems(const FSel_Data& d, int row, const std::vector<int>& selectedParts,
                                       bool& anyPresent) {
  const FSel_Type& t = *d.type;
  std::vector<SaveChoice> out;
  anyPresent = false;
  if (row < 0 || row >= static_cast<int>(t.saveSlots.size())) return out;
  if (row == t.partSaveRow) {
    for (int i : selectedParts) {
      if (i < 0 || i >= static_cast<int>(d.parts.size())) continue;
      const FSel_Entry& p = d.parts[i];
      if (p.present) anyPresent = true;
      out.push_back({p.fileName, static_cast<char>('A' + i), p.name});
    }
    return out;
  }
  const int slot = t.saveSlots[row];
  const FSel_Entry& e = d.kinds[slot];
  anyPresent = e.present != 0;
  const char code = slot < static_cast<int>(DataKindCode.size()) ? DataKindCode[slot] : '\0';
  out.push_back({e.fileName.empty() ? DataFileName[slot] : e.fileName, code, e.name});
  return out;
}

std::string FSel_LoadFile(const FSel_Data& d, int kind, int sub) {
  const FSel_Type& t = *d.type;
  if (kind == t.partSlot) {
    int n = 0;
    for (const FSel_Entry& p : d.parts) {
      if (!p.present) continue;
      if (n++ == sub) return p.fileName;
    }
    return {};
  }
  if (kind == t.cmdSlot) {
    if (sub < 0 || sub >= static_cast<int>(d.cmdFiles.size())) return {};
    return d.cmdFiles[sub].fileName;
  }
  if (kind < 0 || kind >= static_cast<int>(d.kinds.size())) return {};
  const FSel_Entry& e = d.kinds[kind];
  return e.fileName.empty() ? DataFileName[kind] : e.fileName;
}
