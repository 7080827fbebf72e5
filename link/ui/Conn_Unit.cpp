#include "link/ui/Conn_Unit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>

#include "link/ConnLogin.h"
#include "link/Comm_Unit.h"
#include "link/ConnModem.h"
#include "link/LinkPort.h"
#include "link/LinkResult.h"
#include "link/SettingsText.h"
#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/Language_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/orvo/Common_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/Conf_Unit.h"

TConn_Frm* Conn_Frm = nullptr;

QValidator::State TelNumberValidator::validate(QString& input, int&) const {
  input = input.toUpper();
  for (QChar c : input)
    if (!c.isDigit() && QStringLiteral("#*-R").indexOf(c) < 0) return Invalid;
  for (QChar c : input)
    if (c.unicode() > 0x7F) return Invalid;
  return Acceptable;
}

// The form and the main window as the connect flows see them.
class TConn_Frm::FormUi : public ConnUi {
 public:
  explicit FormUi(TConn_Frm* f) : f_(f) {}
  int Message(int number) override { return MsgDlg_Show(settings::MsgNo(number)); }
  int Prompt(int number, std::string& text) override { return InpDlg_Show(settings::MsgNo(number), text); }
  void SetFormEnabled(bool on) override { f_->setEnabled(on); }
  void SetHourglass(bool on) override { f_->SetHourglass(on); }
  void SetMainHidden(bool hidden) override {
    if (!Main_Frm) return;
    Main_Frm->setVisible(!hidden);
    if (!hidden) {
      f_->raise();
      f_->activateWindow();
    }
  }
  void Connected(int kind, int speed) override {
    Common_SetConnected();
    if (Main_Frm) Main_Frm->Main_StsBar->showMessage(ToQ(f_->StatusText(kind, speed)));
  }
  void CloseForm() override { f_->CloseByProgram(); }
  void EnterTerminal() override {
    f_->setEnabled(true);
    f_->setWindowTitle(ToQ(ConnAtCaption));
    f_->Conn_AtMode(true);
    f_->StartReceiver();
    f_->At_RMem->clear();
    f_->At_RMem->setFocus();
  }
  void* TimerOwner() override { return f_; }

 private:
  TConn_Frm* f_;
};

TConnRecv::TConnRecv(TConn_Frm* form, SerialLink* port, int rcvTimeOutMs)
    : form_(form), port_(port), rcvTimeOutMs_(rcvTimeOutMs) {
  port_->SetEventMask(port_->EventMask() | EV_RXCHAR);
  start();
}

TConnRecv::~TConnRecv() { Stop(); }

void TConnRecv::Stop() {
  port_->SetEventMask(0);
  wait();
}

void TConnRecv::Execute() {
  port_->SetRcvTimeOut(rcvTimeOutMs_);
  for (;;) {
    // The wait returns as soon as bytes are queued, and with 0 when the
    // form clears the event mask or the line fails.
    if (port_->WaitEvent() != EV_RXCHAR) return;
    int waiting = port_->InQueue();
    if (waiting < 0) return;
    if (waiting == 0) continue;
    std::string got;
    if (port_->ReadBytes(static_cast<size_t>(waiting), got) != LINK_OK) return;
    line_.Feed(got, [this](const std::string& line) {
      // Queued, never blocking: the UI thread may be waiting in Stop().
      TConn_Frm* f = form_;
      QMetaObject::invokeMethod(f, [f, line] { f->AddTerminalLine(line); }, Qt::QueuedConnection);
    });
  }
}

namespace {

QRadioButton* Radio(QWidget* parent, int x, int y, int w = 170) {
  auto* r = new QRadioButton(parent);
  r->setGeometry(x, y, w, 20);
  return r;
}

}  // namespace

TConn_Frm::TConn_Frm(QWidget* parent) : QWidget(parent) {
  Conn_Frm = this;
  setObjectName("Conn_Frm");
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
  setFixedSize(633, 408);

  Ct_GrpBox = new QGroupBox(this);
  Ct_GrpBox->setGeometry(8, 8, 200, 100);
  Ct1_RdoBtn = Radio(Ct_GrpBox, 14, 22);
  Ct2_RdoBtn = Radio(Ct_GrpBox, 14, 46);
  Ct3_RdoBtn = Radio(Ct_GrpBox, 14, 70);

  Br_GrpBox = new QGroupBox(this);
  Br_GrpBox->setGeometry(216, 8, 200, 196);
  for (int i = 0; i < 7; ++i) Br_RdoBtn[i] = Radio(Br_GrpBox, 14, 22 + 24 * i);

  Mc_GrpBox = new QGroupBox(this);
  Mc_GrpBox->setGeometry(424, 8, 201, 100);
  Mc1_RdoBtn = Radio(Mc_GrpBox, 14, 22);
  Mc2_RdoBtn = Radio(Mc_GrpBox, 14, 46);
  Mc3_RdoBtn = Radio(Mc_GrpBox, 14, 70);

  Lt_GrpBox = new QGroupBox(this);
  Lt_GrpBox->setGeometry(424, 116, 201, 76);
  Lt1_RdoBtn = Radio(Lt_GrpBox, 14, 22);
  Lt2_RdoBtn = Radio(Lt_GrpBox, 14, 46);

  Tn_GrpBox = new QGroupBox(this);
  Tn_GrpBox->setGeometry(8, 212, 617, 60);
  Hed_CmbBox = new QComboBox(Tn_GrpBox);
  Hed_CmbBox->setGeometry(14, 24, 90, 24);
  TEL_Edt = new QLineEdit(Tn_GrpBox);
  TEL_Edt->setGeometry(114, 24, 300, 24);
  TEL_Edt->setMaxLength(25);
  TEL_Edt->setValidator(new TelNumberValidator(TEL_Edt));

  IPAdd_GrpBox = new QGroupBox(this);
  IPAdd_GrpBox->setGeometry(216, 8, 409, 70);
  IPAdd_Lbl = new QLabel(IPAdd_GrpBox);
  IPAdd_Lbl->setGeometry(14, 30, 100, 20);
  Address_MEdt = new QLineEdit(IPAdd_GrpBox);
  Address_MEdt->setGeometry(120, 28, 160, 24);
  // Groups of up to three digits; blanks pad a group that is typed short.
  Address_MEdt->setInputMask("000.000.000.000; ");
  Address_MEdt->installEventFilter(this);

  Help_BitBtn = new THelpBitBtn(this);
  Help_BitBtn->setGeometry(8, 370, 100, 30);
  Reg_BitBtn = new QPushButton(this);
  Reg_BitBtn->setGeometry(305, 370, 100, 30);
  Conn_BitBtn = new QPushButton(this);
  Conn_BitBtn->setGeometry(415, 370, 100, 30);
  Exit_BitBtn = new QPushButton(this);
  Exit_BitBtn->setGeometry(525, 370, 100, 30);

  At_Pnl = new QWidget(this);
  At_Pnl->setGeometry(0, 0, 633, 408);
  Guide1_Lbl = new QLabel(At_Pnl);
  Guide1_Lbl->setGeometry(16, 12, 600, 20);
  Guide2_Lbl = new QLabel(At_Pnl);
  Guide2_Lbl->setGeometry(16, 34, 600, 20);
  At_RMem = new QPlainTextEdit(At_Pnl);
  At_RMem->setGeometry(16, 60, 601, 300);
  Ok_BitBtn = new QPushButton(At_Pnl);
  Ok_BitBtn->setGeometry(415, 370, 100, 30);
  Cancel_BitBtn = new QPushButton(At_Pnl);
  Cancel_BitBtn->setGeometry(525, 370, 100, 30);
  At_Pnl->hide();

  for (QRadioButton* r : {Ct1_RdoBtn, Ct2_RdoBtn, Ct3_RdoBtn, Mc1_RdoBtn, Mc2_RdoBtn, Mc3_RdoBtn})
    connect(r, &QRadioButton::toggled, this, [this](bool on) {
      if (on) KindOrProcedureClick();
    });
  connect(Conn_BitBtn, &QPushButton::clicked, this, &TConn_Frm::Conn_BitBtnClick);
  connect(Reg_BitBtn, &QPushButton::clicked, this, &TConn_Frm::Reg_BitBtnClick);
  connect(Exit_BitBtn, &QPushButton::clicked, this, &TConn_Frm::Exit_BitBtnClick);
  connect(Ok_BitBtn, &QPushButton::clicked, this, &TConn_Frm::Ok_BitBtnClick);
  connect(Cancel_BitBtn, &QPushButton::clicked, this, &TConn_Frm::Cancel_BitBtnClick);
  At_RMem->installEventFilter(this);

  FormCreate();
}

TConn_Frm::~TConn_Frm() {
  StopReceiver();
  while (hourglass_ > 0) SetHourglass(false);
  if (Conn_Frm == this) Conn_Frm = nullptr;
}

void TConn_Frm::FormCreate() { Lang_Conn(this); }

int TConn_Frm::ReadSettings() { return Conn_ReadSettings(kept_); }

void TConn_Frm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  closing_ = false;
  FormShow();
}

void TConn_Frm::FormShow() {
  setEnabled(true);
  setWindowTitle(ToQ(ConnCaption));
  Help_BitBtn->AttachHelp(ProgramDir, "Connect.Hlp");
  ConnChoice c = Choice();
  Conn_ApplySettings(kept_, c, serial_, modem_);
  ShowChoice(c);
  KindOrProcedureClick();
  QRadioButton* kind = Ct3_RdoBtn->isChecked() ? Ct3_RdoBtn : Ct2_RdoBtn->isChecked() ? Ct2_RdoBtn : Ct1_RdoBtn;
  kind->setFocus();
  okBusy_ = false;
}

ConnChoice TConn_Frm::Choice() const {
  ConnChoice c;
  c.directEnabled = Ct1_RdoBtn->isEnabled();
  c.publicEnabled = Ct2_RdoBtn->isEnabled();
  c.atEnabled = Mc3_RdoBtn->isEnabled();
  c.kind = Ct3_RdoBtn->isChecked() ? CONN_ETHERNET : Ct2_RdoBtn->isChecked() ? CONN_PUBLIC : CONN_DIRECT;
  c.speed = 0;
  for (int i = 0; i < 7; ++i)
    if (Br_RdoBtn[i]->isChecked()) c.speed = i;
  c.procedure = Mc3_RdoBtn->isChecked() ? CONN_AT_COMMANDS : Mc2_RdoBtn->isChecked() ? CONN_MANUAL_DIAL : CONN_AUTO_DIAL;
  c.pulse = Lt2_RdoBtn->isChecked();
  c.prefix = Hed_CmbBox->currentIndex();
  c.number = FromQ(TEL_Edt->text()).value_or(std::string());
  c.address = FromQ(Address_MEdt->displayText()).value_or(std::string());
  return c;
}

void TConn_Frm::ShowChoice(const ConnChoice& c) {
  Ct1_RdoBtn->setEnabled(c.directEnabled);
  Ct2_RdoBtn->setEnabled(c.publicEnabled);
  Mc3_RdoBtn->setEnabled(c.atEnabled);
  (c.kind == CONN_ETHERNET ? Ct3_RdoBtn : c.kind == CONN_PUBLIC ? Ct2_RdoBtn : Ct1_RdoBtn)->setChecked(true);
  Br_RdoBtn[c.speed >= 0 && c.speed < 7 ? c.speed : 0]->setChecked(true);
  (c.procedure == CONN_AT_COMMANDS ? Mc3_RdoBtn : c.procedure == CONN_MANUAL_DIAL ? Mc2_RdoBtn : Mc1_RdoBtn)
      ->setChecked(true);
  (c.pulse ? Lt2_RdoBtn : Lt1_RdoBtn)->setChecked(true);
  Hed_CmbBox->setCurrentIndex(c.prefix);
  TEL_Edt->setText(ToQ(c.number));
  Address_MEdt->setText(ToQ(c.address));
}

void TConn_Frm::KindOrProcedureClick() {
  bool pub = Ct2_RdoBtn->isChecked();
  bool eth = Ct3_RdoBtn->isChecked();
  bool autoDial = pub && Mc1_RdoBtn->isChecked();
  Br_GrpBox->setVisible(!eth);
  Mc_GrpBox->setVisible(pub);
  Lt_GrpBox->setVisible(autoDial);
  Tn_GrpBox->setVisible(autoDial);
  IPAdd_GrpBox->setVisible(eth);
  if (autoDial && Hed_CmbBox->currentIndex() < 0) Hed_CmbBox->setCurrentIndex(0);
}

bool TConn_Frm::eventFilter(QObject* o, QEvent* e) {
  // A blank typed into the address counts as a zero.
  if (o == Address_MEdt && e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->text() == QLatin1String(" ")) {
      QKeyEvent zero(QEvent::KeyPress, Qt::Key_0, k->modifiers(), QStringLiteral("0"));
      QApplication::sendEvent(Address_MEdt, &zero);
      return true;
    }
  }
  if (o == At_RMem && e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    if (!k->text().isEmpty()) At_RMemKeyPress(k->text());
  }
  return QWidget::eventFilter(o, e);
}

void TConn_Frm::SetHourglass(bool on) {
  if (on) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++hourglass_;
  } else if (hourglass_ > 0) {
    QApplication::restoreOverrideCursor();
    --hourglass_;
  }
}

std::string TConn_Frm::StatusText(int kind, int speed) const {
  const QRadioButton* k = kind == CONN_ETHERNET ? Ct3_RdoBtn : kind == CONN_PUBLIC ? Ct2_RdoBtn : Ct1_RdoBtn;
  QString s = ToQ(ConnectedText) + "([" + k->text() + "]";
  if (kind != CONN_ETHERNET && speed >= 0 && speed < 7) s += ",[" + Br_RdoBtn[speed]->text() + "]";
  return FromQ(s + ")").value_or(std::string(ConnectedText));
}

void TConn_Frm::Conn_BitBtnClick() {
  FormUi ui(this);
  ConnChoice c = Choice();
  ConnLinks& links = Conn_Links();
  if (c.kind == CONN_ETHERNET)
    Conn_ConnectEthernet(*links.udp, ui, Address_MEdt->displayText().toStdString());
  else
    Conn_ConnectSerial(*links.serial, ui, c, serial_, modem_);
}

void TConn_Frm::Reg_BitBtnClick() {
  if (fsys::FileExists(fsys::Resolve(ProgramDir, "CONNECT.DAT")) && MsgDlg_Show("7008") != 1) return;
  ConnChoice c = Choice();
  ConnectFields f;
  if (int m = Conn_BuildConnectFields(c, f)) {
    MsgDlg_Show(settings::MsgNo(m));
    return;
  }
  ShowChoice(c);
  if (int m = ConnectDat_Store(f)) MsgDlg_Show(settings::MsgNo(m));
}

void TConn_Frm::Exit_BitBtnClick() { CloseByProgram(); }

void TConn_Frm::CloseByProgram() {
  closing_ = true;
  close();
}

void TConn_Frm::Conn_AtMode(bool on) {
  for (QWidget* w : std::initializer_list<QWidget*>{Ct_GrpBox, Br_GrpBox, Mc_GrpBox})
    w->setVisible(!on);
  Lt_GrpBox->hide();
  Tn_GrpBox->hide();
  IPAdd_GrpBox->hide();
  Reg_BitBtn->setVisible(!on);
  Conn_BitBtn->setVisible(!on);
  Exit_BitBtn->setVisible(!on);
  if (on) Help_BitBtn->hide();
  else Help_BitBtn->AttachHelp(ProgramDir, "Connect.Hlp");
  At_Pnl->setVisible(on);
  if (!on) Conn_BitBtn->setFocus();
}

void TConn_Frm::At_RMemKeyPress(const QString& typed) {
  // Each typed character goes to the modem as it is; it also stays in the memo.
  auto bytes = FromQ(typed);
  if (!bytes) return;
  for (char b : *bytes) Conn_Links().serial->WriteBytes(std::string_view(&b, 1));
}

void TConn_Frm::StartReceiver() {
  SerialLink* port = Conn_Links().serial;
  if (recv_ || !port->IsOpen()) return;
  recv_ = std::make_unique<TConnRecv>(this, port, serial_.rcvTimeOutMs);
}

void TConn_Frm::StopReceiver() {
  if (!recv_) return;
  recv_->Stop();
  recv_.reset();
}

void TConn_Frm::AddTerminalLine(const std::string& line) { At_RMem->appendPlainText(ToQ(line)); }

void TConn_Frm::Ok_BitBtnClick() {
  if (okBusy_) return;
  okBusy_ = true;
  // The log-in reads the port itself: the receiver must be gone first.
  StopReceiver();
  FormUi ui(this);
  if (!Conn_SerialPasswordLoop(*Conn_Links().serial, ui, serial_.rcvTimeOutMs)) {
    StartReceiver();
    setEnabled(true);
    At_RMem->setFocus();
    okBusy_ = false;
    return;
  }
  ui.Connected(Ct2_RdoBtn->isChecked() ? CONN_PUBLIC : CONN_DIRECT, Choice().speed);
  Conn_AtMode(false);
  At_RMem->clear();
  okBusy_ = false;
  CloseByProgram();
}

void TConn_Frm::Cancel_BitBtnClick() {
  StopReceiver();
  Conn_Links().serial->Close();
  Conn_AtMode(false);
  setWindowTitle(ToQ(ConnCaption));
}

void TConn_Frm::closeEvent(QCloseEvent* e) {
  // A close from the title bar may not leave a line or a dialogue half done.
  if (!closing_ && (!isEnabled() || InTerminal())) {
    e->ignore();
    return;
  }
  closing_ = false;
  e->accept();
  Common_ReturnToMain();
}

void Lang_Conn(TConn_Frm* f) {
  f->setFont(Orvo_Font(12));
  f->setWindowTitle(ToQ(ConnCaption));
  f->Ct_GrpBox->setTitle(U8("接続形式"));
  f->Ct1_RdoBtn->setText(U8("直結"));
  f->Ct2_RdoBtn->setText(U8("公衆回線経由"));
  f->Ct3_RdoBtn->setText(U8("Ethernet"));
  f->Br_GrpBox->setTitle(U8("通信速度"));
  const char* speeds[7] = {"３００ｂｐｓ", "１２００ｂｐｓ", "２４００ｂｐｓ", "４８００ｂｐｓ",
                           "９６００ｂｐｓ", "１９２００ｂｐｓ", "３８４００ｂｐｓ"};
  for (int i = 0; i < 7; ++i) f->Br_RdoBtn[i]->setText(U8(speeds[i]));
  f->Mc_GrpBox->setTitle(U8("モデム制御"));
  f->Mc1_RdoBtn->setText(U8("自動発信"));
  f->Mc2_RdoBtn->setText(U8("手動発信"));
  f->Mc3_RdoBtn->setText(U8("ＡＴコマンド入力"));
  f->Lt_GrpBox->setTitle(U8("回線種別"));
  f->Lt1_RdoBtn->setText(U8("プッシュ回線"));
  f->Lt2_RdoBtn->setText(U8("ダイヤル回線"));
  f->Tn_GrpBox->setTitle(U8("電話番号"));
  f->Help_BitBtn->setText(U8("ヘルプ(&H)"));
  f->Reg_BitBtn->setText(U8("登録(&R)"));
  f->Conn_BitBtn->setText(U8("接続(&C)"));
  f->Exit_BitBtn->setText(U8("戻る(&E)"));
  f->Guide1_Lbl->setText(U8("ＡＴコマンドを入力してください。"));
  f->Guide2_Lbl->setText(U8("回線の接続が確認できたら、［ＯＫ］ボタンをクリックしてください。"));
  f->Ok_BitBtn->setText(U8("ＯＫ(&O)"));
  f->Cancel_BitBtn->setText(U8("キャンセル(&C)"));
  f->IPAdd_Lbl->setText(U8("ＩＰアドレス"));
  f->IPAdd_GrpBox->setTitle(U8("ＩＰアドレス"));
  f->Hed_CmbBox->clear();
  f->Hed_CmbBox->addItem(U8("なし"));
  for (int d = 0; d <= 9; ++d) f->Hed_CmbBox->addItem(QString::number(d));
}
