// The notice shown, without buttons, while the command-file editor checks
// a file.
#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>

class TDlg_Message : public QDialog {
  Q_OBJECT
 public:
  explicit TDlg_Message(QWidget* parent = nullptr);

  QFrame* Msg_Bvl;
  QLabel* Msg_Lbl;

  // Shows the notice modeless and paints it at once, so that it is on the
  // screen before the caller starts its work on this thread.
  void ShowNow();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void reject() override {}
};
