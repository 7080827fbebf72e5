// The load forms over UDP against the fake exchange under offscreen Qt: the
// fix dialog's hand-over, the progress texts, the result message and the
// return to the selection form.
#include <QApplication>
#include <QThread>
#include <QTimer>
#include <chrono>

#include "link/ui/UserTimerTicks.h"
#include "platform/ui/QtText.h"
#include "shell/Language_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "tests/transfer/LoadTestSupport.h"
#include "transfer/ui/EFix_Unit.h"
#include "transfer/ui/Load_Form.h"
#include "transfer/ui/SelectionHost.h"

namespace {

std::string Rec(int line, const std::string& code, const std::string& text) {
  return std::string(ErrLineLabel) + std::to_string(line) + "," + std::string(ErrCodeLabel) + code + "\r\n" +
         text + "\r\n";
}

class LoadForm : public udptest::LinkToFake {
 protected:
  void SetUp() override {
    LinkToFake::SetUp();
    UserTimer_InstallQtTicks();
    script.AttachTo(fake);
    ASSERT_EQ(LogIn("PW12"), LINK_OK);
    dir.Write("MSGDLG.DAT", "J5501=T,M5501,1,0\r\nJ5503=T,M5503,1,0\r\n");
    ProgramDir = dir.path();
    ControlFileName = dir.Write("CONTROL.DAT", WithCrLf(Sjis(kLoadControl)));
    Load_SetTiming({0, 0, 0, 0, 0, 5, 1});
    EthernetMode = 1;
    LinkTimeOutSec = 1;
    LinkRetryCount = 1;
    LineLost = 0;
    LoadFolder = dir.path();
    LoadFileName = "CMD.DAT";
    LoadRangeOn = 0;
    LoadFixErrors = 1;
    dir.Write("CMD.DAT", FileOf({"/S/", "0001=5;"}));
    Selection_Host().show = [this] { ++returned; };
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [this] { Answer(); });
    answer.start();
  }
  void TearDown() override {
    answer.stop();
    Selection_Host().show = nullptr;
    Load_SetTiming(LoadTiming{});
    EthernetMode = 0;
    LinkRetryCount = 2;
    ProgramDir.clear();
    LinkToFake::TearDown();
  }
  // The fix dialog gets the next edit (none left: stop); a message is
  // recorded and confirmed.
  void Answer() {
    QWidget* w = QApplication::activeModalWidget();
    if (!w || !w->isVisible()) return;
    if (auto* fix = qobject_cast<TEFix_Dlg*>(w)) {
      seen.push_back("fix " + FromQ(fix->Err_Lbl->text()).value_or("?") + " " +
                     FromQ(fix->Line_Edt->text()).value_or("?"));
      if (edits.empty()) {
        fix->Cancel_BitBtn->click();
      } else {
        fix->Line_Edt->setText(ToQ(edits.front()));
        edits.erase(edits.begin());
        fix->Ok_BitBtn->click();
      }
    } else if (auto* c = qobject_cast<TConf_Dlg*>(w)) {
      seen.push_back(c->Msg_Lbl->text().toStdString());
      EXPECT_TRUE(c->Ok_BitBtn->isVisible()) << seen.back();
      c->Ok_BitBtn->click();
    }
  }
  bool WaitReturned(int ms = 10000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (returned == 0 && std::chrono::steady_clock::now() < end) {
      QApplication::processEvents();
      QThread::msleep(2);
    }
    return returned > 0;
  }

  FakeLoadScript script;
  TempDir dir;
  QTimer answer;
  std::vector<std::string> edits;
  std::vector<std::string> seen;
  int returned = 0;
};

TEST_F(LoadForm, FixedLineIsSentAndTheResultShown) {
  script.RefuseCode(":A000105", "E00001");
  edits = {"0001=6;"};
  LoadKind = 5;
  TLoad_Frm f;
  f.show();
  ASSERT_TRUE(WaitReturned());
  EXPECT_EQ(seen, (std::vector<std::string>{"fix E00001 0001=5;", "M5501"}));
  EXPECT_EQ(script.Pieces(), (std::vector<std::string>{"1:A000105", "1:A000106"}));
  EXPECT_EQ(f.Block_Lbl->text().toStdString(), "3/3(100%)");
  EXPECT_EQ(f.Comp_PrgBar->value(), 100);
  EXPECT_EQ(f.Err_Lbl->text().toStdString(), "1");
  EXPECT_EQ(f.Com_RMem->toPlainText().toStdString(), "/S/\n0001=5;\n0001=6;");
  EXPECT_EQ(f.Menu_GrpBox->title().toStdString(), "/S/");
  EXPECT_EQ(dir.Read("CONTROL.ERR"), Rec(2, "E00001", "0001=5;"));
  EXPECT_FALSE(f.isVisible());
  EXPECT_EQ(f.LastMessage(), "5501");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  // Cancel after the end changes nothing.
  f.Cancel_BitBtn->click();
  EXPECT_FALSE(f.Running());
}

TEST_F(LoadForm, StopInTheFixDialogOnTheTypeOneForm) {
  script.RefuseCode(":A000105", "E00002");
  LoadKind = 7;
  dir.Write("CMD.DAT", FileOf({"/S/", "0001=5;", "0002=6;"}));
  TLoadZNT_Frm f;
  f.show();
  ASSERT_TRUE(WaitReturned());
  EXPECT_EQ(seen, (std::vector<std::string>{"fix E00002 0001=5;", "M5501"}));
  EXPECT_EQ(script.Pieces(), (std::vector<std::string>{"1:A000105"})) << "nothing after the stop";
  EXPECT_EQ(dir.Read("CONTROL.ERR"), Rec(2, "E00002", "0001=5;"));
  EXPECT_EQ(fake.CountOf(0x42), 1) << "the session is still ended";
  EXPECT_EQ(f.windowTitle(), QString::fromUtf8("ロード"));
  // The data-type label of a command file names the file.
  EXPECT_EQ(FromQ(f.Data_Lbl->text()).value_or(""), std::string(DataKindNamesZNT[7]) + "[CMD.DAT]");
}

}  // namespace
