// Arbitrary bytes as a command file and as cell values: reading a section
// never writes outside the list or the cells, the rebuilt file holds the
// stored list in one piece, and cells written as entry lines read back as
// they were, in lines of at most 70 characters unless one value is longer.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cmdfile/CmdSect_Unit.h"
#include "cmdfile/ScreenTbl_Unit.h"
#include "cmdfile/TextLines.h"

namespace {
std::string g_content;
bool FetchInput(const std::string&, std::string& out) {
  out = g_content;
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t sel = data[0];
  std::string s(reinterpret_cast<const char*>(data + 1), size - 1);
  const bool withSub = sel & 1;
  const int pageType = 1 + (sel >> 1) % 4;
  const int maxIndex = (sel >> 3) % 32;

  // Entry lines into a cell array.
  CellArray cells(20, "/");
  for (const std::string& line : TextLines_Split(s)) {
    DataLine_Parse(line, cells, maxIndex);
    if (cells.size() != 20) __builtin_trap();
  }

  // The whole input as a file, through the reader and the writer's walk.
  ScreenTbl.fill(ScreenRec());
  ScreenTbl[1].Key = "K";
  ScreenTbl[1].Header = "/M10/";
  ScreenTbl[1].SubHeader = withSub ? "BLK=001" : "";
  g_content = s;
  CmdSect_FetchFn saved = CmdSect_Fetch;
  CmdSect_Fetch = &FetchInput;
  SectList list;
  // "/" always exists; the content comes from the input.
  if (CmdSect_Read("/", "K", list, sel & 0x80 ? 1 : 0) != 0) __builtin_trap();
  CmdSect_Fetch = saved;
  if (!list.empty() && list[0] != "/M10/") __builtin_trap();

  SectList store{"/M10/"};
  if (withSub) store.push_back("BLK=001;");
  store.push_back("0001=1;");
  std::string block;
  for (size_t i = withSub ? 1 : 0; i < store.size(); ++i) block += store[i] + "\r\n";
  std::string out = CmdSect_Rebuild(TextLines_Split(s), store, "/M10/", withSub ? "BLK=001;" : "");
  if (out.find(block) == std::string::npos) __builtin_trap();

  // Cells from the input's bytes (separators left out), built and read back.
  CellArray values(1, "/");
  std::string v;
  for (char c : s) {
    if (c == '\n') {
      values.push_back(v);
      v.clear();
    } else if (c != '>' && c != ';' && c != '\0') {
      v += c;
    }
    if (values.size() > 60) break;
  }
  SectList built;
  DataLine_Build(built, 4, values, pageType, static_cast<int>(values.size()) - 1);
  CellArray back(values.size(), "/");
  for (const std::string& line : built) {
    if (line.size() > 70 && line.find('>') != std::string::npos) __builtin_trap();
    if (!DataLine_Parse(line, back, static_cast<int>(values.size()) - 1)) __builtin_trap();
  }
  if (back != values) __builtin_trap();
  return 0;
}
