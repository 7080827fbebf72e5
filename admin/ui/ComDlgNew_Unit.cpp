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
  Conf_Dlg->SetContent(MsgDlg_Load(path, number, true));
  return Conf_Dlg->ShowModal();
}

}  // namespace admin
