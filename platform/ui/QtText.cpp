#include "platform/ui/QtText.h"

#include "platform/Cp932.h"

QString ToQ(std::string_view sjis) { return QString::fromStdString(cp932::ToUtf8(sjis)); }

QString NameToQ(std::string_view onDisk) { return QString::fromStdString(cp932::NameToUtf8(onDisk)); }

std::optional<std::string> FromQ(const QString& text) {
  return cp932::FromUtf8(text.toStdString());
}

QString ToQLossless(std::string_view sjis) {
  return QString::fromStdString(cp932::ToUtf8Lossless(sjis));
}

std::optional<std::string> FromQLossless(const QString& text) {
  return cp932::FromUtf8Lossless(text.toStdString());
}
