// A button that shows a help text file in the help window, opened at a
// section. The owner's own click handlers run first, so that they can
// still choose the section.
#pragma once

#include <QPushButton>
#include <string>
#include <string_view>

class THelpBitBtn : public QPushButton {
  Q_OBJECT
 public:
  explicit THelpBitBtn(QWidget* parent = nullptr);

  // Full path of the help text file.
  std::string HelpFile;
  // Section key to open at ("/M10/"); empty: the top of the file.
  std::string MenuItem;
  // English captions in the help window.
  bool English = false;

  // The owners' way of attaching their help: HelpFile := the file named
  // name in dir (found without regard to case); the button is shown only
  // when that file exists. Returns whether it does.
  bool AttachHelp(const std::string& dir, std::string_view name);

  // Shows the help window modally.
  void ShowHelp();
};
