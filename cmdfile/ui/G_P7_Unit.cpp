#include "cmdfile/ui/G_P7_Unit.h"

#include "cmdfile/ScreenTbl_Unit.h"
#include "cmdfile/ui/CmdSect_Show.h"
#include "shell/Global_Unit.h"

TFormG_P7* FormG_P7 = nullptr;

namespace {

GPageKind Type7Kind() {
  GPageKind k;
  k.pageType = kFieldPage;
  k.tempPrefix = "DBS";
  k.checkAfterTemp = false;
  k.errAfterFailedBuild = true;
  k.loadAtPage = false;
  k.homeCol = 1;
  k.homeRow = 0;
  k.labelWidth = 243;
  return k;
}

int CheckCell(std::string_view v, std::string_view rule) { return Cell_Check(v, rule); }

}  // namespace

TFormG_P7::TFormG_P7(QWidget* parent) : TGPage_Base(Type7Kind(), "FormG_P7", parent) {
  if (!FormG_P7) FormG_P7 = this;
  Stg1 = StringGrid1;
  lblCommandFile = Label1;
  lblCommandFile->setText("Default.cmd");
  BitBtn1 = Help_BitBtn;
  // Created in select mode; showing the page puts it in edit mode.
  SetEditMode(false);
}

bool TFormG_P7::Open(const std::string& cmdPath, const std::string& screenKey) {
  OpenBegin(cmdPath, screenKey, kFieldPage);
  SectList format;
  if (!CmdSect_ReadShow(ScreenFilesDir + "Format.Dat", screenKey, format, 0)) return false;
  if (!Format_Read(format) || !Def_Read()) return false;
  SectList list;
  if (!ReadSection(list)) return false;
  return Data_Disp(list);
}

bool TFormG_P7::Format_Read(const SectList& list) {
  return CmdSect_ShowResult(GFormat_Read(list, ScreenTbl_Find(ScreenKey()).SubHeader, kFieldPage, fmt_));
}

bool TFormG_P7::Def_Read() { return ReadDefRows(true); }

bool TFormG_P7::Data_Disp(const SectList& list) {
  if (!CmdSect_ShowResult(GFormat_CheckPlaces(fmt_, Grid().RowCount()))) return false;
  const auto values = GField_Values(fmt_, GPage_EntryLines(list, ScreenTbl_Find(ScreenKey()).SubHeader));
  for (int r = 0; r < Grid().RowCount(); ++r) Grid().SetCell(1, r, values[static_cast<size_t>(r)]);
  GridChanged();
  return true;
}

bool TFormG_P7::SetStringList(SectList& list) {
  const ScreenRec rec = ScreenTbl_Find(ScreenKey());
  list = GPage_ListHead(rec.Header, rec.SubHeader);
  std::vector<std::string> values;
  for (int r = 0; r < Grid().RowCount(); ++r) values.push_back(Grid().Cell(1, r));
  FormatFail fail;
  if (GField_Build(fmt_, values, CheckCell, list, fail)) return true;
  CmdSect_ShowResult(fail.message);
  ShowFailedCell(1, fail.slot, GPage_TopRowFor(fail.slot, Grid().RowCount(), 20, 0));
  return false;
}

bool G_P7_Init(const std::string& cmdPath, const std::string& screenKey) {
  if (!FormG_P7) new TFormG_P7();
  return FormG_P7->Open(cmdPath, screenKey);
}
