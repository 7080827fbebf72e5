// The telephone image's keyboard: which key sends which key code.
#pragma once

#include <Qt>

// Results besides a key code (0..255).
constexpr int TEL_KEY_NONE = -1;       // not mapped: the key does its usual work
constexpr int TEL_KEY_SWALLOWED = -2;  // F10, Alt alone: no key, and no default handling

// The key code for a key press. The table is chosen by the modifiers
// (the numeric pad's flag aside): exactly Shift the Shift table, exactly
// Ctrl the Ctrl table, anything else the plain one. Keys are taken by where
// they are, not by what they type: scanCode is the native key code of X11
// (0 when unknown); it finds the digit-row keys whatever a modifier or the
// layout makes of them, and the ":" key beside "L" on a Japanese and on a
// US layout alike.
int Tel_KeyCodeFor(int key, Qt::KeyboardModifiers mods, unsigned scanCode = 0);
