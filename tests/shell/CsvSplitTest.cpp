#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "shell/CsvSplit_Unit.h"
#include "tests/support/Child.h"
#include "tests/support/TempDir.h"

namespace {

using Fields = std::vector<std::string>;

Fields Split(std::string_view line) {
  Fields f{"stale"};
  EXPECT_TRUE(TCsvSplit::SplitLine(line, f));
  return f;
}

TEST(CsvSplit, SplitLineFollowsTheFilesOwnRules) {
  struct Case {
    const char* line;
    Fields fields;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a,,b", {"a", "", "b"}},
      {"a,b,", {"a", "b"}},  // a trailing comma adds no field
      {",", {""}},
      {",a", {"", "a"}},
      {"\"x,y\",z", {"x,y", "z"}},
      {"\"say \"\"hi\"\"\",n", {"say \"hi\"", "n"}},
      {"\"end\"", {"end"}},                   // closing quote at the line's end
      {"a,\"b\"", {"a", "b"}},
      {"\"open,field", {"open,field"}},       // unterminated: to the end
      {"\"a\"\",b\"", {"a\"", "b\""}},        // a doubled quote before a comma ends the field
      {"\"\",x", {"", "x"}},
      {"x,\"", {"x", ""}},                    // a lone quote at the end
      {"\"", {""}},
      {"\"q\",", {"q"}},
      {"\"q\",,r", {"q", "", "r"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Split(c.line), c.fields) << c.line;
}

TEST(CsvSplit, SplitLineKeepsDoubleByteFieldsWhole) {
  std::string line = Sjis("山田,\"ソフト,表\",") ;
  EXPECT_EQ(Split(line), (Fields{Sjis("山田"), Sjis("ソフト,表")}));
}

TEST(CsvSplit, PosFromCountsFromTheTextStartAtCharacterBoundaries) {
  EXPECT_EQ(TCsvSplit::PosFrom(0, "abcabc", "bc"), 2u);
  EXPECT_EQ(TCsvSplit::PosFrom(-5, "abcabc", "bc"), 2u);
  EXPECT_EQ(TCsvSplit::PosFrom(1, "abcabc", "bc"), 2u);
  EXPECT_EQ(TCsvSplit::PosFrom(2, "abcabc", "bc"), 2u);
  EXPECT_EQ(TCsvSplit::PosFrom(3, "abcabc", "bc"), 5u);
  EXPECT_EQ(TCsvSplit::PosFrom(6, "abcabc", "bc"), 0u);
  EXPECT_EQ(TCsvSplit::PosFrom(7, "abcabc", "c"), 0u);  // beyond the end
  EXPECT_EQ(TCsvSplit::PosFrom(1, "abc", ""), 0u);
  EXPECT_EQ(TCsvSplit::PosFrom(1, "", "a"), 0u);

  // "ソ" is 0x83 0x5C: its trail byte is a backslash, never a match.
  std::string so = Sjis("ソ\\");
  ASSERT_EQ(so, "\x83\x5C\x5C");
  EXPECT_EQ(TCsvSplit::PosFrom(0, so, "\\"), 3u);
  // "ア" is 0x83 0x41; an "A" search must not hit its trail byte.
  EXPECT_EQ(TCsvSplit::PosFrom(0, Sjis("アA"), "A"), 3u);
  // A start on a lead byte begins after that character.
  std::string aa = Sjis("ああ");
  EXPECT_EQ(TCsvSplit::PosFrom(1, aa, Sjis("あ")), 3u);
  EXPECT_EQ(TCsvSplit::PosFrom(0, aa, Sjis("あ")), 1u);
  // A start on a trail byte waits for the next boundary.
  EXPECT_EQ(TCsvSplit::PosFrom(2, Sjis("アアA"), Sjis("ア")), 3u);
}

TEST(CsvSplit, ReplaceAllGoesLeftToRightWithoutOverlap) {
  EXPECT_EQ(TCsvSplit::ReplaceAll("aaaa", "aa", "b"), "bb");
  EXPECT_EQ(TCsvSplit::ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(TCsvSplit::ReplaceAll("x\"\"y\"\"", "\"\"", "\""), "x\"y\"");
  EXPECT_EQ(TCsvSplit::ReplaceAll("abc", "", "z"), "abc");
  EXPECT_EQ(TCsvSplit::ReplaceAll("", "a", "z"), "");
  EXPECT_EQ(TCsvSplit::ReplaceAll(Sjis("ソ\\"), "\\", "/"), Sjis("ソ/"));
}

TEST(CsvSplit, ReadsLinesUntilTheEnd) {
  TempDir t;
  std::string path = t.Write("book.csv", "a,b\r\n\"c,d\",e\nlast");
  TCsvSplit csv;
  EXPECT_TRUE(csv.FileName.empty());
  ASSERT_TRUE(csv.Open(path));
  EXPECT_EQ(csv.FileName, path);
  Fields f;
  EXPECT_FALSE(csv.Eof());
  ASSERT_TRUE(csv.ReadLine(f));
  EXPECT_EQ(f, (Fields{"a", "b"}));
  ASSERT_TRUE(csv.ReadLine(f));
  EXPECT_EQ(f, (Fields{"c,d", "e"}));
  ASSERT_TRUE(csv.ReadLine(f));
  EXPECT_EQ(f, (Fields{"last"}));
  EXPECT_TRUE(csv.Eof());
  // At the end: true with no field.
  f = {"stale"};
  EXPECT_TRUE(csv.ReadLine(f));
  EXPECT_TRUE(f.empty());
  EXPECT_TRUE(csv.Close());
  EXPECT_TRUE(csv.FileName.empty());
}

TEST(CsvSplit, EmptyLinesAndEmptyFiles) {
  TempDir t;
  TCsvSplit csv;
  ASSERT_TRUE(csv.Open(t.Write("e.csv", "")));
  EXPECT_TRUE(csv.Eof());
  Fields f{"x"};
  EXPECT_TRUE(csv.ReadLine(f));
  EXPECT_TRUE(f.empty());

  ASSERT_TRUE(csv.Open(t.Write("blank.csv", "\r\nx\r\n")));  // reopening closes the first
  EXPECT_TRUE(csv.ReadLine(f));
  EXPECT_TRUE(f.empty());
  EXPECT_FALSE(csv.Eof());
  EXPECT_TRUE(csv.ReadLine(f));
  EXPECT_EQ(f, Fields{"x"});
  EXPECT_TRUE(csv.Eof());
}

TEST(CsvSplit, OpenFailsForMissingOrUnreadableFiles) {
  TempDir t;
  TCsvSplit csv;
  EXPECT_FALSE(csv.Open(t.path() + "none.csv"));
  EXPECT_TRUE(csv.FileName.empty());
  // A folder opens but cannot be read: the read error closes it.
  if (csv.Open(t.path())) {
    Fields f{"x"};
    EXPECT_FALSE(csv.ReadLine(f));
    EXPECT_TRUE(f.empty());
    EXPECT_TRUE(csv.FileName.empty());
  }
  // A file its reader may not read (root would read it anyway).
  std::string p = t.Write("locked.csv", "a");
  ASSERT_EQ(::chmod(t.path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(p.c_str(), 0), 0);
  const bool ran = child::AsNobody([&] {
    TCsvSplit locked;
    EXPECT_FALSE(locked.Open(p));
    EXPECT_TRUE(locked.FileName.empty());
  });
  Fields f;
  EXPECT_FALSE(csv.ReadLine(f));  // nothing open
  EXPECT_TRUE(csv.Eof());
  if (!ran) GTEST_SKIP() << "cannot switch to an unprivileged user here";
}

}  // namespace
