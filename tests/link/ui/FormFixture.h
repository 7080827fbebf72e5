// ORVO's main window with the link forms, on a temporary program folder
// that holds test message files.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <string>
#include <vector>

#include "link/LinkPort.h"
#include "link/SettingsText.h"
#include "link/ui/Conn_Unit.h"
#include "link/ui/EnvNew_Form.h"
#include "link/ui/PathPick.h"
#include "shell/CommonStr_Unit.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "orvo/OrvoForms.h"
#include "phone/ui/Tel_Unit.h"
#include "tests/link/ui/DialogScript.h"
#include "tests/support/TempDir.h"

class LinkForms : public ::testing::Test {
 protected:
  void SetUp() override {
    savedLinks_ = Conn_Links();
    dir.Write("MSGDLG.DAT", TestMessageFile());
    dir.Write("INPDLG.DAT", TestPromptFile());
    Main_SetProgramFolder(dir.path());
    main = new TMain_Frm();
    OrvoForms_CreateSecond();
    main->show();
    QApplication::processEvents();
  }
  void TearDown() override {
    Conn_Links() = savedLinks_;
    SetPathPicker({});
    delete Tel_Frm;
    delete Env_Frm;
    delete Conn_Frm;
    delete main;
    QApplication::processEvents();
  }
  // Stores the environment form, both overwrite questions answered OK;
  // the fields of ENVIRON.DAT's first line as stored.
  std::vector<std::string> RegisterEnvironment(TEnv_Frm* f) {
    DialogScript ask;
    ask.Then(1).Then(1);
    f->Reg_BitBtn->click();
    std::vector<std::string> fields;
    Common_SplitComma(fields, settings::FirstLine(dir.Read("ENVIRON.DAT")));
    return fields;
  }
  TempDir dir;
  TMain_Frm* main = nullptr;

 private:
  ConnLinks savedLinks_{};
};
