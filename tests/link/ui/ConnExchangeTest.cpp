// From the main window's Conn button to the connected state and back through
// Disc, on the real links against the fake exchange: over UDP, over a direct
// serial line and through the fake modem, and the AT terminal.
#include <QTest>

#include "link/Comm_Unit.h"
#include "link/ConnModem.h"
#include "link/ConnRealLinks.h"
#include "link/Sock_Table.h"
#include "link/UDP_Unit.h"
#include "link/ui/LinkHooks.h"
#include "link/ui/UserTimerTicks.h"
#include "shell/Global_Unit.h"
#include "tests/exchange/FakeSerial.h"
#include "tests/exchange/FakeUdp.h"
#include "tests/link/ui/FormFixture.h"

namespace {

using Clock = std::chrono::steady_clock;

// Environment: COM3, receive time-out 5 s, AT commands allowed, modem
// commands ATZ / ATD / +++ and ATH; medium and the exchange's UDP port as
// given.
std::string Environ(const char* medium, int udpPort) {
  return std::string("/c,/d,/s,1,3,1,1,05,,10,10,10,ATZ,ATD,,+++,ATH,") + medium + ",03,02," +
         std::to_string(udpPort) + ",0\r\n";
}

constexpr int kPauseDivisor = 20;

class ConnExchange : public LinkForms {
 protected:
  void SetUp() override {
    LinkForms::SetUp();
    UserTimer_InstallQtTicks();
    Link_InstallMainHooks();
    Conn_CommSerial().SetPauseDivisor(kPauseDivisor);
  }
  void TearDown() override {
    Comm_Close();
    Udp_Close();
    Udp_SetMessagePump(nullptr);
    Conn_CommSerial().SetPauseDivisor(1);
    TMain_Frm::Hooks().disconnect = nullptr;
    TMain_Frm::Hooks().disconnectNotice = nullptr;
    ModemConnected = false;
    EthernetMode = 0;
    serial.Stop();
    LinkForms::TearDown();
  }
  // The serial side on COM3 of the program folder.
  void StartSerial(bool modem) {
    std::string err;
    ASSERT_TRUE(serial.Start(&err)) << err;
    ASSERT_TRUE(serial.LinkPort(dir.path(), 3, &err)) << err;
    core->SetPassword("4321");
    FakeModem m;
    m.on = modem;
    serial.SetModem(m);
  }
  // The modem's log once it holds n commands: the fake writes each answer
  // before it logs it, so the form may have read the answer first.
  std::vector<FakeModemEvent> ModemLog(size_t n) {
    EXPECT_TRUE(serial.WaitModemCommands(n, 5000)) << n;
    return serial.ModemLog();
  }
  // The dialogs on the way are answered by the caller's DialogScript.
  void Connect() {
    main->Conn_BitBtn->click();
    ASSERT_TRUE(Conn_Frm->isVisible());
    Conn_Frm->Conn_BitBtn->click();
  }
  void ExpectConnected(const char* status) {
    EXPECT_FALSE(Conn_Frm->isVisible());
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(main->SB_GB->isVisible());
    EXPECT_FALSE(main->Conn_BitBtn->isEnabled());
    EXPECT_TRUE(main->Disc_BitBtn->isEnabled());
    EXPECT_EQ(main->Main_StsBar->currentMessage(), U8(status));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }
  void Disconnect() {
    DialogScript s;
    s.Then(1);
    main->Disc_BitBtn->click();
    EXPECT_EQ(s.Shown(), std::vector<std::string>{"M7101"});
    EXPECT_TRUE(main->Conn_BitBtn->isEnabled());
    EXPECT_FALSE(main->Disc_BitBtn->isEnabled());
  }
  // Lets queued calls from the receive thread arrive until pred holds.
  template <typename P>
  bool Until(P pred, int ms = 3000) {
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (!pred() && Clock::now() < end) QTest::qWait(5);
    return pred();
  }

  std::shared_ptr<FakeCore> core = std::make_shared<FakeCore>();
  FakeSerialExchange serial{core};
};

TEST_F(ConnExchange, OverEthernet) {
  FakeUdpConfig c;
  c.password = "PW12";
  c.noticeOnWrongPassword = true;
  FakeUdpExchange udp(c);
  std::string err;
  ASSERT_TRUE(udp.Start(&err)) << err;
  dir.Write("ENVIRON.DAT", Environ("1", udp.Port()));
  dir.Write("CONNECT.DAT", "2,4,0,0,n,,\"127.  0.  0.  1\"\r\n");
  {
    DialogScript s;
    s.Then(1, "bad").Then(1).Then(1, "PW12");
    Connect();
    EXPECT_EQ(s.Shown(), (std::vector<std::string>{"P1202", "M9203", "P1202"}));
  }
  EXPECT_TRUE(udp.LoggedIn());
  EXPECT_EQ(EthernetMode.load(), 1);
  ExpectConnected("回線接続されています。([Ethernet])");

  // Registered after the log-in, the main window hears the disconnect notice.
  ASSERT_TRUE(udp.SendNotice());
  EXPECT_TRUE(Until([&] {
    Conn_UdpLink().Flush();
    QApplication::processEvents();
    return main->Conn_BitBtn->isEnabled();
  }));
  EXPECT_EQ(UdpLinkState.socket.load(), -1);

  // Again, and this time the user disconnects: the log-off goes out.
  {
    DialogScript s;
    s.Then(1, "PW12");
    Connect();
    EXPECT_EQ(s.Shown(), std::vector<std::string>{"P1202"});
  }
  ExpectConnected("回線接続されています。([Ethernet])");
  size_t before = udp.ReceivedCount();
  Disconnect();
  ASSERT_TRUE(udp.WaitReceived(before + 1, 2000));
  EXPECT_EQ(udp.Received().back().cmd, UDP_CMD_LOGOFF);
  EXPECT_EQ(UdpLinkState.socket.load(), -1);
}

TEST_F(ConnExchange, OverADirectSerialLine) {
  StartSerial(false);
  dir.Write("ENVIRON.DAT", Environ("0", 11000));
  dir.Write("CONNECT.DAT", "0,4,0,0,n,,\r\n");
  {
    DialogScript s;
    s.Then(1, "4321");
    Connect();
    EXPECT_EQ(s.Shown(), std::vector<std::string>{"P1201"});
  }
  EXPECT_EQ(EthernetMode.load(), 0);
  EXPECT_TRUE(Comm_IsOpen());
  EXPECT_EQ(serial.Received(), "\x03" "4321\r");
  ExpectConnected("回線接続されています。([直結],[９６００ｂｐｓ])");

  Disconnect();
  EXPECT_FALSE(Comm_IsOpen());
  EXPECT_EQ(serial.Received(), "\x03" "4321\r");  // no hang-up on a cable
}

TEST_F(ConnExchange, ThroughTheModemWithAutomaticDialling) {
  StartSerial(true);
  dir.Write("ENVIRON.DAT", Environ("0", 11000));
  dir.Write("CONNECT.DAT", "1,4,0,0,5,0312,\r\n");
  {
    DialogScript s;
    s.Then(1).Then(1, "4321");
    Connect();
    EXPECT_EQ(s.Shown(), (std::vector<std::string>{"M5201", "P1201"}));
  }
  EXPECT_TRUE(ModemConnected);
  ExpectConnected("回線接続されています。([公衆回線経由],[９６００ｂｐｓ])");
  auto log = ModemLog(2);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].command, "ATZ");
  EXPECT_EQ(log[1].command, "ATDT5,0312");
  // The dial waits its pause after the initialisation's "OK".
  EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(log[1].at - log[0].answeredAt).count(),
            kModemCommandPauseMs / kPauseDivisor);

  Disconnect();
  EXPECT_FALSE(ModemConnected);
  EXPECT_FALSE(Comm_IsOpen());
  EXPECT_FALSE(serial.ModemOnline());
  log = ModemLog(4);
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[2].command, "+++");
  EXPECT_EQ(log[3].command, "ATH");
}

TEST_F(ConnExchange, CancellingAfterTheDialHangsUp) {
  StartSerial(true);
  dir.Write("ENVIRON.DAT", Environ("0", 11000));
  dir.Write("CONNECT.DAT", "1,4,0,1,n,0312,\r\n");
  DialogScript s;
  s.Then(2);
  Connect();
  EXPECT_EQ(s.Shown(), std::vector<std::string>{"M5201"});
  EXPECT_FALSE(Comm_IsOpen());
  EXPECT_FALSE(serial.ModemOnline());
  auto log = ModemLog(4);
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[1].command, "ATDP0312");
  EXPECT_EQ(log[3].command, "ATH");
  EXPECT_TRUE(Conn_Frm->isVisible());
  EXPECT_TRUE(Conn_Frm->isEnabled());
  Conn_Frm->Exit_BitBtn->click();
}

class ConnTerminal : public ConnExchange {
 protected:
  void EnterTerminal() {
    StartSerial(true);
    dir.Write("ENVIRON.DAT", Environ("0", 11000));
    dir.Write("CONNECT.DAT", "1,4,2,0,n,,\r\n");
    DialogScript s;
    Connect();
    EXPECT_TRUE(s.Shown().empty());
    ASSERT_TRUE(Conn_Frm->InTerminal());
    EXPECT_EQ(Conn_Frm->windowTitle(), U8("回線接続－ＡＴコマンド入力"));
    EXPECT_TRUE(Conn_Frm->ReceiverRunning());
    EXPECT_FALSE(Conn_Frm->Ct_GrpBox->isVisible());
    EXPECT_FALSE(Conn_Frm->Conn_BitBtn->isVisible());
  }
  QString Memo() const { return Conn_Frm->At_RMem->toPlainText(); }
};

TEST_F(ConnTerminal, TypedDialThenLogInFromOk) {
  EnterTerminal();
  QTest::keyClicks(Conn_Frm->At_RMem, "ATDT0312");
  QTest::keyClick(Conn_Frm->At_RMem, Qt::Key_Return);
  ASSERT_TRUE(Until([&] { return Memo().contains("CONNECT 9600"); }));
  EXPECT_TRUE(serial.ModemOnline());
  EXPECT_TRUE(Memo().startsWith("ATDT0312"));  // typed text stays

  {
    DialogScript s;
    s.Then(1, "4321");
    Conn_Frm->Ok_BitBtn->click();
    EXPECT_EQ(s.Shown(), std::vector<std::string>{"P1201"});
  }
  EXPECT_FALSE(Conn_Frm->ReceiverRunning());
  EXPECT_FALSE(Conn_Frm->InTerminal());
  EXPECT_TRUE(Memo().isEmpty());
  ExpectConnected("回線接続されています。([公衆回線経由],[９６００ｂｐｓ])");
  // Dialled by hand: the modem is not hung up by the program.
  EXPECT_FALSE(ModemConnected);
  Disconnect();
  EXPECT_FALSE(Comm_IsOpen());
  EXPECT_EQ(ModemLog(2).size(), 2u);
}

TEST_F(ConnTerminal, ReceivedLinesAndCancelledPrompt) {
  dir.Write("connect.hlp", "help\r\n");
  EnterTerminal();
  EXPECT_FALSE(Conn_Frm->Help_BitBtn->isVisible());
  serial.PushRaw(std::string("AT\bT\r\nOK\r\n", 9));
  ASSERT_TRUE(Until([&] { return Memo().contains("OK"); }));
  EXPECT_EQ(Memo(), "AT\nOK");

  // A cancelled prompt keeps the terminal, with its receiver started again.
  DialogScript s;
  s.Then(2);
  Conn_Frm->Ok_BitBtn->click();
  EXPECT_EQ(s.Shown(), std::vector<std::string>{"P1201"});
  EXPECT_TRUE(Conn_Frm->InTerminal());
  EXPECT_TRUE(Conn_Frm->isEnabled());
  EXPECT_TRUE(Conn_Frm->ReceiverRunning());
  serial.PushRaw("RING\r\n");
  EXPECT_TRUE(Until([&] { return Memo().endsWith("RING"); }));

  Conn_Frm->Cancel_BitBtn->click();
  EXPECT_FALSE(Conn_Frm->ReceiverRunning());
  EXPECT_FALSE(Comm_IsOpen());
  EXPECT_FALSE(Conn_Frm->InTerminal());
  EXPECT_EQ(Conn_Frm->windowTitle(), U8("回線接続"));
  EXPECT_TRUE(Conn_Frm->Conn_BitBtn->isVisible());
  EXPECT_TRUE(Conn_Frm->Help_BitBtn->isVisible());
  EXPECT_EQ(Conn_Frm->Help_BitBtn->HelpFile, dir.path() + "connect.hlp");
  Conn_Frm->Exit_BitBtn->click();
  EXPECT_TRUE(main->Conn_BitBtn->isEnabled());
}

}  // namespace
