// The log-ins and the modem dialogue on the real links against the fake
// exchange: UDP on loopback, the serial port on a pseudo-terminal with the
// fake's modem in front, pauses and time-outs shortened.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "link/Comm_Unit.h"
#include "link/ConnLogin.h"
#include "link/ConnModem.h"
#include "link/ConnRealLinks.h"
#include "shell/Global_Unit.h"
#include "tests/exchange/FakeSerial.h"
#include "tests/link/UdpTestSupport.h"
#include "tests/support/TempDir.h"

namespace {

using Clock = std::chrono::steady_clock;
using udptest::kLoopback;

long MsBetween(Clock::time_point a, Clock::time_point b) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(b - a).count());
}

template <typename F>
long Timed(F f) {
  auto t0 = Clock::now();
  f();
  return MsBetween(t0, Clock::now());
}

// ---- UDP ----

class UdpWire : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeUdpConfig c;
    c.password = "PW12";
    fake = std::make_unique<FakeUdpExchange>(c);
    std::string err;
    ASSERT_TRUE(fake->Start(&err)) << err;
    udp.SetMainFormSource([]() -> void* { return &sink; }, &udptest::NoticeSink::Post);
    ASSERT_EQ(udp.Init(0, kLoopback, fake->Port()), LINK_OK);
    timer.Start();
    udp.SetTimer(&timer);
  }
  void TearDown() override {
    udp.Close();
    udp.SetTimer(nullptr);
    sink.count = 0;
  }
  int LogIn(const std::string& pw) {
    // Time-out 0: each attempt of a silent exchange ends at the next tick.
    udptest::Ticker ticks(timer, 5);
    return Conn_UdpLogin(udp, pw, 0);
  }
  static inline udptest::NoticeSink sink;
  std::unique_ptr<FakeUdpExchange> fake;
  UdpRealLink udp;
  UserTimer timer;
};

TEST_F(UdpWire, RightPasswordGivesTheKeyOfTheSession) {
  ASSERT_EQ(LogIn("PW12"), LINK_OK);
  EXPECT_TRUE(fake->LoggedIn());
  EXPECT_EQ(UdpLinkState.key.load(), fake->Key());
  // A scrambled command after the log-in is understood and answered.
  udptest::Ticker ticks(timer, 5);
  udp.SetParam(UdpLinkApi::PARAM_TIMEOUT, 1);
  udp.SetParam(UdpLinkApi::PARAM_RETRY, 0);
  std::string reply;
  ASSERT_EQ(udp.Transact(UDP_CMD_LOAD_SESSION, {}, reply), LINK_OK);
  EXPECT_EQ(reply, std::string("\x80", 1));
  // Registered only now, the main form gets the exchange's notice.
  udp.SetMainForm();
  ASSERT_TRUE(fake->SendNotice());
  for (int i = 0; i < 200 && sink.count == 0; ++i) {
    udp.Flush();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(sink.count.load(), 1);
  EXPECT_EQ(sink.lastMsg.load(), UDP_DISCONNECT_USER_MSG);
}

TEST_F(UdpWire, WrongPasswordUnansweredLogsOffWithReason65) {
  EXPECT_EQ(LogIn("PW13"), LINK_IO_ERROR);
  EXPECT_FALSE(fake->LoggedIn());
  ASSERT_TRUE(fake->WaitReceived(1, 1000));
  EXPECT_EQ(fake->CountOf(UDP_CMD_LOGIN), 3);  // two retries
  ASSERT_EQ(fake->CountOf(UDP_CMD_LOGOFF), 1);
  auto got = fake->Received();
  EXPECT_EQ(got.back().cmd, UDP_CMD_LOGOFF);
  EXPECT_EQ(got.back().payload, std::string("\0\0\0\x41", 4));
  EXPECT_EQ(sink.count.load(), 0);
}

TEST_F(UdpWire, WrongPasswordNoticedLeavesTheLinkOpenForTheNextTry) {
  fake->SetNoticeOnWrongPassword(true);
  EXPECT_EQ(LogIn("nope"), LINK_DISCONNECTED);
  EXPECT_EQ(fake->CountOf(UDP_CMD_LOGOFF), 0);
  ASSERT_NE(UdpLinkState.socket.load(), -1);
  EXPECT_EQ(LogIn("PW12"), LINK_OK);
  EXPECT_TRUE(fake->LoggedIn());
}

TEST_F(UdpWire, SilentExchangeTimesOutAndLogsOff) {
  FakeUdpFaults f;
  f.drop = 1000;
  fake->SetFaults(f);
  long ms = Timed([&] { EXPECT_EQ(LogIn("PW12"), LINK_IO_ERROR); });
  EXPECT_EQ(fake->CountOf(UDP_CMD_LOGIN_REQUEST), 3);
  EXPECT_EQ(fake->CountOf(UDP_CMD_LOGIN), 0);
  // The retries are spent: the log-off goes out once.
  EXPECT_EQ(fake->CountOf(UDP_CMD_LOGOFF), 1);
  EXPECT_LT(ms, 2000);
}

// ---- Serial line ----

constexpr int kPauseDivisor = 10;

class SerialWire : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string err;
    ASSERT_TRUE(fake.Start(&err)) << err;
    ASSERT_TRUE(fake.LinkPort(dir.path(), 2, &err)) << err;
    fake.SetReplyWaitMs(2000);
    core->SetPassword("4321");
    ProgramDir = dir.path();
    EthernetMode = 0;
    port.SetPauseDivisor(kPauseDivisor);
    ASSERT_EQ(port.Open("COM2"), 0);
    ASSERT_EQ(port.Setup(9600), 0);
    modem.initCmd = "ATZ";
    modem.dialCmd = {"ATD", ""};
    modem.hangUpCmd = {"+++", "ATH"};
    modem.initTimeOutMs = modem.dialTimeOutMs = modem.hangUpTimeOutMs = 200;
  }
  void TearDown() override {
    port.Close();
    fake.Stop();
    ModemConnected = false;
    ProgramDir.clear();
  }
  void WithModem(FakeModem::Dial dial = FakeModem::Dial::Connect, bool mute = false) {
    FakeModem m;
    m.on = true;
    m.dial = dial;
    m.mute = mute;
    fake.SetModem(m);
  }
  bool Dial() { return Conn_Dial(port, modem, "T0,0312"); }
  // The modem's log once it holds n commands: the fake writes each answer
  // before it logs it, so the caller may have read the answer first.
  std::vector<FakeModemEvent> ModemLog(size_t n) {
    EXPECT_TRUE(fake.WaitModemCommands(n, 5000)) << n;
    return fake.ModemLog();
  }

  TempDir dir;
  std::shared_ptr<FakeCore> core = std::make_shared<FakeCore>();
  FakeSerialExchange fake{core};
  CommSerialLink port;
  ModemSettings modem;
};

TEST_F(SerialWire, LogInWithTheRightPasswordPacesItsBytes) {
  long ms = Timed([&] { EXPECT_TRUE(Conn_SerialLogin(port, "4321", 500)); });
  EXPECT_EQ(fake.Received(), "\x03" "4321\r");
  // A pause after the banner and after each of the four bytes.
  EXPECT_GE(ms, 5 * kSerialLoginPauseMs / kPauseDivisor);
}

TEST_F(SerialWire, WrongPasswordTimesOutAndTheNextTryGetsIn) {
  long ms = Timed([&] { EXPECT_FALSE(Conn_SerialLogin(port, "1234", 200)); });
  EXPECT_GE(ms, 200);
  EXPECT_LT(ms, 1500);
  EXPECT_TRUE(Conn_SerialLogin(port, "4321", 500));
}

TEST_F(SerialWire, SilentExchangeFailsTheLogInAfterOneTimeOut) {
  SerialFaults f;
  f.silent = true;
  fake.SetFaults(f);
  long ms = Timed([&] { EXPECT_FALSE(Conn_SerialLogin(port, "4321", 200)); });
  EXPECT_GE(ms, 200);
  EXPECT_LT(ms, 1000);
  EXPECT_TRUE(fake.WaitIdle(1000));
  EXPECT_EQ(fake.Received(), "\x03");  // nothing typed without the banner
}

TEST_F(SerialWire, ModemInitialisationAnswers) {
  WithModem();
  EXPECT_TRUE(Conn_ModemInit(port, modem));
  modem.initCmd = "XYZ";  // no AT command: "ERROR"
  EXPECT_FALSE(Conn_ModemInit(port, modem));
  auto log = ModemLog(2);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].command, "ATZ");
  EXPECT_EQ(log[0].answer, "OK");
  EXPECT_EQ(log[1].answer, "ERROR");

  WithModem(FakeModem::Dial::Connect, true);
  modem.initCmd = "ATZ";
  long ms = Timed([&] { EXPECT_FALSE(Conn_ModemInit(port, modem)); });
  EXPECT_GE(ms, modem.initTimeOutMs);
  EXPECT_LT(ms, modem.initTimeOutMs + 500);

  fake.ClearReceived();
  modem.initCmd.clear();
  EXPECT_TRUE(Conn_ModemInit(port, modem));
  EXPECT_TRUE(fake.WaitIdle(1000));
  EXPECT_EQ(fake.Received(), "");
}

TEST_F(SerialWire, EveryDialAnswer) {
  struct Case {
    FakeModem::Dial dial;
    bool connected;
  };
  for (Case c : {Case{FakeModem::Dial::Busy, false}, Case{FakeModem::Dial::NoCarrier, false},
                 Case{FakeModem::Dial::Error, false}, Case{FakeModem::Dial::NoAnswer, false},
                 Case{FakeModem::Dial::Connect, true}}) {
    WithModem(c.dial);
    EXPECT_EQ(Dial(), c.connected) << static_cast<int>(c.dial);
  }
  EXPECT_TRUE(fake.ModemOnline());
  auto log = ModemLog(5);
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[0].command, "ATDT0,0312");
  EXPECT_EQ(log[0].answer, "BUSY");
  EXPECT_EQ(log[3].answer, "NO ANSWER");
  EXPECT_EQ(log[4].answer, "CONNECT 9600");
  // The exchange has the line now.
  EXPECT_TRUE(Conn_SerialLogin(port, "4321", 500));
}

TEST_F(SerialWire, SilentDialWaitsOneTimeOutAndFails) {
  WithModem(FakeModem::Dial::Silent);
  long ms = Timed([&] { EXPECT_FALSE(Dial()); });
  EXPECT_GE(ms, modem.dialTimeOutMs + kModemCommandPauseMs / kPauseDivisor);
  EXPECT_LT(ms, modem.dialTimeOutMs + 500);
}

TEST_F(SerialWire, CommandBeforeTheDialCommand) {
  WithModem();
  modem.dialCmd = {"ATX3", "atd"};
  EXPECT_TRUE(Dial());
  auto log = ModemLog(2);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].command, "ATX3");
  EXPECT_EQ(log[1].command, "atdT0,0312");
  // The pause after the first command's "OK" comes before the dial.
  EXPECT_GE(MsBetween(log[0].answeredAt, log[1].at), kModemCommandPauseMs / kPauseDivisor);
}

TEST_F(SerialWire, HangUpEscapesWaitsThenHangsUp) {
  WithModem();
  ASSERT_TRUE(Dial());
  ModemConnected = true;
  // Pauses long enough, and a time-out far longer, that one pause, two
  // pauses and a time-out waited out stay apart on a slow machine.
  constexpr int kSlowDivisor = 2;
  port.SetPauseDivisor(kSlowDivisor);
  modem.hangUpTimeOutMs = 10000;
  long ms = Timed([&] { EXPECT_TRUE(Conn_HangUp(port, modem)); });
  EXPECT_FALSE(ModemConnected);
  EXPECT_FALSE(fake.ModemOnline());
  auto log = ModemLog(3);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[1].command, "+++");
  EXPECT_EQ(log[1].answer, "OK");
  EXPECT_EQ(log[2].command, "ATH");
  EXPECT_EQ(log[2].answer, "OK");
  const long escape = kModemEscapePauseMs / kSlowDivisor;
  const long after = kModemCommandPauseMs / kSlowDivisor;
  long gap = MsBetween(log[1].answeredAt, log[2].at);
  EXPECT_GE(gap, escape);
  EXPECT_LT(gap, 2 * escape - 100);
  EXPECT_GE(ms, escape + after);
  EXPECT_LT(ms, escape + after + modem.hangUpTimeOutMs / 2);
  // Not connected any more: nothing goes out.
  fake.ClearReceived();
  EXPECT_TRUE(Conn_HangUp(port, modem));
  EXPECT_TRUE(fake.WaitIdle(1000));
  EXPECT_EQ(fake.Received(), "");
}

TEST_F(SerialWire, HangUpOnAModemThatNeverAnswers) {
  WithModem();
  ASSERT_TRUE(Dial());
  WithModem(FakeModem::Dial::Connect, true);
  ModemConnected = true;
  // A time-out long enough that two and three of them stay apart on a slow
  // machine.
  modem.hangUpTimeOutMs = 1000;
  long ms = Timed([&] { EXPECT_TRUE(Conn_HangUp(port, modem)); });
  EXPECT_GE(ms, 2 * modem.hangUpTimeOutMs);
  EXPECT_LT(ms, 3 * modem.hangUpTimeOutMs - 100);
  auto log = ModemLog(3);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[2].command, "ATH");
  long gap = MsBetween(log[1].at, log[2].at);
  EXPECT_GE(gap, modem.hangUpTimeOutMs - 20);
  EXPECT_LT(gap, 2 * modem.hangUpTimeOutMs - 100);
}

TEST_F(SerialWire, ReadKeepsEveryByteAndTheWholeReadTimeOut) {
  port.SetRcvTimeOut(300);
  fake.PushRaw(std::string("A\0B", 3));
  std::string got;
  EXPECT_EQ(port.ReadBytes(3, got), LINK_OK);
  EXPECT_EQ(got, std::string("A\0B", 3));
  fake.PushRaw("xy");
  long ms = Timed([&] { EXPECT_EQ(port.ReadBytes(18, got), LINK_TIMEOUT); });
  EXPECT_EQ(got, "xy");
  EXPECT_GE(ms, 300);
  EXPECT_LT(ms, 600);  // one time-out for the whole count, not one per byte
}

}  // namespace
