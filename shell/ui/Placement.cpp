#include "shell/ui/Placement.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <map>

namespace {

// Per-window state, kept as dynamic properties so that it dies with the form.
// Places are the frame's top-left corner, as the program gives them.
constexpr const char* kCentred = "orvoPlaceCentred";   // bool
constexpr const char* kOnce = "orvoPlaceOnce";         // bool: centred only until first hidden or moved
constexpr const char* kKept = "orvoPlaceKept";         // QPoint: frame corner when hidden
constexpr const char* kWanted = "orvoPlaceWanted";     // QPoint: frame corner to hold
constexpr const char* kSince = "orvoPlaceSince";       // qint64: ms of the show
constexpr const char* kTries = "orvoPlaceTries";       // int: corrections left

// How long after a show the window manager's own placement is put right,
// and how often, until the window is on the screen with its frame.
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

bool Created(QWidget* w) { return w->testAttribute(Qt::WA_WState_Created) && w->windowHandle(); }

// The frame the window manager put round the window; none before it has.
QMargins FrameOf(QWidget* w) { return Created(w) ? w->windowHandle()->frameMargins() : QMargins(); }

// The manager frames every window of a kind alike (a dialog's title bar
// may differ from a form's): the last frame seen per kind.
std::map<int, QMargins>& FramesSeen() {
  static std::map<int, QMargins> seen;
  return seen;
}

// The window's frame, or until it has one the frame its kind was given.
QMargins LikelyFrame(QWidget* w) {
  QMargins m = FrameOf(w);
  if (!m.isNull()) {
    FramesSeen()[w->windowType()] = m;
    return m;
  }
  auto it = FramesSeen().find(w->windowType());
  return it != FramesSeen().end() ? it->second : QMargins();
}

QPoint ClientFor(QWidget* w, QPoint frame) {
  QMargins m = LikelyFrame(w);
  return frame + QPoint(m.left(), m.top());
}

QPoint FrameCorner(QWidget* w) {
  QMargins m = LikelyFrame(w);
  return w->geometry().topLeft() - QPoint(m.left(), m.top());
}

// Frame corner that puts the frame at the primary screen's centre.
QPoint CentredFrame(QWidget* w) {
  QScreen* s = QGuiApplication::primaryScreen();
  if (!s) return FrameCorner(w);
  QRect g = s->geometry();
  QMargins m = LikelyFrame(w);
  int fw = w->width() + m.left() + m.right();
  int fh = w->height() + m.top() + m.bottom();
  return {g.x() + (g.width() - fw) / 2, g.y() + (g.height() - fh) / 2};
}

// On the screen with the frame the manager gave it: the manager has placed
// it, and any move from now on is the dealer's.
bool OnScreen(QWidget* w) {
  return !FrameOf(w).isNull() && (w->windowHandle()->isExposed() || w->isActiveWindow());
}

class Placer : public QObject {
 public:
  using QObject::QObject;

  // Puts the frame's corner of w at frame; these moves are told apart from
  // the program's.
  void Place(QWidget* w, QPoint frame) {
    self_ = w;
    if (!Created(w) && LikelyFrame(w).isNull()) {
      // No frame seen yet: Qt has the manager put the frame there.
      if (w->pos() != frame) w->move(frame);
    } else if (QPoint client = ClientFor(w, frame); !Created(w) || w->geometry().topLeft() != client) {
      // Before the window exists, a corner given earlier may still stand
      // for the frame's; the client's corner is set anew in any case.
      w->setGeometry(QRect(client, w->size()));
    }
    self_ = nullptr;
  }

  void Arm(QWidget* w, QPoint frame) {
    w->setProperty(kWanted, frame);
    w->setProperty(kSince, Clock().elapsed());
    w->setProperty(kTries, kMaxTries);
    Place(w, frame);
  }

  // The program's own placement, whether shown or still hidden.
  void Put(QWidget* w, QPoint frame) {
    w->setProperty(kKept, QVariant());
    if (w->property(kOnce).toBool()) w->setProperty(kCentred, QVariant());
    Arm(w, frame);
  }

  static void Disarm(QWidget* w) { w->setProperty(kTries, 0); }

  static bool Armed(QWidget* w) {
    return w->property(kTries).toInt() > 0 && Clock().elapsed() - w->property(kSince).toLongLong() < kSettleMs;
  }

  // After the window system moved, showed or activated the window: put it
  // where it belongs. Once it is on the screen with its frame, the last
  // correction is made and the watch ends.
  void Check(QWidget* w) {
    if (!Armed(w)) return;
    QPoint wanted = w->property(kCentred).toBool() ? CentredFrame(w) : w->property(kWanted).toPoint();
    w->setProperty(kWanted, wanted);
    if (OnScreen(w)) {
      Place(w, wanted);
      Disarm(w);
      return;
    }
    // Not framed or not shown yet: the manager may still move it.
    if (w->geometry().topLeft() == ClientFor(w, wanted)) return;
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
      case QEvent::Expose:
        if (QWidget* w = FormOf(o)) Check(w);
        return false;
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
        w->setProperty(kKept, FrameCorner(w));
        break;
      case QEvent::Show:
        if (e->spontaneous()) break;
        if (w->property(kCentred).toBool()) Arm(w, CentredFrame(w));
        else if (w->property(kKept).isValid()) Arm(w, w->property(kKept).toPoint());
        else if (w->property(kTries).toInt() > 0) Arm(w, w->property(kWanted).toPoint());  // put while hidden
        break;
      case QEvent::Move:
        if (w == self_) break;
        if (!e->spontaneous()) {
          // A place given before the first show is delivered with the show.
          if (Armed(w) && w->geometry().topLeft() == ClientFor(w, w->property(kWanted).toPoint())) break;
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
  // The form whose window system window o is.
  static QWidget* FormOf(QObject* o) {
    if (!o->isWindowType()) return nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->windowHandle() == o && IsForm(w)) return w;
    return nullptr;
  }

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
  if (g_placer) g_placer->Arm(w, CentredFrame(w));
}

void CenterAtStart(QWidget* w) {
  w->setProperty(kOnce, true);
  CenterOnScreen(w);
}

void PlaceFrameAt(QWidget* w, QPoint frameTopLeft) {
  Placement_Install();
  if (g_placer) g_placer->Put(w, frameTopLeft);
  else w->move(frameTopLeft);
}

QPoint FrameTopLeft(QWidget* w) { return FrameCorner(w); }

void PaintWhenShown(QWidget* w) {
  // Long enough for a window manager to frame and map the window.
  constexpr qint64 kShowWaitMs = 2000;
  QTimer wake;  // ends each wait also when the window system sends nothing
  wake.start(20);
  QElapsedTimer waited;
  waited.start();
  while (w->isVisible() && !(w->windowHandle() && w->windowHandle()->isExposed()) && waited.elapsed() < kShowWaitMs)
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
  w->repaint();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
