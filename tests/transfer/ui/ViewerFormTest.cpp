// The load-error and dump viewer from the main window and from the
// selection form: listing, viewing, deleting, the folder change, damaged
// and vanished files, the keyboard, the ways back and printing with its
// progress box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "phone/Tel_Session.h"
#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/Language_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/Printer.h"
#include "tests/link/ui/DialogScript.h"
#include "tests/support/CupsPdf.h"
#include "tests/support/ui/PathShown.h"
#include "tests/transfer/ui/TransferFormFixture.h"
#include "transfer/LoadErr_Unit.h"
#include "transfer/ui/LErr_Unit.h"
#include "transfer/ui/SelectionHost.h"

namespace {

using Shown = std::vector<std::string>;

std::string Messages() {
  std::string s;
  for (const char* n : {"9006", "9009", "9029", "9036", "9901", "9091"}) s += std::string("J") + n + "=T,M" + n + ",1,0\r\n";
  for (const char* n : {"7901", "7501"}) s += std::string("J") + n + "=T,M" + n + ",1,1\r\n";
  return s;
}

// Every entry below a folder with its content, to show that nothing but
// the deleted file changed.
std::map<std::string, std::string> Snapshot(const std::string& dir) {
  std::map<std::string, std::string> out;
  for (auto& e : std::filesystem::recursive_directory_iterator(dir)) {
    std::string content;
    if (e.is_regular_file()) fsys::ReadFile(e.path().string(), content);
    out[e.path().string()] = e.is_directory() ? "<dir>" : content;
  }
  return out;
}

int PdfPages(const std::string& pdf) {
  int pages = 0;
  for (size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
    if (pdf.compare(at, 12, "/Type /Pages") != 0) ++pages;
  return pages;
}

class ViewerForm : public TransferForms {
 protected:
  void SetUp() override {
    dir.Write("INPDLG.DAT", "J1401=T,P1401,L,30,*,,1,1\r\n");
    OpenMainWindow(Messages());
  }
  void TearDown() override {
    LErr_Host() = {};
    QPrinter* p = Orvo_Printer();
    p->setOutputFileName(QString());
    delete LErr_Frm;
    TransferForms::TearDown();
  }
  std::vector<std::string> Column(int col) {
    std::vector<std::string> out;
    for (int i = 0; i < v()->FileName_OTabLstBox->count(); ++i)
      out.push_back(v()->FileName_OTabLstBox->item(i)->text().section('\t', col, col).toStdString());
    return out;
  }
  void Select(int row) {
    v()->FileName_OTabLstBox->setCurrentRow(row);
    QApplication::processEvents();
  }
  TLErr_Frm* v() { return LErr_Frm; }
};

TEST_F(ViewerForm, DumpsFromTheMainWindow) {
  const std::string data = dir.path() + "data/";
  dir.Write("ENVIRON.DAT", "ctl," + data + ",x\r\n");
  dir.Write("data/USER.INF", "dealer\r\n");
  // Dumps as the telephone image writes them, damaged ones among them.
  // The telephone image's own dump file, appended to over two dumps.
  static constexpr char kDump[] = "LINE 1\r\nA\xA0" "B\r\n\x01\x82\xA0Z\0\r\x7F\nLAST";
  const std::string dumpBytes(kDump, sizeof kDump - 1);
  dir.Write("data/.keep", "");
  const std::pair<size_t, size_t> dumps[] = {{0, 9}, {9, dumpBytes.size()}};
  for (auto [from, to] : dumps) {
    TelDumpFile f;
    ASSERT_TRUE(f.Open(Tel_DefaultDumpFile(dir.path() + "data")));
    for (size_t i = from; i < to; ++i) ASSERT_TRUE(f.Write(static_cast<uint8_t>(dumpBytes[i])));
    ASSERT_TRUE(f.Close());
  }
  std::filesystem::remove(data + ".keep");
  dir.Write("data/ab.DMP", "ab\r\n");
  dir.Write("data/.DMP", "short\r\n");
  dir.Write("data/x.DMP/inner", "a folder named like a dump");
  dir.Write("data/note.txt", "no dump");
  dir.Write("other/USER.INF", "second\r\n");
  dir.Write("other/o.dmp", "other\r\n");

  main->Dump_BitBtn->click();
  ASSERT_TRUE(v()->isVisible());
  EXPECT_FALSE(main->SB_GB->isVisible());
  EXPECT_EQ(v()->windowTitle(), U8("ダンプデータ参照"));
  EXPECT_EQ(v()->FileName_GrpBox->title(), U8("ダンプファイル名"));
  EXPECT_EQ(v()->DataSet_Lbl->text().toStdString(), dir.path() + "data");
  EXPECT_EQ(v()->UsrName2_Lbl->text(), "dealer");
  EXPECT_EQ(v()->FileName_OTabLstBox->TabStops(), (std::vector<int>{290, 340, 500}));
  EXPECT_EQ(v()->Data_Mem->height(), 185);
  EXPECT_FALSE(v()->HelpBitBtn->isVisible());  // no Dump.Hlp
  EXPECT_TRUE(v()->Del_BitBtn->isVisible());
  EXPECT_FALSE(v()->Del_BitBtn->isEnabled());
  EXPECT_FALSE(v()->Prn_BitBtn->isEnabled());
  EXPECT_FALSE(v()->ErrNum_Lbl->isVisible());
  EXPECT_EQ(v()->focusWidget(), v()->DataSet_BitBtn);
  EXPECT_EQ(Column(0), (Shown{"", "ab", "Default"}));
  EXPECT_EQ(Column(4), (Shown{"", "ab", "Default"}));
  // The focus brought to the list by Tab opens nothing.
  v()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(v()));
  QTest::keyClick(v()->DataSet_BitBtn, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), v()->FileName_OTabLstBox);
  EXPECT_EQ(v()->Shown(), -1);
  const auto before = Snapshot(dir.path());

  // Buttons with nothing shown do nothing.
  {
    DialogScript s;
    v()->Del_BitBtnClick();
    v()->Prn_BitBtnClick();
    QApplication::processEvents();
    EXPECT_TRUE(s.Shown().empty());
  }
  // The arrow keys choose.
  QTest::keyClick(v()->FileName_OTabLstBox, Qt::Key_Down);
  EXPECT_EQ(v()->Shown(), v()->FileName_OTabLstBox->currentRow());
  EXPECT_GE(v()->Shown(), 0);

  // The dump shown: kept bytes only, 0xA0 replaced, nothing else lost.
  Select(2);
  ASSERT_EQ(v()->Shown(), 2);
  const QStringList lines = v()->Data_Mem->toPlainText().split('\n');
  ASSERT_EQ(lines.size(), 4);
  EXPECT_EQ(lines[0], "LINE 1");
  EXPECT_EQ(lines[1].size(), 3);
  EXPECT_TRUE(lines[1].startsWith('A') && lines[1].endsWith('B'));
  EXPECT_EQ(lines[2].size(), 2);  // a lead byte, NUL and DEL dropped
  EXPECT_TRUE(lines[2].endsWith('Z'));
  EXPECT_EQ(lines[3], "LAST");  // the bytes after the last line end
  EXPECT_TRUE(v()->Prn_BitBtn->isEnabled());
  EXPECT_TRUE(v()->Del_BitBtn->isEnabled());

  // Tab walks the controls in their order, the text area included.
  v()->DataSet_BitBtn->setFocus();
  std::vector<QWidget*> walk;
  for (int i = 0; i < 6; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    walk.push_back(QApplication::focusWidget());
  }
  EXPECT_EQ(walk, (std::vector<QWidget*>{v()->FileName_OTabLstBox, v()->Data_Mem, v()->Prn_BitBtn, v()->Del_BitBtn,
                                         v()->Ext_BitBtn, v()->DataSet_BitBtn}));
  EXPECT_EQ(v()->Shown(), 2) << "moving through the list by Tab shows nothing new";

  // Delete: Enter on the focused button asks; Cancel keeps the file.
  {
    DialogScript s;
    s.Then(2);
    v()->Del_BitBtn->setFocus();
    QTest::keyClick(v()->Del_BitBtn, Qt::Key_Return);
    EXPECT_EQ(s.Shown(), (Shown{"M7901"}));
  }
  EXPECT_TRUE(dir.Exists("data/Default.dmp"));
  EXPECT_EQ(v()->Shown(), 2);
  {
    DialogScript s;
    s.Then(1);
    v()->Del_BitBtn->click();
    EXPECT_EQ(s.Shown(), (Shown{"M7901"}));
  }
  EXPECT_FALSE(dir.Exists("data/Default.dmp"));
  EXPECT_EQ(Column(0), (Shown{"", "ab"}));
  EXPECT_TRUE(v()->Data_Mem->toPlainText().isEmpty());
  EXPECT_FALSE(v()->Del_BitBtn->isEnabled());
  EXPECT_FALSE(v()->Prn_BitBtn->isEnabled());
  auto after = Snapshot(dir.path());
  auto expected = before;
  expected.erase(data + "Default.dmp");
  EXPECT_EQ(after, expected) << "only the deleted file is gone";

  // A dump that became a folder cannot be read; one that vanished cannot be
  // opened; both rebuild the list.
  std::filesystem::remove(data + "ab.DMP");
  dir.Write("data/ab.DMP/inner", "");
  {
    DialogScript s;
    s.Then(1);
    Select(1);
    EXPECT_EQ(s.Shown(), (Shown{"M9029"}));
  }
  EXPECT_EQ(Column(0), (Shown{""}));
  EXPECT_EQ(v()->Shown(), -1);
  std::filesystem::remove(data + ".DMP");
  {
    DialogScript s;
    s.Then(1);
    Select(0);
    EXPECT_EQ(s.Shown(), (Shown{"M9009"}));
  }
  EXPECT_EQ(v()->FileName_OTabLstBox->count(), 0);
  EXPECT_FALSE(v()->Prn_BitBtn->isEnabled());

  // A delete that fails: the file was replaced by a folder meanwhile.
  dir.Write("data/gone.DMP", "g\r\n");
  v()->DumpFileDisp();
  Select(0);
  ASSERT_EQ(v()->Shown(), 0);
  std::filesystem::remove(data + "gone.DMP");
  dir.Write("data/gone.DMP/inner", "");
  {
    DialogScript s;
    s.Then(1).Then(1);
    v()->Del_BitBtn->click();
    EXPECT_EQ(s.Shown(), (Shown{"M7901", "M9901"}));
  }
  EXPECT_TRUE(dir.Exists("data/gone.DMP/inner"));
  EXPECT_EQ(v()->FileName_OTabLstBox->count(), 0);
  EXPECT_TRUE(v()->Del_BitBtn->isVisible());
  EXPECT_FALSE(v()->Del_BitBtn->isEnabled());

  // Another folder: its user and dumps; a cancelled pick changes nothing.
  SetPathPicker([](QWidget*, PathPickRequest&) { return 2; });
  v()->DataSet_BitBtn->click();
  EXPECT_EQ(v()->Folder(), data);
  std::string started;
  SetPathPicker([&](QWidget*, PathPickRequest& r) {
    started = r.path.toStdString();
    EXPECT_TRUE(r.dirSelect);
    r.path = QString::fromStdString(dir.path() + "other");
    return 1;
  });
  v()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(v()));
  QTest::keyClick(v()->windowHandle(), Qt::Key_C, Qt::AltModifier);  // the change button's mnemonic
  EXPECT_TRUE(QTest::qWaitFor([&] { return !started.empty(); }, 2000));  // a mnemonic clicks after a moment
  EXPECT_EQ(started, dir.path() + "data");
  EXPECT_EQ(v()->DataSet_Lbl->text().toStdString(), dir.path() + "other");
  EXPECT_EQ(v()->UsrName2_Lbl->text(), "second");
  EXPECT_EQ(Column(0), (Shown{"o"}));
  Select(0);
  EXPECT_EQ(v()->Data_Mem->toPlainText(), "other\n");

  // Back: the main buttons again, the dump button focused.
  v()->Ext_BitBtn->click();
  EXPECT_FALSE(v()->isVisible());
  EXPECT_TRUE(main->SB_GB->isVisible());
  EXPECT_EQ(LastButton, main->Dump_BitBtn);
}

// A deep data folder keeps its own name in sight, the whole path in the
// tool tip.
TEST_F(ViewerForm, ADeepDataFolderKeepsItsOwnName) {
  const std::string data = dir.path() + DeepFolder(U8("ダンプ").toStdString());
  dir.Write(data.substr(dir.path().size()) + "/a.DMP", "a\r\n");
  dir.Write("ENVIRON.DAT", "ctl," + data + "/,x\r\n");
  main->Dump_BitBtn->click();
  ASSERT_TRUE(v()->isVisible());
  EXPECT_TRUE(PathCut(v()->DataSet_Lbl, NameToQ(data)));
  EXPECT_EQ(Column(0), (Shown{"a"}));
  v()->Ext_BitBtn->click();
}

TEST_F(ViewerForm, ErrorListsFromTheSelectionFormAndBack) {
  const std::string data = dir.path() + "data/";
  dir.Write("data/CONTROL.DAT", "@Keys;M01\r\n");
  dir.Write("data/USER.INF", "dealer\r\n");
  dir.Write("data/SdSystem.DAT", "!sys\r\n");
  std::string env = dir.path() + "data/CONTROL.DAT," + dir.path() + "data";
  for (int i = 2; i < 22; ++i) env += ",x";
  dir.Write("ENVIRON.DAT", env + "\r\n");
  // Three records and a last empty line; OTHER.ERR with an odd line count
  // and bytes that are no Shift-JIS.
  // As the load writes it: three records.
  dir.Write("data/CONTROL.ERR", loaderr::ErrRecord(1, "1", "a") + loaderr::ErrRecord(2, "2", "b") +
                                    loaderr::ErrRecord(3, "3", "c"));
  static constexpr char kOther[] = "x\r\n\xFF\xFE\0z\r\ny";
  dir.Write("data/other.err", std::string(kOther, sizeof kOther - 1));
  dir.Write("LoadError.Hlp", "help\r\n");

  main->Load_BitBtnClick();
  TFSel_Frm* f = FSel_Frm;
  ASSERT_TRUE(f->isVisible());
  f->Err_BitBtn->click();
  ASSERT_TRUE(v()->isVisible());
  EXPECT_FALSE(f->isVisible());
  EXPECT_EQ(DumpMode, 0);
  EXPECT_EQ(v()->pos(), f->pos());
  EXPECT_EQ(v()->windowTitle(), U8("ロードエラーデータ参照"));
  EXPECT_EQ(v()->FileName_GrpBox->title(), U8("ロードデータ種別"));
  EXPECT_EQ(v()->Folder(), data);
  EXPECT_EQ(v()->FileName_OTabLstBox->TabStops(), (std::vector<int>{290, 340}));
  EXPECT_EQ(v()->Data_Mem->height(), 161);
  EXPECT_FALSE(v()->Del_BitBtn->isVisible());
  EXPECT_TRUE(v()->HelpBitBtn->isVisible());
  EXPECT_EQ(v()->HelpBitBtn->HelpFile, dir.path() + "LoadError.Hlp");
  EXPECT_EQ(Column(0), (Shown{U8("コマンドファイル").toStdString(), U8("その他").toStdString()}));

  Select(0);
  EXPECT_TRUE(v()->ErrNum_Lbl->isVisible());
  EXPECT_EQ(v()->ErrNum_Lbl->text(), "3");
  EXPECT_EQ(v()->ErrNum_Lbl->x(), v()->Err_Lbl->x() + v()->Err_Lbl->width() + 5);
  EXPECT_TRUE(v()->Data_Mem->toPlainText().startsWith(U8("行番号：1,")));
  EXPECT_TRUE(v()->Prn_BitBtn->isEnabled());
  {
    DialogScript s;
    v()->Del_BitBtnClick();  // no delete in error mode
    EXPECT_TRUE(s.Shown().empty());
  }
  EXPECT_TRUE(dir.Exists("data/CONTROL.ERR"));
  Select(1);
  EXPECT_EQ(v()->ErrNum_Lbl->text(), "1");
  EXPECT_TRUE(v()->Data_Mem->toPlainText().endsWith("z\ny"));

  // Vanished: the entry goes; turned into a folder: the entries rebuilt.
  std::filesystem::remove(data + "CONTROL.ERR");
  {
    DialogScript s;
    s.Then(1);
    Select(0);
    EXPECT_EQ(s.Shown(), (Shown{"M9036"}));
  }
  EXPECT_EQ(Column(0), (Shown{U8("その他").toStdString()}));
  EXPECT_FALSE(v()->ErrNum_Lbl->isVisible());
  EXPECT_FALSE(v()->Prn_BitBtn->isEnabled());
  dir.Write("data/CONTROL.ERR", "1\r\n2\r\n");
  std::filesystem::remove(data + "other.err");
  dir.Write("data/other.err/inner", "");
  {
    DialogScript s;
    s.Then(1);
    Select(0);
    EXPECT_EQ(s.Shown(), (Shown{"M9036"}));
  }
  EXPECT_EQ(Column(0), (Shown{U8("コマンドファイル").toStdString()}));

  // Back to the selection form, unrefreshed.
  v()->close();
  EXPECT_FALSE(v()->isVisible());
  EXPECT_TRUE(f->isVisible());
  EXPECT_EQ(SelectionReturn, 1);

  // From a setting screen (the command-file button pressed last): back to
  // its page.
  int pageShown = 0;
  LErr_Host().showCurrentPage = [&] { ++pageShown; };
  LastButton = main->Edit_BitBtn;
  DumpMode = 0;
  v()->LErr_Init(dir.path() + "no/such/folder");
  EXPECT_EQ(v()->Folder(), dir.path());
  v()->show();
  EXPECT_EQ(v()->FileName_OTabLstBox->count(), 0);
  v()->Ext_BitBtn->click();
  EXPECT_EQ(pageShown, 1);
  EXPECT_FALSE(v()->isVisible());
}

TEST_F(ViewerForm, PrintingPagesCancelAndNoPrinter) {
  std::string dump;
  for (int i = 1; i <= 200; ++i) dump += "DUMP LINE " + std::to_string(i) + "\r\n";
  dir.Write("d.DMP", dump);
  DumpMode = 1;
  v()->LErr_Init(dir.path());
  v()->show();
  Select(0);
  ASSERT_EQ(v()->Lines().size(), 201u);

  QPrinter* printer = Orvo_Printer();
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(QString::fromStdString(dir.path() + "dump.pdf"));
  const lerr::PageLayout layout = LErr_PrintLayout(printer);
  ASSERT_GT(layout.linesPerPage, 7);
  {
    DialogScript s;
    v()->Prn_BitBtn->click();
    EXPECT_TRUE(s.Shown().empty());
  }
  EXPECT_EQ(printer->docName(), "O.R.V.O");
  const std::string pdf = dir.Read("dump.pdf");
  EXPECT_EQ(pdf.substr(0, 4), "%PDF");
  EXPECT_EQ(PdfPages(pdf), lerr::PageCount(layout, 201));
  EXPECT_GE(PdfPages(pdf), 2);
  EXPECT_TRUE(v()->isEnabled());
  EXPECT_TRUE(main->isEnabled());
  EXPECT_FALSE(Conf_Dlg->isVisible());

  // Cancel in the progress box: no job, both windows back.
  std::filesystem::remove(dir.path() + "dump.pdf");
  bool boxShown = false, mainDisabled = false;
  QTimer::singleShot(0, [&] {
    boxShown = Conf_Dlg->isVisible() && Conf_Dlg->Cancel_BitBtn->isVisible() && !Conf_Dlg->Ok_BitBtn->isVisible();
    mainDisabled = !main->isEnabled() && !v()->isEnabled();
    Conf_Dlg->Cancel_BitBtn->click();
  });
  {
    DialogScript s;
    v()->Prn_BitBtnClick();
    EXPECT_TRUE(s.Shown().empty());
  }
  EXPECT_TRUE(boxShown);
  EXPECT_TRUE(mainDisabled);
  EXPECT_EQ(CancelRequested.load(), 1);
  EXPECT_FALSE(Conf_Dlg->isVisible());
  EXPECT_TRUE(v()->isEnabled());
  EXPECT_TRUE(main->isEnabled());
  EXPECT_FALSE(dir.Exists("dump.pdf")) << "a cancelled listing never becomes a job";

  // A printer that cannot start its job: "9091", the viewer usable.
  printer->setOutputFileName(QString::fromStdString(dir.path() + "no/such/folder/x.pdf"));
  {
    DialogScript s;
    s.Then(1);
    v()->Prn_BitBtnClick();
    EXPECT_EQ(s.Shown(), (Shown{"M9091"}));
  }
  EXPECT_TRUE(v()->isEnabled());
  EXPECT_FALSE(Conf_Dlg->isVisible());
}

// Once through the real print system: the default printer is a PDF
// printer; the job's name, its completion and its pages as the layout
// predicts; a cancelled listing sends no job.
TEST_F(ViewerForm, PrintsADumpOnTheDefaultPrinter) {
  if (cupspdf::OutputDir().empty()) GTEST_SKIP() << "no CUPS PDF printer (started by the test command)";
  cupspdf::QueueLock queue;
  std::string dump;
  for (int i = 1; i <= 250; ++i) dump += "DUMP LINE " + std::to_string(i) + "\r\n";
  dir.Write("d.DMP", dump);
  DumpMode = 1;
  v()->LErr_Init(dir.path());
  v()->show();
  Select(0);
  ASSERT_EQ(v()->Lines().size(), 251u);

  QPrinter* printer = Orvo_Printer();
  printer->setOutputFileName(QString());
  printer->setOutputFormat(QPrinter::NativeFormat);
  printer->setPrinterName(QPrinterInfo::defaultPrinterName());
  ASSERT_EQ(printer->printerName().toStdString(), cupspdf::DefaultPrinter());
  const int pages = lerr::PageCount(LErr_PrintLayout(printer), 251);
  ASSERT_GE(pages, 2);

  const int before = cupspdf::LastJobId();
  {
    DialogScript s;
    v()->Prn_BitBtn->click();
    EXPECT_TRUE(s.Shown().empty());
  }
  int job = 0;
  std::string pdf;
  ASSERT_NO_FATAL_FAILURE(cupspdf::WaitPrinted("O.R.V.O", before, job, pdf));
  EXPECT_EQ(cupspdf::PdfPages(pdf), pages);
  std::filesystem::remove(pdf);

  // Cancelled at once: no further listing completes.
  QTimer::singleShot(0, [] { Conf_Dlg->Cancel_BitBtn->click(); });
  {
    DialogScript s;
    v()->Prn_BitBtnClick();
    EXPECT_TRUE(s.Shown().empty());
  }
  EXPECT_TRUE(v()->isEnabled());
  EXPECT_TRUE(main->isEnabled());
  EXPECT_EQ(cupspdf::WaitCompleted("O.R.V.O", job, 2000), 0);
  EXPECT_EQ(cupspdf::CountJobs("O.R.V.O", job), 0) << "a cancelled listing never becomes a job";
}

}  // namespace
