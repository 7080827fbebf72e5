#include "cmdfile/ui/CmdSect_Show.h"

#include "link/SettingsText.h"
#include "shell/orvo/ComDlg_Unit.h"

bool CmdSect_ShowResult(int message) {
  if (message > 0) MsgDlg_Show(settings::MsgNo(message));
  return message == 0;
}

bool CmdSect_ReadShow(const std::string& path, std::string_view screenKey, SectList& list, int mode) {
  return CmdSect_ShowResult(CmdSect_Read(path, screenKey, list, mode));
}

bool CmdSect_WriteShow(SectList& list, const std::string& path, std::string_view screenKey) {
  return CmdSect_ShowResult(CmdSect_Write(list, path, screenKey));
}

bool Cell_CheckShow(std::string_view value, std::string_view rule) {
  return CmdSect_ShowResult(Cell_Check(value, rule));
}
