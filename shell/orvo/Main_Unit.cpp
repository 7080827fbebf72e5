#include "shell/orvo/Main_Unit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>

#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/orvo/Common_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/FormRules.h"
#include "shell/ui/GlyphButton.h"
#include "shell/ui/Placement.h"
#include "shell/ui/Printer.h"

TMain_Frm* Main_Frm = nullptr;
QPushButton* LastButton = nullptr;
std::string DisconnectedText;

namespace {
std::string g_programFolder;
}

void Main_SetProgramFolder(const std::string& dir) { g_programFolder = fsys::WithSlash(dir); }

TMain_Frm::Actions& TMain_Frm::Hooks() {
  static Actions a;
  return a;
}

TMain_Frm::TMain_Frm(QWidget* parent) : QWidget(parent) {
  Main_Frm = this;
  setObjectName("Main_Frm");
  // The close box is greyed: only End_BitBtn ends the program.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowMinimizeButtonHint);
  setFixedSize(633, 453);
  setFont(Orvo_Font(12));

  Main_StsBar = new QStatusBar(this);
  Main_StsBar->setGeometry(0, 453 - 25, 633, 25);
  Main_StsBar->setSizeGripEnabled(false);

  SB_GB = new QGroupBox(this);
  SB_GB->setGeometry(8, 4, 617, 418);
  Bevel1 = new QFrame(SB_GB);
  Bevel1->setFrameShape(QFrame::VLine);
  Bevel1->setFrameShadow(QFrame::Sunken);
  Bevel1->setGeometry(307, 14, 4, 390);

  const int lx = 18, rx = 326, y0 = 18, step = 56, rstep = 56;
  Conn_BitBtn = MakeButton(lx, y0);
  Disc_BitBtn = MakeButton(lx, y0 + step);
  Tel_BitBtn = MakeButton(lx, y0 + 2 * step);
  Save_BitBtn = MakeButton(lx, y0 + 3 * step);
  Load_BitBtn = MakeButton(lx, y0 + 4 * step);
  Edit_BitBtn = MakeButton(rx, y0);
  Spd_BitBtn = MakeButton(rx, y0 + rstep);
  KTel_BitBtn = MakeButton(rx, y0 + 2 * rstep);
  Dump_BitBtn = MakeButton(rx, y0 + 3 * rstep);
  Env_BitBtn = MakeButton(rx, y0 + 4 * rstep);
  Prn_BitBtn = MakeButton(rx, y0 + 5 * rstep);
  End_BitBtn = MakeButton(rx, y0 + 6 * rstep + 8);
  KTel_BitBtn->setText(U8("漢字電話機電話帳"));
  SetGlyphs();

  connect(Conn_BitBtn, &QPushButton::clicked, this, &TMain_Frm::Conn_BitBtnClick);
  connect(Disc_BitBtn, &QPushButton::clicked, this, &TMain_Frm::Disc_BitBtnClick);
  connect(Tel_BitBtn, &QPushButton::clicked, this, &TMain_Frm::Tel_BitBtnClick);
  connect(Save_BitBtn, &QPushButton::clicked, this, &TMain_Frm::Save_BitBtnClick);
  connect(Load_BitBtn, &QPushButton::clicked, this, &TMain_Frm::Load_BitBtnClick);
  connect(Edit_BitBtn, &QPushButton::clicked, this, &TMain_Frm::Edit_BitBtnClick);
  connect(Spd_BitBtn, &QPushButton::clicked, this, &TMain_Frm::Spd_BitBtnClick);
  connect(KTel_BitBtn, &QPushButton::clicked, this, &TMain_Frm::KTel_BitBtnClick);
  connect(Dump_BitBtn, &QPushButton::clicked, this, &TMain_Frm::Dump_BitBtnClick);
  connect(Env_BitBtn, &QPushButton::clicked, this, &TMain_Frm::Env_BitBtnClick);
  connect(Prn_BitBtn, &QPushButton::clicked, this, &TMain_Frm::Prn_BitBtnClick);
  connect(End_BitBtn, &QPushButton::clicked, this, &TMain_Frm::End_BitBtnClick);

  FormCreate();
}

TMain_Frm::~TMain_Frm() {
  if (Main_Frm == this) Main_Frm = nullptr;
  if (LastButton && LastButton->window() == this) LastButton = nullptr;
}

QPushButton* TMain_Frm::MakeButton(int x, int y) {
  auto* b = new TGlyphButton(SB_GB);
  b->setGeometry(x, y, 273, 41);
  b->setFont(Orvo_Font(11));
  return b;
}

void TMain_Frm::SetGlyphs() {
  // The desktop's icon theme first, then names the common themes carry,
  // then the style's own pixmaps.
  Conn_BitBtn->setIcon(FormRules_Glyph({"network-connect", "network-wired"}, QStyle::SP_DriveNetIcon));
  Disc_BitBtn->setIcon(FormRules_Glyph({"network-disconnect", "network-offline"}, QStyle::SP_BrowserStop));
  Tel_BitBtn->setIcon(FormRules_Glyph({"phone", "call-start"}, QStyle::SP_ComputerIcon));
  Save_BitBtn->setIcon(FormRules_Glyph({"document-save"}, QStyle::SP_DialogSaveButton));
  Load_BitBtn->setIcon(FormRules_Glyph({"document-open"}, QStyle::SP_DialogOpenButton));
  Edit_BitBtn->setIcon(FormRules_Glyph({"document-edit", "accessories-text-editor"},
                                       QStyle::SP_FileDialogDetailedView));
  Spd_BitBtn->setIcon(FormRules_Glyph({"x-office-address-book"}, QStyle::SP_FileDialogListView));
  KTel_BitBtn->setIcon(FormRules_Glyph({"address-book-new", "x-office-address-book"},
                                       QStyle::SP_FileDialogContentsView));
  Dump_BitBtn->setIcon(FormRules_Glyph({"text-x-generic"}, QStyle::SP_FileIcon));
  Env_BitBtn->setIcon(FormRules_Glyph({"preferences-system"}, QStyle::SP_FileDialogInfoView));
  Prn_BitBtn->setIcon(FormRules_Glyph({"printer", "document-print"}, QStyle::SP_DesktopIcon));
  End_BitBtn->setIcon(FormRules_Glyph({"application-exit", "system-log-out"}, QStyle::SP_DialogCloseButton));
}

void TMain_Frm::FocusFirstButton() {
  for (QPushButton* b : {Conn_BitBtn, Disc_BitBtn, Tel_BitBtn, Save_BitBtn, Load_BitBtn, Edit_BitBtn,
                         Spd_BitBtn, KTel_BitBtn, Dump_BitBtn, Env_BitBtn, Prn_BitBtn, End_BitBtn}) {
    if (b->isEnabled()) {
      b->setFocus();
      return;
    }
  }
}

void TMain_Frm::FormCreate() {
  ProgramDir = g_programFolder.empty() ? fsys::ExeDir() : g_programFolder;
  Common_SetDisconnected();
  Lang_Main(this);
  Main_StsBar->showMessage(ToQ(DisconnectedText));
  TempFileDelete(ProgramDir + "Icx*.tmp");
  TempFileDelete(ProgramDir + "Dbs*.tmp");
  // Centred on the screen at start.
  CenterAtStart(this);
}

void TMain_Frm::FormShow() {
  Global_FillDataKinds(SystemType);
  setWindowTitle(U8("ORVO 主装置データ保守"));
  FocusFirstButton();
}

void TMain_Frm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (!shown_) {
    shown_ = true;
    FormShow();
  }
}

void TMain_Frm::TempFileDelete(const std::string& pathMask) { fsys::DeleteMatching(pathMask); }

void TMain_Frm::Remember(QPushButton* b) { LastButton = b; }

bool TMain_Frm::OpenSubform(QWidget* form, const std::function<int()>& precheck, bool hideFirst) {
  if (precheck) {
    int r = precheck();
    if (r != 0) {
      char num[16];
      std::snprintf(num, sizeof num, "%04d", r);
      MsgDlg_Show(num);
      return false;
    }
  }
  if (!form) return false;
  if (hideFirst) SB_GB->hide();
  PlaceFrameAt(form, FrameTopLeft(this) + QPoint(0, 20));
  form->show();
  form->raise();
  form->activateWindow();
  SB_GB->hide();
  return true;
}

namespace {
void Run(const std::function<void(TMain_Frm*)>& f, TMain_Frm* m) {
  if (f) f(m);
}
}  // namespace

void TMain_Frm::Conn_BitBtnClick() {
  Remember(Conn_BitBtn);
  Run(Hooks().connect, this);
}

void TMain_Frm::Tel_BitBtnClick() {
  Remember(Tel_BitBtn);
  Run(Hooks().telephone, this);
}

void TMain_Frm::Save_BitBtnClick() {
  Remember(Save_BitBtn);
  OperationKind = 0;
  SelectionReturn = 0;
  Run(Hooks().save, this);
}

void TMain_Frm::Load_BitBtnClick() {
  Remember(Load_BitBtn);
  OperationKind = 1;
  SelectionReturn = 0;
  Run(Hooks().load, this);
}

void TMain_Frm::Spd_BitBtnClick() {
  Remember(Spd_BitBtn);
  OperationKind = 2;
  SelectionReturn = 0;
  Run(Hooks().speedDial, this);
}

void TMain_Frm::Edit_BitBtnClick() {
  Remember(Edit_BitBtn);
  ComListReturn = 0;
  Run(Hooks().commandFiles, this);
}

void TMain_Frm::KTel_BitBtnClick() {
  Remember(KTel_BitBtn);
  Run(Hooks().kanjiPhoneBook, this);
}

void TMain_Frm::Dump_BitBtnClick() {
  Remember(Dump_BitBtn);
  DumpMode = 1;
  Run(Hooks().dumpViewer, this);
}

void TMain_Frm::Env_BitBtnClick() {
  Remember(Env_BitBtn);
  Run(Hooks().environment, this);
}

void TMain_Frm::Prn_BitBtnClick() {
  // LastButton stays: the printer setup is no subform. The print system is
  // asked within bounds first: the toolkit's own list waits a minute on a
  // server that never answers.
  if (!Orvo_AnyPrinter() || QPrinterInfo::availablePrinters().isEmpty()) {
    MsgDlg_Show("9091");
    return;
  }
  QPrintDialog dlg(Orvo_Printer(), this);
  dlg.setOption(QAbstractPrintDialog::PrintToFile, false);
  dlg.setWindowTitle(U8("プリンタの設定"));
  // A setup, not a print: its confirm button only takes the settings.
  if (auto* box = dlg.findChild<QDialogButtonBox*>()) {
    if (QPushButton* ok = box->button(QDialogButtonBox::Ok))
      ok->setText(QCoreApplication::translate("QPlatformTheme", "OK"));
  }
  dlg.exec();
}

void TMain_Frm::End_BitBtnClick() {
  Remember(End_BitBtn);
  if (MsgDlg_Show("7102") != 1) return;
  closing_ = true;
  close();
}

void TMain_Frm::Disc_BitBtnClick() {
  Remember(Disc_BitBtn);
  if (MsgDlg_Show("7101") != 1) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  setEnabled(false);
  Run(Hooks().disconnect, this);
  setEnabled(true);
  QApplication::restoreOverrideCursor();
  Common_SetDisconnected();
  Main_StsBar->showMessage(ToQ(DisconnectedText));
  Conn_BitBtn->setFocus();
}

void TMain_Frm::WMDisconnectNotice() {
  if (Hooks().disconnectNotice) Hooks().disconnectNotice();
  // With no subform open nobody else would notice the lost line, and the
  // buttons must not keep claiming a connection that is gone.
  if (!SB_GB->isHidden()) {
    Common_SetDisconnected();
    Main_StsBar->showMessage(ToQ(DisconnectedText));
  }
}

bool TMain_Frm::event(QEvent* e) {
  if (e->type() == static_cast<QEvent::Type>(QEvent::User + WM_DISCONNECT_NOTICE)) {
    WMDisconnectNotice();
    return true;
  }
  return QWidget::event(e);
}

void TMain_Frm::closeEvent(QCloseEvent* e) {
  if (closing_) e->accept();
  else e->ignore();
}

void Lang_Main(TMain_Frm* f) {
  f->setFont(Orvo_Font(12));
  f->Conn_BitBtn->setText(U8("回線接続"));
  f->Disc_BitBtn->setText(U8("回線切断"));
  f->Tel_BitBtn->setText(U8("簡易プログラム設定（電話機イメージ）"));
  f->Save_BitBtn->setText(U8("セーブ"));
  f->Load_BitBtn->setText(U8("ロード"));
  f->Edit_BitBtn->setText(U8("コマンドファイル編集"));
  f->Spd_BitBtn->setText(U8("短縮ダイヤル登録"));
  f->Dump_BitBtn->setText(U8("ダンプデータ参照"));
  f->Env_BitBtn->setText(U8("環境設定"));
  f->Prn_BitBtn->setText(U8("プリンタ設定"));
  f->End_BitBtn->setText(U8("システム終了"));
  DisconnectedText = *FromQ(U8("回線は切断されています。"));
  PrintProgressCaption = *FromQ(U8("印刷中"));
  PrintProgressText = *FromQ(U8("しばらくお待ちください..."));
}
