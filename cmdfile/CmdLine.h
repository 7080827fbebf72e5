// One line of a section data file. This unit stands alone (no dialogs, no
// other unit of the folder), so that programs needing only this helper link
// nothing more.
#pragma once

#include <string>
#include <string_view>

// The line without its trailing comment (from the first "!" on) and without
// the blanks (bytes up to 0x20) around what is left.
std::string CmdLine_Cut(std::string_view line);
