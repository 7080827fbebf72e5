#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QTest>

#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/Input_Unit.h"
#include "tests/support/TempDir.h"
#include "tests/support/ui/ModalHelper.h"

namespace {

class Dialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("MSGDLG.DAT", SjisLines({"J7102=終了,終了しますか？$(CR)二行目,1,1",
                                       "J0501=エラー,読めません。,1,0",
                                       "J0002=なし,ボタンなし,0,2",
                                       "J0003=取消,取消のみ,0,1",
                                       "J9508=チェック,使用できない文字,1,0"}));
    dir.Write("INPDLG.DAT", SjisLines({"J1202=パスワード,入力してください,パスワード,8,*,,1,1",
                                       "J1701=ファイル名,名前,名前,20,,\\/:,1,1"}));
    ProgramDir = dir.path();
  }
  TempDir dir;
};

TEST_F(Dialogs, MessageShowsTextButtonsAndReturnsThePress) {
  QString text;
  bool cancelVisible = false;
  WhenModal([&](QDialog* d) {
    auto* c = static_cast<TConf_Dlg*>(d);
    text = c->Msg_Lbl->text();
    cancelVisible = c->Cancel_BitBtn->isVisible();
    c->Ok_BitBtn->click();
  });
  EXPECT_EQ(MsgDlg_Show("7102"), 1);
  EXPECT_EQ(text, U8("終了しますか？\n二行目"));
  EXPECT_TRUE(cancelVisible);

  CancelRequested = 0;
  WhenModal([](QDialog* d) { static_cast<TConf_Dlg*>(d)->Cancel_BitBtn->click(); });
  EXPECT_EQ(MsgDlg_Show("7102"), 2);
  EXPECT_EQ(CancelRequested.load(), 1);
}

TEST_F(Dialogs, EscapeCancelsOnlyWhereCancelIsShown) {
  // OK only: Esc is ignored, the dialog stays until OK.
  bool stillOpen = false;
  WhenModal([&](QDialog* d) {
    QTest::keyClick(d, Qt::Key_Escape);
    stillOpen = d->isVisible();
    d->close();
    stillOpen = stillOpen && d->isVisible();
    static_cast<TConf_Dlg*>(d)->Ok_BitBtn->click();
  });
  EXPECT_EQ(MsgDlg_Show("0501"), 1);
  EXPECT_TRUE(stillOpen);

  WhenModal([](QDialog* d) { QTest::keyClick(d, Qt::Key_Escape); });
  EXPECT_EQ(MsgDlg_Show("0003"), 2);
}

TEST_F(Dialogs, AMessageWithoutButtonsStillGetsOk) {
  bool okVisible = false;
  WhenModal([&](QDialog* d) {
    auto* c = static_cast<TConf_Dlg*>(d);
    okVisible = c->Ok_BitBtn->isVisible();
    c->Ok_BitBtn->click();
  });
  EXPECT_EQ(MsgDlg_Show("0002"), 1);
  EXPECT_TRUE(okVisible);
}

TEST_F(Dialogs, UnknownNumberShowsTheFallback) {
  QString text;
  WhenModal([&](QDialog* d) {
    text = static_cast<TConf_Dlg*>(d)->Msg_Lbl->text();
    static_cast<TConf_Dlg*>(d)->Ok_BitBtn->click();
  });
  EXPECT_EQ(MsgDlg_Show("4444"), 1);
  EXPECT_EQ(text, QString("Can not read messagefile"));
}

TEST_F(Dialogs, ProgressBoxOnlyChangesTextsAndReturnsZero) {
  if (!Conf_Dlg) Conf_Dlg = new TConf_Dlg();
  Conf_Dlg->BeginProgress(U8("印刷中"), U8("しばらくお待ちください..."));
  EXPECT_TRUE(Conf_Dlg->isVisible());
  EXPECT_EQ(CancelRequested.load(), 0);
  EXPECT_EQ(MsgDlg_Show("0501"), 0);
  EXPECT_EQ(Conf_Dlg->Msg_Lbl->text(), U8("読めません。"));
  Conf_Dlg->Cancel_BitBtn->show();
  Conf_Dlg->Cancel_BitBtn->click();
  EXPECT_EQ(CancelRequested.load(), 1);
  EXPECT_TRUE(Conf_Dlg->isVisible());  // the loop hides it, not the button
  Conf_Dlg->EndProgress();
  EXPECT_FALSE(Conf_Dlg->isVisible());
}

// A message that comes up while a question is open (a queued or timed
// call running inside the question's own modal loop) is a dialog of its
// own: its OK returns to its caller, and the question keeps its text and
// waits for its own answer.
TEST_F(Dialogs, AMessageWhileAQuestionIsOpenIsItsOwnDialog) {
  QDialog* question = nullptr;
  QDialog* message = nullptr;
  QString questionTextAfter, messageText;
  int nested = -1;
  bool questionStillOpen = false;
  WhenModal([&](QDialog* d) {
    question = d;
    WhenModal([&](QDialog* m) {
      message = m;
      messageText = static_cast<TConf_Dlg*>(m)->Msg_Lbl->text();
      static_cast<TConf_Dlg*>(m)->Ok_BitBtn->click();
    });
    nested = MsgDlg_Show("0501");
    questionStillOpen = d->isVisible();
    questionTextAfter = static_cast<TConf_Dlg*>(d)->Msg_Lbl->text();
    static_cast<TConf_Dlg*>(d)->Cancel_BitBtn->click();
  });
  EXPECT_EQ(MsgDlg_Show("7102"), 2);
  EXPECT_EQ(nested, 1);
  EXPECT_NE(message, question);
  EXPECT_EQ(messageText, U8("読めません。"));
  EXPECT_TRUE(questionStillOpen);
  EXPECT_EQ(questionTextAfter, U8("終了しますか？\n二行目"));

  // The same for a prompt asked while another prompt is open.
  std::string outer = "keep", inner;
  WhenModal([&](QDialog* d) {
    auto* first = static_cast<TInput_Dlg*>(d);
    QTest::keyClicks(first->Input_Edt, "abc");
    WhenModal([&](QDialog* m) {
      auto* second = static_cast<TInput_Dlg*>(m);
      EXPECT_NE(second, first);
      QTest::keyClicks(second->Input_Edt, "x");
      second->Ok_BitBtn->click();
    });
    EXPECT_EQ(InpDlg_Show("1202", inner), 1);
    EXPECT_EQ(first->Input_Edt->text(), QString("abc"));
    first->Ok_BitBtn->click();
  });
  EXPECT_EQ(InpDlg_Show("1701", outer), 1);
  EXPECT_EQ(outer, "abc");
  EXPECT_EQ(inner, "x");
}

TEST_F(Dialogs, InputReturnsTextOnlyOnOk) {
  std::string value = "old";
  WhenModal([](QDialog* d) {
    auto* i = static_cast<TInput_Dlg*>(d);
    EXPECT_EQ(i->Input_Edt->echoMode(), QLineEdit::Password);
    QTest::keyClicks(i->Input_Edt, "secret12345");
    i->Ok_BitBtn->click();
  });
  EXPECT_EQ(InpDlg_Show("1202", value), 1);
  EXPECT_EQ(value, "secret12");  // at most 8 bytes

  WhenModal([](QDialog* d) {
    auto* i = static_cast<TInput_Dlg*>(d);
    QTest::keyClicks(i->Input_Edt, "x");
    i->Cancel_BitBtn->click();
  });
  EXPECT_EQ(InpDlg_Show("1202", value), 2);
  EXPECT_EQ(value, "secret12");
}

TEST_F(Dialogs, ForbiddenCharactersAreRefusedTypedOrPasted) {
  std::string value;
  QString refused;
  WhenModal([&refused](QDialog* d) {
    auto* i = static_cast<TInput_Dlg*>(d);
    QTest::keyClicks(i->Input_Edt, "a\\b:c/d");
    // A pasted text with a forbidden character is refused whole.
    i->Input_Edt->insert("x/y");
    // A character whose trail byte is 0x5C is no backslash.
    i->Input_Edt->insert(U8("表"));
    // Nor is a character with no CP932 form accepted.
    i->Input_Edt->insert(U8("é"));
    // Set by a program (the accessibility interface), such a text is told
    // on OK with 9508, and the prompt stays.
    const QString typed = i->Input_Edt->text();
    i->Input_Edt->setText(typed + U8("é"));
    WhenModal([&refused](QDialog* m) {
      refused = static_cast<TConf_Dlg*>(m)->Msg_Lbl->text();
      m->done(1);
    });
    i->Ok_BitBtn->click();
    i->Input_Edt->setText(typed);
    i->Ok_BitBtn->click();
  });
  EXPECT_EQ(InpDlg_Show("1701", value), 1);
  EXPECT_EQ(refused, U8("使用できない文字"));
  EXPECT_EQ(value, "abcd" + Sjis("表"));
  EXPECT_EQ(ForbiddenChars, "\\/:");
}

}  // namespace
