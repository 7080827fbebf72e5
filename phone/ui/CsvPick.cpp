#include "phone/ui/CsvPick.h"

#include <QFileDialog>

#include "platform/ui/QtText.h"
#include "shell/ui/FileChooser.h"

namespace {
CsvPicker& Override() {
  static CsvPicker picker;
  return picker;
}
}  // namespace

bool PickCsv(QWidget* parent, const QString& startDir, const QString& selectFile, QString& chosen) {
  if (Override()) return Override()(parent, startDir, selectFile, chosen);
  QFileDialog dlg(parent, QString(), startDir);
  FileChooser_Prepare(&dlg);
  dlg.setFileMode(QFileDialog::ExistingFile);
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  // File names keep their case here: the upper-case extension is listed too.
  dlg.setNameFilter(U8("CSVファイル (*.csv *.CSV)"));
  if (!selectFile.isEmpty()) dlg.selectFile(selectFile);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
  chosen = dlg.selectedFiles().first();
  return true;
}

void SetCsvPicker(CsvPicker picker) { Override() = std::move(picker); }
