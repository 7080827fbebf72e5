#include "phone/ui/Tel_Unit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QPrinter>
#include <chrono>
#include <thread>

#include "link/Comm_Unit.h"
#include "link/UserTimerUnit.h"
#include "link/ui/LinkHooks.h"
#include "platform/FileSys.h"
#include "phone/ui/TelKeyMap.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/orvo/Common_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/PathLabel.h"
#include "shell/ui/Printer.h"

TTel_Frm* Tel_Frm = nullptr;

namespace {

// The dump listing on the program's printer. Runs on the receive thread;
// the font is made, and whether the printer is ready decided, on the UI
// thread beforehand.
class QtDumpCanvas : public TelPrintCanvas {
 public:
  explicit QtDumpCanvas(const std::atomic<bool>& ready) : ready_(ready), font_(Orvo_Font(12)) {
    font_.setPointSize(8);
  }
  bool Begin(const std::string& jobName) override {
    // With no printer the job would vanish without a word: it is refused,
    // and the form says so.
    if (!ready_) return false;
    printer_ = Orvo_Printer();
    printer_->setDocName(QString::fromStdString(jobName));
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(printer_)) {
      painter_.reset();
      return false;
    }
    painter_->setFont(font_);
    return true;
  }
  int PageHeight() override { return painter_ ? painter_->device()->height() : 0; }
  int LineHeight() override { return painter_ ? QFontMetrics(font_, painter_->device()).height() : 1; }
  void Text(int y, const std::string& text) override {
    if (!painter_ || text.empty()) return;
    QRect r(0, y, painter_->device()->width(), LineHeight());
    painter_->drawText(r, Qt::AlignLeft | Qt::AlignTop, ToQ(text));
  }
  void NewPage() override {
    if (painter_) printer_->newPage();
  }
  void End() override {
    if (painter_) painter_->end();
    painter_.reset();
  }

 private:
  const std::atomic<bool>& ready_;
  QFont font_;
  QPrinter* printer_ = nullptr;
  std::unique_ptr<QPainter> painter_;
};

}  // namespace

// The interpreter's outputs: the form's labels through queued calls with
// copies (the UI thread may be waiting for the receive thread), the dump
// file, the printer and the abort code.
class TTel_Frm::Outputs : public TelStreamOutputs {
 public:
  explicit Outputs(TTel_Frm* f) : f_(f), canvas_(f->printerReady_) {}
  void ShowLine(int line, const std::string& text) override {
    TTel_Frm* f = f_;
    QMetaObject::invokeMethod(f, [f, line, text] { f->DispLine_Show(line, text); }, Qt::QueuedConnection);
  }
  void ClearLine(int line) override {
    TTel_Frm* f = f_;
    QMetaObject::invokeMethod(f, [f, line] { f->DispLine_Clear(line); }, Qt::QueuedConnection);
  }
  void ShowDumpLine(const std::string& text, int count) override {
    TTel_Frm* f = f_;
    QMetaObject::invokeMethod(f, [f, text, count] { f->DumpLine_Show(text, count); }, Qt::QueuedConnection);
  }
  void Beep() override {
    QMetaObject::invokeMethod(qApp, [] { QApplication::beep(); }, Qt::QueuedConnection);
  }
  void Pause(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  bool DumpOpen() override { return file_.Open(f_->Session().DumpPath()); }
  bool DumpWrite(uint8_t b) override { return file_.Write(b); }
  bool DumpClose() override { return file_.Close(); }
  TelPrintCanvas* Printer() override { return &canvas_; }
  void SendAbort() override { Tel_ComSend(f_->Session(), TEL_CODE_ABORT_DUMP); }

 private:
  TTel_Frm* f_;
  TelDumpFile file_;
  QtDumpCanvas canvas_;
};

namespace {

QPushButton* Button(QWidget* parent, int x, int y, int w = 56, int h = 28) {
  auto* b = new QPushButton(parent);
  b->setGeometry(x, y, w, h);
  b->setAutoDefault(false);
  return b;
}

QLabel* Label(QWidget* parent, int x, int y, int w, int h = 18) {
  auto* l = new QLabel(parent);
  l->setGeometry(x, y, w, h);
  return l;
}

}  // namespace

TTel_Frm::TTel_Frm(QWidget* parent) : QWidget(parent) {
  Tel_Frm = this;
  setObjectName("Tel_Frm");
  // No close box: only the Close button and the receive side end a session.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
  setFixedSize(640, 560);

  auto* disp = new QFrame(this);
  disp->setGeometry(16, 12, 320, 176);
  disp->setFrameShape(QFrame::Box);
  disp->setStyleSheet("QFrame { background: #c8dcc0; }");
  for (int i = 0; i < 7; ++i) {
    Disp_Lbl[i] = Label(disp, 8, 6 + 24 * i, 304, 22);
    Disp_Lbl[i]->setObjectName(QString("Disp%1_Lbl").arg(i + 1));
  }
  for (int i = 0; i < 10; ++i) {
    Sys_BitBtn[i] = Button(this, 16 + 32 * i, 196, 30, 26);
    Sys_BitBtn[i]->setObjectName(QString("Sys%1_BitBtn").arg(i + 1));
  }
  Home_Lbl = Label(this, 16, 224, 80);
  PageDown_BitBtn = Button(this, 16, 246, 40);
  Page_Lbl = Label(this, 60, 250, 100);
  PageUp_BitBtn = Button(this, 164, 246, 40);
  Set_BitBtn = Button(this, 250, 246, 86);

  for (int i = 0; i < 12; ++i) {
    int col = i / 6, row = i % 6;
    FF_Lbl[i] = Label(this, 352 + 142 * col, 14 + 38 * row, 70);
    FF_BitBtn[i] = Button(this, 424 + 142 * col, 10 + 38 * row, 60, 26);
    FF_BitBtn[i]->setObjectName(QString("FF%1_BitBtn").arg(i + 1));
  }

  // Dial pad: 1 2 3 / 4 5 6 / 7 8 9 / * 0 #
  for (int d = 1; d <= 9; ++d) Dial_BitBtn[d] = Button(this, 16 + 62 * ((d - 1) % 3), 290 + 34 * ((d - 1) / 3));
  DialStar_BitBtn = Button(this, 16, 392);
  Dial_BitBtn[0] = Button(this, 78, 392);
  DialSharpe_BitBtn = Button(this, 140, 392);
  for (int d = 0; d <= 9; ++d) Dial_BitBtn[d]->setObjectName(QString("Dial%1_BitBtn").arg(d));

  ReDisp_Lbl = Label(this, 214, 276, 80);
  ReDial_BitBtn = Button(this, 214, 294, 90);
  Clear_Lbl = Label(this, 214, 324, 80);
  Hook_BitBtn = Button(this, 214, 342, 90);
  Left_Lbl = Label(this, 214, 372, 80);
  Short_BitBtn = Button(this, 214, 390, 90);
  Right_Lbl = Label(this, 312, 276, 80);
  Conf_BitBtn = Button(this, 312, 294, 90);
  Reg_Lbl = Label(this, 312, 324, 80);
  Rsv_BitBtn = Button(this, 312, 342, 90);
  Vol_Lbl = Label(this, 312, 372, 140);
  VolDown_BitBtn = Button(this, 312, 390, 44);
  VolUp_BitBtn = Button(this, 358, 390, 44);

  OutPut_GrpBox = new QGroupBox(this);
  OutPut_GrpBox->setGeometry(16, 430, 520, 120);
  File_RdoBtn = new QRadioButton(OutPut_GrpBox);
  File_RdoBtn->setGeometry(12, 20, 90, 20);
  Printer_RdoBtn = new QRadioButton(OutPut_GrpBox);
  Printer_RdoBtn->setGeometry(12, 44, 90, 20);
  FileName_Lbl = Label(OutPut_GrpBox, 108, 22, 320);
  Chg_BitBtn = Button(OutPut_GrpBox, 432, 16, 80);
  for (int i = 0; i < 3; ++i) Dump_Lbl[i] = Label(OutPut_GrpBox, 12, 68 + 16 * i, 500, 16);

  HelpBitBtn = new THelpBitBtn(this);
  HelpBitBtn->setGeometry(548, 470, 84, 30);
  HelpBitBtn->setAutoDefault(false);
  Ext_BitBtn = Button(this, 548, 510, 84, 30);
  Tel_FInpDlg = new TFInpDlg(this);

  for (int i = 0; i < 10; ++i) buttons_[static_cast<uint8_t>(TEL_KEY_SYS1 + i)] = Sys_BitBtn[i];
  for (int i = 0; i < 12; ++i) buttons_[static_cast<uint8_t>(TEL_KEY_FF1 + i)] = FF_BitBtn[i];
  for (int d = 0; d <= 9; ++d) buttons_[static_cast<uint8_t>(TEL_KEY_DIAL0 + d)] = Dial_BitBtn[d];
  buttons_[TEL_KEY_SET] = Set_BitBtn;
  buttons_[TEL_KEY_PAGE_UP] = PageUp_BitBtn;
  buttons_[TEL_KEY_PAGE_DOWN] = PageDown_BitBtn;
  buttons_[TEL_KEY_STAR] = DialStar_BitBtn;
  buttons_[TEL_KEY_SHARP] = DialSharpe_BitBtn;
  buttons_[TEL_KEY_REDIAL] = ReDial_BitBtn;
  buttons_[TEL_KEY_HOOK] = Hook_BitBtn;
  buttons_[TEL_KEY_SHORT] = Short_BitBtn;
  buttons_[TEL_KEY_CONF] = Conf_BitBtn;
  buttons_[TEL_KEY_RSV] = Rsv_BitBtn;
  buttons_[TEL_KEY_VOL_UP] = VolUp_BitBtn;
  buttons_[TEL_KEY_VOL_DOWN] = VolDown_BitBtn;
  for (auto& [code, b] : buttons_) {
    uint8_t c = code;
    connect(b, &QPushButton::clicked, this, [this, c] { ComSend(c); });
  }
  // On the state change, so that the keyboard and accessibility switch the
  // output as a click does.
  connect(File_RdoBtn, &QRadioButton::toggled, this, [this](bool on) {
    if (on) File_RdoBtnClick();
  });
  connect(Printer_RdoBtn, &QRadioButton::toggled, this, [this](bool on) {
    if (on) Printer_RdoBtnClick();
  });
  // A click on the printer when it is already the output changes no state,
  // so no toggle comes: the printer is looked at again all the same, so that
  // one set up since then takes the next dump. A click that does toggle has
  // looked at it already.
  connect(Printer_RdoBtn, &QRadioButton::pressed, this, [this] { printerChosenAtPress_ = Printer_RdoBtn->isChecked(); });
  connect(Printer_RdoBtn, &QRadioButton::clicked, this, [this] {
    if (printerChosenAtPress_ && state_.TelOutputMode == 2) printerReady_ = Orvo_PrinterReady(Orvo_Printer());
  });
  connect(Chg_BitBtn, &QPushButton::clicked, this, &TTel_Frm::Chg_BitBtnClick);
  connect(Ext_BitBtn, &QPushButton::clicked, this, &TTel_Frm::Ext_BitBtnClick);

  // Every key passes the form before the control that has the focus.
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);

  outputs_ = std::make_unique<Outputs>(this);
  Lang_Tel(this);
}

TTel_Frm::~TTel_Frm() {
  // A session still open at the program's end: its thread must not
  // outlive the form it reports to.
  state_.TelEndRequest = true;
  if (!state_.ethernet) Comm_SetEventMask(0);
  watch_.reset();
  if (Tel_Frm == this) Tel_Frm = nullptr;
}

QPushButton* TTel_Frm::ButtonFor(uint8_t code) const {
  auto it = buttons_.find(code);
  return it == buttons_.end() ? nullptr : it->second;
}

void TTel_Frm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (!e->spontaneous() && !sessionOpen_) FormShow();
}

void TTel_Frm::FormShow() {
  sessionOpen_ = true;
  closing_ = false;
  state_.TelLanReady = false;
  state_.TelEndRequest = false;
  state_.TelLanStopped = false;
  state_.TelWatcherDone = false;
  state_.TelStartFailed = false;
  int rcvMs = RcvTimeOutMs;
  const std::string folder = Tel_ReadDumpFolder(&rcvMs);
  state_.rcvTimeOutMs = rcvMs;
  for (QLabel* l : Disp_Lbl) l->clear();
  for (QLabel* l : Dump_Lbl) l->clear();
  state_.TelRecvState = 0;
  state_.TelOutputMode = 1;
  File_RdoBtn->setChecked(true);
  FileName_Lbl->setEnabled(true);
  Chg_BitBtn->setEnabled(true);
  state_.TelDumpOutput = 0;
  state_.TelDispLine = 0;
  proposedFolder_ = folder;
  const std::string file = Tel_DefaultDumpFile(folder);
  PathLabel_Show(FileName_Lbl, NameToQ(file));
  state_.SetDumpPath(file);
  HelpBitBtn->AttachHelp(ProgramDir, "Telephone.Hlp");

  state_.ethernet = EthernetMode == 1;
  state_.post = [this](int msg) { Link_PostToForm(this, msg); };
  stream_ = std::make_unique<TelDisplayStream>(state_, *outputs_);
  portUsed_ = false;
  if (state_.ethernet) {
    timer_ = std::make_unique<UserTimer>(this);
    Tel_StartEthernet(state_, *timer_);
    watch_ = std::make_unique<TCommWatch>(state_, *stream_);
  } else if (Tel_StartSerial(state_)) {
    portUsed_ = true;
    watch_ = std::make_unique<TCommWatch>(state_, *stream_);
  }
  Sys_BitBtn[0]->setFocus();
}

void TTel_Frm::CloseByProgram() {
  if (!isVisible() || closing_) return;
  closing_ = true;
  close();
}

void TTel_Frm::closeEvent(QCloseEvent* e) {
  if (!closing_) {
    e->ignore();
    return;
  }
  FormClose();
  e->accept();
}

void TTel_Frm::FormClose() {
  if (!sessionOpen_) return;
  sessionOpen_ = false;
  if (state_.ethernet) {
    state_.TelLanReady = false;
    // The loop ends on its own after an error; otherwise it is told to.
    state_.TelEndRequest = true;
    if (watch_) watch_->Join();
    Tel_EndEthernet(state_, timer_);
  } else if (portUsed_) {
    Comm_SetEventMask(0);
    if (watch_) watch_->Join();
    Tel_EndSerial(state_);
  }
  watch_.reset();
  stream_.reset();
  timer_.reset();
  TelKeyLatch = false;
  if (EthernetMode == 1 && LineLost != 0) {
    Common_SetDisconnected();
    LineLost = 0;
  } else {
    Common_ReturnToMain();
  }
}

void TTel_Frm::ShowMainButtons() {
  if (Main_Frm) Main_Frm->SB_GB->setVisible(true);
}

bool TTel_Frm::event(QEvent* e) {
  const int n = static_cast<int>(e->type()) - static_cast<int>(QEvent::User);
  switch (n) {
    case TEL_MSG_SEND_FAILED:
      MsgDlg_Show("9085");
      return true;
    case TEL_MSG_PRINT_FAILED:
      MsgDlg_Show("9091");
      return true;
    case TEL_MSG_DUMP_FILE_FAILED:
      MsgDlg_Show("9009");
      return true;
    case TEL_MSG_CLOSE:
      if (state_.TelStartFailed) MsgDlg_Show("5801");
      CloseByProgram();
      return true;
    case TEL_MSG_LINE_LOST:
      MsgDlg_Show("5301");
      CloseByProgram();
      ShowMainButtons();
      return true;
    case TEL_MSG_END_LINE_LOST:
      MsgDlg_Show("5301");
      ShowMainButtons();
      return true;
    default:
      return QWidget::event(e);
  }
}

bool TTel_Frm::ComSend(uint8_t code) { return Tel_ComSend(state_, code); }

bool TTel_Frm::FormKeyDown(QKeyEvent* e) {
  // X11 repeats a held key as release and press pairs: none of them counts,
  // so the latch holds until the real release.
  if (e->isAutoRepeat()) return TelKeyLatch;
  if (TelKeyLatch) return true;
  TelKeyLatch = true;
  int code = Tel_KeyCodeFor(e->key(), e->modifiers(), e->nativeScanCode());
  if (code < 0) {
    TelKeyLatch = false;
    return code == TEL_KEY_SWALLOWED;
  }
  if (QPushButton* b = ButtonFor(static_cast<uint8_t>(code))) b->setFocus();
  ComSend(static_cast<uint8_t>(code));
  return true;
}

void TTel_Frm::FormKeyUp(QKeyEvent* e) {
  if (!e->isAutoRepeat()) TelKeyLatch = false;
}

bool TTel_Frm::eventFilter(QObject* o, QEvent* e) {
  if (e->type() == QEvent::KeyPress) return FormKeyDown(static_cast<QKeyEvent*>(e));
  if (e->type() == QEvent::KeyRelease) FormKeyUp(static_cast<QKeyEvent*>(e));
  return QWidget::eventFilter(o, e);
}

void TTel_Frm::keyPressEvent(QKeyEvent* e) {
  if (!FormKeyDown(e)) QWidget::keyPressEvent(e);
}

void TTel_Frm::keyReleaseEvent(QKeyEvent* e) {
  FormKeyUp(e);
  QWidget::keyReleaseEvent(e);
}

void TTel_Frm::SwitchOutput(int mode) {
  // The program's printer is made and looked at on the UI thread, before
  // the receive thread prints on it.
  if (mode == 2) {
    printerReady_ = Orvo_PrinterReady(Orvo_Printer());
    // The look answers events while the print server takes its time: a
    // choice of the file made meanwhile stands.
    if (!Printer_RdoBtn->isChecked()) return;
  }
  std::lock_guard<std::mutex> g(cs_);
  FileName_Lbl->setEnabled(mode == 1);
  Chg_BitBtn->setEnabled(mode == 1);
  state_.TelOutputMode = mode;
  if (state_.AbortDump())
    for (QLabel* l : Dump_Lbl) l->clear();
}

void TTel_Frm::File_RdoBtnClick() { SwitchOutput(1); }
void TTel_Frm::Printer_RdoBtnClick() { SwitchOutput(2); }

void TTel_Frm::Chg_BitBtnClick() {
  std::string folder = proposedFolder_;
  if (folder.empty() || !fsys::DirExists(folder))
    folder = ProgramDir.size() < 2 ? ProgramDir : ProgramDir.substr(0, ProgramDir.size() - 1);
  Tel_FInpDlg->Path = folder;
  Tel_FInpDlg->FileName = rememberedName_.empty() ? "Default" : rememberedName_;
  Tel_FInpDlg->English = false;
  if (!Tel_FInpDlg->Execute(this)) return;
  proposedFolder_ = Tel_FInpDlg->Path;
  rememberedName_ = Tel_FInpDlg->FileName;
  const std::string before = state_.DumpPath();
  const std::string after = Tel_DumpFileName(Tel_FInpDlg->Path, Tel_FInpDlg->FileName);
  PathLabel_Show(FileName_Lbl, NameToQ(after));
  state_.SetDumpPath(after);
  if (Tel_DumpPathChanged(before, after)) {
    std::lock_guard<std::mutex> g(cs_);
    state_.AbortDump();
  }
}

void TTel_Frm::Ext_BitBtnClick() {
  if (state_.ethernet && sessionOpen_) {
    if (!state_.TelLanReady) return;
    state_.TelEndRequest = true;
  }
  rememberedName_.clear();
  CloseByProgram();
}

void TTel_Frm::DispLine_Show(int line, const std::string& text) {
  if (line >= 1 && line <= 7) Disp_Lbl[line - 1]->setText(ToQ(text));
}

void TTel_Frm::DispLine_Clear(int line) {
  if (line >= 1 && line <= 7) Disp_Lbl[line - 1]->clear();
}

void TTel_Frm::DumpLine_Show(const std::string& text, int panelCount) {
  if (panelCount >= 0 && panelCount < 3) {
    Dump_Lbl[panelCount]->setText(ToQ(text));
    return;
  }
  Dump_Lbl[0]->setText(Dump_Lbl[1]->text());
  Dump_Lbl[1]->setText(Dump_Lbl[2]->text());
  Dump_Lbl[2]->setText(ToQ(text));
}

void Lang_Tel(TTel_Frm* f) {
  const QFont font = Orvo_Font(12);
  f->setFont(font);
  for (QWidget* w : f->findChildren<QWidget*>()) w->setFont(font);
  f->setWindowTitle(U8("簡易プログラム設定（電話機イメージ）"));
  const char* wide[10] = {"１", "２", "３", "４", "５", "６", "７", "８", "９", "１０"};
  for (int i = 0; i < 10; ++i) f->Sys_BitBtn[i]->setText(U8(wide[i]));
  for (QLabel* l : f->Disp_Lbl) {
    l->clear();
    l->setFont(Orvo_Font(16));
  }
  for (QLabel* l : f->Dump_Lbl) l->clear();
  PathLabel_Show(f->FileName_Lbl, QString());
  f->PageUp_BitBtn->setText(QString());
  f->PageDown_BitBtn->setText(QString());
  f->VolDown_BitBtn->setText(QString());
  f->VolUp_BitBtn->setText(QString());
  f->Home_Lbl->setText(U8("(ホーム)"));
  f->Set_BitBtn->setText(U8("設定/転送"));
  f->Page_Lbl->setText(U8("▼　ページ　▲"));
  const char* two[12] = {"０１", "０２", "０３", "０４", "０５", "０６", "０７", "０８", "０９", "１０", "１１", "１２"};
  for (int i = 0; i < 12; ++i) {
    f->FF_BitBtn[i]->setText(QString("FF%1").arg(i + 1));
    f->FF_Lbl[i]->setText(U8("外線") + U8(two[i]));
  }
  f->OutPut_GrpBox->setTitle(U8("出力方法"));
  f->Printer_RdoBtn->setText(U8("プリンタ"));
  f->File_RdoBtn->setText(U8("ファイル"));
  f->Chg_BitBtn->setText(U8("変更(&C)"));
  for (int d = 1; d <= 9; ++d) f->Dial_BitBtn[d]->setText(U8(wide[d - 1]));
  f->Dial_BitBtn[0]->setText(U8("０"));
  f->DialStar_BitBtn->setText(U8("＊"));
  f->DialStar_BitBtn->setFont(Orvo_FontNamed("@ＭＳ 明朝", 12));
  f->DialSharpe_BitBtn->setText(U8("＃"));
  f->ReDisp_Lbl->setText(U8("(再表示)"));
  f->ReDial_BitBtn->setText(U8("再ダイヤル"));
  f->Clear_Lbl->setText(U8("(クリア)"));
  f->Hook_BitBtn->setText(U8("フック"));
  f->Left_Lbl->setText(U8("(←)"));
  f->Short_BitBtn->setText(U8("短縮"));
  f->Right_Lbl->setText(U8("(→)"));
  f->Conf_BitBtn->setText(U8("確認/会議"));
  f->Reg_Lbl->setText(U8("(登録)"));
  f->Rsv_BitBtn->setText(U8("保留"));
  f->Vol_Lbl->setText(U8("▼　　音量　　▲"));
  f->HelpBitBtn->setText(U8("ヘルプ(&H)"));
  f->Ext_BitBtn->setText(U8("戻る(&E)"));
}
