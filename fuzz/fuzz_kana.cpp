// The three list readers on arbitrary bytes: no overrun, and whatever they
// accept is written back into text they accept again. A field holding the
// file's own markers ("=", "<", ">") comes only from hostile text and cannot
// be written back as it was read, so only clean lists must come back equal.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "phone/Kana_Unit.h"

namespace {
bool Clean(const std::string& s) { return s.find_first_of("=<>") == std::string::npos; }
bool Clean(const kana::SystemList& list) {
  for (const auto& e : list)
    if (!Clean(e.dial) || !Clean(e.name)) return false;
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  kana::SystemList list;
  if (kana::Spd_Read(text, list)) {
    kana::SystemList again;
    std::string written = kana::Spd_Write(list, "c");
    if (Clean(list) && (!kana::Spd_Read(written, again) || !(again == list))) std::abort();
  }
  for (int mode : {kana::kPersonal, kana::kIdCard}) {
    std::vector<kana::Owner> owners;
    kana::ISpd_Read(text, mode, owners);
    if (owners.size() > static_cast<size_t>(kana::kMaxOwners)) std::abort();
  }
  std::vector<kana::DirRow> rows;
  if (kana::Dir_Read(text, rows)) {
    std::vector<kana::DirRow> again;
    if (!kana::Dir_Read(kana::Dir_Write(rows, "c"), again)) std::abort();
  }
  return 0;
}
