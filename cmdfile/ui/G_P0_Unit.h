// Page type 0: the key table, 85 fixed rows of named keys (the size, and for
// each of six units twelve "FS" and two "OP" slots); the screen definition
// gives only their labels.
#pragma once

#include <string>
#include <vector>

#include "cmdfile/ui/GPage_Base.h"

class TFormG_P0 : public TGPage_Base {
  Q_OBJECT
 public:
  explicit TFormG_P0(QWidget* parent = nullptr);

  bool Open(const std::string& cmdPath, const std::string& screenKey, int pageType);
  bool G_P0_Def_Read();
  void FormCreate();

 protected:
  bool BuildList(std::vector<std::string>& list, RegButton b) override;
  bool CheckValues() override;
};

extern TFormG_P0* FormG_P0;

// The menu tree's open routine of page type 0.
bool G_P0_Init(const std::string& cmdPath, const std::string& screenKey, int pageType);
