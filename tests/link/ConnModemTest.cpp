#include <gtest/gtest.h>

#include "link/ConnModem.h"
#include "tests/link/FakeLinks.h"

namespace {

// A modem behind the fake line: echoes each command, answers "OK", and a
// dial command with dialAnswer (nothing when silent).
struct Modem {
  std::string dialAnswer = "CONNECT 9600";
  std::string answer = "OK";
  bool silent = false;
  std::string operator()(const std::string& w) const {
    if (silent) return "";
    if (w == "+++") return "\r\nOK\r\n";
    std::string cmd = w.substr(0, w.size() - 1);
    std::string u = cmd;
    for (char& c : u) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    std::string reply = cmd + "\r";
    if (u.find("ATD") != std::string::npos) return reply + "\r\n" + dialAnswer + "\r\n";
    return reply + "\r\n" + answer + "\r\n";
  }
};

ModemSettings Settings() {
  ModemSettings m;
  m.initCmd = "ATZ";
  m.dialCmd = {"ATD", ""};
  m.hangUpCmd = {"+++", "ATH"};
  m.initTimeOutMs = 1000;
  m.dialTimeOutMs = 2000;
  m.hangUpTimeOutMs = 3000;
  return m;
}

std::vector<std::string> Writes(const FakeSerial& p) {
  std::vector<std::string> w;
  for (auto& x : p.writes) w.push_back(x.bytes);
  return w;
}

TEST(ModemInit, EmptyCommandSucceedsWithoutTraffic) {
  FakeSerial p;
  ModemSettings m = Settings();
  m.initCmd.clear();
  EXPECT_TRUE(Conn_ModemInit(p, m));
  EXPECT_TRUE(p.writes.empty());
  EXPECT_EQ(p.purges, 0);
}

TEST(ModemInit, WaitsForOkAndFailsOnErrorSilenceOrPortFailure) {
  FakeSerial p;
  p.respond = Modem();
  ASSERT_TRUE(Conn_ModemInit(p, Settings()));
  EXPECT_EQ(Writes(p), std::vector<std::string>{"ATZ\r"});
  EXPECT_EQ(p.purges, 1);
  EXPECT_EQ(p.rcvTimeOutMs, 1000);

  Modem err;
  err.answer = "ERROR";
  FakeSerial e;
  e.respond = err;
  EXPECT_FALSE(Conn_ModemInit(e, Settings()));

  Modem quiet;
  quiet.silent = true;
  FakeSerial q;
  q.respond = quiet;
  EXPECT_FALSE(Conn_ModemInit(q, Settings()));
  EXPECT_EQ(q.clockMs, 1000);

  FakeSerial w;
  w.respond = Modem();
  w.failWriteNo = 0;
  EXPECT_FALSE(Conn_ModemInit(w, Settings()));
  FakeSerial r;
  r.respond = Modem();
  r.failReads = true;
  EXPECT_FALSE(Conn_ModemInit(r, Settings()));
}

TEST(ModemDial, CommandThenDialCommandEachWithItsAnswer) {
  FakeSerial p;
  p.respond = Modem();
  ModemSettings m = Settings();
  m.dialCmd = {"ATX3", "atd"};
  ASSERT_TRUE(Conn_Dial(p, m, "T0,0312"));
  EXPECT_EQ(Writes(p), (std::vector<std::string>{"ATX3\r", "atdT0,0312\r"}));
  EXPECT_EQ(p.pausesMs, (std::vector<int>{500, 500}));
  EXPECT_EQ(p.rcvTimeOutMs, 2000);
  EXPECT_EQ(p.clockMs, 1000);  // no time-out was waited
}

TEST(ModemDial, EveryRefusalFailsAndOnlyConnectSucceeds) {
  for (const char* a : {"ERROR", "BUSY", "NO DIALTONE", "NO ANSER", "NO ANSWER", "NO CARRIER"}) {
    Modem md;
    md.dialAnswer = a;
    FakeSerial p;
    p.respond = md;
    EXPECT_FALSE(Conn_Dial(p, Settings(), "T1")) << a;
    EXPECT_TRUE(p.pausesMs.empty()) << a;
  }
  Modem lower;
  lower.dialAnswer = "connect 2400";
  FakeSerial ok;
  ok.respond = lower;
  EXPECT_TRUE(Conn_Dial(ok, Settings(), "T1"));
}

TEST(ModemDial, UnknownAnswersAreDroppedUntilTheTimeOut) {
  Modem md;
  md.dialAnswer = "LINE REFUSED";
  FakeSerial p;
  p.respond = md;
  EXPECT_FALSE(Conn_Dial(p, Settings(), "T1"));
  EXPECT_EQ(p.clockMs, 2000 + 500);
}

TEST(ModemDial, EmptyCommandsAndAnswersAfterTheDial) {
  // An empty first command is skipped; an empty second one ends the loop.
  FakeSerial p;
  p.respond = Modem();
  ModemSettings m = Settings();
  m.dialCmd = {"", "ATD"};
  ASSERT_TRUE(Conn_Dial(p, m, "P5"));
  EXPECT_EQ(Writes(p), std::vector<std::string>{"ATDP5\r"});

  // After the dial, an "OK" is no dial answer: the second command waits its
  // time-out, without failing.
  FakeSerial q;
  q.respond = Modem();
  m.dialCmd = {"ATD", "ATS0=0"};
  ASSERT_TRUE(Conn_Dial(q, m, "T1"));
  EXPECT_EQ(q.clockMs, 500 + 2000 + 500);

  FakeSerial w;
  w.respond = Modem();
  w.failWriteNo = 0;
  EXPECT_FALSE(Conn_Dial(w, Settings(), "T1"));
  FakeSerial r;
  r.respond = Modem();
  r.failReads = true;
  EXPECT_FALSE(Conn_Dial(r, Settings(), "T1"));
}

TEST(ModemHangUp, OnlyWhenConnectedAndWithTheEscapePause) {
  FakeSerial idle;
  idle.respond = Modem();
  ModemConnected = false;
  EXPECT_TRUE(Conn_HangUp(idle, Settings()));
  EXPECT_TRUE(idle.writes.empty());

  FakeSerial p;
  p.respond = Modem();
  ModemConnected = true;
  ASSERT_TRUE(Conn_HangUp(p, Settings()));
  EXPECT_FALSE(ModemConnected);
  EXPECT_EQ(Writes(p), (std::vector<std::string>{"+++", "ATH\r"}));
  EXPECT_EQ(p.writes[1].atMs - p.writes[0].atMs, 1500);
  EXPECT_EQ(p.pausesMs, (std::vector<int>{1500, 500}));
  EXPECT_EQ(p.purges, 1);
  EXPECT_EQ(p.rcvTimeOutMs, 3000);
}

TEST(ModemHangUp, SilenceGoesOnAndPortFailuresStop) {
  Modem quiet;
  quiet.silent = true;
  FakeSerial p;
  p.respond = quiet;
  ModemConnected = true;
  EXPECT_TRUE(Conn_HangUp(p, Settings()));
  EXPECT_EQ(p.writes.size(), 2u);
  EXPECT_EQ(p.clockMs, 2 * 3000);

  FakeSerial w;
  w.respond = Modem();
  w.failWriteNo = 1;
  ModemConnected = true;
  EXPECT_FALSE(Conn_HangUp(w, Settings()));
  FakeSerial r;
  r.respond = Modem();
  r.failReads = true;
  ModemConnected = true;
  EXPECT_FALSE(Conn_HangUp(r, Settings()));
  EXPECT_EQ(r.writes.size(), 1u);

  // "+++ " is no escape: it goes out with CR.
  ModemSettings m = Settings();
  m.hangUpCmd = {"+++ ", ""};
  FakeSerial c;
  ModemConnected = true;
  EXPECT_TRUE(Conn_HangUp(c, m));
  EXPECT_EQ(Writes(c), std::vector<std::string>{"+++ \r"});
}

TEST(TermLines, BackspaceAndLineEnds) {
  TermLineCollector t;
  std::vector<std::string> lines;
  auto add = [&](const std::string& l) { lines.push_back(l); };
  t.Feed("AT\bT\r\n", add);
  EXPECT_EQ(lines, std::vector<std::string>{"AT"});
  t.Feed("\bOK", add);  // a backspace on an empty line is kept
  t.Feed("\n", add);
  EXPECT_EQ(lines.back(), "\bOK");
  t.Feed("x\x82\xA0\b", add);  // removes the whole double-byte character
  EXPECT_EQ(t.Pending(), "x");
  EXPECT_EQ(lines.size(), 2u);
}

}  // namespace
