#include "shell/TextLines.h"

std::vector<std::string> TextLines_Split(std::string_view content) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < content.size()) {
    size_t lf = content.find('\n', pos);
    size_t end = lf == std::string_view::npos ? content.size() : lf;
    std::string_view line = content.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (lf == std::string_view::npos) break;
    pos = lf + 1;
  }
  return lines;
}
