// Folder and file choices of the link forms: the shared picker dialog
// (TFSeleDlg), behind one call that a test can answer instead.
#pragma once

#include <QString>
#include <functional>
#include <string>

class QWidget;

struct PathPickRequest {
  bool dirSelect = false;  // a folder, not a file
  QString path;            // in: the folder to start in; out: the chosen folder
  QString fileName;        // in: a file to preselect; out: the chosen file's full path
  // The same paths as the file system's bytes, which need not be UTF-8 (the
  // texts above only show them). In: when not empty, they are used instead
  // of the texts; out: always set.
  std::string pathOnDisk;
  std::string fileNameOnDisk;
};

// 1 when the user confirmed a choice, 2 when cancelled.
using PathPicker = std::function<int(QWidget* parent, PathPickRequest& request)>;

int PickPath(QWidget* parent, PathPickRequest& request);

// Replaces the picker with a test's answer; an empty function restores the
// shared picker. An answer that leaves the OnDisk fields as they came in
// gives its paths as the texts' UTF-8.
void SetPathPicker(PathPicker picker);
