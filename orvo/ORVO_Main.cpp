#include "orvo/ORVO_Main.h"

#include <QApplication>

#include "link/ui/LinkHooks.h"
#include "link/ui/UserTimerTicks.h"
#include "platform/SingleInstance.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "orvo/OrvoForms.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/FormRules.h"
#include "shell/ui/Input_Unit.h"

bool ORVO_CreateForms() {
  QApplication::setApplicationName("ORVO");
  FormRules_Install();

  new TMain_Frm();
  Link_InstallMainHooks();
  Conf_Dlg = new TConf_Dlg();
  OrvoForms_CreateFirst();

  if (!Common_ReadSystemType()) {
    MsgDlg_Show("0501");
    return false;
  }
  if (SystemType == 2) SystemType = 0;

  // The forms created a second time replace the first instances, which
  // stay hidden and idle until the end of the run.
  Input_Dlg = new TInput_Dlg();
  OrvoForms_CreateSecond();
  return true;
}

int ORVO_Main(int argc, char** argv) {
  // Before anything else: a second start creates, deletes and shows nothing.
  if (!plat::AcquireSingleInstance("TMain_Frm")) return 0;
  QApplication app(argc, argv);
  UserTimer_InstallQtTicks();
  if (!ORVO_CreateForms()) return 0;
  Main_Frm->show();
  return app.exec();
}
