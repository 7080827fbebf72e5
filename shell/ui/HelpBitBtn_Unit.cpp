#include "shell/ui/HelpBitBtn_Unit.h"

#include "platform/FileSys.h"
#include "shell/ui/Help_Unit.h"

THelpBitBtn::THelpBitBtn(QWidget* parent) : QPushButton(parent) {
  // Queued: the help window opens after every handler of this click,
  // the owner's included, has run.
  connect(this, &QPushButton::clicked, this, &THelpBitBtn::ShowHelp, Qt::QueuedConnection);
}

bool THelpBitBtn::AttachHelp(const std::string& dir, std::string_view name) {
  HelpFile = fsys::Resolve(fsys::WithSlash(dir), name);
  bool exists = fsys::FileExists(HelpFile);
  setVisible(exists);
  return exists;
}

void THelpBitBtn::ShowHelp() {
  THelp_Dlg dlg(window());
  if (English) dlg.SetEnglish();
  dlg.LoadHelp(HelpFile, MenuItem);
  dlg.exec();
}
