// The kanji phone-book import form: two CSV files, a title and a start
// time become SdKanjitell.DAT in the data folder.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QValidator>
#include <QWidget>
#include <string>

#include "phone/KTel_Unit.h"

// The title: single-byte characters from the blank (half-width katakana
// included), at most 10 bytes. As a validator it also covers paste.
class KTelTitleValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override;
};

// A number field of the import: digits only, two at most ("+", "-" and "."
// never pass). When it loses the focus an emptied field takes its empty
// value and a number out of range the nearest bound.
class KTelSpin : public QSpinBox {
 public:
  KTelSpin(int lo, int hi, int emptyValue, QWidget* parent);

 protected:
  QValidator::State validate(QString& text, int& pos) const override;
  void fixup(QString& text) const override;

 private:
  int empty_;
};

class TKTel_Frm : public QWidget {
  Q_OBJECT
 public:
  explicit TKTel_Frm(QWidget* parent = nullptr);
  ~TKTel_Frm() override;

  QGroupBox* Book_GrpBox;
  QLabel* Adr_Lbl;
  QLineEdit* Adr_Edit;
  QPushButton* AdrSet_BitBtn;
  QLabel* Group_Lbl;
  QLineEdit* Group_Edit;
  QPushButton* Group_BitBtn;
  QLabel* Indent_Lbl;
  QLineEdit* Indent_Edit;
  QGroupBox* Time_GrpBox;
  QRadioButton* TimeOff_RadioButton;
  QRadioButton* TimeOn_RadioButton;
  KTelSpin* TimeMon_SEdt;
  QLabel* TimeMon_Lbl;
  KTelSpin* TimeDay_SEdt;
  QLabel* TimeDay_Lbl;
  KTelSpin* TimeHour_SEdt;
  QLabel* TimeHour_Lbl;
  KTelSpin* TimeMin_SEdt;
  QLabel* TimeMin_Lbl;
  QLabel* KGroup_Lbl;
  KTelSpin* KGroup_SEdt;
  QTreeWidget* Msg_ListView;
  QPushButton* Reg_BitBtn;
  QPushButton* Ext_BitBtn;

  void FormCreate();
  void FormShow();
  void AdrSet_BitBtnClick();
  void Group_BitBtnClick();
  void TimeRadioClick();
  void TimeMon_SEdtChange();
  void Indent_EditExit();
  void Reg_BitBtnClick();
  void Ext_BitBtnClick();

  // The chosen files, as file-system paths (never read back from the edits).
  const std::string& AddressCsv() const { return adrPath_; }
  const std::string& GroupCsv() const { return groupPath_; }
  const std::string& DataFolder() const { return folder_; }

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void Choose(std::string& path, QLineEdit* edit);
  void AddMsgList(const ktel::Warning& w);
  ktel::BookSettings Settings() const;
  std::string adrPath_, groupPath_, folder_;
};

extern TKTel_Frm* KTel_Frm;

void Lang_KTel(TKTel_Frm* f);
