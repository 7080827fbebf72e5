#include "cmdfile/CmdLine.h"

// "!" (0x21) is never the trail byte of a double-byte character, so the first
// "!" byte is the comment's start even in Japanese text.
std::string CmdLine_Cut(std::string_view line) {
  line = line.substr(0, line.find('!'));
  while (!line.empty() && static_cast<unsigned char>(line.front()) <= 0x20) line.remove_prefix(1);
  while (!line.empty() && static_cast<unsigned char>(line.back()) <= 0x20) line.remove_suffix(1);
  return std::string(line);
}
