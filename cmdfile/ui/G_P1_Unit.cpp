#include "cmdfile/ui/G_P1_Unit.h"

#include "cmdfile/ui/CmdSect_Show.h"
#include "cmdfile/G_P1_Cells.h"
#include "cmdfile/ScreenTbl_Unit.h"
#include "platform/ui/QtText.h"

TG_P1* G_P1 = nullptr;

namespace {

GPageKind Type1Kind() {
  GPageKind k;
  k.pageType = 1;
  k.tempPrefix = "G_P";
  k.checkAfterTemp = true;
  k.errAfterFailedBuild = true;
  k.loadAtPage = true;
  k.homeCol = 1;
  k.homeRow = 0;
  k.labelWidth = 243;
  return k;
}

}  // namespace

TG_P1::TG_P1(QWidget* parent) : TGPage_Base(Type1Kind(), U8("１ｘ系設定画面"), parent) {
  if (!G_P1) G_P1 = this;
}

bool TG_P1::G_P1_Def_Read() { return ReadDefRows(true); }

bool TG_P1::Open(const std::string& cmdPath, const std::string& screenKey, int pageType) {
  OpenBegin(cmdPath, screenKey, pageType);
  if (!G_P1_Def_Read()) return false;
  SectList list;
  if (!ReadSection(list)) return false;
  const int rows = Grid().RowCount();
  G_P1_ShowCells(G_P1_ReadCells(list, ScreenTbl_Find(screenKey).SubHeader, rows), Grid());
  GridChanged();
  return true;
}

bool TG_P1::BuildList(std::vector<std::string>& list, RegButton) {
  list = G_P1_BuildList(ScreenTbl_Find(ScreenKey()), G_P1_GridCells(Grid()));
  return true;
}

bool TG_P1::CheckValues() {
  for (int r = 0; r < Grid().RowCount(); ++r) {
    if (Cell_CheckShow(Grid().Cell(1, r), "e=6")) continue;
    ShowFailedCell(1, r, GPage_TopRowFor(r, Grid().RowCount(), 20, 0));
    return false;
  }
  return true;
}

bool G_P1_Init(const std::string& cmdPath, const std::string& screenKey, int pageType) {
  if (!G_P1) new TG_P1();
  return G_P1->Open(cmdPath, screenKey, pageType);
}
