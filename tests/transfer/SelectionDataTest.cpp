// What the data-kind selection reads and lists: ENVIRON.DAT and the part
// lines of the control file (damaged files included), the comments of the
// data files, the rows of every mode for both system types, the range check
// and the free-space text, and the choice handed to the next form.
#include <gtest/gtest.h>
#include <sys/time.h>

#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/FileSys.h"
#include "shell/Global_Unit.h"
#include "shell/Language_Unit.h"
#include "tests/support/TempDir.h"
#include "transfer/FSel_Data.h"

namespace {

std::string Env(const std::string& control, const std::string& folder, int pieces = 22) {
  std::string s = control + "," + folder;
  for (int i = 2; i < pieces; ++i) s += ",x";
  return s + "\r\n";
}

std::vector<std::string> FirstColumns(const std::vector<FSel_Row>& rows) {
  std::vector<std::string> out;
  for (const FSel_Row& r : rows) out.push_back(r.text.substr(0, r.text.find('\t')));
  return out;
}

std::vector<int> Kinds(const std::vector<FSel_Row>& rows) {
  std::vector<int> out;
  for (const FSel_Row& r : rows) out.push_back(r.kind);
  return out;
}

std::string Name(int type, int slot) {
  return std::string(type == 1 ? DataKindNamesZNT[slot] : DataKindNames[slot]);
}

class SelectionData : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgramDir = dir.path();
    setenv("TZ", "UTC", 1);
    tzset();
  }
  void SetMtime(const std::string& name, time_t t) {
    struct timeval tv[2] = {{t, 0}, {t, 0}};
    ASSERT_EQ(::utimes((dir.path() + name).c_str(), tv), 0);
  }
  TempDir dir;
};

TEST_F(SelectionData, EnvironReadResultsAndFolder) {
  FSel_Data d(0);
  EXPECT_EQ(Environ_Read(d), 9006);
  struct Row {
    std::string content;
    int result;
    std::string folder;  // expected data folder ("" when the result is not 0)
  } rows[] = {
      {Env("/c.dat", dir.path() + "data", 16), 9026, ""},
      {"", 9026, ""},
      {std::string("\x00\xff\x81,", 4), 9026, ""},
      {Env("/c.dat", dir.path() + "data", 17), 0, dir.path() + "data/"},
      {Env("/c.dat", dir.path() + "data/"), 0, dir.path() + "data/"},
      // A named folder that is missing is said, never the program folder.
      {Env("/c.dat", dir.path() + "nothere"), 9077, ""},
      {Env("/c.dat", ""), 0, dir.path()},
      {Env("/c.dat", "data"), 0, dir.path() + "data/"},
      {Env("/c.dat", "/"), 0, "/"},
      // One line cut at every comma, line ends or not: 17 pieces over two lines.
      {"/c.dat," + dir.path() + "data,a,b,c,d,e,f\r\ng,h,i,j,k,l,m,n,o,p", 0, dir.path() + "data/"},
  };
  dir.Write("data/USER.INF", Sjis("山田") + "\r\nsecond\r\n");
  for (const Row& r : rows) {
    dir.Write("ENVIRON.DAT", r.content);
    ControlFileName = "unchanged";
    d.userName = "stale";
    EXPECT_EQ(Environ_Read(d), r.result) << r.content;
    if (r.result != 0) continue;
    EXPECT_EQ(ControlFileName, "/c.dat");
    EXPECT_EQ(d.dataFolder, r.folder) << r.content;
    EXPECT_EQ(d.userName, r.folder == dir.path() + "data/" ? Sjis("山田") : "") << r.content;
  }
}

TEST_F(SelectionData, PartLinesAreTheFirstRunOfAtLines) {
  struct Row {
    std::string content;
    std::vector<std::string> names, files;
  } rows[] = {
      {"!head\r\n@ Keys ; M01 \r\n@Trunks;M20\r\n/M01/ITEM;\r\n@Late;M99\r\n", {"Keys", "Trunks"}, {"M01.DAT", "M20.DAT"}},
      // Lines before the first part line are skipped; a part line without a
      // usable ";" keeps the block open but gives no part.
      {"x\r\n\r\n@A;F1\r\n@;F2\r\n@noSemi\r\n@B;\r\n@C;F3\r\nend\r\n@D;F4", {"A", "B", "C"}, {"F1.DAT", "", "F3.DAT"}},
      // "@" alone is not a part line and ends the run.
      {"@A;F1\n@\n@B;F2\n", {"A"}, {"F1.DAT"}},
      {"@A;F1", {"A"}, {"F1.DAT"}},  // no line end
      {std::string("\xff\xfe\x00\x01@A;F1\r\n", 9), {}, {}},
      {"", {}, {}},
  };
  for (const Row& r : rows) {
    FSel_Data d(0);
    PartList_Parse(r.content, d);
    std::vector<std::string> names, files;
    for (const FSel_Entry& p : d.parts) names.push_back(p.name), files.push_back(p.fileName);
    EXPECT_EQ(names, r.names) << r.content;
    EXPECT_EQ(files, r.files) << r.content;
    for (size_t i = 0; i < files.size(); ++i) EXPECT_EQ(PartFileName[i], files[i]);
  }
  std::string sixteen;
  for (int i = 0; i < 16; ++i) sixteen += "@P" + std::to_string(i) + ";F" + std::to_string(i) + "\r\n";
  FSel_Data d(0);
  PartList_Parse(sixteen, d);
  ASSERT_EQ(d.parts.size(), 15u);
  EXPECT_EQ(d.parts[14].name, "P14");
  EXPECT_EQ(PartFileName[15], "");
}

TEST_F(SelectionData, ControlFileFailuresGiveTheirMessage) {
  FSel_Data d(0);
  ControlFileName = "";
  EXPECT_EQ(PartList_Read(d), 9001);
  ControlFileName = dir.path() + "CONTROL.DAT";
  EXPECT_EQ(PartList_Read(d), 9001);
  dir.Write("CONTROL.DAT/x", "");  // a folder where the file should be
  EXPECT_EQ(PartList_Read(d), 9001);
  ControlFileName = dir.path() + "control.dat2";
  dir.Write("CONTROL.DAT2", "@A;B\r\n");  // found without regard to case
  EXPECT_EQ(PartList_Read(d), 0);
  ASSERT_EQ(d.parts.size(), 1u);
  // Through FSel_Read: the control file is read in save and load only.
  dir.Write("ENVIRON.DAT", Env(dir.path() + "none.dat", dir.path()));
  EXPECT_EQ(FSel_Read(d, 0), 9001);
  EXPECT_EQ(FSel_Read(d, 1), 9001);
  EXPECT_EQ(FSel_Read(d, 2), 0);
}

TEST_F(SelectionData, CommentOfTheFirstLine) {
  struct Row {
    std::string content;
    std::string comment;
  } rows[] = {
      {"!saved today\r\nline\r\n", "saved today"},
      {"  !x y  \r\n", "x y"},
      {"!\r\n", ""},
      {"no comment\r\n", ""},
      {"!no line end", "no line end"},
      {"!CR alone\r/SPD/\rNO=000>DATA=<>\r", "CR alone"},
      {"", ""},
      {std::string("!\x82\xa0\xff\x01z\r\n", 7), std::string("\x82\xa0\xff\x01z", 5)},
  };
  for (const Row& r : rows) {
    dir.Write("F.DAT", r.content);
    std::string c = "stale";
    EXPECT_TRUE(Comment_Read(dir.path() + "F.DAT", c)) << r.content;
    EXPECT_EQ(c, r.comment) << r.content;
  }
  std::string c = "stale";
  EXPECT_FALSE(Comment_Read(dir.path() + "missing.DAT", c));
  EXPECT_EQ(c, "");
}

// One folder, listed by both forms in all three modes.
TEST_F(SelectionData, RowsOfEveryModeForBothTypes) {
  dir.Write("CONTROL.DAT", "@Keys;M01\r\n@Trunks;M20\r\n@Empty;\r\n/M01/ITEM;\r\n");
  dir.Write("sdsystem.dat", "!sys\r\n");  // found whatever its case
  dir.Write("SdExtensions.DAT", "!ext\r\n");
  dir.Write("SdWireless.DAT", "plain\r\n");
  dir.Write("M20.DAT", "!trunks\r\n");
  dir.Write("SdPersonal.DAT/x", "");  // a folder, not a data file
  dir.Write("b.cmd", "!\r\n");
  dir.Write("A.CMD", "!\r\n");
  dir.Write("A-very-long-command-file-name-here.CMD", "");
  dir.Write("dir.CMD/x", "");
  SetMtime("sdsystem.dat", 1704164645);  // 2024-01-02 03:04:05 UTC
  dir.Write("ENVIRON.DAT", Env(dir.path() + "CONTROL.DAT", dir.path()));

  std::vector<fsys::DirEntry> before;
  ASSERT_TRUE(fsys::ListDir(dir.path(), "*", before));

  struct Row {
    int type, op;
    std::vector<int> kinds;  // row kinds of the kind list
    size_t partRows, cmdRows;
  } rows[] = {
      {0, 0, {0, 1, 2, 3, 4, 6}, 3, 0},
      {0, 1, {0, 2, 4, 5, 6}, 1, 3},
      {0, 2, {0, 1, 2}, 0, 0},
      {1, 0, {0, 1, 2, 3, 4, 5, 6}, 3, 0},
      {1, 1, {0, 3, 4, 6, 7}, 1, 3},
      {1, 2, {0, 1, 2, 3}, 0, 0},
  };
  for (const Row& r : rows) {
    Global_FillDataKinds(r.type);
    FSel_Data d(r.type);
    ASSERT_EQ(FSel_Read(d, r.op), 0) << r.type << r.op;
    FSel_Lists l = FSel_BuildRows(d, r.op);
    SCOPED_TRACE(std::to_string(r.type) + "/" + std::to_string(r.op));
    EXPECT_EQ(Kinds(l.kindRows), r.kinds);
    EXPECT_EQ(l.partRows.size(), r.partRows);
    EXPECT_EQ(l.cmdRows.size(), r.cmdRows);
    EXPECT_EQ(l.kindRows[0].text, Name(r.type, 0) + "\tsys\t2024-01-02\t03:04:05");
    // The wireless file has no comment: present with an empty one.
    const int wireless = r.type == 1 ? 4 : 6;
    if (r.op != 2) {
      for (const FSel_Row& k : l.kindRows)
        if (k.kind == wireless) {
          EXPECT_EQ(k.text.substr(0, k.text.find('\t') + 2), Name(r.type, wireless) + "\t\t");
        }
    }
    if (r.op == 1) {
      EXPECT_EQ(FirstColumns(l.partRows), (std::vector<std::string>{"Trunks"}));
      EXPECT_EQ(FirstColumns(l.cmdRows),
                (std::vector<std::string>{"A-very-long-command-file-name-..", "A", "b"}));
      EXPECT_EQ(FSel_LoadFile(d, 0, -1), "sdsystem.dat") << "the name as found on disk";
      EXPECT_EQ(FSel_LoadFile(d, r.type == 1 ? 6 : 4, 0), "M20.DAT");
      EXPECT_EQ(FSel_LoadFile(d, r.type == 1 ? 7 : 5, 2), "b.cmd");
      EXPECT_EQ(FSel_LoadFile(d, r.type == 1 ? 7 : 5, 3), "");
    }
    if (r.op == 0) {
      EXPECT_EQ(FirstColumns(l.partRows), (std::vector<std::string>{"Keys", "Trunks", "Empty"}));
      EXPECT_EQ(l.kindRows[r.type == 1 ? 6 : 4].text, Name(r.type, r.type == 1 ? 6 : 4));
    }
  }
  std::vector<fsys::DirEntry> after;
  ASSERT_TRUE(fsys::ListDir(dir.path(), "*", after));
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < after.size(); ++i) {
    EXPECT_EQ(after[i].name, before[i].name);
    EXPECT_EQ(after[i].mtime, before[i].mtime);
  }
}

TEST_F(SelectionData, LoadModeLeavesOutUnreadableAndEmptyKinds) {
  Global_FillDataKinds(0);
  dir.Write("ENVIRON.DAT", Env(dir.path() + "CONTROL.DAT", dir.path()));
  dir.Write("CONTROL.DAT", "!no parts\r\n");
  FSel_Data d(0);
  ASSERT_EQ(FSel_Read(d, 1), 0);
  FSel_Lists l = FSel_BuildRows(d, 1);
  EXPECT_TRUE(l.kindRows.empty()) << "nothing present: nothing to load";
}

TEST_F(SelectionData, SaveItemsInSaveOrder) {
  dir.Write("CONTROL.DAT", "@Keys;M01\r\n@Trunks;M20\r\n@Lines;M30\r\n");
  dir.Write("M30.DAT", "!\r\n");
  dir.Write("sdwireless.dat", "!\r\n");
  dir.Write("ENVIRON.DAT", Env(dir.path() + "CONTROL.DAT", dir.path()));
  struct Row {
    int type, row;
    std::vector<int> parts;
    std::vector<std::string> files;
    std::string codes;
    bool exists;
  } rows[] = {
      {0, 0, {}, {"SdSystem.DAT"}, "1", false},
      {0, 2, {}, {"SdExtensions.DAT"}, "3", false},
      {0, 3, {}, {"PrgSetAll.DAT"}, "0", false},
      {0, 5, {}, {"sdwireless.dat"}, "4", true},
      {0, 4, {0, 2}, {"M01.DAT", "M30.DAT"}, "AC", true},
      {0, 4, {1}, {"M20.DAT"}, "B", false},
      {0, 4, {}, {}, "", false},
      {1, 2, {}, {"SdIdCard.DAT"}, "5", false},
      {1, 4, {}, {"sdwireless.dat"}, "4", true},
      {1, 5, {}, {"PrgSetAll.DAT"}, "0", false},
      {1, 6, {2}, {"M30.DAT"}, "C", true},
  };
  for (const Row& r : rows) {
    Global_FillDataKinds(r.type);
    FSel_Data d(r.type);
    ASSERT_EQ(FSel_Read(d, 0), 0);
    bool exists = false;
    std::vector<SaveChoice> items = FSel_SaveItems(d, r.row, r.parts, exists);
    std::vector<std::string> files;
    std::string codes;
    for (const SaveChoice& c : items) files.push_back(c.fileName), codes += c.code;
    EXPECT_EQ(files, r.files) << r.type << " row " << r.row;
    EXPECT_EQ(codes, r.codes) << r.type << " row " << r.row;
    EXPECT_EQ(exists, r.exists) << r.type << " row " << r.row;
  }
}

TEST(SelectionRules, RangeCheckKeysAndFreeSpace) {
  struct Range {
    const char* from;
    const char* to;
    int result;
  } ranges[] = {
      {"", "", 9514}, {"  ", " ", 9514}, {"20", "100", 9514}, {"100", "20", 0}, {"5", "", 0},
      {"", "7", 0},   {"12", "12", 0},   {"a", "B", 9514},    {"#1", "*1", 0},
  };
  for (const Range& r : ranges) EXPECT_EQ(FSel_RangeCheck(r.from, r.to), r.result) << r.from << ".." << r.to;

  const char* keys = "0123456789#*aA -+";
  struct Keys {
    int length;
    const char* passes;
  } filters[] = {{3, "0123456789"}, {4, "0123456789#*"}, {12, "0123456789"}};
  for (const Keys& k : filters)
    for (const char* c = keys; *c; ++c)
      EXPECT_EQ(FSel_RangeKeyOk(k.length, *c), std::string(k.passes).find(*c) != std::string::npos)
          << k.length << " '" << *c << "'";

  const FSel_Type& t0 = FSel_TypeOf(0);
  const FSel_Type& t1 = FSel_TypeOf(1);
  struct RangeOf {
    const FSel_Type* t;
    int kind, label, length;
  } groups[] = {{&t0, 0, 0, 3}, {&t0, 1, 1, 4}, {&t0, 2, 1, 4}, {&t0, 3, 0, 0}, {&t0, 6, 0, 0},
                {&t1, 0, 0, 3}, {&t1, 1, 1, 4}, {&t1, 2, 2, 12}, {&t1, 3, 1, 4}, {&t1, 4, 0, 0}};
  for (const RangeOf& g : groups) {
    FSel_Range r = FSel_RangeOf(*g.t, g.kind);
    EXPECT_EQ(r.length, g.length) << g.t->systemType << " kind " << g.kind;
    if (g.length) {
      EXPECT_EQ(r.label, g.label) << g.t->systemType << " kind " << g.kind;
    }
  }

  EXPECT_EQ(FSel_FreeSpaceText(true, 1234567), "1,234,567 bytes");
  EXPECT_EQ(FSel_FreeSpaceText(true, 999), "999 bytes");
  EXPECT_EQ(FSel_FreeSpaceText(false, 1234), "0 bytes");
  EXPECT_EQ(FSel_FreeSpaceText("/nonexistent/folder/"), "0 bytes");
  EXPECT_EQ(FSel_CmdFileTitle("ABCDEFGHIJKLMNOPQRSTUVWXYZ1234.CMD"), "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234");
  EXPECT_EQ(FSel_CmdFileTitle("ABCDEFGHIJKLMNOPQRSTUVWXYZ12345.CMD"), "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234..");
  // 15 double-byte characters and one more: the cut stays on a boundary.
  std::string kanji;
  for (int i = 0; i < 16; ++i) kanji += "漢";
  EXPECT_EQ(FSel_CmdFileTitle("x" + kanji + ".CMD"), "x" + Sjis(kanji.substr(0, 14 * 3)) + "..");
}

}  // namespace
