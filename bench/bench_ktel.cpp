// Kanji phone-book import against a bare read of the same files and a write
// of a book of the same size: the cleaning and building should cost little
// beside the I/O, and a long tail past the last line read should cost
// nothing. Wall time, since the flush to disk is much of the work.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/RateKeeper.h"
#include "phone/KTel_Unit.h"
#include "platform/Cp932.h"
#include "platform/FileSys.h"

namespace {

struct Files {
  std::string dir, adr, adrTail, grp, out, book;
  Files() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "orvo-bench-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) std::abort();
    dir = tmpl + "/";
    auto sj = [](const char* u8) { return cp932::FromUtf8(u8).value_or(""); };
    std::string text = sj("\"名前\",\"読み\",\"電話番号\",\"グループ\"") + "\r\n";
    for (int i = 0; i < 500; ++i)
      text += sj("山田太郎") + std::to_string(i) + "," + sj("ﾔﾏﾀﾞ") + ",03-1234-" +
              std::to_string(1000 + i) + "," + std::to_string(i % 10) + "\r\n";
    std::string g = sj("\"グループ\",\"グループ名\"") + "\r\n";
    for (int i = 0; i < 10; ++i) g += std::to_string(i) + "," + sj("営業部") + "\r\n";
    adr = dir + "adr.csv";
    adrTail = dir + "adr-tail.csv";
    grp = dir + "grp.csv";
    out = dir + ktel::kKanjiBookFile;
    if (fsys::ReplaceFile(adr, text) || fsys::ReplaceFile(grp, g)) std::abort();
    std::string tail = text;
    while (tail.size() < 10 * 1024 * 1024) tail += sj("余分な行,ｱ,1,1") + "\r\n";
    if (fsys::ReplaceFile(adrTail, tail)) std::abort();
    ktel::BookSettings s;
    s.title = "T";
    book = ktel::BuildBook(s, adr, grp).content;
    if (book.empty()) std::abort();
  }
  ~Files() { std::filesystem::remove_all(dir); }
};

// About half of the ratios on a quiet machine.
constexpr double kFloor = 0.3;
constexpr double kTailFloor = 0.45;
constexpr int kRounds = 7;

Files& F() {
  static Files f;
  return f;
}

void Import(benchmark::State& state, const std::string& adr) {
  ktel::BookSettings s;
  s.title = "T";
  for (auto _ : state) {
    if (ktel::CheckAhead(adr, F().grp, s.title)) state.SkipWithError("check");
    ktel::BookResult r = ktel::BuildBook(s, adr, F().grp);
    if (r.message || ktel::WriteBook(F().out, r.content)) state.SkipWithError("build");
    benchmark::DoNotOptimize(r.content.data());
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_Import(benchmark::State& state) { Import(state, F().adr); }
void BM_ImportLongTail(benchmark::State& state) { Import(state, F().adrTail); }

void BM_BareReadWrite(benchmark::State& state) {
  std::string a, g;
  for (auto _ : state) {
    if (!fsys::ReadFile(F().adr, a) || !fsys::ReadFile(F().grp, g)) state.SkipWithError("read");
    if (ktel::WriteBook(F().out, F().book)) state.SkipWithError("write");
  }
  state.SetItemsProcessed(state.iterations());
}


}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  F();  // the files are made before any timing starts
  // Rounds of the three side by side, each ratio taken within its round: a
  // flush to disk stalls with the machine's other writing, which comes and
  // goes over seconds.
  for (int i = 0; i < kRounds; ++i) {
    benchmark::RegisterBenchmark("BM_Import", BM_Import)->UseRealTime()->MinTime(0.1);
    benchmark::RegisterBenchmark("BM_ImportLongTail", BM_ImportLongTail)->UseRealTime()->MinTime(0.1);
    benchmark::RegisterBenchmark("BM_BareReadWrite", BM_BareReadWrite)->UseRealTime()->MinTime(0.1);
  }
  RateKeeper reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const auto& import = reporter.rates["BM_Import"];
  const auto& tail = reporter.rates["BM_ImportLongTail"];
  const auto& bare = reporter.rates["BM_BareReadWrite"];
  if (import.empty() || import.size() != tail.size() || import.size() != bare.size()) {
    std::printf("ratio: 0\n");
    return 1;
  }
  std::vector<double> tails, ratios;
  for (size_t i = 0; i < import.size(); ++i) {
    tails.push_back(import[i] > 0 ? tail[i] / import[i] : 0);
    ratios.push_back(bare[i] > 0 ? import[i] / bare[i] : 0);
  }
  std::printf("imports/s: %.1f  bare reads and writes/s: %.1f (medians of %zu rounds)\n", Median(import),
              Median(bare), import.size());
  const bool tailOk = KeepsFloor("long_tail_ratio", Median(tails), kTailFloor);
  const bool ok = KeepsFloor("ratio", Median(ratios), kFloor);
  return tailOk && ok ? 0 : 1;
}
