// Telephone sessions against the fake exchange, over a pseudo-terminal and
// over UDP on loopback: start, refusals, keys, display lines, dumps to a
// file, aborts, the end of the mode, a lost line and hostile frames.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "link/Comm_Unit.h"
#include "link/UDP_Unit.h"
#include "phone/TelStream.h"
#include "phone/Tel_Session.h"
#include "shell/Asc_Kan.h"
#include "shell/Global_Unit.h"
#include "tests/exchange/FakeTelephone.h"
#include "tests/link/CommFixture.h"
#include "tests/link/UdpTestSupport.h"

namespace {

// The form's side of a session without a form: the lines and messages are
// recorded, the dump goes to a real file, the abort code to the link.
class Sink : public TelStreamOutputs {
 public:
  explicit Sink(TelSessionState& s) : s_(s) {
    s.post = [this](int m) {
      std::lock_guard<std::mutex> g(mu_);
      posted_.push_back(m);
      cv_.notify_all();
    };
  }
  void ShowLine(int line, const std::string& text) override { Add("show " + std::to_string(line) + " " + text); }
  void ClearLine(int line) override { Add("clear " + std::to_string(line)); }
  void ShowDumpLine(const std::string& text, int) override { Add("dump " + text); }
  void Beep() override {}
  void Pause(int) override {}
  bool DumpOpen() override { return file_.Open(s_.DumpPath()); }
  bool DumpWrite(uint8_t b) override { return file_.Write(b); }
  bool DumpClose() override { return file_.Close(); }
  TelPrintCanvas* Printer() override { return nullptr; }
  void SendAbort() override { Tel_ComSend(s_, TEL_CODE_ABORT_DUMP); }

  bool WaitFor(const std::string& entry, int ms = 3000) {
    std::unique_lock<std::mutex> g(mu_);
    return cv_.wait_for(g, std::chrono::milliseconds(ms), [&] {
      for (const auto& l : log_)
        if (l == entry) return true;
      return false;
    });
  }
  bool WaitPosted(int msg, int ms = 3000) {
    std::unique_lock<std::mutex> g(mu_);
    return cv_.wait_for(g, std::chrono::milliseconds(ms), [&] {
      for (int m : posted_)
        if (m == msg) return true;
      return false;
    });
  }
  std::vector<int> Posted() {
    std::lock_guard<std::mutex> g(mu_);
    return posted_;
  }

 private:
  void Add(std::string e) {
    std::lock_guard<std::mutex> g(mu_);
    log_.push_back(std::move(e));
    cv_.notify_all();
  }
  TelSessionState& s_;
  TelDumpFile file_;
  std::mutex mu_;
  std::condition_variable cv_;
  std::vector<std::string> log_;
  std::vector<int> posted_;
};

std::string Shown(int line, const std::string& ascii16) {
  std::string t = ascii16;
  t.resize(16, ' ');
  return "show " + std::to_string(line) + " " + FullWidth_Convert(t);
}

template <typename P>
bool WaitUntil(P p, int ms = 3000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!p()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

std::string ReadAll(const std::string& path) {
  std::string s;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return s;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  std::fclose(f);
  return s;
}

std::string Body(const std::string& dump) { return dump.substr(1, dump.size() - 2); }

class SerialTel : public CommLine {
 protected:
  void SetUp() override {
    CommLine::SetUp();
    Tel_SetTiming({1, 20, 10});
    s.ethernet = false;
    s.rcvTimeOutMs = kRcvMs;
    s.SetDumpPath(dir.path() + "serial.Dmp");
  }
  void TearDown() override {
    Tel_SetTiming({});
    CommLine::TearDown();
  }
  FakeTelephone tel{fake};
  TelSessionState s;
  Sink sink{s};
  TelDisplayStream stream{s, sink};
};

}  // namespace

TEST_F(SerialTel, SessionEndToEnd) {
  ASSERT_TRUE(Tel_StartSerial(s));
  EXPECT_FALSE(s.TelStartFailed);
  TCommWatch watch(s, stream);
  EXPECT_TRUE(sink.WaitFor(Shown(1, "FAKE EXCHANGE")));
  EXPECT_TRUE(sink.WaitFor(Shown(2, "TEL MODE")));

  for (uint8_t k : {uint8_t{'1'}, uint8_t{TEL_KEY_HOOK}, uint8_t{TEL_KEY_SYS1 + 9}}) EXPECT_TRUE(Tel_ComSend(s, k));
  ASSERT_TRUE(tel.WaitKeys(3, 3000));
  EXPECT_EQ(tel.Keys(), B({'1', 0x08, 0x9A}));
  EXPECT_TRUE(sink.WaitFor(Shown(7, "KEY 9A")));

  // A dump on demand (FF12) lands in the file byte for byte.
  EXPECT_TRUE(Tel_ComSend(s, 'l'));
  EXPECT_TRUE(sink.WaitFor("dump DUMP LINE 0003"));
  EXPECT_TRUE(WaitUntil([&] { return s.TelRecvState == 0 && s.TelDumpOutput == 0; }));
  EXPECT_EQ(ReadAll(dir.path() + "serial.Dmp"), Body(FakeTelephone::SampleDump()));

  // A dump file that cannot be opened: "9009", 0x8E, and the exchange's
  // 0x83 brings the display back.
  s.SetDumpPath(dir.path() + "no/such/folder/x.Dmp");
  tel.Send(B({0x82}) + "LOST\r\n");
  EXPECT_TRUE(sink.WaitPosted(TEL_MSG_DUMP_FILE_FAILED));
  ASSERT_TRUE(WaitUntil([&] { return tel.Aborts() == 1; }));
  EXPECT_TRUE(WaitUntil([&] { return s.TelRecvState == 0; }));
  tel.Send(FakeTelephone::Line(4, "AFTER"));
  EXPECT_TRUE(sink.WaitFor(Shown(4, "AFTER")));
  // A file that takes no byte: the abort code again, nothing half done.
  s.SetDumpPath("/dev/full");
  tel.Send(B({0x82}) + "X" + B({0x83}));
  EXPECT_TRUE(WaitUntil([&] { return tel.Aborts() == 2; }));

  Comm_SetEventMask(0);
  watch.Join();
  EXPECT_TRUE(s.TelWatcherDone);
  std::string answer = Tel_EndSerial(s);
  EXPECT_NE(answer.find("SET MODE"), std::string::npos);
  EXPECT_EQ(tel.Ends(), 1);
  // Exactly the start, the keys, the two aborts and the end went out.
  EXPECT_EQ(Sent(), B({0x80, '1', 0x08, 0x9A, 'l', 0x8E, 0x8E, 0x8F}));
}

TEST_F(SerialTel, NoPortNoSession) {
  Comm_Close();
  EXPECT_FALSE(Tel_StartSerial(s));
  EXPECT_TRUE(s.TelWatcherDone);
  EXPECT_EQ(tel.Starts(), 0);
}

TEST_F(SerialTel, HungUpLineEndsTheLoopAndTheFailedStartSendsNoEnd) {
  ASSERT_TRUE(Tel_StartSerial(s));
  TCommWatch watch(s, stream);
  ASSERT_TRUE(sink.WaitFor(Shown(1, "FAKE EXCHANGE")));
  fake.HangUp();
  EXPECT_TRUE(WaitUntil([&] { return s.TelWatcherDone.load(); }));
  watch.Join();
  // After a failed start the end code is not sent.
  s.TelStartFailed = true;
  EXPECT_EQ(Tel_EndSerial(s), "");
}

namespace {

class LanTel : public udptest::LinkToFake {
 protected:
  void SetUp() override {
    LinkToFake::SetUp();
    ASSERT_EQ(LogIn("PW12"), LINK_OK);
    // Numbered requests, so that the fake never takes a new start for a
    // retry of the one before.
    Udp_SetParam(UDP_PARAM_SEQUENCE, 1);
    EthernetMode = 1;
    LinkTimeOutSec = 1;
    LineLost = 0;
    s.ethernet = true;
    s.SetDumpPath(dir.path() + "lan.Dmp");
    telTimer = std::make_unique<UserTimer>();
    ticker = std::make_unique<udptest::Ticker>(*telTimer, 5);
  }
  void TearDown() override {
    ticker.reset();
    telTimer.reset();
    EthernetMode = 0;
    LineLost = 0;
    LinkToFake::TearDown();
  }
  void End() {
    ticker.reset();  // the timer goes with the end
    Tel_EndEthernet(s, telTimer);
    EXPECT_EQ(telTimer, nullptr);
  }
  TempDir dir;
  FakeTelephone tel{fake};
  TelSessionState s;
  Sink sink{s};
  TelDisplayStream stream{s, sink};
  std::unique_ptr<UserTimer> telTimer;
  std::unique_ptr<udptest::Ticker> ticker;
};

}  // namespace

TEST_F(LanTel, SessionEndToEnd) {
  Tel_StartEthernet(s, *telTimer);
  EXPECT_FALSE(s.TelStartFailed);
  // Keys before the loop is ready are dropped without a failure.
  EXPECT_TRUE(Tel_ComSend(s, '9'));
  TCommWatch watch(s, stream);
  ASSERT_TRUE(WaitUntil([&] { return s.TelLanReady.load(); }));
  EXPECT_TRUE(sink.WaitFor(Shown(1, "FAKE EXCHANGE")));

  EXPECT_TRUE(Tel_ComSend(s, '5'));
  EXPECT_TRUE(Tel_ComSend(s, '5'));  // the same key twice is two keys
  ASSERT_TRUE(tel.WaitKeys(2, 3000));
  EXPECT_EQ(tel.Keys(), "55");
  EXPECT_TRUE(sink.WaitFor(Shown(7, "KEY 35")));

  EXPECT_TRUE(Tel_ComSend(s, 'l'));
  EXPECT_TRUE(sink.WaitFor("dump DUMP LINE 0003"));
  EXPECT_TRUE(WaitUntil([&] { return s.TelRecvState == 0 && s.TelDumpOutput == 0; }));
  EXPECT_EQ(ReadAll(dir.path() + "lan.Dmp"), Body(FakeTelephone::SampleDump()));

  // Frames the loop passes over: empty "E", another command; a 302-byte
  // frame is still interpreted.
  fake.SendFrame({0, 'E', ""});
  fake.SendFrame({0, 'Z', FakeTelephone::Line(5, "NOT SHOWN")});
  fake.SendFrame({0, 'E', FakeTelephone::Line(6, "FULL FRAME") + std::string(302 - 17, 'q')});
  EXPECT_TRUE(sink.WaitFor(Shown(6, "FULL FRAME")));
  EXPECT_FALSE(sink.WaitFor(Shown(5, "NOT SHOWN"), 50));
  EXPECT_FALSE(s.TelLanStopped);
  // 303 bytes end the session.
  fake.SendFrame({0, 'E', std::string(303, 'z')});
  EXPECT_TRUE(sink.WaitPosted(TEL_MSG_CLOSE));
  EXPECT_TRUE(WaitUntil([&] { return s.TelWatcherDone.load(); }));
  watch.Join();
  EXPECT_TRUE(s.TelLanStopped);
  End();
  EXPECT_TRUE(tel.WaitEnds(1, 3000));
  EXPECT_EQ(fake.CountOf(0x8F), 1);
  EXPECT_EQ(LineLost, 0);
}

TEST_F(LanTel, RefusedOrLostStart) {
  struct Row {
    const char* what;
    std::vector<FakeUdpFrame> reply;  // empty: a disconnect notice
    int posted;
    int lineLost;
  };
  const Row rows[] = {
      {"\"/\" with \"1\"", {{-1, '/', "01"}}, TEL_MSG_CLOSE, 0},
      {"0xF1", {{-1, 0xF1, ""}}, TEL_MSG_CLOSE, 0},
      {"notice", {}, TEL_MSG_LINE_LOST, 1},
  };
  for (const Row& r : rows) {
    LineLost = 0;
    TelSessionState st;
    st.ethernet = true;
    Sink sk(st);
    TelDisplayStream str(st, sk);
    if (r.reply.empty()) fake.NoticeOn(0x80);
    else fake.Script(0x80, r.reply);
    Tel_StartEthernet(st, *telTimer);
    EXPECT_TRUE(st.TelStartFailed) << r.what;
    EXPECT_EQ(LineLost, r.lineLost) << r.what;
    TCommWatch w(st, str);
    EXPECT_TRUE(sk.WaitPosted(r.posted)) << r.what;
    w.Join();
    EXPECT_FALSE(st.TelLanReady) << r.what;
    EXPECT_TRUE(Tel_ComSend(st, '1'));  // dropped: never ready
  }
  // The exchange's own answer 0x80 after the refusals: started.
  Tel_StartEthernet(s, *telTimer);
  EXPECT_FALSE(s.TelStartFailed);
  EXPECT_EQ(tel.Keys(), "");
}

TEST_F(LanTel, LostLineDuringTheSessionAndAtItsEnd) {
  Tel_StartEthernet(s, *telTimer);
  {
    TCommWatch watch(s, stream);
    ASSERT_TRUE(WaitUntil([&] { return s.TelLanReady.load(); }));
    // The exchange paints its greeting after its answer to the start: it
    // is shown before the dump begins, or it would land in the dump.
    ASSERT_TRUE(sink.WaitFor(Shown(1, "FAKE EXCHANGE")));
    // A dump is under way when the line goes: the file is closed.
    tel.Send(B({0x82}) + "HALF");
    ASSERT_TRUE(WaitUntil([&] { return s.TelDumpOutput == 1; }));
    fake.SendNotice();
    EXPECT_TRUE(sink.WaitPosted(TEL_MSG_LINE_LOST));
    watch.Join();
  }
  EXPECT_EQ(LineLost, 1);
  EXPECT_EQ(s.TelDumpOutput, 0);
  EXPECT_EQ(ReadAll(dir.path() + "lan.Dmp"), "HALF");
  // A further notice still waiting is found by the last drain.
  fake.SendNotice();
  End();
  EXPECT_EQ(fake.CountOf(0x8F), 0);  // no end code on a lost line
  EXPECT_TRUE(sink.WaitPosted(TEL_MSG_END_LINE_LOST));
}
