// Page type 7: one named field per row, the names and checks from the
// screen's Format.Dat section, the labels from the screen definition; the
// values written as name "=" value ";" entries, several to a line.
#pragma once

#include <string>

#include "cmdfile/CmdSect_Unit.h"
#include "cmdfile/GFormat.h"
#include "cmdfile/ui/GPage_Base.h"

class TFormG_P7 : public TGPage_Base {
  Q_OBJECT
 public:
  explicit TFormG_P7(QWidget* parent = nullptr);

  TPageGridView* Stg1;
  QLabel* lblCommandFile;
  QPushButton* BitBtn1;  // help

  bool Open(const std::string& cmdPath, const std::string& screenKey);
  bool Format_Read(const SectList& list);
  bool Def_Read();
  bool Data_Disp(const SectList& list);
  bool SetStringList(SectList& list);

  const RecordFormat& Format() const { return fmt_; }

 protected:
  bool BuildList(std::vector<std::string>& list, RegButton) override { return SetStringList(list); }
  bool CheckValues() override { return true; }

 private:
  RecordFormat fmt_;
};

extern TFormG_P7* FormG_P7;

// The menu tree's open routine of page type 7 (creates the form on first use).
bool G_P7_Init(const std::string& cmdPath, const std::string& screenKey);
