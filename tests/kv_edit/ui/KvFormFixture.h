// KV_EDIT's file list and grid windows with its message dialog, opened in a
// temporary data folder that the derived fixture fills first.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "kv_edit/KvRead.h"
#include "kv_edit/ui/Unit1.h"
#include "kv_edit/ui/Unit2.h"
#include "kv_edit/ui/Unit3.h"
#include "tests/support/TempDir.h"

// Taken before the tests change the current directory.
inline std::string Source() {
  static const std::string dir = [] {
    const char* src = std::getenv("ORVO_SOURCE_DIR");
    return std::filesystem::absolute(src ? src : ".").string();
  }();
  return dir;
}

class KvFormFixture : public ::testing::Test {
 protected:
  // KV_EDIT lists the current directory, so the data folder is made current
  // before the windows are made.
  void OpenForms(const std::string& msgDir = Source() + "/sample/KV_EDIT/") {
    char buf[4096];
    oldCwd = getcwd(buf, sizeof buf) ? buf : "/";
    ASSERT_EQ(chdir(d.path().c_str()), 0);
    kv::MsgDir = msgDir;
    kv::KV_FSel_Frm = main = new TKV_FSel_Frm();
    kv::KV_DEdt_frm = grid = new TKV_DEdt_frm();
    kv::conf_dlg = new Tconf_dlg();
    main->show();
  }
  void TearDown() override {
    delete grid;
    delete main;
    delete kv::conf_dlg;
    kv::KV_FSel_Frm = nullptr;
    kv::KV_DEdt_frm = nullptr;
    kv::conf_dlg = nullptr;
    kv::Data_File.clear();
    (void)chdir(oldCwd.c_str());
  }

  TempDir d;
  std::string oldCwd;
  TKV_FSel_Frm* main = nullptr;
  TKV_DEdt_frm* grid = nullptr;
};
