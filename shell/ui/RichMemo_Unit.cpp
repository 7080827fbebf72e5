#include "shell/ui/RichMemo_Unit.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

TLineTextEdit::TLineTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
  // With no wrapping a text block is one line and the vertical scroll bar
  // counts lines, which is what the helpers rely on.
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setWordWrapMode(QTextOption::NoWrap);
}

int TLineTextEdit::Line() const {
  return document()->findBlock(textCursor().selectionStart()).blockNumber();
}

void TLineTextEdit::SetLine(int line) {
  QTextBlock b = document()->findBlockByNumber(std::clamp(line, 0, document()->blockCount() - 1));
  QTextCursor c = textCursor();
  c.setPosition(b.position());
  setTextCursor(c);
}

int TLineTextEdit::TopLine() const { return verticalScrollBar()->value(); }

void TLineTextEdit::SetTopLine(int line) { ScrollLine(line - TopLine()); }

void TLineTextEdit::ScrollLine(int count) {
  QScrollBar* sb = verticalScrollBar();
  // The scroll bar clamps to its range, as the text allows.
  long v = static_cast<long>(sb->value()) + count;
  sb->setValue(static_cast<int>(std::clamp<long>(v, sb->minimum(), sb->maximum())));
}

int TLineTextEdit::VisibleLine() const {
  // A line's height as laid out (font height plus leading); the area is the
  // viewport less the document margin above and below, counted as the
  // scroll range counts it, so that TopLine can reach len - VisibleLine.
  qreal lineHeight = fontMetrics().lineSpacing();
  QTextBlock first = document()->firstBlock();
  if (first.isValid() && first.layout() && first.layout()->lineCount() > 0)
    lineHeight = first.layout()->lineAt(0).height();
  if (lineHeight <= 0) return 0;
  qreal area = viewport()->height() - 2 * document()->documentMargin() - 1;
  return std::max(0, static_cast<int>(std::floor(area / lineHeight)));
}
