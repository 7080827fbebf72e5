// Sections of a section data file (command files, program-setting data
// files, Format.Dat): reading one section or block into a list, turning
// entry lines into cells and back, and storing a section in place.
//
// A section list holds the header line at 0, the sub-header line
// (sub-header + ";") at 1 when the screen has one, then the entry lines.
// A cell array is indexed by entry index; "/" means no value.
//
// The routines that can fail return the number of the message to show
// (0 = success); the forms show it (cmdfile/ui/CmdSect_Show.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

using SectList = std::vector<std::string>;
using CellArray = std::vector<std::string>;

// A failure that shows no message.
constexpr int kCmdSectQuiet = -1;

// The index of the entry starting at pos (1-based) of line: the decimal
// number before the next "=" (a final "-*" removed); -1 when that is not a
// non-negative number that fits an int.
int DataLine_Index(int pos, std::string_view line);

// Stores the values of every numbered or pattern entry of line whose index
// lies within 0..maxIndex (and within cells) into cells. true when the line
// held at least one entry with a numeric index.
bool DataLine_Parse(std::string_view line, CellArray& cells, int maxIndex);

// Appends to list the entry lines for cells 0..lastIndex: each run of cells
// that are not "/" gives one entry, its index written with width digits and
// "=" (page types 2 and 4: "-*="), then cut by DataLine_Merge.
void DataLine_Build(SectList& list, int width, const CellArray& cells, int pageType, int lastIndex);

// Re-cuts built entry lines into lines of at most 70 characters (a single
// value with its index field may be longer) and appends them to list.
void DataLine_Merge(SectList& list, int width, const SectList& built, int pageType);

// The key by which section headers are ordered: "/M5..." sorts as "/M9...".
std::string CmdSect_SortKey(std::string_view header);
// Byte order of unsigned characters; a prefix sorts first.
bool CmdSect_Greater(std::string_view a, std::string_view b);

// Reads the section (or block) of the screen key from the file at path into
// list. mode 1: a command file (a missing file reads as nothing, list left
// as it was; 9035 read error); mode 0: Format.Dat (9308 missing, 9309 read
// error). 9312 when the screen key names no section.
int CmdSect_Read(const std::string& path, std::string_view screenKey, SectList& list, int mode);

// The two output steps of the writer's walk: one line with CR LF; the whole
// list (without its line 0 when withHeader is false: the line is removed
// from list). WriteList is false, writing nothing, when list is empty.
void CmdSect_WriteLine(std::string& out, std::string_view line);
bool CmdSect_WriteList(std::string& out, SectList& list, bool withHeader);

// The new content of an existing file (its lines) with the screen's section
// or block replaced by list, or inserted at its place. header and subLine
// (sub-header + ";", empty without one) come from the screen record.
std::string CmdSect_Rebuild(const std::vector<std::string>& lines, SectList& list,
                            const std::string& header, const std::string& subLine);

// Stores list as the screen's section (or block) of the file at path, which
// is created from the list alone when missing. The file is replaced only by
// a complete new one: on any failure it stays byte for byte as it was.
// 0; 9015 the file cannot be read; 9055 it cannot be stored; kCmdSectQuiet
// for an empty list or a screen key without a section.
int CmdSect_Write(SectList& list, const std::string& path, std::string_view screenKey);

// How the routines read a whole file (fsys::ReadFile) and store one
// (fsys::ReplaceFile: 0 or an errno value); tests put failing ones here.
using CmdSect_FetchFn = bool (*)(const std::string& path, std::string& content);
using CmdSect_StoreFn = int (*)(const std::string& path, std::string_view content);
extern CmdSect_FetchFn CmdSect_Fetch;
extern CmdSect_StoreFn CmdSect_Store;
