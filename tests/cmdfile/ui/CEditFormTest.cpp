// The command-file text editor opened from the list: sections, the live,
// section and file checks with their marks, Register with its question and
// a failing write, the lossless round trip and the return to the list.
#include <QTest>
#include <QTextBlock>
#include <sys/resource.h>
#include <csignal>

#include "cmdfile/ComFileText.h"
#include "cmdfile/ComList.h"
#include "platform/ui/QtText.h"
#include "tests/cmdfile/ui/CmdFormsFixture.h"

namespace {

class CEditForm : public CmdForms {
 protected:
  // Modify of a listed file.
  TCEdit_Frm* Modify(const std::string& title) {
    if (!ComS_Frm->isVisible()) {
      EXPECT_TRUE(OpenList().empty());
    }
    ComList_Scan(ComList);
    ComS_Frm->ComList_Show();
    SelectTitle(title);
    DialogScript s;
    ComS_Frm->Mod_BitBtnClick();
    EXPECT_TRUE(s.Shown().empty());
    EXPECT_TRUE(CEdit_Frm->isVisible());
    EXPECT_FALSE(ComS_Frm->isVisible());
    return CEdit_Frm;
  }
  // The user picks a section in the drop-down.
  void Pick(const char* name) {
    TCEdit_Frm* e = CEdit_Frm;
    e->Menu_CmbBoxEnter();
    e->Menu_CmbBox->setCurrentIndex(e->Menu_CmbBox->findText(name));
    e->Menu_CmbBoxChange();
  }
  std::string Text() const { return CEdit_Frm->Com_RMem->toPlainText().toStdString(); }
  std::string SelectedLine() const { return CEdit_Frm->Com_RMem->textCursor().selectedText().toStdString(); }
  Shown Register(std::initializer_list<int> answers) {
    DialogScript s;
    for (int a : answers) s.Then(a);
    CEdit_Frm->Reg_BitBtnClick();
    return s.Shown();
  }
  Shown Check() {
    DialogScript s;
    s.Then(1);
    CEdit_Frm->Chk_BitBtnClick();
    return s.Shown();
  }
};

TEST_F(CEditForm, SectionsChecksRegisterAndReturn) {
  const std::string faulty = Data("Faulty.CMD");
  TCEdit_Frm* e = Modify("Faulty");
  EXPECT_EQ(e->windowTitle(), U8("コマンドファイル編集"));
  EXPECT_EQ(e->Fname_Lbl->text(), "Faulty");
  EXPECT_EQ(e->Menu_CmbBox->itemText(0), "ALL");
  EXPECT_EQ(e->Menu_CmbBox->count(), Ctl_MenuCount + 1);
  EXPECT_FALSE(e->Com_RMem->isEnabled());
  EXPECT_FALSE(e->Chk_BitBtn->isEnabled() || e->Reg_BitBtn->isEnabled());
  // Buttons pressed before any section is shown do nothing.
  EXPECT_TRUE(Register({}).empty());
  {
    DialogScript s;
    e->Chk_BitBtnClick();
    EXPECT_TRUE(s.Shown().empty());
  }

  // "ALL" shows the file; Check finds the faulty line and marks it.
  Pick("ALL");
  EXPECT_TRUE(e->Com_RMem->isEnabled() && e->Reg_BitBtn->isEnabled());
  EXPECT_EQ(ToQLossless(Text()).isEmpty(), false);
  EXPECT_EQ(e->Com_RMem->toPlainText().split('\n').size(), 5);
  EXPECT_EQ(Check(), Shown{"M9508"});
  EXPECT_EQ(e->Com_RMem->Line(), 3);
  EXPECT_EQ(SelectedLine(), e->Com_RMem->document()->findBlockByNumber(3).text().toStdString());
  // Register refuses it too; nothing is written.
  EXPECT_EQ(Register({1}), Shown{"M9508"});
  EXPECT_EQ(Data("Faulty.CMD"), faulty);
  // Leaving "ALL" checks it too: the fault is told and marked, and the
  // drop-down and the text stay on "ALL".
  {
    const std::string all = Text();
    e->Com_RMem->SetLine(0);
    DialogScript s;
    s.Then(1);
    Pick("M61");
    EXPECT_EQ(s.Shown(), Shown{"M9508"});
    EXPECT_EQ(e->Menu_CmbBox->currentText(), "ALL");
    EXPECT_EQ(Text(), all);
    EXPECT_EQ(e->Com_RMem->Line(), 3);
    EXPECT_EQ(SelectedLine(), e->Com_RMem->document()->findBlockByNumber(3).text().toStdString());
  }

  // The live check: leaving the faulty line shows its message and puts the
  // caret back on it.
  {
    DialogScript s;
    s.Then(1);
    QTest::keyClick(e->Com_RMem, Qt::Key_Down);
    EXPECT_EQ(s.Shown(), Shown{"M9508"});
    EXPECT_EQ(e->Com_RMem->Line(), 3);
  }

  // Mended, registered: the overwrite question first, Cancel keeps the
  // file, OK writes it with CR LF and says nothing more.
  QTextCursor c(e->Com_RMem->document()->findBlockByNumber(3));
  c.select(QTextCursor::BlockUnderCursor);
  c.movePosition(QTextCursor::StartOfBlock);
  c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  c.insertText(ToQ(Sjis("002=201,02,ｴｲｷﾞｮｳ;")));
  EXPECT_EQ(Check(), Shown{"M5701"});
  {
    // Moving between correct lines shows nothing.
    DialogScript s;
    QTest::keyClick(e->Com_RMem, Qt::Key_Up);
    QTest::keyClick(e->Com_RMem, Qt::Key_Up);
    QTest::keyClick(e->Com_RMem, Qt::Key_Down);
    EXPECT_TRUE(s.Shown().empty());
    EXPECT_EQ(e->Com_RMem->Line(), 2);
  }
  EXPECT_EQ(Register({2}), Shown{"M7015"});
  EXPECT_EQ(Data("Faulty.CMD"), faulty);
  EXPECT_EQ(Register({1}), Shown{"M7015"});
  std::string mended = faulty;
  mended.replace(mended.find("20A"), 3, "201");
  mended.replace(mended.find(Sjis("  !内線番号に英字")), Sjis("  !内線番号に英字").size(), "");
  EXPECT_EQ(Data("Faulty.CMD"), mended);

  // A menu section: a header line in it is refused; a check error keeps
  // the drop-down on the section when another is picked.
  Pick("M30");
  EXPECT_EQ(e->Help_BitBtn->MenuItem, "/M30/");
  EXPECT_EQ(e->Com_RMem->toPlainText().split('\n').first(), ToQ(Sjis("001=200,01,ｿｳﾑ;")));
  e->Com_RMem->appendPlainText("/M10/");
  EXPECT_EQ(Check(), Shown{"M9513"});
  {
    DialogScript s;
    s.Then(1);
    Pick("M61");
    EXPECT_EQ(s.Shown(), Shown{"M9513"});
  }
  EXPECT_EQ(e->Menu_CmbBox->currentText(), "M30");
  // Text with no CP932 form is refused as the data's characters, never
  // written as something else.
  e->Com_RMem->setPlainText(QString::fromUtf8("001=200,01,\xF0\x9F\x98\x80;"));
  EXPECT_EQ(Check(), Shown{"M9508"});
  EXPECT_EQ(Register({1}), Shown{"M9508"});
  EXPECT_EQ(Data("Faulty.CMD"), mended);
  e->Com_RMem->setPlainText(ToQ(Sjis("001=200,01,ｿｳﾑ;")));

  // A menu without a section: typed lines go to the end under its header,
  // even a single character's line (then refused by the check).
  Pick("M61");
  EXPECT_EQ(Text(), "");
  e->Com_RMem->setPlainText("1=1;");
  EXPECT_EQ(Register({1}), Shown{"M7015"});
  EXPECT_EQ(Data("Faulty.CMD"), SjisLines({"!検査用 内線番号の誤り", "/M30/", "001=200,01,ｿｳﾑ;", "/M61/", "1=1;"}));

  // Register whose write fails: "9055", the old file byte for byte.
  e->Com_RMem->setPlainText("1=1;\n2=0;");
  {
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 8;
    DialogScript s;
    s.Then(1).Then(1);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    e->Reg_BitBtnClick();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(s.Shown(), (Shown{"M7015", "M9055"}));
  }
  EXPECT_EQ(Data("Faulty.CMD"), SjisLines({"!検査用 内線番号の誤り", "/M30/", "001=200,01,ｿｳﾑ;", "/M61/", "1=1;"}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path() + "data"), {}), 5);

  // Back: the list rescanned, the row selected again.
  e->Exit_BitBtn->click();
  QApplication::processEvents();
  EXPECT_FALSE(e->isVisible());
  EXPECT_TRUE(ComS_Frm->isVisible());
  EXPECT_EQ(ComListReturn, 1);
  EXPECT_TRUE(ComFileText.empty());
  EXPECT_EQ(SelectedTitle(), "Faulty");
}

TEST_F(CEditForm, FaultElsewhereLowerCaseLosslessScrollAndNew) {
  // A fault in another section, found by the file check while a menu is
  // shown: the editor switches to "ALL" and marks it there.
  TCEdit_Frm* e = Modify("Unknown");
  const std::string unknown = Data("Unknown.CMD");
  Pick("M61");
  EXPECT_EQ(Register({1}), Shown{"M9501"});
  EXPECT_EQ(e->Menu_CmbBox->currentText(), "ALL");
  EXPECT_EQ(SelectedLine(), "/M99/");
  EXPECT_EQ(Data("Unknown.CMD"), unknown);
  e->Exit_BitBtnClick();

  // The lower-case file opens and registers as itself.
  e = Modify("x");
  EXPECT_EQ(e->ComFilePath, dir.path() + "data/x.cmd");
  Pick("M61");
  e->Com_RMem->setPlainText("1=0;");
  EXPECT_EQ(Register({1}), Shown{"M7015"});
  EXPECT_EQ(Data("x.cmd"), SjisLines({"!小文字の拡張子", "/M61/", "1=0;"}));
  EXPECT_FALSE(dir.Exists("data/x.CMD"));
  e->Exit_BitBtnClick();

  // Bytes that do not decode come back as they were; a file that begins
  // with a header shows an empty first line under "ALL".
  std::string odd = std::string("/M61/\r\n1=1; !\xA0\xFD\x81\r\n");
  dir.Write("data/Odd.CMD", odd);
  e = Modify("Odd");
  Pick("ALL");
  EXPECT_EQ(e->Com_RMem->toPlainText().split('\n').first(), "");
  EXPECT_EQ(Register({1}), Shown{"M7015"});
  EXPECT_EQ(Data("Odd.CMD"), "\r\n" + odd);
  e->Exit_BitBtnClick();

  // A faulty line 60 lines down is scrolled to 20 lines below the top.
  std::vector<std::string> lines = {"/M61/"};
  for (int i = 1; i < 100; ++i) lines.push_back(i == 60 ? "X=1;" : "1=1;");
  std::string file;
  for (const auto& l : lines) file += l + "\r\n";
  dir.Write("data/Long.CMD", file);
  e = Modify("Long");
  Pick("ALL");
  EXPECT_EQ(Check().size(), 1u);
  EXPECT_EQ(e->Com_RMem->Line(), 61);
  EXPECT_EQ(e->Com_RMem->TopLine(), 41);
  e->Exit_BitBtnClick();

  // New, answered "No": the editor on an empty file; Register writes it.
  {
    DialogScript s;
    s.Then(1, "Fresh.cmd").Then(7);
    ComS_Frm->New_BitBtnClick();
    EXPECT_EQ(s.Shown(), (Shown{"P1702", "dialog"}));
  }
  e = CEdit_Frm;
  ASSERT_TRUE(e->isVisible());
  EXPECT_EQ(e->Fname_Lbl->text(), "Fresh");
  Pick("M61");
  e->Com_RMem->setPlainText("1=1;");
  EXPECT_TRUE(Register({}).empty());
  EXPECT_EQ(Data("Fresh.CMD"), "/M61/\r\n1=1;\r\n");
  e->Exit_BitBtnClick();
  EXPECT_TRUE(ComS_Frm->New_BitBtn->hasFocus() || !QApplication::focusWidget());
  EXPECT_FALSE(RowButtons());
}

}  // namespace
