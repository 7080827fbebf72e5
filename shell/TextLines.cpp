#include "shell/TextLines.h"

std::vector<std::string> TextLines_Split(std::string_view content) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < content.size()) {
    // A file written with CR alone (an old Mac editor) would otherwise read
    // as one line: its sections could not be found, and a writer would add
    // them a second time.
    size_t end = content.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      lines.emplace_back(content.substr(pos));
      break;
    }
    lines.emplace_back(content.substr(pos, end - pos));
    pos = end + 1;
    if (content[end] == '\r' && pos < content.size() && content[pos] == '\n') ++pos;
  }
  return lines;
}
