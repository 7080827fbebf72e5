#include "shell/ui/TabListBox.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

class TabDelegate : public QStyledItemDelegate {
 public:
  explicit TabDelegate(TTabListBox* list) : QStyledItemDelegate(list), list_(list) {}

  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    QString text = opt.text;
    opt.text.clear();
    // Background, selection and focus as the style draws them, then the
    // columns at their stops.
    const QWidget* w = opt.widget;
    QStyle* style = w ? w->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, p, w);
    QRect r = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, w);
    p->save();
    p->setFont(opt.font);
    p->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                   : QPalette::Text));
    QStringList cols = text.split(QLatin1Char('\t'));
    std::vector<int> xs = list_->ColumnOffsets(text);
    for (int i = 0; i < cols.size(); ++i) {
      QRect cr = r.adjusted(xs[static_cast<size_t>(i)], 0, 0, 0);
      if (cr.width() <= 0) break;
      p->drawText(cr, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, cols[i]);
    }
    p->restore();
  }

 private:
  TTabListBox* list_;
};

}  // namespace

TTabListBox::TTabListBox(QWidget* parent) : QListWidget(parent) {
  setItemDelegate(new TabDelegate(this));
  setUniformItemSizes(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void TTabListBox::updateGeometries() {
  QListWidget::updateGeometries();
  // No wheel or key may scroll what no bar shows.
  horizontalScrollBar()->setRange(0, 0);
}

void TTabListBox::SetTabStops(const std::vector<int>& dialogUnits) {
  tabStops_ = dialogUnits;
  viewport()->update();
}

int TTabListBox::NextStop(int x) const {
  const int avg = std::max(1, fontMetrics().averageCharWidth());
  auto px = [avg](int du) { return du * avg / 4; };
  if (tabStops_.size() <= 1) {
    int step = std::max(1, px(tabStops_.empty() ? 32 : tabStops_[0]));
    return (x / step + 1) * step;
  }
  for (int du : tabStops_)
    if (px(du) > x) return px(du);
  // Past the last stop a tab is a blank.
  return x + fontMetrics().horizontalAdvance(QLatin1Char(' '));
}

std::vector<int> TTabListBox::ColumnOffsets(const QString& text) const {
  QStringList cols = text.split(QLatin1Char('\t'));
  std::vector<int> xs;
  int x = 0;
  for (int i = 0; i < cols.size(); ++i) {
    if (i > 0) x = NextStop(x);
    xs.push_back(x);
    x += fontMetrics().horizontalAdvance(cols[i]);
  }
  return xs;
}
