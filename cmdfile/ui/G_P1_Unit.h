// Page type 1: one labelled value per row, each checked with "e=6".
#pragma once

#include <string>

#include "cmdfile/ui/GPage_Base.h"

class TG_P1 : public TGPage_Base {
  Q_OBJECT
 public:
  explicit TG_P1(QWidget* parent = nullptr);

  // The opening: screen definition, the section, the cells. true when the
  // page may be shown; otherwise its message was shown.
  bool Open(const std::string& cmdPath, const std::string& screenKey, int pageType);
  bool G_P1_Def_Read();

 protected:
  bool BuildList(std::vector<std::string>& list, RegButton b) override;
  bool CheckValues() override;
};

extern TG_P1* G_P1;

// The menu tree's open routine of page type 1 (creates the form on first use).
bool G_P1_Init(const std::string& cmdPath, const std::string& screenKey, int pageType);
