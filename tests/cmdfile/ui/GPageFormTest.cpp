// The type-1 page on its base under offscreen Qt: opening from the files,
// Register / Check / Load with the load form stubbed at its hand-over,
// copy, paste and Clear, the modes, the keys and the drag on the labels.
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <map>

#include "cmdfile/ScreenTbl_Unit.h"
#include "cmdfile/ui/G_P1_Unit.h"
#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "tests/cmdfile/ui/GridShown.h"
#include "tests/support/TempDir.h"

namespace {

class Page1 : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgramDir = dir.path();
    ScreenFilesDir = dir.path() + "screens/";
    std::string msgs;
    for (const char* n : {"5701", "7015", "7501", "7804", "9055", "9304", "9305", "9307", "9312", "9313", "9507",
                          "9508", "9804"})
      msgs += std::string("J") + n + "=T,M" + n + ",1,1\r\n";
    dir.Write("MSGDLG.DAT", msgs);
    dir.Write("screens/Menu.csv", SjisLines({"caption,level,type,key,o,n,m,help,header,sub",
                                             "Top,1,1,SYS001,V,0,0,SYS001,/M10/,BLK=001",
                                             "Plain,1,1,PLAIN,V,0,0,nohelp,/M61/"}));
    ASSERT_EQ(ScreenTbl_Load(ScreenFilesDir + "Menu.csv"), 0);
    // 40 rows: labels "r0" ... "r39"; line 5 has a blank in its label.
    std::vector<std::string> def{"h1", "h2", "h3", "h4"};
    for (int i = 0; i < 40; ++i) def.push_back(std::to_string(i + 1) + ",1,r" + std::to_string(i) + (i == 5 ? " x" : ""));
    std::string text;
    for (const auto& l : def) text += l + "\r\n";
    dir.Write("screens/sys001.csv", text);
    dir.Write("screens/PLAIN.CSV", text);
    cmd = dir.Write("data/T.CMD", SjisLines({"!title", "/M10/", "BLK=001;", "0001=30>60>90;0004=5;", "BLK=002;",
                                             "0001=7;", "/M61/", "0001=1;"}));
    GPage_Host().menuPath = [] { return Sjis("設定－システム"); };
    GPage_Host().helpName = [this] { return helpName; };
    GPage_Host().showLoad = [this](const GPageHandOver& h, QPoint at) {
      handed.push_back(h);
      loadAt = at;
    };
    GPage_Host().showMenu = [this] { ++menuShown; };
    GPage_Host().openErrorList = [this](const std::string& d) { errorList.push_back(d); };
    GPage_Host().openDocument = [this](const std::string& p) {
      docs.push_back(p);
      return true;
    };
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
    std::string text = c->Msg_Lbl->text().toStdString();
    seen.push_back(text);
    auto it = cancel.find(text);
    if (it != cancel.end() && it->second) c->Cancel_BitBtn->click();
    else c->Ok_BitBtn->click();
  }
  std::vector<std::string> Temps() const {
    std::vector<fsys::DirEntry> e;
    fsys::ListDir(dir.path(), "*.TMP", e);
    std::vector<std::string> names;
    for (const auto& x : e) names.push_back(x.name);
    return names;
  }
  // Opens the page as the menu tree does.
  TG_P1& Open(const std::string& key = "SYS001") {
    EXPECT_TRUE(G_P1_Init(cmd, key, 1));
    G_P1->move(10, 30);
    G_P1->show();
    QApplication::processEvents();
    return *G_P1;
  }
  void Type(TG_P1& p, int row, const std::string& value) {
    p.Model()->setData(p.Model()->index(row, 0), ToQ(value), Qt::EditRole);
  }
  static void Flush() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  }

  TempDir dir;
  std::string cmd;
  QTimer answer;
  std::map<std::string, bool> cancel;
  std::vector<std::string> seen;
  std::vector<GPageHandOver> handed;
  QPoint loadAt;
  int menuShown = 0;
  std::string helpName = "SYS001";
  std::vector<std::string> errorList, docs;
};

TEST_F(Page1, OpensFromTheFilesAndRegistersTheBlock) {
  TG_P1& p = Open();
  EXPECT_EQ(FromQ(p.windowTitle()).value(), Sjis("設定－システム"));
  EXPECT_EQ(p.Label1->text().toStdString(), "T");
  ASSERT_EQ(p.Grid().RowCount(), 40);
  EXPECT_EQ(p.Grid().Cell(0, 5), "r5 x");
  ExpectGridLayout(p, 243);
  EXPECT_EQ(p.Model()->headerData(5, Qt::Vertical, Qt::DisplayRole).toString().toStdString(), "r5 x");
  EXPECT_EQ(p.Grid().Cell(1, 0), "30");
  EXPECT_EQ(p.Grid().Cell(1, 3), "5");
  EXPECT_EQ(p.Grid().Cell(1, 4), "/");
  EXPECT_EQ(p.StringGrid1->verticalHeader()->width(), 243);
  EXPECT_EQ(p.StringGrid1->currentIndex().row(), 0);
  EXPECT_TRUE(p.EditMode());

  Type(p, 1, "/");
  Type(p, 39, "#*");
  p.Reg_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, (std::vector<std::string>{"M7015"}));
  EXPECT_EQ(dir.Read("data/T.CMD"), SjisLines({"!title", "/M10/", "BLK=001;", "0001=30;", "0003=90>5;",
                                               "0040=#*;", "BLK=002;", "0001=7;", "/M61/", "0001=1;"}));
  EXPECT_TRUE(Temps().empty());

  // Cancel of "7015" stores nothing.
  seen.clear();
  cancel["M7015"] = true;
  Type(p, 0, "1");
  std::string before = dir.Read("data/T.CMD");
  p.Reg_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, (std::vector<std::string>{"M7015"}));
  EXPECT_EQ(dir.Read("data/T.CMD"), before);
  EXPECT_TRUE(Temps().empty());
  p.Exit_BitBtnClick();
}

TEST_F(Page1, WithoutSubHeaderTheFirstEntryStays) {
  TG_P1& p = Open("PLAIN");
  EXPECT_EQ(p.Grid().Cell(1, 0), "1");
  p.Reg_BitBtn->click();
  Flush();
  EXPECT_EQ(dir.Read("data/T.CMD"), SjisLines({"!title", "/M10/", "BLK=001;", "0001=30>60>90;0004=5;", "BLK=002;",
                                               "0001=7;", "/M61/", "0001=1;"}));
  p.Exit_BitBtnClick();
}

TEST_F(Page1, ALongValueStopsEveryButtonAtItsRow) {
  TG_P1& p = Open();
  Type(p, 30, "12345678");
  const std::string before = dir.Read("data/T.CMD");
  for (QPushButton* b : {p.Chk_BitBtn, p.Reg_BitBtn, p.Load_BitBtn}) {
    seen.clear();
    p.SetCursor(1, 2);
    p.SetEditMode(true);
    b->click();
    Flush();
    EXPECT_EQ(seen, (std::vector<std::string>{"M9507"}));
    EXPECT_EQ(p.StringGrid1->currentIndex().row(), 30);
    EXPECT_EQ(p.TopRow(), 20);  // 40 rows - 20
    EXPECT_TRUE(CellShown(p, 1, 30));
    EXPECT_TRUE(CellShown(p, 1, 39));
    EXPECT_TRUE(p.DrawnFocus());
    EXPECT_EQ(p.Selection(), (GridRect{1, 30, 1, 30}));
    EXPECT_EQ(dir.Read("data/T.CMD"), before);
    EXPECT_TRUE(Temps().empty());
  }
  EXPECT_TRUE(handed.empty());
  // Load enabled the error list although nothing was loaded.
  EXPECT_TRUE(p.Err_BitBtn->isEnabled());
  p.Exit_BitBtnClick();
}

// Text with no CP932 form left in an open cell editor, then Register, Load
// or Clear: the refusal is told before anything is asked, so that its OK can
// answer no question, and nothing is written, sent or cleared. A mouse click
// commits the editor as its button takes the focus; a plain click (as a
// mnemonic does) leaves it open for the handler to commit.
TEST_F(Page1, TextRefusedAsTypedStopsTheButtonThatCommitsIt) {
  TG_P1& p = Open();
  p.Load_BitBtn->setEnabled(true);
  const std::string before = dir.Read("data/T.CMD");
  struct Case {
    QPushButton* button;
    bool mouse;
  };
  for (const Case& c : {Case{p.Reg_BitBtn, true}, Case{p.Load_BitBtn, false}, Case{p.Del_BitBtn, true},
                        Case{p.Reg_BitBtn, false}, Case{p.Load_BitBtn, true}, Case{p.Del_BitBtn, false}}) {
    SCOPED_TRACE(c.button->text().toStdString() + (c.mouse ? " clicked" : " pressed"));
    seen.clear();
    p.activateWindow();
    p.SetEditMode(true);
    p.SetCursor(1, 2);
    const QModelIndex cell = p.Model()->index(2, 0);
    // Moving the cursor in edit mode may have opened the editor already.
    if (!p.StringGrid1->indexWidget(cell)) p.StringGrid1->edit(cell);
    Flush();
    auto* editor = qobject_cast<QLineEdit*>(p.StringGrid1->indexWidget(cell));
    ASSERT_NE(editor, nullptr);
    editor->setText(U8("A€"));
    if (c.mouse) QTest::mouseClick(c.button, Qt::LeftButton);
    else c.button->click();
    Flush();
    EXPECT_EQ(seen, (std::vector<std::string>{"M9508"}));
    EXPECT_EQ(p.Grid().Cell(1, 2), "90");
    EXPECT_EQ(p.Grid().Cell(1, 0), "30");
    EXPECT_EQ(p.StringGrid1->currentIndex().row(), 2);
    EXPECT_EQ(dir.Read("data/T.CMD"), before);
    EXPECT_TRUE(handed.empty());
    EXPECT_TRUE(Temps().empty());
  }
  // Typed text that has a CP932 form goes on to the question as before.
  seen.clear();
  Type(p, 2, "91");
  p.Reg_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, (std::vector<std::string>{"M7015"}));
  EXPECT_NE(dir.Read("data/T.CMD"), before);
  p.Exit_BitBtnClick();
}

TEST_F(Page1, LoadHandsTheTemporaryFileOverOrDeletesIt) {
  TG_P1& p = Open();
  p.Err_BitBtn->setEnabled(false);
  cancel["M7501"] = true;
  p.Load_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, (std::vector<std::string>{"M7501"}));
  EXPECT_TRUE(handed.empty());
  EXPECT_TRUE(Temps().empty());
  EXPECT_TRUE(p.Err_BitBtn->isEnabled());
  EXPECT_TRUE(p.isVisible());

  p.Err_BitBtn->setEnabled(false);
  cancel["M7501"] = false;
  seen.clear();
  p.Load_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, (std::vector<std::string>{"M7501"}));
  ASSERT_EQ(handed.size(), 1u);
  ASSERT_EQ(Temps().size(), 1u);
  EXPECT_EQ(handed[0].tempPath, dir.path() + Temps()[0]);
  EXPECT_EQ(HandOverTempFile, handed[0].tempPath);
  EXPECT_EQ(LoadFolder, dir.path());
  EXPECT_EQ(LoadFileName, Temps()[0]);
  EXPECT_EQ(LoadFileName.substr(0, 3), "G_P");
  EXPECT_EQ(LoadKind, 5);
  EXPECT_EQ(LoadFixErrors, 0);
  EXPECT_EQ(handed[0].dataLabel, Sjis("コマンドファイル[T]"));
  EXPECT_EQ(dir.Read(Temps()[0]), SjisLines({"/M10/", "BLK=001;", "0001=30>60>90>5;"}));
  EXPECT_EQ(loadAt, p.pos());
  EXPECT_FALSE(p.isVisible());
  EXPECT_TRUE(p.Err_BitBtn->isEnabled());
  std::remove(HandOverTempFile.c_str());

  // The error list: viewer on the program folder, page hidden.
  p.show();
  DumpMode = 1;
  p.Err_BitBtn->click();
  EXPECT_EQ(DumpMode, 0);
  EXPECT_EQ(errorList, (std::vector<std::string>{dir.path()}));
  EXPECT_FALSE(p.isVisible());
  p.show();
  p.Exit_BitBtnClick();
}

TEST_F(Page1, CopyPasteAndClearOnTheValueColumn) {
  TG_P1& p = Open();
  EXPECT_FALSE(p.Paste_BitBtn->isEnabled());
  p.SetSelection({0, 0, 1, 2});
  p.Copy_BitBtn->click();
  EXPECT_TRUE(p.Paste_BitBtn->isEnabled());
  EXPECT_EQ(p.CopyBuffer(), (std::vector<std::string>{"30", "60", "90"}));

  // Near the end: three values do not fit below row 38.
  p.SetCursor(1, 38);
  p.Paste_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, (std::vector<std::string>{"M9804"}));
  EXPECT_EQ(p.Grid().Cell(1, 38), "/");
  // A range of the wrong height.
  seen.clear();
  p.SetSelection({1, 10, 1, 11});
  p.Paste_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, (std::vector<std::string>{"M9804"}));
  // Pasted by its mnemonic while the editor of the selected cell holds
  // typed text: the editor's old text never comes back over the paste.
  p.SetEditMode(true);
  p.SetCursor(1, 36);
  p.StringGrid1->edit(p.Model()->index(36, 0));
  auto* ed = qobject_cast<QLineEdit*>(p.StringGrid1->indexWidget(p.Model()->index(36, 0)));
  ASSERT_NE(ed, nullptr);
  ed->setText("99");
  p.Paste_BitBtnClick();
  p.StringGrid1->EndEdit();
  EXPECT_EQ(p.Grid().Cell(1, 36), "30");
  EXPECT_EQ(p.Grid().Cell(1, 37), "60");
  EXPECT_EQ(p.Grid().Cell(1, 38), "90");

  // Clear: Cancel clears nothing, OK the whole selection.
  seen.clear();
  cancel["M7804"] = true;
  p.SetSelection({1, 36, 1, 39});
  p.Del_BitBtn->click();
  Flush();
  EXPECT_EQ(p.Grid().Cell(1, 37), "60");
  cancel["M7804"] = false;
  p.Del_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, (std::vector<std::string>{"M7804", "M7804"}));
  for (int r = 36; r < 40; ++r) EXPECT_EQ(p.Grid().Cell(1, r), "/") << r;
  EXPECT_EQ(p.Grid().Cell(1, 0), "30");

  // The buffer survives closing; Paste waits for a new Copy.
  p.Exit_BitBtnClick();
  EXPECT_FALSE(p.Paste_BitBtn->isEnabled());
  EXPECT_EQ(menuShown, 1);
  Open();
  EXPECT_EQ(p.CopyBuffer().size(), 3u);
  EXPECT_FALSE(p.Paste_BitBtn->isEnabled());
  p.Exit_BitBtnClick();
}

TEST_F(Page1, ModesKeysAndTheWindowsOwnClose) {
  TG_P1& p = Open();
  QWidget* vp = p.StringGrid1->viewport();
  QPoint cell = p.StringGrid1->visualRect(p.Model()->index(3, 0)).center();
  QTest::mouseClick(vp, Qt::RightButton, {}, cell);
  EXPECT_FALSE(p.EditMode());
  EXPECT_EQ(p.StringGrid1->editTriggers(), QAbstractItemView::NoEditTriggers);
  p.SetSelection({1, 4, 1, 8});
  QTest::mouseClick(vp, Qt::RightButton, {}, cell);
  EXPECT_TRUE(p.EditMode());
  EXPECT_EQ(p.Selection(), (GridRect{1, 4, 1, 4}));

  // A key in select mode shrinks the selection and edits; Enter moves on.
  p.SetEditMode(false);
  p.SetSelection({1, 6, 1, 9});
  p.StringGrid1->setFocus();
  QTest::keyClick(p.StringGrid1, Qt::Key_Return);
  EXPECT_TRUE(p.EditMode());
  EXPECT_EQ(p.StringGrid1->currentIndex().row(), 7);
  EXPECT_FALSE(p.DrawnFocus());

  // Enter in the cell editor keeps what was typed and moves on as Tab.
  p.StringGrid1->edit(p.Model()->index(7, 0));
  QWidget* editor = p.StringGrid1->indexWidget(p.Model()->index(7, 0));
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(editor, "12");
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(p.Grid().Cell(1, 7), "12");
  EXPECT_EQ(p.StringGrid1->currentIndex().row(), 8);
  // Ctrl+Tab leaves the grid for the first button, keeping the text typed.
  p.StringGrid1->edit(p.Model()->index(8, 0));
  editor = p.StringGrid1->indexWidget(p.Model()->index(8, 0));
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(editor, "7");
  QTest::keyClick(editor, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(p.Grid().Cell(1, 8), "7");
  EXPECT_EQ(p.focusWidget(), p.Copy_BitBtn);

  // Text with no Shift-JIS form is refused and the old value kept.
  EXPECT_FALSE(p.Model()->setData(p.Model()->index(0, 0), QString::fromUtf8("\xF0\x9F\x98\x80"), Qt::EditRole));
  Flush();
  EXPECT_EQ(p.Grid().Cell(1, 0), "30");
  EXPECT_EQ(seen, (std::vector<std::string>{"M9508"}));

  // Only Exit closes the page.
  p.close();
  EXPECT_TRUE(p.isVisible());
  EXPECT_EQ(menuShown, 0);
  p.Exit_BitBtn->click();
  EXPECT_FALSE(p.isVisible());
  EXPECT_EQ(menuShown, 1);
}

TEST_F(Page1, DragOnTheRowLabels) {
  TG_P1& p = Open();
  QWidget* labels = p.StringGrid1->verticalHeader()->viewport();
  QWidget* vp = p.StringGrid1->viewport();
  int y2 = p.StringGrid1->rowViewportPosition(2) + 3;
  QTest::mousePress(labels, Qt::LeftButton, {}, QPoint(5, y2));
  EXPECT_EQ(p.Drag().Flag(), 1);
  EXPECT_EQ(p.Drag().Anchor(), 2);
  EXPECT_FALSE(p.EditMode());
  EXPECT_EQ(p.Selection(), (GridRect{1, 2, 1, 2}));

  p.StringGrid1MouseMove(QPoint(5, p.StringGrid1->rowViewportPosition(6) + 3));
  EXPECT_EQ(p.Selection(), (GridRect{1, 2, 1, 6}));
  EXPECT_EQ(p.Drag().Direction(), -1);
  p.StringGrid1MouseMove(QPoint(5, vp->height() + 10));
  EXPECT_TRUE(p.Grd_Tmr->isActive());
  EXPECT_EQ(p.Drag().Direction(), 1);
  int top = p.TopRow();
  p.Grd_TmrTimer();
  EXPECT_EQ(p.TopRow(), top + 1);
  EXPECT_EQ(p.Selection(), (GridRect{1, 2, 1, top + p.VisibleRows()}));
  p.StringGrid1MouseMove(QPoint(5, p.StringGrid1->rowViewportPosition(top + 3) + 3));
  EXPECT_FALSE(p.Grd_Tmr->isActive());

  QTest::mouseRelease(labels, Qt::LeftButton, {}, QPoint(5, y2));
  EXPECT_EQ(p.Drag().Flag(), 0);
  EXPECT_EQ(p.Drag().Direction(), 0);
  EXPECT_FALSE(p.Grd_Tmr->isActive());
  p.Exit_BitBtnClick();
}

TEST_F(Page1, HelpDocumentAndOpeningFailures) {
  TG_P1& p = Open();
  p.Help_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, (std::vector<std::string>{"M9307"}));
  dir.Write("screens/sys001.PDF", "%PDF-1.4\n");
  seen.clear();
  p.Help_BitBtn->click();
  EXPECT_EQ(docs, (std::vector<std::string>{ScreenFilesDir + "sys001.PDF"}));
  EXPECT_TRUE(seen.empty());
  // The document is there but nothing can show it: the dealer is told.
  GPage_Host().openDocument = [this](const std::string& path) {
    docs.push_back(path);
    return false;
  };
  p.Help_BitBtn->click();
  Flush();
  EXPECT_EQ(docs.size(), 2u);
  EXPECT_EQ(seen, (std::vector<std::string>{"M9313"}));
  p.Exit_BitBtnClick();

  // No definition file, a definition without rows, a key without section.
  seen.clear();
  EXPECT_FALSE(G_P1_Init(cmd, "NONE", 1));
  dir.Write("screens/EMPTY.CSV", "a\r\nb\r\nc\r\nd\r\n1,2\r\n");
  EXPECT_FALSE(G_P1_Init(cmd, "EMPTY", 1));
  dir.Write("screens/NOSECT.CSV", "a\r\nb\r\nc\r\nd\r\n1,1,x\r\n");
  EXPECT_FALSE(G_P1_Init(cmd, "NOSECT", 1));
  Flush();
  EXPECT_EQ(seen, (std::vector<std::string>{"M9304", "M9305", "M9312"}));
}

}  // namespace
