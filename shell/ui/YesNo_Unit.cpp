#include "shell/ui/YesNo_Unit.h"

#include "platform/ui/QtText.h"
#include "shell/ui/Conf_Unit.h"

TDlg_YesNo::TDlg_YesNo(QWidget* parent) : QDialog(parent) {
  setObjectName("Dlg_YesNo");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowStaysOnTopHint);
  setFixedSize(402, 178);
  setWindowTitle(U8("確認"));
  setFont(Orvo_FontNamed("ＭＳ Ｐゴシック", 12));
  Bevel1 = new QFrame(this);
  Bevel1->setFrameShape(QFrame::Box);
  Bevel1->setGeometry(8, 8, 386, 118);
  Msg_Lbl = new QLabel(U8("一覧編集しますか？"), this);
  Msg_Lbl->setGeometry(20, 16, 362, 102);
  Msg_Lbl->setAlignment(Qt::AlignCenter);
  Ok_BitBtn = new QPushButton(U8("はい(&Y)"), this);
  Ok_BitBtn->setGeometry(96, 136, 100, 32);
  Ok_BitBtn->setDefault(true);
  Cancel_BitBtn = new QPushButton(U8("いいえ(&N)"), this);
  Cancel_BitBtn->setGeometry(206, 136, 100, 32);
  connect(Ok_BitBtn, &QPushButton::clicked, this, [this] { done(6); });
  connect(Cancel_BitBtn, &QPushButton::clicked, this, [this] { done(7); });
}

int TDlg_YesNo::ShowModal() { return exec() == 6 ? 6 : 7; }

void TDlg_YesNo::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  CenterOnScreen(this);
  Ok_BitBtn->setFocus();
}

// No is the dialog's cancel button: Esc answers No.
void TDlg_YesNo::reject() { done(7); }
