// Lines per second of a UDP load of a 10,000-line command file into the fake
// exchange on loopback (check, convert, send, class the reply), beside the
// bare Udp_Transact round trip of one data line. The ratio shows what the
// load adds per line to the link's own cost.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/RateKeeper.h"
#include "link/ConnLogin.h"
#include "link/UDP_Unit.h"
#include "link/UserTimerUnit.h"
#include "shell/Global_Unit.h"
#include "tests/exchange/FakeLoad.h"
#include "tests/exchange/FakeUdp.h"
#include "transfer/Control_Unit.h"
#include "transfer/Load_Unit.h"

namespace {

constexpr int kLines = 10000;
std::string g_dir;

class NoView : public LoadView {
  void ToggleCursor() override {}
  void ShowCounters() override {}
  void ShowErrCount() override {}
  void StartTimer() override {}
  void ShowLine(const std::string&, bool) override {}
  void AskFix(const std::string&, const std::string&) override {}
};

void BM_Transact(benchmark::State& state) {
  const std::string payload = "1:A000105";
  uint8_t reply[UDP_REPLY_BUF];
  int n = 0;
  for (auto _ : state) {
    if (Udp_Transact(UDP_CMD_DATA_LINE, payload.data(), static_cast<int>(payload.size()), reply, &n) != LINK_OK) {
      state.SkipWithError("transaction failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_Load(benchmark::State& state) {
  LoadParams p;
  p.kind = 5;
  p.folder = g_dir;
  p.fileName = "CMD.DAT";
  p.ethernet = true;
  p.linkTimeOutSec = 0;
  p.retryCount = 1000;
  NoView view;
  for (auto _ : state) {
    LoadEngine e(p, view);
    if (e.Execute() != 0 || LoadDoneCount != kLines + 1) {
      state.SkipWithError("load failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}

constexpr int kPairs = 7;



bool LogIn(const std::string& pw) {
  uint8_t reply[UDP_REPLY_BUF];
  int n = 0;
  Udp_SetParam(UDP_PARAM_TIMEOUT, 0);
  Udp_SetParam(UDP_PARAM_RETRY, 2);
  if (Udp_Transact(UDP_CMD_LOGIN_REQUEST, nullptr, 0, reply, &n) != LINK_OK || n < 4) return false;
  Udp_SetParam(UDP_PARAM_KEY, Conn_UdpKeyFromSeed(reply + 1));
  std::string p = Conn_UdpLoginPayload(pw);
  return Udp_Transact(UDP_CMD_LOGIN, p.data(), static_cast<int>(p.size()), reply, &n) == LINK_OK;
}

bool WriteFiles() {
  char tmpl[] = "/tmp/bench_load_XXXXXX";
  if (!mkdtemp(tmpl)) return false;
  g_dir = std::string(tmpl) + "/";
  std::ofstream c(g_dir + "CONTROL.DAT", std::ios::binary);
  c << "/S/NI=4;\r\n;NB=1(M=2);FMT=ANI1;\r\n\\N\r\n";
  std::ofstream f(g_dir + "CMD.DAT", std::ios::binary);
  f << "/S/\r\n";
  for (int i = 0; i < kLines; ++i) {
    char line[32];
    std::snprintf(line, sizeof line, "%04d=%d;\r\n", i % 9999 + 1, i % 10);
    f << line;
  }
  ControlFileName = g_dir + "CONTROL.DAT";
  return static_cast<bool>(c) && static_cast<bool>(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (!WriteFiles()) {
    std::fprintf(stderr, "cannot write the test files\n");
    return 1;
  }
  FakeUdpConfig cfg;
  cfg.password = "bench";
  cfg.record = false;
  FakeUdpExchange fake(cfg);
  FakeLoadScript script;
  script.AttachTo(fake);
  std::string err;
  if (!fake.Start(&err)) {
    std::fprintf(stderr, "fake exchange: %s\n", err.c_str());
    return 1;
  }
  UserTimer timer;  // never ticks: a lost datagram costs one empty wait and a retry
  if (Udp_Init(0, 0x7F000001, fake.Port()) != LINK_OK) {
    std::fprintf(stderr, "cannot open the link\n");
    return 1;
  }
  Udp_SetTimer(&timer);
  if (!LogIn("bench")) {
    std::fprintf(stderr, "log-in failed\n");
    return 1;
  }
  LoadTiming t;
  t = {0, 0, 0, 0, 0, 5, 0};
  Load_SetTiming(t);
  LinkTimeOutSec = 0;
  Udp_SetParam(UDP_PARAM_TIMEOUT, 0);
  Udp_SetParam(UDP_PARAM_RETRY, 1000);

  benchmark::Initialize(&argc, argv);
  for (int i = 0; i < kPairs; ++i) {
    benchmark::RegisterBenchmark("BM_Transact", BM_Transact)->MinTime(0.2)->UseRealTime();
    benchmark::RegisterBenchmark("BM_Load", BM_Load)->Iterations(1)->UseRealTime();
  }
  RateKeeper keeper;
  benchmark::RunSpecifiedBenchmarks(&keeper);
  benchmark::Shutdown();
  Udp_Close();
  fake.Stop();
  std::remove((g_dir + "CONTROL.DAT").c_str());
  std::remove((g_dir + "CMD.DAT").c_str());
  std::remove((g_dir + "CONTROL.ERR").c_str());
  ::rmdir(g_dir.c_str());

  const auto& tx = keeper.rates["BM_Transact"];
  const auto& load = keeper.rates["BM_Load"];
  if (tx.size() != load.size() || tx.empty()) {
    std::printf("ratio: 0\n");
    return 1;
  }
  std::vector<double> ratios;
  for (size_t i = 0; i < tx.size(); ++i) ratios.push_back(tx[i] > 0 ? load[i] / tx[i] : 0);
  std::printf("load lines/s: %.0f  data-line round trips/s: %.0f (medians of %zu pairs)\n", Median(load),
              Median(tx), tx.size());
  // About half of the ratio on a quiet machine.
  return KeepsFloor("ratio", Median(ratios), 0.45) ? 0 : 1;
}
