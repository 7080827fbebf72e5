// Arbitrary bytes as an entry line of the caller-number blocks and as a whole
// data file given to Register's rewrite: no overrun, values come from the
// line, and whatever the old layout, the reader finds exactly the block that
// was written, and writing it again changes nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "kv_edit/KvRead.h"
#include "kv_edit/KvWrite.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string s(reinterpret_cast<const char*>(data), size);

  int maxIndex = size > 0 ? data[0] % 16 : 0;
  std::vector<std::string> cells(maxIndex + 1, std::string(1, '\x01'));
  kv::Parse_EntryLine(s, cells, maxIndex);
  if (cells.size() != static_cast<size_t>(maxIndex) + 1) __builtin_trap();
  for (const std::string& c : cells)
    if (c != "\x01" && s.find(c) == std::string::npos) __builtin_trap();

  const std::vector<std::string> list = {kv::kTelSection, kv::kTelBlock, "0001=03#1>234*;"};
  std::string once = kv::RewriteText(s, list);
  int count = 0;
  std::vector<std::string> tel(kv::kTelArrayMax + 1, "?");
  kv::ReadBlockOfText(once, kv::kTelSection, kv::kTelBlock, tel, kv::kTelArrayMax, count);
  if (count != 1 || tel[1] != "03#1" || tel[2] != "234*" || tel[3] != "?") __builtin_trap();
  if (kv::RewriteText(once, list) != once) __builtin_trap();
  return 0;
}
