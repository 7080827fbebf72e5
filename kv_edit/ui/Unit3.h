// KV_EDIT's message dialog and the routine that shows its numbered messages
// from KV-EDITMsgDlg.Dat.
#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <string>
#include <string_view>

#include "shell/MsgFile.h"

class Tconf_dlg : public QDialog {
  Q_OBJECT
 public:
  explicit Tconf_dlg(QWidget* parent = nullptr);

  QFrame* Msg_Bvl;
  QLabel* Msg_Lbl;
  QPushButton* Ok_BitBtn;      // 1
  QPushButton* Cancel_BitBtn;  // 2
  QPushButton* Help_BitBtn;    // never shown

  void SetContent(const MsgDlgContent& m);
  // Modal; 1 (OK) or 2 (Cancel, Esc or a close where Cancel is offered).
  int ShowModal();

  void Ok_BitBtnClick();
  void Cancel_BitBtnClick();

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void reject() override;
};

namespace kv {

extern Tconf_dlg* conf_dlg;
// 1 when the dialog's OK was pressed last, 0 after Cancel.
extern int Confirmed;
// Folder of KV-EDITMsgDlg.Dat, ending in "/"; the program's folder unless set.
extern std::string MsgDir;

// Shows message number from KV-EDITMsgDlg.Dat; 1 OK, 2 Cancel. While the
// dialog holds an open question, the message is shown in a dialog of its own.
int MsgDlg_Show(std::string_view number);

}  // namespace kv
