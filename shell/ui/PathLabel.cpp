#include "shell/ui/PathLabel.h"

#include <QEvent>
#include <QLabel>
#include <algorithm>

namespace {

constexpr char kWhole[] = "orvoWholePath";
constexpr char kShown[] = "orvoShownPath";

// The width the label draws its text in: inside the frame and the margins,
// less the indent (half an "x" when a framed label sets none).
int Room(const QLabel* l) {
  int indent = l->indent();
  if (indent < 0 && l->frameWidth() > 0) indent = l->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - l->margin();
  return std::max(0, l->contentsRect().width() - 2 * l->margin() - std::max(0, indent));
}

// The label still shows what PathLabel_Show put there.
bool ShowsPath(const QLabel* l) {
  const QVariant shown = l->property(kShown);
  return shown.isValid() && shown.toString() == l->text();
}

void Fit(QLabel* l) {
  const QString whole = l->property(kWhole).toString();
  const QString shown = l->fontMetrics().elidedText(whole, Qt::ElideMiddle, Room(l));
  l->setProperty(kShown, shown);
  l->setText(shown);
  l->setToolTip(shown == whole ? QString() : whole);
}

class Refit : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Resize || e->type() == QEvent::FontChange) {
      auto* l = static_cast<QLabel*>(o);
      if (ShowsPath(l)) Fit(l);
    }
    return false;
  }
};

}  // namespace

void PathLabel_Show(QLabel* l, const QString& path) {
  if (!l->property(kWhole).isValid()) l->installEventFilter(new Refit(l));
  l->setProperty(kWhole, path);
  Fit(l);
}

QString PathLabel_Path(const QLabel* l) { return ShowsPath(l) ? l->property(kWhole).toString() : l->text(); }
