// Lines of a text file as the programs read them: CR LF, LF or CR alone ends
// a line, and a last line without a line end still counts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> TextLines_Split(std::string_view content);
// The first line of content, without its line end.
std::string_view TextLines_First(std::string_view content);
