#include "shell/ui/FSelBox_Form.h"

#include <QApplication>

#include "platform/ui/QtText.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/PathLabel.h"

namespace {
QString Native(const std::string& path) { return NameToQ(path); }
}  // namespace

TFSel_Dlg::TFSel_Dlg(QWidget* parent) : QDialog(parent) {
  setObjectName("FSel_Dlg");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowStaysOnTopHint);
  setFixedSize(456, 204);
  setFont(Orvo_Font(12));

  Lfname_Lbl = new QLabel(U8("ﾌｧｲﾙ名："), this);
  Lfname_Lbl->setGeometry(8, 10, 84, 18);
  Fname_Bvl = new QFrame(this);
  Fname_Bvl->setFrameShape(QFrame::Panel);
  Fname_Bvl->setFrameShadow(QFrame::Sunken);
  Fname_Bvl->setGeometry(92, 7, 356, 24);
  Fname_Lbl = new QLabel(this);
  Fname_Lbl->setGeometry(96, 10, 348, 18);
  Fname_Lbl->setTextFormat(Qt::PlainText);

  FSel_Bvl = new QFrame(this);
  FSel_Bvl->setFrameShape(QFrame::Box);
  FSel_Bvl->setGeometry(8, 36, 440, 122);
  FSel_FilLstBox = new TFileListBox(this);
  FSel_FilLstBox->setGeometry(14, 42, 200, 110);
  FSel_DrvCmbBox = new TDriveComboBox(this);
  FSel_DrvCmbBox->setGeometry(222, 42, 220, 24);
  FSel_DirLstBox = new TDirectoryListBox(this);
  FSel_DirLstBox->setGeometry(222, 70, 220, 82);

  Ok_BitBtn = new QPushButton(U8("ＯＫ(&O)"), this);
  Ok_BitBtn->setGeometry(238, 166, 100, 30);
  Ok_BitBtn->setDefault(true);
  Cancel_BitBtn = new QPushButton(U8("ｷｬﾝｾﾙ(&C)"), this);
  Cancel_BitBtn->setGeometry(348, 166, 100, 30);

  FSel_DrvCmbBox->Fill();
  connect(Ok_BitBtn, &QPushButton::clicked, this, &TFSel_Dlg::Ok_BitBtnClick);
  connect(Cancel_BitBtn, &QPushButton::clicked, this, [this] { done(2); });
  connect(FSel_DirLstBox, &TDirectoryListBox::directoryChanged, this, &TFSel_Dlg::FSel_DirLstBoxChange);
  connect(FSel_DirLstBox, &TDirectoryListBox::directoryRefused, this, &TFSel_Dlg::FolderRefused);
  connect(FSel_FilLstBox, &QListWidget::itemSelectionChanged, this, &TFSel_Dlg::FSel_FilLstBoxClick);
  connect(FSel_DrvCmbBox, &TDriveComboBox::driveChanged, this, &TFSel_Dlg::FSel_DrvCmbBoxChange);
}

void TFSel_Dlg::SetTexts(bool english, bool dirSelect) {
  dirSelect_ = dirSelect;
  if (english) {
    QFont f = Orvo_FontNamed("MS Sans Serif", 12);
    setFont(f);
    for (QWidget* w : findChildren<QWidget*>()) w->setFont(f);
    Ok_BitBtn->setText(U8("&OK"));
    Cancel_BitBtn->setText(U8("&Cancel"));
    setWindowTitle(dirSelect ? U8("Directory Select") : U8("File Select"));
    Lfname_Lbl->setText(dirSelect ? U8("Directory:") : U8("File name:"));
  } else {
    setWindowTitle(dirSelect ? U8("ディレクトリ選択") : U8("ファイル選択"));
    Lfname_Lbl->setText(dirSelect ? U8("ﾃﾞｨﾚｸﾄﾘ名：") : U8("ﾌｧｲﾙ名："));
  }
}

void TFSel_Dlg::SetFolderLayout() {
  int x = FSel_FilLstBox->x();
  FSel_DirLstBox->move(x, FSel_DirLstBox->y());
  FSel_DrvCmbBox->move(x, FSel_DrvCmbBox->y());
  FSel_FilLstBox->hide();
}

void TFSel_Dlg::ShowChoice(const std::string& text) { PathLabel_Show(Fname_Lbl, Native(text)); }

bool TFSel_Dlg::GoTo(const std::string& dir) {
  if (!FSel_DirLstBox->SetDirectory(dir)) return false;
  std::string d = FSel_DirLstBox->Directory();
  FSel_DrvCmbBox->SelectFor(d);
  lastGoodDrive_ = FSel_DrvCmbBox->Drive();
  lastGoodDir_ = d;
  selectedFile_.clear();
  if (!FSel_FilLstBox->isHidden()) {
    QSignalBlocker block(FSel_FilLstBox);
    FSel_FilLstBox->SetDirectory(d);
  }
  return true;
}

bool TFSel_Dlg::SelectFile(const std::string& name) {
  if (!FSel_FilLstBox->SelectName(name)) return false;
  selectedFile_ = FSel_FilLstBox->SelectedPath();
  ShowChoice(selectedFile_);
  return true;
}

void TFSel_Dlg::FSel_DirLstBoxChange() {
  GoTo(FSel_DirLstBox->Directory());
  ShowChoice(FSel_DirLstBox->Directory());
}

void TFSel_Dlg::FSel_FilLstBoxClick() {
  std::string path = FSel_FilLstBox->SelectedPath();
  if (path.empty()) return;
  selectedFile_ = path;
  ShowChoice(path);
}

void TFSel_Dlg::FSel_DrvCmbBoxChange() {
  std::string root = FSel_DrvCmbBox->Drive();
  if (!DirCtl_Readable(root) || !GoTo(root)) {
    FSel_DrvCmbBox->SetDrive(lastGoodDrive_);
    return;
  }
  ShowChoice(FSel_DirLstBox->Directory());
}

void TFSel_Dlg::FolderRefused() {
  // The last readable folder may have gone meanwhile: fall back to its
  // starting point, then to the root.
  for (const std::string& d : {lastGoodDir_, lastGoodDrive_, std::string("/")}) {
    if (!d.empty() && GoTo(d)) {
      ShowChoice(FSel_DirLstBox->Directory());
      return;
    }
  }
}

void TFSel_Dlg::Ok_BitBtnClick() {
  // In file mode only a chosen file is an answer.
  if (!dirSelect_ && selectedFile_.empty()) return;
  done(1);
}

void TFSel_Dlg::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  CenterOnScreen(this);
}
