// Page type 6: one row per numbered group (the screen's group count), the
// fields and their slots from the screen's Format.Dat section; on Load the
// section goes with the list of the groups it holds.
#pragma once

#include <string>
#include <vector>

#include "cmdfile/CmdSect_Unit.h"
#include "cmdfile/GFormat.h"
#include "cmdfile/ui/GPage_Base.h"

class TFormG_P6 : public TGPage_Base {
  Q_OBJECT
 public:
  explicit TFormG_P6(QWidget* parent = nullptr);

  TPageGridView* Stg1;
  QLabel* lblCommand1;
  QLabel* lblCommandFile;
  QPushButton* CopyBtn;
  QPushButton* ClearBtn;
  QPushButton* HelpBtn;
  QPushButton* ReturnBtn;

  bool Open(const std::string& cmdPath, const std::string& screenKey);
  bool Format_Read(const SectList& list);
  // Rows from the group count, columns and headings from the definition;
  // a group count below 1 or above 999 opens no page ("9312").
  bool Def_Read(const std::string& screenKey);
  bool Data_Disp(const SectList& list);
  // Checks and builds the section; on Load with the group list in front.
  bool SetStringList(SectList& list, RegButton b);

  const RecordFormat& Format() const { return fmt_; }

 protected:
  bool BuildList(std::vector<std::string>& list, RegButton b) override { return SetStringList(list, b); }
  bool CheckValues() override { return true; }

 private:
  RecordFormat fmt_;
  int groups_ = 0;
};

extern TFormG_P6* FormG_P6;

// The menu tree's open routine of page type 6 (creates the form on first use).
bool G_P6_Init(const std::string& cmdPath, const std::string& screenKey);
