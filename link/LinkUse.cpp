#include "link/LinkUse.h"

#include <atomic>

namespace linkuse {

namespace {
std::atomic<bool> g_busy{false};
}

bool Begin() {
  bool expected = false;
  return g_busy.compare_exchange_strong(expected, true);
}

void End() { g_busy.store(false); }

bool Busy() { return g_busy.load(); }

}  // namespace linkuse
