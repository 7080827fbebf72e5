// The folder controls of the picker and the file-name entry: a combo of
// starting points (the root, the home folder and the mounted volumes, in
// place of drives), a list of the folder path with its subfolders, and the
// files of one folder. Paths are the file system's own bytes (UTF-8), with
// no trailing "/" except the root.
#pragma once

#include <QComboBox>
#include <QListWidget>
#include <string>
#include <vector>

// Path without a trailing "/" (the root stays "/").
std::string DirCtl_Normalize(const std::string& path);
// The process's current directory ("/" when it cannot be had).
std::string DirCtl_CurrentDir();
// path made absolute against the current directory and normalised.
std::string DirCtl_Absolute(const std::string& path);
// An existing folder whose entries can be listed.
bool DirCtl_Readable(const std::string& dir);

class TDriveComboBox : public QComboBox {
  Q_OBJECT
 public:
  explicit TDriveComboBox(QWidget* parent = nullptr);
  // The starting points, root first.
  void Fill();
  // Selects the starting point that holds path (the longest match), without
  // change notification.
  void SelectFor(const std::string& path);
  std::string Drive() const;
  // Selects a starting point by its path, without change notification.
  void SetDrive(const std::string& root);

 signals:
  // The user chose another starting point.
  void driveChanged();
};

class TDirectoryListBox : public QListWidget {
  Q_OBJECT
 public:
  explicit TDirectoryListBox(QWidget* parent = nullptr);
  // Shows dir: its path from the root, then its subfolders. false, and the
  // list unchanged, when dir cannot be read.
  bool SetDirectory(const std::string& dir);
  const std::string& Directory() const { return dir_; }

 signals:
  // The user opened another folder (double-click or Enter).
  void directoryChanged();
  // The user tried to open a folder that cannot be read.
  void directoryRefused(const QString& path);

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void Open(QListWidgetItem* item);
  std::string dir_;
};

// The files of one folder. Like the file list the layouts describe, it
// never scrolls sideways: a name wider than the list is cut at its edge.
class TFileListBox : public QListWidget {
  Q_OBJECT
 public:
  explicit TFileListBox(QWidget* parent = nullptr);
  // Lists the files of dir; false when it cannot be read (the list is then
  // empty).
  bool SetDirectory(const std::string& dir);
  const std::string& Directory() const { return dir_; }
  // Which files are listed ("*.csv"), matched without case; "*" by default.
  std::string Mask = "*";
  // Selects the entry named name; false when there is none.
  bool SelectName(const std::string& name);
  // Name of the selected file without folder; empty when none.
  std::string SelectedName() const;
  // Full path of the selected file; empty when none.
  std::string SelectedPath() const;

 protected:
  void updateGeometries() override;

 private:
  std::string dir_;
};
