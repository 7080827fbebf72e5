// ORVO_ADMIN's forms under offscreen Qt, on a program folder of their own:
// the main window, the modem list editor and the data-set copy, driven as
// a user would, with every message answered by script.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <random>

#include "tests/admin/ui/AdminFormFixture.h"
#include "platform/ui/QtText.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/FSelBox_Form.h"
#include "tests/link/ui/DialogScript.h"
#include "tests/support/TempDir.h"
#include "tests/support/ui/ModalHelper.h"

namespace {

const char kModems[] = "A,ATZ,ATD,,+++,ATH\r\nB,AT&F|E1,ATX,ATD,+++,ATH0\r\nC,AT,ATD,,,\r\nD,AT,ATD,,+++\r\nE,AT,,,,\r\n";

std::string Messages() {
  std::string s;
  for (const char* n : {"0003", "0302", "0303", "0401", "0402", "0403", "0404", "8045", "9005"})
    s += std::string("J") + n + "=T,M" + n + ",1,0\r\n";
  for (const char* n : {"7004", "7005", "7103"}) s += std::string("J") + n + "=T,M" + n + ",1,1\r\n";
  return s;
}

using Shown = std::vector<std::string>;

class AdminForms : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("MSGDLG.DAT", Messages());
    dir.Write("MODEM.INF", kModems);
    OpenAdminForms(dir.path());
    DataCopy_Frm->CopyPauseMs = 0;
    main = AMain_Frm;
    main->show();
    QApplication::processEvents();
  }
  void TearDown() override { CloseAdminForms(); }
  // The user picks a kind from the list with the keyboard.
  void Pick(int index) {
    QComboBox* c = ModemSet_Frm->Kind_CmbBox;
    QApplication::setActiveWindow(ModemSet_Frm);
    c->setFocus();
    const int from = c->currentIndex();
    for (int i = from; i != index; i += index > from ? 1 : -1)
      QTest::keyClick(c, index > from ? Qt::Key_Down : Qt::Key_Up);
  }
  TempDir dir;
  TAMain_Frm* main = nullptr;
};

// A message that comes up while a question is open is its own dialog: its
// OK never answers the question, which keeps its text.
TEST_F(AdminForms, AMessageWhileAQuestionIsOpenIsItsOwnDialog) {
  int nested = -1;
  QString questionText;
  QDialog* inner = nullptr;
  WhenModal([&](QDialog* d) {
    auto* q = static_cast<TConf_Dlg*>(d);
    WhenModal([&](QDialog* m) {
      inner = m;
      static_cast<TConf_Dlg*>(m)->Ok_BitBtn->click();
    });
    nested = admin::MsgDlg_Show("0302");
    questionText = q->Msg_Lbl->text();
    EXPECT_NE(inner, d);
    EXPECT_TRUE(d->isVisible());
    q->Cancel_BitBtn->click();
  });
  EXPECT_EQ(admin::MsgDlg_Show("7103"), 2);
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(questionText, QString("M7103"));
}

TEST_F(AdminForms, MainWindowOpensEachToolAndEndsOnlyThroughItsButton) {
  EXPECT_EQ(main->windowTitle(), U8("管理者設定"));
  EXPECT_EQ(AdminDir, dir.path());
  for (QPushButton* b : {main->BitBtn1, main->BitBtn2, main->End_BBtn})
    EXPECT_EQ(FromQ(b->text())->size(), 37u) << b->text().toStdString();
  main->close();
  EXPECT_TRUE(main->isVisible());

  for (QWidget* f : {static_cast<QWidget*>(ModemSet_Frm), static_cast<QWidget*>(DataCopy_Frm)}) {
    (f == ModemSet_Frm ? main->BitBtn1 : main->BitBtn2)->click();
    ASSERT_TRUE(f->isVisible());
    EXPECT_FALSE(main->SB_GrpBox->isVisible());
    EXPECT_EQ(f->geometry().left(), main->geometry().left());
    EXPECT_EQ(f->geometry().top(), main->geometry().top() + 20);
    EXPECT_EQ(f->height(), main->height() - 20);
    f->close();  // no border icons: only the back button leaves
    EXPECT_TRUE(f->isVisible());
    QPushButton* back = f == ModemSet_Frm ? ModemSet_Frm->Ext_BitBtn : DataCopy_Frm->Ext_BitBtn;
    EXPECT_EQ(back->shortcut(), QKeySequence("Alt+E"));  // 戻る(&E)
    QApplication::setActiveWindow(f);
    back->setFocus();
    QTest::keyClick(back, Qt::Key_Return);
    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(main->SB_GrpBox->isVisible());
  }
  EXPECT_EQ(ModemSet_Frm->windowTitle(), U8("モデム情報設定"));
  EXPECT_EQ(DataCopy_Frm->windowTitle(), U8("管理者設定データコピー"));

  {
    DialogScript cancel;
    cancel.Then(2);
    main->End_BBtn->click();
    EXPECT_EQ(cancel.Shown(), Shown{"M7103"});
    EXPECT_TRUE(main->isVisible());
  }
  // Without MSGDLG.DAT the question still offers OK and Cancel, and OK ends.
  std::remove((dir.path() + "MSGDLG.DAT").c_str());
  bool bothButtons = false;
  QString text, caption;
  WhenModal([&](QDialog* d) {
    auto* c = qobject_cast<TConf_Dlg*>(d);
    ASSERT_NE(c, nullptr);
    bothButtons = c->Ok_BitBtn->isVisible() && c->Cancel_BitBtn->isVisible() && !c->Help_BitBtn->isVisible();
    text = c->Msg_Lbl->text();
    caption = c->windowTitle();
    QTest::keyClick(c->Ok_BitBtn, Qt::Key_Return);
  });
  QApplication::setActiveWindow(main);
  main->End_BBtn->setFocus();
  QTest::keyClick(main->End_BBtn, Qt::Key_Return);
  EXPECT_TRUE(bothButtons);
  EXPECT_EQ(text, "Can not read messagefile");
  EXPECT_EQ(caption, "");
  EXPECT_FALSE(main->isVisible());
}

TEST_F(AdminForms, ModemEditorSwitchesChecksAndRegistersKinds) {
  main->BitBtn1->click();
  TModemSetFrm* f = ModemSet_Frm;
  QComboBox* kind = f->Kind_CmbBox;
  // The fourth line is short: three kinds, none selected.
  ASSERT_EQ(kind->count(), 3);
  EXPECT_EQ(kind->currentIndex(), -1);
  EXPECT_EQ(kind->currentText(), "");
  EXPECT_EQ(f->Init_Edt->text(), "");

  Pick(1);
  EXPECT_EQ(f->Init_Edt->text(), "AT&F,E1");
  EXPECT_EQ(f->Cut2_Edt->text(), "ATH0");

  // The key filters hold for typing and pasting alike.
  f->Init_Edt->clear();
  QTest::keyClicks(f->Init_Edt, "AT|&F");
  QTest::sendKeyEvent(QTest::Click, f->Init_Edt, Qt::Key_unknown, U8("あ"), Qt::NoModifier);
  QTest::keyClicks(f->Init_Edt, ",E1");
  EXPECT_EQ(f->Init_Edt->text(), "AT&F,E1");
  QTest::keyClicks(f->Init_Edt, "12345678901234567890");
  EXPECT_EQ(f->Init_Edt->text().size(), 20);
  f->Dial2_Edt->insert("|ATDT");
  EXPECT_EQ(f->Dial2_Edt->text(), "ATD");
  f->Dial2_Edt->insert("TATDTATDTATD");  // cut at 10, as the edit's limit cuts a paste
  EXPECT_EQ(f->Dial2_Edt->text(), "ATDTATDTAT");
  f->Dial2_Edt->setText("ATD");
  kind->lineEdit()->insert(",");
  EXPECT_EQ(kind->currentText(), "B");
  kind->lineEdit()->setText("");
  kind->lineEdit()->insert(U8("標準モデム標準モデム標"));  // 22 bytes
  EXPECT_EQ(kind->currentText(), "");
  kind->lineEdit()->insert(U8("標準モデム標準モデム"));
  EXPECT_EQ(kind->currentText(), U8("標準モデム標準モデム"));

  // A tone dial command keeps the kind selected and focuses its edit.
  f->Dial1_Edt->setText("atdt");
  {
    DialogScript s;
    s.Then(1);
    Pick(2);
    EXPECT_EQ(s.Shown(), Shown{"M0003"});
  }
  EXPECT_EQ(kind->currentIndex(), 1);
  EXPECT_EQ(f->focusWidget(), f->Dial1_Edt);
  f->Dial1_Edt->setText("ATX");
  f->Init_Edt->setText("ATZ,E1");
  Pick(0);
  EXPECT_EQ(f->Init_Edt->text(), "ATZ");
  EXPECT_EQ(dir.Read("MODEM.INF"), kModems);  // only Register writes

  // Register: an empty name, a tone dial, then the other spelling of "B".
  {
    DialogScript s;
    s.Then(1).Then(1).Then(1).Then(1);
    kind->setEditText("  ");
    f->Reg_BitBtn->click();
    EXPECT_EQ(f->focusWidget(), kind);
    kind->setEditText("b");
    f->Dial2_Edt->setText("ATDP");
    f->Reg_BitBtn->click();
    EXPECT_EQ(f->focusWidget(), f->Dial2_Edt);
    f->Dial2_Edt->setText("");
    f->Reg_BitBtn->click();
    EXPECT_EQ(s.Shown(), (Shown{"M0303", "M0003", "M7005"}));
  }
  // "b" took the edits shown; "A", selected before, kept its own commands.
  EXPECT_EQ(dir.Read("MODEM.INF"), "A,ATZ,ATD,,+++,ATH\r\nb,ATZ,ATD,,+++,ATH\r\nC,AT,ATD,,,\r\n");
  EXPECT_EQ(kind->count(), 3);
  EXPECT_EQ(kind->itemText(1), "b");
  EXPECT_EQ(kind->currentIndex(), 1);

  // A switch now stores the edits into "b", the kind registered.
  f->Cut2_Edt->setText("ATH1");
  Pick(2);
  Pick(1);
  EXPECT_EQ(f->Cut2_Edt->text(), "ATH1");

  // A new kind, registered with Enter on the focused button.
  {
    DialogScript s;
    s.Then(1);
    kind->setEditText(U8(" 新モデム "));
    f->Init_Edt->setText("AT,Q0");
    QApplication::setActiveWindow(f);
    f->Reg_BitBtn->setFocus();
    QTest::keyClick(f->Reg_BitBtn, Qt::Key_Return);
    EXPECT_EQ(s.Shown(), Shown{"M7005"});
  }
  EXPECT_EQ(kind->count(), 4);
  EXPECT_EQ(kind->currentIndex(), 3);
  // The whole list is written: "b" with the edits it took on the switch.
  EXPECT_EQ(dir.Read("MODEM.INF"), "A,ATZ,ATD,,+++,ATH\r\nb,ATZ,ATD,,+++,ATH1\r\nC,AT,ATD,,,\r\n" +
                                       Sjis(" 新モデム ") + ",AT|Q0,ATD,,+++,ATH1\r\n");

  // Cancel on the overwrite question writes nothing; a new show reads the file again.
  {
    DialogScript s;
    s.Then(2);
    kind->setEditText("Z");
    f->Reg_BitBtn->click();
    EXPECT_EQ(s.Shown(), Shown{"M7005"});
  }
  EXPECT_EQ(kind->count(), 4);
  f->Ext_BitBtn->click();
  dir.Write("MODEM.INF", "X,ATZ,ATD,,+++,ATH\r\n");
  main->BitBtn1->click();
  EXPECT_EQ(kind->count(), 1);
  EXPECT_EQ(kind->currentIndex(), -1);
  EXPECT_EQ(f->Cut2_Edt->text(), "");
}

// MODEM.INF may hold a 21-character initialisation command; the edit takes
// 20 when typed. Showing that kind and registering another writes it back
// whole; typing past 20 is still refused.
TEST_F(AdminForms, ModemEditorKeepsAStoredCommandLongerThanItsEdit) {
  const std::string longInit = "AT&F0E1V1Q0X4S0=0&C1D";
  ASSERT_EQ(longInit.size(), 21u);
  dir.Write("MODEM.INF", "L," + longInit + ",ATD,,+++,ATH\r\nS,ATZ,ATD,,+++,ATH\r\n");
  main->BitBtn1->click();
  TModemSetFrm* f = ModemSet_Frm;
  Pick(0);
  EXPECT_EQ(f->Init_Edt->text().toStdString(), longInit);
  QApplication::setActiveWindow(f);
  f->Init_Edt->setFocus();
  f->Init_Edt->end(false);
  QTest::keyClicks(f->Init_Edt, "X");
  EXPECT_EQ(f->Init_Edt->text().toStdString(), longInit);  // no growth past the stored value

  Pick(1);
  {
    DialogScript s;
    s.Then(1);
    f->Reg_BitBtn->click();
    EXPECT_EQ(s.Shown(), Shown{"M7005"});
  }
  EXPECT_EQ(dir.Read("MODEM.INF"), "L," + longInit + ",ATD,,+++,ATH\r\nS,ATZ,ATD,,+++,ATH\r\n");

  // Shortened by the user, the edit is back at its limit for typing.
  Pick(0);
  EXPECT_EQ(f->Init_Edt->text().toStdString(), longInit);
  f->Init_Edt->setFocus();
  f->Init_Edt->end(false);
  QTest::keyClick(f->Init_Edt, Qt::Key_Backspace);
  QTest::keyClicks(f->Init_Edt, "YZ");
  EXPECT_EQ(f->Init_Edt->text().toStdString(), longInit.substr(0, 20));
  // Another kind's short command is not held to the long one's length.
  Pick(1);
  f->Init_Edt->setFocus();
  f->Init_Edt->end(false);
  QTest::keyClicks(f->Init_Edt, "12345678901234567890");
  EXPECT_EQ(f->Init_Edt->text().size(), 20);
}

TEST_F(AdminForms, DataCopyChecksFoldersAsksAndCopies) {
  dir.Write("Dump.Hlp", "dump\r\n");
  TempDir target;
  target.Write("modem.inf", "old");
  target.Write("Dump.Hlp", "old dump");
  main->BitBtn2->click();
  TDataCopyFrm* f = DataCopy_Frm;
  std::string src = dir.path().substr(0, dir.path().size() - 1);
  EXPECT_EQ(f->Source(), src);
  EXPECT_EQ(f->MotoDir_Lbl->text().toStdString(), src);
  EXPECT_EQ(f->SakiDir_Lbl->text(), "");
  {
    DialogScript s;
    s.Then(1);
    f->FileCopy_BitBtn->click();
    EXPECT_EQ(s.Shown(), Shown{"M0402"});
  }

  // The picker starts in the shown folder and puts the chosen one in the label.
  std::string started;
  auto choose = [&](const std::string& to) {
    WhenModal([&started, to](QDialog* d) {
      auto* p = qobject_cast<TFSel_Dlg*>(d);
      ASSERT_NE(p, nullptr);
      started = p->Directory();
      p->GoTo(to);
      p->Ok_BitBtn->click();
    });
  };
  choose(target.path());
  f->Saki_BitBtn->click();
  EXPECT_EQ(started, src);  // no target yet: AdminDir
  EXPECT_EQ(f->Target(), target.path().substr(0, target.path().size() - 1));
  EXPECT_EQ(f->SakiDir_Lbl->text().toStdString(), f->Target());

  {
    DialogScript s;
    s.Then(1).Then(2);
    f->FileCopy_BitBtn->click();
    EXPECT_EQ(s.Shown(), (Shown{"M7005", "M7004"}));
    EXPECT_EQ(target.Read("modem.inf"), "old");
  }
  {
    DialogScript s;
    s.Then(1).Then(1);
    EXPECT_EQ(f->FileCopy_BitBtn->shortcut(), QKeySequence("Alt+C"));  // コピー(&C)
    QApplication::setActiveWindow(f);
    f->FileCopy_BitBtn->setFocus();
    QTest::keyClick(f->FileCopy_BitBtn, Qt::Key_Return);
    EXPECT_EQ(s.Shown(), (Shown{"M7005", "M7004"}));
  }
  EXPECT_TRUE(f->isEnabled());
  EXPECT_EQ(target.Read("modem.inf"), kModems);
  EXPECT_FALSE(target.Exists("MODEM.INF"));
  EXPECT_EQ(target.Read("Dump.Hlp"), "dump\r\n");
  EXPECT_FALSE(target.Exists("MSGDLG.DAT"));  // not part of the set

  // The source picked as the target's other spelling is the same folder.
  choose(target.path() + ".");
  f->Moto_BitBtn->click();
  EXPECT_EQ(started, src);
  f->SetSource(target.path() + "../" + target.path().substr(target.path().rfind('/', target.path().size() - 2) + 1));
  {
    DialogScript s;
    s.Then(1);
    f->FileCopy_BitBtn->click();
    EXPECT_EQ(s.Shown(), Shown{"M0404"});
  }
  // A path wider than its label keeps the folder's own name in sight.
  const std::string longPath = "/media/" + std::string(80, 'x') + U8("/顧客の控え").toStdString();
  f->SetSource(longPath);
  EXPECT_TRUE(f->MotoDir_Lbl->text().endsWith(U8("/顧客の控え"))) << f->MotoDir_Lbl->text().toStdString();
  EXPECT_LE(f->MotoDir_Lbl->fontMetrics().horizontalAdvance(f->MotoDir_Lbl->text()), f->MotoDir_Lbl->contentsRect().width());
  EXPECT_EQ(f->MotoDir_Lbl->toolTip().toStdString(), longPath);
  f->SetSource(dir.path() + "gone");
  {
    DialogScript s;
    s.Then(1);
    f->FileCopy_BitBtn->click();
    EXPECT_EQ(s.Shown(), Shown{"M0401"});
  }
  f->Ext_BitBtn->click();
  EXPECT_TRUE(main->SB_GrpBox->isVisible());
  EXPECT_EQ(main->focusWidget(), main->BitBtn2);
}

TEST_F(AdminForms, ButtonsInAnyOrderNeverBreakTheForms) {
  std::mt19937 rng(25);
  DialogScript cancelAll;  // every question and picker is answered with Cancel
  for (int round = 0; round < 60; ++round) {
    std::vector<QPushButton*> buttons;
    for (QWidget* w : {static_cast<QWidget*>(main), static_cast<QWidget*>(ModemSet_Frm),
                       static_cast<QWidget*>(DataCopy_Frm)})
      if (w->isVisible())
        for (QPushButton* b : w->findChildren<QPushButton*>())
          if (b->isVisible() && b->isEnabled()) buttons.push_back(b);
    ASSERT_FALSE(buttons.empty());
    buttons[rng() % buttons.size()]->click();
    if (ModemSet_Frm->isVisible() && rng() % 3 == 0) ModemSet_Frm->Kind_CmbBox->setEditText("k");
    EXPECT_EQ(main->SB_GrpBox->isVisible(), !ModemSet_Frm->isVisible() && !DataCopy_Frm->isVisible());
  }
  EXPECT_TRUE(main->isVisible());
  EXPECT_EQ(dir.Read("MODEM.INF"), kModems);
}

}  // namespace
