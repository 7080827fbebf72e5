#include "admin/ui/ORVO_ADMIN_Main.h"

#include <QApplication>

#include "admin/ui/AMain_Unit.h"
#include "admin/ui/ComDlgNew_Unit.h"
#include "admin/ui/DataCopy_Unit.h"
#include "admin/ui/ModemSet_Unit.h"
#include "platform/SingleInstance.h"
#include "shell/ui/Conf_Unit.h"

void ORVO_ADMIN_CreateForms() {
  new TAMain_Frm();
  new TModemSetFrm();
  new TDataCopyFrm();
  admin::Conf_Dlg = new TConf_Dlg();
}

int ORVO_ADMIN_Main(int argc, char** argv) {
  // Before anything else: a second start creates, deletes and shows nothing.
  if (!plat::AcquireSingleInstance("TAMain_Frm")) return 0;
  QApplication app(argc, argv);
  QApplication::setApplicationName("ORVO_ADMIN");
  ORVO_ADMIN_CreateForms();
  AMain_Frm->show();
  return app.exec();
}
