// Where the message and input dialogs and the forms stand. Offscreen the
// window system has no frames; tools/under-wm.sh runs these cases again on
// a virtual screen under a real window manager (ctest entry
// "forms_under_window_manager"), which frames the windows, places
// transient dialogs itself and sets ORVO_UNDER_WM.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include "cmdfile/ui/Edit_Menu.h"
#include "orvo/OrvoForms.h"
#include "phone/ui/KTel_Unit.h"
#include "phone/ui/Kana_Form.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/Input_Unit.h"
#include "shell/ui/Unit_Message.h"
#include "transfer/ui/SelectionHost.h"
#include "tests/support/TempDir.h"
#include "tests/support/ui/ModalHelper.h"
#include "tests/support/ui/WindowPlace.h"

namespace {

class Placement : public ::testing::Test {
 protected:
  void SetUp() override {
    if (UnderWindowManager()) {
      ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    }
    dir.Write("MSGDLG.DAT", SjisLines({"J7501=ロード,ロードしますか？,1,1", "J9006=エラー,読めません。,1,0"}));
    dir.Write("INPDLG.DAT", SjisLines({"J1202=パスワード,入力してください,パスワード,8,*,,1,1"}));
    Main_SetProgramFolder(dir.path());
    main = new TMain_Frm();
    main->show();
    main->activateWindow();
    ASSERT_TRUE(Settles(main, [&] { return Centred(main); })) << "main window not centred";
    // A form standing on top of the main window, as the connection form
    // does when it asks for the password.
    sub = new QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                   Qt::WindowStaysOnTopHint);
    sub->setFixedSize(633, 408);
    main->OpenSubform(sub);
    ASSERT_TRUE(Settles(sub, [&] { return sub->pos() == main->frameGeometry().topLeft() + QPoint(0, 20); }))
        << "subform not 20 px below the main window's top";
  }
  void TearDown() override {
    delete sub;
    delete main;
    QApplication::processEvents();
  }

  TempDir dir;
  TMain_Frm* main = nullptr;
  QWidget* sub = nullptr;
};

TEST_F(Placement, MessageAndInputDialogsStandAtTheScreensCentreEveryTime) {
  std::vector<QRect> frames;
  for (int round = 0; round < 3; ++round) {
    for (const char* number : {"7501", "9006"}) {
      WhenModal([&](QDialog* d) {
        frames.push_back(SettledCentredFrame(d));
        d->done(1);
      });
      EXPECT_EQ(MsgDlg_Show(number), 1);
    }
    WhenModal([&](QDialog* d) {
      frames.push_back(SettledCentredFrame(d));
      d->done(2);
    });
    std::string text;
    EXPECT_EQ(InpDlg_Show("1202", text), 2);
  }
  ASSERT_EQ(frames.size(), 9u);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  for (const QRect& f : frames) {
    EXPECT_TRUE(std::abs(f.center().x() - ScreenCentre().x()) <= 1 && std::abs(f.center().y() - ScreenCentre().y()) <= 1)
        << "frame at " << f.x() << "," << f.y() << " " << f.width() << "x" << f.height() << " on "
        << screen.width() << "x" << screen.height();
    EXPECT_EQ(f, frames[0]) << "the same place every time";
  }
}

TEST_F(Placement, AFormShownAgainKeepsItsPlace) {
  const QRect first = sub->geometry();
  for (int round = 0; round < 4; ++round) {
    sub->hide();
    // Meanwhile another form and a message come and go, as a subform and
    // its end message do.
    WhenModal([](QDialog* d) { d->done(1); });
    MsgDlg_Show("9006");
    sub->show();
    sub->raise();
    sub->activateWindow();
    EXPECT_TRUE(Settles(sub, [&] { return sub->geometry() == first; }))
        << "round " << round << ": client at " << sub->geometry().x() << "," << sub->geometry().y()
        << ", first at " << first.x() << "," << first.y();
  }
  // A form the program moves while it is hidden goes where it was put.
  sub->hide();
  const QPoint to = sub->pos() + QPoint(40, 10);
  sub->move(to);
  sub->show();
  EXPECT_TRUE(Settles(sub, [&] { return sub->pos() == to; }))
      << "frame at " << sub->pos().x() << "," << sub->pos().y() << ", put at " << to.x() << "," << to.y();
}

// The main window is centred at start only: put elsewhere by the program,
// then hidden and shown again (as the connection does), it stays there.
TEST_F(Placement, TheMainWindowShownAgainKeepsWhereItWasPut) {
  sub->hide();
  const QPoint to = main->pos() + QPoint(60, 30);
  main->move(to);
  ASSERT_TRUE(Settles(main, [&] { return main->pos() == to; }))
      << "frame at " << main->pos().x() << "," << main->pos().y() << ", put at " << to.x() << "," << to.y();
  const QRect placed = main->geometry();
  main->hide();
  main->show();
  main->activateWindow();
  EXPECT_TRUE(Settles(main, [&] { return main->geometry() == placed; }))
      << "client at " << main->geometry().x() << "," << main->geometry().y() << ", was at " << placed.x() << ","
      << placed.y();
}

// A form shown for the first time stands by its frame, also when it
// places itself as it is shown, before the window manager has framed it.
TEST_F(Placement, TheMenuTreeStandsBelowTheMainWindowAtItsFirstShowing) {
  TEdit_Menu tree;
  tree.show();
  EXPECT_TRUE(Settles(&tree, [&] { return FrameCorner(&tree) == FrameCorner(main) + QPoint(0, 20); }))
      << "frame top " << FrameCorner(&tree).y() << ", main window's " << FrameCorner(main).y();
}

// The speed-dial editor covers the selection form, wherever that stands.
TEST_F(Placement, TheSpeedDialEditorCoversTheSelectionForm) {
  OrvoForms_CreateFirst();
  Kana_Host().dataFolder = [this] { return dir.path(); };
  SpeedDialMode = 0;
  const QPoint at = FrameCorner(sub) + QPoint(70, 45);  // the selection form in the sub form's place
  sub->move(at);
  ASSERT_TRUE(Settles(sub, [&] { return FrameCorner(sub) == at; }));
  Selection_Host().form = sub;
  sub->hide();
  Selection_Host().openSpeedDial();
  EXPECT_TRUE(Settles(Kana_Fm, [&] { return FrameCorner(Kana_Fm) == at; }))
      << "frame at " << FrameCorner(Kana_Fm).x() << "," << FrameCorner(Kana_Fm).y();
  Selection_Host().form = nullptr;
  Kana_Host().dataFolder = {};
  delete Kana_Fm;
  delete KTel_Frm;
}

// Once a box is on the screen, the manager's placement put right, it stays
// where the dealer drags it; here it comes up while he works in another
// window, so the manager does not focus it.
TEST_F(Placement, ABoxTheDealerMovesStaysWhereHePutsIt) {
  TDlg_Message box(main);
  box.setAttribute(Qt::WA_ShowWithoutActivating);
  box.show();
  CenterOnScreen(&box);
  ASSERT_TRUE(Settles(&box, [&] { return box.windowHandle()->isExposed(); }));
  const QPoint to = box.geometry().topLeft() + QPoint(90, -70);
  box.windowHandle()->setPosition(to);  // a move by the window system, as a drag
  EXPECT_TRUE(Settles(&box, [&] { return box.geometry().topLeft() == to; }))
      << "client at " << box.geometry().x() << "," << box.geometry().y();
}

// The notice of a long check shows its text before the work starts, which
// lets no event through until it ends.
TEST_F(Placement, TheCheckNoticeIsOnTheScreenBeforeTheCheckStarts) {
  TDlg_Message notice(main);
  notice.ShowNow();
  const QImage shot = QGuiApplication::primaryScreen()->grabWindow(notice.winId()).toImage();
  const QRect text = notice.Msg_Lbl->geometry() & shot.rect();
  int ink = 0;
  for (int y = text.top(); y <= text.bottom(); ++y)
    for (int x = text.left(); x <= text.right(); ++x) ink += qGray(shot.pixel(x, y)) < 96 ? 1 : 0;
  EXPECT_GT(ink, 100) << "a blank notice, " << shot.width() << "x" << shot.height() << " grabbed";
}

}  // namespace
