// Help text files (".Hlp"): plain CP932 text whose sections begin with a
// key line such as "/M10/".
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The lines of a help file; CR LF and LF both end a line, and the break
// after the last line makes no empty line of its own.
std::vector<std::string> HelpText_Lines(std::string_view content);

// Index of the first line that begins with key, ASCII letters compared
// without case (only single-byte letters: a trail byte and a full-width
// letter are compared as they are); -1 when no line does or key is empty.
int HelpText_FindSection(const std::vector<std::string>& lines, std::string_view key);
