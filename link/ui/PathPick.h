// Folder and file choices of the link forms: the shared picker dialog
// (TFSeleDlg), behind one call that a test can answer instead.
#pragma once

#include <QString>
#include <functional>

class QWidget;

struct PathPickRequest {
  bool dirSelect = false;  // a folder, not a file
  QString path;            // in: the folder to start in; out: the chosen folder
  QString fileName;        // in: a file to preselect; out: the chosen file's full path
};

// 1 when the user confirmed a choice, 2 when cancelled.
using PathPicker = std::function<int(QWidget* parent, PathPickRequest& request)>;

int PickPath(QWidget* parent, PathPickRequest& request);

// Replaces the picker with a test's answer; an empty function restores the
// shared picker.
void SetPathPicker(PathPicker picker);
