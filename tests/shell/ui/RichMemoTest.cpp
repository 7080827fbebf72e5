#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTextBlock>

#include "shell/ui/RichEditDx_Unit.h"
#include "shell/ui/RichMemo_Unit.h"

namespace {

QString Numbered(int n) {
  QStringList l;
  for (int i = 0; i < n; ++i) l << QString("line %1 with some text that is long enough to wrap if wrapping were on").arg(i);
  return l.join('\n');
}

template <class T>
class LineHelpers : public ::testing::Test {};
using Controls = ::testing::Types<TRichMemo, TRichEditDx>;
TYPED_TEST_SUITE(LineHelpers, Controls);

TYPED_TEST(LineHelpers, CaretLineIsTheTextLine) {
  TypeParam m;
  m.resize(120, 100);  // narrow: long lines stay one line each
  m.setPlainText(Numbered(30));
  m.show();
  QApplication::processEvents();
  EXPECT_EQ(m.Line(), 0);
  m.SetLine(7);
  EXPECT_EQ(m.Line(), 7);
  EXPECT_EQ(m.textCursor().position(), m.document()->findBlockByNumber(7).position());
  m.SetLine(1000);  // past the end: the last line
  EXPECT_EQ(m.Line(), 29);
  QTextCursor c = m.textCursor();
  c.setPosition(m.document()->findBlockByNumber(3).position() + 5);
  m.setTextCursor(c);
  EXPECT_EQ(m.Line(), 3);
}

TYPED_TEST(LineHelpers, TopLineScrollsBothWays) {
  TypeParam m;
  m.resize(300, 120);
  m.setPlainText(Numbered(100));
  m.show();
  QApplication::processEvents();
  EXPECT_EQ(m.TopLine(), 0);
  m.SetTopLine(40);
  EXPECT_EQ(m.TopLine(), 40);
  EXPECT_EQ(m.cursorForPosition(QPoint(4, 4)).blockNumber(), 40);
  m.SetTopLine(12);  // above the current first line: scrolls up
  EXPECT_EQ(m.TopLine(), 12);
  EXPECT_EQ(m.cursorForPosition(QPoint(4, 4)).blockNumber(), 12);
  m.ScrollLine(5);
  EXPECT_EQ(m.TopLine(), 17);
  m.ScrollLine(-20);
  EXPECT_EQ(m.TopLine(), 0);
  // The end: the last line stays at the bottom of the window.
  m.SetTopLine(1000);
  EXPECT_EQ(m.TopLine(), 100 - m.VisibleLine());
}

TYPED_TEST(LineHelpers, VisibleLineCountsWholeLinesThatFit) {
  TypeParam m;
  m.resize(300, 200);
  m.setPlainText(Numbered(100));
  m.show();
  QApplication::processEvents();
  int v = m.VisibleLine();
  ASSERT_GT(v, 1);
  // Every counted line lies wholly inside the viewport, and one more would not.
  auto rectOf = [&m](int line) {
    return m.cursorRect(QTextCursor(m.document()->findBlockByNumber(line)));
  };
  EXPECT_LE(rectOf(v - 1).bottom(), m.viewport()->height());
  EXPECT_GT(rectOf(v).bottom() + 1, m.viewport()->height() - 2 * m.document()->documentMargin() - 1);
  // A taller control holds more lines.
  m.resize(300, 400);
  QApplication::processEvents();
  EXPECT_GT(m.VisibleLine(), v);
}

}  // namespace
