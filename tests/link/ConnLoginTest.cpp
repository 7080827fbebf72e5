#include <gtest/gtest.h>

#include <deque>

#include "link/ConnLogin.h"
#include "link/ConnModem.h"
#include "link/UDP_Unit.h"
#include "link/UserTimerUnit.h"
#include "shell/Global_Unit.h"
#include "tests/link/FakeLinks.h"

namespace {

// The exchange's serial log-in on the far side of the fake line (with a
// modem in front of it when asked).
struct SerialExchange {
  std::string password = "1234";
  bool banner = true;
  bool modem = false;
  std::string dialAnswer = "CONNECT 9600";
  std::string typed;
  std::string operator()(const std::string& w) {
    if (modem && w.size() > 1 && w.back() == '\r') {
      if (w.find("ATD") != std::string::npos) return "\r\n" + dialAnswer + "\r\n";
      return "\r\nOK\r\n";
    }
    if (modem && w == "+++") return "\r\nOK\r\n";
    if (w == "\x03") {
      typed.clear();
      return banner ? std::string(kSerialLoginBanner) : std::string(18, 'x');
    }
    if (w == "\r") return typed == password ? std::string(kSerialLoginAccepted) : std::string("\x88\x91" "ERROR           ", 18);
    typed += w;
    return "";
  }
};

TEST(SerialLogin, SendsThePasswordBytesApartAndChecksBothAnswers) {
  SerialExchange ex;
  FakeSerial p;
  p.respond = [&](const std::string& w) { return ex(w); };
  ASSERT_TRUE(Conn_SerialLogin(p, "1234", 3000));
  EXPECT_EQ(p.rcvTimeOutMs, 3000);
  EXPECT_EQ(p.purges, 1);
  EXPECT_EQ(p.written, std::string("\x03" "1234\r"));
  ASSERT_EQ(p.writes.size(), 6u);
  for (size_t i = 1; i < p.writes.size(); ++i) EXPECT_EQ(p.writes[i].atMs - p.writes[i - 1].atMs, 150) << i;

  ex.password = "9999";
  FakeSerial wrong;
  wrong.respond = [&](const std::string& w) { return ex(w); };
  EXPECT_FALSE(Conn_SerialLogin(wrong, "1234", 3000));

  ex.banner = false;
  FakeSerial noBanner;
  noBanner.respond = [&](const std::string& w) { return ex(w); };
  EXPECT_FALSE(Conn_SerialLogin(noBanner, "1234", 3000));
  EXPECT_EQ(noBanner.written, "\x03");  // no password goes to a stranger

  FakeSerial silent;
  EXPECT_FALSE(Conn_SerialLogin(silent, "1234", 3000));
  EXPECT_EQ(silent.clockMs, 3000);

  FakeSerial broken;
  broken.failWriteNo = 0;
  EXPECT_FALSE(Conn_SerialLogin(broken, "1234", 3000));
}

std::string Reply(uint8_t cmd, std::string payload) { return std::string(1, static_cast<char>(cmd)) + payload; }

TEST(ConnUdpLogin, KeyFromTheSeedAndThePasswordPayload) {
  FakeUdp u;
  u.replies.push_back({0, Reply(0x03, std::string("\x78\x56\x34\x12", 4))});
  u.replies.push_back({0, Reply(0x04, "")});
  ASSERT_EQ(Conn_UdpLogin(u, "pw", 7), 0);
  ASSERT_EQ(u.calls.size(), 2u);
  EXPECT_EQ(u.calls[0].command, 0x01);
  EXPECT_EQ(u.calls[0].payload, "");
  EXPECT_EQ(u.Param(UdpLinkApi::PARAM_KEY), 0x12345678u ^ UDP_LOGIN_MASK);
  EXPECT_EQ(u.Param(UdpLinkApi::PARAM_TIMEOUT), 7);
  EXPECT_EQ(u.Param(UdpLinkApi::PARAM_RETRY), 2);
  EXPECT_EQ(u.calls[1].command, 0x02);
  EXPECT_EQ(u.calls[1].payload, std::string("ORVO_APL\0\0\0\0\0\0\0\0\0\x02pw", 20));
}

TEST(ConnUdpLogin, FailuresAndWhenTheLogOffGoesOut) {
  const std::string logOff("\0\0\0\x41", 4);
  struct Case {
    std::vector<std::pair<int, std::string>> replies;
    int flush;
    int result;
    bool logOffSent;
  };
  std::string seed = Reply(0x03, "abcd");
  for (const Case& c : std::vector<Case>{
           {{}, 1, 1, false},                                     // flush failed
           {{{4, ""}}, 0, 1, true},                               // no answer to 0x01
           {{{1, ""}}, 0, 1, false},                              // link error
           {{{101, ""}}, 0, 1, false},                            // notice at 0x01
           {{{0, Reply(0x03, "abc")}}, 0, 1, true},               // too short for a key
           {{{0, seed}, {101, ""}}, 0, 101, false},               // notice at 0x02
           {{{0, seed}, {1, ""}}, 0, 1, false},                   // link error at 0x02
           {{{0, seed}, {4, ""}}, 0, 1, true},                    // password refused by silence
           {{{0, seed}, {102, ""}}, 0, 1, true}}) {
    FakeUdp u;
    u.flushResult = c.flush;
    for (auto& r : c.replies) u.replies.push_back(r);
    EXPECT_EQ(Conn_UdpLogin(u, "pw", 3), c.result);
    bool sent = !u.calls.empty() && u.calls.back().command == 0x05;
    EXPECT_EQ(sent, c.logOffSent) << c.replies.size() << " " << c.result;
    if (sent) {
      EXPECT_EQ(u.calls.back().payload, logOff);
    }
  }
}

// The form and main window as the flows see them.
struct FakeUi : ConnUi {
  std::vector<int> messages;
  std::deque<int> answers;  // to messages; 1 when none left
  std::deque<std::pair<int, std::string>> prompts;
  std::vector<int> promptNumbers;
  bool enabled = true, hourglass = false, mainHidden = false, closed = false, terminal = false;
  int connectedKind = -1, connectedSpeed = -1;
  // What the link looked like when each message showed.
  std::function<void()> onMessage;

  int Message(int n) override {
    messages.push_back(n);
    if (onMessage) onMessage();
    if (answers.empty()) return 1;
    int a = answers.front();
    answers.pop_front();
    return a;
  }
  int Prompt(int n, std::string& text) override {
    promptNumbers.push_back(n);
    if (prompts.empty()) return 2;
    auto p = prompts.front();
    prompts.pop_front();
    if (p.first == 1) text = p.second;
    return p.first;
  }
  void SetFormEnabled(bool on) override { enabled = on; }
  void SetHourglass(bool on) override { hourglass = on; }
  void SetMainHidden(bool h) override { mainHidden = h; }
  void Connected(int kind, int speed) override {
    connectedKind = kind;
    connectedSpeed = speed;
  }
  void CloseForm() override { closed = true; }
  void EnterTerminal() override { terminal = true; }
  void* TimerOwner() override { return nullptr; }
};

class EthernetFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    UdpOwnPort = 0;
    UdpRemotePort = 11000;
    LinkTimeOutSec = 3;
    EthernetMode = 0;
  }
  // A log-in leaves the Ethernet mode on; the serial tests after it in the
  // same process expect it off.
  void TearDown() override { EthernetMode = 0; }
  FakeUdp u;
  FakeUi ui;
  std::string seed = Reply(0x03, "abcd");
};

TEST_F(EthernetFlow, NoticeThenSuccess) {
  ui.prompts = {{1, "bad"}, {1, "good"}};
  u.replies = {{0, seed}, {101, ""}, {0, seed}, {0, Reply(0x04, "")}};
  ASSERT_EQ(Conn_ConnectEthernet(u, ui, "127.  0.  0.  1"), CONN_FLOW_CONNECTED);
  EXPECT_EQ(u.peerAddress, 0x7F000001u);
  EXPECT_EQ(ui.messages, std::vector<int>{9203});
  EXPECT_EQ(ui.promptNumbers, (std::vector<int>{1202, 1202}));
  EXPECT_EQ(LoginPassword, "good");
  EXPECT_EQ(EthernetMode.load(), 1);
  EXPECT_EQ(u.Param(UdpLinkApi::PARAM_ABORT), 0);
  EXPECT_EQ(ui.connectedKind, CONN_ETHERNET);
  EXPECT_TRUE(ui.closed);
  EXPECT_TRUE(ui.enabled);
  EXPECT_FALSE(ui.hourglass);
  EXPECT_FALSE(ui.mainHidden);
  EXPECT_EQ(u.mainFormSet, 1);
  EXPECT_EQ(u.closes, 0);
  // A started timer served the log-in and was dropped at the end.
  ASSERT_EQ(u.timersSet.size(), 2u);
  EXPECT_NE(u.timersSet[0], nullptr);
  EXPECT_EQ(u.timer, nullptr);
}

TEST_F(EthernetFlow, FailedLogInClosesTheLinkAndFreesTheForm) {
  ui.prompts = {{1, "x"}};
  u.replies = {{0, seed}, {4, ""}};
  EXPECT_EQ(Conn_ConnectEthernet(u, ui, "10.0.0.1"), CONN_FLOW_STOPPED);
  EXPECT_EQ(ui.messages, std::vector<int>{9202});
  EXPECT_EQ(u.closes, 1);
  EXPECT_TRUE(ui.enabled);
  EXPECT_FALSE(ui.hourglass);
  EXPECT_EQ(u.mainFormSet, 0);
  EXPECT_EQ(u.timer, nullptr);
  EXPECT_FALSE(ui.closed);
}

TEST_F(EthernetFlow, RefusalsBeforeTheLogIn) {
  EXPECT_EQ(Conn_ConnectEthernet(u, ui, "230.  1.  1.  1"), CONN_FLOW_STOPPED);
  EXPECT_EQ(ui.messages, std::vector<int>{9088});
  EXPECT_EQ(u.closes, 0);
  EXPECT_TRUE(ui.promptNumbers.empty());

  ui.messages.clear();
  u.initResult = 103;  // someone else's link stays open
  EXPECT_EQ(Conn_ConnectEthernet(u, ui, "10.0.0.1"), CONN_FLOW_STOPPED);
  EXPECT_EQ(ui.messages, std::vector<int>{9087});
  EXPECT_EQ(u.closes, 0);

  ui.messages.clear();
  u.initResult = 1;
  EXPECT_EQ(Conn_ConnectEthernet(u, ui, "10.0.0.1"), CONN_FLOW_STOPPED);
  EXPECT_EQ(ui.messages, std::vector<int>{9087});
  EXPECT_EQ(u.closes, 1);

  // Cancelling the password prompt closes the link.
  u.initResult = 0;
  ui.messages.clear();
  EXPECT_EQ(Conn_ConnectEthernet(u, ui, "10.0.0.1"), CONN_FLOW_STOPPED);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(u.closes, 2);
  EXPECT_TRUE(ui.enabled);
  EXPECT_TRUE(u.calls.empty());
}

class SerialFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    serial.commPortName = "COM3";
    serial.rcvTimeOutMs = 1000;
    modem.initCmd = "ATZ";
    modem.dialCmd = {"ATD", ""};
    modem.hangUpCmd = {"+++", "ATH"};
    modem.initTimeOutMs = modem.dialTimeOutMs = modem.hangUpTimeOutMs = 1000;
    choice.speed = 4;
    port.respond = [this](const std::string& w) { return ex(w); };
    EthernetMode = 1;
  }
  SerialExchange ex;
  FakeSerial port;
  FakeUi ui;
  ConnChoice choice;
  SerialSettings serial;
  ModemSettings modem;
};

TEST_F(SerialFlow, DirectCableRetriesTheWrongPassword) {
  choice.kind = CONN_DIRECT;
  ui.prompts = {{1, "0000"}, {1, "1234"}};
  ASSERT_EQ(Conn_ConnectSerial(port, ui, choice, serial, modem), CONN_FLOW_CONNECTED);
  EXPECT_EQ(EthernetMode.load(), 0);
  EXPECT_EQ(port.openedName, "COM3");
  EXPECT_EQ(port.setupBps, 9600);
  EXPECT_EQ(ui.messages, std::vector<int>{9201});
  EXPECT_EQ(ui.promptNumbers, (std::vector<int>{1201, 1201}));
  EXPECT_EQ(ui.connectedKind, CONN_DIRECT);
  EXPECT_EQ(ui.connectedSpeed, 4);
  EXPECT_TRUE(ui.closed);
  EXPECT_TRUE(port.open);
  EXPECT_EQ(port.written.find("AT"), std::string::npos);  // no modem traffic
}

TEST_F(SerialFlow, CancellingAfterADirectConnectionClosesWithoutHangUp) {
  choice.kind = CONN_DIRECT;
  ASSERT_EQ(Conn_ConnectSerial(port, ui, choice, serial, modem), CONN_FLOW_STOPPED);
  EXPECT_EQ(port.closes, 1);
  EXPECT_TRUE(port.writes.empty());
  EXPECT_TRUE(ui.enabled);

  // With the port already open nothing happens.
  port.open = true;
  ui.promptNumbers.clear();
  EXPECT_EQ(Conn_ConnectSerial(port, ui, choice, serial, modem), CONN_FLOW_STOPPED);
  EXPECT_TRUE(ui.promptNumbers.empty());
}

TEST_F(SerialFlow, PortFailures) {
  port.openResult = 1;
  EXPECT_EQ(Conn_ConnectSerial(port, ui, choice, serial, modem), CONN_FLOW_STOPPED);
  EXPECT_EQ(ui.messages, std::vector<int>{9081});
  EXPECT_EQ(port.closes, 0);
  port.openResult = 0;
  port.setupResult = 1;
  ui.messages.clear();
  EXPECT_EQ(Conn_ConnectSerial(port, ui, choice, serial, modem), CONN_FLOW_STOPPED);
  EXPECT_EQ(ui.messages, std::vector<int>{9082});
  EXPECT_EQ(port.closes, 1);
}

TEST_F(SerialFlow, AutomaticDialThenLogIn) {
  ex.modem = true;
  choice.kind = CONN_PUBLIC;
  choice.procedure = CONN_AUTO_DIAL;
  choice.prefix = 1;
  choice.number = "0312";
  ui.prompts = {{1, "1234"}};
  // While the modem answers, it must be the modem that takes the commands.
  port.respond = [this](const std::string& w) {
    if (w == "\x03") ex.modem = false;
    return ex(w);
  };
  ModemConnected = false;
  ASSERT_EQ(Conn_ConnectSerial(port, ui, choice, serial, modem), CONN_FLOW_CONNECTED);
  EXPECT_EQ(port.writes[0].bytes, "ATZ\r");
  EXPECT_EQ(port.writes[1].bytes, "ATDT0,0312\r");
  EXPECT_EQ(port.writes[1].atMs - port.writes[0].atMs, 500);  // the wait before dialling
  EXPECT_EQ(ui.messages, std::vector<int>{5201});
  EXPECT_TRUE(ModemConnected);
  EXPECT_EQ(ui.connectedKind, CONN_PUBLIC);
}

TEST_F(SerialFlow, CancellingAfterTheDialHangsUp) {
  ex.modem = true;
  choice.kind = CONN_PUBLIC;
  choice.procedure = CONN_AUTO_DIAL;
  ui.answers = {2};
  EXPECT_EQ(Conn_ConnectSerial(port, ui, choice, serial, modem), CONN_FLOW_STOPPED);
  EXPECT_EQ(port.writes.back().bytes, "ATH\r");
  EXPECT_FALSE(ModemConnected);
  EXPECT_EQ(port.closes, 1);

  // Cancelling the password prompt after the dial hangs up too.
  FakeSerial p2;
  p2.respond = [this](const std::string& w) { return ex(w); };
  FakeUi ui2;
  EXPECT_EQ(Conn_ConnectSerial(p2, ui2, choice, serial, modem), CONN_FLOW_STOPPED);
  EXPECT_EQ(ui2.promptNumbers, std::vector<int>{1201});
  EXPECT_EQ(p2.writes.back().bytes, "ATH\r");
  EXPECT_TRUE(ui2.enabled);
}

TEST_F(SerialFlow, ModemFailuresLeaveTheFormUsable) {
  choice.kind = CONN_PUBLIC;
  choice.procedure = CONN_AUTO_DIAL;
  // A silent modem: the initialisation fails.
  EXPECT_EQ(Conn_ConnectSerial(port, ui, choice, serial, modem), CONN_FLOW_STOPPED);
  EXPECT_EQ(ui.messages, std::vector<int>{9083});
  EXPECT_TRUE(ui.enabled);
  EXPECT_FALSE(ui.hourglass);
  EXPECT_FALSE(ui.mainHidden);
  EXPECT_EQ(port.closes, 1);

  ex.modem = true;
  ex.dialAnswer = "BUSY";
  ui.messages.clear();
  EXPECT_EQ(Conn_ConnectSerial(port, ui, choice, serial, modem), CONN_FLOW_STOPPED);
  EXPECT_EQ(ui.messages, std::vector<int>{9084});
  EXPECT_TRUE(ui.enabled);
  EXPECT_FALSE(ModemConnected);
}

TEST_F(SerialFlow, ManualDiallingAndTheTerminal) {
  ex.modem = true;
  choice.kind = CONN_PUBLIC;
  choice.procedure = CONN_MANUAL_DIAL;
  ui.answers = {2};
  EXPECT_EQ(Conn_ConnectSerial(port, ui, choice, serial, modem), CONN_FLOW_STOPPED);
  EXPECT_EQ(ui.messages, std::vector<int>{5202});
  EXPECT_EQ(port.writes.size(), 1u);  // only the initialisation
  EXPECT_EQ(port.closes, 1);

  choice.procedure = CONN_AT_COMMANDS;
  ui.messages.clear();
  EXPECT_EQ(Conn_ConnectSerial(port, ui, choice, serial, modem), CONN_FLOW_TERMINAL);
  EXPECT_TRUE(ui.terminal);
  EXPECT_TRUE(ui.enabled);
  EXPECT_TRUE(port.open);
  EXPECT_TRUE(ui.promptNumbers.empty());
}

}  // namespace
