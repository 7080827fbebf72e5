// A push button with a glyph at its left edge and the caption left-aligned
// beside it, as the main window's large buttons are drawn. Its focus mark
// surrounds the whole button and shows whenever it has the focus, also
// before the first key was pressed.
#pragma once

#include <QPushButton>

class TGlyphButton : public QPushButton {
  Q_OBJECT
 public:
  explicit TGlyphButton(QWidget* parent = nullptr);

  // The focus mark's inset from the button's edge, in pixels.
  static constexpr int FocusInset = 4;
  // Where the caption starts: left margin, glyph, gap.
  int TextLeft() const;

 protected:
  void paintEvent(QPaintEvent* e) override;
};
