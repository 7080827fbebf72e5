// Register's rewrite of a large command file whose two caller-number blocks
// sit in its middle, against a bare read and replace of the same file: the
// line walk over the file (once per block) should cost little beside the
// I/O. Wall time, since the flush to disk is most of the work.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/RateKeeper.h"
#include "kv_edit/KvWrite.h"
#include "platform/FileSys.h"

namespace {

struct Files {
  std::string dir, cmd, bare;
  std::vector<std::string> numbers = std::vector<std::string>(100), names = std::vector<std::string>(100);
  Files() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "orvo-bench-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) std::abort();
    dir = tmpl + "/";
    std::string filler;
    for (int s = 1; filler.size() < 25u * 1024 * 1024; ++s) {
      filler += "/M0" + std::to_string(s % 10) + "/\r\n";
      for (int i = 1; i <= 200; ++i) filler += "FS-" + std::to_string(i) + "=0" + std::to_string(i % 10) + ";\r\n";
    }
    std::string text = "!bench\r\n" + filler + "/M10/\r\nBLK=073;\r\n0001=65>66;\r\n/M13/\r\nBLK=050;\r\n0001=1;\r\n";
    std::string tail;
    for (int s = 0; tail.size() < 25u * 1024 * 1024; ++s) {
      tail += "/M20/\r\nLEN=0" + std::to_string(s % 10) + ";\r\n";
      for (int i = 1; i <= 200; ++i) tail += "0" + std::to_string(1000 + i) + "=1>2>3;\r\n";
    }
    text += tail;
    cmd = dir + "big.cmd";
    bare = dir + "bare.cmd";
    if (fsys::ReplaceFile(cmd, text) || fsys::ReplaceFile(bare, text)) std::abort();
    for (int r = 0; r < 100; ++r) {
      numbers[r] = "0312345" + std::to_string(100 + r);
      names[r] = "ABCDE";
    }
  }
  ~Files() { std::filesystem::remove_all(dir); }
};

Files& F() {
  static Files f;
  return f;
}

void BM_Register(benchmark::State& state) {
  for (auto _ : state)
    if (!kv::Register_Blocks(F().cmd, F().numbers, F().names).empty()) state.SkipWithError("register");
  state.SetItemsProcessed(state.iterations());
}

void BM_BareReadReplace(benchmark::State& state) {
  std::string text;
  for (auto _ : state) {
    if (!fsys::ReadFile(F().bare, text)) state.SkipWithError("read");
    if (fsys::ReplaceFile(F().bare, text)) state.SkipWithError("write");
  }
  state.SetItemsProcessed(state.iterations());
}


}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  F();  // the files are made before any timing starts
  // Rounds of the two side by side, each ratio taken within its round: the
  // machine's other disk work comes and goes over seconds.
  for (int i = 0; i < 5; ++i) {
    benchmark::RegisterBenchmark("BM_Register", BM_Register)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("BM_BareReadReplace", BM_BareReadReplace)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  RateKeeper reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const auto& reg = reporter.rates["BM_Register"];
  const auto& bare = reporter.rates["BM_BareReadReplace"];
  if (reg.empty() || reg.size() != bare.size()) {
    std::printf("ratio: 0\n");
    return 1;
  }
  std::vector<double> ratios;
  for (size_t i = 0; i < reg.size(); ++i) ratios.push_back(bare[i] > 0 ? reg[i] / bare[i] : 0);
  // About half of the ratio on a quiet machine.
  return KeepsFloor("ratio", Median(ratios), 0.22) ? 0 : 1;
}
