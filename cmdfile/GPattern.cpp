#include "cmdfile/GPattern.h"

#include "platform/Cp932.h"

namespace {

constexpr int kPatternLength = 6;

// The characters of a CP932 text, a double-byte character whole; a lead byte
// at the very end stands alone.
std::vector<std::string> Characters(const std::string& s) {
  std::vector<std::string> out;
  for (size_t i = 0; i < s.size();) {
    const size_t len = cp932::IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
    out.push_back(s.substr(i, len));
    i += len;
  }
  return out;
}

bool PatternText(const std::string& t) { return t == "/" || t == "0" || t == "1" || t == "-"; }

}  // namespace

std::vector<CellPos> GPattern_Cells2(int rows) {
  std::vector<CellPos> out;
  for (int r = 0; r < rows; ++r) out.push_back({1, r});
  return out;
}

std::vector<CellPos> GPattern_Cells4(const MatrixShape& s) {
  std::vector<CellPos> out;
  for (int k = 1; k <= s.Count(); ++k) {
    CellPos p;
    GMatrix_CellOf(s, k, p.col, p.row);
    out.push_back(p);
  }
  return out;
}

int GPattern_Groups(const std::vector<CellPos>& cells) {
  return static_cast<int>(cells.size() / kPatternLength);
}

void GPattern_Spread(const std::vector<std::string>& elements, const std::vector<CellPos>& cells, PageGrid& g) {
  for (const CellPos& p : cells) g.SetCell(p.col, p.row, "/");
  const int groups = GPattern_Groups(cells);
  for (int gr = 1; gr <= groups && static_cast<size_t>(gr) < elements.size(); ++gr) {
    std::vector<std::string> chars = Characters(elements[gr]);
    if (chars.size() != kPatternLength) continue;
    for (int k = 0; k < kPatternLength; ++k) {
      const CellPos& p = cells[static_cast<size_t>((gr - 1) * kPatternLength + k)];
      g.SetCell(p.col, p.row, chars[k]);
    }
  }
}

int GPattern_Collect(const PageGrid& g, const std::vector<CellPos>& cells, std::vector<std::string>& elements,
                     int& failing) {
  const int groups = GPattern_Groups(cells);
  std::vector<std::string> out(static_cast<size_t>(groups) + 1, "/");
  for (int gr = 1; gr <= groups; ++gr) {
    const size_t first = static_cast<size_t>(gr - 1) * kPatternLength;
    bool any = false;
    for (size_t k = first; k < first + kPatternLength; ++k) {
      const std::string& t = g.Cell(cells[k].col, cells[k].row);
      if (!PatternText(t)) {
        failing = static_cast<int>(k);
        return 9508;
      }
      if (t != "/") any = true;
    }
    if (!any) continue;
    std::string value;
    for (size_t k = first; k < first + kPatternLength; ++k) {
      const std::string& t = g.Cell(cells[k].col, cells[k].row);
      value += t == "/" ? "-" : t;
    }
    out[gr] = value;
  }
  elements = std::move(out);
  return 0;
}
