// The save form against the fake exchange: what it shows, the worker's end
// and its messages, Cancel, and the return to the selection form.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include "link/Comm_Unit.h"
#include "link/UDP_Unit.h"
#include "link/ui/Conn_Unit.h"
#include "link/ui/EnvNew_Form.h"
#include "link/ui/UserTimerTicks.h"
#include "platform/FileSys.h"
#include "orvo/OrvoForms.h"
#include "shell/Global_Unit.h"
#include "shell/Language_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "tests/exchange/FakeSave.h"
#include "tests/exchange/FakeSerial.h"
#include "tests/exchange/FakeUdp.h"
#include "tests/link/CommFixture.h"
#include "tests/link/ui/DialogScript.h"
#include "tests/support/TempDir.h"
#include "transfer/Save_Engine.h"
#include "transfer/ui/Save_Unit.h"
#include "transfer/ui/SelectionHost.h"

namespace {

std::vector<std::string> Lines(const std::string& tag, int n) {
  std::vector<std::string> l;
  for (int i = 1; i <= n; ++i) l.push_back(tag + std::to_string(i) + ";\r\n");
  return l;
}

// The form row of the first dark pixel that a label draws.
int InkTop(QLabel* l) {
  const QImage img = l->grab().toImage();
  for (int i = 0; i < img.width() * img.height(); ++i)
    if (qGray(img.pixel(i % img.width(), i / img.width())) < 128) return l->y() + i / img.width();
  return -1;
}

std::string Joined(const std::vector<std::string>& l) {
  std::string s;
  for (const auto& x : l) s += x;
  return s;
}

class SaveForm : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string msgs;
    for (const char* n : {"5301", "5602", "5603"}) msgs += std::string("J") + n + "=T,M" + n + ",1,0\r\n";
    prog.Write("MSGDLG.DAT", msgs);
    Main_SetProgramFolder(prog.path());
    UserTimer_InstallQtTicks();
    main = new TMain_Frm();
    OrvoForms_CreateSecond();
    main->show();
    saved_ = Selection_Host();
    auto note = [this](const char* what) { return [this, what] { calls.push_back(what); }; };
    Selection_Host().dataFileScan = note("data");
    Selection_Host().partFileScan = note("part");
    Selection_Host().cmdFileScan = note("cmd");
    Selection_Host().listDisp = note("list");
    Selection_Host().freeSpaceDisp = note("free");
    Selection_Host().show = note("show");
    Selection_Host().dirCaption = nullptr;
    SaveFolder = data.path();
    SaveUserName = Sjis("山田");
    SaveComment = Sjis("四月の控え");
    LineLost = 0;
    LinkTimeOutSec = 1;
    LinkRetryCount = 2;
    Save_SetTiming({5, 300});
  }
  void TearDown() override {
    Selection_Host() = saved_;
    Udp_Close();
    Comm_Close();
    Comm_SetTiming(CommTiming{});
    Save_SetTiming(SaveTiming{});
    EthernetMode = 0;
    LineLost = 0;
    SystemType = 0;
    SaveChoices.clear();
    SavePartRow = false;
    delete Env_Frm;
    delete Conn_Frm;
    delete main;
    QApplication::processEvents();
  }
  void OpenUdp(FakeUdpExchange& fake) {
    std::string err;
    ASSERT_TRUE(fake.Start(&err)) << err;
    ASSERT_EQ(Udp_Init(0, 0x7F000001, fake.Port()), LINK_OK);
    store->AttachTo(fake);
    EthernetMode = 1;
  }
  // Opens the form as the selection form does and waits for it to close.
  TSave_Frm* RunSave(std::function<void(TSave_Frm*)> during = nullptr) {
    calls.clear();
    Selection_Host().openSave();
    TSave_Frm* f = SystemType == 1 ? SaveZNT_Frm : Save_Frm;
    EXPECT_TRUE(f->isVisible());
    QElapsedTimer t;
    t.start();
    while ((f->isVisible() || f->Running()) && t.elapsed() < 20000) {
      if (during) during(f);
      QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    EXPECT_FALSE(f->isVisible());
    return f;
  }
  std::string Head() const { return "!" + Sjis("四月の控え") + "\r\n"; }
  // Nothing in the data folder but these: no TEMP, no temporary file.
  void ExpectOnly(std::vector<std::string> names) {
    std::vector<fsys::DirEntry> all;
    ASSERT_TRUE(fsys::ListDir(data.path(), "*", all));
    std::vector<std::string> got;
    for (const auto& e : all) got.push_back(e.name);
    std::sort(names.begin(), names.end(), fsys::LessNoCase);
    EXPECT_EQ(got, names);
  }

  TempDir prog, data;
  TMain_Frm* main = nullptr;
  std::shared_ptr<FakeSaveStore> store = std::make_shared<FakeSaveStore>();
  std::vector<std::string> calls;
  SelectionHost saved_;
};

TEST_F(SaveForm, PartsOfTypeOneOverUdpShowTwoToALineAndReturnToTheSelection) {
  FakeUdpConfig cfg;
  cfg.requireLogin = false;
  FakeUdpExchange fake(cfg);
  OpenUdp(fake);
  SystemType = 1;
  auto a = Lines("A", 3), b = Lines("B", 1), c = Lines("C", 2);
  store->SetLines('A', a);
  store->SetLines('B', b);
  store->SetLines('C', c);
  SaveChoices = {{"PrgSetA.DAT", 'A', Sjis("部1")}, {"PrgSetB.DAT", 'B', Sjis("部2")},
                 {"PrgSetC.DAT", 'C', Sjis("部3")}};
  SavePartRow = true;
  DialogScript dialogs;
  TSave_Frm* f = RunSave();
  EXPECT_EQ(f, SaveZNT_Frm);
  EXPECT_EQ(f->windowTitle(), U8("セーブ"));
  EXPECT_EQ(f->Data_Lbl->text(), U8("プログラム設定データ（一部）\n部1 , 部2\n部3"));
  EXPECT_EQ(f->Lcome_Lbl->y(), f->Data_Lbl->geometry().bottom() + 1 + 5);
  // "データタイプ:" stands level with the first line of its value.
  f->Data_Lbl->setText(f->Ldata_Lbl->text());
  EXPECT_EQ(InkTop(f->Ldata_Lbl), InkTop(f->Data_Lbl));
  EXPECT_EQ(f->Come_Lbl->text(), U8("四月の控え"));
  EXPECT_EQ(f->User_Lbl->text(), U8("山田"));
  // The folder as the selection form shows it: without the trailing "/".
  std::string folder = data.path();
  folder.pop_back();
  EXPECT_EQ(f->Dir_Lbl->text(), QString::fromStdString(folder));
  EXPECT_EQ(f->Save_Lbl->text(), ToQ(SaveBlockLabel) + "6");
  EXPECT_EQ(data.Read("PrgSetA.DAT"), Head() + Joined(a));
  EXPECT_EQ(data.Read("PrgSetB.DAT"), Head() + Joined(b));
  EXPECT_EQ(data.Read("PrgSetC.DAT"), Head() + Joined(c));
  EXPECT_TRUE(dialogs.Shown().empty());
  EXPECT_EQ(calls, (std::vector<std::string>{"data", "part", "list", "free", "show"}));
  EXPECT_EQ(SelectionReturn, 1);
}

TEST_F(SaveForm, TheEndMessageFollowsTheResult) {
  FakeUdpConfig cfg;
  cfg.requireLogin = false;
  FakeUdpExchange fake(cfg);
  OpenUdp(fake);
  store->SetLines('1', Lines("S", 4));
  SaveChoices = {{"SdSystem.DAT", '1', Sjis("システム短縮ダイヤル")}};
  struct Row {
    const char* what;
    std::function<void()> arrange;
    std::vector<std::string> shown;
    bool keepsOld;  // the data file written before stays byte for byte
  };
  const std::string old = "!old\r\n" + Joined(Lines("O", 40));
  const Row rows[] = {
      {"refused", [&] { FakeSaveFaults f; f.refuse = true; store->SetFaults(f); }, {"M5603"}, true},
      {"disconnected", [&] { FakeSaveFaults f; f.notice = 2; store->SetFaults(f); }, {"M5301"}, true},
      {"file error",
       [&] {
         store->SetFaults({});
         ::unlink((data.path() + "SdSystem.DAT").c_str());
         data.Write("SdSystem.DAT/x", "");  // a folder where the data file goes
       },
       {"M5602"}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    data.Write("SdSystem.DAT", old);
    row.arrange();
    LineLost = 0;
    DialogScript dialogs;
    dialogs.Then(1);
    RunSave();
    QApplication::processEvents();
    EXPECT_EQ(dialogs.Shown(), row.shown);
    EXPECT_EQ(calls.back(), "show");
    if (row.keepsOld) {
      EXPECT_EQ(data.Read("SdSystem.DAT"), old);
      ExpectOnly({"SdSystem.DAT"});
    }
  }
}

// Cancel while the exchange does not answer. A Cancel that cuts a request's
// wait short has used up the link's abort flag, and the abort is then a
// transaction as any other, sent again at each time-out; a Cancel between
// transactions sends it without waiting for its answer, which then has one
// time-out to come. The session's end is a transaction as any other, and
// the form keeps the hourglass while it waits.
TEST_F(SaveForm, CancelOverUdpWhileTheExchangeIsSilentStillEndsTheSession) {
  FakeUdpConfig cfg;
  cfg.requireLogin = false;
  FakeUdpExchange fake(cfg);
  OpenUdp(fake);
  LinkTimeOutSec = 1;
  store->SetLines('1', Lines("S", 8));
  SaveChoices = {{"SdSystem.DAT", '1', Sjis("システム短縮ダイヤル")}};
  const std::string old = "!old\r\n" + Joined(Lines("O", 40));
  struct Row {
    const char* what;
    uint8_t waitFor;  // Cancel once the exchange got this command
    int aborts;       // times the abort goes out
    size_t frames;    // what it gets in all
    std::function<void()> arrange;
  };
  const Row rows[] = {
      {"the session does not open", UDP_CMD_SAVE_SESSION, 3, 7, [&] { fake.SetReply(UDP_CMD_SAVE_SESSION, {}); }},
      {"no block after the acknowledgement", UDP_CMD_SAVE_REQUEST, 1, 6,
       [&] {
         fake.SetReply(UDP_CMD_SAVE_SESSION, {{-1, 0x80, ""}});
         fake.Script(UDP_CMD_SAVE_REQUEST, {{-1, '/', "/0"}});
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    data.Write("SdSystem.DAT", old);
    fake.SetReply(UDP_CMD_SAVE_ABORT, {});
    fake.SetReply(UDP_CMD_END_SESSION, {});
    row.arrange();
    fake.ClearReceived();
    DialogScript dialogs;
    QElapsedTimer sinceCancel;
    bool cursorShown = false, cursorWhileEnding = false;
    TSave_Frm* f = RunSave([&](TSave_Frm* form) {
      if (form->Running() && fake.CountOf(UDP_CMD_END_SESSION) >= 2)
        cursorWhileEnding = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
      if (sinceCancel.isValid() || fake.CountOf(row.waitFor) < 1) return;
      // The request is out and unanswered: the save waits in it or after it.
      QTest::qWait(50);
      form->Cancel_BitBtn->click();
      sinceCancel.start();
      EXPECT_FALSE(form->Cancel_BitBtn->isEnabled());
      cursorShown = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    });
    ASSERT_TRUE(sinceCancel.isValid());
    EXPECT_TRUE(cursorShown);
    EXPECT_TRUE(cursorWhileEnding);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(f->Running());
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_TRUE(fake.WaitReceived(row.frames, 3000));  // what came before, 0x33, then 0x8F and its two retries
    EXPECT_EQ(fake.CountOf(UDP_CMD_SAVE_ABORT), row.aborts);
    EXPECT_EQ(fake.CountOf(UDP_CMD_END_SESSION), 3);
    EXPECT_EQ(UdpLinkState.abortFlag.load(), 0);
    EXPECT_EQ(data.Read("SdSystem.DAT"), old);
    ExpectOnly({"SdSystem.DAT"});
  }
}

// A cancelled item and a refused one over the serial line leave the data
// file that was there before byte for byte, and no message.
TEST_F(SaveForm, CancelAndRefusalOverTheSerialLineKeepTheOldFiles) {
  FakeSerialExchange fake(std::make_shared<FakeCore>(store));
  std::string err;
  ASSERT_TRUE(fake.Start(&err)) << err;
  ASSERT_TRUE(fake.LinkPort(prog.path(), 3, &err)) << err;
  fake.SetReplyWaitMs(1000);
  // A slow line, so that the form is seen between blocks even on a busy
  // machine.
  SerialFaults slow;
  slow.byteDelayMs = 1;
  fake.SetFaults(slow);
  CommPortName = "COM3";
  Comm_SetTiming(kShortTiming);
  ASSERT_EQ(Comm_Open(), LINK_OK);
  ASSERT_EQ(Comm_Setup(9600), LINK_OK);
  RcvTimeOutMs = kRcvMs;
  const std::string oldSys = "!last week\r\n" + Joined(Lines("O", 120));
  const std::string oldPers = "!personal\r\n\x82\xA0\r\n";
  data.Write("SdSystem.DAT", oldSys);
  data.Write("SdPersonal.DAT", oldPers);
  store->SetLines('1', Lines("K", 400));
  store->SetLines('2', Lines("P", 2));
  SaveChoices = {{"SdSystem.DAT", '1', "a"}, {"SdPersonal.DAT", '2', "b"}};
  {
    DialogScript dialogs;
    bool clicked = false, closeRefused = false;
    TSave_Frm* f = RunSave([&](TSave_Frm* form) {
      if (!clicked && form->Save_Lbl->text().mid(ToQ(SaveBlockLabel).size()).toInt() >= 40) {
        form->close();  // refused while the save runs
        closeRefused = form->isVisible();
        QApplication::setActiveWindow(form);
        // The focused Cancel takes Enter, as on Windows.
        EXPECT_TRUE(form->Cancel_BitBtn->hasFocus());
        QTest::keyClick(form->Cancel_BitBtn, Qt::Key_Return);
        clicked = true;
        EXPECT_FALSE(form->Cancel_BitBtn->isEnabled());
      }
    });
    ASSERT_TRUE(clicked);
    EXPECT_TRUE(closeRefused);
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_GE(f->Save_Lbl->text().mid(ToQ(SaveBlockLabel).size()).toInt(), 40);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }
  EXPECT_EQ(store->Asked(), std::vector<char>{'1'});  // the save stopped after the cancelled item
  EXPECT_EQ(data.Read("SdSystem.DAT"), oldSys);
  EXPECT_EQ(data.Read("SdPersonal.DAT"), oldPers);
  ExpectOnly({"SdSystem.DAT", "SdPersonal.DAT"});

  // The exchange has no personal speed dial ('5' has no lines): refused,
  // no error, and the save goes on with the next item.
  SaveChoices = {{"SdPersonal.DAT", '5', "b"}, {"SdExtensions.DAT", '3', "c"}};
  store->SetLines('3', Lines("E", 3));
  {
    DialogScript dialogs;
    RunSave();
    EXPECT_TRUE(dialogs.Shown().empty());
  }
  EXPECT_EQ(data.Read("SdPersonal.DAT"), oldPers);
  EXPECT_EQ(data.Read("SdExtensions.DAT"), Head() + Joined(Lines("E", 3)));
  ExpectOnly({"SdSystem.DAT", "SdPersonal.DAT", "SdExtensions.DAT"});
}

}  // namespace
