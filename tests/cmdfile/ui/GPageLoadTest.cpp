// A type-1 page loaded into the fake exchange over UDP through the program's
// own wiring: the temporary file handed to the type-0 load form, the
// refused line listed in the program folder, the page back with its values
// and the error list, then the viewer's way back to the page.
#include <QApplication>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <gtest/gtest.h>

#include "cmdfile/ScreenTbl_Unit.h"
#include "cmdfile/ui/ComS_Unit.h"
#include "cmdfile/ui/G_P1_Unit.h"
#include "link/ui/Conn_Unit.h"
#include "link/ui/EnvNew_Form.h"
#include "phone/ui/Tel_Unit.h"
#include "link/ui/UserTimerTicks.h"
#include "orvo/OrvoForms.h"
#include "platform/FileSys.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "tests/transfer/LoadTestSupport.h"
#include "transfer/ui/LErr_Unit.h"
#include "transfer/ui/Load_Form.h"

namespace {

class PageLoad : public udptest::LinkToFake {
 protected:
  void SetUp() override {
    LinkToFake::SetUp();
    UserTimer_InstallQtTicks();
    script.AttachTo(fake);
    ASSERT_EQ(LogIn("PW12"), LINK_OK);
    std::string msgs;
    for (const char* n : {"5501", "7501", "9507"}) msgs += std::string("J") + n + "=T,M" + n + ",1,1\r\n";
    dir.Write("MSGDLG.DAT", msgs);
    Main_SetProgramFolder(dir.path());
    main = new TMain_Frm();
    OrvoForms_CreateSecond();
    ProgramDir = dir.path();
    SystemType = 0;
    main->show();
    // The command-file list read the control file when it opened.
    ASSERT_EQ(ReadControlText(dir, kLoadControl), 0);
    Load_SetTiming({0, 0, 0, 0, 0, 5, 1});
    EthernetMode = 1;
    LinkTimeOutSec = 1;
    LinkRetryCount = 1;
    LineLost = 0;
    LastButton = main->Edit_BitBtn;

    ScreenFilesDir = dir.path() + "screens/";
    dir.Write("screens/Menu.csv", "h\r\nS,1,1,S1,V,0,0,S1,/S/\r\n");
    ASSERT_EQ(ScreenTbl_Load(ScreenFilesDir + "Menu.csv"), 0);
    dir.Write("screens/S1.CSV", "1\r\n2\r\n3\r\n4\r\n1,1,a\r\n2,1,b\r\n3,1,c\r\n");
    cmd = dir.Write("data/C.CMD", "/S/\r\n0002=7;\r\n");
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [this] {
      auto* c = qobject_cast<TConf_Dlg*>(QApplication::activeModalWidget());
      if (!c || !c->isVisible()) return;
      seen.push_back(c->Msg_Lbl->text().toStdString());
      c->Ok_BitBtn->click();
    });
    answer.start();
  }
  void TearDown() override {
    answer.stop();
    if (G_P1) G_P1->Exit_BitBtnClick();
    CurrentPage = nullptr;
    LastButton = nullptr;
    Load_SetTiming(LoadTiming{});
    EthernetMode = 0;
    LinkRetryCount = 2;
    Ctl_Def_Free();
    LErr_Host() = {};
    delete LErr_Frm;
    delete Tel_Frm;
    delete Env_Frm;
    delete Conn_Frm;
    delete main;
    QApplication::processEvents();
    ProgramDir.clear();
    ScreenFilesDir.clear();
    LinkToFake::TearDown();
  }
  bool WaitUntil(const std::function<bool()>& done, int ms = 10000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done() && std::chrono::steady_clock::now() < end) {
      QApplication::processEvents();
      QThread::msleep(2);
    }
    return done();
  }
  std::vector<std::string> Temps() const {
    std::vector<fsys::DirEntry> e;
    fsys::ListDir(dir.path(), "G_P*.TMP", e);
    std::vector<std::string> names;
    for (const auto& x : e) names.push_back(x.name);
    return names;
  }

  FakeLoadScript script;
  TempDir dir;
  TMain_Frm* main = nullptr;
  std::string cmd;
  QTimer answer;
  std::vector<std::string> seen;
};

TEST_F(PageLoad, TheSectionGoesToTheExchangeAndThePageComesBack) {
  script.RefuseCode(":A00010507", "E00002");
  ASSERT_NE(ComS_Frm, nullptr);
  ComS_Frm->User_Lbl->setText(QString::fromUtf8("見本販売店"));
  ASSERT_TRUE(G_P1_Init(cmd, "S1", 1));
  CurrentPage = G_P1;
  G_P1->show();
  G_P1->Model()->setData(G_P1->Model()->index(0, 0), "5", Qt::EditRole);
  G_P1->Err_BitBtn->setEnabled(false);
  G_P1->Load_BitBtn->click();
  ASSERT_TRUE(WaitUntil([] { return !Load_Frm->Running() && G_P1->isVisible(); }));

  EXPECT_EQ(seen, (std::vector<std::string>{"M7501", "M5501"}));
  EXPECT_EQ(script.Pieces(), (std::vector<std::string>{"1:A00010507"}));
  EXPECT_EQ(Load_Frm->User_Lbl->text(), QString::fromUtf8("見本販売店"));
  EXPECT_EQ(Load_Frm->Data_Lbl->text(), QString::fromUtf8("コマンドファイル[C]"));
  // The load form deleted the file it was handed; the command file is as it was.
  EXPECT_TRUE(Temps().empty());
  EXPECT_FALSE(fsys::FileExists(HandOverTempFile));
  EXPECT_EQ(dir.Read("data/C.CMD"), "/S/\r\n0002=7;\r\n");
  EXPECT_EQ(G_P1->Grid().Cell(1, 0), "5");
  EXPECT_TRUE(G_P1->Err_BitBtn->isEnabled());
  // The refused line, listed where the viewer of this page looks.
  EXPECT_NE(dir.Read("CONTROL.ERR").find("E00002\r\n0001=5>7;"), std::string::npos) << dir.Read("CONTROL.ERR");

  // The error list of that load, and back to the page.
  G_P1->Err_BitBtn->click();
  EXPECT_FALSE(G_P1->isVisible());
  ASSERT_TRUE(LErr_Frm->isVisible());
  EXPECT_EQ(LErr_Frm->Folder(), dir.path());
  EXPECT_EQ(LErr_Frm->FileName_OTabLstBox->count(), 1);
  EXPECT_EQ(LErr_Frm->pos(), QPoint(main->x(), main->y() + 20));
  LErr_Frm->Ext_BitBtn->click();
  EXPECT_FALSE(LErr_Frm->isVisible());
  EXPECT_TRUE(G_P1->isVisible());
}

}  // namespace
