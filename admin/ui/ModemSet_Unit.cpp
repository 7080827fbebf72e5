#include "admin/ui/ModemSet_Unit.h"

#include <QCloseEvent>

#include "admin/AdminGbl_Unit.h"
#include "admin/ui/AMain_Unit.h"
#include "admin/ui/ComDlgNew_Unit.h"
#include "link/SettingsText.h"
#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/Input_Unit.h"

TModemSetFrm* ModemSet_Frm = nullptr;

namespace {

QLabel* Label(QWidget* parent, int x, int y, int w) {
  auto* l = new QLabel(parent);
  l->setGeometry(x, y, w, 22);
  return l;
}

QLineEdit* CmdEdit(QWidget* parent, int x, int y, int w, int maxBytes) {
  auto* e = new QLineEdit(parent);
  e->setGeometry(x, y, w, 22);
  // The commands are ASCII: characters and bytes are one. A longer command
  // read from MODEM.INF is shown and stored whole.
  ModemCmd_SetLimit(e, maxBytes);
  return e;
}

QPushButton* Button(QWidget* parent, int x, int y) {
  auto* b = new QPushButton(parent);
  b->setGeometry(x, y, 110, 34);
  return b;
}

std::string Text(const QLineEdit* e) { return FromQ(e->text()).value_or(std::string()); }

}  // namespace

TModemSetFrm::TModemSetFrm(QWidget* parent) : QWidget(parent) {
  ModemSet_Frm = this;
  setObjectName("ModemSetFrm");
  // On top of the main window, no border icons: it closes through Ext_BitBtn.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
  setFixedWidth(346);

  Kind_Lbl = Label(this, 16, 16, 96);
  Kind_CmbBox = new QComboBox(this);
  Kind_CmbBox->setGeometry(112, 14, 218, 24);
  Kind_CmbBox->setEditable(true);
  Kind_CmbBox->setInsertPolicy(QComboBox::NoInsert);
  Kind_CmbBox->setCompleter(nullptr);
  auto* nameRule = new ForbiddenCharValidator(Kind_CmbBox);
  nameRule->SetForbidden(",");
  nameRule->SetMaxBytes(20);
  Kind_CmbBox->setValidator(nameRule);

  Cmd_GrpBox = new QGroupBox(this);
  Cmd_GrpBox->setGeometry(8, 50, 330, 136);
  Init_Lbl = Label(Cmd_GrpBox, 12, 26, 80);
  Dial_Lbl = Label(Cmd_GrpBox, 12, 62, 80);
  Cut_Lbl = Label(Cmd_GrpBox, 12, 98, 80);
  Init_Edt = CmdEdit(Cmd_GrpBox, 96, 26, 222, 20);
  Dial1_Edt = CmdEdit(Cmd_GrpBox, 96, 62, 108, 10);
  Dial2_Edt = CmdEdit(Cmd_GrpBox, 210, 62, 108, 10);
  Cut1_Edt = CmdEdit(Cmd_GrpBox, 96, 98, 108, 10);
  Cut2_Edt = CmdEdit(Cmd_GrpBox, 210, 98, 108, 10);

  Reg_BitBtn = Button(this, 56, 200);
  Ext_BitBtn = Button(this, 180, 200);
  resize(346, 260);

  connect(Kind_CmbBox, &QComboBox::activated, this, &TModemSetFrm::Kind_CmbBoxClick);
  connect(Reg_BitBtn, &QPushButton::clicked, this, &TModemSetFrm::Reg_BitBtnClick);
  connect(Ext_BitBtn, &QPushButton::clicked, this, &TModemSetFrm::Ext_BitBtnClick);
  FormCreate();
}

TModemSetFrm::~TModemSetFrm() {
  if (ModemSet_Frm == this) ModemSet_Frm = nullptr;
}

void TModemSetFrm::FormCreate() { Lang_ModemSet(this); }

void TModemSetFrm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

void TModemSetFrm::FormShow() {
  leaving_ = false;
  Kind_CmbBox->clear();
  Kind_CmbBox->setEditText(QString());
  ShowEdits({});
  List.Load(AdminDir);
  for (const ModemKind& k : List.table.kinds) Kind_CmbBox->addItem(ToQ(k.name));
  Kind_CmbBox->setCurrentIndex(-1);
  Kind_CmbBox->setFocus();
}

ModemCmds TModemSetFrm::Edits() const {
  return {Text(Init_Edt), Text(Dial1_Edt), Text(Dial2_Edt), Text(Cut1_Edt), Text(Cut2_Edt)};
}

void TModemSetFrm::ShowEdits(const ModemCmds& c) {
  ModemCmd_Show(Init_Edt, ToQ(c.init));
  ModemCmd_Show(Dial1_Edt, ToQ(c.dial1));
  ModemCmd_Show(Dial2_Edt, ToQ(c.dial2));
  ModemCmd_Show(Cut1_Edt, ToQ(c.cut1));
  ModemCmd_Show(Cut2_Edt, ToQ(c.cut2));
}

void TModemSetFrm::FocusFor(ModemFocus f) {
  switch (f) {
    case ModemFocus::Kind: Kind_CmbBox->setFocus(); break;
    case ModemFocus::Dial1: Dial1_Edt->setFocus(); break;
    case ModemFocus::Dial2: Dial2_Edt->setFocus(); break;
    case ModemFocus::None: break;
  }
}

void TModemSetFrm::Kind_CmbBoxClick(int index) {
  ModemCmds edits = Edits();
  int bad = 0;
  if (List.Switch(index, edits, bad) != 0) {
    admin::MsgDlg_Show("0003");
    Kind_CmbBox->setCurrentIndex(List.selected);
    FocusFor(bad == 1 ? ModemFocus::Dial1 : ModemFocus::Dial2);
    return;
  }
  ShowEdits(edits);
}

void TModemSetFrm::Reg_BitBtnClick() {
  std::string name = FromQ(Kind_CmbBox->currentText()).value_or(std::string());
  std::string path = fsys::Resolve(fsys::WithSlash(AdminDir), "MODEM.INF");
  ModemRegResult r = List.Register(name, Edits(), path, admin::MsgDlg_Show);
  if (r.renamed && r.index >= 0) Kind_CmbBox->setItemText(r.index, ToQ(name));
  if (r.added) Kind_CmbBox->addItem(ToQ(name));
  if (r.message != 0) {
    admin::MsgDlg_Show(settings::MsgNo(r.message));
    FocusFor(r.focus);
    return;
  }
  if (r.index >= 0) Kind_CmbBox->setCurrentIndex(r.index);
}

void TModemSetFrm::Ext_BitBtnClick() {
  if (AMain_Frm) {
    AMain_Frm->SB_GrpBox->show();
    AMain_Frm->BitBtn1->setFocus();
  }
  leaving_ = true;
  close();
}

void TModemSetFrm::closeEvent(QCloseEvent* e) {
  // Only the back button leaves: the main window's buttons must come back.
  if (leaving_) e->accept();
  else e->ignore();
}

void Lang_ModemSet(TModemSetFrm* f) {
  f->setFont(Orvo_Font(12));
  f->setWindowTitle(U8("モデム情報設定"));
  f->Kind_Lbl->setText(U8("モデム種別 :"));
  f->Cmd_GrpBox->setTitle(U8("コマンド"));
  f->Init_Lbl->setText(U8("初期化 :"));
  f->Dial_Lbl->setText(U8("ダイヤル :"));
  f->Cut_Lbl->setText(U8("切断 :"));
  f->Reg_BitBtn->setText(U8("登録(&R)"));
  f->Ext_BitBtn->setText(U8("戻る(&E)"));
}
