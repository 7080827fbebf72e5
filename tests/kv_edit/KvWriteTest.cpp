// Register's rewrite: entry lines, the line walk over the old file (exact
// bytes), the replace and its failures, and the round trip through the reader.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <tuple>
#include <sys/resource.h>
#include <sys/stat.h>

#include "kv_edit/KvRead.h"
#include "kv_edit/KvWrite.h"
#include "tests/support/TempDir.h"

namespace {

std::string Lines(std::initializer_list<std::string> lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

std::string Idx(int i) {
  char b[16];
  std::snprintf(b, sizeof b, "%.4d=", i);
  return b;
}

std::string Repeat(const std::string& s, int n) {
  std::string r;
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

TEST(KvEntries, SectionNumbersAndBlockKeys) {
  struct Row {
    const char* line;
    const char* no;
    const char* key;
  } rows[] = {{"/M13/", "130", "BLK="}, {"/M10/", "100", "BLK="}, {"/M18/", "180", "BLK="},
              {"/M19/", "190", ""},     {"/M2/", "20", "LEN="},   {"/M22/", "220", "LEN="},
              {"/M3/", "30", "LEN="},   {"/M31/", "310", "LEN="}, {"/M32/", "320", "LNO="},
              {"/M33/", "330", ""},     {"/M40/", "400", "LEN="}, {"/M7/", "70", "LEN="},
              {"/M72/", "720", "LEN="}, {"/M61/", "61", ""},      {"/M6/", "6", ""},
              {"/M1A/", "", ""},        {"/M13", "", ""},         {"/M//", "", ""},
              {"/", "", ""}};
  for (const Row& r : rows) {
    EXPECT_EQ(kv::Get_SectionNo(r.line), r.no) << r.line;
    EXPECT_EQ(kv::Get_BlockKey(kv::Get_SectionNo(r.line)), r.key) << r.line;
  }
}

TEST(KvEntries, RegisterArraysAndNumberCheck) {
  std::vector<std::string> numbers(100), names(100);
  numbers[0] = "03#1234*";
  numbers[1] = "12345678901234567890";
  names[0] = Sjis("ｱｲ B");
  names[99] = "ABCDEFGHIJKL";  // beyond the 10th character nothing is taken
  std::vector<std::string> n = kv::NumberEntries(numbers), c = kv::NameEntries(names);
  ASSERT_EQ(n.size(), 501u);
  ASSERT_EQ(c.size(), 1001u);
  EXPECT_EQ(std::vector<std::string>(n.begin() + 1, n.begin() + 11),
            (std::vector<std::string>{"03#1", "234*", "", "", "", "1234", "5678", "9012", "3456", "7890"}));
  EXPECT_EQ(std::vector<std::string>(c.begin() + 1, c.begin() + 6),
            (std::vector<std::string>{"177", "178", "32", "66", "32"}));
  EXPECT_EQ(c[990], "32");
  EXPECT_EQ(c[991] + c[1000], "6574");

  struct Row {
    std::vector<std::string> numbers;
    int bad;
  } rows[] = {
      {{"03#1234*", "", "*#0"}, -1},
      {{"", "12a"}, 1},
      {{std::string(20, '1') + "x"}, -1},  // only the first 20 characters count
      {{"1", "2", " 3"}, 2},
      {{Sjis("１２")}, 0},
      {{"?"}, 0},
  };
  for (const Row& r : rows) EXPECT_EQ(kv::FirstBadNumber(r.numbers), r.bad) << r.numbers.back();
}

TEST(KvEntries, RunsAndEightyCharacterLines) {
  EXPECT_EQ(kv::Make_EntryRun({"", "DEFAULT", "DEFAULT", "a", ""}, 4), (std::vector<std::string>{"0003=a>;"}));
  EXPECT_EQ(kv::Make_EntryRun({"", "x", "DEFAULT"}, 2), (std::vector<std::string>{"0001=x>DEFAULT;"}));
  EXPECT_TRUE(kv::Make_EntryRun({"", "DEFAULT", "DEFAULT"}, 2).empty());

  std::string a78(78, 'a'), x90(90, 'x');
  struct Row {
    std::vector<std::string> runs, lines;
  } rows[] = {
      {{"0000=a;", "abc=1;", "no equals", "0002=b;"}, {"0002=b;"}},
      {{"0001=" + x90 + ";"}, {"0001=" + x90 + ";"}},  // one value stands alone, however long
      {{"0001=" + a78 + ">bb;"}, {"0001=" + a78 + ";", "0002=bb;"}},
      {{"7=a>b;"}, {"0007=a>b;"}},
  };
  for (const Row& r : rows) EXPECT_EQ(kv::Wrap_EntryLines(r.runs), r.lines) << r.runs[0];

  // 500 empty groups: 75 fit on a line of 80.
  std::vector<std::string> lines =
      kv::Wrap_EntryLines(kv::Make_EntryRun(kv::NumberEntries(std::vector<std::string>(100)), 500));
  std::vector<std::string> want;
  for (int k = 0; k < 6; ++k) want.push_back(Idx(1 + 75 * k) + std::string(74, '>') + ";");
  want.push_back(Idx(451) + std::string(49, '>') + ";");
  EXPECT_EQ(lines, want);

  // 1000 blanks: 25 codes "32" to a line.
  lines = kv::Wrap_EntryLines(kv::Make_EntryRun(kv::NameEntries(std::vector<std::string>(100)), 1000));
  ASSERT_EQ(lines.size(), 40u);
  for (int k = 0; k < 40; ++k) EXPECT_EQ(lines[k], Idx(1 + 25 * k) + Repeat("32>", 24) + "32;");
}

TEST(KvEntries, FullNumbersReadBackWithLinesOfAtMost80) {
  const std::string chars = "0123456789#*";
  std::vector<std::string> numbers(100), names(100);
  for (int r = 0; r < 100; ++r) {
    for (int i = 0; i < r % 21; ++i) numbers[r] += chars[(r + i) % chars.size()];
    for (int i = 0; i < r % 11; ++i) {
      int code = 32 + (r * 7 + i * 13) % 93;
      names[r] += static_cast<char>(code == 32 ? 'x' : code);
    }
    if (r % 5 == 0 && !names[r].empty()) names[r].back() = static_cast<char>(161 + r % 63);
  }
  std::vector<std::string> tel(601), kana(1201);
  for (auto [entries, count, arr] :
       {std::tuple{kv::NumberEntries(numbers), 500, &tel}, std::tuple{kv::NameEntries(names), 1000, &kana}}) {
    for (const std::string& l : kv::Wrap_EntryLines(kv::Make_EntryRun(entries, count))) {
      EXPECT_LE(l.size(), 80u) << l;
      ASSERT_TRUE(kv::Parse_EntryLine(l, *arr, static_cast<int>(arr->size()) - 1)) << l;
    }
  }
  for (int r = 1; r <= 100; ++r) {
    EXPECT_EQ(kv::NumberOfRow(tel, r), numbers[r - 1]) << r;
    EXPECT_EQ(kv::NameOfRow(kana, r), names[r - 1]) << r;
  }
}

const std::vector<std::string> kNameList = {"/M10/", "BLK=073;", "0001=70>71;"};
const std::vector<std::string> kTelList = {"/M13/", "BLK=050;", "0001=03#1>234*;"};

TEST(KvRewrite, GoldenFiles) {
  struct Row {
    const char* what;
    std::vector<std::string> list;
    std::string old, want;
  } rows[] = {
      {"block replaced in place; comments inside it go, the other block line loses its comment",
       kNameList,
       Lines({Sjis("!本社"), "/M10/", "BLK=001;", "0001=30;", Sjis("BLK=073; ! 名前"), "0001=65>66;",
              Sjis("! 古い"), "", "0011=67;", "BLK=074;", "0001=1;", Sjis("/M13/ ! 発信"),
              Sjis("BLK=050;  ! 番号"), "0001=1111;", "/M20/", "LEN=01; ! keep"}),
       Lines({Sjis("!本社"), "/M10/", "BLK=001;", "0001=30;", "BLK=073;", "0001=70>71;", "BLK=074;",
              "0001=1;", Sjis("/M13/ ! 発信"), "BLK=050;", "0001=1111;", "/M20/", "LEN=01; ! keep"})},
      {"header with a comment is the section", kTelList,
       Lines({"/M10/", "BLK=073;", "0001=65;", Sjis("/M13/ ! 発信"), Sjis("BLK=050; ! 番号"), "0001=1111>2222;",
              "0006=3333;", "/M20/"}),
       Lines({"/M10/", "BLK=073;", "0001=65;", Sjis("/M13/ ! 発信"), "BLK=050;", "0001=03#1>234*;", "/M20/"})},
      {"missing block before the later block line", kNameList,
       Lines({"/M10/", "BLK=001;", "0001=30;", "BLK=074;", "0001=1;", "/M13/"}),
       Lines({"/M10/", "BLK=001;", "0001=30;", "BLK=073;", "0001=70>71;", "BLK=074;", "0001=1;", "/M13/"})},
      {"missing block at the section's end", kNameList, Lines({"/M10/", "BLK=001;", "0001=30;", "/M13/", "x"}),
       Lines({"/M10/", "BLK=001;", "0001=30;", "BLK=073;", "0001=70>71;", "/M13/", "x"})},
      {"block only in a later section: written into its own", kTelList,
       Lines({"/M13/", "/M20/", "BLK=050;", "0001=1111;"}),
       Lines({"/M13/", "BLK=050;", "0001=03#1>234*;", "/M20/", "BLK=050;", "0001=1111;"})},
      {"missing section before /M2/ (20 after 130 as text)", kTelList,
       Lines({"!t", "/M10/", "BLK=073;", "0001=65;", "/M2/", "LEN=01;"}),
       Lines({"!t", "/M10/", "BLK=073;", "0001=65;", "/M13/", "BLK=050;", "0001=03#1>234*;", "/M2/", "LEN=01;"})},
      {"missing section at the end", kTelList, Lines({"/M10/", "/M12/", "/M129/"}),
       Lines({"/M10/", "/M12/", "/M129/", "/M13/", "BLK=050;", "0001=03#1>234*;"})},
      {"missing section before the first greater one only", kNameList, Lines({"/M01/", "/M13/", "/M11/"}),
       Lines({"/M01/", "/M10/", "BLK=073;", "0001=70>71;", "/M13/", "/M11/"})},
      {"empty file", kTelList, "", Lines({"/M13/", "BLK=050;", "0001=03#1>234*;"})},
      {"line ends become CR LF, bytes stay", kTelList,
       std::string("a\nb\r\n\x81\x40\xff x\r\nc\rd\r\n/M13/\nBLK=050;\n0001=1;\n/M20/\r\nlast"),
       std::string("a\r\nb\r\n\x81\x40\xff x\r\nc\rd\r\n/M13/\r\nBLK=050;\r\n0001=03#1>234*;\r\n/M20/\r\nlast\r\n")},
      {"a repeated section keeps its lines", kTelList,
       Lines({"/M13/", "BLK=050;", "0001=1;", "/M13/", "BLK=050;", "0001=2;"}),
       Lines({"/M13/", "BLK=050;", "0001=03#1>234*;", "/M13/", "BLK=050;", "0001=2;"})},
      {"a section without blocks is replaced whole", {"/M61/", "1=2;"},
       Lines({"/M60/", "/M61/", "1=1;", "! gone", "/M62/", "2=2;"}),
       Lines({"/M60/", "/M61/", "1=2;", "/M62/", "2=2;"})},
  };
  for (const Row& r : rows) EXPECT_EQ(kv::RewriteText(r.old, r.list), r.want) << r.what;
}

TEST(KvRewrite, RewrittenFileReadsBack) {
  // Whatever the old layout, the reader finds what Register wrote.
  const std::string layouts[] = {
      Lines({"/M13/ ! x", "/M20/", "BLK=050;", "0001=9;"}),
      Lines({" /M13/", "BLK=051;", "0001=1;", "BLK=050;", "0001=9;"}),
      Lines({"/M13/", "/M13/", "BLK=050;", "0001=9;"}),
      Lines({"/M20/", "BLK=050;", "0001=9;"}),
      std::string("\xff\xfe\x00/M13\r\n", 9),
  };
  for (const std::string& old : layouts) {
    std::string text = kv::RewriteText(old, kTelList);
    TempDir d;
    std::string p = d.Write("f.cmd", text);
    std::vector<std::string> tel(601);
    int count = 0;
    ASSERT_EQ(kv::Read_SectionBlock(p, kv::kTelSection, kv::kTelBlock, tel, 600, count), "");
    EXPECT_EQ(count, 1) << old;
    EXPECT_EQ(kv::NumberOfRow(tel, 1), "03#1234*") << old;
  }
}

TEST(KvReplace, FileStaysOnEveryFailure) {
  TempDir d;
  std::string msg;
  const std::string old = Lines({"!t", "/M13/", "BLK=050;", "0001=1111;"});

  // A file that does not exist is made of the list alone.
  EXPECT_TRUE(kv::Replace_SectionBlock(d.path() + "new.cmd", kTelList, msg));
  EXPECT_EQ(d.Read("new.cmd"), Lines({"/M13/", "BLK=050;", "0001=03#1>234*;"}));
  EXPECT_FALSE(kv::Replace_SectionBlock(d.path() + "no/such/dir.cmd", kTelList, msg));
  EXPECT_EQ(msg, "3002");

  // Nothing to write: no message, no change.
  std::string p = d.Write("f.cmd", old);
  EXPECT_FALSE(kv::Replace_SectionBlock(p, {}, msg));
  EXPECT_EQ(msg, "");
  EXPECT_FALSE(kv::Replace_SectionBlock(p, {"/MX/", "BLK=050;"}, msg));
  EXPECT_EQ(msg, "");
  EXPECT_EQ(d.Read("f.cmd"), old);

  // Read-only by its mode bits (root could still write it).
  ::chmod(p.c_str(), 0444);
  EXPECT_FALSE(kv::Replace_SectionBlock(p, kTelList, msg));
  EXPECT_EQ(msg, "3002");
  EXPECT_EQ(d.Read("f.cmd"), old);
  struct stat st;
  ASSERT_EQ(::stat(p.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0444u);
  ::chmod(p.c_str(), 0640);

  // A write that fails half way: the file size limit stops the new text.
  std::string big = old + Lines({"/M20/"}) + std::string(3000, 'x') + "\r\n";
  p = d.Write("f.cmd", big);
  auto before = std::filesystem::directory_iterator(d.path());
  size_t files = std::distance(before, std::filesystem::directory_iterator());
  std::vector<std::string> longList = {"/M13/", "BLK=050;"};
  for (int i = 0; i < 100; ++i) longList.push_back(Idx(1 + 15 * i) + Repeat("1234>", 14) + "1234;");
  struct rlimit saved;
  ::getrlimit(RLIMIT_FSIZE, &saved);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  ::setrlimit(RLIMIT_FSIZE, &small);
  bool ok = kv::Replace_SectionBlock(p, longList, msg);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(ok);
  EXPECT_EQ(msg, "3004");
  EXPECT_EQ(d.Read("f.cmd"), big);
  EXPECT_EQ(size_t(std::distance(std::filesystem::directory_iterator(d.path()), std::filesystem::directory_iterator())),
            files);  // no temporary file left behind
  ASSERT_EQ(::stat(p.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  // A success keeps the mode as well.
  EXPECT_TRUE(kv::Replace_SectionBlock(p, kTelList, msg));
  ASSERT_EQ(::stat(p.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  std::string head = Lines({"!t", "/M13/", "BLK=050;", "0001=03#1>234*;", "/M20/"});
  EXPECT_EQ(d.Read("f.cmd").substr(0, head.size()), head);
}

TEST(KvReplace, RegisterWritesNumbersThenNames) {
  TempDir d;
  std::string p = d.Write("f.cmd", Lines({"!t", "/M10/", "BLK=073;", "0001=65;", "/M13/", "BLK=050;",
                                          "0001=1;", "/M20/"}));
  std::vector<std::string> empty(100);
  ASSERT_EQ(kv::Register_Blocks(p, empty, empty), "");
  std::string want = Lines({"!t", "/M10/", "BLK=073;"});
  for (int k = 0; k < 40; ++k) want += Idx(1 + 25 * k) + Repeat("32>", 24) + "32;\r\n";
  want += Lines({"/M13/", "BLK=050;"});
  for (int k = 0; k < 6; ++k) want += Idx(1 + 75 * k) + std::string(74, '>') + ";\r\n";
  want += Idx(451) + std::string(49, '>') + ";\r\n" + Lines({"/M20/"});
  EXPECT_EQ(d.Read("f.cmd"), want);

  // The number block fails: the name block is not attempted.
  std::string ro = d.Write("ro.cmd", Lines({"/M10/", "BLK=073;", "0001=65;"}));
  ::chmod(ro.c_str(), 0400);
  EXPECT_EQ(kv::Register_Blocks(ro, empty, empty), "3002");
  EXPECT_EQ(d.Read("ro.cmd"), Lines({"/M10/", "BLK=073;", "0001=65;"}));
}

}  // namespace
