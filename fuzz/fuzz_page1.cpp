// Any section list and screen-definition text through the type-1 page: the
// definition split never fails, and what the page writes reads back to the
// same values, with the sub-header line first and no entry line without its
// index.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cmdfile/G_P1_Cells.h"
#include "cmdfile/ScreenDef.h"
#include "cmdfile/TextLines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int rows = 1 + data[0] % 64;
  const bool block = (data[0] & 0x40) != 0;
  const SectList list = TextLines_Split(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  for (const std::string& line : list) {
    ScreenDefLine f = Screen_DefSplit(line);
    for (const std::string& field : f)
      if (field.find('\x7f') != std::string::npos) __builtin_trap();
    if (Screen_DefKeep(f, 3) && f.size() < 3) __builtin_trap();
  }

  ScreenRec rec;
  rec.Header = "/M10/";
  rec.SubHeader = block ? "BLK=001" : "";
  PageGrid g, again;
  g.SetSize(2, rows);
  again.SetSize(2, rows);
  G_P1_ShowCells(G_P1_ReadCells(list, rec.SubHeader, rows), g);
  SectList out = G_P1_BuildList(rec, G_P1_GridCells(g));
  if (out.empty() || out[0] != rec.Header) __builtin_trap();
  if (block && (out.size() < 2 || out[1] != "BLK=001;")) __builtin_trap();
  for (size_t i = block ? 2 : 1; i < out.size(); ++i)
    if (out[i].size() < 6 || out[i][4] != '=') __builtin_trap();
  G_P1_ShowCells(G_P1_ReadCells(out, rec.SubHeader, rows), again);
  for (int r = 0; r < rows; ++r)
    if (g.Cell(1, r) != again.Cell(1, r)) __builtin_trap();
  return 0;
}
