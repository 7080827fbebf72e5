// The help window: a help text file, opened at a section.
#pragma once

#include <QDialog>
#include <QFrame>
#include <QPushButton>
#include <string>

#include "shell/ui/RichMemo_Unit.h"

class THelp_Dlg : public QDialog {
  Q_OBJECT
 public:
  explicit THelp_Dlg(QWidget* parent = nullptr);

  QFrame* Msg_Bvl;
  QPushButton* Ok_BitBtn;  // 1
  TRichMemo* Msg_RMem;

  void SetEnglish();
  // Loads helpFile (empty window when it does not exist) and remembers the
  // section to open at (empty: the top).
  void LoadHelp(const std::string& helpFile, const std::string& menuItem);
  // Line of the section found by LoadHelp; -1 for none.
  int SectionLine() const { return section_; }

 protected:
  void showEvent(QShowEvent* e) override;
  // Esc and a close are ignored: the window shows no Cancel, only OK ends it.
  void reject() override {}

 private:
  // Brings the section's line to the top, padding the text with empty
  // lines when the section is too near the end to scroll that far.
  void Position();
  int section_ = -1;
  int lineCount_ = 0;
};
