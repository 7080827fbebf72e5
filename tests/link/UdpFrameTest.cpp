// Frames, scrambling and the datagram checks, against a hand-played peer.
#include <gtest/gtest.h>

#include <sys/syscall.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "tests/link/UdpTestSupport.h"
#include "tests/support/Blocked.h"

namespace {

using namespace udptest;

std::string Bytes(const uint8_t* p, int n) { return std::string(reinterpret_cast<const char*>(p), n); }

class UdpFrame : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Udp_Init(0, kLoopback, peer.Port()), LINK_OK); }
  void TearDown() override {
    Udp_Close();
    Udp_SetTimer(nullptr);
  }
  RawPeer peer;
  NoticeSink sink;
};

TEST(UdpState, ClosedAtStartAndAfterClose) {
  EXPECT_EQ(UdpLinkState.socket, -1);
  ASSERT_EQ(Udp_Init(0, kLoopback, 7), LINK_OK);
  Udp_SetParam(UDP_PARAM_KEY | UDP_PARAM_SEQUENCE | UDP_PARAM_ABORT, 9);
  EXPECT_EQ(Udp_Close(), LINK_OK);
  EXPECT_EQ(UdpLinkState.socket, -1);
  EXPECT_EQ(UdpLinkState.key, 0u);
  EXPECT_EQ(UdpLinkState.sequence, 0);
  EXPECT_EQ(UdpLinkState.abortFlag, 0);
  EXPECT_EQ(UdpLinkState.peerAddr, 0u);
  EXPECT_EQ(Udp_CloseSocket(), LINK_OK);  // nothing to close
  // Without a socket every routine that needs one fails cleanly.
  uint8_t buf[UDP_REPLY_BUF];
  int n;
  uint16_t seq;
  EXPECT_EQ(Udp_Send(0x22, nullptr, 0, 0), LINK_IO_ERROR);
  EXPECT_EQ(Udp_Recv(buf, &n), LINK_IO_ERROR);
  EXPECT_EQ(Udp_RecvReply(buf, &n, &seq), LINK_IO_ERROR);
  EXPECT_EQ(Udp_Flush(), LINK_IO_ERROR);
}

TEST(UdpFrameLayout, BuildAndScrambleVectors) {
  uint8_t f[UDP_FRAME_MAX + 1];
  ASSERT_EQ(Udp_BuildFrame(f, 0, 0x21, "1", 1), 7);
  EXPECT_EQ(Bytes(f, 7), std::string("\x00\x00\x21\x00\x00\x01\x31", 7));
  ASSERT_EQ(Udp_BuildFrame(f, 0x3FFF, 0x41, nullptr, 0), 6);
  EXPECT_EQ(Bytes(f, 6), std::string("\x3F\xFF\x41\x00\x00\x00", 6));

  Udp_SetParam(UDP_PARAM_KEY, 0xA1B2C3D4);
  Udp_BuildFrame(f, 0, 0x21, "1", 1);
  Udp_Scramble(f, 7);
  EXPECT_EQ(Bytes(f, 7), std::string("\xD4\xC3\x93\xA1\xD4\xC2\x83", 7));
  Udp_Unscramble(f, 7);
  EXPECT_EQ(Bytes(f, 7), std::string("\x00\x00\x21\x00\x00\x01\x31", 7));
  Udp_SetParam(UDP_PARAM_KEY, 0);

  std::string big(UDP_PAYLOAD_MAX, 'x');
  EXPECT_EQ(Udp_BuildFrame(f, 0, 0x41, big.data(), UDP_PAYLOAD_MAX), UDP_FRAME_MAX);
  EXPECT_EQ(f[4], 0x07);
  EXPECT_EQ(f[5], 0xFA);
  f[0] = 0x55;
  EXPECT_EQ(Udp_BuildFrame(f, 0, 0x41, big.data(), UDP_PAYLOAD_MAX + 1), -1);
  EXPECT_EQ(f[0], 0x55);  // nothing written
}

TEST_F(UdpFrame, CheckSourceComparesAddressAndLengthOnly) {
  sockaddr_in from{};
  from.sin_family = AF_INET;
  from.sin_addr.s_addr = htonl(kLoopback);
  from.sin_port = htons(1);  // not the peer's port: not compared
  const uint8_t ok[] = {0, 0, 0xF0, 0, 0, 2, 'a', 'b'};
  EXPECT_EQ(Udp_CheckSource(from, ok, 8), LINK_OK);
  EXPECT_EQ(Udp_CheckSource(from, ok, 7), LINK_UNEXPECTED);
  const uint8_t longer[] = {0, 0, 0xF0, 0, 0, 1, 'a', 'b'};
  EXPECT_EQ(Udp_CheckSource(from, longer, 8), LINK_UNEXPECTED);
  // Too short to hold the length field: never read.
  for (int n = 0; n < 6; ++n) EXPECT_EQ(Udp_CheckSource(from, ok, n), LINK_UNEXPECTED) << n;
  const uint8_t empty[] = {0, 0, 0xF0, 0, 0, 0};
  EXPECT_EQ(Udp_CheckSource(from, empty, 6), LINK_OK);
  from.sin_addr.s_addr = htonl(0x7F000002);
  EXPECT_EQ(Udp_CheckSource(from, ok, 8), LINK_UNEXPECTED);
}

TEST(UdpCheckReply, AcceptedRepliesPerCommand) {
  struct Row {
    uint8_t sent;
    std::vector<uint8_t> accepted;
  };
  const Row rows[] = {
      {0x01, {0x03}},       {0x02, {0x04}},       {0x05, {}},           {0x21, {0xF0, 0xF1}},
      {0x22, {0xF0, 0xF1}}, {0x33, {0xF0}},       {0x34, {}},           {0x41, {0x46, 0x43}},
      {0x42, {0xF0, 0xF1}}, {0x44, {}},           {0x80, {0x80, 0xF1}}, {0x81, {0x80, 0xF1}},
      {0x83, {0x80, 0xF1}}, {0x8F, {0xF0}},       {0x99, {}},
  };
  for (const Row& r : rows) {
    for (int c = 0; c < 256; ++c) {
      if (c == '/') continue;
      uint8_t reply[4] = {static_cast<uint8_t>(c), 0, 0, 0};
      bool want = std::find(r.accepted.begin(), r.accepted.end(), c) != r.accepted.end();
      EXPECT_EQ(Udp_CheckReply(r.sent, reply, 0, 0), want ? LINK_OK : LINK_UNEXPECTED)
          << "sent " << int(r.sent) << " reply " << c;
    }
  }
}

TEST(UdpCheckReply, SlashRepliesFoldOnTheirSecondPayloadByte) {
  const uint8_t ack[] = {'/', '/', '0', 0};
  const uint8_t refuse[] = {'/', '/', '1', 0};
  const uint8_t other[] = {'/', '/', '2', 0};
  EXPECT_EQ(Udp_CheckReply(0x22, refuse, 2, 0), LINK_OK);
  EXPECT_EQ(Udp_CheckReply(0x33, refuse, 2, 0), LINK_UNEXPECTED);
  EXPECT_EQ(Udp_CheckReply(0x33, ack, 2, 0), LINK_OK);
  EXPECT_EQ(Udp_CheckReply(0x8F, ack, 2, 0), LINK_OK);
  EXPECT_EQ(Udp_CheckReply(0x81, refuse, 2, 0), LINK_OK);
  EXPECT_EQ(Udp_CheckReply(0x81, ack, 2, 0), LINK_UNEXPECTED);
  EXPECT_EQ(Udp_CheckReply(0x22, other, 2, 0), LINK_UNEXPECTED);
  // A one-byte payload has no second byte: whatever lies behind the NUL
  // is not read as one.
  const uint8_t shortAck[] = {'/', '0', 0, '0'};
  const uint8_t stale[] = {'/', 0, '0', 0};
  EXPECT_EQ(Udp_CheckReply(0x22, shortAck, 1, 0), LINK_UNEXPECTED);
  EXPECT_EQ(Udp_CheckReply(0x22, stale, 0, 0), LINK_UNEXPECTED);
}

TEST(UdpCheckReply, SequenceComparedOnLow14BitsWhileInUse) {
  const uint8_t ack[] = {0xF0, 0};
  EXPECT_EQ(Udp_CheckReply(0x22, ack, 0, 1234), LINK_OK);  // not in use
  Udp_SetParam(UDP_PARAM_SEQUENCE, 5);
  EXPECT_EQ(Udp_CheckReply(0x22, ack, 0, 5), LINK_OK);
  EXPECT_EQ(Udp_CheckReply(0x22, ack, 0, 0xC005), LINK_OK);
  EXPECT_EQ(Udp_CheckReply(0x22, ack, 0, 6), LINK_UNEXPECTED);
  EXPECT_EQ(Udp_CheckReply(0x22, ack, 0, 0), LINK_UNEXPECTED);
  Udp_SetParam(UDP_PARAM_SEQUENCE, 0);
}

TEST_F(UdpFrame, InitOnAnOpenLinkGives103AndChangesNothing) {
  int fd = UdpLinkState.socket;
  uint16_t port = OwnUdpPort();
  uint32_t peerAddr = UdpLinkState.peerAddr;
  uint16_t peerPort = UdpLinkState.peerPort;
  Udp_SetParam(UDP_PARAM_KEY, 77);
  EXPECT_EQ(Udp_Init(0, 0x7F000002, 9), LINK_ALREADY_OPEN);
  EXPECT_EQ(UdpLinkState.socket, fd);
  EXPECT_EQ(OwnUdpPort(), port);
  EXPECT_EQ(UdpLinkState.peerAddr, peerAddr);
  EXPECT_EQ(UdpLinkState.peerPort, peerPort);
  EXPECT_EQ(UdpLinkState.key, 77u);
}

TEST_F(UdpFrame, InitFailsCleanlyWhenThePortIsTaken) {
  uint16_t taken = OwnUdpPort();
  Udp_Close();
  RawPeer holder;  // any free port, held
  EXPECT_EQ(Udp_Init(holder.Port(), kLoopback, peer.Port()), LINK_IO_ERROR);
  EXPECT_EQ(UdpLinkState.socket, -1);
  EXPECT_EQ(UdpLinkState.startupVersion, 0);
  EXPECT_EQ(Udp_Init(taken, kLoopback, peer.Port()), LINK_OK);
}

TEST_F(UdpFrame, SendScramblesAllButLogInRequestAndLogOff) {
  Udp_SetParam(UDP_PARAM_KEY, 0xA1B2C3D4);
  ASSERT_EQ(Udp_Send(0x21, "1", 1, 0), LINK_OK);
  EXPECT_EQ(peer.Receive(1000), std::string("\xD4\xC3\x93\xA1\xD4\xC2\x83", 7));
  ASSERT_EQ(Udp_Send(0x01, nullptr, 0, 0), LINK_OK);
  EXPECT_EQ(peer.Receive(1000), Frame(0, 0x01, ""));
  ASSERT_EQ(Udp_Send(0x05, "\0\0\0\x41", 4, 0), LINK_OK);
  EXPECT_EQ(peer.Receive(1000), Frame(0, 0x05, std::string("\0\0\0\x41", 4)));
}

TEST_F(UdpFrame, SendRefusesOverLongFramesAtOnce) {
  std::string big(UDP_PAYLOAD_MAX + 1, 'x');
  EXPECT_EQ(Udp_Send(0x41, big.data(), static_cast<int>(big.size()), 0), LINK_SEND_TOO_LONG);
  EXPECT_EQ(Udp_Send(0x41, nullptr, -1, 0), LINK_IO_ERROR);
  EXPECT_EQ(Udp_Send(0x41, nullptr, 3, 0), LINK_IO_ERROR);
  bool got = true;
  peer.Receive(150, &got);
  EXPECT_FALSE(got);
  big.pop_back();
  EXPECT_EQ(Udp_Send(0x41, big.data(), static_cast<int>(big.size()), 0), LINK_OK);
  EXPECT_EQ(peer.Receive(1000).size(), static_cast<size_t>(UDP_FRAME_MAX));
}

TEST_F(UdpFrame, RecvUnscramblesOnlyMarkedDatagrams) {
  const uint32_t key = 0xA1B2C3D4;
  Udp_SetParam(UDP_PARAM_KEY, key);
  uint8_t buf[UDP_REPLY_BUF];
  int n = 0;
  peer.SendTo(OwnUdpPort(), Xored(Frame(0x0012, 0xF0, "xyz"), key));
  ASSERT_EQ(Udp_Recv(buf, &n), LINK_OK);
  EXPECT_EQ(Bytes(buf, n), Frame(0x0012, 0xF0, "xyz"));
  // Plain (top bit clear) is taken as it is, even with a key.
  peer.SendTo(OwnUdpPort(), Frame(0x0012, 0xF1, "ab"));
  ASSERT_EQ(Udp_Recv(buf, &n), LINK_OK);
  EXPECT_EQ(Bytes(buf, n), Frame(0x0012, 0xF1, "ab"));
  // With no datagram the wait ends after the poll time.
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(Udp_Recv(buf, &n), LINK_TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(90));
}

TEST_F(UdpFrame, RecvRejectsStrangersAndWrongLengths) {
  uint8_t buf[UDP_REPLY_BUF];
  int n = 0;
  RawPeer other("127.0.0.2");
  other.SendTo(OwnUdpPort(), Frame(0, 0xF0, ""));
  EXPECT_EQ(Udp_Recv(buf, &n), LINK_UNEXPECTED);
  for (const std::string& bad : {std::string(), std::string("\x00\x00\xF0", 3), Frame(0, 0xF0, "ab") + "c",
                                 Frame(0, 0xF0, "ab").substr(0, 7)}) {
    peer.SendTo(OwnUdpPort(), bad);
    EXPECT_EQ(Udp_Recv(buf, &n), LINK_UNEXPECTED) << bad.size();
  }
  // Exactly the buffer: fine. One byte more is cut by the receive and must
  // not pass as the 2048 bytes that fit.
  std::string full = Frame(0, 0xF0, std::string(UDP_PAYLOAD_MAX, 'p'));
  peer.SendTo(OwnUdpPort(), full);
  ASSERT_EQ(Udp_Recv(buf, &n), LINK_OK);
  EXPECT_EQ(n, UDP_FRAME_MAX);
  peer.SendTo(OwnUdpPort(), full + "p");
  EXPECT_EQ(Udp_Recv(buf, &n), LINK_UNEXPECTED);
  // Marked: nothing beyond the buffer may be unscrambled either.
  Udp_SetParam(UDP_PARAM_KEY, 0x000000A0);
  peer.SendTo(OwnUdpPort(), Xored(full + std::string(2000, 'p'), 0xA0));
  EXPECT_EQ(Udp_Recv(buf, &n), LINK_UNEXPECTED);
}

TEST_F(UdpFrame, RecvReplyRewritesTheBufferInPlace) {
  uint8_t buf[UDP_REPLY_BUF];
  std::memset(buf, 0xEE, sizeof buf);
  int n = -1;
  uint16_t seq = 0;
  peer.SendTo(OwnUdpPort(), Frame(0x4123, 0x46, "OK!"));
  ASSERT_EQ(Udp_RecvReply(buf, &n, &seq), LINK_OK);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(seq, 0x4123);
  EXPECT_EQ(Bytes(buf, 5), std::string("FOK!\0", 5));
  // The largest reply: command, 2042 payload bytes and the NUL fit.
  std::string pay(UDP_PAYLOAD_MAX, 'q');
  pay[0] = 'A';
  pay.back() = 'Z';
  peer.SendTo(OwnUdpPort(), Frame(0, 0x45, pay));
  ASSERT_EQ(Udp_RecvReply(buf, &n, &seq), LINK_OK);
  EXPECT_EQ(n, UDP_PAYLOAD_MAX);
  EXPECT_EQ(buf[0], 0x45);
  EXPECT_EQ(Bytes(buf + 1, n), pay);
  EXPECT_EQ(buf[n + 1], 0);
  // Other results pass through.
  RawPeer other("127.0.0.2");
  other.SendTo(OwnUdpPort(), Frame(0, 0x46, ""));
  EXPECT_EQ(Udp_RecvReply(buf, &n, &seq), LINK_UNEXPECTED);
  EXPECT_EQ(Udp_RecvReply(buf, &n, &seq), LINK_TIMEOUT);
}

TEST_F(UdpFrame, DisconnectNoticeGives101AndPostsOnce) {
  Udp_SetMainForm(&sink, &NoticeSink::Post);
  uint8_t buf[UDP_REPLY_BUF];
  int n;
  uint16_t seq;
  // A notice from a stranger is not one.
  RawPeer other("127.0.0.2");
  other.SendTo(OwnUdpPort(), Frame(0, 0x0F, ""));
  EXPECT_EQ(Udp_RecvReply(buf, &n, &seq), LINK_UNEXPECTED);
  EXPECT_EQ(sink.count, 0);
  Udp_SetParam(UDP_PARAM_KEY, 0x12345680);
  peer.SendTo(OwnUdpPort(), Xored(Frame(0, 0x0F, ""), 0x12345680));
  EXPECT_EQ(Udp_RecvReply(buf, &n, &seq), LINK_DISCONNECTED);
  EXPECT_EQ(sink.count, 1);
  EXPECT_EQ(sink.lastMsg, UDP_DISCONNECT_USER_MSG);
  EXPECT_EQ(UDP_DISCONNECT_MSG, 1228);
  // Without a registered main form nothing is posted, the result stays.
  Udp_SetMainForm(nullptr, nullptr);
  peer.SendTo(OwnUdpPort(), Frame(0, 0x0F, ""));
  EXPECT_EQ(Udp_RecvReply(buf, &n, &seq), LINK_DISCONNECTED);
  EXPECT_EQ(sink.count, 1);
}

TEST_F(UdpFrame, FlushDropsWhatWaitsAndStopsAtANotice) {
  Udp_SetMainForm(&sink, &NoticeSink::Post);
  RawPeer other("127.0.0.2");
  peer.SendTo(OwnUdpPort(), Frame(0, 0xF0, ""));
  peer.SendTo(OwnUdpPort(), std::string(3000, '\xFF'));
  peer.SendTo(OwnUdpPort(), "ju");
  other.SendTo(OwnUdpPort(), Frame(0, 0x0F, ""));
  ASSERT_TRUE(other.Receive(50).empty());  // let the datagrams land
  EXPECT_EQ(Udp_Flush(), LINK_OK);
  EXPECT_EQ(sink.count, 0);
  uint8_t buf[UDP_REPLY_BUF];
  int n;
  EXPECT_EQ(Udp_Recv(buf, &n), LINK_TIMEOUT);
  EXPECT_EQ(Udp_Flush(), LINK_OK);  // nothing there

  peer.SendTo(OwnUdpPort(), Frame(0, 0xF0, ""));
  peer.SendTo(OwnUdpPort(), Frame(0, 0x0F, ""));
  peer.SendTo(OwnUdpPort(), Frame(0, 0x46, ""));
  ASSERT_TRUE(other.Receive(50).empty());
  EXPECT_EQ(Udp_Flush(), LINK_DISCONNECTED);
  EXPECT_EQ(sink.count, 1);
  uint16_t seq;
  ASSERT_EQ(Udp_RecvReply(buf, &n, &seq), LINK_OK);  // what followed the notice stays
  EXPECT_EQ(buf[0], 0x46);
}

TEST_F(UdpFrame, CloseUnderAWaitingWorkerEndsItsWaitWithAnError) {
  // A worker waits for a datagram while the UI thread closes the link.
  for (int round = 0; round < 5; ++round) {
    // A wait far longer than the test may take: only the close ends it.
    UdpLinkState.pollSec = 60;
    std::atomic<int> result{-1};
    std::atomic<pid_t> tid{0};
    std::chrono::steady_clock::time_point closed, woken;
    std::thread worker([&] {
      tid = blocked::ThreadId();
      uint8_t buf[UDP_REPLY_BUF];
      int n;
      uint16_t seq;
      result = Udp_RecvReply(buf, &n, &seq);
      woken = std::chrono::steady_clock::now();
    });
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
         tid == 0 && std::chrono::steady_clock::now() < end;)
      std::this_thread::yield();
    EXPECT_TRUE(blocked::WaitIn(tid, {SYS_poll, SYS_ppoll})) << round;
    closed = std::chrono::steady_clock::now();
    EXPECT_EQ(Udp_Close(), LINK_OK);
    // A new link at once: the worker must not read from it.
    ASSERT_EQ(Udp_Init(0, kLoopback, peer.Port()), LINK_OK);
    peer.SendTo(OwnUdpPort(), Frame(0, 0xF0, ""));
    worker.join();
    EXPECT_EQ(result, LINK_IO_ERROR) << round;
    // Woken by the close, not by the end of its wait.
    ASSERT_LT(woken - closed, std::chrono::seconds(20)) << round;
    uint8_t buf[UDP_REPLY_BUF];
    int n;
    EXPECT_EQ(Udp_Recv(buf, &n), LINK_OK);  // the datagram was the new link's
  }
}

}  // namespace
