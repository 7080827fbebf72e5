// The matrix, pattern and key-table pages on the page base under offscreen
// Qt: opening from the files with headings and labels, the refusals of a
// bad menu line or definition, Register in the page's own entry form, the
// failing cell, block paste on a matrix and the pattern check that stops a
// load before anything is written.
#include <QApplication>
#include <QHeaderView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <map>

#include "cmdfile/MenuTree_Unit.h"
#include "cmdfile/ScreenTbl_Unit.h"
#include "cmdfile/ui/G_P0_Unit.h"
#include "cmdfile/ui/G_P2_Unit.h"
#include "cmdfile/ui/G_P3_Unit.h"
#include "cmdfile/ui/G_P4_Unit.h"
#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "tests/cmdfile/ui/GridShown.h"
#include "tests/support/TempDir.h"

namespace {

using Strings = std::vector<std::string>;

// Menu.csv lines, by their MenuTable index.
enum Line { kMtxV = 1, kMtxH, kBig, kShort, kBadO, kBadN, kPtn2, kPtn4, kKey, kPtnLong, kPtnWide, kMtxWide };

std::string Lines(const Strings& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

// A definition of count lines: line i labels "L<i>", heads "H<i>".
std::string Def(int count, int fields = 4) {
  Strings l{"title", "head", "kind", ",,,"};
  for (int i = 1; i <= count; ++i)
    l.push_back(std::to_string(i) + ",3,L" + std::to_string(i) + (fields > 3 ? ",H" + std::to_string(i) : ""));
  return Lines(l);
}

class Pages : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgramDir = dir.path();
    ScreenFilesDir = dir.path() + "screens/";
    std::string msgs;
    for (const char* n : {"5701", "7015", "7501", "7804", "9055", "9304", "9305", "9307", "9311", "9312", "9507",
                          "9508", "9804", "9806"})
      msgs += std::string("J") + n + "=T,M" + n + ",1,1\r\n";
    dir.Write("MSGDLG.DAT", msgs);
    dir.Write("screens/Menu.csv", Lines({"caption,level,type,key,o,n,m,help,header,sub",
                                         "MtxV,1,3,MTXV,V,3,2,MTXV,/M10/,BLK=002",
                                         "MtxH,1,3,MTXH,H,3,2,MTXH,/M10/,BLK=003",
                                         "Big,1,3,BIG,V,80,3,BIG,/M15/",
                                         "Short,1,3,SHORT,V,3,2,SHORT,/M10/,BLK=002",
                                         "BadO,1,3,BADO,X,3,2,BADO,/M10/,BLK=002",
                                         "BadN,1,3,BADN,V,0,2,BADN,/M10/,BLK=002",
                                         "Ptn2,1,2,PTN2,V,0,0,PTN2,/M20/,LEN=03",
                                         "Ptn4,1,4,PTN4,H,2,6,PTN4,/M20/,LEN=04",
                                         "Key,1,0,KEY,V,0,0,KEY,/M01/",
                                         "PtnLong,1,2,PTNL,V,0,0,PTNL,/M21/",
                                         "PtnWide,1,4,PTNW,H,30,6,PTNW,/M22/",
                                         "MtxWide,1,3,MTXW,V,40,4,MTXW,/M23/"}));
    ASSERT_EQ(ScreenTbl_Load(ScreenFilesDir + "Menu.csv"), 0);
    ASSERT_EQ(MenuTable_Load(ScreenFilesDir + "Menu.csv"), 0);
    dir.Write("screens/MTXV.CSV", Def(6));
    dir.Write("screens/MTXH.CSV", Def(6));
    dir.Write("screens/BIG.CSV", Def(240));
    dir.Write("screens/SHORT.CSV", Def(5));  // N x M - 1
    // A line of three fields is not kept on a matrix.
    dir.Write("screens/BADO.CSV", Def(6));
    dir.Write("screens/BADN.CSV", Def(6));
    dir.Write("screens/PTN4.CSV", Def(12));
    dir.Write("screens/PTNW.CSV", Def(180));
    dir.Write("screens/MTXW.CSV", Def(160));
    {
      Strings l{"t", "h", "k", ",,,"};
      for (int i = 0; i < 60; ++i) l.push_back(std::to_string(i + 1) + ",2,P" + std::to_string(i));
      dir.Write("screens/PTNL.CSV", Lines(l));
    }
    {
      Strings l{"t", "h", "k", ",,,"};
      for (int i = 0; i < 14; ++i) l.push_back(std::to_string(i + 1) + ",2,P" + std::to_string(i));
      dir.Write("screens/PTN2.CSV", Lines(l));
    }
    // Three labels only: the other 82 keys stay without one.
    dir.Write("screens/KEY.CSV", Lines({"t", "h", "k", ",,,", "1,0,Units", "2,0,FS 1-1", "3,0,FS 1-2"}));
    cmd = dir.Write("data/T.CMD", Lines({"!title", "/M01/", "SIZE=2;FS-101=01;", "fs-102=02; OP-113=10;", "/M10/",
                                         "BLK=002;", "0001=10>20>30>15>25>35;", "BLK=003;", "0001=5>3>6>2>7>1;",
                                         "/M15/", "0120=9;", "/M20/", "LEN=03;", "0001-*=1----0>10;", "LEN=04;",
                                         "0001-*=010101>-1-1-1;"}));
    GPage_Host().showLoad = [this](const GPageHandOver& h, QPoint) { handed.push_back(h); };
    GPage_Host().showMenu = [] {};
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [this] { Answer(); });
    answer.start();
  }
  void TearDown() override {
    answer.stop();
    GPage_Host() = GPageHost{};
    ProgramDir.clear();
    ScreenFilesDir.clear();
    HandOverTempFile.clear();
  }
  void Answer() {
    auto* c = qobject_cast<TConf_Dlg*>(QApplication::activeModalWidget());
    if (!c || !c->isVisible()) return;
    seen.push_back(c->Msg_Lbl->text().toStdString());
    c->Ok_BitBtn->click();
  }
  Strings Temps() const {
    std::vector<fsys::DirEntry> e;
    fsys::ListDir(dir.path(), "*.TMP", e);
    Strings names;
    for (const auto& x : e) names.push_back(x.name);
    return names;
  }
  // Opens a page as the menu tree does: MenuIndex first.
  template <class P>
  P& Show(P* page) {
    page->move(10, 30);
    page->Err_BitBtn->setEnabled(false);
    page->show();
    Flush();
    return *page;
  }
  bool Open(bool (*init)(const std::string&, const std::string&, int), int line) {
    MenuIndex = line;
    return init(cmd, MenuTable[3][line], std::stoi(MenuTable[2][line]));
  }
  static void Type(TGPage_Base& p, int col, int row, const std::string& value) {
    const int fr = p.Model()->FixedRows(), fc = p.Model()->FixedCols();
    p.Model()->setData(p.Model()->index(row - fr, col - fc), ToQ(value), Qt::EditRole);
  }
  static GridRect Cursor(TGPage_Base& p) {
    QModelIndex i = p.StringGrid1->currentIndex();
    int c = i.column() + p.Model()->FixedCols(), r = i.row() + p.Model()->FixedRows();
    return {c, r, c, r};
  }
  static void Flush() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  }
  std::string Section() const { return dir.Read("data/T.CMD"); }

  TempDir dir;
  std::string cmd;
  QTimer answer;
  Strings seen;
  std::vector<GPageHandOver> handed;
};

TEST_F(Pages, MatrixOpensInBothOrientationsAndRegistersItsCells) {
  ASSERT_TRUE(Open(G_P3_Init, kMtxV));
  TFormG_P3& v = Show(FormG_P3);
  ASSERT_EQ(v.Grid().ColCount(), 3);
  ASSERT_EQ(v.Grid().RowCount(), 4);
  // V: rows labelled by lines 1-3, columns headed by lines 1 and 4.
  EXPECT_EQ(v.Model()->headerData(0, Qt::Vertical, Qt::DisplayRole).toString().toStdString(), "L1");
  EXPECT_EQ(v.Model()->headerData(2, Qt::Vertical, Qt::DisplayRole).toString().toStdString(), "L3");
  EXPECT_EQ(v.Model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString().toStdString(), "H4");
  EXPECT_EQ(v.Grid().Cell(2, 1), "15");  // entry 4
  EXPECT_EQ(v.Grid().Cell(1, 3), "30");
  EXPECT_EQ(v.StringGrid1->verticalHeader()->width(), 183);
  EXPECT_EQ(v.StringGrid1->columnWidth(1), 123);
  EXPECT_EQ(Cursor(v), (GridRect{1, 1, 1, 1}));
  EXPECT_EQ(v.HelpBitBtn, v.Help_BitBtn);

  Type(v, 2, 2, "/");
  Type(v, 1, 3, "#*");
  v.Reg_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, Strings{"M7015"});
  EXPECT_EQ(Section(), Lines({"!title", "/M01/", "SIZE=2;FS-101=01;", "fs-102=02; OP-113=10;", "/M10/", "BLK=002;",
                              "0001=10>20>#*>15;", "0006=35;", "BLK=003;", "0001=5>3>6>2>7>1;", "/M15/", "0120=9;",
                              "/M20/", "LEN=03;", "0001-*=1----0>10;", "LEN=04;", "0001-*=010101>-1-1-1;"}));
  EXPECT_TRUE(Temps().empty());
  EXPECT_EQ(Cursor(v), (GridRect{1, 1, 1, 1}));
  v.Exit_BitBtnClick();

  // H: the same page, other shape of indexes; nothing of V stays.
  ASSERT_TRUE(Open(G_P3_Init, kMtxH));
  TFormG_P3& h = Show(FormG_P3);
  EXPECT_EQ(h.Model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString().toStdString(), "H2");
  EXPECT_EQ(h.Model()->headerData(1, Qt::Vertical, Qt::DisplayRole).toString().toStdString(), "L3");
  EXPECT_EQ(h.Grid().Cell(2, 1), "3");  // entry 2
  EXPECT_EQ(h.Grid().Cell(1, 3), "7");  // entry 5
  h.Exit_BitBtnClick();
}

TEST_F(Pages, BadMenuLinesAndDefinitionsOpenNothing) {
  const std::string before = Section();
  EXPECT_FALSE(Open(G_P3_Init, kShort));
  EXPECT_FALSE(Open(G_P3_Init, kBadO));
  EXPECT_FALSE(Open(G_P3_Init, kBadN));
  EXPECT_FALSE(Open(G_P4_Init, kBadO));
  EXPECT_FALSE(Open(G_P4_Init, kBadN));
  Flush();
  EXPECT_EQ(seen, (Strings{"M9311", "M9312", "M9312", "M9312", "M9312"}));
  EXPECT_EQ(Section(), before);
  EXPECT_TRUE(Temps().empty());
}

TEST_F(Pages, MatrixBlockPasteAndFailingCell) {
  ASSERT_TRUE(Open(G_P3_Init, kBig));
  TFormG_P3& p = Show(FormG_P3);
  ASSERT_EQ(p.Grid().RowCount(), 81);
  ASSERT_EQ(p.Grid().ColCount(), 4);
  EXPECT_EQ(p.Grid().Cell(2, 40), "9");  // entry 120: column 2, row 40
  Type(p, 1, 1, "1");
  Type(p, 2, 1, "2");
  Type(p, 1, 2, "3");
  Type(p, 2, 2, "4");

  // 2 x 2 from columns 1 and 2: not into the last column, but beside it.
  p.SetSelection({1, 1, 2, 2});
  p.Copy_BitBtn->click();
  p.SetCursor(3, 1);
  p.Paste_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, Strings{"M9806"});
  EXPECT_EQ(p.Grid().Cell(3, 1), "/");
  p.SetCursor(2, 5);
  p.Paste_BitBtn->click();
  EXPECT_EQ(p.Grid().Cell(2, 5), "1");
  EXPECT_EQ(p.Grid().Cell(3, 6), "4");
  EXPECT_EQ(Cursor(p), (GridRect{2, 5, 2, 5}));

  // A whole row taken by its label goes to column 1 of the chosen row.
  QWidget* labels = p.StringGrid1->verticalHeader()->viewport();
  QPoint row1(5, p.StringGrid1->rowViewportPosition(0) + 3);
  QTest::mousePress(labels, Qt::LeftButton, {}, row1);
  QTest::mouseRelease(labels, Qt::LeftButton, {}, row1);
  EXPECT_EQ(p.Selection(), (GridRect{1, 1, 3, 1}));
  p.Copy_BitBtn->click();
  p.SetCursor(3, 10);
  p.Paste_BitBtn->click();
  EXPECT_EQ(p.Grid().Cell(1, 10), "1");
  EXPECT_EQ(p.Grid().Cell(2, 10), "2");
  EXPECT_EQ(p.Grid().Cell(3, 10), "/");
  EXPECT_EQ(seen, Strings{"M9806"});

  // A drag from a row label scrolls up no further than the first value row.
  p.SetTopRow(3);
  QPoint row4(5, p.StringGrid1->rowViewportPosition(3) + 3);
  QTest::mousePress(labels, Qt::LeftButton, {}, row4);
  EXPECT_EQ(p.Drag().Anchor(), 4);
  p.StringGrid1MouseMove(QPoint(5, -10));
  EXPECT_EQ(p.Drag().Direction(), 2);
  p.Grd_TmrTimer();
  p.Grd_TmrTimer();
  EXPECT_EQ(p.TopRow(), 1);
  EXPECT_EQ(p.Selection(), (GridRect{1, 1, 3, 4}));
  p.Grd_TmrTimer();
  EXPECT_EQ(p.TopRow(), 1);
  QTest::mouseRelease(labels, Qt::LeftButton, {}, row4);
  EXPECT_EQ(p.Drag().Flag(), 0);

  // A failing value: the cursor on it, the row on top, nothing written.
  seen.clear();
  Type(p, 3, 50, "1234567");
  const std::string before = Section();
  p.Chk_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, Strings{"M9507"});
  EXPECT_EQ(Cursor(p), (GridRect{3, 50, 3, 50}));
  EXPECT_EQ(p.TopRow(), 50);
  EXPECT_FALSE(p.EditMode());
  EXPECT_EQ(Section(), before);
  EXPECT_TRUE(Temps().empty());
  p.Exit_BitBtnClick();
}

TEST_F(Pages, PatternColumnSpreadsChecksAndFills) {
  ASSERT_TRUE(Open(G_P2_Init, kPtn2));
  TFormG_P2& p = Show(FormG_P2);
  ASSERT_EQ(p.Grid().RowCount(), 14);
  EXPECT_EQ(p.StringGrid1->verticalHeader()->width(), 363);
  const Strings shown = {"1", "-", "-", "-", "-", "0", "/", "/", "/", "/", "/", "/", "/", "/"};
  for (int r = 0; r < 14; ++r) EXPECT_EQ(p.Grid().Cell(1, r), shown[r]) << r;  // "10" is no pattern

  // A "2" stops every button before anything is written.
  const std::string before = Section();
  Type(p, 1, 8, "2");
  for (QPushButton* b : {p.Load_BitBtn, p.Chk_BitBtn, p.Reg_BitBtn}) {
    seen.clear();
    p.SetCursor(1, 0);
    b->click();
    Flush();
    EXPECT_EQ(seen, Strings{"M9508"});
    EXPECT_EQ(Cursor(p), (GridRect{1, 8, 1, 8}));
    EXPECT_TRUE(Temps().empty());
    EXPECT_EQ(Section(), before);
  }
  EXPECT_TRUE(handed.empty());
  EXPECT_FALSE(p.Err_BitBtn->isEnabled());
  seen.clear();
  Type(p, 1, 8, "10");
  p.Chk_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, Strings{"M9508"});

  // The fill rule: "/" beside a value counts as "-"; the grid keeps "/".
  seen.clear();
  Type(p, 1, 8, "/");
  Type(p, 1, 6, "1");
  Type(p, 1, 12, "1");  // no pattern: never written
  p.Load_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, Strings{"M7501"});
  ASSERT_EQ(handed.size(), 1u);
  ASSERT_EQ(Temps().size(), 1u);
  EXPECT_EQ(Temps()[0].substr(0, 3), "DBS");
  EXPECT_EQ(dir.Read(Temps()[0]), Lines({"/M20/", "LEN=03;", "0001-*=1----0>1-----;"}));
  EXPECT_EQ(p.Grid().Cell(1, 7), "/");
  EXPECT_TRUE(p.Err_BitBtn->isEnabled());
  std::remove(HandOverTempFile.c_str());
  p.show();
  p.Exit_BitBtnClick();
}

TEST_F(Pages, PatternMatrixRegistersInTheOrientationsOrder) {
  ASSERT_TRUE(Open(G_P4_Init, kPtn4));
  TFormG_P4& p = Show(FormG_P4);
  ASSERT_EQ(p.Grid().ColCount(), 7);
  ASSERT_EQ(p.Grid().RowCount(), 3);
  // H: row 1 is pattern 1, row 2 pattern 2.
  EXPECT_EQ(p.Grid().Cell(2, 1), "1");
  EXPECT_EQ(p.Grid().Cell(1, 2), "-");
  EXPECT_EQ(Cursor(p), (GridRect{1, 1, 1, 1}));
  Type(p, 6, 2, "x");
  p.Reg_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, Strings{"M9508"});
  EXPECT_EQ(Cursor(p), (GridRect{6, 2, 6, 2}));
  seen.clear();
  Type(p, 6, 2, "0");
  for (int c = 1; c <= 6; ++c) Type(p, c, 1, "/");
  p.Reg_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, Strings{"M7015"});
  EXPECT_EQ(Section(), Lines({"!title", "/M01/", "SIZE=2;FS-101=01;", "fs-102=02; OP-113=10;", "/M10/", "BLK=002;",
                              "0001=10>20>30>15>25>35;", "BLK=003;", "0001=5>3>6>2>7>1;", "/M15/", "0120=9;", "/M20/",
                              "LEN=03;", "0001-*=1----0>10;", "LEN=04;", "0002-*=-1-1-0;"}));
  EXPECT_EQ(Cursor(p), (GridRect{1, 1, 1, 1}));
  p.Exit_BitBtnClick();
}

TEST_F(Pages, KeyTableReadsWritesAndChecksItsFixedRows) {
  ASSERT_TRUE(Open(G_P0_Init, kKey));
  TFormG_P0& p = Show(FormG_P0);
  ASSERT_EQ(p.Grid().RowCount(), 85);
  EXPECT_EQ(p.Grid().Cell(0, 1), "FS 1-1");
  EXPECT_EQ(p.Grid().Cell(0, 84), "");
  EXPECT_EQ(p.Grid().Cell(1, 0), "2");
  EXPECT_EQ(p.Grid().Cell(1, 1), "01");
  EXPECT_EQ(p.Grid().Cell(1, 2), "02");
  EXPECT_EQ(p.Grid().Cell(1, 13), "/");  // behind a blank

  const std::string before = Section();
  Type(p, 1, 0, "12345");
  p.SetTopRow(10);
  p.Chk_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, Strings{"M9507"});
  EXPECT_EQ(Cursor(p), (GridRect{1, 0, 1, 0}));
  EXPECT_EQ(p.TopRow(), 10);  // the size row does not scroll
  seen.clear();
  Type(p, 1, 0, "4");
  Type(p, 1, 80, "123");
  p.Load_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, Strings{"M9507"});
  EXPECT_EQ(Cursor(p), (GridRect{1, 80, 1, 80}));
  EXPECT_EQ(p.TopRow(), 65);
  EXPECT_TRUE(p.Err_BitBtn->isEnabled());
  EXPECT_EQ(Section(), before);
  EXPECT_TRUE(Temps().empty());

  seen.clear();
  Type(p, 1, 80, "");
  Type(p, 1, 28, "11");
  p.Reg_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, Strings{"M7015"});
  EXPECT_EQ(Section(), Lines({"!title", "/M01/", "SIZE=4;", "FS-101=01;", "FS-102=02;", "OP-214=11;", "FS-610=;",
                              "/M10/", "BLK=002;", "0001=10>20>30>15>25>35;", "BLK=003;", "0001=5>3>6>2>7>1;",
                              "/M15/", "0120=9;", "/M20/", "LEN=03;", "0001-*=1----0>10;", "LEN=04;",
                              "0001-*=010101>-1-1-1;"}));
  p.Exit_BitBtnClick();
}

}  // namespace

namespace {

// Every page type, shown: its rows at their height, its columns in view
// (the wide pattern matrix scrolling sideways only where the screen is too
// narrow for it), and a failing cell near the end of the grid whole in
// view with the row above it, after the page scrolled to it.
TEST_F(Pages, EveryPageShowsItsColumnsAndItsFailingCellNearTheEnd) {
  {
    SCOPED_TRACE("key table");
    ASSERT_TRUE(Open(G_P0_Init, kKey));
    TFormG_P0& p = Show(FormG_P0);
    ExpectGridLayout(p, 243);
    Type(p, 1, 84, "999");
    p.Chk_BitBtn->click();
    Flush();
    EXPECT_EQ(seen, Strings{"M9507"});
    EXPECT_EQ(Cursor(p), (GridRect{1, 84, 1, 84}));
    EXPECT_EQ(p.TopRow(), 65);
    EXPECT_TRUE(CellShown(p, 1, 84));
    EXPECT_TRUE(CellShown(p, 1, 83));
    EXPECT_TRUE(CellShown(p, 1, 65));
    p.Exit_BitBtnClick();
  }
  {
    SCOPED_TRACE("pattern column");
    seen.clear();
    ASSERT_TRUE(Open(G_P2_Init, kPtnLong));
    TFormG_P2& p = Show(FormG_P2);
    ASSERT_EQ(p.Grid().RowCount(), 60);
    ExpectGridLayout(p, 363);
    Type(p, 1, 59, "2");
    p.Chk_BitBtn->click();
    Flush();
    EXPECT_EQ(seen, Strings{"M9508"});
    EXPECT_EQ(Cursor(p), (GridRect{1, 59, 1, 59}));
    EXPECT_TRUE(CellShown(p, 1, 59));
    EXPECT_TRUE(CellShown(p, 1, 58));
    p.Exit_BitBtnClick();
  }
  {
    SCOPED_TRACE("matrix of three columns");
    seen.clear();
    ASSERT_TRUE(Open(G_P3_Init, kBig));
    TFormG_P3& p = Show(FormG_P3);
    ExpectGridLayout(p, 183);
    Type(p, 3, 80, "1234567");
    p.Chk_BitBtn->click();
    Flush();
    EXPECT_EQ(seen, Strings{"M9507"});
    EXPECT_EQ(Cursor(p), (GridRect{3, 80, 3, 80}));
    EXPECT_TRUE(CellShown(p, 3, 80));
    EXPECT_TRUE(CellShown(p, 3, 79));
    p.Exit_BitBtnClick();
  }
  {
    SCOPED_TRACE("matrix of four columns");
    seen.clear();
    ASSERT_TRUE(Open(G_P3_Init, kMtxWide));
    TFormG_P3& p = Show(FormG_P3);
    ASSERT_EQ(p.Grid().ColCount(), 5);
    ExpectGridLayout(p, 183);
    Type(p, 4, 40, "1234567");
    p.Chk_BitBtn->click();
    Flush();
    EXPECT_EQ(seen, Strings{"M9507"});
    EXPECT_EQ(Cursor(p), (GridRect{4, 40, 4, 40}));
    EXPECT_TRUE(CellShown(p, 4, 40));
    EXPECT_TRUE(CellShown(p, 4, 39));
    p.Exit_BitBtnClick();
  }
  {
    SCOPED_TRACE("pattern matrix of six columns");
    seen.clear();
    ASSERT_TRUE(Open(G_P4_Init, kPtnWide));
    TFormG_P4& p = Show(FormG_P4);
    ASSERT_EQ(p.Grid().ColCount(), 7);
    ASSERT_EQ(p.Grid().RowCount(), 31);
    ExpectGridLayout(p, 183);
    Type(p, 6, 30, "x");
    p.Chk_BitBtn->click();
    Flush();
    EXPECT_EQ(seen, Strings{"M9508"});
    EXPECT_EQ(Cursor(p), (GridRect{6, 30, 6, 30}));
    EXPECT_TRUE(CellShown(p, 6, 30));
    EXPECT_TRUE(CellShown(p, 6, 29));
    p.Exit_BitBtnClick();
  }
}

}  // namespace
