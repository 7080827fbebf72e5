// What ORVO_ADMIN's units share: the folder the program runs from.
#pragma once

#include <string>

// Folder of the ORVO_ADMIN program file, ending in "/": where MSGDLG.DAT and
// MODEM.INF are, and the copy's default source. Set when the main window
// is shown.
extern std::string AdminDir;

// Makes the main window take dir in place of the program's folder (the
// form tests run the program's units on a folder of their own).
void Admin_SetProgramFolder(const std::string& dir);

// The folder the main window sets AdminDir to: the one given above, else
// the program file's.
std::string Admin_ProgramFolder();
