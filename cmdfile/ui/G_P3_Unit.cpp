#include "cmdfile/ui/G_P3_Unit.h"

#include <QEvent>

#include "cmdfile/GSectCells.h"
#include "cmdfile/MenuTree_Unit.h"
#include "cmdfile/ScreenDef.h"
#include "cmdfile/ScreenTbl_Unit.h"
#include "cmdfile/ui/CmdSect_Show.h"
#include "link/SettingsText.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"

TFormG_P3* FormG_P3 = nullptr;

namespace {

GPageKind Type3Kind() {
  GPageKind k;
  k.pageType = 3;
  k.tempPrefix = "G_P";
  k.checkAfterTemp = true;
  k.errAfterFailedBuild = true;
  k.loadAtPage = true;
  k.homeCol = 1;
  k.homeRow = 1;
  k.blockCopy = true;
  k.labelWidth = 183;
  k.valueWidth = 123;
  return k;
}

const std::string& MenuField(int field) {
  static const std::string empty;
  const std::vector<std::string>& f = MenuTable[field];
  return MenuIndex >= 0 && static_cast<size_t>(MenuIndex) < f.size() ? f[MenuIndex] : empty;
}

}  // namespace

int G_P3_MenuShape(MatrixShape& s) { return GMatrix_Shape(MenuField(4), MenuField(5), MenuField(6), s); }

bool TGMatrix_Page::ReadMatrix() {
  MatrixShape s;
  int msg = G_P3_MenuShape(s);
  std::vector<ScreenDefLine> kept;
  if (msg == 0) msg = Screen_Def(ScreenFilesDir, ScreenKey(), 4, kept);
  if (msg == 0) {
    // Nothing of an earlier opening may stay in the headings or labels.
    Grid().SetSize(0, 0);
    shape_ = s;
    SetGridShape(s.Cols(), s.Rows(), 1, 1);
    msg = GMatrix_Place(s, kept, Grid());
  }
  if (msg != 0) {
    MsgDlg_Show(settings::MsgNo(msg));
    return false;
  }
  return true;
}

void TGMatrix_Page::FormActivate() { SetCursor(1, 1); }

bool TGMatrix_Page::event(QEvent* e) {
  bool r = TGPage_Base::event(e);
  // Only the activation that follows showing: a message box closing hands
  // activation back too, and must not move the cursor off a failing cell.
  if (e->type() == QEvent::Show) activatePending_ = true;
  if (e->type() == QEvent::WindowActivate && activatePending_) {
    activatePending_ = false;
    FormActivate();
  }
  return r;
}

TFormG_P3::TFormG_P3(QWidget* parent) : TGMatrix_Page(Type3Kind(), U8("１ｘ系設定画面（その３）"), parent) {
  if (!FormG_P3) FormG_P3 = this;
  HelpBitBtn = Help_BitBtn;
  HelpBitBtn->setObjectName("HelpBitBtn");
  GrdTimer = Grd_Tmr;
  GrdTimer->setObjectName("GrdTimer");
  FormCreate();
}

bool TFormG_P3::G_P3_Def_Read() { return ReadMatrix(); }

bool TFormG_P3::Open(const std::string& cmdPath, const std::string& screenKey, int pageType) {
  OpenBegin(cmdPath, screenKey, pageType);
  if (!G_P3_Def_Read()) return false;
  SectList list;
  if (!ReadSection(list)) return false;
  G_P3_ShowSection(list, ScreenTbl_Find(screenKey).SubHeader, shape_, Grid());
  GridChanged();
  return true;
}

bool TFormG_P3::BuildList(std::vector<std::string>& list, RegButton) {
  list = G_P3_BuildList(ScreenTbl_Find(ScreenKey()), shape_, Grid());
  return true;
}

bool TFormG_P3::CheckValues() {
  MatrixView fail;
  auto check = [](const std::string& v) { return Cell_CheckShow(v, "e=6"); };
  if (GMatrix_Check(shape_, GMatrix_GridCells(shape_, Grid()), check, fail)) return true;
  ShowFailedCell(fail.col, fail.row, fail.top, fail.left);
  return false;
}

bool G_P3_Init(const std::string& cmdPath, const std::string& screenKey, int pageType) {
  if (!FormG_P3) new TFormG_P3();
  return FormG_P3->Open(cmdPath, screenKey, pageType);
}
