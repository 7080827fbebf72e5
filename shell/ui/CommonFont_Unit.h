// Text measuring helpers that need a font: fitting a name into a column and
// the width of a text on a device (screen or printer).
#pragma once

#include <QFont>
#include <string>
#include <string_view>

class QPaintDevice;
class QWidget;

// text (CP932), shortened and ended with ".." when it is wider than width
// pixels in font on window (see Common_FitTextBy for the rule).
std::string Common_FitText(QWidget* window, const QFont& font, std::string_view text, int width);

// Width in pixels of text (CP932) in font on device (the screen when null);
// 0 for an empty text.
int Common_TextWidth(QPaintDevice* device, const QFont& font, std::string_view text);
