// What a setting screen's grid shows, measured on its widgets with the
// fonts and style in use: a cell whole inside the viewport, rows at their
// height, every column in view, and the window fitted to its grid.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>

#include "cmdfile/ui/GPage_Base.h"

// The cell (the screen's column and row, fixed ones counted) lies whole
// inside the grid's viewport.
inline ::testing::AssertionResult CellShown(TGPage_Base& p, int col, int row) {
  QTableView* g = p.StringGrid1;
  const QModelIndex i = p.Model()->index(row - p.Model()->FixedRows(), col - p.Model()->FixedCols());
  const QRect r = g->visualRect(i);
  const QRect view = g->viewport()->rect();
  if (i.isValid() && !r.isEmpty() && view.contains(r)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "cell (" << col << ", " << row << ") at y " << r.y() << " height "
                                       << r.height() << ", x " << r.x() << " width " << r.width()
                                       << ": outside the viewport of " << view.width() << " x " << view.height();
}

// The grid of a shown page: rows drawn at 15 pixels under a heading row of
// headHeight, the label column at its width, as many whole rows in view as
// the page's scroll rules count on (from its top row down), every column in
// view unless the screen is too narrow for them (then the grid scrolls
// sideways and the window stays on the screen), and the grid right below
// the file name.
inline void ExpectGridLayout(TGPage_Base& p, int labelWidth, int headHeight = 15) {
  // The scroll bars follow a new layout once the posted updates ran.
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  QTableView* g = p.StringGrid1;
  const int fr = p.Model()->FixedRows(), fc = p.Model()->FixedCols();
  ASSERT_GT(p.Model()->rowCount(), 0);
  EXPECT_EQ(g->rowHeight(0), kGridRowHeight);
  EXPECT_EQ(g->verticalHeader()->width(), labelWidth);
  if (fr > 0) {
    EXPECT_EQ(g->horizontalHeader()->height(), headHeight);
  }
  const int want = std::min(p.Model()->rowCount(), fr > 0 ? kGridShownRows - 1 : kGridShownRows);
  EXPECT_GE(p.VisibleRows(), want);
  const int top = p.TopRow();
  if (top + want - 1 < p.Grid().RowCount()) {
    EXPECT_TRUE(CellShown(p, fc, top + want - 1));
  }

  int columns = labelWidth + 2 * g->frameWidth();
  for (int c = 0; c < p.Model()->columnCount(); ++c) columns += g->columnWidth(c);
  const int screenWidth = QGuiApplication::primaryScreen()->availableGeometry().width();
  if (columns + 40 < screenWidth) {
    EXPECT_FALSE(g->horizontalScrollBar()->isVisible());
    for (int c = 0; c < p.Model()->columnCount(); ++c) EXPECT_TRUE(CellShown(p, c + fc, top)) << "column " << c + fc;
  } else {
    EXPECT_TRUE(g->horizontalScrollBar()->isVisible());
    EXPECT_LE(p.frameGeometry().width(), screenWidth);
  }
  // No band above the file name, nor between it and the grid.
  EXPECT_LE(p.Label1->geometry().top(), 16);
  EXPECT_LE(g->geometry().top() - p.Label1->geometry().bottom(), 16);
}
