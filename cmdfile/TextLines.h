// The line splitter moved to the shell library, which every program links.
#pragma once

#include "shell/TextLines.h"
