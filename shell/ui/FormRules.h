// How every form of ORVO, KV_EDIT and ORVO_ADMIN behaves for a dealer used to
// the Windows maintenance consoles. The rules live here once; a form built
// later follows them and adds no handler of its own for them:
//
// - Enter and keypad Enter press the focused push button, on every form.
//   In a dialog (QDialog), Enter on any other control presses the button
//   the form names as its default (setDefault(true) on that button only).
//   A one-line edit that must act on Enter connects its returnPressed;
//   otherwise Enter in it does nothing outside dialogs.
// - Ctrl+Tab and Ctrl+Shift+Tab leave a grid that takes Tab from cell to
//   cell (an item view with tabKeyNavigation on) for the window's next or
//   previous control, also from an open cell editor, whose text is kept.
// - A window's title is exactly its caption: the application's display
//   name is empty, so the window system appends nothing.
// - A form whose border has no buttons (no border icons, no title-bar
//   buttons, greyed close box) sets Qt::CustomizeWindowHint |
//   Qt::WindowTitleHint, plus Qt::WindowStaysOnTopHint where it stays on
//   top, and its closeEvent refuses every close it does not make itself.
// - When a form opens, the control its layout names has the focus, else
//   its first enabled button; a button's focus mark surrounds the whole
//   button (TGlyphButton for the buttons that carry glyphs).
// - A password edit shows the prompt file's character, never text in clear
//   (FormRules_SetPasswordChar).
// - The layouts' Windows font names draw in installed faces, decided here
//   once: "ＭＳ 明朝" (and its vertical "@ＭＳ 明朝") in the fixed-pitch IPA
//   Mincho, never the proportional IPA P Mincho, so that columns of
//   full-width text line up and half-width katakana draw in the same face;
//   "ＭＳ Ｐゴシック" and "MS Sans Serif" in IPA P Gothic.
// - The toolkit's own dialogs (file, printer) speak Japanese: the toolkit's
//   Japanese translations are loaded, with the few printer-setup texts
//   they lack, and the default locale is Japanese.
// - Forms stand where the program puts them (Placement.h).
//
// FormRules_Install runs by itself when the application object of any of
// the three programs is created (every one of them links the shared
// dialogs); calling it again changes nothing.
#pragma once

#include <QIcon>
#include <QString>
#include <QStyle>
#include <initializer_list>

class QLineEdit;

void FormRules_Install();

// A password edit shows ch for every character; a null ch shows the text.
void FormRules_SetPasswordChar(QLineEdit* edit, QChar ch);

// The first of the icon theme's names that the theme has, else the style's
// standard pixmap.
QIcon FormRules_Glyph(std::initializer_list<const char*> themeNames, QStyle::StandardPixmap fallback);
