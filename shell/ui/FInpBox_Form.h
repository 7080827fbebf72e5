// The form of the file-name entry: a folder chosen from lists and a file
// name typed or taken from the folder's files.
#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>

#include "shell/ui/DirControls.h"

class ForbiddenCharValidator;

class TFInp_Dlg : public QDialog {
  Q_OBJECT
 public:
  explicit TFInp_Dlg(QWidget* parent = nullptr);

  QPushButton* Ok_BitBtn;      // 1
  QPushButton* Cancel_BitBtn;  // 2
  QFrame* FInp_Bvl;
  QLabel* Path_Lbl;
  TFileListBox* FInp_FilLstBox;
  TDriveComboBox* FInp_DrvCmbBox;
  TDirectoryListBox* FInp_DirLstBox;
  QFrame* Bevel2;
  QLineEdit* FName_Edt;

  void SetEnglish();
  // Shows dir in the lists and in Path_Lbl; false when it cannot be read.
  bool GoTo(const std::string& dir);
  std::string Directory() const { return FInp_DirLstBox->Directory(); }
  // Puts a name given in the file system's bytes into the edit; left as it
  // is, it comes back as those bytes.
  void ShowName(const std::string& name);
  // The typed name in the file system's bytes.
  std::string EnteredName() const;
  // A name the edit accepts: not empty, none of "\" ":" "/" or NUL, every
  // character with a CP932 form, at most 60 characters.
  bool NameAcceptable(const QString& name) const;

  void FInp_DirLstBoxChange();
  void FInp_FilLstBoxClick();
  void FInp_DrvCmbBoxChange();
  void Ok_BitBtnClick();

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void FolderRefused();
  ForbiddenCharValidator* validator_;
  std::string lastGoodDrive_;
  std::string clickedName_;  // the name last put into the edit, as on disk
  std::string lastGoodDir_;
};
