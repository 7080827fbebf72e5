// Page type 3: a matrix of N x M values under column headings and beside row
// labels, numbered in the menu line's orientation, each checked with "e=6".
#pragma once

#include <string>

#include "cmdfile/GMatrix.h"
#include "cmdfile/ui/GPage_Base.h"

// The menu line's matrix (Menu.csv fields 4 to 6 of MenuIndex): 0, or 9312
// when it names no matrix. Shared with the pattern matrix.
int G_P3_MenuShape(MatrixShape& s);

// What the two matrix pages share: the grid of the menu line's shape with
// its headings and labels, and the selection put on the first value cell
// when the page comes up.
class TGMatrix_Page : public TGPage_Base {
  Q_OBJECT
 public:
  const MatrixShape& Shape() const { return shape_; }
  void FormActivate();

 protected:
  TGMatrix_Page(const GPageKind& kind, const QString& storedCaption, QWidget* parent)
      : TGPage_Base(kind, storedCaption, parent) {}
  // The shape, the grid and the definition's headings and labels; false
  // after the message (9312, the definition's own, 9311).
  bool ReadMatrix();
  bool event(QEvent* e) override;

  MatrixShape shape_;

 private:
  bool activatePending_ = false;
};

class TFormG_P3 : public TGMatrix_Page {
  Q_OBJECT
 public:
  explicit TFormG_P3(QWidget* parent = nullptr);

  QPushButton* HelpBitBtn;  // the help button under its own name
  QTimer* GrdTimer;

  bool Open(const std::string& cmdPath, const std::string& screenKey, int pageType);
  bool G_P3_Def_Read();
  void FormCreate() {}
  void HelpBitBtnClick() { Help_BitBtnClick(); }

 protected:
  bool BuildList(std::vector<std::string>& list, RegButton b) override;
  bool CheckValues() override;
};

extern TFormG_P3* FormG_P3;

// The menu tree's open routine of page type 3.
bool G_P3_Init(const std::string& cmdPath, const std::string& screenKey, int pageType);
