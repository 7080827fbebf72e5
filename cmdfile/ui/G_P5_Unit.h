// Page type 5: one record per grid row, the fields and their slots from the
// screen's Format.Dat section, record numbers in column 0, rows inserted
// and deleted by the user.
#pragma once

#include <string>

#include "cmdfile/CmdSect_Unit.h"
#include "cmdfile/GFormat.h"
#include "cmdfile/ui/GPage_Base.h"

class TFormG_P5 : public TGPage_Base {
  Q_OBJECT
 public:
  explicit TFormG_P5(QWidget* parent = nullptr);

  // The base's widgets under this form's names.
  TPageGridView* Stg1;
  QLabel* lblCommand1;
  QLabel* lblCommandFile;
  QPushButton* CopyBtn;
  QPushButton* ClearBtn;
  QPushButton* HelpBtn;
  QPushButton* ReturnBtn;
  // Its own: insert a row, delete the marked rows.
  QPushButton* BitBtn1;
  QPushButton* Lin_Del_BitBtn;

  // The opening; true when the page may be shown, otherwise its message
  // was shown.
  bool Open(const std::string& cmdPath, const std::string& screenKey);
  bool Format_Read(const SectList& list);
  bool Def_Read(const std::string& screenKey);
  bool Data_Disp(const SectList& list);
  // Checks every value and builds the section; false with the cursor on
  // the failing cell.
  bool SetStringList(SectList& list);

  void BitBtn1Click();
  void Lin_Del_BitBtnClick();

  const RecordFormat& Format() const { return fmt_; }
  // Whether the last left press was on a record number.
  bool RowLabelFlag() const { return rowLabel_; }

 protected:
  bool BuildList(std::vector<std::string>& list, RegButton b) override;
  bool CheckValues() override { return true; }
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  RecordFormat fmt_;
  bool rowLabel_ = false;
};

extern TFormG_P5* FormG_P5;

// The menu tree's open routine of page type 5 (creates the form on first use).
bool G_P5_Init(const std::string& cmdPath, const std::string& screenKey);
