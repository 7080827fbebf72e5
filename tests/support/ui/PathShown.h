// A path too wide for the fixed label that shows it: the label keeps the
// path's start and its last name, with "…" between them, within its width;
// the tool tip holds the path whole.
#pragma once

#include <QLabel>
#include <QString>
#include <gtest/gtest.h>
#include <string>

// About 200 bytes of folders, the last one named last: a path relative to
// a temporary folder, without a trailing "/".
inline std::string DeepFolder(const std::string& last) {
  std::string p;
  for (int i = 0; i < 9; ++i) p += "level" + std::to_string(i) + std::string(14, 'x') + "/";
  return p + last;
}

inline ::testing::AssertionResult PathCut(const QLabel* l, const QString& whole) {
  const QString shown = l->text();
  const qsizetype dots = shown.indexOf(QChar(0x2026));
  const QString last = whole.section(QLatin1Char('/'), -1);
  const auto fail = [&] { return ::testing::AssertionFailure() << "\"" << shown.toStdString() << "\": "; };
  if (dots <= 0) return fail() << "not cut in the middle";
  if (!whole.startsWith(shown.left(dots))) return fail() << "does not start as " << whole.toStdString();
  if (last.isEmpty() || !shown.endsWith(QLatin1Char('/') + last)) return fail() << "does not end in " << last.toStdString();
  if (l->fontMetrics().horizontalAdvance(shown) > l->contentsRect().width()) return fail() << "wider than the label";
  if (l->toolTip() != whole) return fail() << "tool tip \"" << l->toolTip().toStdString() << "\"";
  return ::testing::AssertionSuccess();
}
