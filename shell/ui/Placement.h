// Where the top-level forms of the three programs stand, also under a
// window manager that places windows itself: it may centre a transient
// dialog over its parent, and after a window was hidden Qt may take the
// frame's corner for the client area's and put the window back a title
// bar's height away.
//
// - CenterOnScreen: the window's frame stands at the centre of the primary
//   screen, every time the window is shown (message and input dialogs).
// - CenterAtStart: the same for the first show only (main windows); once
//   hidden or moved by the program it is placed as every other form.
// - PlaceFrameAt: the window's frame, title bar included, has its corner
//   at the given point (a form standing on another), also when the window
//   manager has not framed the window yet: until it has, the frame it gave
//   the program's other windows of that kind stands in.
// - Every other form shown again stands where it stood when it was hidden,
//   unless the program moved it meanwhile.
// A placement the window manager changes after the show is put right until
// the window is on the screen with its frame; every later move is the
// user's and is left alone.
#pragma once

#include <QPoint>

class QWidget;

// Installed with the form rules, once per application.
void Placement_Install();

// The window centred on the screen now and whenever it is shown again.
void CenterOnScreen(QWidget* w);

// The window centred on the screen now and at its first show; afterwards
// it keeps its place.
void CenterAtStart(QWidget* w);

// The window's frame with its top-left corner at frameTopLeft, now and when
// it is shown.
void PlaceFrameAt(QWidget* w, QPoint frameTopLeft);

// Where the window's frame has its top-left corner, as far as the frame is
// known (QWidget's own frame geometry may not yet count a frame the window
// manager has just put round it).
QPoint FrameTopLeft(QWidget* w);

// Waits, a while at most, until the window system shows the window, then
// paints it: what is painted before goes nowhere, and a box that says the
// program works must be seen before that work, which lets no event
// through, begins.
void PaintWhenShown(QWidget* w);
