// ORVO's face of the section routines: the same calls, showing the message
// a failure names with MsgDlg_Show. true on success.
#pragma once

#include <string>
#include <string_view>

#include "cmdfile/Cell_Check.h"
#include "cmdfile/CmdSect_Unit.h"

bool CmdSect_ReadShow(const std::string& path, std::string_view screenKey, SectList& list, int mode);
bool CmdSect_WriteShow(SectList& list, const std::string& path, std::string_view screenKey);
bool Cell_CheckShow(std::string_view value, std::string_view rule);

// Shows message (when it names one) and tells whether it was success.
bool CmdSect_ShowResult(int message);
