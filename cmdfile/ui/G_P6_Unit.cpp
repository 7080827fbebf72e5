#include "cmdfile/ui/G_P6_Unit.h"

#include "cmdfile/ScreenDef.h"
#include "cmdfile/ScreenTbl_Unit.h"
#include "cmdfile/ui/CmdSect_Show.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"

TFormG_P6* FormG_P6 = nullptr;

namespace {

// The selection starts on column 1, row 1 when the page opens (the home
// cell), not at every activation: a page is activated again when its own
// prompt closes, and Clear would then clear that one cell.
GPageKind Type6Kind() {
  GPageKind k;
  k.pageType = kGroupPage;
  k.tempPrefix = "ICX";
  k.checkAfterTemp = false;
  k.errAfterFailedBuild = true;
  k.loadAtPage = false;
  k.homeCol = 1;
  k.homeRow = 1;
  k.blockCopy = true;
  k.labelWidth = 21;
  k.valueWidth = 123;
  k.headRowHeight = 16;
  return k;
}

int CheckCell(std::string_view v, std::string_view rule) { return Cell_Check(v, rule); }

constexpr int kGroupMax = 999;

}  // namespace

TFormG_P6::TFormG_P6(QWidget* parent) : TGPage_Base(Type6Kind(), "FormG_P6", parent) {
  if (!FormG_P6) FormG_P6 = this;
  Stg1 = StringGrid1;
  lblCommand1 = Label2;
  lblCommand1->setText(U8("コマンドファイル： "));
  lblCommandFile = Label1;
  CopyBtn = Copy_BitBtn;
  ClearBtn = Del_BitBtn;
  HelpBtn = Help_BitBtn;
  ReturnBtn = Exit_BitBtn;
}

bool TFormG_P6::Open(const std::string& cmdPath, const std::string& screenKey) {
  OpenBegin(cmdPath, screenKey, kGroupPage);
  SectList format;
  if (!CmdSect_ReadShow(ScreenFilesDir + "Format.Dat", screenKey, format, 0)) return false;
  if (!Format_Read(format) || !Def_Read(screenKey)) return false;
  SectList list;
  if (!ReadSection(list)) return false;
  return Data_Disp(list);
}

bool TFormG_P6::Format_Read(const SectList& list) {
  return CmdSect_ShowResult(GFormat_Read(list, ScreenTbl_Find(ScreenKey()).SubHeader, kGroupPage, fmt_));
}

bool TFormG_P6::Def_Read(const std::string& screenKey) {
  groups_ = ScreenTbl_Find(screenKey).CountN;
  // Without a group the page would show no row, and its Register would
  // erase the section; the row labels hold three digits.
  if (groups_ < 1 || groups_ > kGroupMax) return CmdSect_ShowResult(9312);
  std::vector<ScreenDefLine> lines;
  int msg = Screen_Def(ScreenFilesDir, screenKey, 4, lines);
  if (msg == 0 && lines.empty()) msg = 9305;
  if (!CmdSect_ShowResult(msg)) return false;
  const std::vector<std::string> heads = GFormat_Headings(lines);
  SetGridShape(static_cast<int>(heads.size()) + 1, groups_ + 1, 1, 1);
  Grid().SetCell(0, 0, "GNO");
  for (size_t k = 0; k < heads.size(); ++k) Grid().SetCell(static_cast<int>(k) + 1, 0, heads[k]);
  return true;
}

bool TFormG_P6::Data_Disp(const SectList& list) {
  if (!CmdSect_ShowResult(GFormat_CheckPlaces(fmt_, Grid().ColCount()))) return false;
  const auto entries = GPage_EntryLines(list, ScreenTbl_Find(ScreenKey()).SubHeader);
  GGroup_Show(GGroup_Rows(fmt_, entries, groups_), Grid());
  GridChanged();
  return true;
}

bool TFormG_P6::SetStringList(SectList& list, RegButton b) {
  const ScreenRec rec = ScreenTbl_Find(ScreenKey());
  list = GPage_ListHead(rec.Header, rec.SubHeader);
  FormatFail fail;
  std::vector<int> written;
  if (!GGroup_Build(fmt_, GGroup_GridRows(Grid()), CheckCell, list, written, fail)) {
    CmdSect_ShowResult(fail.message);
    const FormatView v = GRecord_ViewFor(fail.slot, fail.row + 1, Grid().ColCount(), Grid().RowCount());
    ShowFailedCell(v.col, v.row, v.top, v.left);
    return false;
  }
  if (b == RegButton::Load) {
    std::vector<std::string> block = GGroup_ListBlock(fmt_.heading, written);
    list.insert(list.begin(), block.begin(), block.end());
  }
  return true;
}

bool G_P6_Init(const std::string& cmdPath, const std::string& screenKey) {
  if (!FormG_P6) new TFormG_P6();
  return FormG_P6->Open(cmdPath, screenKey);
}
