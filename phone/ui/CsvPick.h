// The choice of an existing CSV file, behind one call that a test can
// answer instead of the toolkit's file dialog.
#pragma once

#include <QString>
#include <functional>

class QWidget;

// true with the chosen file's path in chosen; false when cancelled.
using CsvPicker = std::function<bool(QWidget* parent, const QString& startDir,
                                     const QString& selectFile, QString& chosen)>;

bool PickCsv(QWidget* parent, const QString& startDir, const QString& selectFile, QString& chosen);

// Replaces the dialog with a test's answer; an empty function restores it.
void SetCsvPicker(CsvPicker picker);
