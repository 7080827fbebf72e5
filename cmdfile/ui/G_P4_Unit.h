// Page type 4: six-character patterns laid over an N x M matrix of "0", "1"
// and "-" cells, six consecutive cells in the orientation's order per
// pattern.
#pragma once

#include <string>
#include <vector>

#include "cmdfile/GMatrix.h"
#include "cmdfile/GPattern.h"
#include "cmdfile/ui/G_P3_Unit.h"

class TFormG_P4 : public TGMatrix_Page {
  Q_OBJECT
 public:
  explicit TFormG_P4(QWidget* parent = nullptr);

  bool Open(const std::string& cmdPath, const std::string& screenKey, int pageType);
  bool G_P4_Def_Read();
  void FormCreate();

 protected:
  bool BuildList(std::vector<std::string>& list, RegButton b) override;
  bool CheckValues() override { return true; }  // the pattern check ran in BuildList

 private:
  std::vector<CellPos> cells_;
};

extern TFormG_P4* FormG_P4;

// The menu tree's open routine of page type 4.
bool G_P4_Init(const std::string& cmdPath, const std::string& screenKey, int pageType);
