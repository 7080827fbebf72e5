// Transactions against the fake exchange on loopback: log-in, retries,
// sequence numbers, faults, the disconnect notice, abort and the timer.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "link/Comm_Unit.h"
#include "shell/Global_Unit.h"
#include "tests/link/UdpTestSupport.h"

namespace {

using namespace udptest;
using Clock = std::chrono::steady_clock;

std::vector<FakeUdpReceived> Of(const std::vector<FakeUdpReceived>& all, uint8_t cmd) {
  std::vector<FakeUdpReceived> r;
  for (const auto& x : all)
    if (x.valid && x.cmd == cmd) r.push_back(x);
  return r;
}

using UdpLogin = LinkToFake;

TEST_F(UdpLogin, LogsInAndScramblesFromThenOn) {
  ASSERT_EQ(LogIn("PW12"), LINK_OK);
  EXPECT_TRUE(fake.LoggedIn());
  EXPECT_EQ(UdpLinkState.key, fake.Key());
  EXPECT_TRUE(UdpLinkState.key & 0x80);
  auto got = fake.Received();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_FALSE(got[0].marked);  // the log-in request is never scrambled
  EXPECT_EQ(got[0].cmd, 0x01);
  EXPECT_TRUE(got[1].marked);
  EXPECT_EQ(got[1].cmd, 0x02);
  EXPECT_EQ(got[1].payload, std::string("ORVO_APL\0\0\0\0\0\0\0\0\0\x04PW12", 22));

  Params(0, 2);
  ASSERT_EQ(Transact(0x22), LINK_OK);
  EXPECT_EQ(reply[0], 0xF0);
  EXPECT_EQ(replyLen, 0);
  // Log-off goes out plain even with the key set.
  ASSERT_EQ(Transact(0x05, std::string("\0\0\0\x41", 4)), LINK_DISCONNECTED);
  got = fake.Received();
  EXPECT_FALSE(got.back().marked);
  EXPECT_EQ(got.back().raw, Frame(0, 0x05, std::string("\0\0\0\x41", 4)));
  EXPECT_FALSE(fake.LoggedIn());
}

TEST_F(UdpLogin, WrongPasswordIsSilentOrANotice) {
  EXPECT_EQ(LogIn("nope"), LINK_TIMEOUT);
  // The last try went unanswered: the fake may not have taken it yet.
  EXPECT_TRUE(fake.WaitReceived(1 + 3, 5000));
  EXPECT_EQ(fake.CountOf(0x02), 3);
  EXPECT_EQ(UdpLinkState.retryCount, 0);
  EXPECT_EQ(sink.count, 0);

  fake.SetNoticeOnWrongPassword(true);
  EXPECT_EQ(LogIn("nope!"), LINK_DISCONNECTED);
  EXPECT_EQ(sink.count, 1);
  EXPECT_FALSE(fake.LoggedIn());
  // The right password still gets in afterwards.
  EXPECT_EQ(LogIn("PW12"), LINK_OK);
}

TEST_F(UdpLogin, LostSeedIsResentUnchanged) {
  fake.SetFaults({.drop = 1});
  ASSERT_EQ(LogIn("PW12"), LINK_OK);
  EXPECT_EQ(fake.CountOf(0x01), 2);
  EXPECT_EQ(fake.CountOf(0x02), 1);
  EXPECT_EQ(UdpLinkState.key, fake.Key());
}

class UdpTransact : public LinkToFake {
 protected:
  void SetUp() override {
    LinkToFake::SetUp();
    ASSERT_EQ(LogIn("PW12"), LINK_OK);
    fake.ClearReceived();
  }
};

TEST_F(UdpTransact, SilentPeerGetsThreeFramesThenTimeOut) {
  fake.SetFaults({.drop = 1000});
  Params(1, 2);
  int ticks;
  {
    Ticker tick(timer, 2);
    EXPECT_EQ(Transact(0x22), LINK_TIMEOUT);
    ticks = tick.Ticks();
  }
  auto sent = Of(fake.Received(), 0x22);
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0].raw, sent[2].raw);  // the same frame each time
  // Each time-out took its 10 ticks of 100 ms.
  EXPECT_GE(ticks, 30);
  EXPECT_EQ(UdpLinkState.retryCount, 0);
  // The budget is spent: the next transaction gets one try.
  fake.ClearReceived();
  Udp_SetParam(UDP_PARAM_TIMEOUT, 0);
  EXPECT_EQ(Transact(0x22), LINK_TIMEOUT);
  EXPECT_EQ(fake.CountOf(0x22), 1);
}

TEST_F(UdpTransact, RetryGetsTheReplyAndSpendsTheBudget) {
  fake.SetFaults({.drop = 1});
  Params(0, 2);
  EXPECT_EQ(Transact(0x81), LINK_OK);
  EXPECT_EQ(reply[0], 0x80);
  EXPECT_EQ(fake.CountOf(0x81), 2);
  EXPECT_EQ(UdpLinkState.retryCount, 1);
}

TEST_F(UdpTransact, FaultyRepliesAreIgnoredUntilAGoodOne) {
  struct Case {
    const char* name;
    FakeUdpFaults f;
  };
  const Case cases[] = {
      {"garbage", {.garbage = 2}},       {"overlong", {.overlong = 2}},
      {"wrong sequence", {.wrongSeq = 2}}, {"wrong length", {.wrongLength = 2}},
      {"other address", {.otherAddress = 2}},
  };
  for (const Case& c : cases) {
    fake.ClearReceived();
    fake.SetFaults(c.f);
    Udp_SetParam(UDP_PARAM_SEQUENCE, 7);
    Params(0, 2);
    EXPECT_EQ(Transact(0x22), LINK_OK) << c.name;
    EXPECT_EQ(reply[0], 0xF0) << c.name;
    // Two faulty replies were dropped, the third frame got through.
    EXPECT_EQ(fake.CountOf(0x22), 3) << c.name;
    EXPECT_EQ(UdpLinkState.sequence, 8) << c.name;
    EXPECT_EQ(sink.count, 0);
  }
  Udp_SetParam(UDP_PARAM_SEQUENCE, 0);
}

TEST_F(UdpTransact, WrongSequenceThroughoutEndsInTimeOut) {
  fake.SetFaults({.wrongSeq = 3});
  Udp_SetParam(UDP_PARAM_SEQUENCE, 100);
  Params(0, 2);
  EXPECT_EQ(Transact(0x42), LINK_TIMEOUT);
  EXPECT_EQ(UdpLinkState.sequence, 101);  // advanced after a failure too
  for (const auto& r : Of(fake.Received(), 0x42)) EXPECT_EQ(r.seq, 100);
  // With the sequence not in use the reply is matched by command alone.
  fake.SetFaults({.wrongSeq = 1});
  Udp_SetParam(UDP_PARAM_SEQUENCE, 0);
  Params(0, 0);
  EXPECT_EQ(Transact(0x8F), LINK_OK);
}

TEST_F(UdpTransact, SequenceWrapsFrom16383To1) {
  Udp_SetParam(UDP_PARAM_SEQUENCE, 16383);
  Params(0, 2);
  ASSERT_EQ(Transact(0x83), LINK_OK);
  EXPECT_EQ(fake.Received().back().seq, 16383);
  EXPECT_EQ(UdpLinkState.sequence, 1);
  ASSERT_EQ(Transact(0x22), LINK_OK);
  EXPECT_EQ(fake.Received().back().seq, 1);
  EXPECT_EQ(UdpLinkState.sequence, 2);
  // Bits above the 14 of the number are not compared.
  fake.Script(0x42, {{0x4002, 0xF1, ""}});
  ASSERT_EQ(Transact(0x42), LINK_OK);
  EXPECT_EQ(reply[0], 0xF1);
  EXPECT_EQ(UdpLinkState.sequence, 3);
}

TEST_F(UdpTransact, SlashOneSatisfiesBeginLoadButNotSaveAbort) {
  fake.Script(0x22, {{-1, '/', "/1"}});
  Params(0, 2);
  ASSERT_EQ(Transact(0x22), LINK_OK);
  // The caller gets the reply unfolded.
  EXPECT_EQ(std::string(reinterpret_cast<char*>(reply), 4), std::string("//1\0", 4));
  EXPECT_EQ(replyLen, 2);

  fake.SetReply(0x33, {{-1, '/', "/1"}});
  Params(0, 1);
  EXPECT_EQ(Transact(0x33), LINK_TIMEOUT);
  EXPECT_EQ(fake.CountOf(0x33), 2);
  fake.SetReply(0x33, {{-1, '/', "/0"}});
  Udp_SetParam(UDP_PARAM_SEQUENCE, 20);  // a new request, not a retry
  Params(0, 0);
  EXPECT_EQ(Transact(0x33), LINK_OK);
  Udp_SetParam(UDP_PARAM_SEQUENCE, 0);
}

TEST_F(UdpTransact, DataLineRepliesComeBackWithTheirPayload) {
  fake.Script(0x41, {{-1, 'C', "E12345"}});
  Params(0, 2);
  ASSERT_EQ(Transact(0x41, "1A1:B"), LINK_OK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(reply)), "CE12345");
  EXPECT_EQ(replyLen, 6);
  EXPECT_EQ(fake.Received().back().payload, "1A1:B");
  ASSERT_EQ(Transact(0x41, "1A2:B"), LINK_OK);
  EXPECT_EQ(reply[0], 'F');
}

TEST_F(UdpTransact, SlowReplyIsAwaitedWithoutTicks) {
  fake.SetFaults({.delayMs = 250});
  Params(1, 0);
  auto t0 = Clock::now();
  EXPECT_EQ(Transact(0x80), LINK_OK);
  EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(240));
  EXPECT_EQ(fake.CountOf(0x80), 1);
}

TEST_F(UdpTransact, DisconnectNoticeWhileWaitingGives101) {
  fake.NoticeOn(0x21);
  Params(5, 2);
  EXPECT_EQ(Transact(0x21, "1"), LINK_DISCONNECTED);
  EXPECT_EQ(sink.count, 1);
  EXPECT_EQ(sink.lastMsg, 204);
  EXPECT_EQ(fake.CountOf(0x21), 1);

  // Pushed by the exchange and found by a flush.
  ASSERT_TRUE(fake.SendNotice());  // loopback delivers before sendto returns
  EXPECT_EQ(Udp_Flush(), LINK_DISCONNECTED);
  EXPECT_EQ(sink.count, 2);
  EXPECT_EQ(Udp_Flush(), LINK_OK);
}

TEST_F(UdpTransact, AbortedFrameStillGoesOutAndItsAnswerCanBeAwaited) {
  Udp_SetParam(UDP_PARAM_SEQUENCE, 9);
  Udp_SetParam(UDP_PARAM_ABORT, 1);
  Params(0, 2);
  EXPECT_EQ(Transact(0x33), LINK_EOT);
  EXPECT_EQ(UdpLinkState.abortFlag, 0);
  EXPECT_EQ(UdpLinkState.sequence, 10);
  ASSERT_TRUE(fake.WaitReceived(1, 1000));
  EXPECT_EQ(fake.CountOf(0x33), 1);
  EXPECT_EQ(timer.TimeOutRemaining(), 0);  // disarmed

  // Its answer, numbered 9, can still be awaited, with nothing sent again.
  Params(1, 2);
  EXPECT_EQ(Udp_AwaitReply(0x33, reply, &replyLen), LINK_OK);
  EXPECT_EQ(reply[0], UDP_CMD_ACK);
  EXPECT_EQ(UdpLinkState.sequence, 10);

  // One time-out at most, without a retry, when no answer comes.
  fake.SetFaults({.drop = 1});
  Udp_SetParam(UDP_PARAM_ABORT, 1);
  EXPECT_EQ(Transact(0x33), LINK_EOT);
  {
    Ticker tick(timer, 2);
    EXPECT_EQ(Udp_AwaitReply(0x33, reply, &replyLen), LINK_TIMEOUT);
    EXPECT_GE(tick.Ticks(), 10);
  }
  EXPECT_EQ(UdpLinkState.retryCount, 2);
  EXPECT_EQ(fake.CountOf(0x33), 2);
  EXPECT_EQ(timer.TimeOutRemaining(), 0);
}

TEST_F(UdpTransact, TimeOutMovesOnlyWithTicksAndCancelEndsTheWait) {
  fake.SetFaults({.drop = 1000});
  Params(1, 2);
  auto done = std::async(std::launch::async, [this] { return Transact(0x22); });
  // Without ticks a one-second time-out never runs out.
  EXPECT_EQ(done.wait_for(std::chrono::milliseconds(600)), std::future_status::timeout);
  EXPECT_EQ(fake.CountOf(0x22), 1);
  Udp_SetParam(UDP_PARAM_ABORT, 1);  // the Cancel button
  ASSERT_EQ(done.wait_for(std::chrono::milliseconds(1000)), std::future_status::ready);
  EXPECT_EQ(done.get(), LINK_EOT);
  EXPECT_EQ(UdpLinkState.retryCount, 2);
}

TEST_F(UdpTransact, MessagePumpRunsOnEveryPass) {
  static std::atomic<int> passes;
  passes = 0;
  Udp_SetMessagePump([] {
    if (++passes == 3) Udp_SetParam(UDP_PARAM_ABORT, 1);
  });
  fake.SetFaults({.drop = 1000});
  Params(5, 0);
  EXPECT_EQ(Transact(0x22), LINK_EOT);
  EXPECT_EQ(passes, 3);  // the flag is seen on the pass that set it
}

TEST_F(UdpTransact, NoTimerOrAFreedTimerGives1) {
  Udp_SetTimer(nullptr);
  Params(0, 2);
  EXPECT_EQ(Transact(0x22), LINK_IO_ERROR);
  EXPECT_FALSE(fake.WaitReceived(1, 150));

  auto* t = new UserTimer;
  Udp_SetTimer(t);
  fake.SetFaults({.drop = 1000});
  Params(1, 2);
  auto done = std::async(std::launch::async, [this] { return Transact(0x22); });
  ASSERT_TRUE(fake.WaitReceived(1, 1000));
  delete t;  // the activity that owned it ended
  ASSERT_EQ(done.wait_for(std::chrono::milliseconds(1000)), std::future_status::ready);
  EXPECT_EQ(done.get(), LINK_IO_ERROR);
}

TEST_F(UdpTransact, OverLongRequestFailsAtOnce) {
  std::string big(UDP_PAYLOAD_MAX + 1, 'x');
  Udp_SetParam(UDP_PARAM_SEQUENCE, 4);
  Params(5, 2);
  auto t0 = Clock::now();
  EXPECT_EQ(Transact(0x41, big), LINK_SEND_TOO_LONG);
  EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(50));
  EXPECT_EQ(UdpLinkState.sequence, 5);
  EXPECT_FALSE(fake.WaitReceived(1, 100));
}

TEST_F(UdpTransact, CloseUnderARunningTransactionGives1) {
  fake.SetFaults({.drop = 1000});
  Params(1, 2);
  auto done = std::async(std::launch::async, [this] { return Transact(0x22); });
  ASSERT_TRUE(fake.WaitReceived(1, 1000));
  Udp_Close();  // the main window's reaction to a disconnect notice
  ASSERT_EQ(done.wait_for(std::chrono::milliseconds(1000)), std::future_status::ready);
  EXPECT_EQ(done.get(), LINK_IO_ERROR);
}

TEST_F(UdpTransact, ControlByteInEthernetMode) {
  LinkTimeOutSec = 0;
  LineLost = 0;
  Udp_SetParam(UDP_PARAM_RETRY, 0);
  fake.SetFaults({.drop = 2});
  EXPECT_EQ(Udp_SendControlByte(0x8F), LINK_OK);  // retries set to 2 for it
  EXPECT_EQ(fake.CountOf(0x8F), 3);
  fake.NoticeOn(0x83);
  EXPECT_EQ(Udp_SendControlByte(0x83), LINK_IO_ERROR);
  EXPECT_EQ(LineLost, 1);
  EXPECT_EQ(sink.count, 1);
  LineLost = 0;
}

TEST_F(UdpTransact, MainWindowLogOffClosesTheLink) {
  LinkTimeOutSec = 3;
  UserTimer own;
  Udp_SetParam(UDP_PARAM_ABORT, 1);  // a stale Cancel is cleared first
  auto t0 = Clock::now();
  Udp_LogOff(own);
  // The exchange's notice ends the wait; nobody is told of it.
  EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(1000));
  EXPECT_EQ(sink.count, 0);
  EXPECT_EQ(UdpLinkState.socket, -1);
  auto off = Of(fake.Received(), 0x05);
  ASSERT_EQ(off.size(), 1u);
  EXPECT_EQ(off[0].payload, std::string(4, '\0'));
  EXPECT_FALSE(off[0].marked);
  EXPECT_FALSE(fake.LoggedIn());
}

TEST_F(UdpTransact, FakeKeepsAnswersIdempotentAcrossRetries) {
  fake.Script(0x41, {{-1, 'C', "111111"}});
  fake.Script(0x41, {{-1, 'C', "222222"}});
  fake.SetFaults({.drop = 1});
  Params(0, 2);
  ASSERT_EQ(Transact(0x41, "1L1"), LINK_OK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(reply)), "C111111");
  ASSERT_EQ(Transact(0x41, "1L2"), LINK_OK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(reply)), "C222222");
}

}  // namespace

// A second exchange while one waits for its reply, as a button pressed
// during the wait would start it, is refused and sends nothing; the first
// one ends as if alone, and the link is free again after it.
TEST_F(UdpTransact, SecondExchangeDuringAWaitIsRefusedAndSendsNothing) {
  static std::atomic<int> nested;
  static std::atomic<int> threaded;
  nested = -1;
  threaded = -1;
  static uint8_t buf[UDP_REPLY_BUF];
  Udp_SetMessagePump([] {
    if (nested != -1) return;
    int n = 0;
    nested = Udp_Transact(0x42, nullptr, 0, buf, &n);
    std::thread([] {
      int m = 0;
      char block[kCommBufSize];
      threaded = Udp_Transact(0x22, nullptr, 0, buf, &m);
      EXPECT_EQ(Comm_WaitBlock(block, m), LINK_BUSY);  // the serial exchanges share the rule
    }).join();
  });
  fake.SetFaults({.delayMs = 150});
  Params(5, 0);
  EXPECT_EQ(Transact(0x21, "1"), LINK_OK);
  EXPECT_EQ(nested, LINK_BUSY);
  EXPECT_EQ(threaded, LINK_BUSY);
  Udp_SetMessagePump(nullptr);
  auto got = fake.Received();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].cmd, 0x21);
  fake.SetFaults({});
  EXPECT_EQ(Transact(0x22), LINK_OK);  // free again
}
