#include "link/ui/EnvNew_Form.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>

#include "link/SettingsText.h"
#include "link/ui/PathPick.h"
#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/orvo/Common_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/PathLabel.h"
#include "shell/ui/Input_Unit.h"

EnvSettings Env;
TEnv_Frm* Env_Frm = nullptr;

QValidator::State Cp932LimitValidator::validate(QString& input, int&) const {
  auto s = FromQ(input);
  if (!s || static_cast<int>(s->size()) > max_) return Invalid;
  return Acceptable;
}

namespace {

QString FromFs(const std::string& utf8) { return QString::fromStdString(utf8); }

// ProgramDir without its trailing "/" (the root stays "/").
QString ProgramFolder() {
  std::string d = ProgramDir;
  if (d.size() > 1 && d.back() == '/') d.pop_back();
  return FromFs(d);
}

// Starts a folder choice in the folder a label shows, found by the bytes it
// is stored as (a folder unpacked from a Windows archive has no UTF-8
// name), else in ProgramDir.
void StartInShownFolder(PathPickRequest& r, const QString& shown) {
  auto stored = FromQ(shown);
  std::string onDisk = stored && !stored->empty() ? fsys::StoredPath(*stored, ProgramDir) : std::string();
  if (!onDisk.empty() && fsys::DirExists(onDisk)) {
    r.path = shown;
    r.pathOnDisk = onDisk;
  } else {
    r.path = FromFs(ProgramDir);
  }
}

int SpinValue(const std::string& field, int whenEmpty) {
  long long v;
  if (!settings::ParseDecimal(field, v)) return whenEmpty;
  return static_cast<int>(std::max(-1000LL, std::min(v, 1000LL)));
}

QLabel* PathLabel(QWidget* parent, int x, int y) {
  auto* l = new QLabel(parent);
  l->setGeometry(x, y, 494, 22);
  l->setFrameShape(QFrame::Panel);
  l->setFrameShadow(QFrame::Sunken);
  return l;
}

QLabel* Label(QWidget* parent, int x, int y, int w) {
  auto* l = new QLabel(parent);
  l->setGeometry(x, y, w, 20);
  return l;
}

QSpinBox* Spin(QWidget* parent, int x, int y, int lo, int hi) {
  auto* s = new QSpinBox(parent);
  s->setGeometry(x, y, 56, 23);
  s->setRange(lo, hi);
  return s;
}

QLineEdit* CmdEdit(QWidget* parent, int x, int y, int w, int maxLen) {
  auto* e = new QLineEdit(parent);
  e->setGeometry(x, y, w, 22);
  // A longer command read from a file is shown and stored whole.
  ModemCmd_SetLimit(e, maxLen);
  return e;
}

}  // namespace

TEnv_Frm::TEnv_Frm(QWidget* parent) : QWidget(parent) {
  Env_Frm = this;
  setObjectName("Env_Frm");
  // Fixed border, no border icons: the form closes through its own button.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

  // Measured with the mapped fonts: a group box's caption takes its top 16
  // pixels, an edit or a list needs 22 and a spin edit 23.
  CtlFileName_GrpBox = new QGroupBox(this);
  CtlFileName_GrpBox->setGeometry(8, 2, 617, 48);
  CtlFileName_Lbl = PathLabel(CtlFileName_GrpBox, 10, 20);
  CtlFile_BitBtn = new QPushButton(CtlFileName_GrpBox);
  CtlFile_BitBtn->setGeometry(514, 17, 92, 28);

  DataSet_GrpBox = new QGroupBox(this);
  DataSet_GrpBox->setGeometry(8, 52, 617, 74);
  DataSet_Lbl = PathLabel(DataSet_GrpBox, 10, 20);
  DataSet_BitBtn = new QPushButton(DataSet_GrpBox);
  DataSet_BitBtn->setGeometry(514, 17, 92, 28);
  UsrName_Lbl = Label(DataSet_GrpBox, 10, 49, 80);
  UsrName_Edt = new QLineEdit(DataSet_GrpBox);
  UsrName_Edt->setGeometry(94, 48, 410, 22);
  UsrName_Edt->setValidator(new Cp932LimitValidator(64, UsrName_Edt));

  ScrFileName_GrpBox = new QGroupBox(this);
  ScrFileName_GrpBox->setGeometry(8, 128, 617, 48);
  ScrFileName_Lbl = PathLabel(ScrFileName_GrpBox, 10, 20);
  ScrFile_BitBtn = new QPushButton(ScrFileName_GrpBox);
  ScrFile_BitBtn->setGeometry(514, 17, 92, 28);

  Connect_TCtl = new QTabBar(this);
  Connect_TCtl->setGeometry(8, 178, 130, 26);
  Connect_TCtl->addTab("COM");
  Connect_TCtl->addTab("Ethernet");
  Connect_TCtl->setExpanding(false);

  // Beside the tabs, so that the page keeps its height for the modem rows.
  AT_ChkBox = new QCheckBox(this);
  AT_ChkBox->setGeometry(150, 181, 200, 20);

  ComSet_GrpBox = new QGroupBox(this);
  ComSet_GrpBox->setGeometry(8, 206, 617, 164);
  ComPort_Lbl = Label(ComSet_GrpBox, 10, 19, 64);
  ComPort_CmbBox = new QComboBox(ComSet_GrpBox);
  ComPort_CmbBox->setGeometry(78, 18, 90, 22);
  for (int i = 1; i <= 8; ++i) ComPort_CmbBox->addItem(QString("COM%1").arg(i));
  Connect_Lbl = Label(ComSet_GrpBox, 186, 19, 52);
  Direct_ChkBox = new QCheckBox(ComSet_GrpBox);
  Direct_ChkBox->setGeometry(242, 19, 60, 20);
  Public_ChkBox = new QCheckBox(ComSet_GrpBox);
  Public_ChkBox->setGeometry(306, 19, 120, 20);
  Rcv_Lbl = Label(ComSet_GrpBox, 10, 44, 100);
  Rcv_SEdt = Spin(ComSet_GrpBox, 112, 43, 0, 60);
  RcvSec_Lbl = Label(ComSet_GrpBox, 172, 44, 20);
  Modem_Lbl = Label(ComSet_GrpBox, 242, 44, 64);
  Modem_CmbBox = new QComboBox(ComSet_GrpBox);
  Modem_CmbBox->setGeometry(310, 43, 220, 22);

  const int row[3] = {18, 42, 66};
  Cmd_GrpBox = new QGroupBox(ComSet_GrpBox);
  Cmd_GrpBox->setGeometry(8, 69, 380, 92);
  CmdInit_Lbl = Label(Cmd_GrpBox, 8, row[0] + 1, 52);
  CmdInit_Edt = CmdEdit(Cmd_GrpBox, 64, row[0], 304, 20);
  CmdDial_Lbl = Label(Cmd_GrpBox, 8, row[1] + 1, 52);
  CmdDial1_Edt = CmdEdit(Cmd_GrpBox, 64, row[1], 150, 10);
  CmdDial2_Edt = CmdEdit(Cmd_GrpBox, 218, row[1], 150, 10);
  CmdEnd_Lbl = Label(Cmd_GrpBox, 8, row[2] + 1, 52);
  CmdEnd1_Edt = CmdEdit(Cmd_GrpBox, 64, row[2], 150, 10);
  CmdEnd2_Edt = CmdEdit(Cmd_GrpBox, 218, row[2], 150, 10);

  TimeOut_GrpBox = new QGroupBox(ComSet_GrpBox);
  TimeOut_GrpBox->setGeometry(396, 69, 212, 92);
  TimeOut_Lbl = Label(TimeOut_GrpBox, 8, row[0] + 1, 52);
  TimeOutInit_SEdt = Spin(TimeOut_GrpBox, 64, row[0], 0, 60);
  TimeOutInitSec_Lbl = Label(TimeOut_GrpBox, 124, row[0] + 1, 20);
  TimeOutDial_Lbl = Label(TimeOut_GrpBox, 8, row[1] + 1, 52);
  TimeOutDial_SEdt = Spin(TimeOut_GrpBox, 64, row[1], 0, 60);
  TimeOutDialSec_Lbl = Label(TimeOut_GrpBox, 124, row[1] + 1, 20);
  TimeOutEnd_Lbl = Label(TimeOut_GrpBox, 8, row[2] + 1, 52);
  TimeOutEnd_SEdt = Spin(TimeOut_GrpBox, 64, row[2], 0, 60);
  TimeOutEndSec_Lbl = Label(TimeOut_GrpBox, 124, row[2] + 1, 20);

  Ether_GrpBox = new QGroupBox(this);
  Ether_GrpBox->setGeometry(8, 206, 617, 164);
  TOut_Lbl = Label(Ether_GrpBox, 16, 26, 130);
  TOut_SEdt = Spin(Ether_GrpBox, 150, 24, 1, 60);
  TOutSec_Lbl = Label(Ether_GrpBox, 206, 26, 20);
  Retry_Lbl = Label(Ether_GrpBox, 16, 56, 130);
  Retry_SEdt = Spin(Ether_GrpBox, 150, 54, 0, 10);
  RetryNum_Lbl = Label(Ether_GrpBox, 206, 56, 20);
  ConnPort_Lbl = Label(Ether_GrpBox, 16, 86, 130);
  ConnPort_Edt = new QLineEdit(Ether_GrpBox);
  ConnPort_Edt->setGeometry(150, 84, 80, 22);
  Port_Lbl = Label(Ether_GrpBox, 16, 116, 130);
  Port_Edt = new QLineEdit(Ether_GrpBox);
  Port_Edt->setGeometry(150, 114, 80, 22);
  for (QLineEdit* e : {ConnPort_Edt, Port_Edt})
    e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,5}"), e));

  HelpBitBtn = new THelpBitBtn(this);
  HelpBitBtn->setGeometry(305, 374, 100, 30);
  Reg_BitBtn = new QPushButton(this);
  Reg_BitBtn->setGeometry(415, 374, 100, 30);
  Ext_BitBtn = new QPushButton(this);
  Ext_BitBtn->setGeometry(525, 374, 100, 30);

  connect(Connect_TCtl, &QTabBar::currentChanged, this, &TEnv_Frm::Connect_TCtlChange);
  connect(Public_ChkBox, &QCheckBox::toggled, this, &TEnv_Frm::Public_ChkBoxClick);
  // Only the user's choice fills the commands, not the index set on show.
  connect(Modem_CmbBox, &QComboBox::activated, this, &TEnv_Frm::Modem_CmbBoxChange);
  connect(CtlFile_BitBtn, &QPushButton::clicked, this, &TEnv_Frm::CtlFile_BitBtnClick);
  connect(DataSet_BitBtn, &QPushButton::clicked, this, &TEnv_Frm::DataSet_BitBtnClick);
  connect(ScrFile_BitBtn, &QPushButton::clicked, this, &TEnv_Frm::ScrFile_BitBtnClick);
  connect(Reg_BitBtn, &QPushButton::clicked, this, &TEnv_Frm::Reg_BitBtnClick);
  connect(Ext_BitBtn, &QPushButton::clicked, this, &TEnv_Frm::Ext_BitBtnClick);

  FormCreate();
}

TEnv_Frm::~TEnv_Frm() {
  if (Env_Frm == this) Env_Frm = nullptr;
}

void TEnv_Frm::FormCreate() {
  Lang_Env(this);
  int w = 633, h = 408;
  if (Main_Frm) {
    h = Main_Frm->height() - Main_Frm->Main_StsBar->height() - 20;
    QRect m = Main_Frm->frameGeometry();
    move(m.left(), m.top() + 20);
  }
  setFixedSize(w, h);
}

bool TEnv_Frm::Env_Init() {
  ::Env_Init(Env);
  return true;
}

void TEnv_Frm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  closing_ = false;
  FormShow();
}

void TEnv_Frm::FormShow() {
  const auto& f = Env.field;
  PathLabel_Show(CtlFileName_Lbl, f[ENV_CONTROL_FILE].empty() ? FromFs(ProgramDir + "CONTROL.DAT")
                                                               : ToQ(f[ENV_CONTROL_FILE]));
  PathLabel_Show(DataSet_Lbl, f[ENV_DATA_DIR].empty() ? ProgramFolder() : ToQ(f[ENV_DATA_DIR]));
  UsrName_Edt->setText(ToQ(Env.userName));
  PathLabel_Show(ScrFileName_Lbl, f[ENV_SCREEN_DIR].empty() ? FromFs(ProgramDir + "ScreenFiles")
                                                             : ToQ(f[ENV_SCREEN_DIR]));
  AT_ChkBox->setChecked(f[ENV_USE_AT] != "0");
  const std::string& port = f[ENV_COM_PORT];
  ComPort_CmbBox->setCurrentIndex(port.size() == 1 && port[0] >= '1' && port[0] <= '8' ? port[0] - '1' : -1);
  Direct_ChkBox->setChecked(f[ENV_DIRECT] != "0");
  Public_ChkBox->setChecked(f[ENV_PUBLIC] == "1" || f[ENV_PUBLIC].empty());
  Rcv_SEdt->setValue(SpinValue(f[ENV_RCV_TIMEOUT], 10));

  Modem_CmbBox->clear();
  int selected = -1;
  for (int i = 0; i < Env.modems.Count(); ++i) {
    Modem_CmbBox->addItem(ToQ(Env.modems.kinds[i].name));
    if (Env.modems.kinds[i].name == f[ENV_MODEM_KIND]) selected = i;
  }
  Modem_CmbBox->setCurrentIndex(selected);
  ModemCmd_Show(CmdInit_Edt, ToQ(f[ENV_INIT_CMD]));
  ModemCmd_Show(CmdDial1_Edt, ToQ(f[ENV_DIAL_CMD1]));
  ModemCmd_Show(CmdDial2_Edt, ToQ(f[ENV_DIAL_CMD2]));
  ModemCmd_Show(CmdEnd1_Edt, ToQ(f[ENV_HANGUP_CMD1]));
  ModemCmd_Show(CmdEnd2_Edt, ToQ(f[ENV_HANGUP_CMD2]));
  TimeOutInit_SEdt->setValue(SpinValue(f[ENV_INIT_TIMEOUT], 10));
  TimeOutDial_SEdt->setValue(SpinValue(f[ENV_DIAL_TIMEOUT], 10));
  TimeOutEnd_SEdt->setValue(SpinValue(f[ENV_HANGUP_TIMEOUT], 10));

  {
    QSignalBlocker b(Connect_TCtl);
    Connect_TCtl->setCurrentIndex(f[ENV_MEDIUM] != "0" ? 1 : 0);
  }
  TOut_SEdt->setValue(SpinValue(f[ENV_ETHER_TIMEOUT], 3));
  Retry_SEdt->setValue(SpinValue(f[ENV_ETHER_RETRY], 2));
  ConnPort_Edt->setText(ToQ(f[ENV_UDP_REMOTE_PORT]));
  Port_Edt->setText(ToQ(f[ENV_UDP_OWN_PORT]));

  HelpBitBtn->AttachHelp(ProgramDir, "Environment.Hlp");
  Connect_TCtlChange();
  Public_ChkBoxClick();
  CtlFile_BitBtn->setFocus();
}

void TEnv_Frm::Connect_TCtlChange() {
  bool com = Connect_TCtl->currentIndex() == 0;
  AT_ChkBox->setVisible(com);
  ComSet_GrpBox->setVisible(com);
  Ether_GrpBox->setVisible(!com);
}

void TEnv_Frm::Public_ChkBoxClick() {
  bool on = Public_ChkBox->isChecked();
  Modem_CmbBox->setVisible(on);
  Modem_Lbl->setVisible(on);
  Cmd_GrpBox->setVisible(on);
  TimeOut_GrpBox->setVisible(on);
}

void TEnv_Frm::Modem_CmbBoxChange(int index) {
  if (index >= 0 && index < Env.modems.Count()) {
    const ModemKind& k = Env.modems.kinds[index];
    ModemCmd_Show(CmdInit_Edt, ToQ(k.initCmd));
    ModemCmd_Show(CmdDial1_Edt, ToQ(k.dialCmd1));
    ModemCmd_Show(CmdDial2_Edt, ToQ(k.dialCmd2));
    ModemCmd_Show(CmdEnd1_Edt, ToQ(k.hangUpCmd1));
    ModemCmd_Show(CmdEnd2_Edt, ToQ(k.hangUpCmd2));
    return;
  }
  for (QLineEdit* e : {CmdInit_Edt, CmdDial2_Edt, CmdEnd1_Edt, CmdEnd2_Edt}) e->clear();
  CmdDial1_Edt->setText("ATD");
}

bool TEnv_Frm::AcceptPath(int field, const QString& path) {
  auto s = FromQ(path);
  int m = s ? Env_CheckPath(field, *s) : ENV_MSG_PATH_UNUSABLE;
  if (m == 0) return true;
  MsgDlg_Show(settings::MsgNo(m));
  return false;
}

void TEnv_Frm::CtlFile_BitBtnClick() {
  PathPickRequest r;
  QFileInfo shown(PathLabel_Path(CtlFileName_Lbl));
  if (shown.isFile()) {
    r.path = shown.absolutePath();
    r.fileName = shown.absoluteFilePath();
  } else {
    r.path = ProgramDir.size() < 4 ? FromFs(ProgramDir) : ProgramFolder();
  }
  QDir::setCurrent(r.path);
  if (PickPath(this, r) != 1) return;
  if (AcceptPath(ENV_CONTROL_FILE, r.fileName)) PathLabel_Show(CtlFileName_Lbl, r.fileName);
}

void TEnv_Frm::DataSet_BitBtnClick() {
  PathPickRequest r;
  r.dirSelect = true;
  StartInShownFolder(r, PathLabel_Path(DataSet_Lbl));
  if (PickPath(this, r) != 1) return;
  if (!AcceptPath(ENV_DATA_DIR, r.path)) return;
  PathLabel_Show(DataSet_Lbl, r.path);
  std::string name;
  if (UsrFile_Read(fsys::WithSlash(r.pathOnDisk), name)) UsrName_Edt->setText(ToQ(name));
  else UsrName_Edt->clear();
}

void TEnv_Frm::ScrFile_BitBtnClick() {
  PathPickRequest r;
  r.dirSelect = true;
  StartInShownFolder(r, PathLabel_Path(ScrFileName_Lbl));
  if (PickPath(this, r) != 1) return;
  if (AcceptPath(ENV_SCREEN_DIR, r.path)) PathLabel_Show(ScrFileName_Lbl, r.path);
}

void TEnv_Frm::Reg_BitBtnClick() {
  // Every text goes into the file in CP932; one that has no CP932 form (a
  // value shown from a damaged file) is refused, never stored otherwise.
  bool unusable = false;
  auto cp = [&](const QString& t) {
    auto s = FromQ(t);
    if (!s) unusable = true;
    return s.value_or(std::string());
  };
  EnvFormValues v;
  v.controlFile = cp(PathLabel_Path(CtlFileName_Lbl));
  v.dataDir = cp(PathLabel_Path(DataSet_Lbl));
  v.screenDir = cp(PathLabel_Path(ScrFileName_Lbl));
  v.useAt = AT_ChkBox->isChecked();
  v.comPort = ComPort_CmbBox->currentIndex() + 1;
  v.direct = Direct_ChkBox->isChecked();
  v.publicLine = Public_ChkBox->isChecked();
  v.rcvTimeOut = Rcv_SEdt->value();
  v.modemKind = cp(Modem_CmbBox->currentText());
  v.initTimeOut = TimeOutInit_SEdt->value();
  v.dialTimeOut = TimeOutDial_SEdt->value();
  v.hangUpTimeOut = TimeOutEnd_SEdt->value();
  v.initCmd = cp(CmdInit_Edt->text());
  v.dialCmd1 = cp(CmdDial1_Edt->text());
  v.dialCmd2 = cp(CmdDial2_Edt->text());
  v.hangUpCmd1 = cp(CmdEnd1_Edt->text());
  v.hangUpCmd2 = cp(CmdEnd2_Edt->text());
  v.ethernet = Connect_TCtl->currentIndex() == 1;
  v.etherTimeOut = TOut_SEdt->value();
  v.etherRetry = Retry_SEdt->value();
  v.remotePort = cp(ConnPort_Edt->text());
  v.ownPort = cp(Port_Edt->text());
  v.userName = cp(UsrName_Edt->text());
  if (unusable) {
    MsgDlg_Show(settings::MsgNo(ENV_MSG_PATH_UNUSABLE));
    return;
  }

  EnvSettings fields;
  if (int m = Env_BuildFields(v, fields)) {
    MsgDlg_Show(settings::MsgNo(m));
    return;
  }
  if (fsys::FileExists(fsys::Resolve(ProgramDir, "ENVIRON.DAT")) && MsgDlg_Show("7006") == 2) return;
  // USER.INF goes where it is asked about: into the program folder when the
  // data folder is missing.
  std::string usrFolder = Env_UserInfFolder(v.dataDir);
  if (fsys::FileExists(fsys::Resolve(usrFolder, "USER.INF")) && MsgDlg_Show("7007") == 2) return;
  // The form reads the file again the next time it is opened.
  EnvSettings_Reset(Env);
  if (int m = Env_Store(fields, v.userName, usrFolder)) MsgDlg_Show(settings::MsgNo(m));
}

void TEnv_Frm::Ext_BitBtnClick() {
  closing_ = true;
  close();
}

void TEnv_Frm::closeEvent(QCloseEvent* e) {
  if (!closing_) {
    e->ignore();
    return;
  }
  closing_ = false;
  e->accept();
  Common_ReturnToMain();
}

void Lang_Env(TEnv_Frm* f) {
  QFont font = Orvo_Font(12);
  f->setFont(font);
  f->setWindowTitle(U8("環境設定"));
  f->CtlFileName_GrpBox->setTitle(U8("制御ファイル名"));
  f->DataSet_GrpBox->setTitle(U8("データ格納領域"));
  f->ScrFileName_GrpBox->setTitle(U8("一覧編集画面表示データ格納領域"));
  for (QPushButton* b : {f->CtlFile_BitBtn, f->DataSet_BitBtn, f->ScrFile_BitBtn}) b->setText(U8("変　更"));
  for (QLabel* l : {f->CtlFileName_Lbl, f->DataSet_Lbl, f->ScrFileName_Lbl}) PathLabel_Show(l, QString());
  for (QLineEdit* e : {f->UsrName_Edt, f->CmdDial1_Edt, f->CmdDial2_Edt, f->CmdEnd1_Edt, f->CmdEnd2_Edt}) e->clear();
  f->UsrName_Lbl->setText(U8("ユーザ名"));
  f->AT_ChkBox->setText(U8("ＡＴコマンドを利用する。"));
  f->ComSet_GrpBox->setTitle(U8("通信の設定"));
  f->ComPort_Lbl->setText(U8("通信ポート"));
  f->Connect_Lbl->setText(U8("接続形式"));
  f->Direct_ChkBox->setText(U8("直結"));
  f->Public_ChkBox->setText(U8("公衆回線経由"));
  f->Rcv_Lbl->setText(U8("受信タイムアウト"));
  f->RcvSec_Lbl->setText(U8("秒"));
  f->Modem_Lbl->setText(U8("モデム種別"));
  f->Cmd_GrpBox->setTitle(U8("コマンド"));
  f->CmdInit_Lbl->setText(U8("初期化"));
  f->CmdDial_Lbl->setText(U8("ダイヤル"));
  f->CmdEnd_Lbl->setText(U8("切断"));
  f->TimeOut_GrpBox->setTitle(U8("受信タイムアウト"));
  f->TimeOut_Lbl->setText(U8("初期化"));
  f->TimeOutDial_Lbl->setText(U8("ダイヤル"));
  f->TimeOutEnd_Lbl->setText(U8("切断"));
  for (QLabel* l : {f->TimeOutInitSec_Lbl, f->TimeOutDialSec_Lbl, f->TimeOutEndSec_Lbl, f->TOutSec_Lbl})
    l->setText(U8("秒"));
  f->Ether_GrpBox->setTitle(U8("Ethernet"));
  f->TOut_Lbl->setText(U8("タイムアウト"));
  f->Retry_Lbl->setText(U8("リトライ回数"));
  f->RetryNum_Lbl->setText(U8("回"));
  f->ConnPort_Lbl->setText(U8("接続ポート番号"));
  f->Port_Lbl->setText(U8("自ポート番号"));
  f->HelpBitBtn->setText(U8("ヘルプ(&H)"));
  f->Reg_BitBtn->setText(U8("登録(&R)"));
  f->Ext_BitBtn->setText(U8("戻る(&E)"));
}
