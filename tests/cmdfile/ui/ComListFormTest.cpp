// The command-file list from the main window's button: the precheck
// refusals, the rows, New, Copy, Delete, Modify of an unreadable file, the
// menu-tree entry and its return, the folder change and printing.
#include <QPrinter>
#include <algorithm>
#include <QScrollBar>
#include <QTimer>
#include <sys/resource.h>
#include <csignal>

#include "cmdfile/ComFileText.h"
#include "cmdfile/ComList.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/Printer.h"
#include "tests/cmdfile/ui/CmdFormsFixture.h"
#include "tests/support/ui/PathShown.h"

namespace {

int PdfPages(const std::string& pdf) {
  int pages = 0;
  for (size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
    if (pdf.compare(at, 12, "/Type /Pages") != 0) ++pages;
  return pages;
}

// Measured in the list's own font: every row's name, date and time begin at
// one position each whatever the name's length, none runs into the next,
// the time ends inside the list's viewport (beside its scroll bar when it
// has one), and the whole name, the last field, lies beyond it.
void ExpectColumnsShown(TTabListBox* l) {
  QApplication::processEvents();
  ASSERT_GT(l->count(), 0);
  const QFontMetrics fm = l->fontMetrics();
  const int width = l->viewport()->width();
  const std::vector<int> first = l->ColumnOffsets(l->item(0)->text());
  ASSERT_EQ(first.size(), 5u);
  for (int i = 0; i < l->count(); ++i) {
    const QString text = l->item(i)->text();
    const QStringList cols = text.split('\t');
    const std::vector<int> xs = l->ColumnOffsets(text);
    ASSERT_EQ(xs.size(), 5u) << text.toStdString();
    EXPECT_EQ(xs[1], first[1]) << text.toStdString();
    EXPECT_EQ(xs[2], first[2]) << text.toStdString();
    EXPECT_GT(xs[1], fm.horizontalAdvance(cols[0])) << text.toStdString();
    EXPECT_GT(xs[2], xs[1] + fm.horizontalAdvance(cols[1])) << text.toStdString();
    EXPECT_LE(xs[2] + fm.horizontalAdvance(cols[2]) + 6, width) << text.toStdString();
    EXPECT_GE(xs[4], width) << text.toStdString();
  }
}

TEST_F(CmdForms, PrecheckRefusalsOpenNothing) {
  struct Row {
    std::function<void()> setUp;
    std::string shown;
  } rows[] = {
      {[&] { std::filesystem::remove(dir.path() + "ENVIRON.DAT"); }, "M9006"},
      {[&] { Environ(dir.path() + "CONTROL.DAT", 16); }, "M9026"},
      {[&] { Environ(dir.path() + "NONE.DAT"); }, "M9001"},
      {[&] {
         Environ(dir.path() + "CONTROL.DAT");
         dir.Write("CONTROL.DAT", "/M1/ITEM;\r\nX;NB=1(Q=1);\r\n\\N\r\n");
       },
       "M9021"},
  };
  for (const Row& r : rows) {
    r.setUp();
    EXPECT_EQ(OpenList({1}), Shown{r.shown});
    EXPECT_FALSE(ComS_Frm->isVisible());
    EXPECT_TRUE(main->SB_GB->isVisible());
    EXPECT_EQ(Ctl_MenuCount, 0) << r.shown;
  }
  EXPECT_EQ(dir.Read("CONTROL.DAT"), "/M1/ITEM;\r\nX;NB=1(Q=1);\r\n\\N\r\n");
}

TEST_F(CmdForms, ListNewCopyDeleteTreeFolderAndPrint) {
  ASSERT_TRUE(OpenList().empty());
  TComS_Frm* f = ComS_Frm;
  ASSERT_TRUE(f->isVisible());
  EXPECT_FALSE(main->SB_GB->isVisible());
  EXPECT_EQ(f->windowTitle(), U8("コマンドファイル編集（ファイル選択）"));
  EXPECT_GT(Ctl_MenuCount, 0) << "definitions loaded while the list is open";
  EXPECT_EQ(Titles(), (Shown{"Faulty", "Initial", "Unknown", "x"}));
  EXPECT_EQ(f->Dir_Lbl->text().toStdString(), dir.path() + "data");
  EXPECT_FALSE(f->User_Lbl->text().isEmpty());
  EXPECT_TRUE(f->Free_Lbl->text().endsWith(" bytes"));
  EXPECT_FALSE(RowButtons());
  EXPECT_TRUE(f->Chg_BitBtn->hasFocus() || !QApplication::focusWidget());
  ExpectColumnsShown(f->Com_OTabLstBox);

  // A click selects a row and the row buttons follow it.
  SelectTitle("x");
  EXPECT_TRUE(RowButtons());
  EXPECT_TRUE(f->ComList_SelName());
  EXPECT_EQ(SelectedCmdName, "x");
  EXPECT_EQ(f->SelectedPath(), dir.path() + "data/x.cmd");

  // Copy onto itself (any case) does nothing; onto an existing file asks
  // first; to a new name copies byte for byte and selects the source again.
  const std::string x = Data("x.cmd");
  {
    DialogScript s;
    s.Then(1, "x").Then(1, "X.CMD").Then(1, "Initial").Then(2);
    f->Copy_BitBtnClick();
    f->Copy_BitBtnClick();
    f->Copy_BitBtnClick();
    EXPECT_EQ(s.Shown(), (Shown{"P1701", "P1701", "P1701", "M7015"}));
  }
  EXPECT_EQ(Data("Initial.CMD").substr(0, 3), "!\x8F\x89");  // still the sample's own text
  {
    DialogScript s;
    s.Then(1, "Copy1").Then(2, "ignored");
    f->Copy_BitBtnClick();
    f->Copy_BitBtnClick();  // Cancel: nothing
    EXPECT_EQ(s.Shown(), (Shown{"P1701", "P1701"}));
  }
  EXPECT_EQ(Data("Copy1.CMD"), x);
  EXPECT_EQ(Titles(), (Shown{"Copy1", "Faulty", "Initial", "Unknown", "x"}));
  EXPECT_EQ(SelectedTitle(), "x");
  EXPECT_TRUE(RowButtons());

  // A copy that cannot be written: "9702", no file, nothing half written.
  {
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 8;
    DialogScript s;
    s.Then(1, "Copy2.cmd").Then(1);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    f->Copy_BitBtnClick();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(s.Shown(), (Shown{"P1701", "M9702"}));
  }
  EXPECT_FALSE(dir.Exists("data/Copy2.cmd"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path() + "data"), {}), 6);

  // Delete asks; Cancel keeps it, OK deletes and leaves nothing selected.
  SelectTitle("Copy1");
  {
    DialogScript s;
    s.Then(2).Then(1);
    f->Del_BitBtnClick();
    EXPECT_TRUE(dir.Exists("data/Copy1.CMD"));
    f->Del_BitBtnClick();
    EXPECT_EQ(s.Shown(), (Shown{"M7701", "M7701"}));
  }
  EXPECT_FALSE(dir.Exists("data/Copy1.CMD"));
  EXPECT_EQ(Titles(), (Shown{"Faulty", "Initial", "Unknown", "x"}));
  EXPECT_EQ(SelectedTitle(), "");
  EXPECT_FALSE(RowButtons());

  // New: a listed name asks (Cancel stops); a name with a path, an empty
  // or a blank one is refused with its reason and asked for again; "Yes"
  // with no menu tree installed does nothing.
  ListEdit_SetEntry({});  // the start-up installed the real tree
  {
    DialogScript s;
    s.Then(1, "Initial.cmd").Then(2);
    s.Then(1, "../Escape").Then(1).Then(1, "").Then(1).Then(1, "   ").Then(1).Then(1, "a\tb").Then(1).Then(2);
    s.Then(1, "Brand").Then(6);
    f->New_BitBtnClick();
    f->New_BitBtnClick();
    f->New_BitBtnClick();
    EXPECT_EQ(s.Shown(), (Shown{"P1702", "M7015", "P1702", "M0006", "P1702", "M9703", "P1702", "M9703", "P1702",
                                "M0006", "P1702", "P1702", "dialog"}));
    EXPECT_TRUE(s.Done());
  }
  EXPECT_TRUE(f->isVisible());
  // With the tree installed: the typed name's path goes to it, the list
  // hides, and the tree's close brings it back with New focused.
  std::string treePath;
  ListEdit_SetEntry([&](QWidget* list, const std::string& path) {
    EXPECT_EQ(list, f);
    treePath = path;
    return true;
  });
  {
    DialogScript s;
    s.Then(1, "Brand.CMD").Then(6);
    f->New_BitBtnClick();
    EXPECT_EQ(s.Shown(), (Shown{"P1702", "dialog"}));
  }
  EXPECT_EQ(treePath, dir.path() + "data/Brand.CMD");
  EXPECT_EQ(SelectedCmdName, "Brand");
  EXPECT_FALSE(f->isVisible());
  EXPECT_FALSE(dir.Exists("data/Brand.CMD")) << "New writes nothing";
  ComFileText = {"left by the tree"};
  ListEdit_Return();
  QApplication::processEvents();
  EXPECT_TRUE(f->isVisible());
  EXPECT_EQ(ComListReturn, 1);
  EXPECT_TRUE(ComFileText.empty());
  EXPECT_FALSE(RowButtons());
  EXPECT_EQ(f->y(), main->frameGeometry().top() + 20);

  // List-edit of a row: the lower-case file goes as itself; a tree that
  // fails to load leaves the list shown; the return selects the row again.
  SelectTitle("x");
  f->Edit_BitBtnClick();
  EXPECT_EQ(treePath, dir.path() + "data/x.cmd");
  ListEdit_Return();
  QApplication::processEvents();
  EXPECT_EQ(SelectedTitle(), "x");
  EXPECT_TRUE(RowButtons());
  ListEdit_SetEntry([](QWidget*, const std::string&) { return false; });
  f->Edit_BitBtnClick();
  EXPECT_TRUE(f->isVisible());

  // Modify of a file that cannot be read: "9035", the list stays.
  std::filesystem::create_symlink("/proc/self/mem", dir.path() + "data/Broken.CMD");
  ComList_Scan(ComList);
  f->ComList_Show();
  SelectTitle("Broken");
  {
    DialogScript s;
    s.Then(1);
    f->Mod_BitBtnClick();
    EXPECT_EQ(s.Shown(), (Shown{"M9035"}));
  }
  EXPECT_TRUE(f->isVisible());
  EXPECT_FALSE(CEdit_Frm->isVisible());
  // Printing it: "9035" too; a file deleted behind the list's back: "9015".
  {
    DialogScript s;
    s.Then(1).Then(1);
    f->Print_BitBtnClick();
    SelectTitle("Faulty");
    std::filesystem::rename(dir.path() + "data/Faulty.CMD", dir.path() + "Faulty.away");
    f->Print_BitBtnClick();
    EXPECT_EQ(s.Shown(), (Shown{"M9035", "M9015"}));
  }
  EXPECT_TRUE(f->isEnabled());
  EXPECT_TRUE(main->isEnabled());
  std::filesystem::remove(dir.path() + "data/Broken.CMD");

  // Printing to a file: the page count of the layout, the job's name.
  std::string big;
  for (int i = 0; i < 150; ++i) big += "!line " + std::to_string(i) + "\r\n";
  dir.Write("data/Big.CMD", big);
  dir.Write("data/Empty.CMD", "");
  ComList_Scan(ComList);
  f->ComList_Show();
  QPrinter* printer = Orvo_Printer();
  printer->setOutputFormat(QPrinter::PdfFormat);
  const ComPrintMetrics m = ComPrint_Metrics(printer);
  ASSERT_GE(m.lines, 7);
  ASSERT_GE(m.step, QFontMetrics(ComPrint_Font(), printer).height());
  struct Job {
    const char* title;
    int lines;
  } jobs[] = {{"Big", 150}, {"Empty", 0}};
  for (const Job& j : jobs) {
    std::filesystem::remove(dir.path() + "out.pdf");
    printer->setOutputFileName(QString::fromStdString(dir.path() + "out.pdf"));
    SelectTitle(j.title);
    DialogScript s;
    f->Print_BitBtnClick();
    EXPECT_TRUE(s.Shown().empty());
    std::vector<std::string> lines(j.lines, "x");
    EXPECT_EQ(PdfPages(dir.Read("out.pdf")),
              static_cast<int>(ComPrint_Layout(lines, m.lines, "", "").size())) << j.title;
  }
  EXPECT_EQ(printer->docName(), "O.R.V.O.");
  EXPECT_GE(PdfPages(dir.Read("out.pdf")), 1);
  // Cancel in the progress box: no job, both windows back.
  std::filesystem::remove(dir.path() + "out.pdf");
  SelectTitle("Big");
  bool boxShown = false;
  QTimer::singleShot(0, [&] {
    boxShown = Conf_Dlg->isVisible() && !main->isEnabled() && !f->isEnabled();
    Conf_Dlg->Cancel_BitBtn->click();
  });
  {
    DialogScript s;
    f->Print_BitBtnClick();
    EXPECT_TRUE(s.Shown().empty());
  }
  EXPECT_TRUE(boxShown);
  EXPECT_FALSE(Conf_Dlg->isVisible());
  EXPECT_TRUE(f->isEnabled() && main->isEnabled());
  EXPECT_FALSE(dir.Exists("out.pdf"));

  // Folder change: the picker starts at the label; the new folder holds
  // for this run only. A deep one keeps its own name in sight.
  const std::string other = DeepFolder("other");
  dir.Write(other + "/Zeta.cmd", "/M61/\r\n");
  const std::string environ = dir.Read("ENVIRON.DAT");
  QString start;
  SetPathPicker([&](QWidget*, PathPickRequest& r) {
    start = r.path;
    r.path = QString::fromStdString(dir.path() + other);
    return 1;
  });
  SelectTitle("x");
  f->Chg_BitBtnClick();
  EXPECT_EQ(start.toStdString(), dir.path() + "data");
  EXPECT_EQ(Titles(), Shown{"Zeta"});
  EXPECT_TRUE(PathCut(f->Dir_Lbl, QString::fromStdString(dir.path() + other)));
  EXPECT_EQ(f->User_Lbl->text(), "");
  EXPECT_FALSE(RowButtons());
  EXPECT_EQ(dir.Read("ENVIRON.DAT"), environ);

  // Exit: definitions freed, the main buttons back.
  f->Exit_BitBtn->click();
  QApplication::processEvents();
  EXPECT_FALSE(f->isVisible());
  EXPECT_EQ(Ctl_MenuCount, 0);
  EXPECT_TRUE(main->SB_GB->isVisible());
}

}  // namespace

namespace {

// A full folder with a name longer than 30 bytes: the list scrolls, and
// every column of every row still shows.
TEST_F(CmdForms, EveryColumnShowsBesideTheScrollBarAndALongName) {
  for (int i = 0; i < 40; ++i) dir.Write("data/F" + std::to_string(100 + i) + ".CMD", "!t\r\n");
  dir.Write("data/" + std::string(35, 'W') + ".CMD", "!t\r\n");
  dir.Write("data/" + std::string(30, 'M') + ".CMD", "!t\r\n");
  ASSERT_TRUE(OpenList().empty());
  TTabListBox* l = ComS_Frm->Com_OTabLstBox;
  ASSERT_EQ(l->count(), 46);
  QApplication::processEvents();
  EXPECT_TRUE(l->verticalScrollBar()->isVisible());
  EXPECT_NE(std::find(Titles().begin(), Titles().end(), std::string(30, 'W') + ".."), Titles().end());
  ExpectColumnsShown(l);
}

}  // namespace
