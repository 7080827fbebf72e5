// KV_EDIT's message dialog stands at the screen's centre over its windows,
// and its windows draw in the face substituted for "ＭＳ 明朝", half-width
// katakana (the kana names) included. Run again under a window manager by
// the ctest entry "kvedit_forms_under_window_manager".
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>

#include "kv_edit/ui/Unit1.h"
#include "kv_edit/ui/Unit2.h"
#include "kv_edit/ui/Unit3.h"
#include "platform/ui/QtText.h"
#include "tests/kv_edit/ui/KvFormFixture.h"
#include "tests/support/ui/ModalHelper.h"
#include "tests/support/ui/WindowPlace.h"

namespace {

bool IsIpaMincho(const QString& family) {
  return family.compare(U8("IPAMincho"), Qt::CaseInsensitive) == 0 || family == U8("IPA明朝");
}

class KvPlacement : public KvFormFixture {
 protected:
  void SetUp() override {
    if (UnderWindowManager()) {
      ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    }
    d.Write("KV-EDITMsgDlg.Dat", "J0001=T,M0001,1,0\r\nJ0002=T,M0002,1,1\r\n");
    ASSERT_NO_FATAL_FAILURE(OpenForms(d.path()));
    main->activateWindow();
  }
  void TearDown() override {
    KvFormFixture::TearDown();
    QApplication::processEvents();
  }
};

TEST_F(KvPlacement, MessagesStandAtTheScreensCentre) {
  ASSERT_TRUE(Settles(main, [&] { return Centred(main); })) << "main window not centred";
  std::vector<QRect> frames;
  for (int round = 0; round < 3; ++round) {
    for (const char* number : {"0001", "0002"}) {
      WhenModal([&](QDialog* dlg) {
        frames.push_back(SettledCentredFrame(dlg));
        dlg->done(1);
      });
      EXPECT_EQ(kv::MsgDlg_Show(number), 1);
    }
  }
  ASSERT_EQ(frames.size(), 6u);
  for (const QRect& f : frames) {
    EXPECT_TRUE(Centred(f)) << "frame at " << f.x() << "," << f.y();
    EXPECT_EQ(f, frames[0]);
  }
}

TEST_F(KvPlacement, WindowsDrawInIpaMinchoKanaNamesToo) {
  for (QWidget* w : {static_cast<QWidget*>(main), static_cast<QWidget*>(grid),
                     static_cast<QWidget*>(kv::conf_dlg)}) {
    EXPECT_TRUE(IsIpaMincho(QFontInfo(w->font()).family()))
        << w->metaObject()->className() << " draws in " << QFontInfo(w->font()).family().toStdString();
  }
  QTextLayout layout(U8("0312345678 ﾎﾝｼｬ ｻﾎﾟｰﾄｾﾝﾀｰ"), grid->DEdt_Grid->font());
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  ASSERT_FALSE(layout.glyphRuns().isEmpty());
  for (const QGlyphRun& r : layout.glyphRuns())
    EXPECT_TRUE(IsIpaMincho(r.rawFont().familyName())) << r.rawFont().familyName().toStdString();
}

}  // namespace
