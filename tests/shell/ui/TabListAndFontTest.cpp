#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QScrollBar>

#include "platform/Cp932.h"
#include "platform/ui/QtText.h"
#include "shell/ui/CommonFont_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/DirControls.h"
#include "shell/ui/TabListBox.h"
#include "tests/support/TempDir.h"

namespace {

TEST(TabListBox, ColumnsStartAtTheTabStops) {
  TTabListBox l;
  l.setFont(Orvo_Font(12));
  const int avg = QFontMetrics(l.font()).averageCharWidth();
  auto px = [avg](int du) { return du * avg / 4; };
  l.SetTabStops({140, 165, 185, 300});
  QString row = QString("ABC.CMD\t") + U8("注") + "\t1\t12:34:56";
  l.addItem(row);
  EXPECT_EQ(l.item(0)->text(), row);  // the row keeps its tabs
  std::vector<int> xs = l.ColumnOffsets(row);
  EXPECT_EQ(xs, (std::vector<int>{0, px(140), px(165), px(185)}));

  // A column wider than the gap to its stop moves on to the next stop.
  QString wide = QString(40, QLatin1Char('W')) + "\tx";
  xs = l.ColumnOffsets(wide);
  ASSERT_EQ(xs.size(), 2u);
  EXPECT_GT(xs[1], QFontMetrics(l.font()).horizontalAdvance(QString(40, QLatin1Char('W'))));

  // With no stops set, one every 32 dialog units; with one, every that many.
  l.SetTabStops({});
  EXPECT_EQ(l.ColumnOffsets("a\tb\tc"), (std::vector<int>{0, px(32), px(64)}));
  l.SetTabStops({50});
  EXPECT_EQ(l.ColumnOffsets("a\tb\tc"), (std::vector<int>{0, px(50), px(100)}));
  // Painting a row does not disturb anything (smoke over the delegate).
  // A row wider than the list, here or in the file-name entry's file list,
  // is cut at its edge: no bar takes a row, nothing scrolls sideways (to
  // the dump viewer's hidden key column).
  l.addItem(wide);
  l.resize(200, 94);
  TempDir dir;
  dir.Write(std::string(80, 'F') + ".DMP", "");
  TFileListBox files;
  files.resize(200, 82);
  files.SetDirectory(dir.path());
  l.show();
  files.show();
  QApplication::processEvents();
  EXPECT_FALSE(l.grab().isNull());
  for (QListWidget* list : std::initializer_list<QListWidget*>{&l, &files}) {
    ASSERT_GT(list->sizeHintForColumn(0), list->viewport()->width());
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
    EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0);
  }
}

TEST(CommonFont, FitTextFitsWithoutSplittingACharacter) {
  QWidget w;
  QFont f = Orvo_Font(12);
  QFontMetrics fm(f);
  std::string text = Sjis("ロードエラー_記録ﾃﾞｰﾀ_2024年版.DMP");
  const int full = Common_TextWidth(&w, f, text);
  ASSERT_GT(full, 0);
  EXPECT_EQ(Common_FitText(&w, f, text, full), text);
  EXPECT_EQ(Common_FitText(&w, f, "", 0), "");
  EXPECT_EQ(Common_FitText(&w, f, text, 0), "..");
  for (int width = 1; width < full; width += 3) {
    std::string r = Common_FitText(&w, f, text, width);
    ASSERT_GE(r.size(), 2u);
    ASSERT_EQ(r.substr(r.size() - 2), "..") << width;
    std::string rest = r.substr(0, r.size() - 2);
    EXPECT_EQ(text.compare(0, rest.size(), rest), 0);
    EXPECT_TRUE(cp932::IsCharBoundary(text, rest.size())) << width;
    // The kept text fits; the dots are not counted.
    EXPECT_LE(Common_TextWidth(&w, f, rest), width);
    // One character more would not have fitted.
    size_t next = rest.size() + (cp932::IsLeadByte(static_cast<unsigned char>(text[rest.size()])) ? 2 : 1);
    EXPECT_GT(Common_TextWidth(&w, f, text.substr(0, next)), width);
  }
}

TEST(CommonFont, TextWidthMeasuresInTheFontOnTheDevice) {
  QFont f = Orvo_Font(12);
  EXPECT_EQ(Common_TextWidth(nullptr, f, ""), 0);
  int one = Common_TextWidth(nullptr, f, Sjis("あ"));
  EXPECT_GT(one, 0);
  EXPECT_GT(Common_TextWidth(nullptr, f, Sjis("ああ")), one);
  QFont big = Orvo_Font(24);
  EXPECT_GT(Common_TextWidth(nullptr, big, Sjis("あ")), one);
}

}  // namespace
