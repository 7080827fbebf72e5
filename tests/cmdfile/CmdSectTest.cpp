#include "cmdfile/CmdSect_Unit.h"

#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cmdfile/ScreenTbl_Unit.h"
#include "platform/FileSys.h"
#include "tests/support/TempDir.h"

namespace {

std::string Crlf(std::initializer_list<std::string_view> lines) {
  std::string s;
  for (std::string_view l : lines) (s += l) += "\r\n";
  return s;
}

// Screen keys used below: S10 = /M10/ whole, B73 = block BLK=073 of /M10/,
// S15, S60, S90 = sections that may be missing, L01 = block LEN=01 of /M20/.
class CmdSect : public ::testing::Test {
 protected:
  void SetUp() override {
    ScreenTbl.fill(ScreenRec());
    auto put = [](int i, const char* key, const char* header, const char* sub) {
      ScreenTbl[i].Key = key;
      ScreenTbl[i].Header = header;
      ScreenTbl[i].SubHeader = sub;
    };
    put(1, "S10", "/M10/", "");
    put(2, "B73", "/M10/", "BLK=073");
    put(3, "S15", "/M15/", "");
    put(4, "S60", "/M60/", "");
    put(5, "S90", "/M90/", "");
    put(6, "L01", "/M20/", "LEN=01");
    put(7, "S20", "/M20/", "");
    put(8, "EMPTY", "", "");
  }
  void TearDown() override {
    CmdSect_Fetch = fsys_ReadFile;
    CmdSect_Store = fsys_Replace;
    ScreenTbl.fill(ScreenRec());
  }
  static constexpr CmdSect_FetchFn fsys_ReadFile = &fsys::ReadFile;
  static constexpr CmdSect_StoreFn fsys_Replace = &fsys::ReplaceFile;
  TempDir dir;
};

TEST(DataLineIndex, NumbersPatternsAndKeys) {
  struct Row {
    int pos;
    std::string line;
    int want;
  } rows[] = {
      {1, "0001=a;", 1},
      {1, "0003-*=01-011;", 3},
      {1, "0003-*x=1;", -1},       // "-*" not at the end
      {1, "0003-*-*=1;", -1},
      {1, "-*=1;", -1},
      {1, "SIZE=4;", -1},
      {1, "-5=a;", -1},            // negative: not a number
      {1, "=a;", -1},
      {1, "0042", 42},             // no "=": the rest of the line
      {6, "0001=0099=x;", 99},
      {6, "SIZE=0099=x;", 99},
      {1, "2147483647=a;", 2147483647},
      {1, "2147483648=a;", -1},    // one above an int
      {1, "123456789012345678901234567890=a;", -1},
      {0, "0001=a;", -1},
      {8, "0001=a;", -1},          // past the end
      {7, "0001=a;", -1},          // ";" only
  };
  for (const Row& r : rows) EXPECT_EQ(DataLine_Index(r.pos, r.line), r.want) << r.pos << " " << r.line;
}

TEST(DataLineParse, Entries) {
  struct Row {
    std::string line;
    int max;
    bool result;
    std::vector<std::pair<int, std::string>> set;  // every cell that changes
  } rows[] = {
      {"0001=a>b>c;", 2, true, {{1, "a"}, {2, "b"}}},
      {"0099=a>b>c;0005=x;", 100, true, {{99, "a"}, {100, "b"}, {5, "x"}}},
      {"0001=a>b", 10, true, {{1, "a"}}},
      {"SIZE=4;0002=x;", 10, true, {{2, "x"}}},
      {"0003-*=01-011;", 10, true, {{3, "01-011"}}},
      {"SIZE=4;GRP=1;", 10, false, {}},
      {"no entry at all", 10, false, {}},
      {"SIZE=4;", 10, false, {}},
      {"", 10, false, {}},
      {"0001=a=b> c ;", 10, true, {{1, "a=b"}, {2, " c "}}},   // "=" and blanks are value text
      {"0001=;0002=>;", 10, true, {{1, ""}, {2, ""}, {3, ""}}},
      {"0009=a>b>c;0002=d;", 9, true, {{9, "a"}, {2, "d"}}},   // skipped above the maximum, then on
      {"0011=a;X=1;0003=b;", 5, true, {{3, "b"}}},
      {"-1=a;0002=b;", 10, true, {{2, "b"}}},
      {"0001=a;-3=x;", 10, true, {{1, "a"}}},
      {std::string("0001=a\0b;0002=c;", 16), 10, true, {}},   // NUL ends the walk
      {std::string("0001=a;0002=b\0;", 15), 10, true, {{1, "a"}}},
      {"123456789012345678901234567890=a;0004=d;", 10, true, {{4, "d"}}},
      {"0004", 10, true, {}},                                    // index without "="
      {"0004=a;;;0005=b;", 10, true, {{4, "a"}, {5, "b"}}},
      {"0004=a;SIZE", 10, true, {{4, "a"}}},
  };
  for (const Row& r : rows) {
    // Room for every index the row sets, before any is set.
    CellArray cells(r.max > 11 ? 101 : 12, "/");
    CellArray want = cells;
    for (auto& [i, v] : r.set) want.at(static_cast<size_t>(i)) = v;
    EXPECT_EQ(DataLine_Parse(r.line, cells, r.max), r.result) << r.line;
    EXPECT_EQ(cells, want) << r.line;
  }
}

TEST(DataLineParse, NeverWritesOutsideTheArray) {
  CellArray cells(3, "/");
  EXPECT_TRUE(DataLine_Parse("0001=a>b>c>d>e;0100=z;", cells, 1000));
  EXPECT_EQ(cells, (CellArray{"/", "a", "b"}));
}

TEST(DataLineBuild, RunsAndCuts) {
  const std::string v62(62, 'a'), v63(63, 'a'), v64(64, 'a'), v65(65, 'a'), v75(75, 'x'), v120(120, 'y');
  struct Row {
    const char* what;
    CellArray cells;
    int pageType;
    int last;
    SectList want;
  } rows[] = {
      {"two runs", {"/", "1", "2", "3", "/", "9"}, 1, 5, {"0001=1>2>3;", "0005=9;"}},
      {"every cell empty", {"/", "/", "/"}, 1, 2, {}},
      {"cell 0 counts", {"x", "/"}, 3, 1, {"0000=x;"}},
      {"pattern", {"/", "01-011", "02"}, 2, 2, {"0001-*=01-011>02;"}},
      {"pattern type 4", {"/", "/", "/", "7"}, 4, 3, {"0003-*=7;"}},
      {"last index bounds the walk", {"/", "1", "2", "3"}, 1, 2, {"0001=1>2;"}},
      {"last index past the array", {"/", "1"}, 1, 99, {"0001=1;"}},
      {"empty value is a value", {"/", "", "/"}, 1, 2, {"0001=;"}},
      {"70 characters fit", {"/", v64}, 1, 1, {"0001=" + v64 + ";"}},
      {"exactly 70 with two", {"/", v62, "b"}, 1, 2, {"0001=" + v62 + ">b;"}},
      {"71 is cut", {"/", v63, "b"}, 1, 2, {"0001=" + v63 + ";", "0002=b;"}},
      {"long first value stays whole", {"/", v75, "b"}, 1, 2, {"0001=" + v75 + ";", "0002=b;"}},
      {"120 characters are not cut", {"/", "1", v120, "2"}, 1, 3,
       {"0001=1;", "0002=" + v120 + ";", "0003=2;"}},
      {"continuation of a pattern", {"/", v65, "b"}, 2, 2, {"0001-*=" + v65 + ";", "0002-*=b;"}},
  };
  for (const Row& r : rows) {
    SectList list{"/M10/"};
    DataLine_Build(list, 4, r.cells, r.pageType, r.last);
    SectList want{"/M10/"};
    want.insert(want.end(), r.want.begin(), r.want.end());
    EXPECT_EQ(list, want) << r.what;
  }
}

TEST(DataLineBuild, TwentyValuesFillLinesOfSeventy) {
  CellArray cells(21, "12345");
  cells[0] = "/";
  SectList list;
  DataLine_Build(list, 4, cells, 1, 20);
  // "0001=" and ten "12345>" pieces make 65; an eleventh would make 71.
  std::string ten = "12345>12345>12345>12345>12345>12345>12345>12345>12345>12345;";
  EXPECT_EQ(list, (SectList{"0001=" + ten, "0011=" + ten}));
  for (const std::string& l : list) EXPECT_LE(l.size(), 70u);
}

TEST(DataLineMerge, BuiltLinesOnly) {
  SectList list;
  DataLine_Merge(list, 4, {"no index", "SIZE=1;", "0002-*=a;", "0007=a>b;", "0008=c"}, 1);
  EXPECT_EQ(list, (SectList{"0007=a>b;"}));  // a piece needs its ">" or ";"
  list.clear();
  DataLine_Merge(list, 4, {"0002=a;", "0003-*=b>c;"}, 2);
  EXPECT_EQ(list, (SectList{"0003-*=b>c;"}));
  list.clear();
  DataLine_Merge(list, 2, {"7=" + std::string(68, 'q') + ">z;"}, 1);  // width of the continuation
  EXPECT_EQ(list, (SectList{"7=" + std::string(68, 'q') + ";", "08=z;"}));
  list.clear();
  DataLine_Merge(list, 4, {"0001="}, 1);  // no piece: no bare index line
  EXPECT_TRUE(list.empty());
}

TEST(CmdSectSortKey, Order) {
  EXPECT_EQ(CmdSect_SortKey("/M50/"), "/M90/");
  EXPECT_EQ(CmdSect_SortKey("/M5"), "/M9");
  EXPECT_EQ(CmdSect_SortKey("/M60/"), "/M60/");
  EXPECT_EQ(CmdSect_SortKey("/m50/"), "/m50/");
  EXPECT_TRUE(CmdSect_Greater("/M20/", "/M15/"));
  EXPECT_FALSE(CmdSect_Greater("/M90/", "/M90/"));  // equal is not greater
  EXPECT_TRUE(CmdSect_Greater("/M100/", "/M10"));   // a prefix sorts first
  EXPECT_FALSE(CmdSect_Greater("/M10", "/M100/"));
  EXPECT_TRUE(CmdSect_Greater("/\x83\x41/", "/M99/"));  // unsigned bytes
  EXPECT_FALSE(CmdSect_Greater("/M99/", "/\x83\x41/"));
}

TEST_F(CmdSect, ReadSectionsAndBlocks) {
  const std::string file = Crlf({
      "!Title",
      "",
      "/M05/",
      "0001=x;",
      "/M10/   ! the section",
      "0001=a;   ! comment cut",
      "SIZE 4 ! kept: no semicolon",
      "",
      "! a comment line",
      "BLK=072;",
      "0001=b;",
      "/M10/",
      "BLK=073; ! block",
      "0001=c;",
      "",
      "BLK=074;",
      "0001=d;",
      "/M20/",
      "LEN=01;",
      "0001=e;",
      "LEN=02;",
      "0001=f;",
  });
  struct Row {
    const char* key;
    SectList want;
  } rows[] = {
      {"S10", {"/M10/", "0001=a;", "SIZE 4 ! kept: no semicolon", "", "BLK=072;", "0001=b;",
               "BLK=073;", "0001=c;", "", "BLK=074;", "0001=d;"}},
      // Lines between the header and the block go; blank ones stay.
      {"B73", {"/M10/", "", "BLK=073;", "0001=c;", ""}},
      {"L01", {"/M20/", "LEN=01;", "0001=e;"}},
      {"S15", {}},
      {"S20", {"/M20/", "LEN=01;", "0001=e;", "LEN=02;", "0001=f;"}},
  };
  std::string path = dir.Write("A.CMD", file);
  for (const Row& r : rows) {
    SectList list{"stale"};
    EXPECT_EQ(CmdSect_Read(path, r.key, list, 1), 0) << r.key;
    EXPECT_EQ(list, r.want) << r.key;
  }
  // LF-only lines and a last line without its end read the same.
  std::string lf = dir.Write("B.CMD", "/M10/\n0001=a;\n\n0002=b;");
  SectList list;
  EXPECT_EQ(CmdSect_Read(lf, "S10", list, 0), 0);
  EXPECT_EQ(list, (SectList{"/M10/", "0001=a;", "", "0002=b;"}));
  // The name is found ignoring case.
  EXPECT_EQ(CmdSect_Read(dir.path() + "b.cmd", "S10", list, 1), 0);
  EXPECT_EQ(list.size(), 4u);
}

// A file whose lines end in CR alone reads line by line, and storing a
// section into it replaces that section: never a second copy at the end.
// The file is written back with CR LF.
TEST_F(CmdSect, CrOnlyLinesReadAndStoreTheSectionOnce) {
  std::string path = dir.Write("MAC.CMD", "!T\r/M10/\r0001=a;\r/M20/\r0001=2;\r");
  SectList list;
  ASSERT_EQ(CmdSect_Read(path, "S10", list, 1), 0);
  EXPECT_EQ(list, (SectList{"/M10/", "0001=a;"}));
  ASSERT_EQ(CmdSect_Read(path, "S20", list, 1), 0);
  EXPECT_EQ(list, (SectList{"/M20/", "0001=2;"}));
  SectList store{"/M10/", "0001=b;"};
  ASSERT_EQ(CmdSect_Write(store, path, "S10"), 0);
  EXPECT_EQ(dir.Read("MAC.CMD"), Crlf({"!T", "/M10/", "0001=b;", "/M20/", "0001=2;"}));
  // Line ends of all three kinds in one file, and a CR LF counted once.
  path = dir.Write("MIX.CMD", "/M10/\r\n0001=a;\n\r0002=b;\r/M20/");
  ASSERT_EQ(CmdSect_Read(path, "S10", list, 1), 0);
  EXPECT_EQ(list, (SectList{"/M10/", "0001=a;", "", "0002=b;"}));
  SectList again{"/M10/", "0001=c;"};
  ASSERT_EQ(CmdSect_Write(again, path, "S10"), 0);
  ASSERT_EQ(CmdSect_Write(again, path, "S10"), 0);
  EXPECT_EQ(dir.Read("MIX.CMD"), Crlf({"/M10/", "0001=c;", "/M20/"}));
}

TEST_F(CmdSect, ReadFailures) {
  std::string path = dir.Write("A.CMD", Crlf({"/M10/", "0001=a;"}));
  SectList list{"kept"};
  EXPECT_EQ(CmdSect_Read(path, "NOKEY", list, 1), 9312);
  EXPECT_EQ(CmdSect_Read(path, "EMPTY", list, 1), 9312);
  EXPECT_EQ(CmdSect_Read(dir.path() + "NONE.CMD", "S10", list, 1), 0);
  EXPECT_EQ(list, SectList{"kept"});
  EXPECT_EQ(CmdSect_Read(dir.path() + "Format.Dat", "S10", list, 0), 9308);
  EXPECT_EQ(list, SectList{"kept"});
  // A folder where the file should be exists but cannot be read.
  dir.Write("DIR.CMD/x", "");
  EXPECT_EQ(CmdSect_Read(dir.path() + "DIR.CMD", "S10", list, 1), 9035);
  EXPECT_EQ(CmdSect_Read(dir.path() + "DIR.CMD", "S10", list, 0), 9309);
  CmdSect_Fetch = [](const std::string&, std::string&) { return false; };
  EXPECT_EQ(CmdSect_Read(path, "S10", list, 1), 9035);
  EXPECT_EQ(CmdSect_Read(path, "S10", list, 0), 9309);
}

TEST_F(CmdSect, DamagedLinesReadWithoutHarm) {
  std::string nul("/M10/\r\n0001=a\0;0002=b;\r\n", 24);
  std::string path = dir.Write("N.CMD", nul + Crlf({"0003", "123456789012345678901234567890=x;0004=d;"}));
  SectList list;
  ASSERT_EQ(CmdSect_Read(path, "S10", list, 1), 0);
  ASSERT_EQ(list.size(), 4u);
  CellArray cells(6, "/");
  for (size_t i = 1; i < list.size(); ++i) DataLine_Parse(list[i], cells, 5);
  EXPECT_EQ(cells, (CellArray{"/", "/", "/", "/", "d", "/"}));
}

TEST_F(CmdSect, WriteGoldenFiles) {
  const std::string ten = Crlf({"!T", "/M10/", "0001=1;", "/M20/", "0001=2;"});
  const std::string blocks = Crlf({"!T", "/M10/", "SIZE=1;", "BLK=072;", "0001=a;", "BLK=073;", "! in block",
                                   "0001=b;", "", "BLK=074;", "0001=c;", "/M20/", "0001=2;"});
  struct Row {
    const char* what;
    std::string before;  // empty: no file
    const char* key;
    SectList list;
    std::string after;
  } rows[] = {
      {"replace", ten, "S10", {"/M10/", "0001=9;", "0002=8;"},
       Crlf({"!T", "/M10/", "0001=9;", "0002=8;", "/M20/", "0001=2;"})},
      {"insert before a later section", ten, "S15", {"/M15/", "0001=5;"},
       Crlf({"!T", "/M10/", "0001=1;", "/M15/", "0001=5;", "/M20/", "0001=2;"})},
      {"/M50/ sorts as /M90/", Crlf({"/M10/", "/M50/", "0001=5;"}), "S60", {"/M60/", "0001=6;"},
       Crlf({"/M10/", "/M60/", "0001=6;", "/M50/", "0001=5;"})},
      {"an equal key is not greater", Crlf({"/M10/", "/M50/", "0001=5;"}), "S90", {"/M90/", "0001=9;"},
       Crlf({"/M10/", "/M50/", "0001=5;", "/M90/", "0001=9;"})},
      {"last section appends", ten, "S90", {"/M90/"}, ten + Crlf({"/M90/"})},
      {"header with comment and blanks",
       Crlf({"/M10/   ! old", "0001=1;", "! inside", "", "0002=2;", "/M20/ ! next", "! outside", "", "x"}),
       "S10", {"/M10/", "0001=7;"},
       Crlf({"/M10/", "0001=7;", "/M20/ ! next", "! outside", "", "x"})},
      {"repeated header belongs to the section", Crlf({"/M10/", "0001=1;", "/M10/", "0002=2;", "/M20/"}),
       "S10", {"/M10/", "0001=7;"}, Crlf({"/M10/", "0001=7;", "/M20/"})},
      {"replace block", blocks, "B73", {"/M10/", "BLK=073;", "0001=z;"},
       Crlf({"!T", "/M10/", "SIZE=1;", "BLK=072;", "0001=a;", "BLK=073;", "0001=z;", "BLK=074;", "0001=c;",
             "/M20/", "0001=2;"})},
      {"insert block before a greater one",
       Crlf({"/M10/", "BLK=072;", "0001=a;", "BLK=074;", "0001=c;", "/M20/"}), "B73",
       {"/M10/", "BLK=073;", "0001=z;"},
       Crlf({"/M10/", "BLK=072;", "0001=a;", "BLK=073;", "0001=z;", "BLK=074;", "0001=c;", "/M20/"})},
      {"block at the end of its section", Crlf({"/M10/", "BLK=072;", "0001=a;", "/M20/", "0001=2;"}), "B73",
       {"/M10/", "BLK=073;", "0001=z;"},
       Crlf({"/M10/", "BLK=072;", "0001=a;", "BLK=073;", "0001=z;", "/M20/", "0001=2;"})},
      {"block at the end of the file", Crlf({"/M10/", "BLK=072;"}), "B73", {"/M10/", "BLK=073;"},
       Crlf({"/M10/", "BLK=072;", "BLK=073;"})},
      {"block of a missing section", Crlf({"/M05/", "/M20/"}), "B73", {"/M10/", "BLK=073;", "0001=z;"},
       Crlf({"/M05/", "/M10/", "BLK=073;", "0001=z;", "/M20/"})},
      // An earlier-sorting section after the block's: the walk leaves the
      // section there, not after the next one's entries.
      {"unsorted: block before an earlier section", Crlf({"/M10/", "BLK=072;", "/M05/", "BLK=073;", "0001=q;"}),
       "B73", {"/M10/", "BLK=073;", "0001=z;"},
       Crlf({"/M10/", "BLK=072;", "BLK=073;", "0001=z;", "/M05/", "BLK=073;", "0001=q;"})},
      {"unsorted: section after a later one is replaced in place",
       Crlf({"/M20/", "0001=2;", "/M10/", "0001=1;", "/M30/"}), "S10", {"/M10/", "0001=9;"},
       Crlf({"/M20/", "0001=2;", "/M10/", "0001=9;", "/M30/"})},
      {"unsorted: missing section before the first later one",
       Crlf({"/M30/", "0001=3;", "/M10/", "0001=1;"}), "S15", {"/M15/", "0001=5;"},
       Crlf({"/M15/", "0001=5;", "/M30/", "0001=3;", "/M10/", "0001=1;"})},
      {"unsorted blocks: the block is replaced in place",
       Crlf({"/M10/", "BLK=074;", "0001=c;", "BLK=073;", "0001=b;"}), "B73", {"/M10/", "BLK=073;", "0001=z;"},
       Crlf({"/M10/", "BLK=074;", "0001=c;", "BLK=073;", "0001=z;"})},
      {"LEN= block", Crlf({"/M20/", "LEN=01;", "0001=a;", "LEN=02;", "0001=b;"}), "L01",
       {"/M20/", "LEN=01;", "0001=x;"}, Crlf({"/M20/", "LEN=01;", "0001=x;", "LEN=02;", "0001=b;"})},
      {"missing file holds the list alone", "", "B73", {"/M10/", "BLK=073;", "0001=z;"},
       Crlf({"/M10/", "BLK=073;", "0001=z;"})},
      {"missing file, unknown key", "", "NOKEY", {"/M77/"}, Crlf({"/M77/"})},
      {"LF-only old file", "/M10/\n0001=1;\n/M20/\n0001=2;", "S10", {"/M10/"},
       Crlf({"/M10/", "/M20/", "0001=2;"})},
  };
  for (const Row& r : rows) {
    std::string path = dir.path() + "W.CMD";
    ::unlink(path.c_str());
    if (!r.before.empty()) dir.Write("W.CMD", r.before);
    SectList list = r.list;
    EXPECT_EQ(CmdSect_Write(list, path, r.key), 0) << r.what;
    EXPECT_EQ(dir.Read("W.CMD"), r.after) << r.what;
  }
}

TEST_F(CmdSect, StoringABlockDropsTheListsHeader) {
  std::string path = dir.Write("W.CMD", Crlf({"/M10/", "BLK=073;"}));
  SectList list{"/M10/", "BLK=073;", "0001=z;"};
  ASSERT_EQ(CmdSect_Write(list, path, "B73"), 0);
  EXPECT_EQ(list, (SectList{"BLK=073;", "0001=z;"}));
}

TEST_F(CmdSect, WriteFailuresLeaveTheFileAsItWas) {
  const std::string old = Crlf({"!T", "/M10/", "0001=1;"}) + "tail without end";
  std::string path = dir.Write("W.CMD", old);
  struct Row {
    const char* what;
    const char* key;
    SectList list;
    bool failStore, failFetch;
    int want;
  } rows[] = {
      {"store fails", "S10", {"/M10/", "0001=2;"}, true, false, 9055},
      {"store of a block fails", "B73", {"/M10/", "BLK=073;"}, true, false, 9055},
      {"file cannot be read", "S10", {"/M10/", "0001=2;"}, false, true, 9015},
      {"empty list", "S10", {}, false, false, kCmdSectQuiet},
      {"unknown key", "NOKEY", {"/M10/"}, false, false, kCmdSectQuiet},
      {"key without header", "EMPTY", {"/M10/"}, false, false, kCmdSectQuiet},
  };
  for (const Row& r : rows) {
    CmdSect_Store = r.failStore ? [](const std::string&, std::string_view) { return EIO; } : fsys_Replace;
    CmdSect_Fetch = r.failFetch ? [](const std::string&, std::string&) { return false; } : fsys_ReadFile;
    SectList list = r.list;
    EXPECT_EQ(CmdSect_Write(list, path, r.key), r.want) << r.what;
    EXPECT_EQ(dir.Read("W.CMD"), old) << r.what;
  }
  CmdSect_Store = fsys_Replace;
  CmdSect_Fetch = fsys_ReadFile;
  // A new file that cannot be stored: nothing is left behind.
  CmdSect_Store = [](const std::string&, std::string_view) { return ENOSPC; };
  SectList list{"/M10/"};
  EXPECT_EQ(CmdSect_Write(list, dir.path() + "NEW.CMD", "S10"), 9055);
  EXPECT_FALSE(dir.Exists("NEW.CMD"));
  CmdSect_Store = fsys_Replace;
  // Real failures: a folder in the file's place, a folder that is missing.
  dir.Write("DIR.CMD/x", "");
  EXPECT_EQ(CmdSect_Write(list, dir.path() + "DIR.CMD", "S10"), 9015);
  EXPECT_EQ(CmdSect_Write(list, dir.path() + "no/such/X.CMD", "S10"), 9055);
}

TEST_F(CmdSect, CellsRoundTripThroughTheFile) {
  const std::string v120(120, 'v');
  const std::vector<CellArray> sets = {
      {"/", "1", "2", "/", "4"},
      {"/", std::string(75, 'w'), "b", "/", "/"},
      {"/", "1", v120, "3", "4"},
      {"/", "/", "/", "/", "/"},
  };
  for (const char* key : {"S10", "B73"}) {
    for (const CellArray& cells : sets) {
      std::string path = dir.Write("R.CMD", Crlf({"!T", "/M10/", "BLK=072;", "0001=k;", "/M20/", "0001=2;"}));
      ScreenRec rec = ScreenTbl_Find(key);
      SectList list{rec.Header};
      if (!rec.SubHeader.empty()) list.push_back(rec.SubHeader + ";");
      DataLine_Build(list, 4, cells, 1, 4);
      ASSERT_EQ(CmdSect_Write(list, path, key), 0);
      SectList back;
      ASSERT_EQ(CmdSect_Read(path, key, back, 1), 0);
      CellArray got(5, "/");
      for (size_t i = rec.SubHeader.empty() ? 1 : 2; i < back.size(); ++i) DataLine_Parse(back[i], got, 4);
      EXPECT_EQ(got, cells) << key;
      // The neighbouring section is untouched.
      EXPECT_NE(dir.Read("R.CMD").find("/M20/\r\n0001=2;\r\n"), std::string::npos);
    }
  }
}

}  // namespace
