#include "phone/ui/CsvPick.h"

#include "shell/ui/FSelBox_Unit.h"

namespace {
CsvPicker& Override() {
  static CsvPicker picker;
  return picker;
}
}  // namespace

bool PickCsv(QWidget* parent, const std::string& startDir, const std::string& selectFile, std::string& chosen) {
  if (Override()) return Override()(parent, startDir, selectFile, chosen);
  TFSeleDlg dlg;
  dlg.Path = startDir;
  dlg.FileName = selectFile;
  dlg.Mask = "*.csv";
  if (!dlg.Execute(parent) || dlg.FileName.empty()) return false;
  chosen = dlg.FileName;
  return true;
}

void SetCsvPicker(CsvPicker picker) { Override() = std::move(picker); }
