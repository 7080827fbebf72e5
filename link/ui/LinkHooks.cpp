#include "link/ui/LinkHooks.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

#include "link/ConnModem.h"
#include "link/ConnRealLinks.h"
#include "link/UDP_Unit.h"
#include "link/UserTimerUnit.h"
#include "link/ui/Conn_Unit.h"
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

void* MainForm() { return static_cast<QObject*>(Main_Frm); }

}  // namespace

void Link_InstallMainHooks() {
  Udp_SetMessagePump(PumpIfUiThread);
  Conn_UseRealLinks(MainForm, Link_PostToForm);
  TMain_Frm::Hooks().disconnect = [](TMain_Frm* m) {
    if (EthernetMode == 1) {
      UserTimer timer(m);
      timer.Start();
      Udp_LogOff(timer);
      timer.Stop();
    } else {
      // Hangs up only after an automatic dial; the commands and time-outs are
      // those the connection form applied.
      SerialLink& port = *Conn_Links().serial;
      Conn_HangUp(port, Conn_Frm ? Conn_Frm->Modem() : ModemSettings{});
      port.Close();
    }
  };
  TMain_Frm::Hooks().disconnectNotice = [] { Udp_Close(); };
}
