#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <map>

#include "orvo/OrvoForms.h"
#include "phone/Kana_Unit.h"
#include "phone/ui/Kana_Form.h"
#include "platform/FileSys.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/Printer.h"
#include "transfer/ui/SelectionHost.h"
#include "tests/link/ui/DialogScript.h"
#include "tests/support/ui/NoPrinter.h"
#include "tests/support/ui/PathShown.h"
#include "tests/support/CupsPdf.h"
#include "tests/support/TempDir.h"

namespace {

class KanaForm : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string msgs;
    for (const char* n : {"9801", "9802", "9803", "9804", "9805", "9010", "9011", "9012", "9050", "9051",
                          "9052", "9091", "9807", "9808", "9809"})
      msgs += std::string("J") + n + "=T,M" + n + ",1,0\r\n";
    for (const char* n : {"7010", "7011", "7012", "7017", "7801", "7802", "7803"})
      msgs += std::string("J") + n + "=T,M" + n + ",1,1\r\n";
    dir.Write("MSGDLG.DAT", msgs);
    dir.Write("INPDLG.DAT", "J1401=T,P1401,L,40,,,1,1\r\n");
    ASSERT_EQ(::mkdir((dir.path() + "data").c_str(), 0755), 0);
    Main_SetProgramFolder(dir.path());
    main = new TMain_Frm();
    OrvoForms_CreateFirst();
    main->show();
    Kana_Host().dataFolder = [this] { return dir.path() + "data/"; };
    Selection_Host().show = [this] { ++returned; };
    QApplication::processEvents();
  }
  void TearDown() override {
    Orvo_Printer()->setOutputFileName(QString());
    Kana_Host().dataFolder = {};
    Selection_Host().show = {};
    delete Kana_Fm;
    delete main;
    QApplication::processEvents();
  }
  void Open(int mode, int systemType = 1) {
    SystemType = systemType;
    Global_FillDataKinds(systemType);
    SpeedDialMode = mode;
    Selection_Host().openSpeedDial();
    QApplication::processEvents();
    ASSERT_TRUE(Kana_Fm->isVisible());
  }
  // Types into a cell's editor, through its validator.
  void Type(QTableWidget* g, int row, int col, const char* utf8) {
    g->setFocus();
    g->setCurrentCell(row, col);
    QLineEdit* e = Editor(g);
    if (!e) {
      g->edit(g->currentIndex());
      e = Editor(g);
    }
    ASSERT_NE(e, nullptr);
    e->selectAll();
    QString text = QString::fromUtf8(utf8);
    bool ascii = true;
    for (QChar c : text) ascii &= c.unicode() < 0x80;
    if (ascii) QTest::keyClicks(e, text);  // key by key
    else e->insert(text);                  // as a paste: all or nothing
    QTest::keyClick(e, Qt::Key_Return);
    QApplication::processEvents();
  }
  static QLineEdit* Editor(QTableWidget* g) {
    for (QLineEdit* e : g->viewport()->findChildren<QLineEdit*>())
      if (e->isVisible()) return e;
    return nullptr;
  }
  std::string Data(const char* name) { return dir.Read(std::string("data/") + name); }

  TempDir dir;
  TMain_Frm* main = nullptr;
  int returned = 0;
};

}  // namespace

TEST_F(KanaForm, DirectoryChecksSortsAndStores) {
  dir.Write("data/SdExtensions.DAT", SjisLines({"!old", "/DIR/", "NO=300>NAME=" "総務部長" ">", "NO=201>NAME=ｱ>"}));
  DialogScript script;
  script.Then(1).Then(1, "new").Then(1);
  Open(kana::kDirectory);
  // The folder as the selection form shows it: no trailing "/".
  EXPECT_EQ(Kana_Fm->Dir_Lbl->text().toStdString(), dir.path() + "data");
  QTableWidget* g = Kana_Fm->Dial_StrGrd;
  ASSERT_EQ(g->rowCount(), 2);
  EXPECT_TRUE(Kana_Fm->Sort_BitBtn->isVisible());
  g->setCurrentCell(1, 1);
  Kana_Fm->Ins_BitBtnClick();
  ASSERT_EQ(g->rowCount(), 3);
  Type(g, 2, 1, "2-01");  // "-" is no extension character
  EXPECT_EQ(g->item(2, 1)->text(), "201");
  Type(g, 2, 2, "ｶﾅ<>漢字");  // neither brackets nor double-byte names can be pasted
  EXPECT_EQ(g->item(2, 2)->text(), "");
  Type(g, 2, 2, "a<b>c");
  EXPECT_EQ(g->item(2, 2)->text(), "abc");
  Kana_Fm->Reg_BitBtnClick();  // "201" twice: the upper row is shown
  EXPECT_EQ(g->currentRow(), 1);
  g->item(1, 1)->setText("202");
  Kana_Fm->Sort_BitBtnClick();
  EXPECT_EQ(g->item(0, 1)->text(), "201");
  Kana_Fm->Reg_BitBtnClick();
  EXPECT_EQ(script.Shown(), std::vector<std::string>({"M9803", "P1401", "M7012"}));
  // The kanji name came from the file and goes back unchanged.
  EXPECT_EQ(Data("SdExtensions.DAT"),
            SjisLines({"!new", "/DIR/", "NO=201>NAME=abc>", "NO=202>NAME=ｱ>", "NO=300>NAME=総務部長>"}));
  Kana_Fm->Exit_BitBtnClick();
  EXPECT_EQ(returned, 1);
  EXPECT_EQ(SelectionReturn, 1);
}

// A deep data folder keeps its own name in sight at the window's edge.
TEST_F(KanaForm, ADeepDataFolderKeepsItsOwnName) {
  const std::string data = dir.path() + DeepFolder(U8("顧客データ").toStdString());
  ASSERT_TRUE(std::filesystem::create_directories(data));
  Kana_Host().dataFolder = [data] { return data + "/"; };
  Open(kana::kSystem);
  QLabel* l = Kana_Fm->Dir_Lbl;
  EXPECT_TRUE(PathCut(l, U8(data.c_str())));
  EXPECT_LE(l->geometry().right(), Kana_Fm->width());
  Kana_Fm->Exit_BitBtn->click();
}

TEST_F(KanaForm, PersonalOwnersCopyPasteAndNewFile) {
  DialogScript script;
  Open(kana::kPersonal);
  EXPECT_FALSE(Kana_Fm->Dial_StrGrd->isVisible());
  script.Then(2).Then(1);
  Kana_Fm->SelectOwner("0099");  // Cancel: no owner yet
  EXPECT_FALSE(Kana_Fm->Dial_StrGrd->isVisible());
  Kana_Fm->SelectOwner("0099");
  ASSERT_TRUE(Kana_Fm->Dial2_StrGrd->isVisible());
  QTableWidget* g1 = Kana_Fm->Dial_StrGrd;
  Type(g1, 0, 1, "0312");
  Type(g1, 0, 2, "ﾔﾏﾀﾞ");
  Type(g1, 1, 2, "12345678");  // stops at seven
  EXPECT_EQ(g1->item(1, 2)->text(), "1234567");
  Kana_Fm->SelectRows(g1, 0, 1);
  Kana_Fm->Cpy_BitBtnClick();
  Kana_Fm->SelectRows(g1, 5, 5);
  script.Then(1);
  Kana_Fm->Pas_BitBtnClick();  // two rows copied, one selected
  Kana_Fm->SelectRows(g1, 5, 6);
  Kana_Fm->Pas_BitBtnClick();
  EXPECT_EQ(g1->item(6, 2)->text(), "1234567");
  // Up from 0099 is 0100, a new owner.
  script.Then(1);
  Kana_Fm->OwnerStep(true);
  EXPECT_EQ(Kana_Fm->Nais_CmbBox->currentText(), "0100");
  ASSERT_EQ(Kana_Fm->Owners().size(), 2u);
  EXPECT_EQ(Kana_Fm->Owners()[0].entries[5].dial, "0312");  // stored on the owner change
  script.Then(1, "c");
  Kana_Fm->Reg_BitBtnClick();  // no overwrite question: the file did not exist
  script.Then(1, "c").Then(1);
  Kana_Fm->Reg_BitBtnClick();  // now it does
  EXPECT_EQ(script.Shown(), std::vector<std::string>({"M7802", "M7802", "M9804", "M7802", "P1401", "P1401", "M7011"}));
  std::vector<kana::Owner> owners;
  ASSERT_TRUE(kana::ISpd_Read(Data("SdPersonal.DAT"), kana::kPersonal, owners));
  ASSERT_EQ(owners.size(), 2u);
  EXPECT_EQ(owners[0].entries[0].name, Sjis("ﾔﾏﾀﾞ"));
  EXPECT_EQ(owners[1].key, "0100");
}

TEST_F(KanaForm, SystemPartialReadFaultMarkAndPrint) {
  std::string file = SjisLines({"!c", "/SPD/", "NO=005>DATA=123<abc>", "NO=800>DATA=9<x>"});
  dir.Write("data/SdSystem.DAT", file);
  DialogScript script;
  script.Then(1);
  Open(kana::kSystem, 0);
  QTableWidget* g = Kana_Fm->Dial_StrGrd;
  EXPECT_EQ(g->item(5, 1)->text(), "123");
  g->item(795, 1)->setText("12P");  // pasted unchecked, refused at Register
  script.Then(1);
  Kana_Fm->Reg_BitBtnClick();
  EXPECT_EQ(g->currentRow(), 795);
  EXPECT_EQ(g->verticalScrollBar()->value(), 790);  // rows 791 to 800 in view
  EXPECT_EQ(script.Shown(), std::vector<std::string>({"M9809", "M9801"}));
  EXPECT_EQ(Data("SdSystem.DAT"), file);  // nothing written

  // Printed to a file: 800 rows over several pages.
  QPrinter* printer = Orvo_Printer();
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(QString::fromStdString(dir.path() + "list.pdf"));
  Kana_Fm->Print_BitBtnClick();
  std::string pdf = dir.Read("list.pdf");
  size_t pages = 0;
  for (size_t at = pdf.find("/Type /Page\n"); at != std::string::npos; at = pdf.find("/Type /Page\n", at + 1)) ++pages;
  if (pages == 0)
    for (size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
      if (pdf.compare(at, 12, "/Type /Pages") != 0) ++pages;
  EXPECT_GT(pages, 5u);
  EXPECT_TRUE(Kana_Fm->isEnabled());
  EXPECT_TRUE(main->isEnabled());
}

TEST_F(KanaForm, NoThousandthOwnerAndIdCardKeys) {
  std::string file = "!c\r\n/IDSPD/\r\n";
  for (int i = 0; i < 999; ++i) file += "ID=" + std::to_string(100000 + i) + ">\r\n";
  dir.Write("data/SdIdCard.DAT", file);
  DialogScript script;
  Open(kana::kIdCard);
  EXPECT_EQ(Kana_Fm->Nais_CmbBox->count(), 999);
  // ID-card keys are digits only, twelve at most, also when pasted.
  Kana_Fm->Nais_CmbBox->lineEdit()->setText(QString());
  Kana_Fm->Nais_CmbBox->lineEdit()->insert("12*4");
  EXPECT_EQ(Kana_Fm->Nais_CmbBox->currentText(), "");
  Kana_Fm->Nais_CmbBox->lineEdit()->insert("1234567890123");
  EXPECT_EQ(Kana_Fm->Nais_CmbBox->currentText(), "");
  script.Then(1);
  Kana_Fm->SelectOwner("777");  // a 1000th owner is refused before the question
  EXPECT_EQ(Kana_Fm->Owners().size(), 999u);
  Kana_Fm->SelectOwner("100005");
  EXPECT_TRUE(Kana_Fm->Dial_StrGrd->isVisible());
  EXPECT_FALSE(Kana_Fm->Dial2_StrGrd->isVisible());
  EXPECT_EQ(script.Shown(), std::vector<std::string>({"M9807"}));
}

namespace {

// Every data row from the top one to ten below it lies wholly inside the
// grid's viewport, and so do the three columns.
void ExpectTenRowsInView(QTableWidget* g, const char* what) {
  const QRect view = g->viewport()->rect();
  const int top = g->verticalScrollBar()->value();
  for (int r = top; r < std::min(top + 10, g->rowCount()); ++r)
    for (int c = 0; c < 3; ++c)
      EXPECT_TRUE(view.contains(g->visualRect(g->model()->index(r, c)))) << what << " row " << r << " column " << c;
}

// Each heading fits its column: what the header needs is no more than the
// column's width.
void ExpectHeadingsFit(QTableWidget* g, const char* what) {
  QHeaderView* h = g->horizontalHeader();
  for (int c = 0; c < 3; ++c) {
    const QString text = g->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_LE(QFontMetrics(h->font()).horizontalAdvance(text), h->sectionSize(c)) << what << " " << text.toStdString();
    EXPECT_LE(h->sectionSizeHint(c), h->sectionSize(c)) << what << " " << text.toStdString();
  }
}

}  // namespace

TEST_F(KanaForm, EveryGridShowsItsTenRowsAndHeadings) {
  Open(kana::kSystem);
  QTableWidget* g = Kana_Fm->Dial_StrGrd;
  ExpectTenRowsInView(g, "system");
  ExpectHeadingsFit(g, "system");
  EXPECT_TRUE(g->verticalScrollBar()->isVisible());
  EXPECT_EQ(g->verticalScrollBar()->maximum(), 790);  // ten rows in view, so 791 to 800 at the end
  g->verticalScrollBar()->setValue(790);
  ExpectTenRowsInView(g, "system end");
  Kana_Fm->Exit_BitBtnClick();

  for (int mode : {kana::kPersonal, kana::kIdCard}) {
    DialogScript script;
    script.Then(1);
    Open(mode);
    Kana_Fm->SelectOwner("201");
    for (QTableWidget* grid : {Kana_Fm->Dial_StrGrd, Kana_Fm->Dial2_StrGrd}) {
      if (!grid->isVisible()) continue;
      ASSERT_EQ(grid->rowCount(), 10);
      EXPECT_FALSE(grid->verticalScrollBar()->isVisible());
      ExpectTenRowsInView(grid, mode == kana::kPersonal ? "personal" : "ID card");
      ExpectHeadingsFit(grid, mode == kana::kPersonal ? "personal" : "ID card");
    }
    EXPECT_EQ(Kana_Fm->Dial2_StrGrd->isVisible(), mode == kana::kPersonal);
    if (mode == kana::kPersonal) {
      EXPECT_GE(Kana_Fm->Dial2_StrGrd->x(), Kana_Fm->Dial_StrGrd->geometry().right());
    }
    EXPECT_EQ(script.Shown().size(), 1u);
    Kana_Fm->Exit_BitBtnClick();
  }

  // The directory takes a scroll bar, and the room for it, only beyond ten
  // rows.
  Open(kana::kDirectory);
  g = Kana_Fm->Dial_StrGrd;
  ExpectHeadingsFit(g, "directory");
  const int narrow = g->width();
  for (int rows = 1; rows <= 11; ++rows) {
    if (rows > 1) Kana_Fm->Ins_BitBtnClick();
    QApplication::processEvents();
    ASSERT_EQ(g->rowCount(), rows);
    EXPECT_EQ(g->verticalScrollBar()->isVisible(), rows > 10) << rows << " rows";
    EXPECT_EQ(g->width() > narrow, rows > 10) << rows << " rows";
    ExpectTenRowsInView(g, "directory");
  }
}

TEST_F(KanaForm, InsertGoesAfterTheRowPressedByItsNumber) {
  std::string file = "!c\r\n/DIR/\r\n";
  for (int ext = 201; ext <= 212; ++ext) file += "NO=" + std::to_string(ext) + ">NAME=n" + std::to_string(ext) + ">\r\n";
  dir.Write("data/SdExtensions.DAT", file);
  Open(kana::kDirectory);
  QTableWidget* g = Kana_Fm->Dial_StrGrd;
  ASSERT_EQ(g->rowCount(), 12);
  EXPECT_EQ(g->currentRow(), 0);
  EXPECT_FALSE(Kana_Fm->Ins_BitBtn->isEnabled());
  const QPoint at = g->visualRect(g->model()->index(9, 0)).center();  // the row of "210"
  QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_EQ(g->currentRow(), 9);
  EXPECT_EQ(Kana_Fm->SelectedRows(g), std::vector<int>({9}));
  ASSERT_TRUE(Kana_Fm->Ins_BitBtn->isEnabled());
  QTest::mouseClick(Kana_Fm->Ins_BitBtn, Qt::LeftButton);
  ASSERT_EQ(g->rowCount(), 13);
  EXPECT_EQ(g->item(9, 1)->text(), "210");
  EXPECT_EQ(g->item(10, 1)->text(), "");
  EXPECT_EQ(g->item(11, 1)->text(), "211");
  EXPECT_EQ(g->item(0, 1)->text(), "201");
  EXPECT_EQ(g->item(1, 1)->text(), "202");
  // A press on a data cell returns to typing there.
  QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, g->visualRect(g->model()->index(10, 1)).center());
  EXPECT_EQ(g->currentRow(), 10);
  EXPECT_TRUE(Kana_Fm->SelectedRows(g).empty());
  EXPECT_FALSE(Kana_Fm->Ins_BitBtn->isEnabled());
  EXPECT_NE(g->editTriggers(), QAbstractItemView::NoEditTriggers);
  // So does the keyboard after a row selection: Tab moves on and the keys
  // type into the cell.
  QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, g->visualRect(g->model()->index(2, 0)).center());
  ASSERT_EQ(Kana_Fm->SelectedRows(g), std::vector<int>({2}));
  g->setFocus();
  QTest::keyClick(g, Qt::Key_Tab);
  EXPECT_TRUE(Kana_Fm->SelectedRows(g).empty());
  EXPECT_FALSE(Kana_Fm->Del_BitBtn->isEnabled());
  ASSERT_EQ(g->currentRow(), 2);
  ASSERT_EQ(g->currentColumn(), 2);
  QLineEdit* e = Editor(g);
  ASSERT_NE(e, nullptr);
  QTest::keyClicks(e, "x");
  QTest::keyClick(e, Qt::Key_Return);
  EXPECT_EQ(g->item(2, 2)->text(), "x");
}

TEST_F(KanaForm, KeyboardEntryMovesOnAndKeepsKanjiNamesEditable) {
  dir.Write("data/SdSystem.DAT", SjisLines({"!c", "/SPD/", "NO=003>DATA=12P<" "総務部" ">"}));
  Open(kana::kSystem);
  QTableWidget* g = Kana_Fm->Dial_StrGrd;
  auto editor = [&] {
    QLineEdit* e = Editor(g);
    EXPECT_NE(e, nullptr) << "no cell editor open at " << g->currentRow() << "," << g->currentColumn();
    return e;
  };
  // Typed as a dealer types: Enter after each field, as Tab would be.
  g->setFocus();
  g->setCurrentCell(0, 1);
  for (const char* field : {"111", "nm", "222", "333"}) {
    QLineEdit* e = editor();
    ASSERT_NE(e, nullptr);
    QTest::keyClicks(e, field);
    QTest::keyClick(e, Qt::Key_Return);
  }
  EXPECT_EQ(g->item(0, 1)->text(), "111");
  EXPECT_EQ(g->item(0, 2)->text(), "nm");
  EXPECT_EQ(g->item(1, 1)->text(), "222");  // past the number column
  EXPECT_EQ(g->item(1, 2)->text(), "333");
  EXPECT_EQ(g->currentRow(), 2);
  EXPECT_EQ(g->currentColumn(), 1);

  // The name read from the file keeps its kanji and takes Backspace and
  // new single-byte characters; no new kanji, no bracket.
  g->setCurrentCell(3, 2);
  QLineEdit* e = editor();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->text(), QString::fromUtf8("総務部"));
  QTest::keyClick(e, Qt::Key_End);
  QTest::keyClick(e, Qt::Key_Backspace);
  QTest::keyClicks(e, "ab<");
  e->insert(QString::fromUtf8("課"));
  EXPECT_EQ(e->text(), QString::fromUtf8("総務ab"));
  QTest::keyClick(e, Qt::Key_Home);
  QTest::keyClick(e, Qt::Key_Delete);
  e->insert(QString::fromUtf8("総"));  // the kanji just deleted may come back
  EXPECT_EQ(e->text(), QString::fromUtf8("総務ab"));
  QTest::keyClick(e, Qt::Key_Return);
  EXPECT_EQ(g->item(3, 2)->text(), QString::fromUtf8("総務ab"));
  // So does the dial string with a letter the keys would refuse.
  g->setCurrentCell(3, 1);
  e = editor();
  ASSERT_NE(e, nullptr);
  QTest::keyClick(e, Qt::Key_End);
  QTest::keyClick(e, Qt::Key_Backspace);
  QTest::keyClicks(e, "xP9P");  // the "P" it held may come back, once
  QTest::keyClick(e, Qt::Key_Return);
  EXPECT_EQ(g->item(3, 1)->text(), "12P9");
}

// 印刷 either reaches the print system or says why not: with no printer,
// "9091"; with the default printer (the PDF printer of the test command), a
// completed job.
TEST_F(KanaForm, PrintingWithAndWithoutAPrinter) {
  dir.Write("data/SdExtensions.DAT", SjisLines({"!c", "/DIR/", "NO=201>NAME=a>", "NO=202>NAME=b>"}));
  Open(kana::kDirectory);
  QPrinter* printer = Orvo_Printer();
  printer->setOutputFileName(QString());
  {
    NoPrinter none;
    printer->setOutputFormat(QPrinter::NativeFormat);
    ASSERT_TRUE(QPrinterInfo::availablePrinters().isEmpty());
    DialogScript script;
    script.Then(1);
    Kana_Fm->Print_BitBtnClick();
    EXPECT_EQ(script.Shown(), std::vector<std::string>({"M9091"}));
    EXPECT_TRUE(Kana_Fm->isEnabled());
    EXPECT_TRUE(main->isEnabled());
    EXPECT_FALSE(Conf_Dlg->isVisible());
  }
  if (cupspdf::OutputDir().empty()) GTEST_SKIP() << "no CUPS PDF printer (started by the test command)";
  cupspdf::QueueLock queue;
  printer->setOutputFormat(QPrinter::NativeFormat);
  printer->setPrinterName(QPrinterInfo::defaultPrinterName());
  ASSERT_EQ(printer->printerName().toStdString(), cupspdf::DefaultPrinter());
  const int before = cupspdf::LastJobId();
  {
    DialogScript script;
    Kana_Fm->Print_BitBtnClick();
    EXPECT_TRUE(script.Shown().empty());
  }
  int job = 0;
  std::string pdf;
  ASSERT_NO_FATAL_FAILURE(cupspdf::WaitPrinted("O.R.V.O", before, job, pdf));
  // Other test programs may print under the same name meanwhile: the pages
  // of the listing itself are counted by the tests that print to a file.
  EXPECT_GE(cupspdf::PdfPages(pdf), 1);
  std::filesystem::remove(pdf);
}

namespace {

bool Within(const QWidget* w, const QWidget* control) { return w && (w == control || control->isAncestorOf(w)); }

// Keys as the dealer presses them: each to the widget that has the focus
// at that moment (a grid, or the cell editor the grid opened).
void Press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QWidget* w = Kana_Fm->focusWidget();
  ASSERT_NE(w, nullptr);
  QTest::keyClick(w, key, mods);
  QApplication::processEvents();
}
void TypeKeys(const char* text) {
  for (const char* c = text; *c; ++c) {
    QWidget* w = Kana_Fm->focusWidget();
    ASSERT_NE(w, nullptr);
    QTest::keyClick(w, *c);
  }
  QApplication::processEvents();
}

}  // namespace

// The two personal grids and the buttons from the keyboard alone: Enter and
// Tab stay inside a grid, Ctrl+Tab and Ctrl+Shift+Tab leave it, and entering
// one grid puts the other back at its first cell.
TEST_F(KanaForm, KeyboardReachesBothPersonalGridsAndTheButtons) {
  dir.Write("data/SdPersonal.DAT",
            kana::ISpd_Write({kana::NewOwner("201"), kana::NewOwner("202")}, kana::kPersonal, "c"));
  dir.Write("SDPersonal.Hlp", "help\r\n");
  Open(kana::kPersonal);
  ASSERT_TRUE(QTest::qWaitForWindowActive(Kana_Fm));
  QTableWidget* g1 = Kana_Fm->Dial_StrGrd;
  QTableWidget* g2 = Kana_Fm->Dial2_StrGrd;
  ASSERT_TRUE(Within(Kana_Fm->focusWidget(), Kana_Fm->Nais_CmbBox));
  TypeKeys("201");
  Press(Qt::Key_Return);
  ASSERT_TRUE(Within(Kana_Fm->focusWidget(), g1));

  TypeKeys("0312");
  Press(Qt::Key_Return);
  TypeKeys("ab");
  Press(Qt::Key_Tab);
  TypeKeys("9");  // still being typed when the grid is left
  ASSERT_EQ(g1->currentRow(), 1);
  Press(Qt::Key_Tab, Qt::ControlModifier);
  ASSERT_TRUE(Within(Kana_Fm->focusWidget(), g2));
  EXPECT_EQ(g1->item(1, 1)->text(), "9");
  EXPECT_EQ(Kana_Fm->ActiveGrid(), g2);
  EXPECT_EQ(g1->currentRow(), 0);
  EXPECT_EQ(g1->currentColumn(), 1);

  TypeKeys("55");
  Press(Qt::Key_Return);
  TypeKeys("x");
  Press(Qt::Key_Return);
  EXPECT_EQ(g2->currentRow(), 1);
  // Rows chosen in grid 2 by their numbers: the buttons act on them until
  // grid 1 is entered.
  QTest::mouseClick(g2->viewport(), Qt::LeftButton, Qt::NoModifier, g2->visualRect(g2->model()->index(3, 0)).center());
  ASSERT_TRUE(Kana_Fm->Cpy_BitBtn->isEnabled());
  Press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_TRUE(Within(Kana_Fm->focusWidget(), g1));
  EXPECT_EQ(Kana_Fm->ActiveGrid(), g1);
  EXPECT_EQ(g2->currentRow(), 0);
  EXPECT_EQ(g2->currentColumn(), 1);
  EXPECT_TRUE(Kana_Fm->SelectedRows(g2).empty());
  EXPECT_NE(g2->editTriggers(), QAbstractItemView::NoEditTriggers);
  for (QPushButton* b : {Kana_Fm->Cpy_BitBtn, Kana_Fm->Pas_BitBtn, Kana_Fm->Del_BitBtn}) EXPECT_FALSE(b->isEnabled());

  // Round the form: grid 1, grid 2, the enabled buttons as they read, and
  // the owner box, left for grid 1 with another owner typed (which stores
  // the grids first).
  Press(Qt::Key_Tab, Qt::ControlModifier);
  ASSERT_TRUE(Within(Kana_Fm->focusWidget(), g2));
  Press(Qt::Key_Tab, Qt::ControlModifier);
  for (QWidget* next : std::vector<QWidget*>{Kana_Fm->Help_BitBtn, Kana_Fm->Print_BitBtn, Kana_Fm->Reg_BitBtn,
                                             Kana_Fm->Exit_BitBtn, Kana_Fm->Nais_CmbBox}) {
    ASSERT_TRUE(Within(Kana_Fm->focusWidget(), next)) << next->property("text").toString().toStdString();
    if (next != Kana_Fm->Nais_CmbBox) Press(Qt::Key_Tab);
  }
  TypeKeys("202");
  ASSERT_EQ(Kana_Fm->Nais_CmbBox->currentText(), "202");
  Press(Qt::Key_Tab);
  ASSERT_TRUE(Within(Kana_Fm->focusWidget(), g1));
  EXPECT_EQ(Kana_Fm->Nais_CmbBox->currentText(), "202");
  EXPECT_EQ(g1->item(0, 1)->text(), "");
  Press(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(Within(Kana_Fm->focusWidget(), Kana_Fm->Nais_CmbBox));

  ASSERT_EQ(Kana_Fm->Owners().size(), 2u);
  const kana::Owner& o = Kana_Fm->Owners()[0];
  EXPECT_EQ(o.key, "201");
  EXPECT_EQ(o.entries[0].dial, "0312");
  EXPECT_EQ(o.entries[0].name, "ab");
  EXPECT_EQ(o.entries[1].dial, "9");
  EXPECT_EQ(o.entries[10].dial, "55");
  EXPECT_EQ(o.entries[10].name, "x");
  EXPECT_EQ(Kana_Fm->Owners()[1].entries[0].dial, "");
}

// The directory's one grid is left for the buttons, all of them in reading
// order once rows are chosen, and the choice outlives the round.
TEST_F(KanaForm, TabOrderReachesEveryDirectoryButton) {
  Open(kana::kDirectory);
  ASSERT_TRUE(QTest::qWaitForWindowActive(Kana_Fm));
  QTableWidget* g = Kana_Fm->Dial_StrGrd;
  QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, g->visualRect(g->model()->index(0, 0)).center());
  ASSERT_TRUE(Within(Kana_Fm->focusWidget(), g));
  Press(Qt::Key_Tab, Qt::ControlModifier);
  for (QWidget* next : std::vector<QWidget*>{Kana_Fm->Print_BitBtn, Kana_Fm->Reg_BitBtn, Kana_Fm->Exit_BitBtn,
                                             Kana_Fm->Del_BitBtn, Kana_Fm->Ins_BitBtn, Kana_Fm->Cpy_BitBtn,
                                             Kana_Fm->Pas_BitBtn, Kana_Fm->Sort_BitBtn}) {
    ASSERT_TRUE(Within(Kana_Fm->focusWidget(), next)) << next->metaObject()->className() << " "
                                                      << next->property("text").toString().toStdString();
    Press(Qt::Key_Tab);
  }
  ASSERT_TRUE(Within(Kana_Fm->focusWidget(), g));
  EXPECT_EQ(Kana_Fm->SelectedRows(g), std::vector<int>({0}));
  EXPECT_TRUE(Kana_Fm->Del_BitBtn->isEnabled());
  Press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(Within(Kana_Fm->focusWidget(), Kana_Fm->Sort_BitBtn));
}

namespace {

// The top of each word's first showing on a PDF's first page, in points.
std::map<std::string, double> WordTops(const std::string& pdf) {
  QProcess tool;
  tool.start("pdftotext", {"-bbox", "-f", "1", "-l", "1", QString::fromStdString(pdf), "-"});
  tool.waitForFinished(-1);
  static const QRegularExpression word(R"re(<word xMin="[\d.]+" yMin="([\d.]+)"[^>]*>([^<]*)</word>)re");
  std::map<std::string, double> tops;
  for (auto it = word.globalMatch(QString::fromUtf8(tool.readAllStandardOutput())); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    tops.emplace(m.captured(2).toStdString(), m.captured(1).toDouble());
  }
  return tops;
}

void PrintToFile(const std::string& path) {
  Orvo_Printer()->setOutputFormat(QPrinter::PdfFormat);
  Orvo_Printer()->setOutputFileName(QString::fromStdString(path));
}

}  // namespace

// A printed text stands below the y of its line: the page head at 2 line
// heights, the headings at 5 (the frame's top at 4.5), the first entry at 7.
TEST_F(KanaForm, PrintedTextsStandBelowTheTopsOfTheirLines) {
  dir.Write("data/SdSystem.DAT", SjisLines({"!c", "/SPD/", "NO=000>DATA=0312345678<ABC>"}));
  Open(kana::kSystem, 0);
  PrintToFile(dir.path() + "list.pdf");
  Kana_Fm->Print_BitBtnClick();
  std::map<std::string, double> top = WordTops(dir.path() + "list.pdf");
  const std::string title = "システム短縮ダイヤル", heading = "ﾀﾞｲﾔﾙ内容", entry = "0312345678";
  for (const std::string& w : {title, heading, entry}) ASSERT_EQ(top.count(w), 1u) << w;
  const double margin = Orvo_Printer()->pageLayout().paintRect(QPageLayout::Point).top();
  const double h = (top[entry] - top[heading]) / 2;
  EXPECT_NEAR(top[title] - margin, 2 * h, h / 4);
  EXPECT_NEAR(top[heading] - margin, 5 * h, h / 4);
}

// A file whose reading stops at a bad line names it when it opens, and
// Register asks before it writes the part over the whole file.
TEST_F(KanaForm, PartlyReadFileNamesItsLineAndRegisterAsksFirst) {
  std::string file = "!c\r\n/SPD/\r\n";
  for (int n = 10; n < 22; ++n)  // 25 digits on line 8
    file += "NO=0" + std::to_string(n) + ">DATA=" + std::string(n == 15 ? 25 : 9, '1') + "<>\r\n";
  dir.Write("data/SdSystem.DAT", file);
  dir.Write("MSGDLG.DAT", "J9809=T,M9809 %1,1,0\r\nJ7805=T,M7805 %1,1,1\r\nJ7010=T,M7010,1,1\r\n");
  DialogScript script;
  script.Then(1).Then(2);
  Open(kana::kSystem, 0);
  Kana_Fm->Reg_BitBtnClick();
  EXPECT_EQ(Data("SdSystem.DAT"), file);
  script.Then(1).Then(1, "new").Then(1);
  Kana_Fm->Reg_BitBtnClick();
  EXPECT_EQ(script.Shown(), std::vector<std::string>({"M9809 8", "M7805 8", "M7805 8", "P1401", "M7010"}));
  EXPECT_NE(Data("SdSystem.DAT"), file);
}

// A print server that takes the connection and never answers is no printer
// after a few seconds, not after the print system's own minute, and the
// print box's キャンセル answers while the program waits for it.
TEST_F(KanaForm, ASilentPrintServerIsNoPrinterWithinSecondsAndCancelAnswers) {
  dir.Write("data/SdExtensions.DAT", SjisLines({"!c", "/DIR/", "NO=201>NAME=a>"}));
  Open(kana::kDirectory);
  QPrinter* printer = Orvo_Printer();
  const QPrinter::OutputFormat format = printer->outputFormat();
  const QString name = printer->printerName();
  // The fallback of a program started without a printer: the look asks for
  // the default printer.
  printer->setOutputFileName(QString());
  printer->setOutputFormat(QPrinter::PdfFormat);
  bool answered = false;
  {
    cupspdf::NoScheduler silent(cupspdf::NoScheduler::kSilent);
    QTimer::singleShot(1000, Kana_Fm, [&] {
      if (!Conf_Dlg || !Conf_Dlg->isVisible()) return;
      QTest::mouseClick(Conf_Dlg->Cancel_BitBtn, Qt::LeftButton);
      answered = CancelRequested != 0;
    });
    DialogScript script;
    script.Then(1);
    QElapsedTimer took;
    took.start();
    Kana_Fm->Print_BitBtnClick();
    EXPECT_LT(took.elapsed(), 20000);
    EXPECT_EQ(script.Shown(), std::vector<std::string>({"M9091"}));
  }
  EXPECT_TRUE(answered) << "キャンセル did not answer during the look";
  EXPECT_TRUE(Kana_Fm->isEnabled());
  printer->setOutputFormat(format);
  if (format == QPrinter::NativeFormat && !name.isEmpty()) printer->setPrinterName(name);
}

// A file with CR alone as its line end shows its rows. A binary file is a
// read that stopped at line 1, and Register asks before it writes over it,
// with Cancel even from a message file that lacks the question.
TEST_F(KanaForm, CrAloneFileShowsItsRowsABinaryOneIsKept) {
  dir.Write("data/SdExtensions.DAT", "!c\r/DIR/\rNO=200>NAME=a>\rNO=201>NAME=b>\r");
  dir.Write("MSGDLG.DAT", "J9809=T,M9809 %1,1,0\r\nJ7012=T,M7012,1,1\r\n");
  DialogScript script;
  Open(kana::kDirectory);
  QTableWidget* g = Kana_Fm->Dial_StrGrd;
  ASSERT_EQ(g->rowCount(), 2);
  EXPECT_EQ(g->item(1, 1)->text(), "201");
  EXPECT_EQ(g->item(1, 2)->text(), "b");
  Kana_Fm->Exit_BitBtnClick();

  std::string binary(2048, '\0');
  for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 7 % 256);
  dir.Write("data/SdExtensions.DAT", binary);
  script.Then(1);
  Open(kana::kDirectory);
  script.Then(2);
  Kana_Fm->Reg_BitBtnClick();
  EXPECT_EQ(script.Shown(), std::vector<std::string>({"M9809 1", "Can not read messagefile"}));
  EXPECT_EQ(Data("SdExtensions.DAT"), binary);
}

// The print box shows its text and キャンセル before the listing is made, and
// its キャンセル stops an owner listing too: no job comes of it.
TEST_F(KanaForm, PrintBoxStandsBeforeTheWorkAndItsCancelAnswers) {
  dir.Write("data/SdPersonal.DAT", kana::ISpd_Write({kana::NewOwner("201"), kana::NewOwner("202")}, 1, "c"));
  Open(kana::kPersonal);
  PrintToFile(dir.path() + "list.pdf");
  bool stood = false;
  std::function<void()> look = [&] {  // once the window system shows the box
    if (!Conf_Dlg || !Conf_Dlg->isVisible()) return;
    if (!Conf_Dlg->windowHandle()->isExposed()) return QTimer::singleShot(0, Kana_Fm, look);
    stood = Conf_Dlg->Cancel_BitBtn->isVisible() && Conf_Dlg->Msg_Lbl->text() == ToQ(PrintProgressText);
    QTest::mouseClick(Conf_Dlg->Cancel_BitBtn, Qt::LeftButton);
  };
  QTimer::singleShot(0, Kana_Fm, look);
  Kana_Fm->Print_BitBtnClick();
  EXPECT_TRUE(stood);
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "list.pdf"));
}

// A value of full length shows whole: its cell changes when only its last
// character does (an elided one does not). A heading keeps off the border.
TEST_F(KanaForm, FullLengthValuesAndHeadingsShowWhole) {
  DialogScript script;
  script.Then(1);  // the new owner's question
  for (int mode : {kana::kSystem, kana::kPersonal, kana::kDirectory}) {
    Open(mode);
    if (mode == kana::kPersonal) Kana_Fm->SelectOwner("201");
    if (mode == kana::kDirectory) Kana_Fm->Ins_BitBtnClick();
    QTableWidget* g = Kana_Fm->Dial_StrGrd;
    auto shot = [&](QWidget* w, QRect r, QTableWidgetItem* it, const std::string& text) {
      if (it) it->setText(QString::fromStdString(text));
      return w->grab(r).toImage();
    };
    for (int col : {1, 2}) {
      const size_t n = col == 1 ? kana::DialLimit(mode) : kana::NameLimit(mode);
      const std::string full = std::string(col == 1 ? "0123456789012345678901234" : "ABCDEFGHIJKLMNOP").substr(0, n);
      QTableWidgetItem* it = g->item(1, col);
      const QImage cut = shot(g->viewport(), g->visualItemRect(it), it, full.substr(0, n - 1) + "#");
      EXPECT_NE(shot(g->viewport(), g->visualItemRect(it), it, full), cut) << mode << " " << col;
    }
    QHeaderView* h = g->horizontalHeader();
    for (int col = 0; col < 3; ++col) {
      QTableWidgetItem* head = g->horizontalHeaderItem(col);
      const std::string text = head ? head->text().toStdString() : "";
      const QRect border(h->sectionViewportPosition(col) + h->sectionSize(col) - 1, 0, 1, h->height());
      const QImage bare = shot(h->viewport(), border, head, "");
      EXPECT_EQ(shot(h->viewport(), border, head, text), bare) << mode << " " << text;
    }
    Kana_Fm->Exit_BitBtnClick();
  }
}
