// A command file's bytes through the text editor's sections: split and
// joined again it is unchanged, a section stored back as shown changes
// nothing, and storing the "ALL" text keeps every non-empty line in order
// and is stable when repeated.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cmdfile/CEdit_Sect.h"
#include "cmdfile/ComList.h"

namespace {

const std::vector<std::string> kMenus = {"M01", "M10", "M13", "M20", "M30", "M40", "M61", "SPD", "M1"};

std::vector<std::string> NonEmpty(const std::vector<std::string>& v) {
  std::vector<std::string> out;
  for (const auto& s : v)
    if (!s.empty()) out.push_back(s);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = ComFile_SplitText(content);
  ComSectTable t;
  ComFile_Split(lines, kMenus, t);
  if (ComFile_Lines(t) != lines) __builtin_trap();

  // Each menu's first section stored back as shown.
  for (int i = 1; i <= t.Count(); ++i) {
    ComSectTable u = t;
    ComSect_Store(u, u.rec[i].name, u.rec[ComSect_Find(u, u.rec[i].name)].body, kMenus);
    if (ComFile_Lines(u) != lines) __builtin_trap();
  }

  ComSectTable all = t;
  ComSect_Store(all, "ALL", ComSect_AllText(all), kMenus);
  const std::vector<std::string> once = ComFile_Lines(all);
  if (NonEmpty(once) != NonEmpty(lines)) __builtin_trap();
  ComSect_Store(all, "ALL", ComSect_AllText(all), kMenus);
  if (ComFile_Lines(all) != once) __builtin_trap();
  return 0;
}
