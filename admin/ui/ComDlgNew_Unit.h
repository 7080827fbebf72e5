// ORVO_ADMIN's numbered messages: MSGDLG.DAT in its own folder, always a
// modal dialog, OK and Cancel when the file or the number is missing.
#pragma once

#include <string_view>

class TConf_Dlg;

namespace admin {

// The program's one confirmation dialog, created at start.
extern TConf_Dlg* Conf_Dlg;

// Shows the message numbered number modally; 1 OK, 2 Cancel.
int MsgDlg_Show(std::string_view number);

}  // namespace admin
