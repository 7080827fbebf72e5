// Where a window stands once the window system has placed it, for the form
// tests that run offscreen (no frames) and, through tools/under-wm.sh, under
// a real window manager (ORVO_UNDER_WM set), which frames the windows and
// may place dialogs itself.
#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <cstdlib>

inline bool UnderWindowManager() { return qEnvironmentVariableIsSet("ORVO_UNDER_WM"); }

// Framed by the window manager (at once where there is none).
inline bool Framed(QWidget* w) {
  if (!UnderWindowManager()) return true;
  return w->windowHandle() && !w->windowHandle()->frameMargins().isNull();
}

// The frame's corner, also while QWidget's frame geometry misses a new frame.
inline QPoint FrameCorner(QWidget* w) { return w->windowHandle() ? w->windowHandle()->framePosition() : w->pos(); }

inline QPoint ScreenCentre() { return QGuiApplication::primaryScreen()->geometry().center(); }

// The frame's centre is the screen's, to the pixel that the halving drops.
inline bool Centred(const QRect& frame) {
  QPoint d = frame.center() - ScreenCentre();
  return std::abs(d.x()) <= 1 && std::abs(d.y()) <= 1;
}
inline bool Centred(QWidget* w) { return Centred(w->frameGeometry()); }

// Waits until w is shown, framed and where expected, then a while more, so
// that a late move by the window manager is seen too.
template <class Where>
bool Settles(QWidget* w, Where where) {
  if (!QTest::qWaitFor([&] { return w->isVisible() && Framed(w) && where(); }, 10000)) return false;
  QTest::qWait(300);
  return where();
}

// The frame of a dialog once it stands centred; an empty rectangle at
// (-1, -1) when it never does.
inline QRect SettledCentredFrame(QWidget* d) {
  if (!Settles(d, [&] { return Centred(d); })) return QRect(-1, -1, 0, 0);
  return d->frameGeometry();
}
