#include "transfer/ui/Save_Unit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QFrame>

#include "link/Comm_Unit.h"
#include "link/UDP_Unit.h"
#include "link/UserTimerUnit.h"
#include "link/ui/LinkHooks.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/Language_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/PathLabel.h"
#include "transfer/ui/SelectionHost.h"

TSave_Frm* Save_Frm = nullptr;
TSave_Frm* SaveZNT_Frm = nullptr;

namespace {

// Labels show CR LF as one line break.
QString Shown(const std::string& sjis) { return ToQ(sjis).replace("\r\n", "\n"); }

QLabel* Label(QWidget* parent, int x, int y, int w, int h) {
  auto* l = new QLabel(parent);
  l->setGeometry(x, y, w, h);
  return l;
}

}  // namespace

// ---- thread ----------------------------------------------------------------

TSaveDoing::TSaveDoing(TSave_Frm* form, SaveJob job) : form_(form), engine_(std::move(job)) {
  engine_.progress = [form](int n) {
    QMetaObject::invokeMethod(form, [form, n] { form->Save_Progress(n); }, Qt::QueuedConnection);
  };
}

TSaveDoing::~TSaveDoing() { wait(); }

void TSaveDoing::Execute() {
  result_ = engine_.Run();
  Link_PostToForm(form_, kSaveDoneUserMsg);
}

// ---- form ------------------------------------------------------------------

std::string Save_DataText(const std::vector<SaveChoice>& choices, bool partRow, const std::string& partRowName) {
  if (!partRow) return choices.empty() ? std::string() : choices.front().name;
  std::string text = partRowName + "\r\n";
  int n = 0;
  for (const SaveChoice& c : choices) {
    text += c.name;
    text += ++n % 2 == 1 ? " , " : "\r\n";
  }
  if (text.back() != '\n') text.resize(text.size() - 3);
  return text;
}

TSave_Frm::TSave_Frm(int systemType, QWidget* parent) : QWidget(parent), systemType_(systemType) {
  (systemType_ == 1 ? SaveZNT_Frm : Save_Frm) = this;
  setObjectName(systemType_ == 1 ? "SaveZNT_Frm" : "Save_Frm");
  // No title-bar buttons: the form closes itself when the save has ended.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setFixedSize(480, 330);

  Luser_Lbl = Label(this, 16, 16, 110, 20);
  User_Lbl = Label(this, 130, 16, 330, 20);
  Ldata_Lbl = Label(this, 16, 44, 110, 20);
  Data_Lbl = Label(this, 130, 44, 330, 20);
  // The value may run to several lines: its label stands by the first.
  Ldata_Lbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Data_Lbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Come_Lbl = Label(this, 130, 72, 330, 20);
  Save_Bvl = new QFrame(this);
  Save_Bvl->setFrameShape(QFrame::Box);
  Save_Bvl->setFrameShadow(QFrame::Sunken);
  Save_Bvl->setGeometry(8, 8, 464, 200);
  Save_Bvl->lower();
  Lcome_Lbl = Label(this, 16, 72, 110, 20);
  Area_Lbl = Label(this, 16, 216, 110, 20);
  Dir_Lbl = Label(this, 130, 216, 340, 20);
  Block_GrpBox = new QGroupBox(this);
  Block_GrpBox->setGeometry(8, 244, 300, 60);
  Save_Lbl = Label(Block_GrpBox, 12, 24, 280, 20);
  Cancel_BitBtn = new QPushButton(this);
  Cancel_BitBtn->setGeometry(340, 262, 120, 32);
  Cancel_BitBtn->setDefault(true);
  connect(Cancel_BitBtn, &QPushButton::clicked, this, [this] { Cancel_BitBtnClick(); });
  if (systemType_ == 1) Lang_SaveZNT(this);
  else Lang_Save(this);
}

TSave_Frm::~TSave_Frm() {
  if (thread_) {
    thread_->Engine().Cancel();
    thread_->wait();
  }
  if (Save_Frm == this) Save_Frm = nullptr;
  if (SaveZNT_Frm == this) SaveZNT_Frm = nullptr;
}

void TSave_Frm::Save_Prepare() {
  // The folder as the selection form shows it, without the trailing "/".
  const SelectionHost& host = Selection_Host();
  if (host.dirCaption) {
    PathLabel_Show(Dir_Lbl, host.dirCaption());
  } else {
    std::string shown = SaveFolder.size() > 1 && SaveFolder.back() == '/' ? SaveFolder.substr(0, SaveFolder.size() - 1)
                                                                          : SaveFolder;
    PathLabel_Show(Dir_Lbl, NameToQ(shown));
  }
  User_Lbl->setText(ToQ(SaveUserName));
  Come_Lbl->setText(ToQ(SaveComment));
  items_.clear();
  for (const SaveChoice& c : SaveChoices) {
    if (items_.size() >= static_cast<size_t>(kSaveMaxItems)) break;
    items_.push_back({c.fileName, c.code});
  }
  std::string partRow(systemType_ == 1 ? DataKindNamesZNT[6] : DataKindNames[4]);
  Data_Lbl->setText(Shown(Save_DataText(SaveChoices, SavePartRow, partRow)));
  Data_Lbl->adjustSize();
  if (Data_Lbl->width() > 330) Data_Lbl->resize(330, Data_Lbl->height());
  int below = Data_Lbl->geometry().bottom() + 1 + 5;
  Lcome_Lbl->move(Lcome_Lbl->x(), below);
  Come_Lbl->move(Come_Lbl->x(), below);
  Save_Lbl->setText(ToQ(SaveBlockLabel) + "0");
}

void TSave_Frm::Save_Progress(int count) { Save_Lbl->setText(ToQ(SaveBlockLabel) + QString::number(count)); }

void TSave_Frm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (!thread_ && !e->spontaneous()) FormShow();
}

void TSave_Frm::FormShow() {
  Save_Prepare();
  closing_ = false;
  Cancel_BitBtn->setEnabled(true);
  Cancel_BitBtn->setFocus();
  ethernet_ = EthernetMode == 1;
  SaveJob job;
  job.items = items_;
  job.dir = SaveFolder;
  job.comment = SaveComment;
  job.ethernet = ethernet_;
  job.linkTimeOutSec = LinkTimeOutSec;
  job.linkRetryCount = LinkRetryCount;
  job.rcvTimeOutMs = RcvTimeOutMs;
  if (ethernet_) {
    timer_ = std::make_unique<UserTimer>(this);
    timer_->Start();
    Udp_SetTimer(timer_.get());
    Udp_SetParam(UDP_PARAM_ABORT, 0);
    job.timer = timer_.get();
  }
  thread_ = std::make_unique<TSaveDoing>(this, std::move(job));
  thread_->start();
}

void TSave_Frm::Cancel_BitBtnClick() {
  if (!thread_ || !Cancel_BitBtn->isEnabled()) return;
  if (!waitCursor_) QApplication::setOverrideCursor(Qt::WaitCursor);
  waitCursor_ = true;
  Cancel_BitBtn->setEnabled(false);
  thread_->Engine().Cancel();
}

void TSave_Frm::customEvent(QEvent* e) {
  if (e->type() == static_cast<QEvent::Type>(QEvent::User + kSaveDoneUserMsg)) {
    SaveEnd();
    return;
  }
  QWidget::customEvent(e);
}

void TSave_Frm::SaveEnd() {
  if (!thread_) return;
  Cancel_BitBtn->setEnabled(false);
  thread_->wait();
  int result = thread_->ReturnValue();
  thread_.reset();
  if (Main_Frm && Main_Frm->isMinimized()) Main_Frm->showNormal();
  if (LineLost == 1) MsgDlg_Show("5301");
  else if (result == SAVE_FILE_ERROR) MsgDlg_Show("5602");
  else if (result == SAVE_LINK_ERROR) MsgDlg_Show("5603");
  // The thread can end before the form has been shown.
  while (!isVisible()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  FormClose();
}

void TSave_Frm::FormClose() {
  if (timer_) {
    timer_->Stop();
    timer_.reset();  // unregisters itself from the link
  }
  if (waitCursor_) QApplication::restoreOverrideCursor();
  waitCursor_ = false;
  closing_ = true;
  close();
  closing_ = false;
  Selection_Return({.dataFiles = true, .partFiles = true, .lists = true, .freeSpace = true});
}

void TSave_Frm::closeEvent(QCloseEvent* e) {
  // Only the end of the save closes the form.
  if (!closing_) {
    e->ignore();
    return;
  }
  e->accept();
}

void Lang_Save(TSave_Frm* f) {
  f->setFont(Orvo_Font(12));
  f->setWindowTitle(U8("セーブ"));
  f->Area_Lbl->setText(U8("データ格納領域:"));
  f->Luser_Lbl->setText(U8("ユーザ名:"));
  f->Ldata_Lbl->setText(U8("データタイプ:"));
  f->Lcome_Lbl->setText(U8("コメント:"));
  f->Cancel_BitBtn->setText(U8("キャンセル(&C)"));
  f->Save_Lbl->setText(ToQ(SaveBlockLabel) + "0");
}

void Lang_SaveZNT(TSave_Frm* f) { Lang_Save(f); }
