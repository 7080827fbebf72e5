#include "shell/ui/Unit_Message.h"

#include <QCloseEvent>
#include <QCoreApplication>

#include "platform/ui/QtText.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/Placement.h"

TDlg_Message::TDlg_Message(QWidget* parent) : QDialog(parent) {
  setObjectName("Dlg_Message");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowStaysOnTopHint);
  setModal(false);
  setFixedSize(402, 178);
  setWindowTitle(U8("通知"));
  setFont(Orvo_FontNamed("ＭＳ Ｐゴシック", 12));
  Msg_Bvl = new QFrame(this);
  Msg_Bvl->setFrameShape(QFrame::Box);
  Msg_Bvl->setGeometry(8, 8, 386, 162);
  Msg_Lbl = new QLabel(U8("コマンドファイルをチェックしています。"), this);
  Msg_Lbl->setGeometry(20, 16, 362, 146);
  Msg_Lbl->setAlignment(Qt::AlignCenter);
}

void TDlg_Message::ShowNow() {
  show();
  CenterOnScreen(this);
  raise();
  PaintWhenShown(this);
}

// The notice has no button; only its owner takes it away.
void TDlg_Message::closeEvent(QCloseEvent* e) { e->ignore(); }
