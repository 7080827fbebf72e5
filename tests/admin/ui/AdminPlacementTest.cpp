// ORVO_ADMIN's message dialog stands at the screen's centre, also while the
// data-set copy form is open on top of the main window; its forms draw in
// the face substituted for "ＭＳ 明朝". Run again under a window manager by
// the ctest entry "admin_forms_under_window_manager".
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>

#include "tests/admin/ui/AdminFormFixture.h"
#include "platform/ui/QtText.h"
#include "shell/ui/Conf_Unit.h"
#include "tests/support/TempDir.h"
#include "tests/support/ui/ModalHelper.h"
#include "tests/support/ui/WindowPlace.h"

namespace {

class AdminPlacement : public ::testing::Test {
 protected:
  void SetUp() override {
    if (UnderWindowManager()) {
      ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    }
    dir.Write("MSGDLG.DAT", "J0402=T,M0402,1,0\r\nJ7103=T,M7103,1,1\r\n");
    dir.Write("MODEM.INF", "A,ATZ,ATD,,+++,ATH\r\n");
    OpenAdminForms(dir.path());
    AMain_Frm->show();
    AMain_Frm->activateWindow();
  }
  void TearDown() override { CloseAdminForms(); }
  TempDir dir;
};

TEST_F(AdminPlacement, MessagesStandAtTheScreensCentreOverTheCopyForm) {
  ASSERT_TRUE(Settles(AMain_Frm, [] { return Centred(AMain_Frm); })) << "main window not centred";
  AMain_Frm->BitBtn2Click();
  ASSERT_TRUE(Settles(DataCopy_Frm, [] { return DataCopy_Frm->isVisible(); }));
  std::vector<QRect> frames;
  for (int round = 0; round < 3; ++round) {
    for (const char* number : {"0402", "7103"}) {
      WhenModal([&](QDialog* d) {
        frames.push_back(SettledCentredFrame(d));
        d->done(1);
      });
      EXPECT_EQ(admin::MsgDlg_Show(number), 1);
    }
  }
  ASSERT_EQ(frames.size(), 6u);
  for (const QRect& f : frames) {
    EXPECT_TRUE(Centred(f)) << "frame at " << f.x() << "," << f.y();
    EXPECT_EQ(f, frames[0]);
  }
}

TEST_F(AdminPlacement, FormsDrawInIpaMincho) {
  WhenModal([](QDialog* d) { d->done(1); });
  admin::MsgDlg_Show("0402");
  ASSERT_NE(admin::Conf_Dlg, nullptr);
  for (QWidget* w : {static_cast<QWidget*>(AMain_Frm), static_cast<QWidget*>(DataCopy_Frm),
                     static_cast<QWidget*>(ModemSet_Frm), static_cast<QWidget*>(admin::Conf_Dlg)}) {
    const QString family = QFontInfo(w->font()).family();
    EXPECT_TRUE(family == U8("IPAMincho") || family == U8("IPA明朝"))
        << w->metaObject()->className() << " draws in " << family.toStdString();
  }
}

}  // namespace
