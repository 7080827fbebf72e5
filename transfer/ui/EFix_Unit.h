// The error-line fix dialog: shows why a command-file line was refused and
// lets the user correct it before the load goes on.
#pragma once

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>

class TEFix_Dlg : public QDialog {
  Q_OBJECT
 public:
  explicit TEFix_Dlg(QWidget* parent = nullptr);

  QGroupBox* Err_GrpBox;
  QLabel* Lerr_Lbl;
  QLabel* Err_Lbl;
  QLabel* Guide_Lbl;
  QLineEdit* Line_Edt;
  QPushButton* Ok_BitBtn;
  QPushButton* Cancel_BitBtn;

  // 1 continue with the edited line in line, 2 stop.
  int ShowFix(const std::string& errText, std::string& line);
};

extern TEFix_Dlg* EFix_Dlg;

void Lang_EFix(TEFix_Dlg* d);
