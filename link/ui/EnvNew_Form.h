// The environment settings form: shows ENVIRON.DAT, USER.INF and the modem
// kinds, and stores what the user set.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QValidator>
#include <QWidget>

#include "link/EnvNew_Unit.h"
#include "shell/ui/HelpBitBtn_Unit.h"
#include "shell/ui/Input_Unit.h"

// Text with a CP932 form of at most maxBytes bytes.
class Cp932LimitValidator : public QValidator {
 public:
  Cp932LimitValidator(int maxBytes, QObject* parent) : QValidator(parent), max_(maxBytes) {}
  State validate(QString& input, int& pos) const override;

 private:
  int max_;
};

// The in-memory settings of the form.
extern EnvSettings Env;

class TEnv_Frm : public QWidget {
  Q_OBJECT
 public:
  explicit TEnv_Frm(QWidget* parent = nullptr);
  ~TEnv_Frm() override;

  QGroupBox* CtlFileName_GrpBox;
  QLabel* CtlFileName_Lbl;
  QPushButton* CtlFile_BitBtn;
  QGroupBox* DataSet_GrpBox;
  QLabel* DataSet_Lbl;
  QPushButton* DataSet_BitBtn;
  QLabel* UsrName_Lbl;
  QLineEdit* UsrName_Edt;
  QGroupBox* ScrFileName_GrpBox;
  QLabel* ScrFileName_Lbl;
  QPushButton* ScrFile_BitBtn;
  QTabBar* Connect_TCtl;
  QCheckBox* AT_ChkBox;
  QGroupBox* ComSet_GrpBox;
  QLabel* ComPort_Lbl;
  QComboBox* ComPort_CmbBox;
  QLabel* Connect_Lbl;
  QCheckBox* Direct_ChkBox;
  QCheckBox* Public_ChkBox;
  QLabel* Rcv_Lbl;
  QSpinBox* Rcv_SEdt;
  QLabel* RcvSec_Lbl;
  QLabel* Modem_Lbl;
  QComboBox* Modem_CmbBox;
  QGroupBox* Cmd_GrpBox;
  QLabel* CmdInit_Lbl;
  QLineEdit* CmdInit_Edt;
  QLabel* CmdDial_Lbl;
  QLineEdit* CmdDial1_Edt;
  QLineEdit* CmdDial2_Edt;
  QLabel* CmdEnd_Lbl;
  QLineEdit* CmdEnd1_Edt;
  QLineEdit* CmdEnd2_Edt;
  QGroupBox* TimeOut_GrpBox;
  QLabel* TimeOut_Lbl;
  QSpinBox* TimeOutInit_SEdt;
  QLabel* TimeOutInitSec_Lbl;
  QLabel* TimeOutDial_Lbl;
  QSpinBox* TimeOutDial_SEdt;
  QLabel* TimeOutDialSec_Lbl;
  QLabel* TimeOutEnd_Lbl;
  QSpinBox* TimeOutEnd_SEdt;
  QLabel* TimeOutEndSec_Lbl;
  QGroupBox* Ether_GrpBox;
  QLabel* TOut_Lbl;
  QSpinBox* TOut_SEdt;
  QLabel* TOutSec_Lbl;
  QLabel* Retry_Lbl;
  QSpinBox* Retry_SEdt;
  QLabel* RetryNum_Lbl;
  QLabel* ConnPort_Lbl;
  QLineEdit* ConnPort_Edt;
  QLabel* Port_Lbl;
  QLineEdit* Port_Edt;
  THelpBitBtn* HelpBitBtn;
  QPushButton* Reg_BitBtn;
  QPushButton* Ext_BitBtn;

  // Reads the three files into Env before the main window shows the form.
  bool Env_Init();

  void FormCreate();
  void FormShow();
  void Connect_TCtlChange();
  void Public_ChkBoxClick();
  void Modem_CmbBoxChange(int index);
  void CtlFile_BitBtnClick();
  void DataSet_BitBtnClick();
  void ScrFile_BitBtnClick();
  void Reg_BitBtnClick();
  void Ext_BitBtnClick();

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  bool closing_ = false;
  // A chosen path that can go into field; shows the refusal otherwise.
  bool AcceptPath(int field, const QString& path);
};

extern TEnv_Frm* Env_Frm;

void Lang_Env(TEnv_Frm* f);
