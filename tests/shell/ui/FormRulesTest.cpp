// The rules every form follows: Enter presses the focused button and a
// dialog's default, titles reach the window system as they stand, the
// prompt file's password character, the main buttons' glyphs and focus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <cstdlib>

#include "orvo/ORVO_Main.h"
#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/FormRules.h"
#include "shell/ui/GlyphButton.h"
#include "shell/ui/Input_Unit.h"
#include "link/ui/EnvNew_Form.h"
#include "tests/support/TempDir.h"
#include "tests/support/ui/ModalHelper.h"

namespace {

void Enter(QWidget* w, bool keypad = false, bool repeat = false) {
  QKeyEvent e(QEvent::KeyPress, keypad ? Qt::Key_Enter : Qt::Key_Return,
              keypad ? Qt::KeypadModifier : Qt::NoModifier, QString("\r"), repeat);
  QApplication::sendEvent(w, &e);
}

// The repository's top, from the environment or from this file's path.
std::string SourceDir() {
  if (const char* src = std::getenv("ORVO_SOURCE_DIR")) return fsys::WithSlash(src);
  std::string f = __FILE__;
  return f.substr(0, f.rfind("tests/shell/ui/"));
}

class FormRules : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("MSGDLG.DAT", SjisLines({"J7102=終了,終了しますか？,1,1", "J7101=回線切断,切断しますか？,1,1"}));
    std::string sample;
    ASSERT_TRUE(fsys::ReadFile(SourceDir() + "sample/INPDLG.DAT", sample));
    dir.Write("INPDLG.DAT", sample);
    dir.Write("INPDLG2.DAT", SjisLines({"J1202=パスワード,入力,パスワード,8,＃,,1,1",
                                        "J1203=パスワード,入力,パスワード,8,,,1,1"}));
    ProgramDir = dir.path();
    Main_SetProgramFolder(dir.path());
  }
  TempDir dir;
};

TEST_F(FormRules, EnterPressesTheFocusedButtonOnEveryForm) {
  TMain_Frm::Hooks() = {};
  TMain_Frm main;
  int env = 0, edit = 0;
  TMain_Frm::Hooks().environment = [&](TMain_Frm*) { ++env; };
  TMain_Frm::Hooks().commandFiles = [&](TMain_Frm*) { ++edit; };
  main.show();
  QApplication::processEvents();
  // The first enabled button has the focus as the window opens.
  EXPECT_EQ(main.focusWidget(), main.Conn_BitBtn);

  main.Env_BitBtn->setFocus();
  Enter(main.Env_BitBtn);
  Enter(main.Env_BitBtn, false, true);  // a held key presses once
  main.Edit_BitBtn->setFocus();
  Enter(main.Edit_BitBtn, true);
  EXPECT_EQ(env, 1);
  EXPECT_EQ(edit, 1);
  // A later form with an edit and a button gets the same rule, and Enter in
  // its edit does nothing.
  QWidget later;
  auto* e = new QLineEdit(&later);
  auto* b = new QPushButton(&later);
  int pressed = 0;
  QObject::connect(b, &QPushButton::clicked, [&] { ++pressed; });
  later.show();
  e->setFocus();
  QTest::keyClick(e, Qt::Key_Return);
  EXPECT_EQ(pressed, 0);
  b->setFocus();
  QTest::keyClick(b, Qt::Key_Return);
  EXPECT_EQ(pressed, 1);
  // A disabled button takes no Enter.
  b->setEnabled(false);
  Enter(b);
  EXPECT_EQ(pressed, 1);
  TMain_Frm::Hooks() = {};
}

TEST_F(FormRules, EnterInADialogPressesTheFocusedButtonElseTheDefault) {
  // The focused button wins over the default, OK or Cancel alike.
  WhenModal([](QDialog* d) {
    auto* c = static_cast<TConf_Dlg*>(d);
    c->Cancel_BitBtn->setFocus();
    Enter(c->Cancel_BitBtn);
  });
  EXPECT_EQ(MsgDlg_Show("7102"), 2);
  // OK has the focus at open (the dialog's own focus: the window system
  // may not have activated it yet).
  WhenModal([](QDialog* d) {
    EXPECT_EQ(d->focusWidget(), static_cast<TConf_Dlg*>(d)->Ok_BitBtn);
    if (d->focusWidget()) Enter(d->focusWidget(), true);
    else d->done(2);
  });
  EXPECT_EQ(MsgDlg_Show("7102"), 1);

  // In the input dialog Enter in the edit is OK, the default.
  WhenModal([](QDialog* d) {
    auto* i = static_cast<TInput_Dlg*>(d);
    QTest::keyClicks(i->Input_Edt, "1234");
    EXPECT_EQ(i->focusWidget(), i->Input_Edt);
    QTest::keyClick(i->Input_Edt, Qt::Key_Return);
  });
  std::string text;
  EXPECT_EQ(InpDlg_Show("1202", text), 1);
  EXPECT_EQ(text, "1234");
  WhenModal([](QDialog* d) {
    auto* i = static_cast<TInput_Dlg*>(d);
    QTest::keyClicks(i->Input_Edt, "99");
    i->Cancel_BitBtn->setFocus();
    QTest::keyClick(i->Cancel_BitBtn, Qt::Key_Enter, Qt::KeypadModifier);
  });
  EXPECT_EQ(InpDlg_Show("1202", text), 2);
  EXPECT_EQ(text, "1234");
}

TEST_F(FormRules, PasswordEditShowsThePromptFilesCharacter) {
  struct Row {
    const char* file;
    const char* number;
    QString shown;  // for "ab12" typed
  } rows[] = {
      {"INPDLG.DAT", "1202", "****"},        // the sample's prompt
      {"INPDLG.DAT", "1201", "****"},
      {"INPDLG2.DAT", "1202", U8("＃＃＃＃")},  // a double-byte character
      {"INPDLG2.DAT", "1203", "ab12"},       // no character: no password
      {"INPDLG.DAT", "1202", "****"},        // back from the others
  };
  for (const Row& r : rows) {
    std::string source;
    ASSERT_TRUE(fsys::ReadFile(dir.path() + r.file, source));
    TempDir run;
    run.Write("INPDLG.DAT", source);
    ProgramDir = run.path();
    QString shown, typed;
    WhenModal([&](QDialog* d) {
      auto* i = static_cast<TInput_Dlg*>(d);
      QTest::keyClicks(i->Input_Edt, "ab12");
      shown = i->Input_Edt->displayText();
      typed = i->Input_Edt->text();
      i->Ok_BitBtn->click();
    });
    std::string text;
    EXPECT_EQ(InpDlg_Show(r.number, text), 1) << r.file << " " << r.number;
    EXPECT_EQ(shown, r.shown) << r.file << " " << r.number;
    EXPECT_EQ(typed, "ab12");
    EXPECT_EQ(text, "ab12");
  }
  ProgramDir = dir.path();
}

// Ctrl+Tab and Ctrl+Shift+Tab (as Backtab, or as Tab with Shift) leave a
// grid that takes Tab, from its open cell editor or from the grid itself,
// keeping the text typed; a plain Tab stays in the grid.
TEST_F(FormRules, CtrlTabLeavesAGridThatTakesTab) {
  struct Row {
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    bool editing;
    int lands;  // 0 the edit before the grid, 1 the grid, 2 the button after
  } rows[] = {
      {Qt::Key_Tab, Qt::ControlModifier, true, 2},
      {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, true, 0},
      {Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier, true, 0},
      {Qt::Key_Tab, Qt::ControlModifier | Qt::KeypadModifier, false, 2},
      {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, false, 0},
      {Qt::Key_Tab, Qt::NoModifier, true, 1},
  };
  for (const Row& r : rows) {
    QWidget w;
    auto* before = new QLineEdit(&w);
    auto* grid = new QTableWidget(2, 2, &w);
    auto* after = new QPushButton(&w);
    grid->setTabKeyNavigation(true);
    grid->setGeometry(0, 30, 200, 100);
    after->move(0, 140);
    w.show();
    grid->setItem(0, 0, new QTableWidgetItem);
    grid->setCurrentCell(0, 0);
    grid->setFocus();
    if (r.editing) {
      grid->editItem(grid->item(0, 0));
      ASSERT_NE(w.focusWidget(), grid);
      QTest::keyClicks(w.focusWidget(), "ab");
    }
    QTest::keyClick(w.focusWidget(), r.key, r.mods);
    QWidget* lands[] = {before, grid, after};
    QWidget* f = w.focusWidget();
    EXPECT_TRUE(f == lands[r.lands] || lands[r.lands]->isAncestorOf(f)) << &r - rows;
    if (r.editing) {
      EXPECT_EQ(grid->item(0, 0)->text(), "ab") << &r - rows;
    }
    if (r.lands == 1) {
      EXPECT_EQ(grid->currentColumn(), 1) << &r - rows;
    }
  }
}

// What the window system shows: toolkits append the application's display
// name to a title that does not already end with it.
QString ShownTitle(const QWidget* w) {
  QString name = QGuiApplication::applicationDisplayName();
  QString t = w->windowTitle();
  if (name.isEmpty() || t.endsWith(name)) return t;
  return t.isEmpty() ? name : t + QString::fromUtf8(" \u2014 ") + name;
}

TEST_F(FormRules, EveryWindowOfTheStartedProgramShowsItsCaptionAlone) {
  dir.Write("Orvo.Inf", "0\r\n");
  ASSERT_TRUE(ORVO_CreateForms());
  Main_Frm->show();
  QApplication::processEvents();
  EXPECT_EQ(Main_Frm->windowTitle(), U8("ORVO 主装置データ保守"));
  int windows = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (!w->isWindow() || w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip) continue;
    ++windows;
    EXPECT_EQ(ShownTitle(w), w->windowTitle()) << w->metaObject()->className();
  }
  EXPECT_GT(windows, 10);
  // The forms without title-bar buttons ask for a title alone.
  struct Bar {
    QWidget* form;
    bool onTop;
  } bars[] = {{Conf_Dlg, true}, {Input_Dlg, true}, {Env_Frm, false}};
  for (const Bar& b : bars) {
    ASSERT_NE(b.form, nullptr);
    Qt::WindowFlags f = b.form->windowFlags();
    EXPECT_TRUE(f.testFlags(Qt::CustomizeWindowHint | Qt::WindowTitleHint)) << b.form->metaObject()->className();
    EXPECT_FALSE(f & (Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint))
        << b.form->metaObject()->className();
    EXPECT_EQ(f.testFlag(Qt::WindowStaysOnTopHint), b.onTop) << b.form->metaObject()->className();
  }
  // A message's caption too, read while it shows.
  QString caption;
  WhenModal([&](QDialog* d) {
    caption = ShownTitle(d);
    d->done(2);
  });
  MsgDlg_Show("7102");
  EXPECT_EQ(caption, U8("終了"));
  delete Main_Frm;
}

TEST_F(FormRules, MainButtonsCarryGlyphsAndMarkTheirWholeFace) {
  TMain_Frm main;
  main.show();
  QApplication::processEvents();
  for (QPushButton* b : main.SB_GB->findChildren<QPushButton*>()) {
    EXPECT_FALSE(b->icon().isNull()) << b->text().toStdString();
    EXPECT_TRUE(b->styleSheet().isEmpty());
  }
  // The mark is drawn around the whole face, also before any key: the
  // pixels at the left of the caption change with the focus.
  auto* b = static_cast<TGlyphButton*>(main.Save_BitBtn);
  b->setEnabled(true);
  main.Edit_BitBtn->setFocus();
  QImage off = b->grab().toImage();
  b->setFocus();
  QImage on = b->grab().toImage();
  // The mark's columns, left of the glyph and at the right edge: a dotted
  // line changes about every other pixel.
  const int lx = TGlyphButton::FocusInset, rx = on.width() - TGlyphButton::FocusInset - 1;
  int changedLeft = 0, changedRight = 0;
  for (int y = 0; y < on.height(); ++y) {
    if (on.pixel(lx, y) != off.pixel(lx, y)) ++changedLeft;
    if (on.pixel(rx, y) != off.pixel(rx, y)) ++changedRight;
  }
  EXPECT_GT(changedLeft, on.height() / 4);
  EXPECT_GT(changedRight, on.height() / 4);
}

}  // namespace
