#include "shell/ui/Unit_Message.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWindow>

#include "platform/ui/QtText.h"
#include "shell/ui/Conf_Unit.h"

namespace {
// Long enough for a window manager to frame and map the notice.
constexpr qint64 kShowWaitMs = 2000;
}  // namespace

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
  // What is painted before the window system shows the window goes
  // nowhere, and the caller's work lets no event through until it ends:
  // wait (a while at most) for the window to be on the screen, then paint.
  QTimer wake;  // ends each wait also when the window system sends nothing
  wake.start(20);
  QElapsedTimer waited;
  waited.start();
  while (!(windowHandle() && windowHandle()->isExposed()) && waited.elapsed() < kShowWaitMs)
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
  repaint();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// The notice has no button; only its owner takes it away.
void TDlg_Message::closeEvent(QCloseEvent* e) { e->ignore(); }
