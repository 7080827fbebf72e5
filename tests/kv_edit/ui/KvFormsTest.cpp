// KV_EDIT's two windows and its message dialog under offscreen Qt, on a copy
// of the sample data folder: listing, choosing, reading, editing under the
// key rules, Register and its refusals, and the way back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <filesystem>
#include <sys/stat.h>

#include "platform/ui/QtText.h"
#include "shell/ui/FSelBox_Form.h"
#include "tests/kv_edit/ui/KvFormFixture.h"
#include "tests/support/ui/ModalHelper.h"
#include "tests/support/ui/PathShown.h"

namespace {

// Answers the next message dialog: remembers its text and presses a button.
struct Answer {
  QString text, caption;
  bool shown = false;
  void Next(int button) {
    WhenModal([this, button](QDialog* d) {
      auto* c = qobject_cast<Tconf_dlg*>(d);
      if (!c) return;
      shown = true;
      text = c->Msg_Lbl->text();
      caption = c->windowTitle();
      if (button == 1) c->Ok_BitBtn->click();
      else if (button == 2) c->Cancel_BitBtn->click();
      else QTest::keyClick(c, Qt::Key_Escape);
    });
  }
};

class KvForms : public KvFormFixture {
 protected:
  void SetUp() override {
    for (const auto& e : std::filesystem::directory_iterator(Source() + "/sample/KV_EDIT/data"))
      std::filesystem::copy_file(e.path(), d.path() + e.path().filename().string());
    OpenForms();
  }
  QLineEdit* Editor() { return grid->DEdt_Grid->Delegate()->editor; }
  // Typing goes to the end of the cell (entering a cell selects its text).
  void Type(const QString& s) {
    Editor()->end(false);
    for (QChar ch : s) QTest::sendKeyEvent(QTest::Click, Editor(), Qt::Key_unknown, QString(ch), Qt::NoModifier);
  }
  void Choose(QListWidget* list, int row) { list->setCurrentRow(row); }
};

// A message that comes up while a question is open is its own dialog: its
// OK never answers the question, which keeps its text.
TEST_F(KvForms, AMessageWhileAQuestionIsOpenIsItsOwnDialog) {
  int nested = -1;
  QString questionText;
  QDialog* inner = nullptr;
  WhenModal([&](QDialog* d) {
    auto* q = static_cast<Tconf_dlg*>(d);
    WhenModal([&](QDialog* m) {
      inner = m;
      static_cast<Tconf_dlg*>(m)->Ok_BitBtn->click();
    });
    nested = kv::MsgDlg_Show("3006");
    questionText = q->Msg_Lbl->text();
    EXPECT_NE(inner, d);
    EXPECT_TRUE(d->isVisible());
    q->Cancel_BitBtn->click();
  });
  EXPECT_EQ(kv::MsgDlg_Show("3001"), 2);
  EXPECT_EQ(nested, 1);
  EXPECT_TRUE(questionText.startsWith(U8("発信電話番号またはカナ名の定義が")));
}

TEST_F(KvForms, ListChooseReadEditRegisterAndBack) {
  EXPECT_EQ(main->windowTitle(), U8("発信電話番号編集ソフトウェア"));
  EXPECT_EQ(grid->windowTitle(), U8("発信電話番号/カナ名定義"));
  EXPECT_EQ(main->Dsyu_LstBox->TabStops(), (std::vector<int>{130, 295, 340}));
  std::string dir = d.path().substr(0, d.path().size() - 1);
  EXPECT_EQ(kv::Data_Dir, dir);

  // The three data kinds; the title cut at 24 bytes, kanji whole.
  ASSERT_EQ(main->Dsyu_LstBox->count(), 3);
  std::string date, time;
  kv::Get_FileStamp(d.path() + "PrgSetAll.DAT", date, time);
  EXPECT_EQ(main->Dsyu_LstBox->item(0)->text(),
            U8("プログラム設定データ（全て）\tABC本社プログラム設定全\t") + U8(date.c_str()) + "\t" + U8(time.c_str()));
  EXPECT_TRUE(main->Dsyu_LstBox->item(1)->text().startsWith(U8("機能メニュー関連セーブ\tAB機能メニュー関連のセー\t")));
  EXPECT_EQ(main->Dsyu_LstBox->item(2)->text(), U8("コマンドファイル"));
  ASSERT_EQ(main->Com_LstBox->count(), 3);
  EXPECT_TRUE(main->Com_LstBox->item(0)->text().startsWith("Branch_Office_Second_Floor_Rec..\t"));
  EXPECT_TRUE(main->Com_LstBox->item(2)->text().startsWith("Office\t"));
  EXPECT_TRUE(main->Prg_GrpBox->isHidden());
  EXPECT_FALSE(main->Def_BitBtn->isEnabled());
  main->Def_BitBtnClick();  // nothing chosen: nothing happens
  EXPECT_TRUE(grid->isHidden());

  // The heading shows the command files; a file enables Def.
  Choose(main->Dsyu_LstBox, 0);
  EXPECT_TRUE(main->Def_BitBtn->isEnabled());
  Choose(main->Dsyu_LstBox, 2);
  EXPECT_FALSE(main->Prg_GrpBox->isHidden());
  EXPECT_FALSE(main->Def_BitBtn->isEnabled());
  Choose(main->Com_LstBox, 2);
  EXPECT_TRUE(main->Def_BitBtn->isEnabled());
  QTest::keyClick(main->Def_BitBtn, Qt::Key_Return);  // Enter on the focused button
  ASSERT_TRUE(grid->isVisible());
  EXPECT_TRUE(main->isHidden());
  EXPECT_EQ(kv::Data_File, d.path() + "Office.CMD");
  EXPECT_EQ(grid->Cell(1, 1), "03#1234*");
  EXPECT_EQ(grid->Cell(2, 1), U8("ｼﾃﾝ"));
  EXPECT_EQ(grid->DEdt_Grid->currentRow(), 0);
  EXPECT_EQ(grid->DEdt_Grid->currentColumn(), 0);
  ASSERT_TRUE(grid->DEdt_Grid->Editing());
  ASSERT_TRUE(Editor());
  EXPECT_EQ(grid->focusWidget(), Editor());  // keys go into the cell

  // Number column: digits, "#" and "*" only, at most 20; paste obeys too.
  Type("5a#");
  EXPECT_EQ(Editor()->text(), "03#1234*5#");
  Editor()->insert("9x");
  EXPECT_EQ(Editor()->text(), "03#1234*5#");
  Type("1234567890123");
  EXPECT_EQ(Editor()->text(), "03#1234*5#1234567890");
  QTest::keyClick(Editor(), Qt::Key_Return);  // Enter moves on like Tab
  EXPECT_EQ(grid->Cell(1, 1), "03#1234*5#1234567890");
  EXPECT_EQ(grid->DEdt_Grid->currentColumn(), 1);
  ASSERT_TRUE(grid->DEdt_Grid->Editing());

  // Name column: codes 32-124 and 161-223, single-byte, at most 10.
  Type(U8("ﾟ}~漢 |A"));
  EXPECT_EQ(Editor()->text(), U8("ｼﾃﾝﾟ |A"));
  Type(U8("ｱｲｳｴ"));
  EXPECT_EQ(Editor()->text(), U8("ｼﾃﾝﾟ |Aｱｲｳ"));
  QTest::keyClick(Editor(), Qt::Key_Tab);
  EXPECT_EQ(grid->Cell(2, 1), U8("ｼﾃﾝﾟ |Aｱｲｳ"));
  EXPECT_EQ(grid->DEdt_Grid->currentRow(), 1);
  // Ctrl+Tab leaves the grid for Register, keeping the text typed.
  ASSERT_TRUE(grid->DEdt_Grid->Editing());
  const QString read = Editor()->text();
  Type("77");
  QTest::keyClick(Editor(), Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(grid->Cell(1, 2), read + "77");
  EXPECT_EQ(grid->focusWidget(), grid->Reg_BitBtn);
  grid->SetCell(1, 2, read);

  // A number read with letters: Register shows the row, writes nothing.
  std::string before = d.Read("Office.CMD");
  grid->SetCell(1, 90, "12A");
  Answer a;
  a.Next(1);
  grid->Reg_BitBtn->click();
  EXPECT_TRUE(a.shown);
  EXPECT_TRUE(a.text.contains(U8("発信電話番号に使用できない文字"))) << a.text.toStdString();
  EXPECT_EQ(grid->DEdt_Grid->currentRow(), 89);
  EXPECT_EQ(grid->DEdt_Grid->currentColumn(), 0);
  EXPECT_EQ(grid->TopRow(), 84);
  ASSERT_TRUE(grid->DEdt_Grid->Editing());
  EXPECT_EQ(d.Read("Office.CMD"), before);
  // The letter may be deleted, not typed again.
  Type("B");
  EXPECT_EQ(Editor()->text(), "12A");
  QTest::keyClick(Editor(), Qt::Key_Backspace);
  EXPECT_EQ(Editor()->text(), "12");

  // Register writes both blocks, with no message after; the rest of the
  // file stays.
  {
    NoModal none;
    grid->Reg_BitBtn->click();
  }
  std::string after = d.Read("Office.CMD");
  EXPECT_NE(after.find(Sjis("!支店 発信番号\r\n/M10/   ! カナ名\r\nBLK=073;\r\n0001=188>195>221>223>32>124>65>177>178>179>32>")),
            std::string::npos);
  EXPECT_NE(after.find(Sjis("/M13/ ! 発信番号\r\nBLK=050;\r\n0001=03#1>234*>5#12>3456>7890>>>>>>>>>>>>>>>>>>")),
            std::string::npos);
  std::string tail = Sjis("/M30/\r\n001=200,01,ｿｳﾑ;\r\n");
  EXPECT_EQ(after.substr(after.size() - tail.size()), tail);
  std::vector<std::string> tel(601);
  int count = 0;
  ASSERT_EQ(kv::Read_SectionBlock(d.path() + "Office.CMD", "/M13/", "BLK=050;", tel, 600, count), "");
  EXPECT_EQ(kv::NumberOfRow(tel, 90), "12");

  // A read-only file: "3002", unchanged.
  ::chmod((d.path() + "Office.CMD").c_str(), 0444);
  grid->SetCell(1, 3, "999");
  Answer ro;
  ro.Next(1);
  grid->Reg_BitBtn->click();
  EXPECT_TRUE(ro.text.contains(U8("読み取り専用")));
  EXPECT_EQ(d.Read("Office.CMD"), after);
  ::chmod((d.path() + "Office.CMD").c_str(), 0644);

  // Neither window closes but through its button.
  grid->close();
  EXPECT_TRUE(grid->isVisible());
  grid->Bac_BitBtn->click();
  EXPECT_TRUE(grid->isHidden());
  EXPECT_TRUE(main->isVisible());
  main->close();
  EXPECT_TRUE(main->isVisible());

  // A file without /M13/: "3001"; Cancel and Esc stay here, OK goes on.
  Choose(main->Com_LstBox, 1);
  for (int button : {2, 0}) {
    Answer m;
    m.Next(button);
    main->Def_BitBtn->click();
    EXPECT_TRUE(m.shown);
    EXPECT_EQ(m.caption, U8("確認"));
    EXPECT_TRUE(grid->isHidden());
    EXPECT_TRUE(main->isVisible());
  }
  Answer ok;
  ok.Next(1);
  main->Def_BitBtn->click();
  EXPECT_TRUE(ok.shown);
  ASSERT_TRUE(grid->isVisible());
  EXPECT_EQ(grid->Cell(1, 1), "");  // what the last file held is gone
  EXPECT_EQ(grid->Cell(1, 90), "");
  EXPECT_EQ(grid->Cell(2, 1), U8("ｳｹﾂｹ"));
  grid->Bac_BitBtnClick();

  // A double click on the program-setting data reads it at once.
  Choose(main->Dsyu_LstBox, 0);
  EXPECT_TRUE(main->Com_LstBox->selectedItems().isEmpty());
  main->Dsyu_LstBoxDblClick();
  ASSERT_TRUE(grid->isVisible());
  EXPECT_EQ(grid->Cell(1, 1), "0312345678");
  EXPECT_EQ(grid->Cell(1, 4), "");  // a group of five characters
  EXPECT_EQ(grid->Cell(2, 2), "   AB");
  EXPECT_EQ(grid->Cell(2, 1), U8("ﾔﾏﾀﾞ ﾀﾛｳ"));
  grid->Bac_BitBtnClick();

  // Another folder: the lists follow it. A deep one keeps its own name in
  // sight.
  const std::string empty = d.path() + DeepFolder("empty");
  std::filesystem::create_directories(empty);
  WhenModal([&](QDialog* dlg) {
    if (auto* f = qobject_cast<TFSel_Dlg*>(dlg)) {
      f->GoTo(empty);
      f->Ok_BitBtn->click();
    }
  });
  main->Chg_BitBtn->click();
  EXPECT_EQ(kv::Data_Dir, empty);
  EXPECT_TRUE(PathCut(main->label1, QString::fromStdString(empty)));
  EXPECT_EQ(main->Dsyu_LstBox->count(), 0);
  EXPECT_EQ(main->Com_LstBox->count(), 0);
  EXPECT_FALSE(main->Def_BitBtn->isEnabled());
  EXPECT_TRUE(main->Prg_GrpBox->isHidden());

  main->Exit_BitBtn->click();
  EXPECT_TRUE(main->isHidden());
}

TEST_F(KvForms, DamagedFilesAndButtonsInAnyOrder) {
  // Buttons before anything was read never write.
  grid->Reg_BitBtnClick();
  grid->Bac_BitBtnClick();
  main->Com_LstBoxDblClick();
  main->Dsyu_LstBoxDblClick();
  EXPECT_TRUE(grid->isHidden());

  // Bytes that are no Shift-JIS, a name code out of range, a block cut short.
  static const char raw[] =
      "!\x81\r\n/M10/\r\nBLK=073;\r\n0001=65>\xff\xfe>300>66\r\n/M13/\r\nBLK=050;\r\n0001=\x82\xa0>\x80;\r\n";
  d.Write("bad.cmd", std::string(raw, sizeof raw - 1));
  std::string bad = d.Read("bad.cmd");
  main->List_Refresh();
  int row = -1;
  for (int i = 0; i < main->Com_LstBox->count(); ++i)
    if (main->Com_LstBox->item(i)->text().startsWith("bad\t")) row = i;
  ASSERT_GE(row, 0);
  Choose(main->Dsyu_LstBox, main->CmdRow());
  Choose(main->Com_LstBox, row);
  main->Def_BitBtn->click();
  ASSERT_TRUE(grid->isVisible());
  EXPECT_EQ(grid->Cell(2, 1), "A");
  // The number holds characters that are no number characters: refused.
  Answer a;
  a.Next(1);
  grid->Reg_BitBtn->click();
  EXPECT_TRUE(a.text.contains(U8("発信電話番号に使用できない文字")));
  EXPECT_EQ(d.Read("bad.cmd"), bad);
  grid->Bac_BitBtn->click();

  // A file that vanished after the listing: "3002", stays on the main window.
  std::filesystem::remove(d.path() + "bad.cmd");
  Answer gone;
  gone.Next(1);
  main->Def_BitBtn->click();
  EXPECT_TRUE(gone.text.contains(U8("ファイルを開けない")));
  EXPECT_TRUE(grid->isHidden());
  EXPECT_FALSE(d.Exists("bad.cmd"));
}

}  // namespace
