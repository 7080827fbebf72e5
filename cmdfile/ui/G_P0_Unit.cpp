#include "cmdfile/ui/G_P0_Unit.h"

#include "cmdfile/GSectCells.h"
#include "cmdfile/ScreenDef.h"
#include "cmdfile/ScreenTbl_Unit.h"
#include "cmdfile/ui/CmdSect_Show.h"
#include "link/SettingsText.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"

TFormG_P0* FormG_P0 = nullptr;

namespace {

GPageKind Type0Kind() {
  GPageKind k;
  k.pageType = 0;
  k.tempPrefix = "DBS";
  k.checkAfterTemp = true;
  k.errAfterFailedBuild = true;
  k.loadAtPage = false;  // the load form goes under the main window
  k.homeCol = 1;
  k.homeRow = 0;
  k.labelWidth = 243;
  return k;
}

}  // namespace

TFormG_P0::TFormG_P0(QWidget* parent) : TGPage_Base(Type0Kind(), U8("０ｘ系設定画面"), parent) {
  if (!FormG_P0) FormG_P0 = this;
  FormCreate();
}

void TFormG_P0::FormCreate() { SetEditMode(false); }

bool TFormG_P0::G_P0_Def_Read() {
  std::vector<ScreenDefLine> kept;
  if (int msg = Screen_Def(ScreenFilesDir, ScreenKey(), 3, kept)) {
    MsgDlg_Show(settings::MsgNo(msg));
    return false;
  }
  // The keys are the program's: 85 rows whatever the definition holds, a
  // row without a line left without a label.
  Grid().SetSize(0, 0);
  SetGridShape(2, kKeyRows, 0, 1);
  for (int r = 0; r < kKeyRows && static_cast<size_t>(r) < kept.size(); ++r) Grid().SetCell(0, r, kept[r][2]);
  return true;
}

bool TFormG_P0::Open(const std::string& cmdPath, const std::string& screenKey, int pageType) {
  OpenBegin(cmdPath, screenKey, pageType);
  if (!G_P0_Def_Read()) return false;
  SectList list;
  if (!ReadSection(list)) return false;
  G_P0_ShowSection(list, Grid());
  GridChanged();
  return true;
}

bool TFormG_P0::BuildList(std::vector<std::string>& list, RegButton) {
  list = G_P0_BuildList(ScreenTbl_Find(ScreenKey()), Grid());
  return true;
}

bool TFormG_P0::CheckValues() {
  int row = 0, top = 0;
  auto check = [](const std::string& v, const char* rule) { return Cell_CheckShow(v, rule); };
  if (GKey_Check(G_P0_Values(Grid()), check, Grid().RowCount(), row, top)) return true;
  ShowFailedCell(1, row, top < 0 ? TopRow() : top);
  return false;
}

bool G_P0_Init(const std::string& cmdPath, const std::string& screenKey, int pageType) {
  if (!FormG_P0) new TFormG_P0();
  return FormG_P0->Open(cmdPath, screenKey, pageType);
}
