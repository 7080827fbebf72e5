#include "kv_edit/ui/Unit3.h"

#include <QCloseEvent>

#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/ui/Conf_Unit.h"

namespace kv {
Tconf_dlg* conf_dlg = nullptr;
int Confirmed = 0;
std::string MsgDir;
}  // namespace kv

Tconf_dlg::Tconf_dlg(QWidget* parent) : QDialog(parent) {
  setObjectName("conf_dlg");
  // A tool window without title-bar buttons: only its own buttons end it.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowStaysOnTopHint);
  setFixedSize(421, 175);
  setFont(Orvo_Font(12));
  Msg_Bvl = new QFrame(this);
  Msg_Bvl->setFrameShape(QFrame::Box);
  Msg_Bvl->setGeometry(8, 8, 405, 116);
  Msg_Lbl = new QLabel(this);
  Msg_Lbl->setGeometry(20, 16, 381, 100);
  Msg_Lbl->setWordWrap(true);
  Msg_Lbl->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  Ok_BitBtn = new QPushButton(U8("ＯＫ(&O)"), this);
  Ok_BitBtn->setGeometry(96, 134, 100, 32);
  Ok_BitBtn->setDefault(true);
  Cancel_BitBtn = new QPushButton(U8("ｷｬﾝｾﾙ(&C)"), this);
  Cancel_BitBtn->setGeometry(224, 134, 100, 32);
  Help_BitBtn = new QPushButton(U8("ﾍﾙﾌﾟ(&H)"), this);
  Help_BitBtn->setGeometry(310, 134, 100, 32);
  Help_BitBtn->hide();
  connect(Ok_BitBtn, &QPushButton::clicked, this, &Tconf_dlg::Ok_BitBtnClick);
  connect(Cancel_BitBtn, &QPushButton::clicked, this, &Tconf_dlg::Cancel_BitBtnClick);
}

void Tconf_dlg::SetContent(const MsgDlgContent& m) {
  setWindowTitle(ToQ(m.caption));
  Msg_Lbl->setText(ToQ(m.text).replace(U8("\r\n"), U8("\n")));
  Ok_BitBtn->setVisible(m.ok);
  Cancel_BitBtn->setVisible(m.cancel);
  Help_BitBtn->setVisible(false);
}

int Tconf_dlg::ShowModal() {
  // A message that offers no button still gets OK, so that it can be left.
  if (Ok_BitBtn->isHidden() && Cancel_BitBtn->isHidden()) Ok_BitBtn->show();
  return exec() == 1 ? 1 : 2;
}

void Tconf_dlg::Ok_BitBtnClick() {
  kv::Confirmed = 1;
  done(1);
}

void Tconf_dlg::Cancel_BitBtnClick() {
  kv::Confirmed = 0;
  done(2);
}

void Tconf_dlg::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  CenterOnScreen(this);
  if (!Ok_BitBtn->isHidden()) Ok_BitBtn->setFocus();
  else if (!Cancel_BitBtn->isHidden()) Cancel_BitBtn->setFocus();
}

// Esc and a close answer Cancel only where Cancel is offered.
void Tconf_dlg::reject() {
  if (!Cancel_BitBtn->isHidden()) Cancel_BitBtnClick();
}

void Tconf_dlg::closeEvent(QCloseEvent* e) {
  e->ignore();
  if (!Cancel_BitBtn->isHidden()) Cancel_BitBtnClick();
}

namespace kv {

int MsgDlg_Show(std::string_view number) {
  if (!conf_dlg) conf_dlg = new Tconf_dlg();
  std::string dir = MsgDir.empty() ? fsys::ExeDir() : fsys::WithSlash(MsgDir);
  MsgDlgContent content = MsgDlg_Load(fsys::Resolve(dir, "KV-EDITMsgDlg.Dat"), number, false);
  if (conf_dlg->isVisible()) {
    // A question is open and waits for its own answer: this message gets
    // a dialog of its own, so that its OK can never answer that question.
    Tconf_dlg own;
    own.SetContent(content);
    return own.ShowModal();
  }
  conf_dlg->SetContent(content);
  return conf_dlg->ShowModal();
}

}  // namespace kv
