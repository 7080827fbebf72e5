#include "shell/HelpText.h"

#include "platform/Cp932.h"
#include "shell/TextLines.h"

std::vector<std::string> HelpText_Lines(std::string_view content) { return TextLines_Split(content); }

namespace {

char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsWithKey(std::string_view line, std::string_view key) {
  if (line.size() < key.size()) return false;
  size_t i = 0;
  while (i < key.size()) {
    bool dbcs = cp932::IsLeadByte(static_cast<unsigned char>(key[i])) && i + 1 < key.size();
    if (dbcs) {
      if (line[i] != key[i] || line[i + 1] != key[i + 1]) return false;
      i += 2;
      continue;
    }
    // The line must have a single-byte character here too, not the lead
    // byte of a double-byte one.
    if (cp932::IsLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size()) return false;
    if (Fold(line[i]) != Fold(key[i])) return false;
    ++i;
  }
  return true;
}

}  // namespace

int HelpText_FindSection(const std::vector<std::string>& lines, std::string_view key) {
  if (key.empty()) return -1;
  for (size_t i = 0; i < lines.size(); ++i)
    if (StartsWithKey(lines[i], key)) return static_cast<int>(i);
  return -1;
}
