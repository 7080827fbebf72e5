// The modem list editor's rules: name comparison, switching kinds, and the
// register with its checks, its question and the file it writes.
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "admin/ModemSet.h"
#include "platform/FileSys.h"
#include "tests/support/TempDir.h"

namespace {

const char kThree[] = "A,ATZ,ATD,,+++,ATH\r\nB,AT&F|E1,ATX,ATD,+++,ATH0\r\nC,AT,ATD,,,\r\n";

struct Asker {
  std::vector<int> answers;
  std::vector<std::string> asked;
  ModemSetAsk Fn() {
    return [this](std::string_view n) {
      asked.emplace_back(n);
      int a = answers.empty() ? 2 : answers.front();
      if (!answers.empty()) answers.erase(answers.begin());
      return a;
    };
  }
};

std::string Lines(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "K" + std::to_string(i) + ",ATZ,ATD,,+++,ATH\r\n";
  return s;
}

TEST(ModemSet, NamesFoldOnlySingleByteLetters) {
  struct Row {
    std::string a, b;
    bool same;
  } rows[] = {
      {"Hayes", "HAYES", true},
      {"Hayes", "Hayes ", false},                       // blanks count: the name is compared untrimmed
      {Sjis("標準モデム"), Sjis("標準モデム"), true},
      {Sjis("ア"), Sjis("ヂ"), false},                  // 83 41 and 83 61: trail bytes are no letters
      {Sjis("ｱb"), Sjis("ｱB"), true},                   // half-width kana stay one byte
      {Sjis("ａ"), Sjis("Ａ"), false},                   // full-width letters are not folded
      {"", "", true},
  };
  for (const Row& r : rows) EXPECT_EQ(ModemSet_SameName(r.a, r.b), r.same) << r.a << " / " << r.b;

  struct Trim {
    std::string in, out;
  } trims[] = {{"  a b ", "a b"}, {" \t ", ""}, {Sjis("　a"), Sjis("　a")}};
  for (const Trim& r : trims) EXPECT_EQ(ModemSet_Trim(r.in), r.out);

  struct Dial {
    std::string init, dial1, dial2;
    int bad;
  } dials[] = {{"", "ATD", "ATD", 0},     {"ATDT", "ATD", "", 0},  // the init command is not looked at
               {"", "atdt1", "ATDP", 1}, {"", "ATD", "xAtDpx", 2},
               {"", "AT DT", "", 0}};
  for (const Dial& d : dials) EXPECT_EQ(ModemSet_BadDial({d.init, d.dial1, d.dial2, "", ""}), d.bad) << d.dial1;
}

TEST(ModemSet, SwitchingStoresTheEditsIntoTheKindLeftUnlessADialIsRefused) {
  TempDir t;
  t.Write("MODEM.INF", kThree);
  ModemSetList l;
  l.Load(t.path());
  ASSERT_EQ(l.table.Count(), 3);
  EXPECT_EQ(l.selected, -1);
  ModemCmds e;
  int bad = 0;
  e.init = "typed before";  // nothing selected: stored nowhere
  ASSERT_EQ(l.Switch(1, e, bad), 0);
  EXPECT_EQ(e.init, "AT&F,E1");
  e.cut2 = "ATH9";
  ASSERT_EQ(l.Switch(0, e, bad), 0);
  EXPECT_EQ(l.table.kinds[1].hangUpCmd2, "ATH9");
  EXPECT_EQ(l.table.kinds[1].name, "B");
  EXPECT_EQ(e.init, "ATZ");

  e.dial2 = "ATDT";
  ModemCmds before = e;
  EXPECT_EQ(l.Switch(2, e, bad), 3);
  EXPECT_EQ(bad, 2);
  EXPECT_EQ(l.selected, 0);
  EXPECT_EQ(l.table.kinds[0].dialCmd2, "");
  EXPECT_EQ(e.dial2, before.dial2);
  EXPECT_EQ(l.Switch(0, e, bad), 0);  // the same kind: no check, nothing stored
  EXPECT_EQ(l.table.kinds[0].dialCmd2, "");

  e.dial2.clear();
  ASSERT_EQ(l.Switch(-1, e, bad), 0);
  EXPECT_EQ(l.selected, -1);
  EXPECT_EQ(e.init, "");
}

TEST(ModemSet, RegisterChecksInOrderAndWritesNothingWhenRefused) {
  TempDir t;
  std::string path = t.Write("MODEM.INF", Lines(30));
  struct Row {
    std::string name;
    ModemCmds c;
    std::vector<int> answers;
    int message;
    ModemFocus focus;
    std::vector<std::string> asked;
  } rows[] = {
      {" \t", {"", "ATDT", "", "", ""}, {}, 303, ModemFocus::Kind, {}},
      {"New", {"", "ATDT", "", "", ""}, {}, 302, ModemFocus::Kind, {}},  // the 31st kind
      {"k3", {"", "atdp", "ATDT", "", ""}, {}, 3, ModemFocus::Dial1, {}},
      {"k3", {"", "ATD", "ATDT", "", ""}, {}, 3, ModemFocus::Dial2, {}},
      {"k3", {"ATZ", "ATD", "", "", ""}, {2}, 0, ModemFocus::None, {"7005"}},  // Cancel keeps the file
  };
  for (const Row& r : rows) {
    ModemSetList l;
    l.Load(t.path());
    Asker a{r.answers, {}};
    ModemRegResult res = l.Register(r.name, r.c, path, a.Fn());
    EXPECT_EQ(res.message, r.message) << r.name;
    EXPECT_EQ(res.focus, r.focus) << r.name;
    EXPECT_EQ(a.asked, r.asked) << r.name;
    EXPECT_EQ(res.index, -1);
    EXPECT_EQ(l.table.Count(), 30);
    EXPECT_EQ(t.Read("MODEM.INF"), Lines(30));
  }
}

TEST(ModemSet, RegisterRewritesTheWholeFileByteForByte) {
  TempDir t;
  // The fourth line is short: the kinds before it are all that is written back.
  std::string path = t.Write("modem.inf", std::string(kThree) + "D,AT,ATD,,+++\r\nE,AT,ATD,,+++,ATH\r\n");
  ModemSetList l;
  l.Load(t.path());
  ASSERT_EQ(l.table.Count(), 3);
  l.selected = 0;

  // An existing name in other case takes the typed spelling and the edits.
  Asker a{{1, 1, 1}, {}};
  ModemRegResult r = l.Register("b", {"AT,X", "ATD", "", "+++", "ATH"}, path, a.Fn());
  EXPECT_EQ(r.message, 0);
  EXPECT_TRUE(r.renamed);
  EXPECT_FALSE(r.added);
  EXPECT_EQ(r.index, 1);
  EXPECT_EQ(l.selected, 1);  // a later switch stores the edits into "b", not into "A"
  EXPECT_EQ(t.Read("modem.inf"), "A,ATZ,ATD,,+++,ATH\r\nb,AT|X,ATD,,+++,ATH\r\nC,AT,ATD,,,\r\n");

  // A new name with blanks and bytes of 0x80 and above is stored as typed.
  std::string name = Sjis(" ﾓﾃﾞﾑ 標準 ");
  r = l.Register(name, {"ATZ", "ATD", "ATD2", "", ""}, path, a.Fn());
  EXPECT_EQ(r.message, 0);
  EXPECT_TRUE(r.added);
  EXPECT_EQ(r.index, 3);
  EXPECT_EQ(a.asked, (std::vector<std::string>{"7005", "7005"}));
  std::string want = "A,ATZ,ATD,,+++,ATH\r\nb,AT|X,ATD,,+++,ATH\r\nC,AT,ATD,,,\r\n" + name + ",ATZ,ATD,ATD2,,\r\n";
  EXPECT_EQ(t.Read("modem.inf"), want);

  // What was written reads back to the same kinds, "," in the command included.
  ModemSetList back;
  back.Load(t.path());
  ASSERT_EQ(back.table.Count(), 4);
  EXPECT_EQ(back.table.kinds[1].initCmd, "AT,X");
  EXPECT_EQ(back.table.kinds[3].name, name);

  // A file without its final line end, and no file at all: no question then.
  TempDir u;
  u.Write("MODEM.INF", "A,ATZ,ATD,,+++,ATH");
  ModemSetList m;
  m.Load(u.path());
  ASSERT_EQ(m.table.Count(), 1);
  Asker none;
  TempDir empty;
  ASSERT_EQ(m.Register("Z", {}, empty.path() + "MODEM.INF", none.Fn()).message, 0);
  EXPECT_TRUE(none.asked.empty());
  EXPECT_EQ(empty.Read("MODEM.INF"), "A,ATZ,ATD,,+++,ATH\r\nZ,,,,,\r\n");
}

TEST(ModemSet, AFailedWriteLeavesTheOldFileAndTakesTheNewKindOut) {
  TempDir t;
  std::string path = t.Write("MODEM.INF", kThree);
  ModemSetList l;
  l.Load(t.path());
  l.selected = 2;
  Asker ok{{1, 1, 1}, {}};

  // No folder to create the file in.
  ModemRegResult r = l.Register("New", {}, t.path() + "missing/MODEM.INF", ok.Fn());
  EXPECT_EQ(r.message, 9005);
  EXPECT_EQ(l.table.Count(), 3);
  EXPECT_EQ(l.selected, 2);

  // A write cut short (a file-size limit holds for root too).
  struct rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 16;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  ModemRegResult added = l.Register("New", {"ATZ", "", "", "", ""}, path, ok.Fn());
  ModemRegResult existing = l.Register("a", {"ATQ", "", "", "", ""}, path, ok.Fn());
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(added.message, 8045);
  EXPECT_FALSE(added.added);
  EXPECT_EQ(added.index, -1);
  EXPECT_EQ(existing.message, 8045);
  EXPECT_EQ(t.Read("MODEM.INF"), kThree);
  std::vector<fsys::DirEntry> list;
  ASSERT_TRUE(fsys::ListDir(t.path(), "*", list));
  EXPECT_EQ(list.size(), 1u);  // no temporary file left behind
  // The appended kind is gone; the existing one keeps the edits and the typed spelling.
  ASSERT_EQ(l.table.Count(), 3);
  EXPECT_EQ(l.table.kinds[0].name, "a");
  EXPECT_EQ(l.table.kinds[0].initCmd, "ATQ");
  EXPECT_EQ(existing.index, 0);
  EXPECT_EQ(l.selected, 0);
}

// The dealer's protection holds for root too: a MODEM.INF without write bits
// is not created anew ("9005") and keeps its text and mode; a MODEM.INF
// that is a link is written through and stays a link.
TEST(ModemSet, AProtectedFileIsRefusedAndALinkIsWrittenThrough) {
  TempDir t;
  std::string path = t.Write("MODEM.INF", kThree);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  ModemSetList l;
  l.Load(t.path());
  Asker ok{{1, 1}, {}};
  ModemRegResult r = l.Register("New", {"ATZ", "", "", "", ""}, path, ok.Fn());
  EXPECT_EQ(r.message, 9005);
  EXPECT_FALSE(r.added);
  EXPECT_EQ(l.table.Count(), 3);
  EXPECT_EQ(t.Read("MODEM.INF"), kThree);
  struct stat st{};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u);

  TempDir linked;
  linked.Write("shared/MODEM.INF", kThree);
  ASSERT_EQ(::symlink("shared/MODEM.INF", (linked.path() + "MODEM.INF").c_str()), 0);
  ModemSetList m;
  m.Load(linked.path());
  ASSERT_EQ(m.table.Count(), 3);
  r = m.Register("New", {"ATZ", "", "", "", ""}, linked.path() + "MODEM.INF", ok.Fn());
  EXPECT_EQ(r.message, 0);
  ASSERT_EQ(::lstat((linked.path() + "MODEM.INF").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(linked.Read("shared/MODEM.INF"), std::string(kThree) + "New,ATZ,,,,\r\n");
}

TEST(ModemSet, ThirtyKindsStillTakeEditsButNoNewKind) {
  TempDir t;
  std::string path = t.Write("MODEM.INF", Lines(31));
  ModemSetList l;
  l.Load(t.path());
  ASSERT_EQ(l.table.Count(), 30);
  Asker ok{{1}, {}};
  ModemRegResult r = l.Register("K29", {"ATE0", "ATD", "", "+++", "ATH"}, path, ok.Fn());
  EXPECT_EQ(r.message, 0);
  std::string want = Lines(29) + "K29,ATE0,ATD,,+++,ATH\r\n";
  EXPECT_EQ(t.Read("MODEM.INF"), want);
}

}  // namespace
