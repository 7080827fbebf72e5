#include "shell/ui/FInpBox_Unit.h"

#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/ui/FInpBox_Form.h"

bool TFInpDlg::Execute(QWidget* owner) {
  TFInp_Dlg dlg(owner);
  if (English) dlg.SetEnglish();
  dlg.ShowName(FileName);
  const std::string cwd = DirCtl_CurrentDir();
  if (Path.empty() || !fsys::DirExists(Path)) Path = cwd;
  if (!dlg.GoTo(DirCtl_Absolute(Path)) && !dlg.GoTo(cwd)) dlg.GoTo("/");
  if (dlg.exec() != 1) return false;
  FileName = dlg.EnteredName();
  Path = dlg.Directory();
  return true;
}
