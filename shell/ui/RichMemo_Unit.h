// Multi-line text controls with line helpers: the caret line, the first
// visible line, the number of lines that fit, and scrolling by lines. Lines
// are the text's own lines: the controls never wrap.
#pragma once

#include <QPlainTextEdit>

// The helpers shared by TRichMemo and TRichEditDx.
class TLineTextEdit : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit TLineTextEdit(QWidget* parent = nullptr);

  // Line of the caret (0-based); setting moves the caret to the start of
  // that line.
  int Line() const;
  void SetLine(int line);
  // First visible line; setting scrolls so that the line comes first, as
  // far as the text allows.
  int TopLine() const;
  void SetTopLine(int line);
  // Whole lines that fit in the text area.
  int VisibleLine() const;
  // Scrolls by a signed number of lines (negative: up).
  void ScrollLine(int count);
};

class TRichMemo : public TLineTextEdit {
  Q_OBJECT
 public:
  explicit TRichMemo(QWidget* parent = nullptr) : TLineTextEdit(parent) {}
};
