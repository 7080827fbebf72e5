// The lines of the command file that the text editor or the menu tree works
// on (CP932, without line ends). The command-file list empties it before it
// opens either of them; they empty it again when they close.
#pragma once

#include <string>
#include <vector>

extern std::vector<std::string> ComFileText;
