#include "shell/ui/FSelBox_Unit.h"

#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/ui/FSelBox_Form.h"
#include "shell/ui/PathLabel.h"

namespace {

// The folder itself, or the current directory, or the root: the first one
// that the folder list can show.
void GoToFirstReadable(TFSel_Dlg& dlg, const std::string& dir) {
  if (dlg.GoTo(dir)) return;
  if (dlg.GoTo(DirCtl_CurrentDir())) return;
  dlg.GoTo("/");
}

}  // namespace

bool TFSeleDlg::Execute(QWidget* owner) {
  TFSel_Dlg dlg(owner);
  dlg.SetTexts(English, DirSelect);
  dlg.FSel_FilLstBox->Mask = Mask;
  if (DirSelect) {
    dlg.SetFolderLayout();
    if (Path.empty() || !fsys::DirExists(Path)) Path = DirCtl_CurrentDir();
    GoToFirstReadable(dlg, DirCtl_Absolute(Path));
    PathLabel_Show(dlg.Fname_Lbl, NameToQ(dlg.Directory()));
  } else if (!FileName.empty() && fsys::FileExists(FileName)) {
    std::string full = DirCtl_Absolute(FileName);
    std::string dir, name;
    fsys::SplitPath(full, dir, name);
    Path = DirCtl_Normalize(dir);
    GoToFirstReadable(dlg, Path);
    dlg.SelectFile(name);
    PathLabel_Show(dlg.Fname_Lbl, NameToQ(FileName));
  } else {
    FileName.clear();
    if (Path.empty() || !fsys::DirExists(Path)) Path = DirCtl_CurrentDir();
    GoToFirstReadable(dlg, DirCtl_Absolute(Path));
    PathLabel_Show(dlg.Fname_Lbl, NameToQ(dlg.Directory()));
  }
  if (dlg.exec() != 1) return false;
  FileName = DirSelect ? std::string() : dlg.SelectedFile();
  Path = dlg.Directory();
  return true;
}
