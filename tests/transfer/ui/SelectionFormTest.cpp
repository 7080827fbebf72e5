// The selection form from the main window's buttons, with stub subforms in
// the host: select, confirm, the hand-over values, the return with its
// refresh, the folder change and the lost line.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>

#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "tests/link/ui/DialogScript.h"
#include "tests/support/ui/PathShown.h"
#include "tests/transfer/ui/TransferFormFixture.h"
#include "transfer/ui/Save_Unit.h"
#include "transfer/ui/SelectionHost.h"

namespace {

std::string Messages() {
  std::string s;
  for (const char* n : {"9006", "9514", "7010", "7011", "7012", "7013", "7014", "7018", "7501"})
    s += std::string("J") + n + "=T,M" + n + ",1,1\r\n";
  return s;
}

class SelectionForm : public TransferForms {
 protected:
  void SetUp() override {
    dir.Write("INPDLG.DAT", "J1401=T,P1401,L,30,*,,1,1\r\n");
    OpenMainWindow(Messages());
    SelectionHost& h = Selection_Host();
    saved_ = h;
    h.openSave = [this] { opened.push_back("save"); };
    h.openLoad = [this] { opened.push_back("load"); };
    h.openSpeedDial = [this] { opened.push_back("speed"); };
    h.openViewer = [this](const std::string&) { opened.push_back("viewer"); };
  }
  void TearDown() override {
    LineLost = 0;
    // After the selection forms went: going, they clear the host they hold.
    TransferForms::TearDown();
    Selection_Host() = saved_;
  }
  void Select(QListWidget* l, int row) {
    l->setCurrentRow(row);
    QApplication::processEvents();
  }
  std::vector<std::string> Rows(QListWidget* l) {
    std::vector<std::string> out;
    for (int i = 0; i < l->count(); ++i) out.push_back(l->item(i)->text().section('\t', 0, 0).toStdString());
    return out;
  }
  std::vector<std::string> opened;
  SelectionHost saved_;
};

TEST_F(SelectionForm, LoadSaveAndSpeedDialThroughTheHost) {
  {
    DialogScript s;
    s.Then(1);
    main->Load_BitBtnClick();
    EXPECT_EQ(s.Shown(), (std::vector<std::string>{"M9006"}));
    EXPECT_FALSE(FSel_Frm->isVisible());
  }
  dir.Write("data/CONTROL.DAT", "@Keys;M01\r\n@Trunks;M20\r\n");
  dir.Write("data/USER.INF", "dealer\r\n");
  dir.Write("data/SdSystem.DAT", "!sys\r\n");
  dir.Write("data/M20.DAT", "!t\r\n");
  dir.Write("data/Job.CMD", "!\r\n");
  dir.Write("other/SdPersonal.DAT", "!p\r\n");
  dir.Write("ENVIRON.DAT", dir.path() + "data/CONTROL.DAT," + dir.path() + "data,a,b,c,d,e,f,g,h,i,j,k,l,m,n,o\r\n");
  std::vector<fsys::DirEntry> before;
  ASSERT_TRUE(fsys::ListDir(dir.path() + "data/", "*", before));

  // Load: a ranged system speed dial.
  TFSel_Frm* f = FSel_Frm;
  main->Load_BitBtnClick();
  ASSERT_TRUE(f->isVisible());
  EXPECT_FALSE(main->SB_GB->isVisible());
  EXPECT_EQ(f->Dir_Lbl->text().toStdString(), dir.path() + "data");
  EXPECT_EQ(f->User_Lbl->text(), "dealer");
  EXPECT_TRUE(f->Free_Lbl->text().endsWith(" bytes"));
  EXPECT_EQ(Rows(f->Dsyu_OTabLstBox).size(), 3u);  // system speed dial, parts, command files
  EXPECT_FALSE(f->Def_BitBtn->isEnabled());
  Select(f->Dsyu_OTabLstBox, 0);
  EXPECT_TRUE(f->Tm_GrpBox->isVisible());
  EXPECT_EQ(f->From_Edt->maxLength(), 3);
  f->Tm2_RdoBtn->click();
  QTest::keyClicks(f->From_Edt, "2#0");  // the key filter drops "#"
  EXPECT_EQ(f->From_Edt->text(), "20");
  f->To_Edt->setText("100");
  {
    DialogScript s;
    s.Then(1);
    f->Def_BitBtn->click();
    EXPECT_EQ(s.Shown(), (std::vector<std::string>{"M9514"}));
    EXPECT_TRUE(opened.empty());
  }
  f->To_Edt->setText("");
  {
    DialogScript s;
    s.Then(1);
    f->Def_BitBtn->click();
    EXPECT_EQ(s.Shown(), (std::vector<std::string>{"M7501"}));
  }
  EXPECT_EQ(opened, (std::vector<std::string>{"load"}));
  EXPECT_FALSE(f->isVisible());
  EXPECT_EQ(LoadKind, 0);
  EXPECT_EQ(LoadFileName, "SdSystem.DAT");
  EXPECT_EQ(LoadFolder, dir.path() + "data/");
  EXPECT_EQ(LoadRangeOn, 1);
  EXPECT_EQ(LoadRangeFrom, "20");
  EXPECT_EQ(LoadRangeTo, "");

  // Back from the load: refreshed, the kind row selected again.
  dir.Write("data/SdKanjitell.DAT", "!k\r\n");
  Selection_Return({true, true, true, true, true});
  ASSERT_TRUE(f->isVisible());
  EXPECT_EQ(f->Dsyu_OTabLstBox->count(), 4);
  EXPECT_TRUE(f->Dsyu_OTabLstBox->item(0)->isSelected());
  EXPECT_TRUE(f->Def_BitBtn->isEnabled());

  // The command file with the fix option.
  Select(f->Dsyu_OTabLstBox, 2);
  EXPECT_TRUE(f->Com_GrpBox->isVisible());
  EXPECT_FALSE(f->Def_BitBtn->isEnabled());
  Select(f->Com_OTabLstBox, 0);
  EXPECT_TRUE(f->Def_BitBtn->isEnabled());
  f->Edit_ChkBox->setChecked(true);
  {
    DialogScript s;
    s.Then(2);  // not confirmed: nothing opens
    f->Def_BitBtn->click();
  }
  EXPECT_EQ(opened.size(), 1u);
  {
    DialogScript s;
    s.Then(1);
    f->Def_BitBtn->click();
  }
  EXPECT_EQ(LoadKind, 5);
  EXPECT_EQ(LoadFileName, "Job.CMD");
  EXPECT_EQ(LoadFixErrors, 1);
  EXPECT_EQ(LoadRangeOn, 0);

  // The line was lost meanwhile: the form closes itself on return.
  LineLost = 1;
  Selection_Return({true, true, true, true, true});
  QApplication::processEvents();
  EXPECT_FALSE(f->isVisible());
  EXPECT_EQ(LineLost.load(), 0);
  EXPECT_TRUE(main->SB_GB->isVisible());

  // Save of two parts, one of which exists: overwrite question, comment.
  main->Save_BitBtnClick();
  ASSERT_TRUE(f->isVisible());
  EXPECT_EQ(f->Dsyu_OTabLstBox->count(), 6);
  Select(f->Dsyu_OTabLstBox, 4);
  EXPECT_TRUE(f->Prg_GrpBox->isVisible());
  f->Prg_OTabLstBox->item(0)->setSelected(true);
  f->Prg_OTabLstBox->item(1)->setSelected(true);
  EXPECT_TRUE(f->Def_BitBtn->isEnabled());
  {
    DialogScript s;
    s.Then(1).Then(1, "月末");  // typed as text, handed over as CP932
    f->Def_BitBtn->click();
    EXPECT_EQ(s.Shown(), (std::vector<std::string>{"M7014", "P1401"}));
  }
  EXPECT_EQ(opened.back(), "save");
  EXPECT_EQ(SaveFolder, dir.path() + "data/");
  EXPECT_EQ(SaveUserName, "dealer");
  EXPECT_EQ(SaveComment, Sjis("月末"));
  ASSERT_EQ(SaveChoices.size(), 2u);
  EXPECT_EQ(SaveChoices[0].fileName, "M01.DAT");
  EXPECT_EQ(SaveChoices[0].code, 'A');
  EXPECT_EQ(SaveChoices[1].fileName, "M20.DAT");
  EXPECT_EQ(SaveChoices[1].code, 'B');
  Selection_Return({true, true, false, true, true});
  EXPECT_TRUE(f->Prg_GrpBox->isVisible());
  EXPECT_TRUE(f->Prg_OTabLstBox->item(1)->isSelected()) << "the parts chosen are chosen again";

  // Folder change: the same folder changes nothing, another rebuilds.
  QString target = QString::fromStdString(dir.path() + "data");
  SetPathPicker([&target](QWidget*, PathPickRequest& r) {
    r.path = target;
    return 1;
  });
  f->Chg_BitBtn->click();
  EXPECT_TRUE(f->Prg_GrpBox->isVisible());
  target = QString::fromStdString(dir.path() + "other");
  f->Chg_BitBtn->click();
  EXPECT_FALSE(f->Prg_GrpBox->isVisible());
  EXPECT_EQ(f->User_Lbl->text(), "");
  EXPECT_EQ(f->Dir_Lbl->text(), target);
  f->Exit_BitBtn->click();
  EXPECT_FALSE(f->isVisible());

  // Speed dial: the third row is the extension directory.
  main->Spd_BitBtnClick();
  ASSERT_TRUE(f->isVisible());
  EXPECT_EQ(f->Dir_Lbl->text().toStdString(), dir.path() + "data") << "opened fresh from ENVIRON.DAT";
  Select(f->Dsyu_OTabLstBox, 2);
  f->Def_BitBtn->click();
  EXPECT_EQ(opened.back(), "speed");
  EXPECT_EQ(SpeedDialMode, 3);

  std::vector<fsys::DirEntry> after;
  ASSERT_TRUE(fsys::ListDir(dir.path() + "data/", "*", after));
  ASSERT_EQ(after.size(), before.size() + 1);  // the kanji file the test wrote
}

TEST_F(SelectionForm, TypeOneFormOpensForSystemTypeOne) {
  SystemType = 1;
  Global_FillDataKinds(1);
  dir.Write("CONTROL.DAT", "@Keys;M01\r\n");
  dir.Write("SdIdCard.DAT", "!id\r\n");
  dir.Write("ENVIRON.DAT", dir.path() + "CONTROL.DAT," + dir.path() + ",a,b,c,d,e,f,g,h,i,j,k,l,m,n,o\r\n");
  main->Load_BitBtnClick();
  TFSel_Frm* f = FSelZNT_Frm;
  ASSERT_TRUE(f->isVisible());
  EXPECT_FALSE(FSel_Frm->isVisible());
  ASSERT_EQ(f->Dsyu_OTabLstBox->count(), 1);
  Select(f->Dsyu_OTabLstBox, 0);
  EXPECT_EQ(f->From_Edt->maxLength(), 12);
  f->Tm2_RdoBtn->click();
  QTest::keyClicks(f->From_Edt, "12*3");
  EXPECT_EQ(f->From_Edt->text(), "123");
  {
    DialogScript s;
    s.Then(1);
    f->Def_BitBtn->click();
  }
  EXPECT_EQ(LoadKind, 2);
  EXPECT_EQ(LoadFileName, "SdIdCard.DAT");
  EXPECT_EQ(LoadRangeFrom, "123");
  f->Exit_BitBtn->click();
}

// The part row with every part deselected, through the real save form: OK
// is enabled, the comment asked, and the save form shows the row's name
// alone and the folder as this form shows it, then ends without a message.
TEST_F(SelectionForm, SaveOfThePartRowWithNoPartShowsItsNameAndTheFolderAsShownHere) {
  dir.Write("data/CONTROL.DAT", "@Keys;M01\r\n@Trunks;M20\r\n");
  dir.Write("ENVIRON.DAT", dir.path() + "data/CONTROL.DAT," + dir.path() + "data,a,b,c,d,e,f,g,h,i,j,k,l,m,n,o\r\n");
  Selection_Host().openSave = saved_.openSave;
  main->Save_BitBtnClick();
  TFSel_Frm* f = FSel_Frm;
  ASSERT_TRUE(f->isVisible());
  Select(f->Dsyu_OTabLstBox, 4);
  ASSERT_TRUE(f->Prg_GrpBox->isVisible());
  f->Prg_OTabLstBox->item(1)->setSelected(true);
  f->Prg_OTabLstBox->item(1)->setSelected(false);
  EXPECT_TRUE(f->Def_BitBtn->isEnabled());
  DialogScript s;
  s.Then(1, "none");
  f->Def_BitBtn->click();
  ASSERT_NE(Save_Frm, nullptr);
  for (int i = 0; i < 2000 && (Save_Frm->isVisible() || Save_Frm->Running() || !f->isVisible()); ++i)
    QTest::qWait(5);
  EXPECT_FALSE(Save_Frm->isVisible());
  EXPECT_TRUE(f->isVisible()) << "back from the save";
  EXPECT_EQ(s.Shown(), (std::vector<std::string>{"P1401"}));
  EXPECT_TRUE(SaveChoices.empty());
  EXPECT_EQ(Save_Frm->Data_Lbl->text(), U8("プログラム設定データ（一部）") + "\n");
  EXPECT_EQ(Save_Frm->Dir_Lbl->text().toStdString(), dir.path() + "data");
  EXPECT_EQ(Save_Frm->Dir_Lbl->text(), f->Dir_Lbl->text());
  f->Exit_BitBtn->click();
}

// A deep data folder keeps its own name in sight on the selection form and
// on the save form it hands the folder to (the whole path, not the cut one).
TEST_F(SelectionForm, ADeepDataFolderKeepsItsOwnNameOnTheSelectionAndSaveForms) {
  const std::string data = DeepFolder(U8("顧客データ").toStdString());
  const QString whole = NameToQ(dir.path() + data);
  dir.Write(data + "/CONTROL.DAT", "@Keys;M01\r\n@Trunks;M20\r\n");
  dir.Write("ENVIRON.DAT", dir.path() + data + "/CONTROL.DAT," + dir.path() + data + ",a,b,c,d,e,f,g,h,i,j,k,l,m,n,o\r\n");
  Selection_Host().openSave = saved_.openSave;
  main->Save_BitBtnClick();
  TFSel_Frm* f = FSel_Frm;
  ASSERT_TRUE(f->isVisible());
  EXPECT_TRUE(PathCut(f->Dir_Lbl, whole));
  Select(f->Dsyu_OTabLstBox, 4);
  f->Prg_OTabLstBox->item(1)->setSelected(true);
  DialogScript s;
  s.Then(1, "deep");
  f->Def_BitBtn->click();
  ASSERT_NE(Save_Frm, nullptr);
  EXPECT_TRUE(PathCut(Save_Frm->Dir_Lbl, whole));
  for (int i = 0; i < 2000 && (Save_Frm->isVisible() || Save_Frm->Running() || !f->isVisible()); ++i)
    QTest::qWait(5);
  f->Exit_BitBtn->click();
}

// A data folder unpacked from a Windows archive is named in CP932 bytes,
// and ENVIRON.DAT holds the same bytes: that folder is listed and the save
// is handed it, not the program folder.
TEST_F(SelectionForm, ADataFolderNamedInShiftJisBytesIsListedAndSavedInto) {
  const std::string folder = dir.path() + "\x83\x66\x81\x5B\x83\x5E";  // "データ"
  dir.Write("\x83\x66\x81\x5B\x83\x5E/CONTROL.DAT", "@Keys;M01\r\n");
  dir.Write("\x83\x66\x81\x5B\x83\x5E/USER.INF", "dealer\r\n");
  dir.Write("\x83\x66\x81\x5B\x83\x5E/PrgSetAll.DAT", "!kept\r\n");
  dir.Write("ENVIRON.DAT", folder + "/CONTROL.DAT," + folder + ",a,b,c,d,e,f,g,h,i,j,k,l,m,n,o\r\n");
  DialogScript s;
  s.Then(1).Then(1, "c");
  main->Save_BitBtnClick();
  TFSel_Frm* f = FSel_Frm;
  ASSERT_TRUE(f->isVisible());
  EXPECT_EQ(f->User_Lbl->text(), "dealer");
  EXPECT_TRUE(f->Dsyu_OTabLstBox->item(3)->text().contains("\tkept\t"));
  Select(f->Dsyu_OTabLstBox, 3);
  f->Def_BitBtn->click();
  EXPECT_EQ(s.Shown(), (std::vector<std::string>{"M7013", "P1401"}));
  EXPECT_EQ(opened, (std::vector<std::string>{"save"}));
  EXPECT_EQ(SaveFolder, folder + "/");
}

// Every column of every row lies inside its list, measured with the font
// the list draws with: the date and time of command files, and those after
// a comment longer than its column, which is cut where the date begins.
TEST_F(SelectionForm, EveryColumnShowsInsideItsList) {
  const std::string fullWidth20 = Sjis("控えのコメントは二十文字まで入力できます");  // 40 bytes, the most typed
  const std::string longComment = Sjis("他の道具で書かれた長い注釈は日付の前で切られて日付と時刻はそのまま見える");
  ASSERT_EQ(fullWidth20.size(), 40u);
  dir.Write("data/CONTROL.DAT", "@Keys;M01\r\n@" + Sjis("とても長い部品の名前が付いたプログラム設定データの一部") + ";M20\r\n");
  dir.Write("data/SdSystem.DAT", "!" + fullWidth20 + "\r\n");
  dir.Write("data/SdPersonal.DAT", "!" + longComment + "\r\n");
  dir.Write("data/SdExtensions.DAT", "!" + std::string(40, 'W') + "\r\n");
  dir.Write("data/M01.DAT", "!" + fullWidth20 + "\r\n");
  dir.Write("data/M20.DAT", "!" + longComment + "\r\n");
  for (int i = 0; i < 99; ++i) dir.Write("data/Job" + std::to_string(100 + i) + ".CMD", "!\r\n");
  dir.Write("data/" + std::string(40, 'M') + ".CMD", "!\r\n");
  dir.Write("data/設定の控えを取った日の全部の局データの一覧.CMD", "!\r\n");
  dir.Write("ENVIRON.DAT", dir.path() + "data/CONTROL.DAT," + dir.path() + "data,a,b,c,d,e,f,g,h,i,j,k,l,m,n,o\r\n");

  const QRegularExpression date("^\\d{4}-\\d{2}-\\d{2}$"), time("^\\d{2}:\\d{2}:\\d{2}$");
  // Returns the texts of the comment column.
  auto check = [&](TTabListBox* l, const char* what) {
    SCOPED_TRACE(what);
    std::vector<QString> comments;
    EXPECT_TRUE(l->isVisible());
    const QFontMetrics fm = l->fontMetrics();
    const int right = l->viewport()->width();
    int dateAt = -1;
    for (int i = 0; i < l->count(); ++i) {
      const QString text = l->item(i)->text();
      SCOPED_TRACE(text.toStdString());
      QStyleOptionViewItem opt;
      opt.initFrom(l);
      opt.rect = l->visualItemRect(l->item(i));
      opt.features = QStyleOptionViewItem::HasDisplay;
      opt.text = text;
      const QRect r = l->style()->subElementRect(QStyle::SE_ItemViewItemText, &opt, l);
      const QStringList cols = text.split('\t');
      const std::vector<int> xs = l->ColumnOffsets(text);
      for (int c = 0; c < cols.size(); ++c) {
        const int from = r.left() + xs[size_t(c)], to = from + fm.horizontalAdvance(cols[c]);
        EXPECT_GE(from, 0) << c;
        EXPECT_LE(to, right) << c;
        if (c + 1 < cols.size()) {
          EXPECT_LE(to, r.left() + xs[size_t(c) + 1]) << c;
        }
      }
      if (cols.size() >= 3) {
        EXPECT_TRUE(date.match(cols[cols.size() - 2]).hasMatch());
        EXPECT_TRUE(time.match(cols.back()).hasMatch());
        // The dates of all rows stand in one column.
        const int at = xs[size_t(cols.size() - 2)];
        if (dateAt < 0) dateAt = at;
        EXPECT_EQ(at, dateAt);
      }
      if (cols.size() == 4) comments.push_back(cols[1]);
    }
    return comments;
  };
  auto has = [](const std::vector<QString>& v, const QString& s) { return std::find(v.begin(), v.end(), s) != v.end(); };

  main->Save_BitBtnClick();
  TFSel_Frm* f = FSel_Frm;
  ASSERT_TRUE(f->isVisible());
  std::vector<QString> kinds = check(f->Dsyu_OTabLstBox, "save kinds");
  EXPECT_TRUE(has(kinds, ToQ(fullWidth20))) << "the longest comment one can type shows whole";
  EXPECT_TRUE(has(kinds, QString(40, 'W')));
  EXPECT_FALSE(has(kinds, ToQ(longComment)));
  Select(f->Dsyu_OTabLstBox, 4);
  check(f->Prg_OTabLstBox, "save parts");
  f->Exit_BitBtn->click();

  main->Load_BitBtnClick();
  ASSERT_TRUE(f->isVisible());
  check(f->Dsyu_OTabLstBox, "load kinds");
  Select(f->Dsyu_OTabLstBox, 3);  // after the three data kinds: the parts
  check(f->Prg_OTabLstBox, "load parts");
  Select(f->Dsyu_OTabLstBox, 4);
  ASSERT_EQ(f->Com_OTabLstBox->count(), 101);
  EXPECT_TRUE(f->Com_OTabLstBox->verticalScrollBar()->isVisible());
  check(f->Com_OTabLstBox, "command files");
  f->Exit_BitBtn->click();
}

// The range option acts on its state, however it changes: set by a
// program, by the keys or by an accessibility tool; in the forms of both
// system types.
TEST_F(SelectionForm, TheRangeFollowsTheOptionHoweverItIsChecked) {
  for (int type : {0, 1}) {
    SCOPED_TRACE(type);
    SystemType = type;
    Global_FillDataKinds(type);
    dir.Write("CONTROL.DAT", "@Keys;M01\r\n");
    dir.Write("SdSystem.DAT", "!s\r\n");
    dir.Write("ENVIRON.DAT", dir.path() + "CONTROL.DAT," + dir.path() + ",a,b,c,d,e,f,g,h,i,j,k,l,m,n,o\r\n");
    main->Load_BitBtnClick();
    TFSel_Frm* f = type == 1 ? FSelZNT_Frm : FSel_Frm;
    ASSERT_TRUE(f->isVisible());
    Select(f->Dsyu_OTabLstBox, 0);
    ASSERT_TRUE(f->Tm_GrpBox->isVisible());
    auto rangeOn = [f] {
      int on = 0;
      for (QWidget* w : std::initializer_list<QWidget*>{f->Expl_Lbl, f->From_Lbl, f->to_Lbl, f->From_Edt, f->To_Edt})
        on += w->isEnabled() ? 1 : 0;
      return on;
    };
    EXPECT_EQ(rangeOn(), 0);
    f->Tm2_RdoBtn->setChecked(true);
    EXPECT_EQ(rangeOn(), 5);
    EXPECT_EQ(f->focusWidget(), f->From_Edt);
    f->Tm1_RdoBtn->setChecked(true);
    EXPECT_EQ(rangeOn(), 0);

    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(f->Tm2_RdoBtn);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a->actionInterface(), nullptr);
    a->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QApplication::processEvents();
    EXPECT_TRUE(f->Tm2_RdoBtn->isChecked());
    EXPECT_EQ(rangeOn(), 5);

    // Back by the keys: the arrow moves the check to "all data".
    f->Tm2_RdoBtn->setFocus();
    QTest::keyClick(f->Tm2_RdoBtn, Qt::Key_Up);
    EXPECT_TRUE(f->Tm1_RdoBtn->isChecked());
    EXPECT_EQ(rangeOn(), 0);
    f->Exit_BitBtn->click();
  }
}

}  // namespace
