// ORVO_ADMIN's main window: the two tools and the end button.
#pragma once

#include <QGroupBox>
#include <QPushButton>
#include <QWidget>

class TAMain_Frm : public QWidget {
  Q_OBJECT
 public:
  explicit TAMain_Frm(QWidget* parent = nullptr);
  ~TAMain_Frm() override;

  QGroupBox* SB_GrpBox;
  QPushButton* BitBtn1;   // the modem list editor
  QPushButton* BitBtn2;   // the data-set copy
  QPushButton* End_BBtn;

  void FormShow();
  void BitBtn1Click();
  void BitBtn2Click();
  void End_BBtnClick();

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void OpenSubform(QWidget* f);
  bool ending_ = false;
};

extern TAMain_Frm* AMain_Frm;

// The window's captions.
void Lang_AMain(TAMain_Frm* f);

// A caption padded with blanks to 37 CP932 bytes, as the main buttons show theirs.
QString AMain_ButtonCaption(const char* utf8);
