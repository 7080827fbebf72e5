// The file-name entry that forms place on their layouts: set its
// properties, call Execute, read the entry.
#pragma once

#include <QObject>
#include <string>

class QWidget;

class TFInpDlg : public QObject {
  Q_OBJECT
 public:
  explicit TFInpDlg(QObject* parent = nullptr) : QObject(parent) {}

  bool English = false;
  // In: the proposed name; out: the entered name, without folder.
  std::string FileName;
  // In: the start folder; out: the chosen folder (no trailing "/" except
  // the root). A Path that is no folder is replaced by the current
  // directory, also when the user cancels.
  std::string Path;

  // Shows the dialog modally; true on OK.
  bool Execute(QWidget* owner = nullptr);
};
