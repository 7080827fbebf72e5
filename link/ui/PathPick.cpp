#include "link/ui/PathPick.h"

#include <QFile>

#include "platform/ui/QtText.h"
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
  d.Path = !r.pathOnDisk.empty() ? r.pathOnDisk : QFile::encodeName(r.path).toStdString();
  d.FileName = !r.fileNameOnDisk.empty() ? r.fileNameOnDisk : QFile::encodeName(r.fileName).toStdString();
  if (!d.Execute(parent)) return 2;
  r.pathOnDisk = d.Path;
  r.fileNameOnDisk = d.FileName;
  r.path = NameToQ(d.Path);
  r.fileName = NameToQ(d.FileName);
  return 1;
}

}  // namespace

int PickPath(QWidget* parent, PathPickRequest& request) {
  if (!Installed()) return SharedPick(parent, request);
  const std::string pathIn = request.pathOnDisk, fileIn = request.fileNameOnDisk;
  int r = Installed()(parent, request);
  // A stand-in that answers with texts only names paths in UTF-8.
  if (r == 1 && request.pathOnDisk == pathIn) request.pathOnDisk = request.path.toUtf8().toStdString();
  if (r == 1 && request.fileNameOnDisk == fileIn)
    request.fileNameOnDisk = request.fileName.toUtf8().toStdString();
  return r;
}

void SetPathPicker(PathPicker picker) { Installed() = std::move(picker); }
