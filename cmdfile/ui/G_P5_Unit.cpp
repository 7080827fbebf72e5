#include "cmdfile/ui/G_P5_Unit.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>

#include "cmdfile/ScreenDef.h"
#include "cmdfile/ScreenTbl_Unit.h"
#include "cmdfile/ui/CmdSect_Show.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"

TFormG_P5* FormG_P5 = nullptr;

namespace {

GPageKind Type5Kind() {
  GPageKind k;
  k.pageType = kRecordPage;
  k.tempPrefix = "ICX";
  k.checkAfterTemp = false;
  k.errAfterFailedBuild = true;
  k.loadAtPage = false;
  k.homeCol = 1;
  k.homeRow = 1;
  k.blockCopy = true;
  k.labelWidth = 28;
  k.valueWidth = 123;
  k.headRowHeight = 16;
  return k;
}

int CheckCell(std::string_view v, std::string_view rule) { return Cell_Check(v, rule); }

}  // namespace

TFormG_P5::TFormG_P5(QWidget* parent) : TGPage_Base(Type5Kind(), "FormG_P5", parent) {
  if (!FormG_P5) FormG_P5 = this;
  Stg1 = StringGrid1;
  lblCommand1 = Label2;
  lblCommand1->setText(U8("コマンドファイル： "));
  lblCommandFile = Label1;
  CopyBtn = Copy_BitBtn;
  ClearBtn = Del_BitBtn;
  HelpBtn = Help_BitBtn;
  ReturnBtn = Exit_BitBtn;
  BitBtn1 = new QPushButton(U8("行挿入"), this);
  Lin_Del_BitBtn = new QPushButton(U8("行削除"), this);
  Lin_Del_BitBtn->setEnabled(false);
  // Beside Clear, in the row of the editing buttons.
  if (auto* v = qobject_cast<QBoxLayout*>(layout()))
    if (auto* row = qobject_cast<QBoxLayout*>(v->itemAt(2)->layout())) {
      row->insertWidget(3, BitBtn1);
      row->insertWidget(4, Lin_Del_BitBtn);
    }
  connect(BitBtn1, &QPushButton::clicked, this, &TFormG_P5::BitBtn1Click);
  connect(Lin_Del_BitBtn, &QPushButton::clicked, this, &TFormG_P5::Lin_Del_BitBtnClick);
}

bool TFormG_P5::Open(const std::string& cmdPath, const std::string& screenKey) {
  OpenBegin(cmdPath, screenKey, kRecordPage);
  rowLabel_ = false;
  Lin_Del_BitBtn->setEnabled(false);
  SectList format;
  if (!CmdSect_ReadShow(ScreenFilesDir + "Format.Dat", screenKey, format, 0)) return false;
  if (!Format_Read(format) || !Def_Read(screenKey)) return false;
  SectList list;
  if (!ReadSection(list)) return false;
  return Data_Disp(list);
}

bool TFormG_P5::Format_Read(const SectList& list) {
  return CmdSect_ShowResult(GFormat_Read(list, ScreenTbl_Find(ScreenKey()).SubHeader, kRecordPage, fmt_));
}

bool TFormG_P5::Def_Read(const std::string& screenKey) {
  std::vector<ScreenDefLine> lines;
  int msg = Screen_Def(ScreenFilesDir, screenKey, 4, lines);
  // A definition without a column opens no page.
  if (msg == 0 && lines.empty()) msg = 9305;
  if (!CmdSect_ShowResult(msg)) return false;
  const std::vector<std::string> heads = GFormat_Headings(lines);
  SetGridShape(static_cast<int>(heads.size()) + 2, 2, 1, 1);
  Grid().SetCell(0, 0, "NO");
  Grid().SetCell(1, 0, fmt_.heading);
  for (size_t k = 0; k < heads.size(); ++k) Grid().SetCell(static_cast<int>(k) + 2, 0, heads[k]);
  return true;
}

bool TFormG_P5::Data_Disp(const SectList& list) {
  if (!CmdSect_ShowResult(GFormat_CheckPlaces(fmt_, Grid().ColCount() - 1))) return false;
  GRecord_Show(GRecord_Rows(fmt_, GPage_EntryLines(list, ScreenTbl_Find(ScreenKey()).SubHeader)), Grid());
  GridChanged();
  return true;
}

bool TFormG_P5::SetStringList(SectList& list) {
  const ScreenRec rec = ScreenTbl_Find(ScreenKey());
  list = GPage_ListHead(rec.Header, rec.SubHeader);
  FormatFail fail;
  if (GRecord_Build(fmt_, GRecord_GridRows(Grid()), CheckCell, list, fail)) return true;
  CmdSect_ShowResult(fail.message);
  const FormatView v = GRecord_ViewFor(fail.slot + 1, fail.row + 1, Grid().ColCount(), Grid().RowCount());
  ShowFailedCell(v.col, v.row, v.top, v.left);
  return false;
}

bool TFormG_P5::BuildList(std::vector<std::string>& list, RegButton) { return SetStringList(list); }

void TFormG_P5::BitBtn1Click() {
  const int row = GRecord_InsertRow(Grid(), Selection().bottom);
  GridChanged();
  SetCursor(1, row);
  StringGrid1->setFocus();
}

void TFormG_P5::Lin_Del_BitBtnClick() {
  const GridRect sel = Selection();
  const int row = GRecord_DeleteRows(Grid(), sel.top, sel.bottom);
  GridChanged();
  SetCursor(1, row);
  Lin_Del_BitBtn->setEnabled(false);
  StringGrid1->setFocus();
}

bool TFormG_P5::eventFilter(QObject* watched, QEvent* e) {
  QHeaderView* labels = StringGrid1->verticalHeader();
  const bool onLabel = watched == labels->viewport();
  if (!onLabel && watched != StringGrid1->viewport()) return TGPage_Base::eventFilter(watched, e);
  if (e->type() == QEvent::MouseButtonPress) {
    auto* me = static_cast<QMouseEvent*>(e);
    rowLabel_ = onLabel && me->button() == Qt::LeftButton &&
                labels->logicalIndexAt(me->position().toPoint().y()) >= 0;
  }
  const bool release = e->type() == QEvent::MouseButtonRelease;
  const bool eaten = TGPage_Base::eventFilter(watched, e);
  // Delete follows the marking that the release ends: whole records only.
  if (release) Lin_Del_BitBtn->setEnabled(rowLabel_);
  return eaten;
}

bool G_P5_Init(const std::string& cmdPath, const std::string& screenKey) {
  if (!FormG_P5) new TFormG_P5();
  return FormG_P5->Open(cmdPath, screenKey);
}
