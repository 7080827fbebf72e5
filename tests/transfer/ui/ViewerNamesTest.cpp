// The dump viewer on names as the disk has them: a dump and a folder named
// in CP932 bytes (unpacked from a Windows archive) are listed decoded, and
// the dump is shown and deleted under its own bytes.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>

#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "tests/link/ui/DialogScript.h"
#include "tests/transfer/ui/TransferFormFixture.h"
#include "transfer/ui/LErr_Unit.h"

namespace {

using Shown = std::vector<std::string>;

const std::string kTesuto = "\x83\x65\x83\x58\x83\x67";  // "テスト" in CP932
const std::string kDeta = "\x83\x66\x81\x5B\x83\x5E";    // "データ" in CP932

class ViewerNames : public TransferForms {
 protected:
  void SetUp() override {
    std::string s;
    for (const char* n : {"9006", "9009", "9029", "9901"}) s += std::string("J") + n + "=T,M" + n + ",1,0\r\n";
    s += "J7901=T,M7901,1,1\r\n";
    OpenMainWindow(s);
  }
  void TearDown() override {
    delete LErr_Frm;
    TransferForms::TearDown();
  }
  Shown Names() {
    Shown out;
    for (int i = 0; i < LErr_Frm->FileName_OTabLstBox->count(); ++i)
      out.push_back(LErr_Frm->FileName_OTabLstBox->item(i)->text().section('\t', 0, 0).toStdString());
    return out;
  }
};

TEST_F(ViewerNames, ShiftJisNamesAreListedShownAndDeletedUnderTheirBytes) {
  const std::string data = dir.path() + "data/";
  dir.Write("ENVIRON.DAT", "ctl," + data + ",x\r\n");
  dir.Write("data/" + kTesuto + ".DMP", "dump line\r\n");
  dir.Write("data/ab.DMP", "ab\r\n");
  dir.Write(kDeta + "/USER.INF", "second\r\n");
  dir.Write(kDeta + "/" + kTesuto + "2.dmp", "other\r\n");

  main->Dump_BitBtn->click();
  TLErr_Frm* v = LErr_Frm;
  ASSERT_TRUE(v->isVisible());
  EXPECT_EQ(Names(), (Shown{"ab", U8("テスト").toStdString()}));
  v->FileName_OTabLstBox->setCurrentRow(1);
  QApplication::processEvents();
  ASSERT_EQ(v->Shown(), 1);
  EXPECT_EQ(v->Data_Mem->toPlainText(), "dump line\n");
  {
    DialogScript s;
    s.Then(1);
    v->Del_BitBtn->click();
    EXPECT_EQ(s.Shown(), Shown{"M7901"});
  }
  EXPECT_FALSE(dir.Exists("data/" + kTesuto + ".DMP"));
  EXPECT_TRUE(dir.Exists("data/ab.DMP"));
  EXPECT_EQ(Names(), Shown{"ab"});

  // A folder named in CP932, chosen in the picker: shown decoded, read
  // under its bytes.
  SetPathPicker([&](QWidget*, PathPickRequest& r) {
    r.pathOnDisk = dir.path() + kDeta;
    r.path = NameToQ(r.pathOnDisk);
    return 1;
  });
  v->DataSet_BitBtn->click();
  EXPECT_EQ(v->DataSet_Lbl->text(), NameToQ(dir.path()) + U8("データ"));
  EXPECT_EQ(v->UsrName2_Lbl->text(), "second");
  EXPECT_EQ(Names(), Shown{U8("テスト2").toStdString()});
  v->FileName_OTabLstBox->setCurrentRow(0);
  QApplication::processEvents();
  EXPECT_EQ(v->Data_Mem->toPlainText(), "other\n");
}

}  // namespace
