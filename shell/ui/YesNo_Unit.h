// The small fixed question "go on to list editing?" of the command-file
// list: Yes gives 6, No gives 7.
#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

class TDlg_YesNo : public QDialog {
  Q_OBJECT
 public:
  explicit TDlg_YesNo(QWidget* parent = nullptr);

  QFrame* Bevel1;
  QPushButton* Ok_BitBtn;      // Yes, 6
  QPushButton* Cancel_BitBtn;  // No, 7
  QLabel* Msg_Lbl;

  // Shows the dialog modally: 6 (Yes) or 7 (No; also Esc).
  int ShowModal();

 protected:
  void showEvent(QShowEvent* e) override;
  void reject() override;
};
