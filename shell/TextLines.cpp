#include "shell/TextLines.h"

std::string_view TextLines_First(std::string_view content) {
  // A file written with CR alone (an old Mac editor) would otherwise read
  // as one line: its sections could not be found, and a writer would add
  // them a second time.
  return content.substr(0, content.find_first_of("\r\n"));
}

std::vector<std::string> TextLines_Split(std::string_view content) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < content.size()) {
    std::string_view line = TextLines_First(content.substr(pos));
    lines.emplace_back(line);
    pos += line.size();
    if (pos == content.size()) break;
    const char end = content[pos++];
    if (end == '\r' && pos < content.size() && content[pos] == '\n') ++pos;
  }
  return lines;
}
