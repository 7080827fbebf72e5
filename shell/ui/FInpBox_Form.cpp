#include "shell/ui/FInpBox_Form.h"

#include <QApplication>

#include "platform/ui/QtText.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/PathLabel.h"
#include "shell/ui/Input_Unit.h"

namespace {
constexpr int kMaxNameChars = 60;
QString Native(const std::string& path) { return NameToQ(path); }
}  // namespace

TFInp_Dlg::TFInp_Dlg(QWidget* parent) : QDialog(parent) {
  setObjectName("FInp_Dlg");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowStaysOnTopHint);
  setFixedSize(456, 204);
  setFont(Orvo_Font(12));
  setWindowTitle(U8("ファイル指定"));

  Bevel2 = new QFrame(this);
  Bevel2->setFrameShape(QFrame::Panel);
  Bevel2->setFrameShadow(QFrame::Sunken);
  Bevel2->setGeometry(8, 7, 440, 24);
  Path_Lbl = new QLabel(this);
  Path_Lbl->setGeometry(12, 10, 432, 18);
  Path_Lbl->setTextFormat(Qt::PlainText);

  FInp_Bvl = new QFrame(this);
  FInp_Bvl->setFrameShape(QFrame::Box);
  FInp_Bvl->setGeometry(8, 36, 440, 122);
  FName_Edt = new QLineEdit(this);
  FName_Edt->setGeometry(14, 42, 200, 24);
  FName_Edt->setMaxLength(kMaxNameChars);
  validator_ = new ForbiddenCharValidator(FName_Edt);
  // "/" and NUL cannot stand in a name here; "\" and ":" are refused as
  // they always were, so that names stay usable on the dealers' PCs.
  validator_->SetForbidden(std::string("\\:/\0", 4));
  FName_Edt->setValidator(validator_);
  FInp_FilLstBox = new TFileListBox(this);
  FInp_FilLstBox->setGeometry(14, 70, 200, 82);
  FInp_DrvCmbBox = new TDriveComboBox(this);
  FInp_DrvCmbBox->setGeometry(222, 42, 220, 24);
  FInp_DirLstBox = new TDirectoryListBox(this);
  FInp_DirLstBox->setGeometry(222, 70, 220, 82);

  Ok_BitBtn = new QPushButton(U8("ＯＫ(&O)"), this);
  Ok_BitBtn->setGeometry(238, 166, 100, 30);
  Ok_BitBtn->setDefault(true);
  Cancel_BitBtn = new QPushButton(U8("ｷｬﾝｾﾙ(&C)"), this);
  Cancel_BitBtn->setGeometry(348, 166, 100, 30);

  FInp_DrvCmbBox->Fill();
  connect(Ok_BitBtn, &QPushButton::clicked, this, &TFInp_Dlg::Ok_BitBtnClick);
  connect(Cancel_BitBtn, &QPushButton::clicked, this, [this] { done(2); });
  connect(FInp_DirLstBox, &TDirectoryListBox::directoryChanged, this, &TFInp_Dlg::FInp_DirLstBoxChange);
  connect(FInp_DirLstBox, &TDirectoryListBox::directoryRefused, this, &TFInp_Dlg::FolderRefused);
  connect(FInp_FilLstBox, &QListWidget::itemClicked, this, &TFInp_Dlg::FInp_FilLstBoxClick);
  connect(FInp_DrvCmbBox, &TDriveComboBox::driveChanged, this, &TFInp_Dlg::FInp_DrvCmbBoxChange);
}

void TFInp_Dlg::SetEnglish() {
  QFont f = Orvo_FontNamed("MS Sans Serif", 12);
  setFont(f);
  for (QWidget* w : findChildren<QWidget*>()) w->setFont(f);
  setWindowTitle(U8("File Specification"));
  Ok_BitBtn->setText(U8("&OK"));
  Cancel_BitBtn->setText(U8("&Cancel"));
}

bool TFInp_Dlg::GoTo(const std::string& dir) {
  if (!FInp_DirLstBox->SetDirectory(dir)) return false;
  std::string d = FInp_DirLstBox->Directory();
  FInp_DrvCmbBox->SelectFor(d);
  lastGoodDrive_ = FInp_DrvCmbBox->Drive();
  lastGoodDir_ = d;
  FInp_FilLstBox->SetDirectory(d);
  PathLabel_Show(Path_Lbl, Native(d));
  return true;
}

bool TFInp_Dlg::NameAcceptable(const QString& name) const {
  if (name.isEmpty() || name.size() > kMaxNameChars) return false;
  QString copy = name;
  int pos = 0;
  return validator_->validate(copy, pos) == QValidator::Acceptable;
}

void TFInp_Dlg::ShowName(const std::string& name) {
  clickedName_ = name;
  FName_Edt->setText(Native(name));
}

std::string TFInp_Dlg::EnteredName() const {
  // A name given or taken from the list keeps its bytes while the edit shows it.
  if (!clickedName_.empty() && FName_Edt->text() == Native(clickedName_)) return clickedName_;
  return FName_Edt->text().toUtf8().toStdString();
}

void TFInp_Dlg::FInp_DirLstBoxChange() { GoTo(FInp_DirLstBox->Directory()); }

void TFInp_Dlg::FInp_FilLstBoxClick() {
  std::string name = FInp_FilLstBox->SelectedName();
  if (name.empty()) return;
  ShowName(name);
}

void TFInp_Dlg::FInp_DrvCmbBoxChange() {
  std::string root = FInp_DrvCmbBox->Drive();
  if (!DirCtl_Readable(root) || !GoTo(root)) FInp_DrvCmbBox->SetDrive(lastGoodDrive_);
}

void TFInp_Dlg::FolderRefused() {
  for (const std::string& d : {lastGoodDir_, lastGoodDrive_, std::string("/")})
    if (!d.empty() && GoTo(d)) return;
}

void TFInp_Dlg::Ok_BitBtnClick() {
  // A name taken from the file list bypasses the edit's check: check again.
  if (!NameAcceptable(FName_Edt->text())) {
    if (!FName_Edt->text().isEmpty()) QApplication::beep();
    FName_Edt->setFocus();
    return;
  }
  done(1);
}

void TFInp_Dlg::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  CenterOnScreen(this);
  FName_Edt->setFocus();
}
