#include "kv_edit/ui/Unit1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScrollBar>
#include <unistd.h>

#include "kv_edit/KvRead.h"
#include "kv_edit/ui/Unit2.h"
#include "kv_edit/ui/Unit3.h"
#include "platform/FileSys.h"
#include "platform/SingleInstance.h"
#include "platform/ui/QtText.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/FormRules.h"
#include "shell/ui/PathLabel.h"

namespace kv {
std::string Data_Dir;
std::string Data_File;
std::vector<std::string> Tel_Groups(kTelArrayMax + 1);
std::vector<std::string> Kana_Codes(kKanaArrayMax + 1);
TKV_FSel_Frm* KV_FSel_Frm = nullptr;
TKV_DEdt_frm* KV_DEdt_frm = nullptr;
}  // namespace kv

namespace {

constexpr int kMaxCmdFiles = 100;

QString Path(const std::string& p) { return NameToQ(p); }

std::string InDir(const std::string& name) { return fsys::Resolve(fsys::WithSlash(kv::Data_Dir), name); }

QString Row(const char* kind, const std::string& title, const std::string& date, const std::string& time) {
  return U8(kind) + "\t" + ToQ(title) + "\t" + Path(date) + "\t" + Path(time);
}

// The hourglass for the length of a read; the earlier cursor comes back on
// every way out.
struct WaitCursor {
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { Release(); }
  void Release() {
    if (on) QApplication::restoreOverrideCursor();
    on = false;
  }
  bool on = true;
};

}  // namespace

TKV_FSel_Frm::TKV_FSel_Frm(QWidget* parent) : QWidget(parent) {
  setObjectName("KV_FSel_Frm");
  // No close box: the program ends through Exit_BitBtn only.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowMinimizeButtonHint);
  setWindowTitle(U8("発信電話番号編集ソフトウェア"));
  setFont(Orvo_Font(12));
  setFixedSize(720, 440);

  Area_GrpBox = new QGroupBox(U8("データ格納領域"), this);
  Area_GrpBox->setGeometry(8, 8, 704, 60);
  label1 = new QLabel(Area_GrpBox);
  label1->setGeometry(12, 24, 560, 24);
  Chg_BitBtn = new QPushButton(U8("変更(&O)"), Area_GrpBox);
  Chg_BitBtn->setGeometry(590, 20, 100, 30);

  Dsyu_GrpBox = new QGroupBox(U8("データ種別"), this);
  Dsyu_GrpBox->setGeometry(8, 76, 704, 110);
  Dsyu_LstBox = new TTabListBox(Dsyu_GrpBox);
  Dsyu_LstBox->setObjectName("Dsyu_LstBox");
  Dsyu_LstBox->setGeometry(12, 22, 680, 78);

  Prg_GrpBox = new QGroupBox(U8("コマンドファイル"), this);
  Prg_GrpBox->setGeometry(8, 194, 704, 186);
  Com_LstBox = new TTabListBox(Prg_GrpBox);
  Com_LstBox->setObjectName("Com_LstBox");
  Com_LstBox->setGeometry(12, 22, 680, 154);
  Prg_GrpBox->hide();

  Def_BitBtn = new QPushButton(U8("確定(&D)"), this);
  Def_BitBtn->setGeometry(498, 394, 100, 36);
  Def_BitBtn->setEnabled(false);
  Exit_BitBtn = new QPushButton(U8("終了(&E)"), this);
  Exit_BitBtn->setGeometry(612, 394, 100, 36);
  FSeleDlg1 = new TFSeleDlg(this);

  connect(Chg_BitBtn, &QPushButton::clicked, this, &TKV_FSel_Frm::Chg_BitBtnClick);
  connect(Def_BitBtn, &QPushButton::clicked, this, &TKV_FSel_Frm::Def_BitBtnClick);
  connect(Exit_BitBtn, &QPushButton::clicked, this, &TKV_FSel_Frm::Exit_BitBtnClick);
  // A selection made with the keys counts as a click, as in the list boxes
  // the dealers know.
  connect(Dsyu_LstBox, &QListWidget::itemSelectionChanged, this, &TKV_FSel_Frm::Dsyu_LstBoxClick);
  connect(Dsyu_LstBox, &QListWidget::itemDoubleClicked, this, &TKV_FSel_Frm::Dsyu_LstBoxDblClick);
  connect(Com_LstBox, &QListWidget::itemSelectionChanged, this, &TKV_FSel_Frm::Com_LstBoxClick);
  connect(Com_LstBox, &QListWidget::itemDoubleClicked, this, &TKV_FSel_Frm::Com_LstBoxDblClick);
  FormCreate();
  CenterAtStart(this);
}

void TKV_FSel_Frm::FormCreate() {
  Dsyu_LstBox->SetTabStops({130, 295, 340});
  Com_LstBox->SetTabStops({295, 340});
  char buf[4096];
  SetDataDir(getcwd(buf, sizeof buf) ? buf : "/");
  List_Refresh();
}

void TKV_FSel_Frm::SetDataDir(const std::string& dir) {
  kv::Data_Dir = dir;
  PathLabel_Show(label1, Path(dir));
  while (kv::Data_Dir.size() > 1 && kv::Data_Dir.back() == '/') kv::Data_Dir.pop_back();
}

void TKV_FSel_Frm::List_Refresh() {
  prgRow_ = ptnRow_ = cmdRow_ = -1;
  cmdNames_.clear();
  Dsyu_LstBox->clear();
  Com_LstBox->clear();
  std::string title, date, time;
  std::string prg = InDir("PrgSetAll.dat");
  if (fsys::FileExists(prg) && kv::Read_TitleLine(prg, title) && kv::Get_FileStamp(prg, date, time)) {
    prgRow_ = Dsyu_LstBox->count();
    Dsyu_LstBox->addItem(Row("プログラム設定データ（全て）", title.empty() ? " " : title, date, time));
  }
  std::string ptn = InDir("proptn2.dat");
  if (fsys::FileExists(ptn) && kv::Read_TitleLine(ptn, title) && kv::Get_FileStamp(ptn, date, time)) {
    ptnRow_ = Dsyu_LstBox->count();
    Dsyu_LstBox->addItem(Row("機能メニュー関連セーブ", title, date, time));
  }
  std::vector<fsys::DirEntry> found;
  fsys::ListDir(kv::Data_Dir.empty() ? "." : kv::Data_Dir, "*.cmd", found);
  for (const fsys::DirEntry& e : found) {
    if (e.isDir) continue;
    if (static_cast<int>(cmdNames_.size()) == kMaxCmdFiles) break;
    if (cmdRow_ < 0) {
      cmdRow_ = Dsyu_LstBox->count();
      Dsyu_LstBox->addItem(U8("コマンドファイル"));
    }
    cmdNames_.push_back(e.name);
    kv::Get_FileStamp(fsys::WithSlash(kv::Data_Dir) + e.name, date, time);
    Com_LstBox->addItem(Path(kv::CmdFileRowName(e.name)) + "\t" + Path(date) + "\t" + Path(time));
  }
}

void TKV_FSel_Frm::Chg_BitBtnClick() {
  FSeleDlg1->DirSelect = true;
  FSeleDlg1->FileName.clear();
  FSeleDlg1->Path = kv::Data_Dir;
  if (!FSeleDlg1->Execute(this)) return;
  if (Path(FSeleDlg1->Path) == PathLabel_Path(label1)) return;
  SetDataDir(FSeleDlg1->Path);
  Dsyu_LstBox->clear();
  Com_LstBox->clear();
  Prg_GrpBox->hide();
  Def_BitBtn->setEnabled(false);
  List_Refresh();
}

void TKV_FSel_Frm::Dsyu_LstBoxClick() {
  QListWidgetItem* it = Dsyu_LstBox->currentItem();
  if (!it || !it->isSelected()) return;
  int row = Dsyu_LstBox->row(it);
  if (row == cmdRow_) {
    if (Prg_GrpBox->isHidden()) {
      Prg_GrpBox->show();
      Def_BitBtn->setEnabled(false);
    }
  } else if (row == prgRow_ || row == ptnRow_) {
    Com_LstBox->clearSelection();
    Com_LstBox->setCurrentItem(nullptr);
    Def_BitBtn->setEnabled(true);
    Prg_GrpBox->hide();
  }
}

void TKV_FSel_Frm::Dsyu_LstBoxDblClick() {
  int row = Dsyu_LstBox->currentRow();
  if (row >= 0 && (row == prgRow_ || row == ptnRow_)) {
    Dsyu_LstBoxClick();
    Def_BitBtnClick();
  }
}

void TKV_FSel_Frm::Com_LstBoxClick() {
  if (!Com_LstBox->selectedItems().isEmpty()) Def_BitBtn->setEnabled(true);
}

void TKV_FSel_Frm::Com_LstBoxDblClick() {
  if (Com_LstBox->selectedItems().isEmpty()) return;
  Def_BitBtn->setEnabled(true);
  Def_BitBtnClick();
}

void TKV_FSel_Frm::Def_BitBtnClick() {
  std::string path;
  int dsyu = Dsyu_LstBox->currentItem() && Dsyu_LstBox->currentItem()->isSelected() ? Dsyu_LstBox->currentRow() : -1;
  if (dsyu >= 0 && dsyu == prgRow_) path = InDir("prgsetall.dat");
  if (dsyu >= 0 && dsyu == ptnRow_) path = InDir("proptn2.dat");
  QList<QListWidgetItem*> cmd = Com_LstBox->selectedItems();
  if (!cmd.isEmpty() && !Prg_GrpBox->isHidden()) {
    size_t k = static_cast<size_t>(Com_LstBox->row(cmd.first()));
    if (k < cmdNames_.size()) path = fsys::WithSlash(kv::Data_Dir) + cmdNames_[k];
  }
  if (path.empty() || !kv::KV_DEdt_frm) return;

  WaitCursor wait;
  int blockCount = 0;
  kv::KV_DEdt_frm->ClearCells();
  kv::Tel_Groups.assign(kv::kTelArrayMax + 1, std::string());
  kv::Kana_Codes.assign(kv::kKanaArrayMax + 1, std::string());
  std::string msg = kv::Read_SectionBlock(path, kv::kNameSection, kv::kNameBlock, kv::Kana_Codes,
                                          kv::kKanaArrayMax, blockCount);
  if (msg != "3002") kv::Data_File = path;
  if (msg.empty())
    msg = kv::Read_SectionBlock(path, kv::kTelSection, kv::kTelBlock, kv::Tel_Groups,
                                kv::kTelArrayMax, blockCount);
  wait.Release();
  if (!msg.empty()) {
    kv::MsgDlg_Show(msg);
    return;
  }
  // The answer is this dialog's own result: Esc or a close is Cancel.
  if (blockCount != 2 && kv::MsgDlg_Show("3001") != 1) return;

  for (int r = 1; r <= kv::kRows; ++r) {
    kv::KV_DEdt_frm->SetCell(1, r, ToQ(kv::NumberOfRow(kv::Tel_Groups, r)));
    kv::KV_DEdt_frm->SetCell(2, r, ToQ(kv::NameOfRow(kv::Kana_Codes, r)));
  }
  kv::KV_DEdt_frm->show();
  hide();
  TKvGrid* g = kv::KV_DEdt_frm->DEdt_Grid;
  g->verticalScrollBar()->setValue(0);
  g->setCurrentCell(0, 0);
  g->setFocus();
  g->EditCurrent();
}

void TKV_FSel_Frm::Exit_BitBtnClick() {
  closing_ = true;
  close();
  closing_ = false;
}

void TKV_FSel_Frm::closeEvent(QCloseEvent* e) {
  if (closing_) e->accept();
  else e->ignore();
}

namespace kv {

int KvEdit_Main(int argc, char** argv) {
  // Before anything else: a second start creates, reads and shows nothing.
  if (!plat::AcquireSingleInstance("TKV_FSel_Frm")) return 0;
  QApplication app(argc, argv);
  QApplication::setApplicationName("KV_EDIT");
  FormRules_Install();
  KV_FSel_Frm = new TKV_FSel_Frm();
  KV_DEdt_frm = new TKV_DEdt_frm();
  conf_dlg = new Tconf_dlg();
  KV_FSel_Frm->show();
  return app.exec();
}

}  // namespace kv
