// KV_EDIT's file list on a command file whose name is CP932 bytes, as
// unpacked from an archive made on Windows: listed decoded, read and
// registered under its own bytes, no second file made.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <filesystem>

#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "tests/kv_edit/ui/KvFormFixture.h"
#include "tests/support/ui/ModalHelper.h"

namespace {

const std::string kTesuto = "\x83\x65\x83\x58\x83\x67";  // "テスト" in CP932

class KvNames : public KvFormFixture {
 protected:
  void SetUp() override {
    std::string office;
    ASSERT_TRUE(fsys::ReadFile(Source() + "/sample/KV_EDIT/data/Office.CMD", office));
    d.Write(kTesuto + ".cmd", office);
    d.Write("Plain.cmd", office);
    OpenForms();
  }
};

TEST_F(KvNames, AShiftJisNameIsListedReadAndRegisteredUnderItsBytes) {
  ASSERT_EQ(main->Com_LstBox->count(), 2);
  int row = -1;
  for (int i = 0; i < main->Com_LstBox->count(); ++i)
    if (main->Com_LstBox->item(i)->text().startsWith(U8("テスト\t"))) row = i;
  ASSERT_GE(row, 0) << main->Com_LstBox->item(0)->text().toStdString();

  main->Dsyu_LstBox->setCurrentRow(main->Dsyu_LstBox->count() - 1);  // the command-file heading
  main->Com_LstBox->setCurrentRow(row);
  main->Def_BitBtn->click();
  ASSERT_TRUE(grid->isVisible());
  EXPECT_EQ(kv::Data_File, d.path() + kTesuto + ".cmd");
  EXPECT_EQ(grid->Cell(1, 1), "03#1234*");

  grid->SetCell(1, 3, "999");
  {
    NoModal none;  // registering under the name on disk asks nothing
    grid->Reg_BitBtn->click();
    QTest::qWait(100);
  }
  std::vector<std::string> tel(601);
  int count = 0;
  ASSERT_EQ(kv::Read_SectionBlock(d.path() + kTesuto + ".cmd", "/M13/", "BLK=050;", tel, 600, count), "");
  EXPECT_EQ(kv::NumberOfRow(tel, 3), "999");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(d.path()), {}), 2);
}

}  // namespace
