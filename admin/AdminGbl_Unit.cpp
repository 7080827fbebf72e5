#include "admin/AdminGbl_Unit.h"

#include "platform/FileSys.h"

std::string AdminDir;

namespace {
std::string g_folder;
}

void Admin_SetProgramFolder(const std::string& dir) { g_folder = fsys::WithSlash(dir); }

std::string Admin_ProgramFolder() { return g_folder.empty() ? fsys::ExeDir() : g_folder; }
