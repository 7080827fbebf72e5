// Reading the caller-number editor's files: the data folder's listing, a
// file's title line and the two blocks that hold the caller numbers and
// their kana names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kv {

// Sections and blocks the editor reads and rewrites.
inline constexpr const char* kNameSection = "/M10/";
inline constexpr const char* kNameBlock = "BLK=073;";
inline constexpr const char* kTelSection = "/M13/";
inline constexpr const char* kTelBlock = "BLK=050;";
inline constexpr int kRows = 100;
inline constexpr int kTelGroups = 5;    // groups of four characters per number
inline constexpr int kNameChars = 10;   // single-byte characters per name
inline constexpr int kTelMax = kRows * kTelGroups;   // highest entry written
inline constexpr int kKanaMax = kRows * kNameChars;
// The arrays are one row larger than what is written: an entry 0601= or
// 1201= is read but never shown.
inline constexpr int kTelArrayMax = 600;
inline constexpr int kKanaArrayMax = 1200;

// Lines of a file: LF ends a line and a CR before it is dropped; a last
// line without LF counts, an empty text has none.
std::vector<std::string> SplitLines(std::string_view text);

// Whether the line's comment-cut form may begin with "/" or "B" (a section
// or block line): false lets a walk skip the cut of every other line.
bool MayBeMarkerLine(std::string_view line);

// Reads a whole file. "" on success, else the message: "3002" when it cannot
// be opened, "3003" when it cannot be read, "3005" when it cannot be closed.
std::string ReadWholeFile(const std::string& path, std::string& out);

// The title of a data file from its first line: the trimmed line must begin
// with "!" and be longer than one byte; then at most 24 bytes from its second
// byte on, a double-byte character whole or not at all. Empty otherwise.
std::string TitleOfLine(std::string_view firstLine);

// The title of the file at path; false (empty title) when it cannot be read.
bool Read_TitleLine(const std::string& path, std::string& title);

// "yyyy-mm-dd" and "hh:nn:ss" of the file's modification time (local time);
// false with both empty when the file does not exist.
bool Get_FileStamp(const std::string& path, std::string& date, std::string& time);

// The index in front of the "=" of the entry that starts at pos (0-based);
// -1 when there is no "=" or the text before it is not a decimal number.
int Get_EntryIndex(size_t pos, std::string_view line);

// Stores the values of the line's numbered entries into arr (indexes 0 to
// maxIndex; arr must hold maxIndex + 1 elements). After a ";" the next entry's
// four-digit index and "=" are stepped over as five characters. true when the
// line held an entry with a numeric index.
bool Parse_EntryLine(std::string_view line, std::vector<std::string>& arr, int maxIndex);

// Reads block blockLine of section sectionLine of the file into arr (size
// maxIndex + 1). Every line is compared after its comment is cut. The block
// must follow its section before the next "/M" line; it ends at a line that
// begins with "BLK=" or "/M" (not read for entries), or at the file's end. blockCount goes up
// by one when the block was found. "" or the message ("3002", "3003", "3005").
// The same over a file's text already read.
void ReadBlockOfText(std::string_view text, std::string_view sectionLine, std::string_view blockLine,
                     std::vector<std::string>& arr, int maxIndex, int& blockCount);

std::string Read_SectionBlock(const std::string& path, std::string_view sectionLine,
                              std::string_view blockLine, std::vector<std::string>& arr,
                              int maxIndex, int& blockCount);

// The caller number of grid row r (1-based): its five groups joined; empty
// when a group is longer than four characters.
std::string NumberOfRow(const std::vector<std::string>& telGroups, int r);

// The kana name of grid row r: ten codes, each outside 32-125 and 161-223
// (or not a number) made 32 in kanaCodes too; trailing blanks cut. The
// result is CP932 bytes (codes are byte values).
std::string NameOfRow(std::vector<std::string>& kanaCodes, int r);

// The command-file list's text of a file name on disk: without its last four
// bytes, decoded for showing (cp932::NameToUtf8), cut to 30 characters
// followed by ".." when longer. UTF-8.
std::string CmdFileRowName(std::string_view fileName);

}  // namespace kv
