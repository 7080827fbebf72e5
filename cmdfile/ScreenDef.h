// The screen-definition files of the setting screens: ScreenFilesDir + key
// + ".CSV", four heading lines, then one definition per line in Menu.csv's
// comma text, except that blanks stay inside fields.
#pragma once

#include <string>
#include <string_view>
#include <vector>

using ScreenDefLine = std::vector<std::string>;

// One definition line's fields: blanks are kept inside fields, a tab still
// ends an unquoted field.
ScreenDefLine Screen_DefSplit(std::string_view line);

// Whether a line is kept: at least minFields fields (3, or 4 on the matrix,
// record and group pages), and a non-empty field 2 or field 3.
bool Screen_DefKeep(const ScreenDefLine& f, size_t minFields);

// Reads the kept lines of the screen's definition file (found in dir
// ignoring case) in file order. 0, or the message: 9304 missing or not
// openable, 9305 read error, 9306 close error.
int Screen_Def(const std::string& dir, std::string_view key, size_t minFields, std::vector<ScreenDefLine>& out);
