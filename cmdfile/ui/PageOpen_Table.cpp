#include "cmdfile/ui/PageOpen_Table.h"

#include <array>
#include <utility>

namespace {
std::array<PageOpener, 8>& Table() {
  static std::array<PageOpener, 8> t;
  return t;
}
}  // namespace

void PageOpen_Set(int pageType, PageOpener opener) {
  if (pageType < 0 || pageType > 7) return;
  Table()[static_cast<size_t>(pageType)] = std::move(opener);
}

PageOpener PageOpen_Get(int pageType) {
  if (pageType < 0 || pageType > 7) return {};
  return Table()[static_cast<size_t>(pageType)];
}
