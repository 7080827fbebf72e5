// The line connection form: the user picks how to reach the exchange,
// connects and logs in, or stores the choices for next time.
#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QValidator>
#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "link/ConnModem.h"
#include "link/ConnSettings.h"
#include "link/LinkPort.h"
#include "shell/ui/HelpBitBtn_Unit.h"

// The telephone number: digits, "#", "*", "-" and "R", shown in capitals.
class TelNumberValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override;
};

class TConn_Frm;

// The AT terminal's receive thread: waits on the port for received bytes
// and hands every complete line the modem sends to the form's memo.
class TConnRecv : public QThread {
 public:
  // Adds the character-received event to the port's event mask and starts.
  TConnRecv(TConn_Frm* form, SerialLink* port, int rcvTimeOutMs);
  ~TConnRecv() override;
  // Clears the port's event mask, which ends the thread, and waits for it.
  void Stop();
  void Execute();

 protected:
  void run() override { Execute(); }

 private:
  TConn_Frm* form_;
  SerialLink* port_;
  int rcvTimeOutMs_;
  TermLineCollector line_;
};

class TConn_Frm : public QWidget {
  Q_OBJECT
 public:
  explicit TConn_Frm(QWidget* parent = nullptr);
  ~TConn_Frm() override;

  QGroupBox* Ct_GrpBox;
  QRadioButton* Ct1_RdoBtn;
  QRadioButton* Ct2_RdoBtn;
  QRadioButton* Ct3_RdoBtn;
  QGroupBox* Br_GrpBox;
  std::array<QRadioButton*, 7> Br_RdoBtn;  // Br1_RdoBtn .. Br7_RdoBtn
  QGroupBox* Mc_GrpBox;
  QRadioButton* Mc1_RdoBtn;
  QRadioButton* Mc2_RdoBtn;
  QRadioButton* Mc3_RdoBtn;
  QGroupBox* Lt_GrpBox;
  QRadioButton* Lt1_RdoBtn;
  QRadioButton* Lt2_RdoBtn;
  QGroupBox* Tn_GrpBox;
  QComboBox* Hed_CmbBox;
  QLineEdit* TEL_Edt;
  QGroupBox* IPAdd_GrpBox;
  QLabel* IPAdd_Lbl;
  QLineEdit* Address_MEdt;
  THelpBitBtn* Help_BitBtn;
  QPushButton* Reg_BitBtn;
  QPushButton* Conn_BitBtn;
  QPushButton* Exit_BitBtn;
  // The AT terminal.
  QWidget* At_Pnl;
  QLabel* Guide1_Lbl;
  QLabel* Guide2_Lbl;
  QPlainTextEdit* At_RMem;
  QPushButton* Ok_BitBtn;
  QPushButton* Cancel_BitBtn;

  // Reads the settings before the main window shows the form: 0, or the
  // message number that keeps it closed.
  int ReadSettings();

  void FormCreate();
  void FormShow();
  void KindOrProcedureClick();
  void Conn_BitBtnClick();
  void Reg_BitBtnClick();
  void Exit_BitBtnClick();
  void Conn_AtMode(bool on);
  void At_RMemKeyPress(const QString& typed);
  void Ok_BitBtnClick();
  void Cancel_BitBtnClick();

  // The choices as the controls show them, and back.
  ConnChoice Choice() const;
  void ShowChoice(const ConnChoice& c);

  const SerialSettings& Serial() const { return serial_; }
  const ModemSettings& Modem() const { return modem_; }
  bool InTerminal() const { return At_Pnl->isVisible(); }
  // A line the modem sent, added to the memo (UI thread).
  void AddTerminalLine(const std::string& line);
  bool ReceiverRunning() const { return recv_ && recv_->isRunning(); }

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  class FormUi;
  friend class FormUi;
  ConnKeptLists kept_;
  SerialSettings serial_;
  ModemSettings modem_;
  std::unique_ptr<TConnRecv> recv_;
  bool okBusy_ = false;
  bool closing_ = false;
  int hourglass_ = 0;
  void SetHourglass(bool on);
  // The terminal's receiver runs only while the port is open and nothing
  // else reads it: it is stopped and joined before the log-in and the close.
  void StartReceiver();
  void StopReceiver();
  void CloseByProgram();
  std::string StatusText(int kind, int speed) const;
};

extern TConn_Frm* Conn_Frm;

void Lang_Conn(TConn_Frm* f);
