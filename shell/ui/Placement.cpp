#include "shell/ui/Placement.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

// Per-window state, kept as dynamic properties so that it dies with the form.
constexpr const char* kCentred = "orvoPlaceCentred";   // bool
constexpr const char* kOnce = "orvoPlaceOnce";         // bool: centred only until first hidden or moved
constexpr const char* kKept = "orvoPlaceKept";         // QPoint: client corner when hidden
constexpr const char* kWanted = "orvoPlaceWanted";     // QPoint: client corner to hold
constexpr const char* kSince = "orvoPlaceSince";       // qint64: ms of the show
constexpr const char* kTries = "orvoPlaceTries";       // int: corrections left

// How long after a show the window manager's own placement is put right,
// and how often: enough for a slow virtual screen, never a fight with the user.
constexpr qint64 kSettleMs = 5000;
constexpr int kMaxTries = 4;

QElapsedTimer& Clock() {
  static QElapsedTimer c = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return c;
}

bool IsForm(QObject* o) {
  auto* w = qobject_cast<QWidget*>(o);
  if (!w || !w->isWindow()) return false;
  Qt::WindowType t = w->windowType();
  return t == Qt::Window || t == Qt::Dialog || t == Qt::Tool;
}

QMargins FrameOf(QWidget* w) {
  QWindow* h = w->windowHandle();
  return h ? h->frameMargins() : QMargins();
}

// Client corner that puts the frame at the screen's centre, with the frame
// as far as it is known (none before the window manager has framed it).
QPoint CentredClient(QWidget* w) {
  QScreen* s = QGuiApplication::primaryScreen();
  if (!s) return w->geometry().topLeft();
  QRect g = s->geometry();
  QMargins m = FrameOf(w);
  int fw = w->width() + m.left() + m.right();
  int fh = w->height() + m.top() + m.bottom();
  return {g.x() + (g.width() - fw) / 2 + m.left(), g.y() + (g.height() - fh) / 2 + m.top()};
}

class Placer : public QObject {
 public:
  using QObject::QObject;

  // Puts the client corner of w at p; our own moves are told apart from
  // the program's.
  void Place(QWidget* w, QPoint p) {
    if (w->geometry().topLeft() == p) return;
    self_ = w;
    w->setGeometry(QRect(p, w->size()));
    self_ = nullptr;
  }

  void Arm(QWidget* w, QPoint wanted) {
    w->setProperty(kWanted, wanted);
    w->setProperty(kSince, Clock().elapsed());
    w->setProperty(kTries, kMaxTries);
    Place(w, wanted);
  }

  static void Disarm(QWidget* w) { w->setProperty(kTries, 0); }

  static bool Armed(QWidget* w) {
    return w->property(kTries).toInt() > 0 && Clock().elapsed() - w->property(kSince).toLongLong() < kSettleMs;
  }

  // After the window manager moved or activated the window: put it back
  // where it belongs, or stop watching once it stands there.
  void Check(QWidget* w) {
    if (!Armed(w)) return;
    QPoint wanted = w->property(kCentred).toBool() ? CentredClient(w) : w->property(kWanted).toPoint();
    w->setProperty(kWanted, wanted);
    if (w->geometry().topLeft() == wanted && !FrameOf(w).isNull()) {
      Disarm(w);
      return;
    }
    if (w->geometry().topLeft() == wanted) return;  // not framed yet: the manager may still move it
    w->setProperty(kTries, w->property(kTries).toInt() - 1);
    Place(w, wanted);
  }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    switch (e->type()) {
      case QEvent::Show:
      case QEvent::Hide:
      case QEvent::Move:
      case QEvent::WindowActivate:
        break;
      default:
        return false;
    }
    if (!IsForm(o)) return false;
    auto* w = static_cast<QWidget*>(o);
    switch (e->type()) {
      case QEvent::Hide:
        // Minimising is the window system's hide; only the program's counts.
        if (e->spontaneous()) break;
        Disarm(w);
        if (w->property(kOnce).toBool()) w->setProperty(kCentred, QVariant());
        w->setProperty(kKept, w->geometry().topLeft());
        break;
      case QEvent::Show:
        if (e->spontaneous()) break;
        if (w->property(kCentred).toBool()) Arm(w, CentredClient(w));
        else if (w->property(kKept).isValid()) Arm(w, w->property(kKept).toPoint());
        break;
      case QEvent::Move:
        if (w == self_) break;
        if (!e->spontaneous()) {
          // The program placed the window itself: its place stands.
          w->setProperty(kKept, QVariant());
          if (w->isVisible() && w->property(kOnce).toBool()) w->setProperty(kCentred, QVariant());
          if (!w->property(kCentred).toBool()) Disarm(w);
          break;
        }
        Check(w);
        break;
      case QEvent::WindowActivate:
        Check(w);
        break;
      default:
        break;
    }
    return false;
  }

 private:
  QWidget* self_ = nullptr;
};

QPointer<Placer> g_placer;

}  // namespace

void Placement_Install() {
  auto* app = QCoreApplication::instance();
  if (!app || g_placer) return;
  Clock();
  g_placer = new Placer(app);
  app->installEventFilter(g_placer);
}

void CenterOnScreen(QWidget* w) {
  Placement_Install();
  w->setProperty(kCentred, true);
  if (g_placer) g_placer->Arm(w, CentredClient(w));
}

void CenterAtStart(QWidget* w) {
  w->setProperty(kOnce, true);
  CenterOnScreen(w);
}
