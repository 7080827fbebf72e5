#include "link/ui/PathPick.h"

#include <QFile>

#include "shell/ui/FSelBox_Unit.h"

namespace {

PathPicker& Installed() {
  static PathPicker p;
  return p;
}

// The shared picker; its paths are the file system's bytes.
int SharedPick(QWidget* parent, PathPickRequest& r) {
  TFSeleDlg d;
  d.DirSelect = r.dirSelect;
  d.Path = QFile::encodeName(r.path).toStdString();
  d.FileName = QFile::encodeName(r.fileName).toStdString();
  if (!d.Execute(parent)) return 2;
  r.path = QFile::decodeName(QByteArray::fromStdString(d.Path));
  r.fileName = QFile::decodeName(QByteArray::fromStdString(d.FileName));
  return 1;
}

}  // namespace

int PickPath(QWidget* parent, PathPickRequest& request) {
  return Installed() ? Installed()(parent, request) : SharedPick(parent, request);
}

void SetPathPicker(PathPicker picker) { Installed() = std::move(picker); }
