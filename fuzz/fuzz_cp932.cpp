// Arbitrary bytes through the CP932 helpers: cuts stay on character
// boundaries and the lossless pair gives back every byte.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Cp932.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string s(reinterpret_cast<const char*>(data), size);
  cp932::ToUtf8(s);
  auto back = cp932::FromUtf8Lossless(cp932::ToUtf8Lossless(s));
  if (!back || *back != s) __builtin_trap();
  for (size_t n = 0; n <= s.size() && n < 64; ++n) {
    size_t k = cp932::CutLength(s, n);
    if (k > n || !cp932::IsCharBoundary(s, k)) __builtin_trap();
  }
  return 0;
}
