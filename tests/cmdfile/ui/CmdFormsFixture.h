// The main window with the command-file list and editor, on a temporary
// program folder laid out like the sample one: messages whose texts are
// their numbers, the sample control file and command files.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>

#include "cmdfile/ui/CEdit_Unit.h"
#include "cmdfile/ui/ComS_Unit.h"
#include "cmdfile/ui/ListEdit_Entry.h"
#include "link/ui/Conn_Unit.h"
#include "link/ui/EnvNew_Form.h"
#include "link/ui/PathPick.h"
#include "orvo/OrvoForms.h"
#include "phone/ui/Tel_Unit.h"
#include "platform/FileSys.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "tests/link/ui/DialogScript.h"
#include "tests/support/TempDir.h"
#include "transfer/Control_Unit.h"

using Shown = std::vector<std::string>;

class CmdForms : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string msgs;
    for (const char* n : {"9006", "9026", "9077", "9001", "9021", "9035", "7701", "9701", "9702", "7015", "9015",
                          "9075", "9091", "5701", "9055", "9501", "9502", "9503", "9504", "9505", "9506", "9507",
                          "9508", "9509", "9510", "9511", "9512", "9513", "9703", "0006"})
      msgs += std::string("J") + n + "=T,M" + n + ",1,1\r\n";
    dir.Write("MSGDLG.DAT", msgs);
    dir.Write("INPDLG.DAT", "J1701=T,P1701,L,30,,,1,1\r\nJ1702=T,P1702,L,30,,,1,1\r\n");
    const char* src = std::getenv("ORVO_SOURCE_DIR");
    ASSERT_NE(src, nullptr);
    sample = std::string(src) + "/sample/";
    Copy("CONTROL.DAT", "CONTROL.DAT");
    for (const char* f : {"Initial.CMD", "Faulty.CMD", "Unknown.CMD", "x.cmd", "USER.INF"})
      Copy(std::string("data/") + f, std::string("data/") + f);
    Environ(dir.path() + "CONTROL.DAT");
    Main_SetProgramFolder(dir.path());
    main = new TMain_Frm();
    OrvoForms_CreateSecond();
    main->show();
    QApplication::processEvents();
  }
  void TearDown() override {
    SetPathPicker({});
    ListEdit_SetEntry({});
    if (CEdit_Frm) CEdit_Frm->hide();
    if (ComS_Frm) ComS_Frm->hide();
    Ctl_Def_Free();
    ComListReturn = 0;
    delete Tel_Frm;
    delete Env_Frm;
    delete Conn_Frm;
    delete main;
    QApplication::processEvents();
  }
  void Copy(const std::string& from, const std::string& to) {
    std::string content;
    ASSERT_TRUE(fsys::ReadFile(sample + from, content)) << from;
    dir.Write(to, content);
  }
  void Environ(const std::string& control, int fields = 22) {
    std::string s = control + "," + dir.path() + "data," + dir.path() + "screens";
    for (int i = 3; i < fields; ++i) s += ",0";
    dir.Write("ENVIRON.DAT", s + "\r\n");
  }
  // The list opened from the main window's button.
  Shown OpenList(std::initializer_list<int> answers = {}) {
    DialogScript s;
    for (int a : answers) s.Then(a);
    main->Edit_BitBtnClick();
    QApplication::processEvents();
    return s.Shown();
  }
  std::vector<std::string> Titles() const {
    std::vector<std::string> out;
    for (int i = 0; i < ComS_Frm->Com_OTabLstBox->count(); ++i)
      out.push_back(ComS_Frm->Com_OTabLstBox->item(i)->text().section('\t', 0, 0).toStdString());
    return out;
  }
  void SelectTitle(const std::string& title) {
    auto* l = ComS_Frm->Com_OTabLstBox;
    l->clearSelection();
    for (int i = 0; i < l->count(); ++i)
      if (l->item(i)->text().section('\t', 0, 0).toStdString() == title) {
        l->setCurrentRow(i);
        l->item(i)->setSelected(true);
      }
    QApplication::processEvents();
  }
  std::string SelectedTitle() const {
    auto items = ComS_Frm->Com_OTabLstBox->selectedItems();
    return items.empty() ? std::string() : items[0]->text().section('\t', 0, 0).toStdString();
  }
  bool RowButtons() const {
    TComS_Frm* f = ComS_Frm;
    bool all = f->Mod_BitBtn->isEnabled() && f->Edit_BitBtn->isEnabled() && f->Del_BitBtn->isEnabled() &&
               f->Copy_BitBtn->isEnabled() && f->Print_BitBtn->isEnabled();
    bool none = !f->Mod_BitBtn->isEnabled() && !f->Edit_BitBtn->isEnabled() && !f->Del_BitBtn->isEnabled() &&
                !f->Copy_BitBtn->isEnabled() && !f->Print_BitBtn->isEnabled();
    EXPECT_TRUE(all || none) << "the five row buttons go together";
    return all;
  }
  std::string Data(const std::string& name) const { return dir.Read("data/" + name); }

  TempDir dir;
  std::string sample;
  TMain_Frm* main = nullptr;
};
