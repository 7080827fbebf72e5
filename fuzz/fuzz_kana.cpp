// The three list readers on arbitrary bytes: no overrun, and whatever they
// accept is written back into text they accept again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "phone/Kana_Unit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  kana::SystemList list;
  if (kana::Spd_Read(text, list)) {
    kana::SystemList again;
    if (!kana::Spd_Read(kana::Spd_Write(list, "c"), again) || !(again == list)) std::abort();
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
