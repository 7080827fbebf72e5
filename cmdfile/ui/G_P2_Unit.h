// Page type 2: six-character patterns of "0", "1" and "-" down a single
// value column, six rows per pattern.
#pragma once

#include <string>
#include <vector>

#include "cmdfile/GPattern.h"
#include "cmdfile/ui/GPage_Base.h"

class TFormG_P2 : public TGPage_Base {
  Q_OBJECT
 public:
  explicit TFormG_P2(QWidget* parent = nullptr);

  QTimer* GrdTimer;

  bool Open(const std::string& cmdPath, const std::string& screenKey, int pageType);
  bool G_P2_Def_Read();
  void FormCreate();

 protected:
  bool BuildList(std::vector<std::string>& list, RegButton b) override;
  bool CheckValues() override { return true; }  // the pattern check ran in BuildList

 private:
  std::vector<CellPos> cells_;
};

extern TFormG_P2* FormG_P2;

// The menu tree's open routine of page type 2.
bool G_P2_Init(const std::string& cmdPath, const std::string& screenKey, int pageType);
