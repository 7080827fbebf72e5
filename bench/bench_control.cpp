// Lines per second of the load's pre-check over a large command file (read
// from disk, split, trimmed, each line checked and converted), beside a bare
// pass that reads, splits and trims the same file; and the time to read a
// control file of 400 menus and 1000 items. Wall time on both sides.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "bench/RateKeeper.h"
#include "platform/FileSys.h"
#include "transfer/Control_Unit.h"
#include "transfer/LoadErr_Unit.h"

namespace {

constexpr const char* kControl =
    "/SPD/ITEM;!system speed dial\r\n"
    "NO;NB=1(R0=3);\r\n"
    "DATA;NB=2(e=24,c=16);FMT=SS0R0I1I2;\r\n"
    "\\N\r\n"
    "/M01/ITEM;!keys\r\n"
    "SIZE;NB=1(n=4);FMT=K00I1;\r\n"
    "FS;NB=1(m=2),IDX=3;FMT=K01DI1;\r\n"
    "OP;NB=1(m=2),IDX=3;FMT=K02DI1;\r\n"
    "\\N\r\n"
    "/M10/NI=4;BLK;!system\r\n"
    "BLK;NB=1(R0=3);\r\n"
    ";NB=1(e=4);FMT=P10R0NI1;\r\n"
    "\\N\r\n"
    "/M20/NI=4;LEN;!trunks\r\n"
    "LEN;NB=1(R1=2);\r\n"
    ":;NB=1(D=8),IDX=1;FMT=P20R1NDI1;\r\n"
    ";NB=1(M=2);FMT=P21R1NI1;\r\n"
    "\\N\r\n"
    "/M30/NI=3;!extensions\r\n"
    ";NB=3(N=4,M=2,c=10);FMT=P30NI1I2I3;\r\n"
    "\\N\r\n"
    "/M40/NI=2;!classes\r\n"
    ";NB=4(k=8,l=8,H=2,h=4);FMT=P40NI1I2I3I4;\r\n"
    "\\N\r\n";

// A command file of about a million lines: sections of a thousand lines
// each, in turn from the menus above.
std::string MakeCommandFile() {
  std::string f = "!generated\r\n";
  char buf[128];
  for (int sec = 0; sec < 1000; ++sec) {
    switch (sec % 6) {
      case 0:
        f += "/M10/\r\nBLK=001;\r\n";
        for (int i = 1; i < 1000; ++i) {
          std::snprintf(buf, sizeof buf, "%04d=%d>%d>%d;\r\n", i, i % 90, (i * 7) % 90, (i * 3) % 90);
          f += buf;
        }
        break;
      case 1:
        f += "/SPD/\r\n";
        for (int i = 0; i < 1000; ++i) {
          std::snprintf(buf, sizeof buf, "NO=%03d>DATA=03%08d<NAME %d>\r\n", i % 800, i * 37, i);
          f += buf;
        }
        break;
      case 2:
        f += "/M30/\r\n";
        for (int i = 1; i <= 999; ++i) {
          std::snprintf(buf, sizeof buf, "%03d=%d,%02d,EXT %d;\r\n", i, 200 + i, i % 16, i);
          f += buf;
        }
        break;
      case 3:
        f += "/M20/\r\nLEN=01;\r\n";
        for (int i = 1; i < 1000; ++i) {
          std::snprintf(buf, sizeof buf, "%04d-*=01-%03d>02-%03d;\r\n", i, i % 1000, (i + 1) % 1000);
          f += buf;
        }
        break;
      case 4:
        f += "/M40/\r\n";
        for (int i = 1; i <= 999; ++i) {
          std::snprintf(buf, sizeof buf, "%02d=01-10-11,1111----,0A,FF%02d;\r\n", i % 100, i % 100);
          f += buf;
        }
        break;
      default:
        f += "/M01/\r\nSIZE=4;\r\n";
        for (int i = 1; i < 1000; ++i) {
          std::snprintf(buf, sizeof buf, "FS-%03d=%02d;OP-%03d=%02d;\r\n", i, i % 100, i, (i + 1) % 100);
          f += buf;
        }
    }
  }
  return f;
}

// The command file on disk, as the load reads it; removed at the end.
struct CommandFile {
  std::string dir, path;
  size_t lines = 0;
  CommandFile() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "orvo-bench-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) std::abort();
    dir = tmpl + "/";
    path = dir + "CMD.DAT";
    const std::string f = MakeCommandFile();
    lines = static_cast<size_t>(std::count(f.begin(), f.end(), '\n'));
    if (fsys::ReplaceFile(path, f)) std::abort();
  }
  ~CommandFile() { std::filesystem::remove_all(dir); }
};

const CommandFile& Cmd() {
  static const CommandFile f;
  return f;
}

// The load's trim: control bytes and blanks off both ends.
std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

// Reads the command file and calls fn for each trimmed line, as the load's
// pre-check walks it; false when it cannot be read.
template <class Fn>
bool ForEachLine(Fn&& fn) {
  std::string content;
  if (!fsys::ReadFile(Cmd().path, content)) return false;
  loaderr::Lines in(std::move(content));
  for (std::string line; in.Next(line);) fn(Trim(line));
  return true;
}

void BM_BareSplit(benchmark::State& state) {
  for (auto _ : state) {
    size_t bytes = 0;
    if (!ForEachLine([&](const std::string& line) {
          benchmark::DoNotOptimize(line.data());
          bytes += line.size();
        }))
      state.SkipWithError("read");
    benchmark::DoNotOptimize(bytes);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Cmd().lines));
}

void BM_LineCheck(benchmark::State& state) {
  if (Ctl_File_Parse(kControl) != 0) {
    state.SkipWithError("control text refused");
    return;
  }
  size_t faults = 0;
  for (auto _ : state) {
    Ctl_Menu_Clear();
    if (!ForEachLine([&](const std::string& line) {
          if (line.empty() || line[0] == '!') return;
          if (line[0] == '/') {
            faults += Ctl_Menu_Select(line) != 0;
            return;
          }
          faults += Ctl_Line_Check(line, 0) != 0;
          benchmark::DoNotOptimize(Ctl_State.Command.data());
        }))
      state.SkipWithError("read");
  }
  Ctl_Def_Free();
  if (faults) state.SkipWithError("a generated line was refused");
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Cmd().lines));
}

std::string MakeLargeControl() {
  std::string c = "!400 menus, 1000 items\r\n";
  int items = 0;
  for (int m = 0; m < 400; ++m) {
    c += "/M" + std::to_string(m) + "/NI=4;BLK;!menu " + std::to_string(m) + "\r\n";
    int n = m < 200 ? 3 : 2;  // 200 x 3 + 200 x 2 = 1000
    for (int i = 0; i < n; ++i, ++items) {
      if (i == 0)
        c += "BLK;NB=1(R0=3);!block\r\n";
      else if (i == 1)
        c += ";NB=2(e=4,c=16);FMT=P10R0NI1I2;!values\r\n";
      else
        c += ":;NB=1(D=8),IDX=2;FMT=P20R0NDI1;!pattern\r\n";
    }
    c += "\\N\r\n";
  }
  return c;
}

void BM_ControlParse(benchmark::State& state) {
  static const std::string c = MakeLargeControl();
  for (auto _ : state) {
    if (Ctl_File_Parse(c) != 0 || Ctl_MenuCount != 400 || Ctl_ItemCount != 1000) {
      state.SkipWithError("control text refused");
      break;
    }
  }
  Ctl_Def_Free();
}

BENCHMARK(BM_BareSplit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LineCheck)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ControlParse)->Unit(benchmark::kMicrosecond);

// About half of the ratio on a quiet machine.
constexpr double kFloor = 0.28;

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Cmd();  // the file is made before any timing starts
  RateKeeper reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  double check = reporter.Best("BM_LineCheck");
  double bare = reporter.Best("BM_BareSplit");
  std::printf("lines_per_second: %.0f\n", check);
  const bool ok = KeepsFloor("ratio", bare > 0 ? check / bare : 0.0, kFloor);
  return check > 0 && ok ? 0 : 1;
}
