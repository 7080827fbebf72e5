#include "shell/ui/CommonFont_Unit.h"

#include <QFontMetrics>
#include <QWidget>

#include "platform/ui/QtText.h"
#include "shell/CommonStr_Unit.h"

namespace {
QFontMetrics MetricsOn(QPaintDevice* device, const QFont& font) {
  return device ? QFontMetrics(font, device) : QFontMetrics(font);
}
}  // namespace

std::string Common_FitText(QWidget* window, const QFont& font, std::string_view text, int width) {
  QFontMetrics fm = MetricsOn(window, font);
  return Common_FitTextBy(text, width,
                          [&fm](std::string_view t) { return fm.horizontalAdvance(ToQ(t)); });
}

int Common_TextWidth(QPaintDevice* device, const QFont& font, std::string_view text) {
  if (text.empty()) return 0;
  return MetricsOn(device, font).horizontalAdvance(ToQ(text));
}
