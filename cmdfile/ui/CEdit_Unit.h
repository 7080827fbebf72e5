// The command-file text editor: the whole file as free text, one menu
// section at a time or all of it ("ALL"), each line checked against the
// control file as the caret leaves it, on Check and before Register.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "cmdfile/CEdit_Sect.h"
#include "shell/ui/HelpBitBtn_Unit.h"
#include "shell/ui/RichEditDx_Unit.h"

class TCEdit_Frm : public QWidget {
  Q_OBJECT
 public:
  explicit TCEdit_Frm(QWidget* parent = nullptr);
  ~TCEdit_Frm() override;

  QLabel* Lmenu_Lbl;
  QComboBox* Menu_CmbBox;
  QLabel* Lcom_Lbl;
  QLabel* Fname_Lbl;
  TRichEditDx* Com_RMem;
  QPushButton* Reg_BitBtn;
  QPushButton* Chk_BitBtn;
  QPushButton* Exit_BitBtn;
  THelpBitBtn* Help_BitBtn;

  // The file's path as opened and written.
  std::string ComFilePath;
  ComSectTable Sections;

  // Prepares the editor on SelectedCmdName in the list's folder: New (1)
  // starts empty, otherwise an existing file is read and split. false when
  // the file exists but cannot be read.
  bool ComFile_Load(int newFile);

  void FormShow();
  void Menu_CmbBoxEnter();
  void Menu_CmbBoxChange();
  void Com_RMemLineLeft();
  void Com_RMemExit();
  void Chk_BitBtnClick();
  void Reg_BitBtnClick();
  void Exit_BitBtnClick() { close(); }

  // The line last found faulty by a section or file check.
  int FaultLine() const { return faultLine_; }

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  // The shown text's lines in CP932 (nullopt: a line with no CP932 form).
  std::vector<std::optional<std::string>> ShownLines() const;
  std::string Shown() const;
  // ComMemo_Check of the shown text; on a fault the line is marked and the
  // message shown. Returns the code.
  int ComSect_Check(const std::string& name);
  void MarkLine(int line);
  void ShowFault(int code);
  bool Busy(bool on);
  std::vector<std::string> menus_;
  std::string prevSection_;
  int lastLine_ = 0;
  int faultLine_ = 0;
  bool busy_ = false;
};

extern TCEdit_Frm* CEdit_Frm;

void Lang_CEdit(TCEdit_Frm* f);
