// The rich-edit variant of the line-helper text control (the command-file
// editor and the viewer use it).
#pragma once

#include "shell/ui/RichMemo_Unit.h"

class TRichEditDx : public TLineTextEdit {
  Q_OBJECT
 public:
  explicit TRichEditDx(QWidget* parent = nullptr) : TLineTextEdit(parent) {}
};
