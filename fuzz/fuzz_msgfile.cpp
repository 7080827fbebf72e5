// Arbitrary message-file lines through the split and flag rules.
#include <cstddef>
#include <cstdint>
#include <string>

#include "shell/MsgFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string s(reinterpret_cast<const char*>(data), size);
  for (int n = 0; n <= 8; ++n) {
    auto f = MsgFile_Split(s, n);
    if (static_cast<int>(f.size()) != n) __builtin_trap();
    for (auto& x : f) MsgFile_ReadFlag(x);
  }
  MsgDlg_ExpandCR(s);
  return 0;
}
