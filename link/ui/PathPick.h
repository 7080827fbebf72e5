// Folder and file choices of the link forms, behind one call so that the
// shared picker dialog can take them over without touching the forms.
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

// Replaces the picker (the shared picker dialog, or a test's answer); an
// empty function restores the plain one.
void SetPathPicker(PathPicker picker);
