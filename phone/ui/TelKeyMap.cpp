#include "phone/ui/TelKeyMap.h"

#include "phone/Tel_Session.h"

namespace {

// X11 key codes of the digit row of a PC keyboard: "1" .. "9", "0".
constexpr unsigned kX11Digit1 = 10, kX11Digit0 = 19;

int RowDigit(int key, unsigned scanCode) {
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return key - Qt::Key_0;
  if (scanCode >= kX11Digit1 && scanCode <= kX11Digit0) return static_cast<int>((scanCode - kX11Digit1 + 1) % 10);
  return -1;
}

}  // namespace

int Tel_KeyCodeFor(int key, Qt::KeyboardModifiers mods, unsigned scanCode) {
  const bool keypad = mods.testFlag(Qt::KeypadModifier);
  const Qt::KeyboardModifiers m =
      mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (key == Qt::Key_F10) return TEL_KEY_SWALLOWED;
  if (key == Qt::Key_Alt && m == Qt::AltModifier) return TEL_KEY_SWALLOWED;

  if (m == Qt::ShiftModifier) {
    switch (key) {
      case Qt::Key_Backspace: return TEL_KEY_REDIAL;
      case Qt::Key_Return:
      case Qt::Key_Enter: return TEL_KEY_RSV;
      case Qt::Key_Escape: return TEL_KEY_SHORT;
      case Qt::Key_PageUp: return TEL_KEY_VOL_UP;
      case Qt::Key_PageDown: return TEL_KEY_VOL_DOWN;
      case Qt::Key_NumberSign: return TEL_KEY_SHARP;   // Shift + "3"
      case Qt::Key_Asterisk: return keypad ? TEL_KEY_NONE : TEL_KEY_STAR;  // Shift + ":*"
      default: return TEL_KEY_NONE;
    }
  }
  if (m == Qt::ControlModifier) {
    int d = keypad ? (key >= Qt::Key_0 && key <= Qt::Key_9 ? key - Qt::Key_0 : -1) : RowDigit(key, scanCode);
    if (d < 0) return TEL_KEY_NONE;
    return d == 0 ? TEL_KEY_SYS1 + 9 : TEL_KEY_SYS1 + d - 1;
  }
  switch (key) {
    case Qt::Key_Backspace: return TEL_KEY_HOOK;
    case Qt::Key_Escape: return TEL_KEY_SET;
    case Qt::Key_PageUp: return TEL_KEY_PAGE_UP;
    case Qt::Key_PageDown: return TEL_KEY_PAGE_DOWN;
    case Qt::Key_F12: return TEL_KEY_CONF;
    case Qt::Key_Asterisk: return keypad ? TEL_KEY_STAR : TEL_KEY_NONE;
    default: break;
  }
  if (key >= Qt::Key_F1 && key <= Qt::Key_F8) return TEL_KEY_FF1 + (key - Qt::Key_F1);
  int d = keypad ? (key >= Qt::Key_0 && key <= Qt::Key_9 ? key - Qt::Key_0 : -1)
                 : (m == Qt::NoModifier ? (key >= Qt::Key_0 && key <= Qt::Key_9 ? key - Qt::Key_0 : -1)
                                        : RowDigit(key, scanCode));
  if (d >= 0) return TEL_KEY_DIAL0 + d;
  return TEL_KEY_NONE;
}
