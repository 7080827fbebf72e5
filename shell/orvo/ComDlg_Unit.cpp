#include "shell/orvo/ComDlg_Unit.h"

#include "platform/FileSys.h"
#include "shell/Global_Unit.h"
#include "shell/MsgFile.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/Input_Unit.h"

TConf_Dlg* Conf_Dlg = nullptr;
TInput_Dlg* Input_Dlg = nullptr;
std::string ForbiddenChars;

int MsgDlg_Show(std::string_view number) {
  if (!Conf_Dlg) Conf_Dlg = new TConf_Dlg();
  std::string path = fsys::Resolve(ProgramDir, "MSGDLG.DAT");
  Conf_Dlg->SetContent(MsgDlg_Load(path, number, false));
  if (Conf_Dlg->isVisible()) return 0;
  return Conf_Dlg->ShowModal();
}

int InpDlg_Show(std::string_view number, std::string& text) {
  if (!Input_Dlg) Input_Dlg = new TInput_Dlg();
  std::string path = fsys::Resolve(ProgramDir, "INPDLG.DAT");
  InpDlgContent p = InpDlg_Load(path, number);
  ForbiddenChars = p.forbiddenChars;
  Input_Dlg->SetContent(p);
  int r = Input_Dlg->ShowModal();
  if (r == 1) text = Input_Dlg->Text();
  return r;
}
