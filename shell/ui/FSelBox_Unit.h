// The file-or-folder picker that forms of all three programs place on
// their layouts: set its properties, call Execute, read the choice.
#pragma once

#include <QObject>
#include <string>

class QWidget;

class TFSeleDlg : public QObject {
  Q_OBJECT
 public:
  explicit TFSeleDlg(QObject* parent = nullptr) : QObject(parent) {}

  // In: a file to preselect; out: the chosen file's full path (empty in
  // folder mode). Paths are the file system's bytes.
  std::string FileName;
  // In: the folder to start in; out: the chosen folder (no trailing "/"
  // except the root).
  std::string Path;
  // Pick a folder instead of a file.
  bool DirSelect = false;
  // The files offered in file mode ("*.csv"), matched without case.
  std::string Mask = "*";
  // English captions and font.
  bool English = false;

  // Shows the picker modally; true when confirmed with OK. A FileName that
  // does not exist is cleared and a Path that is no folder replaced by the
  // current directory, also when the user cancels.
  bool Execute(QWidget* owner = nullptr);
};
