// Arbitrary bytes as a dump file and as an error list in the viewer: every
// line holds kept bytes only, no byte appears from nowhere, the result does
// not depend on how the file is cut into pieces, and the record count
// stays within the lines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "transfer/LErr_Data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view s(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> whole = lerr::FilterDump(s);
  if (whole.empty()) __builtin_trap();
  size_t kept = 0, total = 0;
  for (unsigned char b : s) kept += lerr::Kept(b) ? 1 : 0;
  for (const std::string& l : whole) {
    total += l.size();
    for (unsigned char b : l)
      if (!lerr::Kept(b)) __builtin_trap();
  }
  if (total != kept) __builtin_trap();

  // Fed in pieces whose length comes from the data itself.
  lerr::DumpFilter f;
  size_t step = size > 0 ? data[0] % 7 + 1 : 1;
  for (size_t at = 0; at < size; at += step) f.Feed(s.substr(at, step));
  if (f.Finish() != whole) __builtin_trap();

  std::vector<std::string> lines = lerr::SplitLines(s);
  int records = lerr::RecordCount(lines);
  if (records < 0 || static_cast<size_t>(records) * 2 > lines.size()) __builtin_trap();
  return 0;
}
