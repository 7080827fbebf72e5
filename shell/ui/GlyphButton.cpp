#include "shell/ui/GlyphButton.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace {
constexpr int kMargin = 10;
constexpr int kGap = 8;
}  // namespace

TGlyphButton::TGlyphButton(QWidget* parent) : QPushButton(parent) {
  setIconSize(QSize(24, 24));
  setFocusPolicy(Qt::StrongFocus);
}

int TGlyphButton::TextLeft() const { return kMargin + iconSize().width() + kGap; }

void TGlyphButton::paintEvent(QPaintEvent*) {
  QStylePainter p(this);
  QStyleOptionButton opt;
  initStyleOption(&opt);
  opt.text.clear();
  opt.icon = QIcon();
  p.drawControl(QStyle::CE_PushButtonBevel, opt);

  int shift = isDown() ? 1 : 0;
  QSize is = iconSize();
  if (!icon().isNull()) {
    QPixmap pm = icon().pixmap(is, devicePixelRatio(), isEnabled() ? QIcon::Normal : QIcon::Disabled);
    p.drawPixmap(kMargin + shift, (height() - is.height()) / 2 + shift, pm);
  }
  QRect tr(TextLeft() + shift, shift, width() - TextLeft() - kMargin, height());
  p.drawItemText(tr, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, palette(), isEnabled(),
                 text(), QPalette::ButtonText);

  if (hasFocus()) {
    // Windows' dotted mark, drawn by hand: the styles draw theirs only
    // after a key moved the focus.
    QPen pen(palette().color(QPalette::ButtonText), 1, Qt::DotLine);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(FocusInset, FocusInset, -FocusInset - 1, -FocusInset - 1));
  }
}
