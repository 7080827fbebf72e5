// ORVO's main window with its second forms on a temporary program folder,
// as the selection form and viewer tests open it.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <string>

#include "link/ui/Conn_Unit.h"
#include "link/ui/EnvNew_Form.h"
#include "link/ui/PathPick.h"
#include "orvo/OrvoForms.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "tests/support/TempDir.h"
#include "transfer/ui/FSel_Unit.h"

// Deletes the main window and the second forms each test makes anew; the
// forms the wiring keeps for the run (load forms, viewer) stay.
inline void CloseMainWindow(TMain_Frm* main) {
  delete FSel_Frm;
  delete FSelZNT_Frm;
  delete Env_Frm;
  delete Conn_Frm;
  delete main;
  QApplication::processEvents();
}

class TransferForms : public ::testing::Test {
 protected:
  // Opens the main window of system type 0 on dir with these messages.
  void OpenMainWindow(const std::string& messages) {
    dir.Write("MSGDLG.DAT", messages);
    Main_SetProgramFolder(dir.path());
    main = new TMain_Frm();
    OrvoForms_CreateSecond();
    SystemType = 0;
    Global_FillDataKinds(0);
    main->show();
    QApplication::processEvents();
  }
  void TearDown() override {
    SetPathPicker({});
    CloseMainWindow(main);
  }

  TempDir dir;
  TMain_Frm* main = nullptr;
};
