#include "shell/ui/FInpBox_Unit.h"

#include "platform/FileSys.h"
#include "shell/ui/FInpBox_Form.h"

bool TFInpDlg::Execute(QWidget* owner) {
  TFInp_Dlg dlg(owner);
  if (English) dlg.SetEnglish();
  dlg.FName_Edt->setText(QString::fromUtf8(FileName.data(), static_cast<int>(FileName.size())));
  const std::string cwd = DirCtl_CurrentDir();
  if (Path.empty() || !fsys::DirExists(Path)) Path = cwd;
  if (!dlg.GoTo(DirCtl_Absolute(Path)) && !dlg.GoTo(cwd)) dlg.GoTo("/");
  if (dlg.exec() != 1) return false;
  FileName = dlg.EnteredName();
  Path = dlg.Directory();
  return true;
}
