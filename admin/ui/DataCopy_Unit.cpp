#include "admin/ui/DataCopy_Unit.h"

#include <QApplication>
#include <QCloseEvent>
#include <chrono>
#include <thread>

#include "admin/AdminGbl_Unit.h"
#include "admin/DataCopy.h"
#include "admin/ui/AMain_Unit.h"
#include "admin/ui/ComDlgNew_Unit.h"
#include "link/SettingsText.h"
#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/PathLabel.h"

TDataCopyFrm* DataCopy_Frm = nullptr;

namespace {

QLabel* Label(QWidget* parent, int x, int y, int w) {
  auto* l = new QLabel(parent);
  l->setGeometry(x, y, w, 20);
  return l;
}

QLabel* FolderLabel(QWidget* parent, int y) {
  auto* l = new QLabel(parent);
  l->setGeometry(12, y, 240, 24);
  l->setFrameShape(QFrame::Panel);
  l->setFrameShadow(QFrame::Sunken);
  l->setTextFormat(Qt::PlainText);
  l->setIndent(3);
  return l;
}

QPushButton* Button(QWidget* parent, int x, int y, int w, int h) {
  auto* b = new QPushButton(parent);
  b->setGeometry(x, y, w, h);
  return b;
}

// AdminDir without its trailing "/" (the root keeps it).
std::string AdminFolder() {
  std::string d = AdminDir;
  if (d.size() > 1 && d.back() == '/') d.pop_back();
  return d;
}

}  // namespace

TDataCopyFrm::TDataCopyFrm(QWidget* parent) : QWidget(parent) {
  DataCopy_Frm = this;
  setObjectName("DataCopyFrm");
  // On top of the main window, no border icons: it closes through Ext_BitBtn.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
  setFixedWidth(346);

  DataCopy_GrpBox = new QGroupBox(this);
  DataCopy_GrpBox->setGeometry(8, 4, 330, 184);
  Moto_Lbl = Label(DataCopy_GrpBox, 12, 18, 240);
  MotoDir_Lbl = FolderLabel(DataCopy_GrpBox, 40);
  Moto_BitBtn = Button(DataCopy_GrpBox, 258, 38, 62, 28);
  Saki_Lbl = Label(DataCopy_GrpBox, 12, 98, 240);
  SakiDir_Lbl = FolderLabel(DataCopy_GrpBox, 120);
  Saki_BitBtn = Button(DataCopy_GrpBox, 258, 118, 62, 28);
  FileCopy_BitBtn = Button(this, 56, 200, 110, 34);
  Ext_BitBtn = Button(this, 180, 200, 110, 34);
  DataCopy_OFSeleDlg = new TFSeleDlg(this);
  DataCopy_OFSeleDlg->DirSelect = true;
  resize(346, 260);

  connect(Moto_BitBtn, &QPushButton::clicked, this, &TDataCopyFrm::Moto_BitBtnClick);
  connect(Saki_BitBtn, &QPushButton::clicked, this, &TDataCopyFrm::Saki_BitBtnClick);
  connect(FileCopy_BitBtn, &QPushButton::clicked, this, &TDataCopyFrm::FileCopy_BitBtnClick);
  connect(Ext_BitBtn, &QPushButton::clicked, this, &TDataCopyFrm::Ext_BitBtnClick);
  FormCreate();
}

TDataCopyFrm::~TDataCopyFrm() {
  if (DataCopy_Frm == this) DataCopy_Frm = nullptr;
}

void TDataCopyFrm::FormCreate() { Lang_DataCopy(this); }

void TDataCopyFrm::SetSource(const std::string& dir) {
  source_ = dir;
  PathLabel_Show(MotoDir_Lbl, NameToQ(dir));  // its bytes stay in the form
}

void TDataCopyFrm::SetTarget(const std::string& dir) {
  target_ = dir;
  PathLabel_Show(SakiDir_Lbl, NameToQ(dir));
}

void TDataCopyFrm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

void TDataCopyFrm::FormShow() {
  leaving_ = false;
  SetSource(AdminFolder());
  // No drive letter to start from: the target is chosen each time.
  SetTarget(std::string());
  Moto_BitBtn->setFocus();
}

bool TDataCopyFrm::Pick(const std::string& shown, std::string& chosen) {
  DataCopy_OFSeleDlg->DirSelect = true;
  DataCopy_OFSeleDlg->English = false;
  DataCopy_OFSeleDlg->FileName.clear();
  DataCopy_OFSeleDlg->Path = !shown.empty() && fsys::DirExists(shown) ? shown : AdminFolder();
  if (!DataCopy_OFSeleDlg->Execute(this)) return false;
  chosen = DataCopy_OFSeleDlg->Path;
  return true;
}

void TDataCopyFrm::Moto_BitBtnClick() {
  std::string d;
  if (Pick(source_, d)) SetSource(d);
}

void TDataCopyFrm::Saki_BitBtnClick() {
  std::string d;
  if (Pick(target_, d)) SetTarget(d);
}

void TDataCopyFrm::FileCopy_BitBtnClick() {
  std::vector<DataCopyFile> files;
  int r = DataCopy_Prepare(source_, target_, admin::MsgDlg_Show, files);
  if (r > 0) admin::MsgDlg_Show(settings::MsgNo(r));
  if (r != 0) return;

  QApplication::setOverrideCursor(Qt::WaitCursor);
  setEnabled(false);
  QApplication::processEvents();
  std::this_thread::sleep_for(std::chrono::milliseconds(CopyPauseMs));
  int failed = DataCopy_Copy(files);
  setEnabled(true);
  QApplication::restoreOverrideCursor();
  FileCopy_BitBtn->setFocus();
  if (failed) admin::MsgDlg_Show(settings::MsgNo(failed));
}

void TDataCopyFrm::Ext_BitBtnClick() {
  if (AMain_Frm) {
    AMain_Frm->SB_GrpBox->show();
    AMain_Frm->BitBtn2->setFocus();
  }
  leaving_ = true;
  close();
}

void TDataCopyFrm::closeEvent(QCloseEvent* e) {
  // Only the back button leaves: the main window's buttons must come back.
  if (leaving_) e->accept();
  else e->ignore();
}

void Lang_DataCopy(TDataCopyFrm* f) {
  f->setFont(Orvo_Font(12));
  f->setWindowTitle(U8("管理者設定データコピー"));
  f->Moto_Lbl->setText(U8("コピー元ディレクトリ名"));
  f->Saki_Lbl->setText(U8("コピー先ディレクトリ名"));
  f->Moto_BitBtn->setText(U8("変  更"));
  f->Saki_BitBtn->setText(U8("変  更"));
  f->FileCopy_BitBtn->setText(U8("コピー(&C)"));
  f->Ext_BitBtn->setText(U8("戻る(&E)"));
}
