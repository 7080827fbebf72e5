// The copy of the administrator data set from one folder to another.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <string>

#include "shell/ui/FSelBox_Unit.h"

class TDataCopyFrm : public QWidget {
  Q_OBJECT
 public:
  explicit TDataCopyFrm(QWidget* parent = nullptr);
  ~TDataCopyFrm() override;

  QGroupBox* DataCopy_GrpBox;
  QLabel* Moto_Lbl;
  QLabel* MotoDir_Lbl;
  QLabel* Saki_Lbl;
  QLabel* SakiDir_Lbl;
  QPushButton* Moto_BitBtn;
  QPushButton* Saki_BitBtn;
  QPushButton* FileCopy_BitBtn;
  QPushButton* Ext_BitBtn;
  TFSeleDlg* DataCopy_OFSeleDlg;

  // The pause before the copy starts, with the hourglass showing.
  int CopyPauseMs = 1000;

  // The folders the labels show, as the file system's bytes.
  const std::string& Source() const { return source_; }
  const std::string& Target() const { return target_; }
  void SetSource(const std::string& dir);
  void SetTarget(const std::string& dir);

  void FormCreate();
  void FormShow();
  void Moto_BitBtnClick();
  void Saki_BitBtnClick();
  void FileCopy_BitBtnClick();
  void Ext_BitBtnClick();

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  // The picker started in shown (or AdminDir); true with the chosen folder.
  bool Pick(const std::string& shown, std::string& chosen);
  std::string source_;
  std::string target_;
  bool leaving_ = false;
};

extern TDataCopyFrm* DataCopy_Frm;

void Lang_DataCopy(TDataCopyFrm* f);
