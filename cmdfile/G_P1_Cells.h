// The cell maps of the type-1 page: one labelled value per grid row, row i
// carrying entry index i + 1, written as numbered runs of four-digit index.
#pragma once

#include <string>
#include <string_view>

#include "cmdfile/CmdSect_Unit.h"
#include "cmdfile/GPage.h"
#include "cmdfile/ScreenTbl_Unit.h"

// The values of rows 0 .. rows-1 from a section list as read: element
// i + 1 is entry index i + 1, element 0 and every index the section does
// not set "/".
CellArray G_P1_ReadCells(const SectList& list, std::string_view subHeader, int rows);

// Column 1 of every row into the cells (element 0 "/"), and back.
CellArray G_P1_GridCells(const PageGrid& g);
void G_P1_ShowCells(const CellArray& cells, PageGrid& g);

// The section list the page writes: header, sub-header line when the
// screen has one, then the runs of the cells.
SectList G_P1_BuildList(const ScreenRec& rec, const CellArray& cells);
