#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QTest>

#include "orvo/OrvoForms.h"
#include "phone/ui/CsvPick.h"
#include "phone/ui/KTel_Unit.h"
#include "shell/ui/FSelBox_Form.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "tests/link/ui/DialogScript.h"
#include "tests/support/TempDir.h"
#include "tests/support/ui/ModalHelper.h"

namespace {

class KTelForm : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string msgs;
    for (const char* n : {"8001", "8002", "8003", "8004", "8005", "9059"})
      msgs += std::string("J") + n + "=T,M" + n + ",1,0\r\n";
    msgs += "J7021=T,M7021,1,1\r\n";
    dir.Write("MSGDLG.DAT", msgs);
    ASSERT_EQ(::mkdir((dir.path() + "data").c_str(), 0755), 0);
    std::string env = "CONTROL.DAT," + dir.path() + "data";
    for (int i = 2; i < 22; ++i) env += ",";
    dir.Write("ENVIRON.DAT", env + "\r\n");
    adr = dir.Write("in/adr.csv", SjisLines({"\"名前\",\"読み\",\"電話番号\",\"グループ\"",
                                             "山田太郎,ﾔﾏﾀﾞ,03-1234,1", "鈴木,スズキ,99,2"}));
    grp = dir.Write("in/grp.CSV", SjisLines({"\"グループ\",\"グループ名\"", "1,営業部"}));
    Main_SetProgramFolder(dir.path());
    main = new TMain_Frm();
    OrvoForms_CreateFirst();
    main->show();
    QApplication::processEvents();
  }
  void TearDown() override {
    SetCsvPicker({});
    delete KTel_Frm;
    delete main;
    QApplication::processEvents();
  }
  // Answers the file dialogs in turn and records where each started.
  void Pick(std::vector<std::string> files) {
    SetCsvPicker([this, files, n = size_t(0)](QWidget*, const std::string& start, const std::string& sel,
                                              std::string& chosen) mutable {
      starts.push_back(start + "|" + sel);
      if (n >= files.size()) return false;
      chosen = files[n++];
      return true;
    });
  }
  std::string Book() { return dir.Read("data/SdKanjitell.DAT"); }

  TempDir dir;
  TMain_Frm* main = nullptr;
  std::string adr, grp;
  std::vector<std::string> starts;
};

}  // namespace

TEST_F(KTelForm, ImportFromTheMainButtonAndBack) {
  QTest::mouseClick(main->KTel_BitBtn, Qt::LeftButton);
  ASSERT_TRUE(KTel_Frm->isVisible());
  EXPECT_FALSE(main->SB_GB->isVisible());
  EXPECT_EQ(KTel_Frm->windowTitle(), QString::fromUtf8("漢字電話機電話帳"));
  EXPECT_EQ(KTel_Frm->DataFolder(), dir.path() + "data/");

  DialogScript script;
  script.Then(1).Then(1).Then(2).Then(1).Then(1);
  // Nothing chosen, then no title.
  KTel_Frm->Reg_BitBtn->click();
  Pick({adr, grp, adr});
  KTel_Frm->AdrSet_BitBtn->click();
  KTel_Frm->Group_BitBtn->click();
  KTel_Frm->AdrSet_BitBtn->click();  // starts at the chosen file this time
  KTel_Frm->Reg_BitBtn->click();
  // Full-width text cannot be typed or pasted into the title.
  KTel_Frm->Indent_Edit->setFocus();
  for (const char* piece : {"ﾎﾝ", "本", "ｼｬ", "12345678"}) KTel_Frm->Indent_Edit->insert(QString::fromUtf8(piece));
  EXPECT_EQ(KTel_Frm->Indent_Edit->text(), QString::fromUtf8("ﾎﾝｼｬ"));
  KTel_Frm->TimeOn_RadioButton->setChecked(true);
  KTel_Frm->TimeDay_SEdt->setValue(31);
  KTel_Frm->TimeMon_SEdt->setValue(2);
  EXPECT_EQ(KTel_Frm->TimeDay_SEdt->value(), 29);
  KTel_Frm->Reg_BitBtn->click();
  ASSERT_FALSE(Book().empty());
  EXPECT_NE(Book().find("DATA1=" + Sjis("ﾎﾝｼｬ") + "\x06" "02290000\x11\r\n"), std::string::npos);
  EXPECT_NE(Book().find("DATA3=" + Sjis("営業部") + "\x11"), std::string::npos);
  EXPECT_NE(Book().find("DATA2=1\x06" "031234\x06"), std::string::npos);
  ASSERT_EQ(KTel_Frm->Msg_ListView->topLevelItemCount(), 1);
  EXPECT_EQ(KTel_Frm->Msg_ListView->topLevelItem(0)->text(1), "3");

  // A second run asks before replacing; Cancel keeps the file.
  std::string before = Book();
  KTel_Frm->TimeOff_RadioButton->setChecked(true);
  KTel_Frm->Reg_BitBtn->click();
  EXPECT_EQ(Book(), before);

  // A read-only book is reported, and stays as it was.
  ASSERT_EQ(::chmod((dir.path() + "data/SdKanjitell.DAT").c_str(), 0444), 0);
  KTel_Frm->Reg_BitBtn->click();
  EXPECT_EQ(Book(), before);
  EXPECT_TRUE(KTel_Frm->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  EXPECT_EQ(script.Shown(), std::vector<std::string>({"M8001", "M8003", "M7021", "M7021", "M9059"}));
  ASSERT_EQ(starts.size(), 3u);
  EXPECT_EQ(starts[0], dir.path() + "data/|");
  EXPECT_EQ(starts[2], dir.path() + "in/|" + adr);

  KTel_Frm->Ext_BitBtn->click();
  EXPECT_FALSE(KTel_Frm->isVisible());
  EXPECT_TRUE(main->SB_GB->isVisible());
}

// The number fields take digits only, two at most; emptied, they become "1"
// (month, day, group) or "0" (hour, minute) when they lose the focus, and
// also when Register is reached without leaving them.
TEST_F(KTelForm, NumberFieldsTakeDigitsAndRefillWhenEmptied) {
  QTest::mouseClick(main->KTel_BitBtn, Qt::LeftButton);
  TKTel_Frm* f = KTel_Frm;
  ASSERT_TRUE(f->isVisible());
  f->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(f, 3000));
  f->TimeOn_RadioButton->setChecked(true);
  auto type = [&](KTelSpin* s, const char* keys) {
    s->setFocus();
    s->selectAll();
    QTest::keyClick(s, Qt::Key_Backspace);
    QTest::keyClicks(s, keys);
    f->Indent_Edit->setFocus();  // leaves the field
    return s->text().toStdString();
  };
  struct Row {
    KTelSpin* field;
    const char* keys;
    const char* shown;
  } rows[] = {
      {f->KGroup_SEdt, "+7", "7"},   {f->KGroup_SEdt, "-8.", "8"},  {f->KGroup_SEdt, "123", "12"},
      {f->KGroup_SEdt, "", "1"},     {f->TimeMon_SEdt, "45", "12"}, {f->TimeMon_SEdt, "", "1"},
      {f->TimeDay_SEdt, "31", "31"}, {f->TimeDay_SEdt, "", "1"},    {f->TimeHour_SEdt, "9", "9"},
      {f->TimeHour_SEdt, "", "0"},   {f->TimeMin_SEdt, "5", "5"},   {f->TimeMin_SEdt, "", "0"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(type(r.field, r.keys), r.shown) << r.field->objectName().toStdString() << " typed " << r.keys;
  EXPECT_EQ(f->KGroup_SEdt->value(), 1);
  EXPECT_EQ(f->TimeHour_SEdt->value(), 0);

  // Emptied and registered without the focus leaving the field (as by the
  // button's mnemonic): written as group 01.
  Pick({adr, grp});
  f->AdrSet_BitBtn->click();
  f->Group_BitBtn->click();
  f->Indent_Edit->setText("T");
  type(f->KGroup_SEdt, "5");
  f->KGroup_SEdt->setFocus();
  f->KGroup_SEdt->selectAll();
  QTest::keyClick(f->KGroup_SEdt, Qt::Key_Backspace);
  ASSERT_EQ(f->KGroup_SEdt->text(), "");
  ASSERT_TRUE(f->KGroup_SEdt->hasFocus());
  f->Reg_BitBtn->click();  // takes no focus, as the mnemonic
  EXPECT_NE(Book().find("NO=01\x11\r\n"), std::string::npos);
  EXPECT_EQ(f->KGroup_SEdt->text(), "1");
}

// A customer's CSV named on Windows (CP932) is listed by the shared picker
// under its name, beside no other kind of file, and read from the bytes
// chosen.
TEST_F(KTelForm, PickerListsAndReadsAFileNamedInShiftJis) {
  dir.Write("in/" + Sjis("電話帳") + ".csv", SjisLines({"\"名前\",\"読み\",\"電話番号\",\"グループ\"", "佐藤,ｻﾄｳ,0451,3"}));
  dir.Write("in/notes.txt", "x");
  QTest::mouseClick(main->KTel_BitBtn, Qt::LeftButton);
  Pick({grp});
  KTel_Frm->Group_BitBtn->click();
  SetCsvPicker({});
  WhenModal([&](QDialog* d) {
    auto* f = qobject_cast<TFSel_Dlg*>(d);
    ASSERT_TRUE(f && f->GoTo(dir.path() + "in"));
    auto found = f->FSel_FilLstBox->findItems(QString::fromUtf8("電話帳.csv"), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    EXPECT_TRUE(f->FSel_FilLstBox->findItems("notes.txt", Qt::MatchExactly).isEmpty());
    f->FSel_FilLstBox->setCurrentItem(found[0]);
    f->Ok_BitBtn->click();
  });
  KTel_Frm->AdrSet_BitBtn->click();
  KTel_Frm->Indent_Edit->setText("T");
  DialogScript script;
  KTel_Frm->Reg_BitBtn->click();
  EXPECT_NE(Book().find("DATA2=3\x06" "0451\x06"), std::string::npos);
}
