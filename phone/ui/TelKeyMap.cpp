#include "phone/ui/TelKeyMap.h"

#include "phone/Tel_Session.h"

namespace {

// X11 key codes (evdev + 8) of a PC keyboard's main block.
constexpr unsigned kX11Digit1 = 10, kX11Digit0 = 19;  // the digit row, "1" .. "0"
constexpr unsigned kX11Ac10 = 47, kX11Ac11 = 48;      // right of "L": ";" and the key after it

// The digit of a digit-row key: by its position when the event carries it
// (a modifier may have made a symbol of the digit), else by its key code.
int RowDigit(int key, unsigned scanCode) {
  if (scanCode >= kX11Digit1 && scanCode <= kX11Digit0) return static_cast<int>((scanCode - kX11Digit1 + 1) % 10);
  if (scanCode == 0 && key >= Qt::Key_0 && key <= Qt::Key_9) return key - Qt::Key_0;
  return -1;
}

// The key that holds ":" beside "L" (virtual key 0xBA), with Shift held. On
// a Japanese layout it is the key after ";" and Shift makes it "*"; on a US
// layout it is the ";" key itself and Shift makes it ":". Which of the two
// positions it is follows from what Shift makes of it, so Shift+8 (also "*"
// on a US layout) and the Japanese ";+" key never count. An event without
// a position (synthesised) is taken by its key.
bool ShiftedColonKey(int key, unsigned scanCode) {
  if (scanCode == 0) return key == Qt::Key_Asterisk || key == Qt::Key_Colon;
  return (scanCode == kX11Ac11 && key == Qt::Key_Asterisk) || (scanCode == kX11Ac10 && key == Qt::Key_Colon);
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
      default: break;
    }
    if (keypad) return TEL_KEY_NONE;
    if (RowDigit(key, scanCode) == 3 || (scanCode == 0 && key == Qt::Key_NumberSign)) return TEL_KEY_SHARP;
    if (ShiftedColonKey(key, scanCode)) return TEL_KEY_STAR;
    return TEL_KEY_NONE;
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
  int d = keypad ? (key >= Qt::Key_0 && key <= Qt::Key_9 ? key - Qt::Key_0 : -1) : RowDigit(key, scanCode);
  if (d >= 0) return TEL_KEY_DIAL0 + d;
  return TEL_KEY_NONE;
}
