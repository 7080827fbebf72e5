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
// - Every other form shown again stands where it stood when it was hidden,
//   unless the program moved it meanwhile.
// A placement the window manager changes within a short while after the
// show is put right; later moves (the user's) are left alone.
#pragma once

class QWidget;

// Installed with the form rules, once per application.
void Placement_Install();

// The window centred on the screen now and whenever it is shown again.
void CenterOnScreen(QWidget* w);

// The window centred on the screen now and at its first show; afterwards
// it keeps its place.
void CenterAtStart(QWidget* w);
