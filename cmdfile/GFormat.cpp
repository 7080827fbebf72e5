#include "cmdfile/GFormat.h"

#include <algorithm>
#include <cstdio>

#include "cmdfile/CmdSect_Unit.h"
#include "cmdfile/ScreenDef.h"

namespace {

constexpr size_t kLineLimit = 70;

// A run of decimal digits whose value fits well inside an int (zeros in
// front, as a zero-padded group number has them, count for nothing); -1
// otherwise.
long long Number(std::string_view t) {
  if (t.empty()) return -1;
  long long v = 0;
  int digits = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return -1;
    if (v == 0 && c == '0') continue;
    if (++digits > 9) return -1;
    v = v * 10 + (c - '0');
  }
  return v;
}

// Whether entries of this name carry an entry index: a "-" in the name on
// types 5 and 7, a name that is a number on type 6.
bool IndexName(std::string_view name, int pageType) {
  if (pageType == kGroupPage) return Number(name) >= 0;
  return name.find('-') != std::string_view::npos;
}

// The prefix (up to and including the last "-"; empty on type 6) and the
// number of an indexed name (-1 when it has none).
std::string_view Prefix(std::string_view name, int pageType) {
  if (pageType == kGroupPage) return {};
  size_t d = name.rfind('-');
  return d == std::string_view::npos ? std::string_view() : name.substr(0, d + 1);
}
long long NameNumber(std::string_view name, int pageType) {
  if (pageType == kGroupPage) return Number(name);
  size_t d = name.rfind('-');
  return d == std::string_view::npos ? -1 : Number(name.substr(d + 1));
}

std::string Head(std::string_view s, size_t n) { return std::string(s.substr(0, n)); }

// The fields' first slots, computed once per call.
struct Layout {
  const RecordFormat& f;
  int pageType;
  std::vector<int> first;
  Layout(const RecordFormat& fmt, int type) : f(fmt), pageType(type), first(fmt.FirstSlots()) {}

  // The slot of entry index idx of an entry named with prefix, or -1.
  int SlotOf(std::string_view prefix, long long idx) const {
    for (size_t k = 0; k < f.fields.size(); ++k) {
      const FormatField& fd = f.fields[k];
      if (!IndexName(fd.name, pageType) || Prefix(fd.name, pageType) != prefix) continue;
      long long n = NameNumber(fd.name, pageType);
      if (n >= 0 && idx >= n && idx < n + fd.slotCount) return first[k] + static_cast<int>(idx - n);
    }
    return -1;
  }
  int FieldNamed(std::string_view name) const {
    for (size_t k = 0; k < f.fields.size(); ++k)
      if (f.fields[k].name == name) return static_cast<int>(k);
    return -1;
  }
};

void ReadLine(const Layout& lay, std::string_view rest, std::vector<std::string>& slots) {
  while (!rest.empty()) {
    size_t eq = rest.find('=');
    if (eq == std::string_view::npos) return;
    size_t semi = rest.find(';');
    if (semi < eq) {
      rest.remove_prefix(semi + 1);
      continue;
    }
    std::string_view name = rest.substr(0, eq), after = rest.substr(eq + 1);
    std::string_view value;
    semi = after.find(';');
    if (!IndexName(name, lay.pageType)) {
      if (semi == std::string_view::npos) return;
      value = after.substr(0, semi);
      rest = after.substr(semi + 1);
      int k = lay.FieldNamed(name);
      if (k >= 0) slots[static_cast<size_t>(lay.first[static_cast<size_t>(k)])] = std::string(value);
      continue;
    }
    if (semi != std::string_view::npos) {
      value = after.substr(0, semi);
      rest = after.substr(semi + 1);
    } else {
      // An entry cut off without its ";" keeps the pieces that a ">" closed.
      size_t gt = after.rfind('>');
      if (gt == std::string_view::npos) return;
      value = after.substr(0, gt);
      rest = {};
    }
    long long idx = NameNumber(name, lay.pageType);
    if (idx < 0) continue;
    std::string_view prefix = Prefix(name, lay.pageType);
    for (size_t start = 0;; ++idx) {
      size_t gt = value.find('>', start);
      std::string_view piece = value.substr(start, gt == std::string_view::npos ? std::string_view::npos : gt - start);
      int s = lay.SlotOf(prefix, idx);
      if (s >= 0) slots[static_cast<size_t>(s)] = std::string(piece);
      if (gt == std::string_view::npos) break;
      start = gt + 1;
    }
  }
}

// The entry lines of the section list, the heading with the sub-header
// line left out.
std::vector<std::string> Lines(const std::vector<std::string>& list, std::string_view subHeader) {
  return GPage_EntryLines(list, subHeader);
}

// Appends one row's entry lines, from field `from` on. Fields of one slot
// share a line by the first `share` characters of their names.
class RowBuilder {
 public:
  RowBuilder(const RecordFormat& f, int pageType, std::vector<std::string>& list)
      : f_(f), type_(pageType), list_(list), first_(f.FirstSlots()) {}

  // false with fail.slot and fail.message at the first value that fails.
  bool Row(const std::vector<std::string>& slots, size_t from, const FormatCheck& check, FormatFail& fail) {
    std::string line;
    std::string group = from < f_.fields.size() ? f_.fields[from].name : std::string();
    bool ended = false;
    for (size_t k = from; k < f_.fields.size(); ++k) {
      const FormatField& fd = f_.fields[k];
      const int s0 = first_[k];
      if (ended || Head(fd.name, 3) != Head(group, 3) || line.size() >= kLineLimit) {
        Flush(line);
        group = fd.name;
        ended = false;
      }
      for (int j = 0; j < fd.slotCount; ++j) {
        int m = GFormat_CheckValue(f_, type_, k, Slot(slots, s0 + j), check);
        if (m != 0) {
          fail.slot = s0 + j;
          fail.message = m;
          return false;
        }
      }
      if (fd.slotCount == 1) {
        const std::string& v = Slot(slots, s0);
        if (v != "/") line += fd.name + "=" + v + ";";
        continue;
      }
      // A field of several slots always writes its own numbered runs and
      // ends its line: its entries must stay readable by their index.
      const int e = static_cast<int>(NameNumber(fd.name, type_));
      std::vector<std::string> cells(static_cast<size_t>(e + fd.slotCount), "/");
      for (int j = 0; j < fd.slotCount; ++j) cells[static_cast<size_t>(e + j)] = Slot(slots, s0 + j);
      const int width = type_ == kGroupPage ? static_cast<int>(fd.name.size())
                                            : static_cast<int>(std::to_string(e).size());
      std::vector<std::string> built;
      DataLine_Build(built, width, cells, 1, e + fd.slotCount - 1);
      const std::string prefix(Prefix(fd.name, type_));
      for (const std::string& b : built) {
        line += prefix + b;
        Flush(line);
      }
      ended = true;
    }
    Flush(line);
    return true;
  }

 private:
  static const std::string& Slot(const std::vector<std::string>& slots, int s) {
    static const std::string none = "/";
    return s >= 0 && static_cast<size_t>(s) < slots.size() ? slots[static_cast<size_t>(s)] : none;
  }
  void Flush(std::string& line) {
    if (!line.empty()) list_.push_back(std::move(line));
    line.clear();
  }

  const RecordFormat& f_;
  int type_;
  std::vector<std::string>& list_;
  std::vector<int> first_;
};

}  // namespace

int RecordFormat::SlotCount() const {
  int n = 0;
  for (const FormatField& fd : fields) n += fd.slotCount;
  return n;
}

std::vector<int> RecordFormat::FirstSlots() const {
  std::vector<int> out;
  int n = 0;
  for (const FormatField& fd : fields) {
    out.push_back(n);
    n += fd.slotCount;
  }
  return out;
}

int GFormat_Read(const std::vector<std::string>& list, std::string_view subHeader, int pageType,
                 RecordFormat& out) {
  out = RecordFormat();
  const std::vector<std::string> lines = Lines(list, subHeader);
  if (lines.size() + 1 <= 3) return 9314;
  size_t i = 0;
  if (pageType != kFieldPage) out.heading = lines[i++];
  for (; i < lines.size(); ++i) {
    std::string_view l = lines[i];
    if (l.empty()) continue;
    size_t eq = l.find('=');
    if (eq == std::string_view::npos) break;
    size_t semi = l.find(';', eq + 1);
    if (semi == std::string_view::npos) break;
    FormatField fd;
    fd.name = std::string(l.substr(0, eq));
    std::string_view texts = l.substr(eq + 1, semi - eq - 1);
    fd.slotCount = 1 + static_cast<int>(std::count(texts.begin(), texts.end(), '>'));
    fd.rule = std::string(l.substr(semi + 1));
    out.fields.push_back(std::move(fd));
  }
  if (out.fields.empty()) return 9314;
  for (size_t k = 0; k < out.fields.size(); ++k) {
    const FormatField& fd = out.fields[k];
    // A name that reads through its index must carry one, or its values
    // would be written and never read back.
    const long long n = NameNumber(fd.name, pageType);
    if (IndexName(fd.name, pageType) && n < 0) return 9314;
    if (fd.slotCount > 1 && (pageType == kFieldPage || k == 0 || !IndexName(fd.name, pageType) ||
                             n + fd.slotCount - 1 > kFormatMaxIndex))
      return 9314;
    // A ";" in a name would cut its entry; a second field of a name would
    // never get its value.
    if (fd.name.find(';') != std::string::npos) return 9314;
    for (size_t j = 0; j < k; ++j)
      if (out.fields[j].name == fd.name) return 9314;
    // Two fields holding one index would take each other's values.
    if (!IndexName(fd.name, pageType)) continue;
    for (size_t j = 0; j < k; ++j) {
      const FormatField& o = out.fields[j];
      if (!IndexName(o.name, pageType) || Prefix(o.name, pageType) != Prefix(fd.name, pageType)) continue;
      const long long m = NameNumber(o.name, pageType);
      if (n < m + o.slotCount && m < n + fd.slotCount) return 9314;
    }
  }
  return 0;
}

int GFormat_CheckPlaces(const RecordFormat& f, int count) { return f.SlotCount() == count ? 0 : 9311; }

std::vector<std::string> GFormat_Headings(const std::vector<std::vector<std::string>>& defLines) {
  std::vector<std::string> out;
  for (const std::vector<std::string>& l : defLines)
    if (Screen_DefKeep(l, 4)) out.push_back(l[3]);
  return out;
}

std::vector<std::vector<std::string>> GFormat_Records(const std::vector<std::string>& entries,
                                                     std::string_view key) {
  const std::string start = std::string(key) + "=";
  std::vector<std::vector<std::string>> out;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i == 0 || entries[i].compare(0, start.size(), start) == 0) out.emplace_back();
    out.back().push_back(entries[i]);
  }
  return out;
}

std::vector<std::string> GFormat_ReadRecord(const RecordFormat& f, int pageType,
                                            const std::vector<std::string>& lines) {
  Layout lay(f, pageType);
  std::vector<std::string> slots(static_cast<size_t>(f.SlotCount()), "/");
  for (const std::string& l : lines) ReadLine(lay, l, slots);
  return slots;
}

std::vector<std::vector<std::string>> GRecord_Rows(const RecordFormat& f, const std::vector<std::string>& entries) {
  std::vector<std::vector<std::string>> rows;
  if (!f.fields.empty())
    for (const auto& rec : GFormat_Records(entries, f.fields[0].name))
      rows.push_back(GFormat_ReadRecord(f, kRecordPage, rec));
  if (rows.empty()) rows.emplace_back(static_cast<size_t>(f.SlotCount()), "/");
  return rows;
}

std::vector<std::vector<std::string>> GGroup_Rows(const RecordFormat& f, const std::vector<std::string>& entries,
                                                  int groups) {
  std::vector<std::vector<std::string>> rows;
  for (int g = 1; g <= groups; ++g) {
    rows.emplace_back(static_cast<size_t>(f.SlotCount()), "/");
    if (!rows.back().empty()) rows.back()[0] = std::to_string(g);
  }
  if (f.fields.empty()) return rows;
  for (const auto& rec : GFormat_Records(entries, f.fields[0].name)) {
    std::vector<std::string> slots = GFormat_ReadRecord(f, kGroupPage, rec);
    long long g = Number(slots[0]);
    if (g >= 1 && g <= groups) rows[static_cast<size_t>(g - 1)] = std::move(slots);
  }
  return rows;
}

std::vector<std::string> GField_Values(const RecordFormat& f, const std::vector<std::string>& entries) {
  std::vector<std::string> values(static_cast<size_t>(f.SlotCount()), "/");
  if (f.fields.empty()) return values;
  const auto recs = GFormat_Records(entries, f.fields[0].name);
  if (!recs.empty()) values = GFormat_ReadRecord(f, kFieldPage, recs.back());
  return values;
}

int GFormat_CheckValue(const RecordFormat& f, int pageType, size_t k, const std::string& value,
                       const FormatCheck& check) {
  if (k >= f.fields.size()) return 0;
  const FormatField& fd = f.fields[k];
  if (int m = check(value, fd.rule); m != 0) return m;
  if (value == "/") return 0;
  if (value.find_first_of(";!") != std::string::npos) return 9508;
  if (IndexName(fd.name, pageType) && value.find('>') != std::string::npos) return 9508;
  return 0;
}

bool GRecord_Build(const RecordFormat& f, const std::vector<std::vector<std::string>>& rows,
                   const FormatCheck& check, std::vector<std::string>& list, FormatFail& fail) {
  RowBuilder b(f, kRecordPage, list);
  for (size_t r = 0; r < rows.size(); ++r) {
    if (rows[r].empty() || rows[r][0] == "/") continue;
    if (!b.Row(rows[r], 0, check, fail)) {
      fail.row = static_cast<int>(r);
      return false;
    }
  }
  return true;
}

int GGroup_Width(const RecordFormat& f) {
  if (f.fields.empty()) return 0;
  const std::string& rule = f.fields[0].rule;
  size_t eq = rule.find('=');
  long long w = eq == std::string::npos ? -1 : Number(std::string_view(rule).substr(eq + 1));
  return w < 0 ? 0 : static_cast<int>(std::min<long long>(w, 20));
}

bool GGroup_Build(const RecordFormat& f, const std::vector<std::vector<std::string>>& rows,
                  const FormatCheck& check, std::vector<std::string>& list, std::vector<int>& written,
                  FormatFail& fail) {
  written.clear();
  if (f.fields.empty()) return true;
  RowBuilder b(f, kGroupPage, list);
  const int width = GGroup_Width(f);
  for (size_t r = 0; r < rows.size(); ++r) {
    const auto& slots = rows[r];
    if (std::all_of(slots.begin() + std::min<size_t>(1, slots.size()), slots.end(),
                    [](const std::string& v) { return v == "/"; }))
      continue;
    const int g = static_cast<int>(r) + 1;
    char num[32];
    std::snprintf(num, sizeof num, "%0*d", width, g);
    list.push_back(f.fields[0].name + "=" + num + ";");
    if (!b.Row(slots, 1, check, fail)) {
      fail.row = static_cast<int>(r);
      return false;
    }
    written.push_back(g);
  }
  return true;
}

std::vector<std::string> GGroup_ListBlock(std::string_view heading, const std::vector<int>& groups) {
  if (heading.empty() || groups.empty()) return {};
  std::vector<std::string> out{"/" + std::string(heading) + "/"};
  std::vector<int> sorted = groups;
  std::sort(sorted.begin(), sorted.end());
  for (int g : sorted) {
    char num[32];
    std::snprintf(num, sizeof num, kGroupListNumber, g);
    out.push_back(std::string("GRP=") + num + ";");
  }
  return out;
}

bool GField_Build(const RecordFormat& f, const std::vector<std::string>& values, const FormatCheck& check,
                  std::vector<std::string>& list, FormatFail& fail) {
  std::string line;
  std::string group = f.fields.empty() ? std::string() : f.fields[0].name;
  for (size_t r = 0; r < f.fields.size() && r < values.size(); ++r) {
    const std::string& v = values[r];
    if (v == "/") continue;
    const std::string& name = f.fields[r].name;
    if (Head(name, 2) != Head(group, 2) || line.size() > kLineLimit - 1) {
      if (!line.empty()) list.push_back(std::move(line));
      line.clear();
      group = name;
    }
    if (int m = GFormat_CheckValue(f, kFieldPage, r, v, check); m != 0) {
      fail = FormatFail{0, static_cast<int>(r), m};
      return false;
    }
    line += name + "=" + v + ";";
  }
  list.push_back(std::move(line));
  return true;
}

// ------------------------------------------------------------ the grid

std::vector<std::vector<std::string>> GRecord_GridRows(const PageGrid& g) {
  std::vector<std::vector<std::string>> rows;
  for (int r = 1; r < g.RowCount(); ++r) {
    rows.emplace_back();
    for (int c = 1; c < g.ColCount(); ++c) rows.back().push_back(g.Cell(c, r));
  }
  return rows;
}

void GRecord_Number(PageGrid& g) {
  for (int r = 1; r < g.RowCount(); ++r) {
    char num[32];
    std::snprintf(num, sizeof num, "%4d", r);
    g.SetCell(0, r, num);
  }
}

void GRecord_Show(const std::vector<std::vector<std::string>>& rows, PageGrid& g) {
  const int n = std::max<int>(1, static_cast<int>(rows.size()));
  g.SetSize(g.ColCount(), n + 1);
  for (int r = 1; r <= n; ++r)
    for (int c = 1; c < g.ColCount(); ++c) {
      const size_t ri = static_cast<size_t>(r - 1), ci = static_cast<size_t>(c - 1);
      g.SetCell(c, r, ri < rows.size() && ci < rows[ri].size() ? rows[ri][ci] : std::string("/"));
    }
  GRecord_Number(g);
}

int GRecord_InsertRow(PageGrid& g, int bottom) {
  bottom = std::clamp(bottom, 0, g.RowCount() - 1);
  g.SetSize(g.ColCount(), g.RowCount() + 1);
  for (int r = g.RowCount() - 1; r > bottom + 1; --r)
    for (int c = 0; c < g.ColCount(); ++c) g.SetCell(c, r, g.Cell(c, r - 1));
  for (int c = 1; c < g.ColCount(); ++c) g.SetCell(c, bottom + 1, "/");
  GRecord_Number(g);
  return bottom + 1;
}

int GRecord_DeleteRows(PageGrid& g, int top, int bottom) {
  top = std::max(top, 1);
  bottom = std::min(bottom, g.RowCount() - 1);
  if (top > bottom) return std::min(std::max(top, 1), g.RowCount() - 1);
  if (top == 1 && bottom == g.RowCount() - 1) {
    g.SetSize(g.ColCount(), 2);
    for (int c = 1; c < g.ColCount(); ++c) g.SetCell(c, 1, "/");
    GRecord_Number(g);
    return 1;
  }
  const int n = bottom - top + 1;
  for (int r = top; r + n < g.RowCount(); ++r)
    for (int c = 0; c < g.ColCount(); ++c) g.SetCell(c, r, g.Cell(c, r + n));
  g.SetSize(g.ColCount(), g.RowCount() - n);
  GRecord_Number(g);
  return std::min(top, g.RowCount() - 1);
}

std::vector<std::vector<std::string>> GGroup_GridRows(const PageGrid& g) {
  std::vector<std::vector<std::string>> rows;
  for (int r = 1; r < g.RowCount(); ++r) {
    rows.emplace_back();
    rows.back().push_back(std::to_string(r));
    for (int c = 1; c < g.ColCount(); ++c) rows.back().push_back(g.Cell(c, r));
  }
  return rows;
}

void GGroup_Show(const std::vector<std::vector<std::string>>& rows, PageGrid& g) {
  for (int r = 1; r < g.RowCount(); ++r) {
    char num[32];
    std::snprintf(num, sizeof num, "%3d", r);
    g.SetCell(0, r, num);
    const size_t ri = static_cast<size_t>(r - 1);
    for (int c = 1; c < g.ColCount(); ++c) {
      const size_t ci = static_cast<size_t>(c);
      g.SetCell(c, r, ri < rows.size() && ci < rows[ri].size() ? rows[ri][ci] : std::string("/"));
    }
  }
}

FormatView GRecord_ViewFor(int col, int row, int cols, int rows) {
  FormatView v{col, row, col, row};
  const bool narrow = cols <= 4;
  v.left = narrow ? 1 : std::max(1, std::min(col, cols - 4));
  v.top = rows <= 18 ? 1 : std::max(1, std::min(row, rows - (narrow ? 19 : 18)));
  return v;
}
