// Lines per second of a UDP save of 10,000 lines from the fake exchange on
// loopback, beside the fake's bare sending rate: the same paced stream
// taken by a plain socket that only counts the frames. The ratio shows
// whether the save keeps up with the exchange.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "bench/RateKeeper.h"
#include "link/UDP_Unit.h"
#include "link/UserTimerUnit.h"
#include "platform/FileSys.h"
#include "shell/Global_Unit.h"
#include "tests/exchange/FakeSave.h"
#include "tests/exchange/FakeUdp.h"
#include "transfer/Save_Engine.h"

namespace {

constexpr int kLines = 10000;
constexpr int kPairs = 5;

FakeUdpExchange* g_fake = nullptr;
UserTimer* g_timer = nullptr;
std::string g_dir;

void BM_Save(benchmark::State& state) {
  for (auto _ : state) {
    SaveJob j;
    j.items = {{"SdSystem.DAT", '1'}};
    j.dir = g_dir;
    j.comment = "bench";
    j.ethernet = true;
    j.timer = g_timer;
    j.linkTimeOutSec = 2;
    j.linkRetryCount = 3;
    SaveEngine e(j);
    if (e.Run() != SAVE_OK || e.BlockCount() != kLines) {
      state.SkipWithError("save failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}

// The fake's own pace: a plain socket asks for the kind and counts frames
// until the end frame.
void BM_Bare(benchmark::State& state) {
  int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  int big = 4 << 20;
  ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &big, sizeof big);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(g_fake->Port());
  to.sin_addr.s_addr = htonl(0x7F000001);
  uint8_t frame[UDP_FRAME_MAX];
  uint8_t buf[UDP_FRAME_MAX];
  uint16_t seq = 1;
  for (auto _ : state) {
    // A new sequence each time, so that the fake does not take it for a retry.
    int len = Udp_BuildFrame(frame, seq++, UDP_CMD_SAVE_REQUEST, "1", 1);
    ::sendto(fd, frame, static_cast<size_t>(len), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    int blocks = 0;
    for (;;) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 1000) != 1) break;
      ssize_t n = ::recv(fd, buf, sizeof buf, 0);
      if (n < 6) continue;
      if (buf[2] == '1') ++blocks;
      if (buf[2] == '2') break;
    }
    if (blocks != kLines) {
      state.SkipWithError("frames lost");
      break;
    }
  }
  ::close(fd);
  state.SetItemsProcessed(state.iterations() * kLines);
}



}  // namespace

int main(int argc, char** argv) {
  FakeUdpConfig cfg;
  cfg.requireLogin = false;
  cfg.record = false;
  FakeUdpExchange fake(cfg);
  FakeSaveStore store;
  std::vector<std::string> lines;
  for (int i = 1; i <= kLines; ++i) {
    char l[64];
    std::snprintf(l, sizeof l, "%04d=%05d>%03d>%02d;\r\n", i % 10000, i, i % 1000, i % 100);
    lines.push_back(l);
  }
  store.SetLines('1', lines);
  store.SetPacing(32, 200);
  store.AttachTo(fake);
  std::string err;
  if (!fake.Start(&err)) {
    std::fprintf(stderr, "fake exchange: %s\n", err.c_str());
    return 1;
  }
  g_fake = &fake;
  char tmpl[] = "/tmp/bench_save_XXXXXX";
  if (!::mkdtemp(tmpl)) return 1;
  g_dir = std::string(tmpl) + "/";

  UserTimer timer;
  g_timer = &timer;
  std::atomic<bool> stop{false};
  std::thread ticks([&] {
    while (!stop) {
      std::this_thread::sleep_for(std::chrono::milliseconds(UserTimer::kStepMs));
      timer.OnTick();
    }
  });
  if (Udp_Init(0, 0x7F000001, fake.Port()) != LINK_OK) {
    std::fprintf(stderr, "cannot open the link\n");
    return 1;
  }
  int big = 4 << 20;
  ::setsockopt(UdpLinkState.socket, SOL_SOCKET, SO_RCVBUF, &big, sizeof big);
  Udp_SetTimer(&timer);
  EthernetMode = 1;
  LinkTimeOutSec = 2;

  benchmark::Initialize(&argc, argv);
  for (int i = 0; i < kPairs; ++i) {
    benchmark::RegisterBenchmark("BM_Bare", BM_Bare)->Iterations(2)->UseRealTime();
    benchmark::RegisterBenchmark("BM_Save", BM_Save)->Iterations(2)->UseRealTime();
  }
  RateKeeper keeper;
  benchmark::RunSpecifiedBenchmarks(&keeper);
  benchmark::Shutdown();
  Udp_SetTimer(nullptr);
  Udp_Close();
  stop = true;
  ticks.join();
  fake.Stop();
  ::unlink((g_dir + "SdSystem.DAT").c_str());
  ::rmdir(tmpl);

  const auto& bare = keeper.rates["BM_Bare"];
  const auto& save = keeper.rates["BM_Save"];
  if (bare.size() != save.size() || bare.empty()) {
    std::printf("ratio: 0\n");
    return 1;
  }
  std::vector<double> ratios;
  for (size_t i = 0; i < bare.size(); ++i) ratios.push_back(bare[i] > 0 ? save[i] / bare[i] : 0);
  std::printf("saved lines/s: %.0f  fake's bare lines/s: %.0f (medians of %zu pairs)\n", Median(save), Median(bare),
              bare.size());
  // About half of the ratio on a quiet machine.
  return KeepsFloor("ratio", Median(ratios), 0.4) ? 0 : 1;
}
