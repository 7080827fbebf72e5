// The fake exchange's own promises that the link tests lean on: started
// from a command line, silent before a log-in, scrambled answers.
#include <gtest/gtest.h>

#include <vector>

#include "tests/link/UdpTestSupport.h"

namespace {

using namespace udptest;

std::unique_ptr<FakeUdpExchange> FromArgs(std::vector<std::string> args, std::string& err) {
  args.insert(args.begin(), "fake");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  return FakeUdp_StartFromArgs(static_cast<int>(argv.size()), argv.data(), err);
}

TEST(UdpFakeArgs, OptionsAreCheckedAndOthersLeftAlone) {
  std::string err;
  EXPECT_EQ(FromArgs({"--serial", "/dev/null", "--password", "x"}, err), nullptr);
  EXPECT_TRUE(err.empty());  // no --udp: nothing to start, no complaint
  for (auto bad : std::vector<std::vector<std::string>>{{"--udp"},
                                                       {"--udp", "70000"},
                                                       {"--udp", "0", "--drop", "x"},
                                                       {"--udp", "0", "--delay", "-1"},
                                                       {"--udp", "0", "--notice-on", "zz"},
                                                       {"--udp", "0", "--password"}}) {
    EXPECT_EQ(FromArgs(bad, err), nullptr) << bad.back();
    EXPECT_FALSE(err.empty()) << bad.back();
  }
  auto f = FromArgs({"--udp", "0", "--password", "secret", "--drop", "2", "--wrong-seq", "1", "--delay", "5",
                     "--serial", "x"},
                    err);
  ASSERT_NE(f, nullptr) << err;
  EXPECT_NE(f->Port(), 0);
  FakeUdpFaults left = f->Faults();
  EXPECT_EQ(left.drop, 2);
  EXPECT_EQ(left.wrongSeq, 1);
  EXPECT_EQ(left.delayMs, 5);
  // The port is taken now: a second fake on it fails with a reason.
  auto g = FromArgs({"--udp", std::to_string(f->Port())}, err);
  EXPECT_EQ(g, nullptr);
  EXPECT_NE(err.find("bind"), std::string::npos);
}

class UdpFakeRun : public LinkToFake {};

TEST_F(UdpFakeRun, SilentBeforeLogInThenAnswersScrambled) {
  Params(0, 0);
  EXPECT_EQ(Transact(0x22), LINK_TIMEOUT);
  EXPECT_EQ(fake.CountOf(0x22), 1);
  ASSERT_EQ(LogIn("PW12"), LINK_OK);
  RawPeer probe;  // reads what the fake sends, by hand
  Udp_Close();
  // Same log-in state at the fake; the probe plays ORVO now.
  uint32_t key = fake.Key();
  probe.SendTo(fake.Port(), Xored(Frame(3, 0x22, ""), key));
  std::string got = probe.Receive(1000);
  ASSERT_EQ(got.size(), 6u);
  EXPECT_TRUE(static_cast<uint8_t>(got[0]) & 0x80);
  EXPECT_EQ(Xored(got, key), Frame(3, 0xF0, ""));
  // A repeat is a retry: the very same datagram again.
  probe.SendTo(fake.Port(), Xored(Frame(3, 0x22, ""), key));
  EXPECT_EQ(probe.Receive(1000), got);
  // Frames pushed by the exchange go to whoever spoke last.
  ASSERT_TRUE(fake.SendFrame({0x0101, 0x31, "block"}));
  EXPECT_EQ(Xored(probe.Receive(1000), key), Frame(0x0101, 0x31, "block"));
}

TEST_F(UdpFakeRun, ScriptedFramesCanBeSeveral) {
  ASSERT_EQ(LogIn("PW12"), LINK_OK);
  fake.Script(0x21, {{-1, 0xF0, ""}, {1, 0x31, "data1"}, {2, 0x32, ""}});
  Params(0, 0);
  ASSERT_EQ(Transact(0x21, "5"), LINK_OK);
  uint8_t buf[UDP_REPLY_BUF];
  int n;
  uint16_t seq;
  ASSERT_EQ(Udp_RecvReply(buf, &n, &seq), LINK_OK);
  EXPECT_EQ(seq, 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf)), "1data1");
  ASSERT_EQ(Udp_RecvReply(buf, &n, &seq), LINK_OK);
  EXPECT_EQ(seq, 2);
  EXPECT_EQ(buf[0], 0x32);
}

}  // namespace
