// Register of the caller-number editor: the grid's input rules, the entry
// lines of the two blocks and their rewrite inside the data file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kv {

// A character of a caller number: "0" to "9", "#", "*".
bool IsNumberChar(char c);
// A code the user may type into a name: 32 to 124 or 161 to 223. (A name read
// from a file may also hold 125.)
bool IsTypedNameCode(int code);
inline constexpr int kNumberMaxLen = 20;

// Index (0-based) of the first number whose first 20 characters hold
// something other than a number character; -1 when all pass.
int FirstBadNumber(const std::vector<std::string>& numbers);

// Entry values of the two blocks, indexed from 1 (element 0 unused): number
// entry (r - 1) x 5 + g holds characters 4g - 3 to 4g of row r's number;
// name entry (r - 1) x 10 + c the decimal code of character c of row r's
// name, "32" where the name is shorter. numbers and names hold CP932 bytes,
// one element per row.
std::vector<std::string> NumberEntries(const std::vector<std::string>& numbers);
std::vector<std::string> NameEntries(const std::vector<std::string>& names);

// One run "%.4d=" v>v>...v; from the first entry (1 to count) that is not
// "DEFAULT" to count, every value taken as it stands; none when all are
// "DEFAULT".
std::vector<std::string> Make_EntryRun(const std::vector<std::string>& entries, int count);

// Runs cut into lines of at most 80 characters; a continuation line starts
// with the four-digit index of its first value. Runs whose index is 0 or
// not a number are left out.
std::vector<std::string> Wrap_EntryLines(const std::vector<std::string>& runs);

// "/M13/" gives "130", "/M10/" "100", "/M61/" "61", "/M2/" "20"; empty when
// the text between "/M" and the next "/" is not a number.
std::string Get_SectionNo(std::string_view sectionLine);
// "BLK=", "LEN=", "LNO=" or empty (a section replaced whole), from the first
// two digits of a section number.
std::string Get_BlockKey(std::string_view sectionNo);

// The new text of a file: the section list (line 0 the section line, line 1
// the block line, then entry lines) written as its block, or as its section
// when the section has no blocks, into oldText. Every other line is kept as
// it stands with a CR LF line end. Lines are compared after their comment is
// cut; a section runs to the next "/M" line; a missing section goes before
// the first section whose number compares greater as text, a missing block
// before the first later block line of its section or at the section's end.
std::string RewriteText(std::string_view oldText, const std::vector<std::string>& list);

// Writes the section list into the file at path through one atomic replace;
// the old file stays byte-identical on every failure. false with msg empty
// for an empty list or a section line without a number; false with msg
// "3002" (cannot open, no write permission, temporary file), "3004" (read or
// write) or "3005" (close or rename).
bool Replace_SectionBlock(const std::string& path, const std::vector<std::string>& list,
                          std::string& msg);

// Register: the number block into "/M13/", then the name block into
// "/M10/", stored together with one replace (both or neither). "" or the
// failure's message.
std::string Register_Blocks(const std::string& path, const std::vector<std::string>& numbers,
                            const std::vector<std::string>& names);

}  // namespace kv
