// The setting screens' shared rules without widgets: copy and paste, Clear,
// the drag selection's steps and the Register / Check / Load flow with its
// temporary file and hand-over.
#include "cmdfile/GPage.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/FileSys.h"
#include "shell/Global_Unit.h"
#include "tests/support/TempDir.h"

namespace {

PageGrid Numbered(int cols, int rows) {
  PageGrid g;
  g.SetSize(cols, rows);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) g.SetCell(c, r, std::to_string(c) + ":" + std::to_string(r));
  return g;
}

TEST(PageGridCells, ResizeKeepsTextAndOutsideReadsEmpty) {
  PageGrid g = Numbered(3, 3);
  g.SetSize(2, 4);
  EXPECT_EQ(g.Cell(1, 2), "1:2");
  EXPECT_EQ(g.Cell(1, 3), "");
  EXPECT_EQ(g.Cell(2, 0), "");
  g.SetCell(5, 5, "x");  // outside: ignored
  EXPECT_EQ(g.Cell(5, 5), "");
  EXPECT_EQ(g.Cell(-1, 0), "");
}

// Column paste (the value column of types 0, 1, 2, 7) and block paste
// (types 3 to 6): one row per case.
TEST(PagePaste, RulesOfColumnAndBlock) {
  struct Row {
    const char* what;
    bool block;
    GridRect copied;  // block: the copied rectangle; column: rows = n values
    GridRect sel;
    int cols, rows;
    int msg, col, row;
  } rows[] = {
      // Column: n = copied.Height() values into a grid of 10 rows.
      {"one cell, n rows below exist", false, {1, 0, 1, 2}, {1, 7, 1, 7}, 2, 10, 0, 1, 7},
      {"one cell, one row short", false, {1, 0, 1, 2}, {1, 8, 1, 8}, 2, 10, 9804, 0, 0},
      {"range of exactly n rows", false, {1, 0, 1, 2}, {1, 3, 1, 5}, 2, 10, 0, 1, 3},
      {"range of n - 1 rows", false, {1, 0, 1, 2}, {1, 3, 1, 4}, 2, 10, 9804, 0, 0},
      {"range of n + 1 rows", false, {1, 0, 1, 2}, {1, 3, 1, 6}, 2, 10, 9804, 0, 0},
      {"range in the label column counts its rows", false, {1, 0, 1, 1}, {0, 3, 1, 4}, 2, 10, 0, 1, 3},
      // Blocks in a 4 x 3 matrix: columns 1-4 (colCount 5), rows 1-3 (rowCount 4).
      {"whole rows on one cell go to column 1", true, {1, 1, 4, 2}, {3, 2, 3, 2}, 5, 4, 0, 1, 2},
      {"whole rows past the last row", true, {1, 1, 4, 2}, {2, 3, 2, 3}, 5, 4, 9804, 0, 0},
      {"whole rows on whole rows of that height", true, {1, 1, 4, 2}, {1, 2, 4, 3}, 5, 4, 0, 1, 2},
      {"whole rows on whole rows of another height", true, {1, 1, 4, 2}, {1, 1, 4, 3}, 5, 4, 9804, 0, 0},
      {"whole rows on a range that is not whole rows", true, {1, 1, 4, 2}, {1, 1, 3, 2}, 5, 4, 9806, 0, 0},
      {"2 x 2 into the last column", true, {1, 1, 2, 2}, {4, 1, 4, 1}, 5, 4, 9806, 0, 0},
      {"2 x 2 just fits the right edge", true, {1, 1, 2, 2}, {3, 1, 3, 1}, 5, 4, 0, 3, 1},
      {"2 x 2 into the last row", true, {1, 1, 2, 2}, {1, 3, 1, 3}, 5, 4, 9806, 0, 0},
      {"2 x 2 onto a 2 x 2 range", true, {1, 1, 2, 2}, {2, 2, 3, 3}, 5, 4, 0, 2, 2},
      {"2 x 2 onto a 2 x 3 range", true, {1, 1, 2, 2}, {2, 1, 3, 3}, 5, 4, 9806, 0, 0},
      {"2 x 2 onto a 3 x 2 range", true, {1, 1, 2, 2}, {1, 1, 3, 2}, 5, 4, 9806, 0, 0},
  };
  for (const Row& r : rows) {
    int col = 0, row = 0, msg;
    if (r.block) {
      BlockCopy b;
      b.rect = r.copied;
      b.filled = true;
      msg = GPage_BlockPasteTarget(b, r.sel, r.cols, r.rows, 1, col, row);
    } else {
      msg = GPage_ColumnPasteRow(r.sel, r.rows, static_cast<size_t>(r.copied.Height()), row);
      if (msg == 0) col = 1;
    }
    EXPECT_EQ(msg, r.msg) << r.what;
    if (msg == 0) {
      EXPECT_EQ(col, r.col) << r.what;
      EXPECT_EQ(row, r.row) << r.what;
    }
  }
}

TEST(PagePaste, CopiesTakeTheRightCells) {
  PageGrid g = Numbered(3, 5);
  // Column copy takes column 1 whatever columns are selected.
  EXPECT_EQ(GPage_ColumnCopy(g, {0, 1, 0, 3}), (std::vector<std::string>{"1:1", "1:2", "1:3"}));
  // A block lands with its top-left cell on the target; other cells stay.
  BlockCopy b;
  GPage_BlockCopy(g, {1, 1, 2, 2}, b);
  g.SetCell(1, 1, "changed after copy");
  GPage_BlockPaste(b, g, 1, 3);
  EXPECT_EQ(g.Cell(1, 3), "1:1");
  EXPECT_EQ(g.Cell(2, 3), "2:1");
  EXPECT_EQ(g.Cell(1, 4), "1:2");
  EXPECT_EQ(g.Cell(2, 4), "2:2");
  EXPECT_EQ(g.Cell(0, 3), "0:3");
  EXPECT_EQ(g.Cell(1, 2), "1:2");
  // Clear: the whole rectangle, nothing around it.
  GPage_Clear(g, {1, 0, 2, 1});
  EXPECT_EQ(g.Cell(1, 0), "/");
  EXPECT_EQ(g.Cell(2, 1), "/");
  EXPECT_EQ(g.Cell(0, 0), "0:0");
  EXPECT_EQ(g.Cell(1, 2), "1:2");
}

TEST(PageScroll, FailingRowOnTopWithinLimits) {
  struct Row {
    int row, rowCount, limit, minTop, top;
  } rows[] = {
      {5, 100, 20, 0, 5},    // room below: the row on top
      {95, 100, 20, 0, 80},  // not beyond rows - 20
      {3, 10, 20, 0, 0},     // short grid: never below 0
      {40, 41, 18, 1, 23},   // matrix of 40 rows: row 23 on top
      {2, 10, 18, 1, 1},     // matrix never above row 1
  };
  for (const Row& r : rows) EXPECT_EQ(GPage_TopRowFor(r.row, r.rowCount, r.limit, r.minTop), r.top) << r.row;
}

// The drag on the row labels: press, moves in and out of the grid, ticks
// at both ends, release.
TEST(PageDrag, PressMoveTickRelease) {
  GridDrag d;
  GridRect sel;
  EXPECT_FALSE(d.Press(10, 10, 0, 1, sel));  // no such row
  EXPECT_FALSE(d.Press(0, 10, 1, 4, sel));   // the heading row of a matrix
  EXPECT_EQ(d.Flag(), 0);
  // Without a press nothing moves.
  EXPECT_FALSE(d.Move(GridDrag::Inside, 3, 0).select);

  ASSERT_TRUE(d.Press(5, 30, 0, 1, sel));
  EXPECT_EQ(sel, (GridRect{1, 5, 1, 5}));
  EXPECT_EQ(d.Flag(), 1);
  EXPECT_EQ(d.Anchor(), 5);

  GridDrag::Step s = d.Move(GridDrag::Inside, 8, 0);
  EXPECT_TRUE(s.stopTimer);
  EXPECT_EQ(d.Direction(), -1);
  EXPECT_EQ(s.sel, (GridRect{1, 5, 1, 8}));
  // Above the anchor, but never above the top visible row.
  s = d.Move(GridDrag::Inside, 2, 3);
  EXPECT_EQ(s.sel, (GridRect{1, 3, 1, 5}));
  // Over no cell: nothing changes.
  s = d.Move(GridDrag::Nowhere, -1, 0);
  EXPECT_FALSE(s.select || s.startTimer || s.stopTimer);

  // Below the grid: the timer starts once, when the direction changes.
  EXPECT_TRUE(d.Move(GridDrag::Below, -1, 0).startTimer);
  EXPECT_FALSE(d.Move(GridDrag::Below, -1, 0).startTimer);
  EXPECT_EQ(d.Direction(), 1);
  // 30 rows, 10 visible: top row 19 scrolls to 20 and spans to row 29.
  s = d.Tick(19, 30, 10);
  EXPECT_EQ(s.scrollTo, 20);
  EXPECT_EQ(s.sel, (GridRect{1, 5, 1, 29}));
  // At the end nothing more.
  s = d.Tick(20, 30, 10);
  EXPECT_EQ(s.scrollTo, -1);
  EXPECT_FALSE(s.select);

  EXPECT_TRUE(d.Move(GridDrag::Above, -1, 20).startTimer);
  s = d.Tick(4, 30, 10);
  EXPECT_EQ(s.scrollTo, 3);
  EXPECT_EQ(s.sel, (GridRect{1, 3, 1, 5}));
  EXPECT_EQ(d.Tick(0, 30, 10).scrollTo, -1);

  d.Release();
  EXPECT_EQ(d.Flag(), 0);
  EXPECT_EQ(d.Direction(), 0);
  EXPECT_FALSE(d.Move(GridDrag::Below, -1, 0).startTimer);

  // A matrix (heading row 0, columns 1-4) stops scrolling up at row 1.
  ASSERT_TRUE(d.Press(3, 20, 1, 4, sel));
  EXPECT_EQ(sel, (GridRect{1, 3, 4, 3}));
  d.Move(GridDrag::Above, -1, 1);
  EXPECT_EQ(d.Tick(1, 20, 10).scrollTo, -1);
  s = d.Tick(2, 20, 10);
  EXPECT_EQ(s.scrollTo, 1);
  EXPECT_EQ(s.sel, (GridRect{1, 1, 4, 3}));
}

TEST(PageSection, HeadAndEntryLines) {
  EXPECT_EQ(GPage_ListHead("/M10/", ""), (std::vector<std::string>{"/M10/"}));
  EXPECT_EQ(GPage_ListHead("/M10/", "BLK=073"), (std::vector<std::string>{"/M10/", "BLK=073;"}));
  // Without a sub-header the first entry is line 1 and is kept.
  EXPECT_EQ(GPage_EntryLines({"/M10/", "0001=1;", "0002=2;"}, ""),
            (std::vector<std::string>{"0001=1;", "0002=2;"}));
  // The sub-header line is left out wherever it stands.
  EXPECT_EQ(GPage_EntryLines({"/M10/", "", "BLK=073;", "0001=1;"}, "BLK=073"),
            (std::vector<std::string>{"", "0001=1;"}));
  EXPECT_EQ(GPage_EntryLines({"/M10/"}, "BLK=073"), std::vector<std::string>{});
  EXPECT_EQ(GPage_CmdName("/data/Initial.CMD"), "Initial");
  EXPECT_EQ(GPage_CmdName("/data/a.b.CMD"), "a");
  EXPECT_EQ(GPage_CmdName("/data/NoDot"), "NoDot");
  EXPECT_EQ(GPage_DataLabel("Initial"), Sjis("コマンドファイル[Initial]"));
}

// ------------------------------------------------------------- the flow

// A page that records what the flow asks of it.
class FakePage : public GPageFlowPage {
 public:
  std::vector<std::string> list{"/M10/", "0001=1;"};
  bool buildOk = true, checkOk = true, storeOk = true, failTemp = false;
  std::map<std::string, int> answers;  // message -> 1 or 2 (default 1)
  std::vector<std::string> seen;
  std::string tempSeen;          // the temporary file as it was when checked
  std::string tempAtCheck;       // its content then
  std::vector<std::string> stored;
  GPageHandOver handed;
  bool errEnabled = false;
  int home = 0, homeFocused = 0;

  bool BuildList(std::vector<std::string>& out, RegButton) override {
    seen.push_back("build");
    if (buildOk) out = list;
    return buildOk;
  }
  bool CheckValues() override {
    seen.push_back("check");
    // The temporary file and H1 are in place before the values are checked.
    tempSeen = LoadFolder + LoadFileName;
    fsys::ReadFile(tempSeen, tempAtCheck);
    return checkOk;
  }
  int Message(std::string_view n) override {
    seen.push_back(std::string(n));
    auto it = answers.find(std::string(n));
    return it == answers.end() ? 1 : it->second;
  }
  bool Store(std::vector<std::string> l) override {
    seen.push_back("store");
    stored = l;
    return storeOk;
  }
  void ShowLoad(const GPageHandOver& h) override {
    seen.push_back("load");
    handed = h;
  }
  void CursorHome(bool focus) override {
    ++home;
    homeFocused += focus ? 1 : 0;
  }
  void EnableErr() override { errEnabled = true; }
  bool WriteTemp(const std::string& dir, const std::string& prefix, const std::vector<std::string>& l,
                 std::string& path) override {
    if (failTemp) {
      path.clear();
      return false;
    }
    return GPageFlowPage::WriteTemp(dir, prefix, l, path);
  }
};

class PageFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgramDir = dir.path();
    LoadFolder = "/elsewhere/";
    LoadKind = 0;
    LoadFileName = "OLD.DAT";
    LoadFixErrors = 1;
    LoadRangeOn = 1;
    HandOverTempFile.clear();
  }
  void TearDown() override {
    ProgramDir.clear();
    LoadFolder.clear();
    HandOverTempFile.clear();
  }
  // Temporary files left in the program folder.
  std::vector<std::string> Temps() const {
    std::vector<fsys::DirEntry> e;
    fsys::ListDir(dir.path(), "*.TMP", e);
    std::vector<std::string> names;
    for (const auto& x : e) names.push_back(x.name);
    return names;
  }
  GPageFlowEnd Run(RegButton b, const GPageKind& kind = GPageKind{}) {
    return GPage_RegFlow(page, kind, b, cmd, "Initial");
  }
  TempDir dir;
  std::string cmd = dir.path() + "data/Initial.CMD";
  FakePage page;
};

TEST_F(PageFlow, CheckWritesTheTemporaryFileSetsH1AndDeletesIt) {
  GPageFlowEnd e = Run(RegButton::Check);
  EXPECT_TRUE(e.carriedOut);
  EXPECT_FALSE(e.loadConfirmed);
  EXPECT_EQ(page.seen, (std::vector<std::string>{"build", "check", "5701"}));
  EXPECT_EQ(page.tempAtCheck, "/M10/\r\n0001=1;\r\n");
  EXPECT_EQ(LoadFolder, dir.path());
  EXPECT_EQ(LoadKind, 5);
  EXPECT_EQ(LoadFileName.substr(0, 3), "G_P");
  EXPECT_EQ(LoadFileName.substr(LoadFileName.size() - 4), ".TMP");
  EXPECT_EQ(page.home, 1);
  EXPECT_EQ(page.homeFocused, 1);
  EXPECT_FALSE(page.errEnabled);
  EXPECT_TRUE(Temps().empty());
  // Check hands nothing over.
  EXPECT_EQ(LoadFixErrors, 1);
  EXPECT_TRUE(HandOverTempFile.empty());
}

TEST_F(PageFlow, ConfirmedLoadHandsTheFileOver) {
  GPageFlowEnd e = Run(RegButton::Load);
  EXPECT_TRUE(e.loadConfirmed);
  EXPECT_EQ(page.seen, (std::vector<std::string>{"build", "check", "7501", "load"}));
  ASSERT_EQ(Temps().size(), 1u);
  EXPECT_EQ(Temps()[0], LoadFileName);
  EXPECT_EQ(HandOverTempFile, dir.path() + LoadFileName);
  EXPECT_EQ(page.handed.tempPath, HandOverTempFile);
  EXPECT_EQ(page.handed.fileName, LoadFileName);
  EXPECT_EQ(page.handed.folder, dir.path());
  EXPECT_EQ(page.handed.dataLabel, Sjis("コマンドファイル[Initial]"));
  EXPECT_EQ(LoadFixErrors, 0);
  EXPECT_EQ(LoadRangeOn, 0);
  EXPECT_TRUE(page.errEnabled);
  EXPECT_EQ(page.home, 1);
  EXPECT_EQ(page.homeFocused, 0);  // the page is hidden behind the load form
}

TEST_F(PageFlow, CancelledLoadAndFailedCheckStillEnableErrButDeleteTheFile) {
  page.answers["7501"] = 2;
  GPageFlowEnd e = Run(RegButton::Load);
  EXPECT_FALSE(e.carriedOut);
  EXPECT_EQ(page.seen, (std::vector<std::string>{"build", "check", "7501"}));
  EXPECT_TRUE(page.errEnabled);
  EXPECT_EQ(page.home, 0);
  EXPECT_TRUE(Temps().empty());
  EXPECT_TRUE(HandOverTempFile.empty());

  FakePage failing;
  failing.checkOk = false;
  GPage_RegFlow(failing, GPageKind{}, RegButton::Load, cmd, "Initial");
  EXPECT_EQ(failing.seen, (std::vector<std::string>{"build", "check"}));
  EXPECT_TRUE(failing.errEnabled);
  EXPECT_EQ(failing.home, 0);
  EXPECT_TRUE(Temps().empty());
}

TEST_F(PageFlow, RegisterAsksOnlyOverAnExistingFile) {
  // No command file yet: written without asking.
  Run(RegButton::Register);
  EXPECT_EQ(page.seen, (std::vector<std::string>{"build", "check", "store"}));
  EXPECT_EQ(page.stored, page.list);
  EXPECT_EQ(page.home, 1);

  // An existing file (found ignoring case) is overwritten only on OK.
  dir.Write("data/INITIAL.cmd", "/M10/\r\n");
  page.seen.clear();
  page.answers["7015"] = 2;
  GPageFlowEnd e = Run(RegButton::Register);
  EXPECT_FALSE(e.carriedOut);
  EXPECT_EQ(page.seen, (std::vector<std::string>{"build", "check", "7015"}));
  EXPECT_EQ(page.home, 1);

  page.seen.clear();
  page.answers["7015"] = 1;
  Run(RegButton::Register);
  EXPECT_EQ(page.seen, (std::vector<std::string>{"build", "check", "7015", "store"}));
  EXPECT_EQ(page.home, 2);

  // A failed store keeps the page as it is.
  page.storeOk = false;
  e = Run(RegButton::Register);
  EXPECT_FALSE(e.carriedOut);
  EXPECT_EQ(page.home, 2);
  EXPECT_FALSE(page.errEnabled);
  EXPECT_TRUE(Temps().empty());
}

TEST_F(PageFlow, TemporaryFileFailureShows9055AndStops) {
  page.failTemp = true;
  for (RegButton b : {RegButton::Register, RegButton::Check, RegButton::Load}) {
    page.seen.clear();
    GPageFlowEnd e = Run(b);
    EXPECT_FALSE(e.carriedOut);
    EXPECT_EQ(page.seen, (std::vector<std::string>{"build", "9055"}));
  }
  EXPECT_TRUE(page.stored.empty());
  EXPECT_EQ(LoadKind, 0);
  EXPECT_EQ(LoadFileName, "OLD.DAT");
  EXPECT_TRUE(Temps().empty());

  // A real failure: the program folder is gone.
  FakePage real;
  ProgramDir = dir.path() + "missing/";
  GPage_RegFlow(real, GPageKind{}, RegButton::Check, cmd, "Initial");
  EXPECT_EQ(real.seen, (std::vector<std::string>{"build", "9055"}));
}

TEST_F(PageFlow, KindsThatCheckWhileBuilding) {
  // Types 5 to 7: build (with its checks) first, no later check, ICX prefix.
  GPageKind rec;
  rec.pageType = 5;
  rec.tempPrefix = "ICX";
  rec.checkAfterTemp = false;
  rec.loadAtPage = false;
  rec.homeRow = 1;
  page.answers["7501"] = 2;
  Run(RegButton::Load, rec);
  EXPECT_EQ(page.seen, (std::vector<std::string>{"build", "7501"}));
  EXPECT_EQ(LoadFileName.substr(0, 3), "ICX");

  FakePage failing;
  failing.buildOk = false;
  GPage_RegFlow(failing, rec, RegButton::Load, cmd, "Initial");
  EXPECT_EQ(failing.seen, (std::vector<std::string>{"build"}));
  EXPECT_TRUE(failing.errEnabled);
  EXPECT_EQ(LoadFileName.substr(0, 3), "ICX");  // H1 of the earlier run stands

  // The pattern pages: a failed build leaves Err_BitBtn alone.
  GPageKind pat = rec;
  pat.pageType = 2;
  pat.tempPrefix = "DBS";
  pat.errAfterFailedBuild = false;
  FakePage patFail;
  patFail.buildOk = false;
  GPage_RegFlow(patFail, pat, RegButton::Load, cmd, "Initial");
  EXPECT_FALSE(patFail.errEnabled);
  EXPECT_TRUE(Temps().empty());
}

}  // namespace
