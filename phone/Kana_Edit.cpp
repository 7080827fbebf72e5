#include "phone/Kana_Edit.h"

#include <algorithm>

namespace kana {

Fault CheckSystem(const SystemList& list) {
  for (int n = 0; n < kSystemEntries; ++n) {
    const SpdEntry& e = list[static_cast<size_t>(n)];
    if (!Spd_CheckDial(e.dial, kSystem)) return {9801, -1, n, 1};
    if (!Spd_CheckName(e.name, kSystem)) return {9802, -1, n, 2};
  }
  return {};
}

Fault CheckOwners(const std::vector<Owner>& owners, int mode) {
  for (size_t o = 0; o < owners.size(); ++o) {
    for (int i = 0; i < kOwnerEntries; ++i) {
      const OwnerEntry& e = owners[o].entries[static_cast<size_t>(i)];
      if (!Spd_CheckDial(e.dial, mode)) return {9801, static_cast<int>(o), i, 1};
      if (!Spd_CheckName(e.name, mode)) return {9802, static_cast<int>(o), i, 2};
    }
  }
  return {};
}

Fault CheckDirectory(const std::vector<DirRow>& rows) {
  for (size_t r = 0; r < rows.size(); ++r) {
    if (!Spd_CheckDial(rows[r].ext, kDirectory)) return {9805, -1, static_cast<int>(r), 1};
    if (!Spd_CheckName(rows[r].name, kDirectory)) return {9802, -1, static_cast<int>(r), 2};
  }
  for (size_t r = 0; r < rows.size(); ++r) {
    if (rows[r].ext.empty()) continue;
    for (size_t below = r + 1; below < rows.size(); ++below)
      if (rows[below].ext == rows[r].ext) return {9803, -1, static_cast<int>(r), 1};
  }
  return {};
}

int SystemTopRow(int row, int top) {
  if (row > 790) return 791;
  return row < top ? row : top;
}

int DirectoryTopRow(int row, int top) {
  if (row < top) return row;
  if (row >= top + 10) return row - 9;
  return top;
}

std::optional<std::string> StepOwner(std::string_view key, bool up) {
  if (key.empty() || key.size() > 4) return std::nullopt;
  int v = 0;
  for (char c : key) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  if (up && v < 9999) ++v;
  if (!up && v > 0) --v;
  std::string s = std::to_string(v);
  if (s.size() < key.size()) s.insert(0, key.size() - s.size(), '0');
  return s;
}

void SortDirectory(std::vector<DirRow>& rows) {
  std::stable_sort(rows.begin(), rows.end(),
                   [](const DirRow& a, const DirRow& b) { return a.ext < b.ext; });
}

}  // namespace kana
