// What the viewer reads and prints without its form: the dump filter, the
// record count, the rows of both lists (damaged folders included), reading
// and deleting, the start folder and the page arithmetic.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "platform/FileSys.h"
#include "shell/Global_Unit.h"
#include "shell/Language_Unit.h"
#include "tests/support/TempDir.h"
#include "transfer/LErr_Data.h"

namespace {

using Lines = std::vector<std::string>;

class LErrData : public ::testing::Test {
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
  std::vector<std::string> Names(const std::vector<lerr::Row>& rows) {
    std::vector<std::string> out;
    for (const auto& r : rows) out.push_back(r.fileName);
    return out;
  }
  TempDir dir;
};

TEST(LErrFilter, KeptBytesAndLineEnds) {
  struct Row {
    std::string in;
    Lines out;
  } rows[] = {
      {"", {""}},
      {"AB\r\nCD\r\n", {"AB", "CD", ""}},
      {"AB\r\nCD", {"AB", "CD"}},                       // the last line without its end
      {"AB\nCD\r", {"ABCD"}},                           // LF alone ends nothing; CR alone neither
      {"A\r\x01\x02\nB", {"A", "B"}},                   // dropped bytes between CR and LF
      {"A\rX\nB", {"AXB"}},                             // a kept byte cancels the CR
      {"A\r\r\nB", {"A", "B"}},
      {std::string("N\0U\x1F\x7F", 5) + "L", {"NUL"}},  // control bytes and DEL dropped
      {"\x20\x7E\x9F\xA0\xDF\xE0\xFF", {"\x20\x7E\xA0\xDF"}},  // both kept ranges, their edges
      {"\x82\xA0\r\n", {"\xA0", ""}},                   // a kanji loses its lead byte
  };
  for (const Row& r : rows) {
    EXPECT_EQ(lerr::FilterDump(r.in), r.out) << r.in;
    // Fed in one-byte pieces, the filter gives the same.
    lerr::DumpFilter f;
    for (char c : r.in) f.Feed(std::string_view(&c, 1));
    EXPECT_EQ(f.Finish(), r.out) << r.in;
  }
}

TEST(LErrCount, LinesAndRecords) {
  struct Row {
    std::string text;
    size_t lines;
    int records;
  } rows[] = {
      {"", 1, 0},
      {"a\r\nb\r\nc\r\nd\r\ne\r\nf\r\n", 7, 3},  // 7 lines, the last empty: 3 records
      {"a\r\nb\r\nc\r\nd\r\ne\r\nf", 6, 3},
      {"a\nb\nc\n", 4, 1},                        // an odd number of lines
      {"a\rb\r\n\r\n", 4, 1},                     // only one last empty line is dropped
      {"a\r\nb\r\n\r\n\r\n", 5, 2},
  };
  for (const Row& r : rows) {
    Lines l = lerr::SplitLines(r.text);
    EXPECT_EQ(l.size(), r.lines) << r.text;
    EXPECT_EQ(lerr::RecordCount(l), r.records) << r.text;
  }
  EXPECT_EQ(lerr::SplitLines("x\r\ny"), (Lines{"x", "y"}));
}

TEST(LErrRows, DumpStemAndRowText) {
  struct Row {
    std::string name, stem;
  } rows[] = {
      {".DMP", ""},           // fewer than five characters
      {"x.DMP", "x"},
      {"Default.dmp", "Default"},
      {"ダンプ.DMP", Sjis("ダンプ")},
      {"\xF0\x9F\x98\x80.DMP", "????"},  // no CP932 form
  };
  for (const Row& r : rows) EXPECT_EQ(lerr::DumpStem(r.name), r.stem) << r.name;
  EXPECT_EQ(lerr::DumpRowText("Def..", "2026-01-02", "03:04:05", "Default"),
            "Def..\t2026-01-02\t03:04:05\t\tDefault");
}

TEST(LErrPrint, LayoutPagesAndPlaces) {
  struct Row {
    int height, fontHeight;
    int b, step, perPage;
  } rows[] = {
      {760, 10, 20, 38, 14},     // b = 20 prints 14 text lines a page
      {760, 50, 15, 50, 9},      // the font taller than the step: the step grows
      {13000, 150, 86, 150, 80},
      {100, 10, 2, 50, 1},       // a tiny page still takes one line
      {0, 10, 1, 1, 1},
  };
  for (const Row& r : rows) {
    lerr::PageLayout l = lerr::Layout(r.height, r.fontHeight);
    EXPECT_EQ(l.linesPerPage, r.b) << r.height;
    EXPECT_EQ(l.step, r.step) << r.height;
    EXPECT_EQ(lerr::Pager(l).TextLinesPerPage(), r.perPage) << r.height;
  }
  struct Pages {
    int lines, pages;
  } pages[] = {{0, 1}, {1, 1}, {14, 1}, {15, 2}, {28, 2}, {29, 3}};
  for (const Pages& p : pages) EXPECT_EQ(lerr::PageCount(lerr::Layout(760, 10), p.lines), p.pages) << p.lines;

  // The head on line 3, text from line 5 to line 18 of a 20-line page, and
  // a new page only for a line that goes on it.
  lerr::Pager pager(lerr::Layout(760, 10));
  EXPECT_EQ(pager.HeadY(), 2 * 38);
  std::vector<int> ys;
  std::vector<bool> breaks;
  for (int i = 0; i < 15; ++i) {
    breaks.push_back(pager.NeedsNewPage());
    ys.push_back(pager.Next());
  }
  EXPECT_EQ(ys.front(), 4 * 38);
  EXPECT_EQ(ys[13], 17 * 38);
  EXPECT_EQ(ys[14], 4 * 38);
  EXPECT_EQ(std::count(breaks.begin(), breaks.end(), true), 1);
  EXPECT_TRUE(breaks[14]);
  EXPECT_EQ(pager.Page(), 2);
  EXPECT_FALSE(pager.NeedsNewPage());

  EXPECT_EQ(lerr::PageHead(LErrPrintTitle[1], 12), std::string(15, ' ') + Sjis("ダンプデータ") + "  (PAGE. 12)");
  EXPECT_EQ(lerr::PrintedLine("ab"), std::string(15, ' ') + "ab");
}

TEST_F(LErrData, StartFolderFromEnviron) {
  dir.Write("data/USER.INF", "dealer\r\nsecond\r\n");
  dir.Write("bare/x", "");
  struct Row {
    const char* environ;  // nullptr: no ENVIRON.DAT
    std::string folder;
  } rows[] = {
      {nullptr, dir.path()},
      {"", dir.path()},
      {"ctl", dir.path()},                          // no field 1
      {"ctl,,x", dir.path()},
      {"ctl,/no/such/folder,x", dir.path()},
      {"ctl,data,x\r\n", dir.path() + "data/"},     // relative: from the program folder
      {"ctl,", dir.path()},
  };
  for (const Row& r : rows) {
    std::filesystem::remove(dir.path() + "ENVIRON.DAT");
    if (r.environ) dir.Write("ENVIRON.DAT", r.environ);
    EXPECT_EQ(lerr::EnvFolder(), r.folder) << (r.environ ? r.environ : "none");
  }
  dir.Write("ENVIRON.DAT", "ctl," + dir.path() + "bare\r\n" + "ctl," + dir.path() + "data\r\n");
  EXPECT_EQ(lerr::EnvFolder(), dir.path() + "bare/");  // the first line only
  EXPECT_EQ(lerr::UserName(dir.path() + "data/"), "dealer");
  EXPECT_EQ(lerr::UserName(dir.path() + "bare/"), "");
  EXPECT_EQ(lerr::FolderCaption("/a/b/"), "/a/b");
  EXPECT_EQ(lerr::FolderCaption("/"), "/");
}

TEST_F(LErrData, DumpRowsOfADamagedFolder) {
  dir.Write("b.dmp", "b");
  dir.Write("A.DMP", "a");
  dir.Write("c.Dmp", "c");
  dir.Write(".DMP", "short");
  dir.Write("x.DMP/inner", "a folder named like a dump");
  dir.Write("note.txt", "not a dump");
  dir.Write("d.DMP.bak", "not a dump");
  ASSERT_EQ(::mkfifo((dir.path() + "pipe.DMP").c_str(), 0600), 0);
  std::filesystem::create_symlink(dir.path() + "b.dmp", dir.path() + "link.DMP");
  std::filesystem::create_symlink(dir.path() + "gone", dir.path() + "dangling.DMP");
  SetMtime("A.DMP", 1767323045);  // 2026-01-02 03:04:05 UTC
  std::vector<lerr::Row> rows;
  int fits = 0;
  ASSERT_TRUE(lerr::DumpRows(dir.path(), [&](std::string_view s) {
    ++fits;
    return std::string(s).substr(0, 3);
  }, rows));
  EXPECT_EQ(Names(rows), (std::vector<std::string>{".DMP", "A.DMP", "b.dmp", "c.Dmp", "link.DMP"}));
  EXPECT_EQ(fits, 5);
  EXPECT_EQ(rows[1].text, "A\t2026-01-02\t03:04:05\t\tA");
  EXPECT_EQ(rows[0].text.substr(0, 1), "\t");  // the empty name part
  EXPECT_EQ(rows[4].text.substr(0, 4), "lin\t");

  std::vector<lerr::Row> none;
  EXPECT_FALSE(lerr::DumpRows(dir.path() + "missing/", {}, none));
  EXPECT_TRUE(none.empty());
}

TEST_F(LErrData, AtMost101DumpFilesSorted) {
  for (int i = 0; i < 120; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "%03d.DMP", 119 - i);
    dir.Write(name, "x");
  }
  std::vector<lerr::Row> rows;
  ASSERT_TRUE(lerr::DumpRows(dir.path(), {}, rows));
  ASSERT_EQ(rows.size(), 101u);
  EXPECT_EQ(rows.front().fileName, "000.DMP");
  EXPECT_EQ(rows.back().fileName, "100.DMP");
  EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(),
                             [](const lerr::Row& a, const lerr::Row& b) { return a.text < b.text; }));
}

TEST_F(LErrData, ReadingDeletingAndErrorLists) {
  std::vector<std::string> lines;
  // Dumps: missing, a folder, a pipe, a good one read in pieces.
  EXPECT_EQ(lerr::ReadDump(dir.path() + "none.DMP", lines), lerr::kMsgDumpOpen);
  dir.Write("f.DMP/x", "");
  EXPECT_EQ(lerr::ReadDump(dir.path() + "f.DMP", lines), lerr::kMsgDumpRead);
  ASSERT_EQ(::mkfifo((dir.path() + "p.DMP").c_str(), 0600), 0);
  EXPECT_EQ(lerr::ReadDump(dir.path() + "p.DMP", lines), lerr::kMsgDumpOpen);
  std::string big;
  for (int i = 0; i < 2000; ++i) big += "LINE " + std::to_string(i) + "\r\n";
  dir.Write("big.DMP", big);
  int pieces = 0;
  ASSERT_EQ(lerr::ReadDump(dir.path() + "big.DMP", lines, [&] { ++pieces; }), 0);
  EXPECT_EQ(lines.size(), 2001u);
  EXPECT_EQ(lines[1999], "LINE 1999");
  EXPECT_GT(pieces, 1);

  // Error lists, found without regard to case, regular files only.
  EXPECT_TRUE(lerr::ErrRows(dir.path()).empty());
  dir.Write("other.err", "a\r\nb\r\n");
  dir.Write("CONTROL.ERR/x", "");
  auto rows = lerr::ErrRows(dir.path());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].text, LErrKindName[1]);
  EXPECT_EQ(rows[0].fileName, "other.err");
  EXPECT_EQ(lerr::ReadErrList(dir.path(), "OTHER.ERR", lines), 0);
  EXPECT_EQ(lines, (Lines{"a", "b", ""}));
  EXPECT_EQ(lerr::ReadErrList(dir.path(), "CONTROL.ERR", lines), 2);
  std::filesystem::remove_all(dir.path() + "CONTROL.ERR");
  EXPECT_EQ(lerr::ReadErrList(dir.path(), "CONTROL.ERR", lines), 1);
  dir.Write("Control.Err", "x\r\n");
  rows = lerr::ErrRows(dir.path());
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].text, LErrKindName[0]);
  EXPECT_EQ(rows[0].fileName, "Control.Err");

  // Delete: the file itself; a folder or a vanished file fails.
  EXPECT_EQ(lerr::DeleteDump(dir.path(), "big.DMP"), 0);
  EXPECT_FALSE(dir.Exists("big.DMP"));
  EXPECT_EQ(lerr::DeleteDump(dir.path(), "big.DMP"), lerr::kMsgDeleteFailed);
  EXPECT_EQ(lerr::DeleteDump(dir.path(), "f.DMP"), lerr::kMsgDeleteFailed);
  EXPECT_TRUE(dir.Exists("f.DMP/x"));
}

}  // namespace
