// Reading the caller-number blocks: entry lines, titles, the block search
// and the rows made of what was read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>

#include "kv_edit/KvRead.h"
#include "tests/support/Child.h"
#include "tests/support/TempDir.h"

namespace {

std::string SampleData(const std::string& name) {
  const char* src = std::getenv("ORVO_SOURCE_DIR");
  return std::string(src ? src : ".") + "/sample/KV_EDIT/data/" + name;
}

// Cells start as "?", so that a cell the parser must not touch shows.
std::map<int, std::string> Parsed(std::string_view line, int maxIndex, bool& result) {
  std::vector<std::string> arr(maxIndex + 1, "?");
  result = kv::Parse_EntryLine(line, arr, maxIndex);
  std::map<int, std::string> set;
  for (int i = 0; i <= maxIndex; ++i)
    if (arr[i] != "?") set[i] = arr[i];
  return set;
}

TEST(KvParse, EntryLines) {
  struct Row {
    std::string line;
    int max;
    std::map<int, std::string> cells;
    bool result;
  } rows[] = {
      {"0001=a>b>c;", 2, {{1, "a"}, {2, "b"}}, true},
      {"0099=a>b>c;0005=x;", 100, {{99, "a"}, {100, "b"}, {5, "x"}}, true},
      {"0001=a>b", 5, {{1, "a"}}, true},  // no closing ";": b is not stored
      {"SIZE=4;0002=x;", 5, {{2, "x"}}, true},
      {"FS-101=01;", 5, {}, false},
      {"no entry at all", 5, {}, false},
      {"0001=>>x;", 5, {{1, ""}, {2, ""}, {3, "x"}}, true},
      {"0001=1;FS-1=2;0003=z;", 5, {{1, "1"}, {3, "z"}}, true},
      // Beyond the array: 0601 in the number block, 1201 in the name block.
      {"0601=0000;", 600, {}, true},
      {"1201=65;0002=66;", 1200, {{2, "66"}}, true},
      {"0600=a>b>c;0001=d;", 600, {{600, "a"}, {1, "d"}}, true},
      {"99999999999=1;0002=y;", 5, {{2, "y"}}, true},
      // The first entry may have any width; after a ";" the index is four
      // digits wide, stepped over as five characters.
      {"1=ab;0002=c;", 5, {{1, "ab"}, {2, "c"}}, true},
      {"0001=a;2=bcd;", 5, {{1, "a"}, {2, ""}}, true},  // "2=bcd" is stepped over whole
      {"0001=a;2=b", 5, {{1, "a"}}, true},  // the step ends at the line's end
      {"0001=a;0002=", 5, {{1, "a"}}, true},
      {std::string("0001=a\0b;", 9), 5, {}, true},  // NUL ends the walk
      {"0003-*=01-011;", 5, {}, false},  // no pattern form in these blocks
      {"0001=x;;;", 5, {{1, "x"}}, true},
      {"=;=;=", 5, {}, false},
  };
  for (const Row& r : rows) {
    bool result;
    EXPECT_EQ(Parsed(r.line, r.max, result), r.cells) << r.line;
    EXPECT_EQ(result, r.result) << r.line;
  }
}

TEST(KvParse, EntryIndex) {
  struct Row {
    const char* line;
    size_t pos;
    int index;
  } rows[] = {{"0001=x", 0, 1},   {"0600=", 0, 600}, {"a;0042=", 2, 42}, {"0001", 0, -1},
              {"x1=2", 0, -1},    {"=5", 0, -1},     {"0003-*=a", 0, -1}, {"-1=a", 0, -1},
              {"0001=", 9, -1}};
  for (const Row& r : rows) EXPECT_EQ(kv::Get_EntryIndex(r.pos, r.line), r.index) << r.line;
}

TEST(KvTitle, FirstLineRules) {
  std::string kanji = Sjis("本");
  std::string ascii29(29, 'x');
  struct Row {
    std::string line, title;
  } rows[] = {
      {"!" + ascii29, ascii29.substr(0, 24)},  // characters 2 to 25 of a 30-character line
      {"!" + std::string(22, 'a') + kanji + "b", std::string(22, 'a') + kanji},  // 24 and 25: whole
      {"!" + std::string(23, 'a') + kanji, std::string(23, 'a')},  // 25 and 26: left out
      {"  !Title \t ", "Title"},
      {"! spaced", " spaced"},
      {"!", ""},
      {"!   ", ""},
      {"Title", ""},
      {"", ""},
      {"!ab\x88", "ab"},  // a lead byte without its trail byte
      {Sjis("!ABC本社プログラム設定全て"), Sjis("ABC本社プログラム設定全")},
  };
  for (const Row& r : rows) EXPECT_EQ(kv::TitleOfLine(r.line), r.title) << r.line;
}

TEST(KvTitle, SampleFilesAndStamps) {
  std::string title, date, time;
  ASSERT_TRUE(kv::Read_TitleLine(SampleData("PrgSetAll.DAT"), title));
  EXPECT_EQ(title, Sjis("ABC本社プログラム設定全"));
  ASSERT_TRUE(kv::Read_TitleLine(SampleData("proptn2.dat"), title));
  EXPECT_EQ(title, Sjis("AB機能メニュー関連のセー"));  // 24 bytes, the last character at 24 and 25
  EXPECT_FALSE(kv::Read_TitleLine(SampleData("missing.dat"), title));
  EXPECT_EQ(title, "");

  TempDir d;
  std::string p = d.Write("t.dat", "!LF only\nsecond\r\n");
  ASSERT_TRUE(kv::Read_TitleLine(p, title));
  EXPECT_EQ(title, "LF only");
  p = d.Write("empty.dat", "");
  EXPECT_TRUE(kv::Read_TitleLine(p, title));
  EXPECT_EQ(title, "");

  struct timespec ts[2] = {{0, UTIME_OMIT}, {0, 0}};
  struct tm tm{};
  tm.tm_year = 2024 - 1900, tm.tm_mon = 1, tm.tm_mday = 29, tm.tm_hour = 7, tm.tm_min = 5, tm.tm_sec = 9;
  tm.tm_isdst = -1;
  ts[1].tv_sec = mktime(&tm);
  ASSERT_EQ(utimensat(AT_FDCWD, p.c_str(), ts, 0), 0);
  ASSERT_TRUE(kv::Get_FileStamp(p, date, time));
  EXPECT_EQ(date, "2024-02-29");
  EXPECT_EQ(time, "07:05:09");
  EXPECT_FALSE(kv::Get_FileStamp(d.path() + "none.dat", date, time));
  EXPECT_EQ(date + time, "");
}

struct Blocks {
  std::vector<std::string> tel = std::vector<std::string>(kv::kTelArrayMax + 1);
  std::vector<std::string> kana = std::vector<std::string>(kv::kKanaArrayMax + 1);
  int count = 0;
  std::string msg;
};

Blocks ReadBoth(const std::string& path) {
  Blocks b;
  b.msg = kv::Read_SectionBlock(path, kv::kNameSection, kv::kNameBlock, b.kana, kv::kKanaArrayMax, b.count);
  if (b.msg.empty())
    b.msg = kv::Read_SectionBlock(path, kv::kTelSection, kv::kTelBlock, b.tel, kv::kTelArrayMax, b.count);
  return b;
}

TEST(KvReader, SampleProgramSettings) {
  Blocks b = ReadBoth(SampleData("PrgSetAll.DAT"));
  ASSERT_EQ(b.msg, "");
  EXPECT_EQ(b.count, 2);
  EXPECT_EQ(kv::NumberOfRow(b.tel, 1), "0312345678");
  EXPECT_EQ(kv::NumberOfRow(b.tel, 2), "0663211234");
  EXPECT_EQ(kv::NumberOfRow(b.tel, 3), "0452221111");
  EXPECT_EQ(kv::NumberOfRow(b.tel, 4), "");  // a group of five characters
  EXPECT_EQ(b.tel[17], "9999");              // the row's later groups were read all the same
  EXPECT_EQ(b.tel[600], "");                 // 0601= is beyond the array
  EXPECT_EQ(kv::NameOfRow(b.kana, 1), Sjis("ﾔﾏﾀﾞ ﾀﾛｳ"));
  EXPECT_EQ(kv::NameOfRow(b.kana, 2), "   AB");  // 126, 160 and 224 become blanks
  EXPECT_EQ(b.kana[11] + b.kana[12] + b.kana[13], "323232");
  EXPECT_EQ(kv::NameOfRow(b.kana, 3), Sjis("ｿｳﾑ"));
  EXPECT_EQ(kv::NameOfRow(b.kana, 4), Sjis("ｴｲｷﾞｮｳ"));
  EXPECT_EQ(kv::NameOfRow(b.kana, 5), "");
  EXPECT_EQ(b.kana[1], "212");  // BLK=074 ends the block: its 0001=1 is no name
}

TEST(KvReader, BlocksFoundOrMissing) {
  EXPECT_EQ(ReadBoth(SampleData("Office.CMD")).count, 2);  // headers and block lines with comments
  Blocks off = ReadBoth(SampleData("Office.CMD"));
  EXPECT_EQ(kv::NumberOfRow(off.tel, 1), "03#1234*");
  EXPECT_EQ(kv::NameOfRow(off.kana, 1), Sjis("ｼﾃﾝ"));
  Blocks none = ReadBoth(SampleData("NoNumbers.cmd"));
  EXPECT_EQ(none.msg, "");
  EXPECT_EQ(none.count, 1);
  EXPECT_EQ(kv::NameOfRow(none.kana, 1), Sjis("ｳｹﾂｹ"));

  TempDir d;
  struct Row {
    const char* what;
    std::string text;
    int count;
    std::string tel1;
  } rows[] = {
      {"block only in a later section", "/M13/\r\n/M20/\r\nBLK=050;\r\n0001=1111;\r\n", 0, ""},
      {"block as the last line", "/M13/\r\nBLK=050;", 1, ""},
      {"section twice, block in the second", "/M13/\r\n/M13/\r\nBLK=050;\r\n0001=1;\r\n", 0, ""},
      {"blank lines and comments before the block", "/M13/ !x\r\n\r\n! c\r\n BLK=050; !y\r\n0001=7;\r\n", 1, "7"},
      {"entries after the block's end", "/M13/\r\nBLK=050;\r\nBLK=051;\r\n0001=2;\r\n", 1, ""},
      {"LF line ends", "/M13/\nBLK=050;\n0001=3>4;\n", 1, "34"},
      {"a section line ends the block unread", "/M13/\r\nBLK=050;\r\n0001=1;\r\n/M20/ ;0001=9;\r\n", 1, "1"},
      {"a block line ends the block unread", "/M13/\r\nBLK=050;\r\n0001=1;\r\nBLK=051;0001=9;\r\n", 1, "1"},
      {"the last line is an entry line", "/M13/\r\nBLK=050;\r\n0001=5>6;", 1, "56"},
      {"not Shift-JIS at all", std::string("\xff\xfe/M13/\x00\x80\r\n\x81", 12), 0, ""},
      {"empty file", "", 0, ""},
  };
  for (const Row& r : rows) {
    std::string p = d.Write("f.cmd", r.text);
    std::vector<std::string> tel(kv::kTelArrayMax + 1);
    int count = 0;
    EXPECT_EQ(kv::Read_SectionBlock(p, kv::kTelSection, kv::kTelBlock, tel, kv::kTelArrayMax, count), "")
        << r.what;
    EXPECT_EQ(count, r.count) << r.what;
    EXPECT_EQ(kv::NumberOfRow(tel, 1), r.tel1) << r.what;
  }

  std::vector<std::string> tel(kv::kTelArrayMax + 1);
  int count = 0;
  EXPECT_EQ(kv::Read_SectionBlock(d.path() + "missing.cmd", "/M13/", "BLK=050;", tel, 600, count), "3002");
  ::mkdir((d.path() + "dir.cmd").c_str(), 0755);
  EXPECT_EQ(kv::Read_SectionBlock(d.path() + "dir.cmd", "/M13/", "BLK=050;", tel, 600, count), "3003");
  EXPECT_EQ(count, 0);
}

// A FIFO chosen from the list (its name matches like any command file) is
// refused as unreadable at once; the editor never waits for a writer.
TEST(KvReader, AFifoIsUnreadableAndNeverWaitedFor) {
  TempDir d;
  const std::string fifo = d.path() + "b.cmd";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
  ASSERT_TRUE(child::Run([] { return true; }, [&] {
    std::vector<std::string> tel(kv::kTelArrayMax + 1);
    int count = 0;
    EXPECT_EQ(kv::Read_SectionBlock(fifo, kv::kTelSection, kv::kTelBlock, tel, kv::kTelArrayMax, count), "3003");
  }));
}

TEST(KvRows, NumbersAndNames) {
  std::vector<std::string> tel(601);
  tel[1] = "03#1", tel[2] = "234*";
  tel[6] = "1234", tel[7] = "12345", tel[8] = "9";
  tel[496] = "0000", tel[500] = "9";
  EXPECT_EQ(kv::NumberOfRow(tel, 1), "03#1234*");
  EXPECT_EQ(kv::NumberOfRow(tel, 2), "");
  EXPECT_EQ(kv::NumberOfRow(tel, 100), "00009");

  struct Row {
    std::vector<std::string> codes;
    std::string name;
    std::vector<std::string> after;
  } rows[] = {
      {{"65", "125", "161", "223", "32"}, "A}\xa1\xdf", {"65", "125", "161", "223", "32"}},
      {{"31", "126", "160", "224", "x", ""}, "", {"32", "32", "32", "32", "32", "32"}},
      {{"65", "32", "66", "0065"}, "A B\x41", {"65", "32", "66", "0065"}},
      {{"-65", "1e2", "99999999999"}, "", {"32", "32", "32"}},
  };
  for (const Row& r : rows) {
    std::vector<std::string> kana(1201);
    for (size_t i = 0; i < r.codes.size(); ++i) kana[11 + i] = r.codes[i];
    EXPECT_EQ(kv::NameOfRow(kana, 2), r.name) << r.codes[0];
    for (size_t i = 0; i < r.after.size(); ++i) EXPECT_EQ(kana[11 + i], r.after[i]) << i;
  }
}

TEST(KvRows, CommandFileNames) {
  std::string kanji31;
  for (int i = 0; i < 31; ++i) kanji31 += "発";
  struct Row {
    std::string file, row;
  } rows[] = {
      {"Office.CMD", "Office"},
      {"Branch_Office_Second_Floor_Reception.cmd", "Branch_Office_Second_Floor_Rec.."},
      {std::string(30, 'a') + ".cmd", std::string(30, 'a')},
      {std::string(31, 'a') + ".cmd", std::string(30, 'a') + ".."},
      {kanji31 + ".cmd", kanji31.substr(0, 90) + ".."},  // UTF-8 characters, not bytes
      {".cmd", ""},
  };
  for (const Row& r : rows) EXPECT_EQ(kv::CmdFileRowName(r.file), r.row) << r.file;
}

TEST(KvLines, SplitKeepsBytesAndDropsTheCrOfCrLf) {
  EXPECT_EQ(kv::SplitLines("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(kv::SplitLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
  EXPECT_EQ(kv::SplitLines("x\ry\r"), (std::vector<std::string>{"x\ry\r"}));
  EXPECT_TRUE(kv::SplitLines("").empty());
}

}  // namespace
