// What the load-error and dump viewer reads, lists and prints, without any
// widget: the folder it starts in, the rows of its list (the error lists of
// a load, or the dump files of the telephone image), the text filter of a
// dump file, the record count of an error list and the page arithmetic of
// the printed listing.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lerr {

// A folder shows its first 101 dump files.
constexpr int kMaxDumpFiles = 101;
constexpr int kIndent = 15;
constexpr char kJobName[] = "O.R.V.O";

// Messages of the viewer.
constexpr int kMsgDumpOpen = 9009;
constexpr int kMsgDumpRead = 9029;
constexpr int kMsgErrList = 9036;
constexpr int kMsgAskDelete = 7901;
constexpr int kMsgDeleteFailed = 9901;
constexpr int kMsgPrintFailed = 9091;

// ---- Folder ----

// The folder of the dump button: field 1 of ENVIRON.DAT in ProgramDir (a
// relative folder taken from ProgramDir); ProgramDir when the file is
// missing or unreadable, the field is absent or empty, or the folder does
// not exist. Always ends in "/".
std::string EnvFolder();
// First line of USER.INF in the folder; empty when missing or unreadable.
std::string UserName(const std::string& folder);
// The folder as its label shows it: without a trailing "/", except the root.
std::string FolderCaption(const std::string& folder);

// ---- Dump text ----

// Bytes that a dump shows: 0x20-0x7E and 0xA0-0xDF.
constexpr bool Kept(unsigned char b) { return (b >= 0x20 && b <= 0x7E) || (b >= 0xA0 && b <= 0xDF); }

// The filter of a dump file, fed piece by piece: kept bytes make up the
// line; a LF after a CR ends it (dropped bytes between them do not count,
// a kept byte cancels the CR); every other byte is dropped.
class DumpFilter {
 public:
  void Feed(std::string_view bytes);
  // The lines, the last one (what followed the last line end) included.
  std::vector<std::string> Finish();

 private:
  std::vector<std::string> lines_;
  std::string line_;
  bool cr_ = false;
};
std::vector<std::string> FilterDump(std::string_view bytes);

// Reads and filters a dump file: 0, kMsgDumpOpen when it cannot be opened
// as a regular file, kMsgDumpRead when reading fails. between runs after
// each piece read (the form lets its window messages through there).
int ReadDump(const std::string& path, std::vector<std::string>& lines, const std::function<void()>& between = {});

// ---- Error lists ----

// The lines of a text as a text area holds them: ended by CR LF, LF or CR;
// a text that ends with a line end has a last empty line.
std::vector<std::string> SplitLines(std::string_view text);
// Records of an error list (two lines each) after one last empty line is
// dropped.
int RecordCount(const std::vector<std::string>& lines);

// The error list fileName of folder (found without regard to case):
// 0 read, 1 missing, 2 there but unreadable (or no regular file).
int ReadErrList(const std::string& folder, const std::string& fileName, std::vector<std::string>& lines);

// One row of the list: its CP932 text and the file it stands for, as found
// on disk (UTF-8), for opening and deleting.
struct Row {
  std::string text;
  std::string fileName;
};

// The entries of the error lists present in folder as regular files:
// "コマンドファイル" for CONTROL.ERR, then "その他" for OTHER.ERR.
std::vector<Row> ErrRows(const std::string& folder);

// ---- Dump list ----

// A dump file's name on disk without its last four characters, as CP932 (a
// UTF-8 name converted, a CP932 one as it is, characters with no CP932 form
// shown as "?"); empty when the name is shorter than five.
std::string DumpStem(std::string_view fileNameOnDisk);
// fitted TAB date TAB time TAB TAB stem.
std::string DumpRowText(std::string_view fitted, std::string_view date, std::string_view time,
                        std::string_view stem);
// The first kMaxDumpFiles regular files of the folder matching "*.DMP"
// (without regard to case), sorted by their row text; fit shortens a stem
// to the list's column. false when the folder cannot be read.
bool DumpRows(const std::string& folder, const std::function<std::string(std::string_view)>& fit,
              std::vector<Row>& rows);

// Deletes the dump file; 0, or kMsgDeleteFailed when it is no longer a
// regular file or cannot be removed.
int DeleteDump(const std::string& folder, const std::string& fileName);

// ---- Printing ----

// Lines a page and the step between them for a page height and the font's
// height on that printer. The step is never below the font height, so
// lines never overlap.
struct PageLayout {
  int linesPerPage = 1;
  int step = 1;
};
PageLayout Layout(int pageHeight, int fontHeight);

// The head of a page: 15 blanks, the title, 2 blanks, "(PAGE. n)".
std::string PageHead(std::string_view title, int page);
// A text line as printed: 15 blanks and the line.
std::string PrintedLine(std::string_view line);

// Where each text line goes: the head on page line 3, the text from page
// line 5, b - 6 lines a page (at least one).
class Pager {
 public:
  explicit Pager(PageLayout layout) : l_(layout) {}
  int HeadY() const { return 2 * l_.step; }
  // Whether the next line needs a new page first; a page is begun only for
  // a line that goes on it, never after the last one.
  bool NeedsNewPage() const;
  // Places the next line (after the new page, if one was needed) and
  // returns its top.
  int Next();
  int Page() const { return page_; }
  int TextLinesPerPage() const;

 private:
  PageLayout l_;
  int counter_ = 3;
  int page_ = 1;
};

// Pages that n text lines take.
int PageCount(PageLayout layout, int lines);

}  // namespace lerr
