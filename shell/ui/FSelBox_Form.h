// The form of the file-or-folder picker.
#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <string>

#include "shell/ui/DirControls.h"

class TFSel_Dlg : public QDialog {
  Q_OBJECT
 public:
  explicit TFSel_Dlg(QWidget* parent = nullptr);

  QPushButton* Ok_BitBtn;      // 1
  QPushButton* Cancel_BitBtn;  // 2
  QFrame* FSel_Bvl;
  QLabel* Fname_Lbl;
  TFileListBox* FSel_FilLstBox;
  TDriveComboBox* FSel_DrvCmbBox;
  TDirectoryListBox* FSel_DirLstBox;
  QLabel* Lfname_Lbl;
  QFrame* Fname_Bvl;

  // Captions and fonts, English or Japanese, for folder or file mode.
  void SetTexts(bool english, bool dirSelect);
  // Folder mode: the folder controls move to the file list's place and the
  // file list goes.
  void SetFolderLayout();
  // Shows dir in the drive combo, the folder list and (when shown) the
  // file list; false when dir cannot be read.
  bool GoTo(const std::string& dir);
  // Selects a file of the folder shown and shows its path.
  bool SelectFile(const std::string& name);

  bool DirSelect() const { return dirSelect_; }
  // Full path of the selected file; empty when none.
  const std::string& SelectedFile() const { return selectedFile_; }
  std::string Directory() const { return FSel_DirLstBox->Directory(); }

  void FSel_DirLstBoxChange();
  void FSel_FilLstBoxClick();
  void FSel_DrvCmbBoxChange();
  void Ok_BitBtnClick();

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  // A folder that cannot be read: back to the last one that could.
  void FolderRefused();
  void ShowChoice(const std::string& text);

  bool dirSelect_ = false;
  std::string selectedFile_;
  std::string lastGoodDrive_;
  std::string lastGoodDir_;
};
