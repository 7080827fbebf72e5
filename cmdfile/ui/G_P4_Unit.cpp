#include "cmdfile/ui/G_P4_Unit.h"

#include "cmdfile/GSectCells.h"
#include "cmdfile/ScreenTbl_Unit.h"
#include "platform/ui/QtText.h"

TFormG_P4* FormG_P4 = nullptr;

namespace {

GPageKind Type4Kind() {
  GPageKind k;
  k.pageType = 4;
  k.tempPrefix = "DBS";
  // The pattern check runs before anything is written, and a failed one
  // leaves the error button as it was.
  k.checkAfterTemp = false;
  k.errAfterFailedBuild = false;
  k.loadAtPage = true;
  k.homeCol = 1;
  k.homeRow = 1;
  k.blockCopy = true;
  k.labelWidth = 183;
  k.valueWidth = 123;
  return k;
}

}  // namespace

TFormG_P4::TFormG_P4(QWidget* parent) : TGMatrix_Page(Type4Kind(), U8("１ｘ系設定画面（その３）"), parent) {
  if (!FormG_P4) FormG_P4 = this;
  Grd_Tmr->setObjectName("GrdTimer");
  FormCreate();
}

void TFormG_P4::FormCreate() { SetEditMode(false); }

bool TFormG_P4::G_P4_Def_Read() {
  if (!ReadMatrix()) return false;
  cells_ = GPattern_Cells4(shape_);
  return true;
}

bool TFormG_P4::Open(const std::string& cmdPath, const std::string& screenKey, int pageType) {
  OpenBegin(cmdPath, screenKey, pageType);
  if (!G_P4_Def_Read()) return false;
  SectList list;
  if (!ReadSection(list)) return false;
  GPattern_ShowSection(list, ScreenTbl_Find(screenKey).SubHeader, cells_, Grid());
  GridChanged();
  return true;
}

bool TFormG_P4::BuildList(std::vector<std::string>& list, RegButton) {
  int failing = 0;
  if (GPattern_BuildList(ScreenTbl_Find(ScreenKey()), 4, cells_, Grid(), list, failing) == 0) return true;
  Message("9508");
  const CellPos& p = cells_[static_cast<size_t>(failing)];
  MatrixView v = GMatrix_ViewFor(p.col, p.row, shape_.Cols(), shape_.Rows());
  ShowFailedCell(v.col, v.row, v.top, v.left);
  return false;
}

bool G_P4_Init(const std::string& cmdPath, const std::string& screenKey, int pageType) {
  if (!FormG_P4) new TFormG_P4();
  return FormG_P4->Open(cmdPath, screenKey, pageType);
}
