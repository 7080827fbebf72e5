#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QTest>

#include "platform/ui/QtText.h"
#include "shell/ui/Unit_Message.h"
#include "shell/ui/YesNo_Unit.h"
#include "tests/support/ui/ModalHelper.h"

namespace {

TEST(YesNo, YesIsSixNoIsSevenEscIsNo) {
  {
    TDlg_YesNo d;
    EXPECT_EQ(d.Msg_Lbl->text(), U8("一覧編集しますか？"));
    EXPECT_EQ(d.windowTitle(), U8("確認"));
    WhenModal([](QDialog* m) { static_cast<TDlg_YesNo*>(m)->Ok_BitBtn->click(); });
    EXPECT_EQ(d.ShowModal(), 6);
  }
  {
    TDlg_YesNo d;
    WhenModal([](QDialog* m) { static_cast<TDlg_YesNo*>(m)->Cancel_BitBtn->click(); });
    EXPECT_EQ(d.ShowModal(), 7);
  }
  {
    TDlg_YesNo d;
    WhenModal([](QDialog* m) { QTest::keyClick(m, Qt::Key_Escape); });
    EXPECT_EQ(d.ShowModal(), 7);
  }
}

TEST(Message, ShowsAtOnceAndStaysUntilItsOwnerRemovesIt) {
  auto* d = new TDlg_Message;
  d->ShowNow();
  EXPECT_TRUE(d->isVisible());
  EXPECT_FALSE(d->isModal());
  EXPECT_EQ(d->windowTitle(), U8("通知"));
  EXPECT_EQ(d->Msg_Lbl->text(), U8("コマンドファイルをチェックしています。"));
  EXPECT_FALSE(d->close());  // no close by the user
  QTest::keyClick(d, Qt::Key_Escape);
  EXPECT_TRUE(d->isVisible());
  delete d;
}

}  // namespace
