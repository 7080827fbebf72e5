// The telephone image: the user works the exchange as one of its telephone
// sets, sees its seven-line display, and captures its dumps to a file or
// the printer.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "phone/TelStream.h"
#include "phone/Tel_Session.h"
#include "shell/ui/FInpBox_Unit.h"
#include "shell/ui/HelpBitBtn_Unit.h"

class QKeyEvent;
class UserTimer;

class TTel_Frm : public QWidget {
  Q_OBJECT
 public:
  explicit TTel_Frm(QWidget* parent = nullptr);
  ~TTel_Frm() override;

  std::array<QLabel*, 7> Disp_Lbl;            // Disp1_Lbl .. Disp7_Lbl
  std::array<QPushButton*, 10> Sys_BitBtn;    // Sys1_BitBtn .. Sys10_BitBtn
  std::array<QPushButton*, 12> FF_BitBtn;     // FF1_BitBtn .. FF12_BitBtn
  std::array<QLabel*, 12> FF_Lbl;             // FF1_Lbl .. FF12_Lbl
  std::array<QPushButton*, 10> Dial_BitBtn;   // Dial0_BitBtn .. Dial9_BitBtn
  QPushButton* Set_BitBtn;
  QPushButton* PageUp_BitBtn;
  QPushButton* PageDown_BitBtn;
  QPushButton* DialStar_BitBtn;
  QPushButton* DialSharpe_BitBtn;
  QPushButton* ReDial_BitBtn;
  QPushButton* Hook_BitBtn;
  QPushButton* Short_BitBtn;
  QPushButton* Conf_BitBtn;
  QPushButton* Rsv_BitBtn;
  QPushButton* VolUp_BitBtn;
  QPushButton* VolDown_BitBtn;
  QLabel* Home_Lbl;
  QLabel* Page_Lbl;
  QLabel* ReDisp_Lbl;
  QLabel* Clear_Lbl;
  QLabel* Left_Lbl;
  QLabel* Right_Lbl;
  QLabel* Reg_Lbl;
  QLabel* Vol_Lbl;
  QGroupBox* OutPut_GrpBox;
  QRadioButton* File_RdoBtn;
  QRadioButton* Printer_RdoBtn;
  QLabel* FileName_Lbl;
  QPushButton* Chg_BitBtn;
  std::array<QLabel*, 3> Dump_Lbl;  // Dump1_Lbl .. Dump3_Lbl
  QPushButton* Ext_BitBtn;
  THelpBitBtn* HelpBitBtn;
  TFInpDlg* Tel_FInpDlg;

  void FormShow();
  void FormClose();
  // true when the key was taken (sent, or swallowed).
  bool FormKeyDown(QKeyEvent* e);
  void FormKeyUp(QKeyEvent* e);
  bool ComSend(uint8_t code);
  void File_RdoBtnClick();
  void Printer_RdoBtnClick();
  void Chg_BitBtnClick();
  void Ext_BitBtnClick();

  // The receive thread's UI-thread steps.
  void DispLine_Show(int line, const std::string& text);
  void DispLine_Clear(int line);
  void DumpLine_Show(const std::string& text, int panelCount);

  TelSessionState& Session() { return state_; }
  // The button that sends code, or null.
  QPushButton* ButtonFor(uint8_t code) const;
  bool KeyLatched() const { return TelKeyLatch; }

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool event(QEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;

 private:
  class Outputs;
  void CloseByProgram();
  void SwitchOutput(int mode);
  void ShowMainButtons();

  TelSessionState state_;
  std::unique_ptr<Outputs> outputs_;
  std::unique_ptr<TelDisplayStream> stream_;
  std::unique_ptr<TCommWatch> watch_;
  std::unique_ptr<UserTimer> timer_;
  std::mutex cs_;  // the output switch
  // Whether the printer could take the dump, decided on the UI thread when
  // the output is switched to it; the receive thread only reads it.
  std::atomic<bool> printerReady_{false};
  // The printer was already the output when its button was pressed.
  bool printerChosenAtPress_ = false;
  std::map<uint8_t, QPushButton*> buttons_;
  bool TelKeyLatch = false;
  bool sessionOpen_ = false;
  bool portUsed_ = false;
  bool closing_ = false;
  std::string proposedFolder_;
  std::string rememberedName_;
};

extern TTel_Frm* Tel_Frm;

void Lang_Tel(TTel_Frm* f);
