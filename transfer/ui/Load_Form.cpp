#include "transfer/ui/Load_Form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QGridLayout>
#include <QTextBlock>
#include <QVBoxLayout>
#include <cstdio>

#include "link/Comm_Unit.h"
#include "link/UDP_Unit.h"
#include "link/UserTimerUnit.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/Language_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "transfer/ui/EFix_Unit.h"
#include "transfer/ui/SelectionHost.h"

TLoad_Frm* Load_Frm = nullptr;
TLoadZNT_Frm* LoadZNT_Frm = nullptr;
std::function<void()> Load_ReturnToPage;
std::function<bool(QString& user, QString& dataType)> Load_SelectionTexts;

namespace {

QEvent::Type UserEvent(int n) { return static_cast<QEvent::Type>(QEvent::User + n); }

void PostTo(QObject* o, int n) { QCoreApplication::postEvent(o, new QEvent(UserEvent(n))); }

}  // namespace

TLoadDoing::TLoadDoing(LoadParams p, LoadView& view, QObject* form)
    : engine_(std::move(p), view), form_(form) {}

void TLoadDoing::run() {
  result_ = engine_.Execute();
  PostTo(form_, WM_LOAD_FINISHED);
}

TLoad_Frm::TLoad_Frm(int systemType, QWidget* parent) : QWidget(parent), systemType_(systemType) {
  setWindowFlag(Qt::WindowStaysOnTopHint);
  Luser_Lbl = new QLabel(this);
  Ldata_Lbl = new QLabel(this);
  Lblock_Lbl = new QLabel(this);
  Lerr_Lbl = new QLabel(this);
  User_Lbl = new QLabel(this);
  Data_Lbl = new QLabel(this);
  Block_Lbl = new QLabel(this);
  Err_Lbl = new QLabel(this);
  Comp_PrgBar = new QProgressBar(this);
  Comp_PrgBar->setRange(0, 100);
  Menu_GrpBox = new QGroupBox(this);
  Com_RMem = new TRichEditDx(Menu_GrpBox);
  Com_RMem->setReadOnly(true);
  // The memo shows the latest lines of a load that may run to tens of
  // thousands; an undo history would keep every line added and dropped.
  Com_RMem->setUndoRedoEnabled(false);
  auto* gb = new QVBoxLayout(Menu_GrpBox);
  gb->addWidget(Com_RMem);
  Cancel_BitBtn = new QPushButton(this);
  Timer1 = new QTimer(this);
  Timer1->setInterval(50);

  auto* grid = new QGridLayout;
  grid->addWidget(Luser_Lbl, 0, 0);
  grid->addWidget(User_Lbl, 0, 1);
  grid->addWidget(Ldata_Lbl, 1, 0);
  grid->addWidget(Data_Lbl, 1, 1);
  grid->addWidget(Lblock_Lbl, 2, 0);
  grid->addWidget(Block_Lbl, 2, 1);
  grid->addWidget(Lerr_Lbl, 3, 0);
  grid->addWidget(Err_Lbl, 3, 1);
  grid->setColumnStretch(1, 1);
  auto* v = new QVBoxLayout(this);
  v->addLayout(grid);
  v->addWidget(Comp_PrgBar);
  v->addWidget(Menu_GrpBox, 1);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(Cancel_BitBtn);
  v->addLayout(row);
  resize(560, 480);

  connect(Cancel_BitBtn, &QPushButton::clicked, this, [this] { Cancel_BitBtnClick(); });
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
  Lang_Load(this);
}

TLoad_Frm::~TLoad_Frm() {
  if (thread_) {
    LoadCancel = 1;
    if (EthernetMode == 1) Udp_SetParam(UDP_PARAM_ABORT, 1);
    LoadFixResult = 2;
    thread_->wait();
    delete thread_;
  }
}

bool TLoad_Frm::FromSettingScreen() const {
  return systemType_ == 0 && Main_Frm && LastButton == Main_Frm->Edit_BitBtn;
}

void TLoad_Frm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (!thread_) FormShow();
}

void TLoad_Frm::Disp_Init() {
  if (!FromSettingScreen() || systemType_ == 1) {
    QString user, data;
    if (!Load_SelectionTexts || !Load_SelectionTexts(user, data)) {
      user.clear();
      std::string d;
      const auto& names = systemType_ == 1 ? DataKindNamesZNT : DataKindNames;
      if (LoadKind >= 0 && LoadKind < static_cast<int>(names.size())) {
        std::string_view n = names[static_cast<size_t>(LoadKind)];
        d = std::string(n.substr(0, n.find('\t')));
      }
      LoadRole role = Load_Role(systemType_, LoadKind);
      if (role == LoadRole::Part || role == LoadRole::Command) d += "[" + LoadFileName + "]";
      data = ToQ(d);
    }
    User_Lbl->setText(user);
    Data_Lbl->setText(data);
  }
  // The counters still hold the previous load's end; this load shows its
  // own once its send begins.
  countersShown_ = false;
  LoadDoneCount = 0;
  LoadTotal = 0;
  LoadErrCount = 0;
  Load_SetMenuCaption("");
  Menu_GrpBox->setTitle(QString());
  Com_RMem->clear();
  Block_Lbl->clear();
  Err_Lbl->clear();
  Comp_PrgBar->setValue(0);
}

void TLoad_Frm::FormShow() {
  fromSetting_ = FromSettingScreen();
  closing_ = false;
  lastMessage_.clear();
  Disp_Init();
  LoadCancel = 0;
  LoadFixResult = 0;
  const bool udp = EthernetMode == 1;
  if (udp) {
    Udp_SetParam(UDP_PARAM_ABORT, 0);
    userTimer_ = std::make_unique<UserTimer>(this);
    userTimer_->Start();
    Udp_SetTimer(userTimer_.get());
  }
  Cancel_BitBtn->setEnabled(true);
  LoadParams p;
  p.systemType = systemType_;
  p.kind = LoadKind;
  p.folder = LoadFolder.empty() ? ProgramDir : LoadFolder;
  p.fileName = LoadFileName;
  p.rangeOn = LoadRangeOn == 1;
  p.rangeFrom = LoadRangeFrom;
  p.rangeTo = LoadRangeTo;
  p.fixErrors = LoadFixErrors == 1;
  p.readControl = !fromSetting_;
  p.ethernet = udp;
  p.linkTimeOutSec = LinkTimeOutSec;
  p.retryCount = LinkRetryCount;
  p.rcvTimeOutMs = RcvTimeOutMs;
  thread_ = new TLoadDoing(std::move(p), *this, this);
  thread_->start();
}

void TLoad_Frm::Cancel_BitBtnClick() {
  if (!thread_) return;
  Cancel_BitBtn->setEnabled(false);
  LoadCancel = 1;
  if (EthernetMode == 1) Udp_SetParam(UDP_PARAM_ABORT, 1);
  if (!QApplication::overrideCursor()) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void TLoad_Frm::Timer1Timer() {
  Menu_GrpBox->setTitle(ToQ(Load_MenuCaption()));
  int n = LoadDoneCount, m = LoadTotal;
  Block_Lbl->setText(QString::fromStdString(Load_ProgressText(n, m)));
  Comp_PrgBar->setValue(Load_Percent(n, m));
}

void TLoad_Frm::ToggleCursor() { PostTo(this, WM_LOAD_CURSOR); }

void TLoad_Frm::ShowCounters() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        countersShown_ = true;
        Menu_GrpBox->setTitle(QString());
        Err_Lbl->setText(QString::number(LoadErrCount.load()));
        Timer1Timer();
      },
      Qt::QueuedConnection);
}

void TLoad_Frm::ShowErrCount() {
  int n = LoadErrCount;
  QMetaObject::invokeMethod(this, [this, n] { Err_Lbl->setText(QString::number(n)); }, Qt::QueuedConnection);
}

void TLoad_Frm::StartTimer() {
  QMetaObject::invokeMethod(this, [this] { Timer1->start(); }, Qt::QueuedConnection);
}

void TLoad_Frm::ShowLine(const std::string& line, bool memoFull) {
  QString text = ToQ(line);
  QMetaObject::invokeMethod(
      this,
      [this, text, memoFull] {
        if (memoFull) {
          QTextCursor c(Com_RMem->document()->firstBlock());
          c.select(QTextCursor::BlockUnderCursor);
          c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
          c.removeSelectedText();
        }
        Com_RMem->appendPlainText(text);
      },
      Qt::QueuedConnection);
}

void TLoad_Frm::AskFix(const std::string& errText, const std::string& line) {
  {
    std::lock_guard<std::mutex> g(fixMu_);
    fixErr_ = errText;
    fixLine_ = line;
  }
  PostTo(this, WM_LOAD_FIX);
}

void TLoad_Frm::ShowFix() {
  std::string err, line;
  {
    std::lock_guard<std::mutex> g(fixMu_);
    err = fixErr_;
    line = fixLine_;
  }
  if (!EFix_Dlg) EFix_Dlg = new TEFix_Dlg();
  int r = EFix_Dlg->ShowFix(err, line);
  Load_FixAnswer(r, line);
}

bool TLoad_Frm::event(QEvent* e) {
  if (e->type() == UserEvent(WM_LOAD_FINISHED)) {
    Finished();
    return true;
  }
  if (e->type() == UserEvent(WM_LOAD_FIX)) {
    ShowFix();
    return true;
  }
  if (e->type() == UserEvent(WM_LOAD_CURSOR)) {
    if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    else QApplication::setOverrideCursor(Qt::WaitCursor);
    return true;
  }
  return QWidget::event(e);
}

void TLoad_Frm::Finished() {
  if (!thread_) return;
  thread_->wait();
  int result = thread_->Result();
  delete thread_;
  thread_ = nullptr;
  Timer1->stop();
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  // The counters as they ended, not as the last tick saw them; a load that
  // stopped before its send leaves them empty.
  if (countersShown_) Timer1Timer();
  if (userTimer_) {
    userTimer_->Stop();
    userTimer_.reset();
  }
  lastMessage_ = Load_ResultMessage(LoadPhase, result, LineLost == 1, LoadCancel == 1);
  if (LineLost != 1 && LoadCancel != 1) activateWindow();
  MsgDlg_Show(lastMessage_);
  if (isVisible()) close();
}

void TLoad_Frm::closeEvent(QCloseEvent* e) {
  // While the thread runs the close box is the form's Cancel: the form
  // stays and closes itself when the load has ended.
  if (thread_) {
    if (Cancel_BitBtn->isEnabled()) Cancel_BitBtnClick();
    e->ignore();
    return;
  }
  QWidget::closeEvent(e);
  if (!closing_) {
    closing_ = true;
    FormClose();
  }
}

void TLoad_Frm::FormClose() {
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  hide();
  if (fromSetting_) {
    if (!HandOverTempFile.empty()) std::remove(HandOverTempFile.c_str());
    if (Load_ReturnToPage) Load_ReturnToPage();
  } else {
    Selection_Return({true, true, true, true, true});
  }
}

void Lang_Load(TLoad_Frm* f) {
  f->setFont(Orvo_Font(12));
  f->setWindowTitle(U8("ロード"));
  f->Luser_Lbl->setText(U8("ユーザ名:"));
  f->Ldata_Lbl->setText(U8("データタイプ:"));
  f->Lblock_Lbl->setText(U8("処理行数:"));
  f->Lerr_Lbl->setText(U8("エラー件数："));
  f->Cancel_BitBtn->setText(U8("キャンセル(&C)"));
}
