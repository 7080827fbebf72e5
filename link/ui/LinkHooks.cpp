#include "link/ui/LinkHooks.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

#include "link/Comm_Unit.h"
#include "link/UDP_Unit.h"
#include "link/UserTimerUnit.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/Main_Unit.h"

void Link_PostToForm(void* form, int userMessage) {
  if (!form) return;
  QCoreApplication::postEvent(static_cast<QObject*>(form),
                              new QEvent(static_cast<QEvent::Type>(QEvent::User + userMessage)));
}

namespace {

// A transaction waiting on the UI thread keeps the window alive, and its
// time-out advances only through the timer's ticks, which need the loop.
void PumpIfUiThread() {
  QCoreApplication* app = QCoreApplication::instance();
  if (app && QThread::currentThread() == app->thread()) QCoreApplication::processEvents();
}

}  // namespace

void Link_InstallMainHooks() {
  Udp_SetMessagePump(PumpIfUiThread);
  TMain_Frm::Hooks().disconnect = [](TMain_Frm* m) {
    if (EthernetMode == 1) {
      UserTimer timer(m);
      timer.Start();
      Udp_LogOff(timer);
      timer.Stop();
    } else {
      Comm_Close();
    }
  };
  TMain_Frm::Hooks().disconnectNotice = [] { Udp_Close(); };
}
