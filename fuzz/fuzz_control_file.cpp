// Arbitrary control-file content through the reader; the tables it leaves
// must stay within their bounds and be usable by the checker.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "transfer/Control_Unit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  int r = Ctl_File_Parse(text);
  if (r < 0 || (r > 30 && r != 200)) __builtin_trap();
  if (Ctl_MenuCount < 0 || Ctl_MenuCount > Ctl_MaxMenus) __builtin_trap();
  if (Ctl_ItemCount < 0 || Ctl_ItemCount > Ctl_ItemSlots) __builtin_trap();
  for (int i = 0; i < Ctl_MenuCount; ++i) {
    const Ctl_MenuRec* m = Ctl_MenuTbl[i].get();
    if (!m || m->FirstItem > m->LastItem || m->LastItem >= Ctl_ItemCount) __builtin_trap();
    if (m->Name.size() > 8 || m->Comment.size() > 40 || m->RequiredCount > 10) __builtin_trap();
  }
  for (int i = 0; i < Ctl_ItemCount; ++i) {
    const Ctl_ItemRec* it = Ctl_ItemTbl[i].get();
    if (!it || it->Name.size() > 5 || it->InputCount < 1 || it->InputCount > 9) __builtin_trap();
    if (it->FormatText.size() > 36 || it->Comment.size() > 25) __builtin_trap();
    for (const Ctl_AttrPair& p : it->Attrs)
      if (p.Digits < 0 || p.Digits > 99) __builtin_trap();
  }
  // Every counted menu can be chosen and checked against.
  for (int i = 0; i < Ctl_MenuCount; ++i) {
    std::string header = "/" + Ctl_MenuTbl[i]->Name + "/";
    if (Ctl_Menu_Select(header) != 0) __builtin_trap();
    Ctl_Line_Check("0001=1>2,3;X-1=A;", 0);
    Ctl_Line_Check(text.substr(0, 200), 0);
  }
  Ctl_Def_Free();
  return 0;
}
