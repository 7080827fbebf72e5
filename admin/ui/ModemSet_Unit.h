// The modem list editor: the kinds of MODEM.INF with their five commands.
#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "admin/ModemSet.h"

class TModemSetFrm : public QWidget {
  Q_OBJECT
 public:
  explicit TModemSetFrm(QWidget* parent = nullptr);
  ~TModemSetFrm() override;

  QLabel* Kind_Lbl;
  QComboBox* Kind_CmbBox;
  QGroupBox* Cmd_GrpBox;
  QLabel* Init_Lbl;
  QLabel* Dial_Lbl;
  QLabel* Cut_Lbl;
  QLineEdit* Init_Edt;
  QLineEdit* Dial1_Edt;
  QLineEdit* Dial2_Edt;
  QLineEdit* Cut1_Edt;
  QLineEdit* Cut2_Edt;
  QPushButton* Reg_BitBtn;
  QPushButton* Ext_BitBtn;

  // The kinds as read and edited, and the one last selected.
  ModemSetList List;

  void FormCreate();
  void FormShow();
  void Kind_CmbBoxClick(int index);
  void Reg_BitBtnClick();
  void Ext_BitBtnClick();

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  ModemCmds Edits() const;
  void ShowEdits(const ModemCmds& c);
  void FocusFor(ModemFocus f);
  bool leaving_ = false;
};

extern TModemSetFrm* ModemSet_Frm;

void Lang_ModemSet(TModemSetFrm* f);
