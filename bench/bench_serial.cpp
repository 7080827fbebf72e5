// Block round trips (send a block, wait for the reply block) against the fake
// exchange over a pseudo-terminal, each followed by a bare exchange of the
// same bytes in the same order on the same pair, and whole frames received,
// each after a bare read of the same bytes. The two of a pair run within
// moments of each other, so whatever else the machine runs weighs on both
// alike. The last line is
//   ratio: R,  R = (bare time + prescribed pauses) / measured time,
// the middle over the round trips: 1 means no time lost beyond what the
// protocol demands.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bench/RateKeeper.h"
#include "link/Comm_Unit.h"
#include "link/PortClaim.h"
#include "shell/Global_Unit.h"
#include "tests/exchange/FakeCore.h"
#include "tests/exchange/FakeSerial.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::string kRequest = "R" + std::string(39, 'q');
const std::string kReply = "1" + std::string(39, 'a');

FakeSerialExchange* g_fake = nullptr;
// Per pair: measured and bare seconds of a round trip; bare / measured of a frame.
std::vector<double> g_measured, g_bare, g_frameRatios;
bool g_failed = false;

std::string Frame(const std::string& text) {
  uint8_t bcc = 0;
  for (char c : text) bcc ^= static_cast<uint8_t>(c);
  return std::string(1, STX) + text + std::string(1, ETX) + std::string(1, static_cast<char>(bcc));
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void Fail(benchmark::State& state, const char* what) {
  g_failed = true;
  state.SkipWithError(what);
}

// Blocking byte moves on a descriptor, no protocol logic.
bool Put(int fd, const std::string& s) {
  for (size_t done = 0; done < s.size();) {
    ssize_t n = ::write(fd, s.data() + done, s.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else {
      pollfd p{fd, POLLOUT, 0};
      if (::poll(&p, 1, 2000) <= 0) return false;
    }
  }
  return true;
}

bool Get(int fd, size_t count) {
  char tmp[256];
  while (count > 0) {
    ssize_t n = ::read(fd, tmp, std::min(count, sizeof tmp));
    if (n > 0) {
      count -= static_cast<size_t>(n);
    } else {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 2000) <= 0) return false;
    }
  }
  return true;
}

// A descriptor of the bare side on the program's line, opened before the
// program's port, which keeps later opens out; -1 when it cannot be had.
int OpenBareSide() {
  Comm_Close();
  int fd = ::open(g_fake->PortPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (Comm_Open() != LINK_OK || Comm_Setup(38400) != LINK_OK) {
    if (fd >= 0) ::close(fd);
    return -1;
  }
  return fd;
}

// The exchange's side of bare round trips on the fake's line, until a byte
// other than ENQ comes; ready is set once it runs.
void BareFarSide(int master, std::atomic<bool>& ready) {
  const std::string req = Frame(kRequest), rep = Frame(kReply);
  const std::string enq(1, ENQ), ack(1, ACK), eot(1, EOT);
  ready = true;
  for (;;) {
    char first = 0;
    while (::read(master, &first, 1) != 1) {
      pollfd p{master, POLLIN, 0};
      if (::poll(&p, 1, 2000) <= 0) return;
    }
    if (first != ENQ) return;
    if (!Put(master, ack) || !Get(master, req.size()) ||  // frame
        !Put(master, ack) || !Get(master, 1) ||           // EOT
        !Put(master, enq) || !Get(master, 1) ||           // ACK
        !Put(master, rep) || !Get(master, 1) ||           // ACK
        !Put(master, eot))
      return;
  }
}

// The same bytes in the same order as the protocol's round trip, with the
// same turn-arounds and each of ORVO's frame bytes written on its own; the
// fake stands aside meanwhile. The seconds it took, or -1.
double BareRoundTrip(int slave) {
  const std::string req = Frame(kRequest), rep = Frame(kReply);
  const std::string enq(1, ENQ), ack(1, ACK), eot(1, EOT);
  g_fake->Pause();
  // The far side waits on the line before the clock starts, as the fake
  // does for the program's round trip.
  std::atomic<bool> ready{false};
  std::thread far(BareFarSide, g_fake->MasterFd(), std::ref(ready));
  while (!ready) std::this_thread::yield();
  const auto t0 = Clock::now();
  bool good = Put(slave, enq) && Get(slave, 1);
  for (size_t i = 0; good && i < req.size(); ++i) good = Put(slave, req.substr(i, 1));
  good = good && Get(slave, 1) && Put(slave, eot) && Get(slave, 1) && Put(slave, ack) &&
         Get(slave, rep.size()) && Put(slave, ack) && Get(slave, 1);
  const double took = Seconds(Clock::now() - t0);
  Put(slave, "Q");  // ends the far side
  far.join();
  g_fake->Resume();
  // And the fake waits on the line again before the program's next one.
  if (!g_fake->WaitIdle(2000)) return -1;
  return good ? took : -1;
}

void BM_BlockRoundTrip(benchmark::State& state) {
  const int bare = OpenBareSide();
  char buf[kCommBufSize];
  for (auto _ : state) {
    int len = 0;
    const auto t0 = Clock::now();
    if (bare < 0 || Comm_SendBlock(kRequest.data(), static_cast<int>(kRequest.size())) != LINK_OK ||
        Comm_WaitBlock(buf, len) != LINK_OK || std::string(buf, len) != kReply) {
      Fail(state, "round trip failed");
      break;
    }
    const double took = Seconds(Clock::now() - t0);
    state.SetIterationTime(took);
    const double bareTook = BareRoundTrip(bare);
    if (bareTook < 0) {
      Fail(state, "bare round trip failed");
      break;
    }
    g_measured.push_back(took);
    g_bare.push_back(bareTook);
  }
  if (bare >= 0) ::close(bare);
}

// A whole 2047-byte frame received, its ETX pause set to nothing, each after
// a bare read of the same bytes from the same line.
const std::string kLongText(2047, 'd');

void BM_LongFrame(benchmark::State& state) {
  CommTiming saved = Comm_GetTiming();
  CommTiming t = saved;
  t.etxPauseMs = 0;
  Comm_SetTiming(t);
  const int bare = OpenBareSide();
  const std::string frame = Frame(kLongText);
  char buf[kCommBufSize];
  for (auto _ : state) {
    const auto t0 = Clock::now();
    g_fake->PushRaw(frame);
    if (bare < 0 || !Get(bare, frame.size())) {
      Fail(state, "bare read failed");
      break;
    }
    const auto t1 = Clock::now();
    int len = 0;
    g_fake->PushRaw(frame);
    if (Comm_RecvFrame(buf, len) != LINK_OK || len != 2047) {
      Fail(state, "frame failed");
      break;
    }
    const double took = Seconds(Clock::now() - t1);
    state.SetIterationTime(took);
    g_frameRatios.push_back(Seconds(t1 - t0) / took);
  }
  if (bare >= 0) ::close(bare);
  Comm_SetTiming(saved);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  char tmpl[] = "/tmp/orvo-bench-XXXXXX";
  if (!::mkdtemp(tmpl)) return 1;
  ProgramDir = std::string(tmpl) + "/";
  // The port's lock goes beside it, never into the machine's lock folder,
  // where a run that was killed would leave it.
  PortLock_Folders() = {tmpl};

  auto script = std::make_shared<ScriptTable>();
  script->On(kRequest, {kReply});
  FakeSerialExchange fake(std::make_shared<FakeCore>(script));
  g_fake = &fake;
  std::string err;
  if (!fake.Start(&err) || !fake.LinkPort(ProgramDir, 1, &err)) {
    std::fprintf(stderr, "fake exchange: %s\n", err.c_str());
    return 1;
  }
  CommPortName = "COM1";
  if (Comm_Open() != LINK_OK || Comm_Setup(38400) != LINK_OK) {
    std::fprintf(stderr, "cannot open the port\n");
    return 1;
  }
  Comm_SetRcvTimeOut(2000);

  benchmark::RegisterBenchmark("block_round_trip", BM_BlockRoundTrip)
      ->Iterations(40)->UseManualTime()->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("long_frame", BM_LongFrame)
      ->Iterations(1000)->UseManualTime()->Unit(benchmark::kMicrosecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  Comm_Close();
  fake.Stop();
  std::filesystem::remove_all(tmpl);

  if (g_failed || g_measured.empty() || g_frameRatios.empty()) {
    std::printf("ratio: 0\n");
    return 1;
  }
  // The one pause the protocol prescribes per round trip: after the reply's
  // ETX, before its BCC is read.
  const double pauses = Comm_GetTiming().etxPauseMs / 1000.0;
  std::vector<double> roundRatios;
  for (size_t i = 0; i < g_measured.size(); ++i) roundRatios.push_back((g_bare[i] + pauses) / g_measured[i]);
  std::printf("per round trip (middle): measured %.3f ms, bare %.3f ms, prescribed pauses %.3f ms\n",
              Median(g_measured) * 1e3, Median(g_bare) * 1e3, pauses * 1e3);
  // The floors are about half of the ratios on a quiet machine; the frame's
  // guards against a per-byte cost (that fault measured thousands of times
  // slower).
  bool ok = KeepsFloor("frame_ratio", Median(g_frameRatios), 0.12);
  // The round trip is almost all prescribed pause, so this ratio stays near
  // 1 whatever the bytes cost (the frame ratio above watches those); its
  // floor catches a wait of the program's own beyond a fifth of the pause.
  ok = KeepsFloor("ratio", Median(roundRatios), 0.8) && ok;
  return ok ? 0 : 1;
}
