// The block protocol against the fake exchange over a pseudo-terminal.
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/link/CommFixture.h"

namespace {

const std::string kReq = "R1";
const std::string kReqFrame = FrameOf(kReq);

int Send(const std::string& text) {
  return Comm_SendBlock(text.data(), static_cast<int>(text.size()));
}

struct Reply {
  int result;
  std::string text;
};

Reply Wait() {
  char buf[kCommBufSize];
  int len = -1;
  int r = Comm_WaitBlock(buf, len);
  return {r, std::string(buf, static_cast<size_t>(r == LINK_OK ? len : 0))};
}

TEST(CommFrame, BccIsTheXorOfTheTextAlone) {
  std::string f;
  ASSERT_EQ(Comm_BuildFrame("/0", 2, f), LINK_OK);
  EXPECT_EQ(f, B({0x02, 0x2F, 0x30, 0x03, 0x1F}));
  EXPECT_EQ(f.c_str()[5], '\0');
  ASSERT_EQ(Comm_BuildFrame("", 0, f), LINK_OK);
  EXPECT_EQ(f, B({0x02, 0x03, 0x00}));
  EXPECT_EQ(Comm_Bcc("AD", 2), 0x05);
}

TEST(CommFrame, TextLongerThan2045BytesIsRefused) {
  std::string text(2046, 'x'), f = "old";
  EXPECT_EQ(Comm_BuildFrame(text.data(), 2045, f), LINK_OK);
  EXPECT_EQ(f.size(), 2048u);
  EXPECT_EQ(Comm_BuildFrame(text.data(), 2046, f), LINK_SEND_TOO_LONG);
  EXPECT_TRUE(f.empty());
  EXPECT_EQ(Comm_BuildFrame(text.data(), -1, f), LINK_SEND_TOO_LONG);
}

using CommSend = CommLine;

TEST_F(CommSend, RoundTripWithTheScriptedReply) {
  script->On(kReq, {"/0"});
  ASSERT_EQ(Send(kReq), LINK_OK);
  Reply r = Wait();
  EXPECT_EQ(r.result, LINK_OK);
  EXPECT_EQ(r.text, "/0");
  EXPECT_EQ(core->Requests(), std::vector<std::string>{kReq});
  // ENQ, frame, EOT; then ACK to the reply's ENQ and ACK to its frame.
  EXPECT_EQ(Sent(), B({ENQ}) + kReqFrame + B({EOT, ACK, ACK}));
}

TEST_F(CommSend, OneNakToEnqIsWaitedOutThenTheBlockGoes) {
  Faults([](SerialFaults& f) { f.nakEnq = 1; });
  long ms = ElapsedMs([] { EXPECT_EQ(Send(kReq), LINK_OK); });
  EXPECT_GE(ms, kShortTiming.nakPauseMs);
  EXPECT_EQ(Sent(), B({ENQ, ENQ}) + kReqFrame + B({EOT}));
}

TEST_F(CommSend, TwoNaksToEnqGiveUpWithEotAfterTwoPauses) {
  Faults([](SerialFaults& f) { f.nakEnq = 2; });
  long ms = ElapsedMs([] { EXPECT_EQ(Send(kReq), LINK_TIMEOUT); });
  EXPECT_GE(ms, 2 * kShortTiming.nakPauseMs);
  EXPECT_EQ(Sent(), B({ENQ, ENQ, EOT}));
  EXPECT_TRUE(core->Requests().empty());
}

TEST_F(CommSend, EotToEnqEndsWith9AndNothingMoreIsSent) {
  Faults([](SerialFaults& f) { f.eotEnq = 1; });
  EXPECT_EQ(Send(kReq), LINK_EOT);
  EXPECT_EQ(Sent(), B({ENQ}));
}

TEST_F(CommSend, NakToTheFrameResendsAtOnce) {
  Comm_SetTiming({2000, 80, 5});  // a pause here would show
  Faults([](SerialFaults& f) { f.nakFrame = 1; });
  long ms = ElapsedMs([] { EXPECT_EQ(Send(kReq), LINK_OK); });
  EXPECT_LT(ms, 1000);
  EXPECT_EQ(Sent(), B({ENQ}) + kReqFrame + kReqFrame + B({EOT}));

  fake.ClearReceived();
  Faults([](SerialFaults& f) { f.nakFrame = 2; });
  EXPECT_EQ(Send(kReq), LINK_TIMEOUT);
  EXPECT_EQ(Sent(), B({ENQ}) + kReqFrame + kReqFrame + B({EOT}));
  EXPECT_EQ(core->Requests().size(), 1u);
}

TEST_F(CommSend, ANakDoesNotUseUpAnAttempt) {
  // A time-out uses the first attempt; after the NAK the second one is left.
  Faults([](SerialFaults& f) { f.silentEnq = 1; f.nakEnq = 1; });
  EXPECT_EQ(Send(kReq), LINK_OK);
  EXPECT_EQ(Sent(), B({ENQ, ENQ, ENQ}) + kReqFrame + B({EOT}));

  fake.ClearReceived();
  Faults([](SerialFaults& f) { f.silentFrame = 1; f.nakFrame = 1; });
  EXPECT_EQ(Send(kReq), LINK_OK);
  EXPECT_EQ(Sent(), B({ENQ}) + kReqFrame + kReqFrame + kReqFrame + B({EOT}));
}

TEST_F(CommSend, AStrangeAnswerToTheFrameIsAskedAgainWithNak) {
  Faults([](SerialFaults& f) { f.junkFrame = 1; });
  EXPECT_EQ(Send(kReq), LINK_OK);
  EXPECT_EQ(Sent(), B({ENQ}) + kReqFrame + B({NAK, EOT}));

  fake.ClearReceived();
  Faults([](SerialFaults& f) { f.junkFrame = 2; });
  EXPECT_EQ(Send(kReq), LINK_TIMEOUT);
  EXPECT_EQ(Sent(), B({ENQ}) + kReqFrame + B({NAK, EOT}));
  EXPECT_EQ(core->Requests().size(), 1u);  // the second block never went through
}

TEST_F(CommSend, EotToTheFrameIsSuccessWithoutClosingEot) {
  Faults([](SerialFaults& f) { f.eotFrame = 1; });
  EXPECT_EQ(Send(kReq), LINK_OK);
  EXPECT_EQ(Sent(), B({ENQ}) + kReqFrame);
  EXPECT_TRUE(core->WaitRequests(1, 1000));
}

TEST_F(CommSend, SilenceTriesTheAnnouncementTwiceThenEot) {
  Faults([](SerialFaults& f) { f.silent = true; });
  long ms = ElapsedMs([] { EXPECT_EQ(Send(kReq), LINK_TIMEOUT); });
  EXPECT_GE(ms, 4 * kRcvMs);  // two announcements, each read with retry
  EXPECT_EQ(Sent(), B({ENQ, ENQ, EOT}));
}

TEST_F(CommSend, AnUnansweredFrameIsSentAgainAfterTheTimeOut) {
  Faults([](SerialFaults& f) { f.silentFrame = 1; });
  EXPECT_EQ(Send(kReq), LINK_OK);
  EXPECT_EQ(Sent(), B({ENQ}) + kReqFrame + kReqFrame + B({EOT}));
}

TEST_F(CommSend, LongestTextGoesAndOneMoreByteIsRefusedUnsent) {
  std::string text(2045, 'T');
  EXPECT_EQ(Send(text), LINK_OK);
  ASSERT_TRUE(core->WaitRequests(1, 2000));
  EXPECT_EQ(core->Requests()[0], text);
  fake.ClearReceived();
  text.push_back('T');
  EXPECT_EQ(Send(text), LINK_SEND_TOO_LONG);
  EXPECT_EQ(Sent(), "");
}

TEST_F(CommSend, ByteAtATimeWithPausesStillCarriesBothWays) {
  script->On(kReq, {std::string(40, 'r')});
  Faults([](SerialFaults& f) { f.byteDelayMs = 3; });
  ASSERT_EQ(Send(kReq), LINK_OK);
  Reply r = Wait();
  EXPECT_EQ(r.result, LINK_OK);
  EXPECT_EQ(r.text, std::string(40, 'r'));
}

using CommRecv = CommLine;

TEST_F(CommRecv, OneBadBccIsAnsweredWithNakAndTheRepeatTaken) {
  Faults([](SerialFaults& f) { f.badBcc = 1; });
  fake.PushBlock("DATA");
  Reply r = Wait();
  EXPECT_EQ(r.result, LINK_OK);
  EXPECT_EQ(r.text, "DATA");
  EXPECT_EQ(Sent(), B({ACK, NAK, ACK}));
}

TEST_F(CommRecv, TwoBadFramesEndWithEotAndTheirCode) {
  Faults([](SerialFaults& f) { f.badBcc = 2; });
  fake.PushBlock("DATA");
  EXPECT_EQ(Wait().result, LINK_BCC_ERROR);
  EXPECT_EQ(Sent(), B({ACK, NAK, EOT}));

  fake.ClearReceived();
  Faults([](SerialFaults& f) { f.overLong = 2; });
  fake.PushBlock("DATA");
  EXPECT_EQ(Wait().result, LINK_TOO_LONG);
  EXPECT_EQ(Sent(), B({ACK, NAK, EOT}));

  fake.ClearReceived();
  Faults([](SerialFaults& f) { f.overLong = 1; });
  fake.PushBlock("DATA");
  EXPECT_EQ(Wait().text, "DATA");
}

TEST_F(CommRecv, AFrameWithoutStxIsRefusedAndItsRepeatTaken) {
  // The rest of the refused frame is thrown away, not read as the repeat.
  Faults([](SerialFaults& f) { f.noStx = 1; });
  fake.PushBlock("DATA");
  Reply r = Wait();
  EXPECT_EQ(r.result, LINK_OK);
  EXPECT_EQ(r.text, "DATA");
  EXPECT_EQ(Sent(), B({ACK, NAK, ACK}));

  fake.ClearReceived();
  Faults([](SerialFaults& f) { f.noStx = 2; });
  fake.PushBlock("DATA");
  EXPECT_EQ(Wait().result, LINK_NO_STX);
  EXPECT_EQ(Sent(), B({ACK, NAK, EOT}));
}

TEST_F(CommRecv, MissingClosingEotIsATimeOutNot8) {
  Faults([](SerialFaults& f) { f.noEot = 1; });
  fake.PushBlock("DATA");
  long ms = ElapsedMs([] { EXPECT_EQ(Wait().result, LINK_TIMEOUT); });
  EXPECT_GE(ms, 2 * kRcvMs);
  EXPECT_EQ(Sent(), B({ACK, ACK}));
}

TEST_F(CommRecv, TwoStrangeBytesForEotGive8AndTheBlockIsAwaitedAgain) {
  Faults([](SerialFaults& f) { f.junkEot = 2; });
  fake.PushBlock("DATA");
  Reply r;
  long ms = ElapsedMs([&] { r = Wait(); });
  EXPECT_EQ(r.result, LINK_OK);
  EXPECT_EQ(r.text, "DATA");
  EXPECT_GE(ms, kShortTiming.noEotPauseMs);
  EXPECT_EQ(Sent(), B({ACK, ACK, NAK, EOT, ACK, ACK}));
}

TEST_F(CommRecv, ThreePassesEndingIn8Give8) {
  Faults([](SerialFaults& f) { f.junkEot = 6; });
  fake.PushBlock("DATA");
  long ms = ElapsedMs([] { EXPECT_EQ(Wait().result, LINK_NO_EOT); });
  EXPECT_GE(ms, 2 * kShortTiming.noEotPauseMs);
  std::string pass = B({ACK, ACK, NAK, EOT});
  EXPECT_EQ(Sent(), pass + pass + pass);
}

TEST_F(CommRecv, SilentExchangeTimesOutAfterTwoReadTimeOuts) {
  // A time-out long enough that two and three of them stay apart on a slow
  // machine.
  constexpr long kLongMs = 1000;
  Comm_SetRcvTimeOut(kLongMs);
  long ms = ElapsedMs([] { EXPECT_EQ(Wait().result, LINK_TIMEOUT); });
  EXPECT_GE(ms, 2 * kLongMs);
  EXPECT_LT(ms, 3 * kLongMs - 100);
}

TEST_F(CommRecv, BccOf0x05AfterEtxIsNoAnnouncement) {
  // "AD" has the BCC 0x05: a block passing by must not be answered.
  fake.PushRaw(FrameOf("AD"));
  EXPECT_EQ(Wait().result, LINK_TIMEOUT);
  EXPECT_EQ(Sent(), "");
  // The first byte counts as an announcement: the previous byte starts as ENQ.
  fake.PushBlock("XY");
  EXPECT_EQ(Wait().text, "XY");
}

TEST_F(CommRecv, FrameLimitsAndFirstBytes) {
  char buf[kCommBufSize];
  int len = -1;
  fake.PushRaw(FrameOf(std::string(2047, 'a')));
  EXPECT_EQ(Comm_RecvFrame(buf, len), LINK_OK);
  EXPECT_EQ(len, 2047);

  fake.PushRaw(FrameOf(std::string(2048, 'b')));
  EXPECT_EQ(Comm_RecvFrame(buf, len), LINK_TOO_LONG);
  EXPECT_EQ(len, 2048);
  Comm_Purge();
  ASSERT_TRUE(fake.WaitIdle(1000));
  Comm_Purge();

  fake.PushRaw(B({EOT}));
  EXPECT_EQ(Comm_RecvFrame(buf, len), LINK_EOT);
  fake.PushRaw("X");
  EXPECT_EQ(Comm_RecvFrame(buf, len), LINK_NO_STX);
  fake.PushRaw(B({STX, 'A', ETX, 'B'}));
  EXPECT_EQ(Comm_RecvFrame(buf, len), LINK_BCC_ERROR);
  fake.PushRaw(B({STX, ETX, 0}));
  EXPECT_EQ(Comm_RecvFrame(buf, len), LINK_OK);
  EXPECT_EQ(len, 0);
  // A frame cut short after ETX: the missing BCC is a time-out.
  fake.PushRaw(B({STX, 'A', ETX}));
  EXPECT_EQ(Comm_RecvFrame(buf, len), LINK_TIMEOUT);
}

TEST_F(CommRecv, EotInsteadOfTheFrameEnds9) {
  // The fake announces with raw bytes; ORVO's ACK is answered with EOT.
  fake.Core().SetControlReply(ACK, B({EOT}));
  fake.PushRaw(B({ENQ}));
  EXPECT_EQ(Wait().result, LINK_EOT);
}

// A far side on a socket pair, for exchanges the fake does not play: after
// the bytes received so far end with `after`, it sends `send`.
class ScriptedFar {
 public:
  struct Step {
    std::string after, send;
  };
  explicit ScriptedFar(std::vector<Step> steps) : steps_(std::move(steps)) {
    int sv[2];
    EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, sv), 0);
    fd_ = sv[1];
    EXPECT_EQ(Comm_OpenFd(sv[0]), LINK_OK);
    Comm_SetRcvTimeOut(kRcvMs);
    thread_ = std::thread([this] { Run(); });
  }
  ~ScriptedFar() { Finish(); }
  // Closes ORVO's end and returns all that the far side received.
  const std::string& Finish() {
    Comm_Close();
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    return got_;
  }

 private:
  void Run() {
    size_t step = 0;
    char c;
    while (::read(fd_, &c, 1) == 1) {
      got_.push_back(c);
      if (step < steps_.size() && got_.size() >= steps_[step].after.size() &&
          got_.compare(got_.size() - steps_[step].after.size(), std::string::npos,
                       steps_[step].after) == 0) {
        EXPECT_EQ(::write(fd_, steps_[step].send.data(), steps_[step].send.size()),
                  static_cast<ssize_t>(steps_[step].send.size()));
        ++step;
      }
    }
  }
  int fd_ = -1;
  std::vector<Step> steps_;
  std::string got_;
  std::thread thread_;
};

TEST(CommCollision, EnqAgainstEnqJudgesTheNextByte) {
  Comm_SetTiming(kShortTiming);
  ScriptedFar far({{B({ENQ}), B({ENQ, ACK})}, {kReqFrame, B({ACK})}});
  EXPECT_EQ(Send(kReq), LINK_OK);
  EXPECT_EQ(far.Finish(), B({ENQ}) + kReqFrame + B({EOT}));
  Comm_SetTiming(CommTiming{});
}

TEST(CommCollision, AllowedToReceiveItTakesTheFarBlock) {
  Comm_SetTiming(kShortTiming);
  ScriptedFar far({{B({ENQ}), B({ENQ})}, {B({ENQ, ACK}), FrameOf("IN")}, {B({ACK, ACK}), B({EOT})}});
  bool received = false;
  int len = 0;
  char buf[kCommBufSize];
  EXPECT_EQ(Comm_SendBlock(kReq.data(), 2, true, &received, &len, buf), LINK_OK);
  EXPECT_TRUE(received);
  EXPECT_EQ(std::string(buf, static_cast<size_t>(len)), "IN");
  EXPECT_EQ(far.Finish(), B({ENQ, ACK, ACK}));
  Comm_SetTiming(CommTiming{});
}

}  // namespace

// A worker that shares its core with a busy process still reads whole
// blocks with the same results: the receive takes the line's bytes in
// chunks and never gives its time slice away per byte.
TEST_F(CommRecv, BlocksReadTheSameOnABusyCore) {
  cpu_set_t saved, one;
  ASSERT_EQ(::sched_getaffinity(0, sizeof saved, &saved), 0);
  CPU_ZERO(&one);
  CPU_SET(::sched_getcpu(), &one);
  ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
  std::atomic<bool> stop{false};
  std::thread busy([&] {
    while (!stop.load(std::memory_order_relaxed)) {
    }
  });
  std::string text;
  for (int i = 0; i < 2047; ++i) text.push_back(static_cast<char>(' ' + i % 90));
  char buf[kCommBufSize];
  int len = -1;
  for (int round = 0; round < 3; ++round) {
    fake.PushRaw(FrameOf(text) + FrameOf("/0") + B({STX, 'A', ETX, 'B'}));
    EXPECT_EQ(Comm_RecvFrame(buf, len), LINK_OK);
    EXPECT_EQ(std::string(buf, static_cast<size_t>(len)), text);
    EXPECT_EQ(Comm_RecvFrame(buf, len), LINK_OK);
    EXPECT_EQ(std::string(buf, static_cast<size_t>(len)), "/0");
    EXPECT_EQ(Comm_RecvFrame(buf, len), LINK_BCC_ERROR);
  }
  stop = true;
  busy.join();
  ::sched_setaffinity(0, sizeof saved, &saved);
  // Purge drops what was read ahead as well as what the line still holds.
  fake.PushRaw(FrameOf("old") + FrameOf("older"));
  EXPECT_EQ(Comm_RecvFrame(buf, len), LINK_OK);
  ASSERT_TRUE(fake.WaitIdle(1000));
  Comm_Purge();
  EXPECT_EQ(Comm_InQueue(), 0);
  fake.PushRaw(FrameOf("new"));
  EXPECT_EQ(Comm_RecvFrame(buf, len), LINK_OK);
  EXPECT_EQ(std::string(buf, static_cast<size_t>(len)), "new");
}
