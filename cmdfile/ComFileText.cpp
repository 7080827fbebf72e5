#include "cmdfile/ComFileText.h"

std::vector<std::string> ComFileText;
