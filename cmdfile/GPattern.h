// The pattern screens (types 2 and 4): six-character patterns of "0", "1"
// and "-", one character per grid cell, six consecutive value cells per
// pattern. Type 2 runs its cells down the value column, type 4 over the
// matrix in the orientation's order. Cells after the last whole group of six
// belong to no pattern.
#pragma once

#include <string>
#include <vector>

#include "cmdfile/GMatrix.h"
#include "cmdfile/GPage.h"

struct CellPos {
  int col = 0, row = 0;
  bool operator==(const CellPos&) const = default;
};

// The value cells in pattern order: type 2 column 1 of rows 0 .. rows-1;
// type 4 the matrix cells by entry index.
std::vector<CellPos> GPattern_Cells2(int rows);
std::vector<CellPos> GPattern_Cells4(const MatrixShape& s);

// The number of whole patterns the cells hold; the cell array has one
// element more.
int GPattern_Groups(const std::vector<CellPos>& cells);

// Element g (1 .. groups) of the cell array over the six cells of pattern g:
// one CP932 character per cell when the element is exactly six characters,
// six "/" otherwise; cells of no pattern "/". Characters are not checked.
void GPattern_Spread(const std::vector<std::string>& elements, const std::vector<CellPos>& cells, PageGrid& g);

// The pattern check and the cell array of the groups: every cell of a whole
// group must be exactly "/", "0", "1" or "-"; in a group with a value "/"
// counts as "-", a group of six "/" is "/". 0 with elements (groups + 1, 0
// "/"), or 9508 with the index into cells of the first other cell.
int GPattern_Collect(const PageGrid& g, const std::vector<CellPos>& cells, std::vector<std::string>& elements,
                     int& failing);
