// ORVO's numbered message and input dialogs (MSGDLG.DAT, INPDLG.DAT).
#pragma once

#include <string>
#include <string_view>

class TConf_Dlg;
class TInput_Dlg;

extern TConf_Dlg* Conf_Dlg;
extern TInput_Dlg* Input_Dlg;
// Forbidden characters of the prompt shown last.
extern std::string ForbiddenChars;

// 1 OK, 2 Cancel; 0 when the dialog is the visible progress box and only
// its texts changed. A number the file lacks shows "Can not read
// messagefile" with OK, and with Cancel too for the questions that older
// message files lack.
int MsgDlg_Show(std::string_view number);
// The same with every "%1" of the message's text replaced by arg (CP932):
// a message that names a line or a value.
int MsgDlg_Show(std::string_view number, std::string_view arg);

// 1 with the entered text in text, or 2 with text unchanged.
int InpDlg_Show(std::string_view number, std::string& text);
