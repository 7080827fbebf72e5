// ORVO_ADMIN's forms made as the program makes them, over a program folder
// that the test fills first; closed again, globals cleared, at the end.
#pragma once

#include <QApplication>
#include <string>

#include "admin/AdminGbl_Unit.h"
#include "admin/ui/AMain_Unit.h"
#include "admin/ui/ComDlgNew_Unit.h"
#include "admin/ui/DataCopy_Unit.h"
#include "admin/ui/ModemSet_Unit.h"
#include "admin/ui/ORVO_ADMIN_Main.h"
#include "shell/ui/Conf_Unit.h"  // deleted here: the whole type

inline void OpenAdminForms(const std::string& programDir) {
  Admin_SetProgramFolder(programDir);
  ORVO_ADMIN_CreateForms();
}

inline void CloseAdminForms() {
  delete ModemSet_Frm;
  delete DataCopy_Frm;
  delete AMain_Frm;
  delete admin::Conf_Dlg;
  admin::Conf_Dlg = nullptr;
  Admin_SetProgramFolder(std::string());
  QApplication::processEvents();
}
