#include "cmdfile/ui/G_P2_Unit.h"

#include "cmdfile/GSectCells.h"
#include "cmdfile/ScreenTbl_Unit.h"
#include "platform/ui/QtText.h"

TFormG_P2* FormG_P2 = nullptr;

namespace {

GPageKind Type2Kind() {
  GPageKind k;
  k.pageType = 2;
  k.tempPrefix = "DBS";
  k.checkAfterTemp = false;
  k.errAfterFailedBuild = false;
  k.loadAtPage = true;
  k.homeCol = 1;
  k.homeRow = 0;
  k.labelWidth = 363;
  return k;
}

}  // namespace

TFormG_P2::TFormG_P2(QWidget* parent) : TGPage_Base(Type2Kind(), U8("パターン２設定画面"), parent) {
  if (!FormG_P2) FormG_P2 = this;
  GrdTimer = Grd_Tmr;
  GrdTimer->setObjectName("GrdTimer");
  FormCreate();
}

void TFormG_P2::FormCreate() { SetEditMode(false); }

bool TFormG_P2::G_P2_Def_Read() {
  if (!ReadDefRows(true)) return false;
  cells_ = GPattern_Cells2(Grid().RowCount());
  return true;
}

bool TFormG_P2::Open(const std::string& cmdPath, const std::string& screenKey, int pageType) {
  OpenBegin(cmdPath, screenKey, pageType);
  if (!G_P2_Def_Read()) return false;
  SectList list;
  if (!ReadSection(list)) return false;
  GPattern_ShowSection(list, ScreenTbl_Find(screenKey).SubHeader, cells_, Grid());
  GridChanged();
  return true;
}

bool TFormG_P2::BuildList(std::vector<std::string>& list, RegButton) {
  int failing = 0;
  if (GPattern_BuildList(ScreenTbl_Find(ScreenKey()), 2, cells_, Grid(), list, failing) == 0) return true;
  Message("9508");
  const int row = cells_[static_cast<size_t>(failing)].row;
  ShowFailedCell(1, row, GPage_TopRowFor(row, Grid().RowCount(), 20, 0));
  return false;
}

bool G_P2_Init(const std::string& cmdPath, const std::string& screenKey, int pageType) {
  if (!FormG_P2) new TFormG_P2();
  return FormG_P2->Open(cmdPath, screenKey, pageType);
}
