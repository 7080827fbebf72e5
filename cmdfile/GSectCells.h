// Between a section list and the grid of the matrix, pattern and key-table
// screens: what opening shows and what Register, Check and Load write.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cmdfile/CmdSect_Unit.h"
#include "cmdfile/GKeyTable.h"
#include "cmdfile/GMatrix.h"
#include "cmdfile/GPattern.h"
#include "cmdfile/ScreenTbl_Unit.h"

// Matrix (type 3): the section's numbered entries into the value cells
// (every cell the section does not set "/"), and the list of the cells:
// header, sub-header line when the screen has one, numbered runs.
void G_P3_ShowSection(const SectList& list, std::string_view subHeader, const MatrixShape& s, PageGrid& g);
SectList G_P3_BuildList(const ScreenRec& rec, const MatrixShape& s, const PageGrid& g);

// Patterns (types 2 and 4, cells in pattern order): the section's entries
// spread over the cells; and the pattern check with the list of pattern
// runs ("-*="). 0 with the list, or 9508 with the index into cells of the
// first cell that is no pattern text (the list is then untouched).
void GPattern_ShowSection(const SectList& list, std::string_view subHeader, const std::vector<CellPos>& cells,
                          PageGrid& g);
int GPattern_BuildList(const ScreenRec& rec, int pageType, const std::vector<CellPos>& cells, const PageGrid& g,
                       SectList& list, int& failing);

// Key table (type 0): column 1 of the 85 rows from the section, and back.
void G_P0_ShowSection(const SectList& list, PageGrid& g);
std::vector<std::string> G_P0_Values(const PageGrid& g);
SectList G_P0_BuildList(const ScreenRec& rec, const PageGrid& g);
