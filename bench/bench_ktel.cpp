// Kanji phone-book import against a bare read and rewrite of the same
// files: the cleaning and building should cost little beside the I/O, and a
// long tail past the last line read should cost nothing.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "bench/RateKeeper.h"
#include "phone/KTel_Unit.h"
#include "platform/Cp932.h"
#include "platform/FileSys.h"

namespace {

struct Files {
  std::string dir, adr, adrTail, grp, out;
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
  }
  ~Files() { std::filesystem::remove_all(dir); }
};

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
    if (fsys::ReplaceFile(F().out, a + g)) state.SkipWithError("write");
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_Import);
BENCHMARK(BM_ImportLongTail);
BENCHMARK(BM_BareReadWrite);


}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RateKeeper reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  double import = reporter.Best("BM_Import");
  double tail = reporter.Best("BM_ImportLongTail");
  double bare = reporter.Best("BM_BareReadWrite");
  std::printf("long_tail_ratio: %.4f\n", import > 0 ? tail / import : 0.0);
  std::printf("ratio: %.4f\n", bare > 0 ? import / bare : 0.0);
  return import > 0 && tail > 0 ? 0 : 1;
}
