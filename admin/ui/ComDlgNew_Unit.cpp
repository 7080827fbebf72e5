#include "admin/ui/ComDlgNew_Unit.h"

#include "admin/AdminGbl_Unit.h"
#include "platform/FileSys.h"
#include "shell/MsgFile.h"
#include "shell/ui/Conf_Unit.h"

namespace admin {

TConf_Dlg* Conf_Dlg = nullptr;

int MsgDlg_Show(std::string_view number) {
  if (!Conf_Dlg) Conf_Dlg = new TConf_Dlg();
  std::string path = fsys::Resolve(fsys::WithSlash(AdminDir), "MSGDLG.DAT");
  MsgDlgContent content = MsgDlg_Load(path, number, true);
  if (Conf_Dlg->isVisible()) {
    // A question is open and waits for its own answer: this message gets
    // a dialog of its own, so that its OK can never answer that question.
    TConf_Dlg own;
    own.SetContent(content);
    return own.ShowModal();
  }
  Conf_Dlg->SetContent(content);
  return Conf_Dlg->ShowModal();
}

}  // namespace admin
