// The command-file list and editor on names as the disk has them: a name
// in CP932 bytes (unpacked from a Windows archive) is listed decoded and
// opened, registered, copied, printed and deleted under its own bytes; a
// command file that is a link is registered through to its target, and a
// protected one is refused.
#include <QPrinter>
#include <sys/stat.h>
#include <unistd.h>

#include "cmdfile/ComFileText.h"
#include "cmdfile/ComList.h"
#include "platform/ui/QtText.h"
#include "shell/ui/Printer.h"
#include "tests/cmdfile/ui/CmdFormsFixture.h"

namespace {

const std::string kTesuto = "\x83\x65\x83\x58\x83\x67";  // "テスト" in CP932

class NamesOnDisk : public CmdForms {
 protected:
  // The sample's command file with LF line ends: a register, which writes
  // CR LF, shows in the bytes that it wrote.
  std::string LfText() {
    std::string s = dir.Read("data/Initial.CMD");
    std::string out;
    for (char c : s)
      if (c != '\r') out += c;
    return out;
  }
  // Modify of the row shown as title, then the whole file in the editor.
  TCEdit_Frm* OpenInEditor(const std::string& title) {
    SelectTitle(title);
    DialogScript s;
    ComS_Frm->Mod_BitBtnClick();
    EXPECT_TRUE(s.Shown().empty());
    TCEdit_Frm* e = CEdit_Frm;
    EXPECT_TRUE(e->isVisible());
    e->Menu_CmbBoxEnter();
    e->Menu_CmbBox->setCurrentIndex(0);  // "ALL"
    e->Menu_CmbBoxChange();
    return e;
  }
  Shown Register(std::initializer_list<int> answers) {
    DialogScript s;
    for (int a : answers) s.Then(a);
    CEdit_Frm->Reg_BitBtnClick();
    return s.Shown();
  }
  size_t DataEntries() const {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir.path() + "data"), {}));
  }
  bool Listed(const std::string& title) const {
    auto t = Titles();
    return std::find(t.begin(), t.end(), title) != t.end();
  }
};

TEST_F(NamesOnDisk, AShiftJisNameIsListedOpenedWrittenCopiedPrintedAndDeleted) {
  const std::string crlf = dir.Read("data/Initial.CMD");
  const std::string file = "data/" + kTesuto + ".CMD";
  dir.Write(file, LfText());
  ASSERT_TRUE(OpenList().empty());
  TComS_Frm* f = ComS_Frm;
  EXPECT_TRUE(Listed(U8("テスト").toStdString()));
  const size_t entries = DataEntries();

  SelectTitle(U8("テスト").toStdString());
  ASSERT_TRUE(f->ComList_SelName());
  EXPECT_EQ(SelectedCmdName, kTesuto);
  EXPECT_EQ(f->SelectedPath(), dir.path() + file);

  // Modify opens the file's own text; Register asks before overwriting it
  // and writes that very file, no second one beside it.
  TCEdit_Frm* e = OpenInEditor(U8("テスト").toStdString());
  EXPECT_EQ(e->Fname_Lbl->text(), U8("テスト"));
  EXPECT_TRUE(e->Com_RMem->toPlainText().contains("/M10/"));
  EXPECT_EQ(Register({1}), Shown{"M7015"});
  EXPECT_EQ(dir.Read(file), crlf);
  EXPECT_EQ(DataEntries(), entries);
  e->Exit_BitBtnClick();
  QApplication::processEvents();
  ASSERT_TRUE(f->isVisible());

  // Copy from it to a typed name.
  SelectTitle(U8("テスト").toStdString());
  {
    DialogScript s;
    s.Then(1, "Kopie");
    f->Copy_BitBtnClick();
    EXPECT_EQ(s.Shown(), Shown{"P1701"});
  }
  EXPECT_EQ(Data("Kopie.CMD"), crlf);
  // Copying back onto the name as shown means that very file: the question
  // first, then it is overwritten, and no UTF-8 twin appears.
  dir.Write("data/Kopie.CMD", "!kopie\r\n");
  ComList_Scan(ComList);
  f->ComList_Show();
  SelectTitle("Kopie");
  {
    DialogScript s;
    s.Then(1, U8("テスト").toStdString()).Then(1);
    f->Copy_BitBtnClick();
    EXPECT_EQ(s.Shown(), (Shown{"P1701", "M7015"}));
  }
  EXPECT_EQ(dir.Read(file), "!kopie\r\n");
  EXPECT_FALSE(dir.Exists(U8("data/テスト.CMD").toStdString()));
  EXPECT_EQ(DataEntries(), entries + 1);

  // Print it to a file.
  QPrinter* printer = Orvo_Printer();
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(QString::fromStdString(dir.path() + "out.pdf"));
  SelectTitle(U8("テスト").toStdString());
  {
    DialogScript s;
    f->Print_BitBtnClick();
    EXPECT_TRUE(s.Shown().empty());
  }
  EXPECT_NE(dir.Read("out.pdf").find("/Type /Page"), std::string::npos);

  // Delete removes exactly it.
  SelectTitle(U8("テスト").toStdString());
  {
    DialogScript s;
    s.Then(1);
    f->Del_BitBtnClick();
    EXPECT_EQ(s.Shown(), Shown{"M7701"});
  }
  EXPECT_FALSE(dir.Exists(file));
  EXPECT_FALSE(Listed(U8("テスト").toStdString()));
  EXPECT_TRUE(dir.Exists("data/Kopie.CMD"));
}

TEST_F(NamesOnDisk, RegisteringALinkWritesItsTargetAndAProtectedOneIsRefused) {
  const std::string crlf = dir.Read("data/Initial.CMD");
  dir.Write("real/Real.CMD", LfText());
  const std::string link = dir.path() + "data/Link.cmd";
  ASSERT_EQ(::symlink("../real/Real.CMD", link.c_str()), 0);
  ASSERT_TRUE(OpenList().empty());
  ASSERT_TRUE(Listed("Link"));

  OpenInEditor("Link");
  EXPECT_EQ(Register({1}), Shown{"M7015"});
  EXPECT_EQ(dir.Read("real/Real.CMD"), crlf);
  struct stat st{};
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  char target[256] = {};
  ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_STREQ(target, "../real/Real.CMD");

  // The dealer made the real file read-only: refused with "9055" (also for
  // root), the file and its mode as they were.
  const std::string real = dir.path() + "real/Real.CMD";
  dir.Write("real/Real.CMD", LfText());
  ASSERT_EQ(::chmod(real.c_str(), 0444), 0);
  EXPECT_EQ(Register({1, 1}), (Shown{"M7015", "M9055"}));
  EXPECT_EQ(dir.Read("real/Real.CMD"), LfText());
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

}  // namespace
