// The command-file text editor without its widgets: the file split into
// menu sections, a section's text put back, and the line, section and file
// checks against the control-file definitions. Texts are CP932 with CR LF.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class Ctl_Checker;

struct ComSection {
  std::string name;    // menu name; "ALL" for record 0
  std::string header;  // the header line + CR LF; empty for a section added while editing
  std::string body;    // the section's lines, each + CR LF
};

// Record 0 is "ALL" (the lines before the first header); records 1.. are the
// sections in file order, then those added while editing. The table grows
// as needed: a file with any number of headers keeps every section.
struct ComSectTable {
  std::vector<ComSection> rec{ComSection{"ALL", {}, {}}};
  int Count() const { return static_cast<int>(rec.size()) - 1; }
};

// The names of the control-file menus of the default definitions, in table
// order.
std::vector<std::string> ComMenu_Names();

// Blanks (bytes up to 0x20) taken off both ends.
std::string ComText_Trim(std::string_view s);
// Lines of a widget's text: every "\n" ends a line, so n breaks give n + 1
// lines (a CR before it is dropped).
std::vector<std::string> ComText_Lines(std::string_view text);
// Lines joined by CR LF (no CR LF after the last).
std::string ComText_Join(const std::vector<std::string>& lines);

// The menu whose "/name/" a header line holds (first in table order), or
// empty when the line is no header of a known menu.
std::string ComHeader_Menu(std::string_view line, const std::vector<std::string>& menus);

// Splits the file's lines into the table (emptied first).
void ComFile_Split(const std::vector<std::string>& lines, const std::vector<std::string>& menus,
                   ComSectTable& t);
// The text shown under "ALL": every record's header and body without its
// final CR LF, joined by CR LF (an empty record 0 gives an empty first
// line; sections added while editing and still empty give nothing).
std::string ComSect_AllText(const ComSectTable& t);
// The line of the "ALL" text at which line fileLine of ComFile_Lines shows.
int ComSect_AllLineOf(const ComSectTable& t, int fileLine);
// Index of the first record of a menu; added (empty) at the end when none.
int ComSect_Find(ComSectTable& t, std::string_view name);
// Puts a section's text back. A menu: the text becomes the body of its
// first record (CR LF added when missing), and a record without header gets
// "/name/" + CR LF; an empty text leaves an empty body. "ALL": the text is
// the whole file (an empty one has no lines), split again.
void ComSect_Store(ComSectTable& t, std::string_view name, std::string_view text,
                   const std::vector<std::string>& menus);
// The file's lines: every record's header and body in order.
std::vector<std::string> ComFile_Lines(const ComSectTable& t);

// The message number for a checker code of the editor.
const char* ComCheck_Message(int code);
// The check's code for a line without a CP932 form (typed or pasted).
constexpr int ComCheck_NoCp932 = 9;
// The code for a header line inside a single-menu section.
constexpr int ComCheck_HeaderInSection = 50;

// The check of one line as the caret leaves it (nullopt: the line has no
// CP932 form). section: the shown section ("ALL" or empty for the whole
// file). No command text is built.
int ComLine_Check(Ctl_Checker& chk, const std::vector<std::optional<std::string>>& lines, int lineNo,
                  std::string_view section, const std::vector<std::string>& menus);
// Every line of a section's text; the first fault's code, its line in
// faultLine.
int ComMemo_Check(Ctl_Checker& chk, const std::vector<std::optional<std::string>>& lines,
                  std::string_view section, int& faultLine);
// Every line of the file, header lines choosing the menus.
int ComFile_Check(Ctl_Checker& chk, const std::vector<std::string>& lines, int& faultLine);

// The top line that shows a marked line: itself when above the top, the
// line less 20 when more than 20 below it, else the top as it is.
int ComMark_Top(int line, int top);
