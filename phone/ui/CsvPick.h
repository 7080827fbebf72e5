// The choice of an existing CSV file, behind one call that a test can
// answer instead of the shared picker. Paths are the file system's bytes: a
// customer's file named on Windows (CP932) is listed and chosen as it is.
#pragma once

#include <functional>
#include <string>

class QWidget;

// true with the chosen file's path in chosen; false when cancelled.
// selectFile, when not empty, is the full path of a file to preselect.
using CsvPicker = std::function<bool(QWidget* parent, const std::string& startDir,
                                     const std::string& selectFile, std::string& chosen)>;

bool PickCsv(QWidget* parent, const std::string& startDir, const std::string& selectFile, std::string& chosen);

// Replaces the picker with a test's answer; an empty function restores it.
void SetCsvPicker(CsvPicker picker);
