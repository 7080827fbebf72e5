// Arbitrary bytes as one line of a phone-book CSV file and through the text
// helpers: no overrun, fields come from the line, searches land on
// character boundaries, and fitting never cuts a character.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Cp932.h"
#include "shell/CommonStr_Unit.h"
#include "shell/CsvSplit_Unit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string s(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> fields;
  TCsvSplit::SplitLine(s, fields);
  size_t total = 0;
  for (const auto& f : fields) total += f.size();
  if (total > s.size()) __builtin_trap();
  if (s.empty() != fields.empty()) __builtin_trap();

  for (long start = -1; start <= static_cast<long>(s.size()) + 1 && start < 40; ++start) {
    size_t p = TCsvSplit::PosFrom(start, s, ",\"");
    if (p != 0 && (s.compare(p - 1, 2, ",\"") != 0 || !cp932::IsCharBoundary(s, p - 1))) __builtin_trap();
  }

  std::string swapped = Common_SwapCommaPipe(s, true);
  if (swapped.size() != s.size()) __builtin_trap();

  int width = size > 0 ? data[0] % 64 : 0;
  std::string fit = Common_FitTextBy(s, width, [](std::string_view t) { return static_cast<int>(t.size()); });
  if (fit != s) {
    if (fit.size() < 2 || fit.compare(fit.size() - 2, 2, "..") != 0) __builtin_trap();
    size_t kept = fit.size() - 2;
    if (static_cast<int>(kept) > width || !cp932::IsCharBoundary(s, kept)) __builtin_trap();
  }
  return 0;
}
