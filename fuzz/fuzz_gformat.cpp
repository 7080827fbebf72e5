// Arbitrary bytes as a record format and a section: reading never crashes,
// and whatever the pages show and may store reads back as it was, for the
// record, group and field-list pages alike.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cmdfile/GFormat.h"
#include "cmdfile/TextLines.h"

namespace {

// Every value passes the check rule; the builders' own refusals stay.
int AnyValue(std::string_view, std::string_view) { return 0; }

using Rows = std::vector<std::vector<std::string>>;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int pageType = 5 + data[0] % 3;
  std::string s(reinterpret_cast<const char*>(data + 1), size - 1);
  // The format before the first NUL, the section after it.
  const size_t cut = s.find('\0');
  std::vector<std::string> format = TextLines_Split(s.substr(0, cut));
  format.insert(format.begin(), "/F/");
  const std::vector<std::string> entries =
      cut == std::string::npos ? std::vector<std::string>() : TextLines_Split(s.substr(cut + 1));

  RecordFormat f;
  if (GFormat_Read(format, "", pageType, f) != 0) return 0;
  if (f.SlotCount() > 64) return 0;
  FormatFail fail;
  std::vector<std::string> list{"/F/"};
  if (pageType == kRecordPage) {
    Rows rows = GRecord_Rows(f, entries);
    if (!GRecord_Build(f, rows, AnyValue, list, fail)) return 0;
    Rows kept;
    for (const auto& r : rows)
      if (r[0] != "/") kept.push_back(r);
    if (kept.empty()) kept.emplace_back(static_cast<size_t>(f.SlotCount()), "/");
    if (GRecord_Rows(f, std::vector<std::string>(list.begin() + 1, list.end())) != kept) __builtin_trap();
  } else if (pageType == kGroupPage) {
    const int groups = 1 + data[0] % 7;
    Rows rows = GGroup_Rows(f, entries, groups);
    std::vector<int> written;
    if (!GGroup_Build(f, rows, AnyValue, list, written, fail)) return 0;
    Rows back = GGroup_Rows(f, std::vector<std::string>(list.begin() + 1, list.end()), groups);
    // The group numbers themselves are shown as row labels, not compared.
    for (size_t g = 0; g < rows.size(); ++g) {
      bool any = false;
      for (size_t c = 1; c < rows[g].size(); ++c) any = any || rows[g][c] != "/";
      for (size_t c = 1; c < rows[g].size(); ++c)
        if ((any ? rows[g][c] : std::string("/")) != back[g][c]) __builtin_trap();
    }
  } else {
    std::vector<std::string> values = GField_Values(f, entries);
    if (!GField_Build(f, values, AnyValue, list, fail)) return 0;
    if (GField_Values(f, std::vector<std::string>(list.begin() + 1, list.end())) != values) __builtin_trap();
  }
  return 0;
}
