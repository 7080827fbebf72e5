#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include <string>
#include <vector>

#include "phone/KTel_Unit.h"
#include "platform/FileSys.h"
#include "shell/Global_Unit.h"
#include "tests/support/TempDir.h"

using namespace ktel;

namespace {

struct CleanCase {
  const char* what;
  bool (*cleaner)(std::string_view, size_t, std::string&);
  std::string in;
  size_t max;
  std::string out;
  bool clean;
};

std::string Csv(std::initializer_list<std::string_view> lines) { return SjisLines(lines); }

const std::string kGroupHeader = "\"グループ\",\"グループ名\"";
const std::string kAddressHeader = "\"名前\",\"読み\",\"電話番号\",\"グループ\"";

}  // namespace

TEST(KTelCleaners, CharactersNotBytes) {
  const std::string name21 = std::string(19, 'a') + Sjis("山");  // lead byte at byte 20
  const CleanCase cases[] = {
      {"number: - dropped, P to R, silently", CheckDial, "03-1234-P56", 24, "031234R56", true},
      {"number: p and other letters dropped", CheckDial, "03p12x#*", 24, "0312#*", false},
      {"number: a double-byte digit dropped whole", CheckDial, Sjis("１2"), 24, "2", false},
      {"number: cut at 24", CheckDial, std::string(25, '1'), 24, std::string(24, '1'), false},
      {"number: trail byte 0x50 is no P", CheckDial, "\x83\x50" "1", 24, "1", false},
      {"reading: full width dropped", CheckKana, Sjis("ヤマダ"), 6, "", false},
      {"reading: half width kept", CheckKana, Sjis("ﾔﾏﾀﾞ"), 6, Sjis("ﾔﾏﾀﾞ"), true},
      {"reading: cut at 6", CheckKana, "ABCDEFG", 6, "ABCDEF", false},
      {"reading: no trail byte left over", CheckKana, Sjis("ｱ山ｲ"), 6, Sjis("ｱｲ"), false},
      {"name: kanji kept", CheckCtlCode, Sjis("山田太郎"), 20, Sjis("山田太郎"), true},
      {"name: 21 bytes, lead at 20 -> 19", CheckCtlCode, name21, 20, std::string(19, 'a'), false},
      {"name: control bytes dropped", CheckCtlCode, "a\x06" "b\x11\tc", 20, "abc", false},
      {"name: lone lead byte cannot carry 0x06", CheckCtlCode, "a\x81\x06" "b", 20, "ab", false},
      {"name: lead byte at the end dropped", CheckCtlCode, "ab\x81", 20, "ab", false},
      {"name: bytes that are no character", CheckCtlCode, "a\x80\xA0\xFD\xFF" "b", 20, "ab", false},
      {"spin: digits only", CheckNum, "1+2", 2, "12", false},
      {"spin: cut at 2", CheckNum, "123", 2, "12", false},
  };
  for (const auto& c : cases) {
    std::string out;
    EXPECT_EQ(c.cleaner(c.in, c.max, out), c.clean) << c.what;
    EXPECT_EQ(out, c.out) << c.what;
  }
  EXPECT_TRUE(CheckGroup("0"));
  EXPECT_TRUE(CheckGroup("9"));
  EXPECT_FALSE(CheckGroup(""));
  EXPECT_FALSE(CheckGroup("10"));
  EXPECT_FALSE(CheckGroup(Sjis("１")));
}

TEST(KTelCleaners, StartTimeAndDayLimits) {
  BookSettings s;
  EXPECT_EQ(StartTimeText(s), "00000000");
  s.timed = true;
  s.month = 1, s.day = 3, s.hour = 9, s.minute = 5;
  EXPECT_EQ(StartTimeText(s), "01030905");
  s.month = 2, s.day = 31;
  EXPECT_EQ(StartTimeText(s), "02290905");  // also when the day was typed after the month
  s.month = 4;
  EXPECT_EQ(StartTimeText(s), "04300905");
  s.month = 12;
  EXPECT_EQ(StartTimeText(s), "12310905");
}

class KTelBook : public ::testing::Test {
 protected:
  void SetUp() override { ProgramDir = dir.path(); }
  std::string Group(std::initializer_list<std::string_view> rows) {
    std::vector<std::string_view> v{kGroupHeader};
    v.insert(v.end(), rows);
    return Write("group.csv", v);
  }
  std::string Address(std::initializer_list<std::string_view> rows) {
    std::vector<std::string_view> v{kAddressHeader};
    v.insert(v.end(), rows);
    return Write("adr.csv", v);
  }
  std::string Write(const char* name, const std::vector<std::string_view>& lines) {
    std::string text;
    for (auto l : lines) text += Sjis(l) + "\r\n";
    return dir.Write(name, text);
  }
  TempDir dir;
};

TEST_F(KTelBook, WholeFileByteExact) {
  std::string g = Group({"0,営業部", "1,\"総務部\"", "x,不正", "2,技術部,余分", "1,総務課"});
  std::string a = Address({"山田太郎,ﾔﾏﾀﾞ,03-1234-5678,0", "鈴木花子,スズキ,0312p,1",
                           "佐藤,ｻﾄｳ,111,5,extra", "高橋,ﾀｶﾊｼ,222,A", "代表,,#8001P,0"});
  BookSettings s;
  s.title = Sjis("ﾎﾝｼｬ");
  s.group = 7;
  BookResult r = BuildBook(s, a, g);
  ASSERT_EQ(r.message, 0);
  std::string want = Sjis("!ﾎﾝｼｬ") + "\r\n/KNJ/\r\nNO=07\x11\r\nDATA1=" + Sjis("ﾎﾝｼｬ") +
                     "\x06" "00000000\x11\r\n" +
                     "DATA3=" + Sjis("営業部") + "\x11\r\n" + "DATA3=" + Sjis("総務課") + "\x11\r\n";
  for (int i = 2; i < 10; ++i) want += "DATA3=" + DefaultGroupName(i) + "\x11\r\n";
  want += "DATA2=0\x06" "0312345678\x06" + Sjis("ﾔﾏﾀﾞ") + "\x06" + Sjis("山田太郎") + "\x11\r\n";
  want += "DATA2=1\x06" "0312\x06\x06" + Sjis("鈴木花子") + "\x11\r\n";
  want += "DATA2=0\x06#8001R\x06\x06" + Sjis("代表") + "\x11\r\n";
  want += "EOF=1\x11\r\n";
  EXPECT_EQ(r.content, want);
  const std::vector<Warning> warnings = {
      {CsvKind::Group, 4, kWarnGroupDigit},   {CsvKind::Group, 5, kWarnFieldCount},
      {CsvKind::Address, 3, kWarnNumber},     {CsvKind::Address, 3, kWarnReading},
      {CsvKind::Address, 4, kWarnFieldCount}, {CsvKind::Address, 5, kWarnGroupDigit},
  };
  EXPECT_EQ(r.warnings, warnings);
}

TEST_F(KTelBook, LimitsStopReading) {
  std::vector<std::string> rows;
  for (int i = 0; i < 11; ++i) rows.push_back(std::to_string(i % 10) + ",G" + std::to_string(i));
  std::vector<std::string_view> gv{kGroupHeader};
  for (auto& r : rows) gv.push_back(r);
  std::string g = Write("g.csv", gv);

  std::string text = Sjis(kAddressHeader) + "\r\n";
  for (int i = 0; i < 501; ++i) text += "n" + std::to_string(i) + ",r,1,1\r\n";
  text += std::string(100000, 'x');  // never read: reading stops at line 502
  std::string a = dir.Write("a.csv", text);

  BookSettings s;
  s.title = "T";
  BookResult r = BuildBook(s, a, g);
  ASSERT_EQ(r.message, 0);
  const std::vector<Warning> warnings = {{CsvKind::Group, 12, kWarnTooManyGroups},
                                         {CsvKind::Address, 502, kWarnTooManyAddresses}};
  EXPECT_EQ(r.warnings, warnings);
  EXPECT_NE(r.content.find("DATA3=G9\x11"), std::string::npos);
  EXPECT_EQ(r.content.find("DATA3=G10"), std::string::npos);  // the 11th line is not read
  EXPECT_NE(r.content.find("DATA2=1\x06" "1\x06r\x06n499\x11"), std::string::npos);
  EXPECT_EQ(r.content.find("n500"), std::string::npos);
}

TEST_F(KTelBook, SplitterEdges) {
  // A trailing comma adds no field; two add one; an empty line has none.
  std::string a = Address({"a,r,1,0,", "a,r,1,0,,", "", "\"q,uoted\",r,1,0"});
  std::vector<std::string> lines;
  std::vector<Warning> w;
  ASSERT_EQ(ReadAddress(a, lines, w), 0);
  EXPECT_EQ(lines.size(), 2u);
  const std::vector<Warning> want = {{CsvKind::Address, 3, kWarnFieldCount},
                                     {CsvKind::Address, 4, kWarnFieldCount}};
  EXPECT_EQ(w, want);
  EXPECT_EQ(lines[1], "DATA2=0\x06" "1\x06r\x06q,uoted\x11");
}

TEST_F(KTelBook, CheckAheadOrder) {
  std::string g = Group({"1,A"});
  std::string a = Address({"n,r,1,1"});
  std::string badG = dir.Write("bg.csv", Csv({"グループ,名前"}));
  std::string badA = dir.Write("ba.csv", Csv({"名前,読み,電話番号"}));
  std::string empty = dir.Write("empty.csv", "");
  struct {
    std::string a, g, title;
    int message;
  } cases[] = {
      {"", g, "T", 8001},           {a, "", "T", 8001},
      {a, dir.path() + "none.csv", "T", 8002}, {dir.path() + "none.csv", g, "", 8002},
      {a, g, "", 8003},             {a, badG, "T", 8004},
      {badA, badG, "T", 8004},      {badA, g, "T", 8005},
      {empty, g, "T", 8005},        {a, g, "T", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(CheckAhead(c.a, c.g, c.title), c.message) << c.a << " " << c.g;
  // The header alone gives the ten default names.
  std::array<std::string, 10> names;
  for (int i = 0; i < 10; ++i) names[i] = DefaultGroupName(i);
  std::vector<Warning> w;
  EXPECT_EQ(ReadGroup(Group({}), names, w), 0);
  EXPECT_EQ(names[3], Sjis("グループ3"));
  EXPECT_TRUE(w.empty());
}

TEST_F(KTelBook, WriteFailuresKeepTheOldFile) {
  const std::string old = "!old\r\n";
  std::string path = dir.Write(kKanjiBookFile, old);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_EQ(WriteBook(path, "new"), 9059);
  EXPECT_EQ(dir.Read(kKanjiBookFile), old);
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  EXPECT_EQ(WriteBook(path, "new"), 0);
  EXPECT_EQ(dir.Read(kKanjiBookFile), "new");
  EXPECT_EQ(WriteBook(dir.path() + "no/such/folder/" + kKanjiBookFile, "x"), 9059);
  std::vector<fsys::DirEntry> left;
  ASSERT_TRUE(fsys::ListDir(dir.path(), "*", left));
  EXPECT_EQ(left.size(), 1u);  // the book only, no temporary file
}

TEST_F(KTelBook, DataFolderRules) {
  std::string data = dir.path() + "data";
  ASSERT_EQ(::mkdir(data.c_str(), 0755), 0);
  std::string env = dir.path() + "ENVIRON.DAT";
  auto fields = [](const std::string& folder, int n) {
    std::string t = "c," + folder;
    for (int i = 2; i < n; ++i) t += ",";
    return t;
  };
  EXPECT_EQ(DataFolder(env, "/prev/"), ProgramDir);  // missing file
  dir.Write("ENVIRON.DAT", fields(data, 17));
  EXPECT_EQ(DataFolder(env, ""), data + "/");
  dir.Write("ENVIRON.DAT", fields(data, 16));
  EXPECT_EQ(DataFolder(env, "/prev/"), "/prev/");
  EXPECT_EQ(DataFolder(env, ""), ProgramDir);
  dir.Write("ENVIRON.DAT", fields(dir.path() + "gone", 17));
  EXPECT_EQ(DataFolder(env, "/prev/"), ProgramDir);
}

// The sample book is what the import makes of the sample CSV files.
TEST(KTelSample, BookMatchesItsCsvFiles) {
  const char* src = std::getenv("ORVO_SOURCE_DIR");
  ASSERT_NE(src, nullptr);
  std::string data = std::string(src) + "/sample/data/";
  ASSERT_EQ(CheckAhead(data + "PhoneBook.csv", data + "PhoneGroup.csv", "T"), 0);
  BookSettings s;
  s.title = Sjis("ﾎﾝｼｬ");
  BookResult r = BuildBook(s, data + "PhoneBook.csv", data + "PhoneGroup.csv");
  ASSERT_EQ(r.message, 0);
  EXPECT_TRUE(r.warnings.empty());
  std::string sample;
  ASSERT_TRUE(fsys::ReadFile(data + kKanjiBookFile, sample));
  EXPECT_EQ(r.content, sample);
}
