#include "admin/ui/AMain_Unit.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

#include "admin/AdminGbl_Unit.h"
#include "admin/ui/ComDlgNew_Unit.h"
#include "admin/ui/DataCopy_Unit.h"
#include "admin/ui/ModemSet_Unit.h"
#include "platform/Cp932.h"
#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/ui/Conf_Unit.h"

TAMain_Frm* AMain_Frm = nullptr;

namespace {

QPushButton* MainButton(QWidget* parent, int y) {
  auto* b = new QPushButton(parent);
  b->setGeometry(20, y, 290, 44);
  return b;
}

}  // namespace

TAMain_Frm::TAMain_Frm(QWidget* parent) : QWidget(parent) {
  AMain_Frm = this;
  setObjectName("AMain_Frm");
  // Single border and a greyed close: the program ends through End_BBtn only.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowMinimizeButtonHint);
  setFixedSize(346, 280);
  SB_GrpBox = new QGroupBox(this);
  SB_GrpBox->setGeometry(8, 4, 330, 268);
  BitBtn1 = MainButton(SB_GrpBox, 28);
  BitBtn2 = MainButton(SB_GrpBox, 92);
  End_BBtn = MainButton(SB_GrpBox, 200);
  connect(BitBtn1, &QPushButton::clicked, this, &TAMain_Frm::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TAMain_Frm::BitBtn2Click);
  connect(End_BBtn, &QPushButton::clicked, this, &TAMain_Frm::End_BBtnClick);
  Lang_AMain(this);
}

TAMain_Frm::~TAMain_Frm() {
  if (AMain_Frm == this) AMain_Frm = nullptr;
}

void TAMain_Frm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

void TAMain_Frm::FormShow() {
  AdminDir = fsys::WithSlash(Admin_ProgramFolder());
  CenterOnScreen(this);
  BitBtn1->setFocus();
}

void TAMain_Frm::OpenSubform(QWidget* f) {
  if (!f) return;
  f->setGeometry(geometry().left(), geometry().top() + 20, f->width(), height() - 20);
  f->show();
  f->raise();
  f->activateWindow();
  SB_GrpBox->hide();
}

void TAMain_Frm::BitBtn1Click() { OpenSubform(ModemSet_Frm); }

void TAMain_Frm::BitBtn2Click() { OpenSubform(DataCopy_Frm); }

void TAMain_Frm::End_BBtnClick() {
  if (admin::MsgDlg_Show("7103") != 1) return;
  ending_ = true;
  close();
}

void TAMain_Frm::closeEvent(QCloseEvent* e) {
  if (ending_) e->accept();
  else e->ignore();
}

QString AMain_ButtonCaption(const char* utf8) {
  std::string s = cp932::FromUtf8(utf8).value_or(std::string());
  if (s.size() < 37) s.append(37 - s.size(), ' ');
  return ToQ(s);
}

void Lang_AMain(TAMain_Frm* f) {
  f->setFont(Orvo_Font(12));
  f->setWindowTitle(U8("管理者設定"));
  f->BitBtn1->setText(AMain_ButtonCaption("モデム情報設定"));
  f->BitBtn2->setText(AMain_ButtonCaption("管理者設定データコピー"));
  f->End_BBtn->setText(AMain_ButtonCaption("終  了"));
}
