// Round trips per second of Udp_Transact against the fake exchange on
// loopback, beside a bare sendto/poll/recvfrom ping-pong between the same
// two sockets (the fake bouncing the datagram back). The ratio shows what
// the link's wait adds when a reply is already there: it should add
// nothing.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/RateKeeper.h"
#include "link/ConnLogin.h"
#include "link/UDP_Unit.h"
#include "link/UserTimerUnit.h"
#include "tests/exchange/FakeUdp.h"

namespace {

FakeUdpExchange* g_fake = nullptr;

void BM_Transact(benchmark::State& state) {
  g_fake->SetEcho(false);
  uint8_t reply[UDP_REPLY_BUF];
  int n = 0;
  for (auto _ : state) {
    int r = Udp_Transact(UDP_CMD_END_SESSION, nullptr, 0, reply, &n);
    if (r != LINK_OK) {
      state.SkipWithError("transaction failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_Bare(benchmark::State& state) {
  g_fake->SetEcho(true);
  int fd = UdpLinkState.socket;
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = UdpLinkState.peerPort;
  to.sin_addr.s_addr = UdpLinkState.peerAddr;
  uint8_t frame[UDP_FRAME_MAX];
  int len = Udp_BuildFrame(frame, 0, UDP_CMD_END_SESSION, nullptr, 0);
  Udp_Scramble(frame, len);
  uint8_t buf[UDP_FRAME_MAX];
  for (auto _ : state) {
    ::sendto(fd, frame, static_cast<size_t>(len), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 100) != 1) {
      state.SkipWithError("no echo");
      break;
    }
    sockaddr_in from{};
    socklen_t fl = sizeof from;
    benchmark::DoNotOptimize(::recvfrom(fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &fl));
  }
  state.SetItemsProcessed(state.iterations());
  g_fake->SetEcho(false);
}

// The two run in alternating pairs, so that a change in the machine's
// load falls on both sides of a pair alike.
constexpr int kPairs = 15;

// Keeps the rate of every run, in order.


bool LogIn(const std::string& pw) {
  uint8_t reply[UDP_REPLY_BUF];
  int n = 0;
  // Time-out 0: without ticks it runs out after one empty 100 ms wait.
  Udp_SetParam(UDP_PARAM_TIMEOUT, 0);
  Udp_SetParam(UDP_PARAM_RETRY, 2);
  if (Udp_Transact(UDP_CMD_LOGIN_REQUEST, nullptr, 0, reply, &n) != LINK_OK || n < 4) return false;
  Udp_SetParam(UDP_PARAM_KEY, Conn_UdpKeyFromSeed(reply + 1));
  std::string p = Conn_UdpLoginPayload(pw);
  return Udp_Transact(UDP_CMD_LOGIN, p.data(), static_cast<int>(p.size()), reply, &n) == LINK_OK;
}

}  // namespace

int main(int argc, char** argv) {
  FakeUdpConfig cfg;
  cfg.password = "bench";
  cfg.record = false;
  FakeUdpExchange fake(cfg);
  std::string err;
  if (!fake.Start(&err)) {
    std::fprintf(stderr, "fake exchange: %s\n", err.c_str());
    return 1;
  }
  g_fake = &fake;
  UserTimer timer;  // never ticks
  if (Udp_Init(0, 0x7F000001, fake.Port()) != LINK_OK) {
    std::fprintf(stderr, "cannot open the link\n");
    return 1;
  }
  Udp_SetTimer(&timer);
  if (!LogIn("bench")) {
    std::fprintf(stderr, "log-in failed\n");
    return 1;
  }
  // A lost datagram costs one empty wait and a retry, never a hang.
  Udp_SetParam(UDP_PARAM_TIMEOUT, 0);
  Udp_SetParam(UDP_PARAM_RETRY, 1000);

  benchmark::Initialize(&argc, argv);
  for (int i = 0; i < kPairs; ++i) {
    benchmark::RegisterBenchmark("BM_Bare", BM_Bare)->MinTime(0.2)->UseRealTime();
    benchmark::RegisterBenchmark("BM_Transact", BM_Transact)->MinTime(0.2)->UseRealTime();
  }
  RateKeeper keeper;
  benchmark::RunSpecifiedBenchmarks(&keeper);
  benchmark::Shutdown();
  Udp_Close();
  fake.Stop();

  const auto& bare = keeper.rates["BM_Bare"];
  const auto& tx = keeper.rates["BM_Transact"];
  if (bare.size() != tx.size() || bare.empty()) {
    std::printf("ratio: 0\n");
    return 1;
  }
  std::vector<double> ratios;
  for (size_t i = 0; i < bare.size(); ++i) ratios.push_back(bare[i] > 0 ? tx[i] / bare[i] : 0);
  std::printf("transactions/s: %.0f  bare round trips/s: %.0f (medians of %zu pairs)\n", Median(tx), Median(bare),
              bare.size());
  // About half of the ratio on a quiet machine.
  return KeepsFloor("ratio", Median(ratios), 0.5) ? 0 : 1;
}
