#include "shell/ui/Conf_Unit.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/ui/FormRules.h"

// Here, beside the font helper that every form's unit calls, so that each
// program that has forms links it and gets the form rules with its
// application object.
Q_COREAPP_STARTUP_FUNCTION(FormRules_Install)

QFont Orvo_Font(int pixelSize) { return Orvo_FontNamed("ＭＳ 明朝", pixelSize); }

QFont Orvo_FontNamed(const char* utf8Name, int pixelSize) {
  QFont f(U8(utf8Name));
  f.setPixelSize(pixelSize);
  return f;
}

TNumberedDlg::TNumberedDlg(QWidget* parent) : QDialog(parent) {
  // No title-bar buttons: the dialog ends only through its own buttons.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowStaysOnTopHint);
  setFixedSize(426, 178);
  Ok_BitBtn = new QPushButton(this);
  Ok_BitBtn->setGeometry(48, 136, 100, 32);
  Ok_BitBtn->setDefault(true);
  Cancel_BitBtn = new QPushButton(this);
  Cancel_BitBtn->setGeometry(162, 136, 100, 32);
  Help_BitBtn = new QPushButton(this);
  Help_BitBtn->setGeometry(276, 136, 100, 32);
  Help_BitBtn->hide();
  connect(Ok_BitBtn, &QPushButton::clicked, this, [this] { done(1); });
}

int TNumberedDlg::ExecWithAButton() {
  if (Ok_BitBtn->isHidden() && Cancel_BitBtn->isHidden()) Ok_BitBtn->setVisible(true);
  return exec() == 1 ? 1 : 2;
}

TConf_Dlg::TConf_Dlg(QWidget* parent) : TNumberedDlg(parent) {
  setObjectName("Conf_Dlg");
  setWindowTitle(U8("確認"));
  Msg_Bvl = new QFrame(this);
  Msg_Bvl->setFrameShape(QFrame::Box);
  Msg_Bvl->setGeometry(8, 8, 410, 118);
  Msg_Lbl = new QLabel(this);
  Msg_Lbl->setGeometry(20, 16, 386, 102);
  Msg_Lbl->setWordWrap(true);
  Msg_Lbl->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  Ok_BitBtn->hide();
  Cancel_BitBtn->hide();
  connect(Cancel_BitBtn, &QPushButton::clicked, this, &TConf_Dlg::Cancel_BitBtnClick);
  FormCreate();
}

void TConf_Dlg::FormCreate() { Lang_Conf(this); }

void TConf_Dlg::SetContent(const MsgDlgContent& m) {
  setWindowTitle(ToQ(m.caption));
  Msg_Lbl->setText(ToQ(m.text).replace(U8("\r\n"), U8("\n")));
  Ok_BitBtn->setVisible(m.ok);
  Cancel_BitBtn->setVisible(m.cancel);
  Help_BitBtn->setVisible(false);
}

void TConf_Dlg::BeginProgress(const QString& caption, const QString& text) {
  setWindowTitle(caption);
  Msg_Lbl->setText(text);
  Ok_BitBtn->hide();
  Help_BitBtn->hide();
  Cancel_BitBtn->show();
  if (!isVisible()) {
    setModal(false);
    show();
  }
  CancelRequested = 0;
}

void TConf_Dlg::EndProgress() { hide(); }

void TConf_Dlg::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  FormShow();
}

void TConf_Dlg::FormShow() {
  CenterOnScreen(this);
  if (!Ok_BitBtn->isHidden()) Ok_BitBtn->setFocus();
  else if (!Cancel_BitBtn->isHidden()) Cancel_BitBtn->setFocus();
  else if (!Help_BitBtn->isHidden()) Help_BitBtn->setFocus();
}

void TConf_Dlg::Cancel_BitBtnClick() {
  CancelRequested = 1;
  emit cancelPressed();
  if (isModal()) done(2);
}

void TConf_Dlg::reject() {
  // Esc counts as Cancel only where Cancel is offered.
  if (!Cancel_BitBtn->isHidden()) Cancel_BitBtnClick();
}

void TConf_Dlg::closeEvent(QCloseEvent* e) {
  if (!Cancel_BitBtn->isHidden()) {
    Cancel_BitBtnClick();
    if (!isModal()) {
      e->ignore();  // the progress box is hidden by its loop, not by a close
      return;
    }
  } else {
    e->ignore();
  }
}

void Lang_Conf(TConf_Dlg* dlg) {
  QFont f = Orvo_Font(12);
  dlg->setFont(f);
  dlg->Ok_BitBtn->setText(U8("ＯＫ(&O)"));
  dlg->Cancel_BitBtn->setText(U8("ｷｬﾝｾﾙ(&C)"));
  dlg->Help_BitBtn->setText(U8("ﾍﾙﾌﾟ(&H)"));
}
