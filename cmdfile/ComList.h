// What the command-file list knows without a widget: the folders from
// ENVIRON.DAT, the command files of the folder, the rows shown for them, the
// rules of the names typed for New and Copy, and the printed page layout.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct ComListFile {
  std::string name;  // the bytes on disk (UTF-8, or CP932 from Windows), with its extension
  std::string date;  // "yyyy-mm-dd"
  std::string time;  // "hh:nn:ss"
};

constexpr int ComList_MaxFiles = 101;

// The list's state, kept for the run.
struct ComListState {
  std::string CmdDataDir;   // the command-file folder, absolute, ending in "/"
  std::string CmdUserName;  // CP932, empty when USER.INF cannot be read
  std::vector<ComListFile> CmdFileTable;
};
extern ComListState ComList;

// ENVIRON.DAT of ProgramDir: ControlFileName (CP932, field 0), the command
// folder (field 1) and ScreenFilesDir (field 2, as opened, ending in "/"),
// each folder ProgramDir when it does not exist; then the user name.
// 0, 9006 (missing), 9026 (unreadable, fewer than 17 fields) or 9077.
int Env_ReadDirs(ComListState& s);
// First line of USER.INF in the command folder; empty when unreadable.
std::string UserInf_Read(const std::string& folder);
// The "*.CMD" files of the folder (any case), sorted ignoring case, at most
// ComList_MaxFiles of them. 0, or 9077 when the folder cannot be read.
int ComList_Scan(ComListState& s);
// The list's precheck: folders, scan, the control file (9001 missing) and
// its definitions (read into the default set; 9021 and freed when faulty).
int ComList_Precheck(ComListState& s);

// A row: the name less its extension cut to 30 bytes of its CP932 form
// (".." after a cut), TAB date TAB time TAB TAB the whole name less its
// extension. UTF-8, as the list shows it (cp932::NameToUtf8): only for
// showing, the file is named by ComList_BaseName of its record.
std::string ComList_Row(const ComListFile& f);
// A file's name on disk less its extension (".CMD"), bytes as they are.
std::string ComList_BaseName(std::string_view fileName);
// Field n (from 0) of a tab-separated row; the last field runs to the end.
std::string ComList_RowField(std::string_view row, int n);

// Blanks (bytes up to 0x20) taken off both ends.
std::string ComList_Trim(std::string_view s);
// New: ".CMD" (any case) cut off a name longer than 4 bytes.
std::string ComList_NewName(std::string_view typed);
// Copy: the target's file name, ".CMD" appended unless the name has at
// least 5 bytes and ends in ".CMD" (any case).
std::string ComList_CopyName(std::string_view typed);
// A typed name may become a file of the folder: not empty after trimming,
// no "/" and no control byte.
bool ComList_NameUsable(std::string_view name);
// Whether a row's first field, trimmed, equals the trimmed name (case
// significant, as the list shows it).
bool ComList_NameListed(const std::vector<std::string>& rows, std::string_view name);
// The file of a name without extension in the folder, as it exists on disk
// in whatever case (the new spelling ".CMD" when none exists).
std::string ComList_Path(const std::string& folder, std::string_view baseName);
// The folder label: the folder without its trailing "/" (the root keeps it).
std::string ComList_DirLabel(const std::string& folder);

// Printing: the heading of a page and the pages of a file. A page holds
// linesPerPage lines: two empty, the heading, one empty, then up to
// linesPerPage - 6 file lines after 15 blanks. A file without lines still
// gives one page. linesPerPage below 7 is taken as 7.
std::string ComPrint_Heading(std::string_view label, std::string_view name, int page);
struct ComPrintLine {
  int index;         // line number on the page, from 0
  std::string text;  // CP932
  bool fromFile;     // a line of the file (Cancel is looked at before each)
};
std::vector<std::vector<ComPrintLine>> ComPrint_Layout(const std::vector<std::string>& fileLines,
                                                       int linesPerPage, std::string_view label,
                                                       std::string_view name);

// The lines of a file's bytes: CR LF, LF or CR alone ends a line, and a
// last line without a line end counts.
std::vector<std::string> ComFile_SplitText(std::string_view content);
