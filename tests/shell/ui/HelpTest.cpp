#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTextBlock>

#include "platform/ui/QtText.h"
#include "shell/ui/HelpBitBtn_Unit.h"
#include "shell/ui/Help_Unit.h"
#include "tests/support/TempDir.h"
#include "tests/support/ui/ModalHelper.h"

namespace {

struct Seen {
  bool shown = false;
  QString title;
  QString topLine;
  int top = -1;
  int blocks = 0;
  QString text;
  bool keptByEscAndClose = false;
};

// Clicks the button and looks at the help window it opens.
Seen ClickAndLook(THelpBitBtn& b) {
  Seen s;
  WhenModal([&s](QDialog* d) {
    auto* h = qobject_cast<THelp_Dlg*>(d);
    if (h) {
      s.shown = true;
      s.title = h->windowTitle();
      s.top = h->Msg_RMem->TopLine();
      s.topLine = h->Msg_RMem->cursorForPosition(QPoint(4, 4)).block().text();
      s.blocks = h->Msg_RMem->document()->blockCount();
      s.text = h->Msg_RMem->toPlainText();
    }
    // Only its OK closes the window: it shows no Cancel.
    QTest::keyClick(d, Qt::Key_Escape);
    d->close();
    s.keptByEscAndClose = d->isVisible();
    d->done(1);
  });
  b.click();
  // The window opens after the click's handlers: let the queued call run.
  for (int i = 0; i < 50 && !s.shown; ++i) QApplication::processEvents(QEventLoop::AllEvents, 20);
  return s;
}

std::string HelpFile(int sectionAt, int total) {
  std::string out;
  for (int i = 0; i < total; ++i) {
    if (i == sectionAt) out += "/m10/" + Sjis(" 着信番号の名前") + "\r\n";
    else out += Sjis("説明の行 ") + std::to_string(i) + "\r\n";
  }
  return out;
}

TEST(Help, OpensWithTheSectionLineAtTheTop) {
  TempDir t;
  THelpBitBtn b;
  b.HelpFile = t.Write("Command.Hlp", HelpFile(20, 60));
  b.MenuItem = "/M10/";
  Seen s = ClickAndLook(b);
  ASSERT_TRUE(s.shown);
  EXPECT_EQ(s.title, U8("ヘルプ"));
  EXPECT_EQ(s.top, 20);
  EXPECT_TRUE(s.topLine.startsWith("/m10/"));
  EXPECT_EQ(s.blocks, 60);  // no padding needed
  EXPECT_TRUE(s.keptByEscAndClose);
}

TEST(Help, ASectionNearTheEndIsStillBroughtToTheTop) {
  TempDir t;
  THelpBitBtn b;
  b.HelpFile = t.Write("Command.Hlp", HelpFile(58, 60));
  b.MenuItem = "/M10/";
  Seen s = ClickAndLook(b);
  ASSERT_TRUE(s.shown);
  EXPECT_EQ(s.top, 58);
  EXPECT_TRUE(s.topLine.startsWith("/m10/"));
  EXPECT_GT(s.blocks, 60);  // padded with empty lines
}

TEST(Help, MissingSectionOrFileOpensAtTheTopOrEmpty) {
  TempDir t;
  THelpBitBtn b;
  b.HelpFile = t.Write("Command.Hlp", HelpFile(20, 60));
  b.MenuItem = "/M99/";
  Seen s = ClickAndLook(b);
  ASSERT_TRUE(s.shown);
  EXPECT_EQ(s.top, 0);
  EXPECT_EQ(s.blocks, 60);

  b.MenuItem.clear();
  s = ClickAndLook(b);
  EXPECT_EQ(s.top, 0);

  b.HelpFile = t.path() + "none.Hlp";
  b.MenuItem = "/M10/";
  s = ClickAndLook(b);
  ASSERT_TRUE(s.shown);
  EXPECT_TRUE(s.text.isEmpty());
}

TEST(Help, TheOwnersClickHandlerRunsFirst) {
  TempDir t;
  THelpBitBtn b;
  b.HelpFile = t.Write("Command.Hlp", HelpFile(30, 80));
  // The owner picks the section in its own handler, as the editor does.
  QObject::connect(&b, &QPushButton::clicked, [&b] { b.MenuItem = "/M10/"; });
  Seen s = ClickAndLook(b);
  ASSERT_TRUE(s.shown);
  EXPECT_EQ(s.top, 30);
}

TEST(Help, EnglishCaptionAndTextDecodedFromCp932) {
  TempDir t;
  THelpBitBtn b;
  b.English = true;
  b.HelpFile = t.Write("x.Hlp", Sjis("ヘルプの本文") + "\r\nA\xA0" "B\r\n");
  Seen s = ClickAndLook(b);
  ASSERT_TRUE(s.shown);
  EXPECT_EQ(s.title, "HELP");
  // A byte that does not decode is replaced, the rest kept.
  EXPECT_EQ(s.text, U8("ヘルプの本文\nA\uFFFDB"));
}

TEST(Help, AttachShowsTheButtonOnlyWhenTheFileExists) {
  TempDir t;
  t.Write("DUMP.HLP", "x\r\n");
  QWidget owner;
  auto* b = new THelpBitBtn(&owner);
  owner.show();
  EXPECT_TRUE(b->AttachHelp(t.path(), "Dump.Hlp"));  // found without regard to case
  EXPECT_EQ(b->HelpFile, t.path() + "DUMP.HLP");
  EXPECT_TRUE(b->isVisible());
  EXPECT_FALSE(b->AttachHelp(t.path(), "Save.Hlp"));
  EXPECT_FALSE(b->isVisible());
}

}  // namespace
