// The menu tree under offscreen Qt: Menu.csv into the tree, leaves and
// branches, the double click on the label only, the path and the dispatch
// to the screen of the page type, and the way back to the list.
#include "cmdfile/ui/Edit_Menu.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cmdfile/ScreenTbl_Unit.h"
#include "cmdfile/ui/ListEdit_Entry.h"
#include "cmdfile/ui/PageOpen_Table.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "tests/support/TempDir.h"

namespace {

struct Call {
  std::string path, key;
  int type;
};

class EditMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("MSGDLG.DAT", "J9301=T,M9301,1,0\r\nJ9312=T,M9312,1,0\r\n");
    ProgramDir = dir.path();
    ScreenFilesDir = dir.path() + "screens/";
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [this] {
      QWidget* w = QApplication::activeModalWidget();
      if (auto* c = qobject_cast<TConf_Dlg*>(w); c && c->isVisible()) {
        seen.push_back(c->Msg_Lbl->text().toStdString());
        c->Ok_BitBtn->setVisible(true);
        c->Ok_BitBtn->click();
      }
    });
    answer.start();
    // The program's own pages, registered by an earlier test in this
    // process, must not answer for the types this test leaves empty.
    for (int t = 0; t <= 7; ++t) PageOpen_Set(t, {});
    keptEntry = ListEdit_SetEntry({});
    keptBack = ListEdit_SetReturn({});
    for (int t : {1, 3}) {
      PageOpen_Set(t, {[this](const std::string& p, const std::string& k, int type) {
                         calls.push_back({p, k, type});
                         return ready;
                       },
                       [this] { return PageWidgets{&page, &load, &err}; }});
    }
    err.setEnabled(true);
    load.setEnabled(true);
    CurrentPage = nullptr;
  }
  void TearDown() override {
    answer.stop();
    for (int t = 0; t <= 7; ++t) PageOpen_Set(t, {});
    ListEdit_SetReturn(std::move(keptBack));
    ListEdit_SetEntry(std::move(keptEntry));
    CurrentPage = nullptr;
    ProgramDir.clear();
    ScreenFilesDir.clear();
  }
  void Menu(std::initializer_list<std::string_view> lines) {
    std::string s;
    for (std::string_view l : lines) (s += Sjis(l)) += "\r\n";
    dir.Write("screens/MENU.CSV", s);  // found ignoring case
  }
  QPoint LabelPoint(TEdit_Menu& f, QTreeWidgetItem* item) {
    return f.TrvMenu->visualItemRect(item).topLeft() + QPoint(4, 4);
  }
  std::string Text(QTreeWidgetItem* item) { return FromQ(item->text(0)).value_or("?"); }

  TempDir dir;
  ListEditFn keptEntry;
  std::function<void()> keptBack;
  QTimer answer;
  std::vector<std::string> seen;
  std::vector<Call> calls;
  bool ready = true;
  QWidget page;
  QPushButton load, err;
};

TEST_F(EditMenu, TreeFromMenuCsvOpensTheScreenOfALeaf) {
  Menu({
      "caption,level,type,key,orient,N,M,help,header,sub",
      "\"基本 設定\",1,1,K0,V,0,0,h,/M00/",
      "内線,2,1,K1,V,0,0,h1,/M10/",
      "詳細,3,3,K3,H,4,5,h3,/M30/,BLK=073",
      "八桁だけ,2,1,K,V,0,0,h",
      "外線,1,1,K2,V,0,0,h2,/M20/",
  });
  TEdit_Menu f;
  dir.Write("data/a.cmd", "");
  f.CmdFilePath = dir.path() + "data/A.CMD";  // found ignoring case
  ASSERT_TRUE(f.MenuLoad());
  EXPECT_TRUE(seen.empty());
  ASSERT_EQ(f.TrvMenu->topLevelItemCount(), 2);
  QTreeWidgetItem* top = f.TrvMenu->topLevelItem(0);
  EXPECT_EQ(Text(top), Sjis("基本 設定"));
  ASSERT_EQ(top->childCount(), 1);  // the 8-field line is not in the tree
  QTreeWidgetItem* branch = top->child(0);
  ASSERT_EQ(branch->childCount(), 1);
  QTreeWidgetItem* leaf = branch->child(0);
  EXPECT_EQ(ScreenTbl_Find("K3").SubHeader, "BLK=073");

  f.show();
  f.TrvMenu->setCurrentItem(branch);
  EXPECT_FALSE(f.OK_BitBtn->isEnabled());
  f.OK_BitBtn->click();  // off on a branch: nothing opens
  EXPECT_TRUE(calls.empty());
  f.TrvMenu->setCurrentItem(leaf);
  EXPECT_TRUE(f.OK_BitBtn->isEnabled());

  ready = false;  // the screen refuses: the tree stays
  f.OK_BitBtn->click();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_TRUE(f.isVisible());
  EXPECT_FALSE(page.isVisible());
  EXPECT_EQ(CurrentPage, nullptr);

  ready = true;
  f.OK_BitBtn->click();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].path, dir.path() + "data/a.cmd");
  EXPECT_EQ(calls[1].key, "K3");
  EXPECT_EQ(calls[1].type, 3);
  EXPECT_EQ(MenuIndex, 3);
  EXPECT_EQ(MenuPath, Sjis("基本 設定－内線－詳細"));
  EXPECT_FALSE(f.isVisible());
  EXPECT_TRUE(page.isVisible());
  EXPECT_EQ(CurrentPage, &page);
  EXPECT_FALSE(err.isEnabled());
  EXPECT_FALSE(load.isEnabled());  // no line to the exchange
  page.hide();
}

TEST_F(EditMenu, DoubleClickOpensOnlyALeafUnderItsLabel) {
  Menu({"h", "A,1,1,KA,V,0,0,h,/MA/", "B,2,1,KB,V,0,0,h,/MB/", "C,1,1,KC,V,0,0,h,/MC/"});
  TEdit_Menu f;
  f.CmdFilePath = dir.path() + "X.CMD";
  ASSERT_TRUE(f.MenuLoad());
  f.show();
  QTreeWidgetItem* a = f.TrvMenu->topLevelItem(0);
  QTreeWidgetItem* c = f.TrvMenu->topLevelItem(1);

  // A branch: the double click only opens or closes it.
  QTest::mouseDClick(f.TrvMenu->viewport(), Qt::LeftButton, {}, LabelPoint(f, a));
  EXPECT_TRUE(calls.empty());

  // The press beside a label clears the clicked caption; a right press
  // leaves it; a press on the label sets it.
  f.TrvMenu->setCurrentItem(c);
  QRect row = f.TrvMenu->visualItemRect(c);
  f.TrvMenuMouseDown(Qt::LeftButton, QPoint(row.right() - 2, row.center().y()));
  EXPECT_EQ(ClickedNodeText, "");
  f.OK_BitBtnClick(true);
  EXPECT_TRUE(calls.empty());
  QTest::mousePress(f.TrvMenu->viewport(), Qt::LeftButton, {}, LabelPoint(f, c));
  QTest::mouseRelease(f.TrvMenu->viewport(), Qt::LeftButton, {}, LabelPoint(f, c));
  EXPECT_EQ(ClickedNodeText, "C");
  f.TrvMenuMouseDown(Qt::RightButton, QPoint(row.right() - 2, row.center().y()));
  EXPECT_EQ(ClickedNodeText, "C");

  QTest::mouseDClick(f.TrvMenu->viewport(), Qt::LeftButton, {}, LabelPoint(f, c));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].key, "KC");
  EXPECT_EQ(calls[0].type, 1);
  EXPECT_EQ(MenuIndex, 3);
  EXPECT_EQ(MenuPath, "C");
  page.hide();
}

TEST_F(EditMenu, DamagedMenuFilesShowTheirMessage) {
  TEdit_Menu f;
  EXPECT_FALSE(f.MenuLoad());  // no Menu.csv
  EXPECT_EQ(seen, std::vector<std::string>{"M9301"});

  seen.clear();
  Menu({"h", "A,1,1,KA,V,0,0,h,/MA/", "B,3,1,KB,V,0,0,h,/MB/"});  // level 3 before any level 2
  EXPECT_FALSE(f.MenuLoad());
  EXPECT_EQ(seen, std::vector<std::string>{"M9312"});

  seen.clear();
  Menu({"h", "B,2,1,KB,V,0,0,h,/MB/"});  // the first line not at level 1
  EXPECT_FALSE(f.MenuLoad());
  EXPECT_EQ(seen, std::vector<std::string>{"M9312"});

  // Levels 0 and 11 are left out; a page type outside 0-7, or one whose
  // screen this program lacks, opens nothing.
  seen.clear();
  Menu({"h", "Z,0,1,KZ,V,0,0,h,/MZ/", "A,1,8,KA,V,0,0,h,/MA/", "E,11,1,KE,V,0,0,h,/ME/", "F,1,5,KF,V,0,0,h,/MF/"});
  ASSERT_TRUE(f.MenuLoad());
  ASSERT_EQ(f.TrvMenu->topLevelItemCount(), 2);
  f.show();
  f.TrvMenu->setCurrentItem(f.TrvMenu->topLevelItem(0));
  f.OK_BitBtn->click();
  f.TrvMenu->setCurrentItem(f.TrvMenu->topLevelItem(1));
  f.OK_BitBtn->click();
  EXPECT_EQ(seen, (std::vector<std::string>{"M9312", "M9312"}));
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(f.isVisible());
}

TEST_F(EditMenu, ListEditOpensTheTreeAndExitGoesBack) {
  Menu({"h", "A,1,1,KA,V,0,0,h,/MA/"});
  Edit_Menu_Install();
  ASSERT_NE(Edit_Menu, nullptr);
  int back = 0;
  ListEdit_SetReturn([&] { ++back; });
  QWidget list;
  EXPECT_TRUE(ListEdit_Open(&list, dir.path() + "N.CMD"));
  EXPECT_TRUE(Edit_Menu->isVisible());
  EXPECT_EQ(Edit_Menu->CmdFilePath, dir.path() + "N.CMD");
  EXPECT_EQ(Edit_Menu->windowTitle().toStdString(), "コマンドファイル一覧編集（メニュー選択）");
  EXPECT_TRUE(Edit_Menu->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(Edit_Menu->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(Edit_Menu->TrvMenu->indentation(), 25);
  EXPECT_EQ(Edit_Menu->TrvMenu->editTriggers(), QAbstractItemView::NoEditTriggers);
  Edit_Menu->btbExit->click();
  EXPECT_FALSE(Edit_Menu->isVisible());
  EXPECT_EQ(back, 1);

  dir.Write("screens/MENU.CSV", "h\r\nB,2,1,KB,V,0,0,h,/MB/\r\n");
  EXPECT_FALSE(ListEdit_Open(&list, dir.path() + "N.CMD"));  // failed load: the list stays
  EXPECT_FALSE(Edit_Menu->isVisible());
  EXPECT_EQ(seen, std::vector<std::string>{"M9312"});
  delete Edit_Menu;
  EXPECT_EQ(Edit_Menu, nullptr);
  EXPECT_FALSE(ListEdit_Open(&list, dir.path() + "N.CMD"));
}

}  // namespace
