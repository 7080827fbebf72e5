// What every setting screen shares and needs no widget for: the grid's
// cells as CP932 text, the rectangle rules of copy and paste, the drag
// selection's decisions, and the Register / Check / Load flow with its
// temporary command file and the hand-over to the load form. A page type
// fills in only its cell maps, its list builder and its checks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// ---------------------------------------------------------------- grid

// Cells addressed (column, row) from 0, fixed heading row and label column
// included, as the screens number them. Every cell is CP932.
class PageGrid {
 public:
  // Resizes to cols x rows; cells inside both sizes keep their text, new
  // cells are empty.
  void SetSize(int cols, int rows);
  int ColCount() const { return cols_; }
  int RowCount() const { return rows_; }
  // Text of a cell; a cell outside the grid reads as empty.
  const std::string& Cell(int col, int row) const;
  // Ignored outside the grid.
  void SetCell(int col, int row, std::string text);

 private:
  int cols_ = 0, rows_ = 0;
  std::vector<std::string> cells_;
};

// A selected rectangle, bounds included.
struct GridRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
  bool Single() const { return left == right && top == bottom; }
  bool operator==(const GridRect&) const = default;
};

// Column copy: the column-1 texts of the selected rows, top to bottom.
std::vector<std::string> GPage_ColumnCopy(const PageGrid& g, const GridRect& sel);

// Column paste of n values: 0 with the first target row, or 9804 when the
// n rows from the selection on do not exist (one cell selected) or the
// selection does not span exactly n rows (a range).
int GPage_ColumnPasteRow(const GridRect& sel, int rowCount, size_t n, int& row);

// Block copy buffer: the copied cells at their own positions and the
// rectangle they came from.
struct BlockCopy {
  PageGrid cells;
  GridRect rect;
  bool filled = false;
};
void GPage_BlockCopy(const PageGrid& g, const GridRect& sel, BlockCopy& out);

// Where a block paste goes: 0 with its top-left target, 9806 when the
// block's shape does not fit the selection, 9804 when its rows run past the
// grid or a whole-row block meets a range of another height. firstCol is the
// first value column (1).
int GPage_BlockPasteTarget(const BlockCopy& b, const GridRect& sel, int colCount, int rowCount,
                           int firstCol, int& col, int& row);
// Copies the block into the grid with its top-left cell at (col, row).
void GPage_BlockPaste(const BlockCopy& b, PageGrid& g, int col, int row);

// Clear: every cell of the selection becomes "/".
void GPage_Clear(PageGrid& g, const GridRect& sel);

// The top row that shows a failing row: the row itself, but never beyond
// rowCount - limit, and never above minTop.
int GPage_TopRowFor(int row, int rowCount, int limit, int minTop);

// --------------------------------------------------------- drag selection

// The state of a drag selection on the row labels and its decisions. Rows
// are grid rows; firstRow is the first row below the fixed rows, lastCol the
// grid's last column. The caller applies what each call returns.
class GridDrag {
 public:
  enum Where { Inside, Below, Above, Nowhere };
  struct Step {
    bool stopTimer = false, startTimer = false;
    bool select = false;  // apply sel
    GridRect sel;
    int scrollTo = -1;    // new top row, -1 none
  };

  // Left or middle press on the label of row; false when row is no value
  // row (nothing starts).
  bool Press(int row, int rowCount, int firstRow, int lastCol, GridRect& sel);
  // Pointer moved: Inside with the row under it (topRow the top visible row).
  Step Move(Where where, int row, int topRow);
  // 100 ms tick with the grid's top row and the number of rows it shows.
  Step Tick(int topRow, int rowCount, int visibleRows);
  void Release();

  int Flag() const { return flag_; }
  int Anchor() const { return anchor_; }
  int Direction() const { return dir_; }
  void Reset() { flag_ = 0, dir_ = 0; }

 private:
  GridRect Span(int to) const;
  int flag_ = 0, anchor_ = 0, dir_ = 0;
  int firstRow_ = 0, lastCol_ = 1;
};

// ------------------------------------------------------ section lists

// The head of a section list that a page writes: the header line, and the
// sub-header line (sub-header + ";") when the screen has a sub-header.
std::vector<std::string> GPage_ListHead(std::string_view header, std::string_view subHeader);

// The entry lines of a section list as read: every line after the header
// but the sub-header line, wherever that stands.
std::vector<std::string> GPage_EntryLines(const std::vector<std::string>& list, std::string_view subHeader);

// ------------------------------------------------------------- the flow

enum class RegButton { Register, Check, Load };

// The choices in which the page types differ.
struct GPageKind {
  int pageType = 1;
  std::string tempPrefix = "G_P";
  // true: values checked after the temporary file and H1 (types 0, 1, 3);
  // false: the list builder checks before anything is written.
  bool checkAfterTemp = true;
  // After Load, Err_BitBtn is enabled also when the build's check failed
  // (not on the pattern pages).
  bool errAfterFailedBuild = true;
  // The load form goes to the page's position; else 20 below the main window.
  bool loadAtPage = true;
  // Cursor home cell: when shown, and after Check, Load or Register.
  int homeCol = 1, homeRow = 0;
  // Rectangular copy and paste (page types 3 to 6) instead of the value
  // column.
  bool blockCopy = false;
  // Pixel widths when shown: the label column, and the value columns (0:
  // the grid's default).
  int labelWidth = 243, valueWidth = 0;
  // Pixel height of the heading row, on the grids that have one.
  int headRowHeight = 15;
};

// The hand-over to the load form (what a setting screen sets).
struct GPageHandOver {
  std::string folder;     // ProgramDir
  std::string fileName;   // temporary file name without folder
  std::string tempPath;   // full path
  std::string dataLabel;  // CP932 "コマンドファイル[name]"
};

// What the flow needs of the page.
class GPageFlowPage {
 public:
  virtual ~GPageFlowPage() = default;
  // Cell array and section list; the types that check before writing
  // check here. false: stop (the page showed the message and the cell).
  virtual bool BuildList(std::vector<std::string>& list, RegButton b) = 0;
  // The check of the types that check after the temporary file.
  virtual bool CheckValues() = 0;
  // 1 OK, 2 Cancel.
  virtual int Message(std::string_view number) = 0;
  // The section into the command file; its messages are its own.
  virtual bool Store(std::vector<std::string> list) = 0;
  // Shows the load form (H3, H5); the flow has set the globals.
  virtual void ShowLoad(const GPageHandOver& h) = 0;
  virtual void CursorHome(bool focusGrid) = 0;
  virtual void EnableErr() = 0;
  // Makes and writes the temporary file; false on any failure (path then
  // names what must be deleted, or is empty).
  virtual bool WriteTemp(const std::string& dir, const std::string& prefix,
                         const std::vector<std::string>& list, std::string& path);
};

struct GPageFlowEnd {
  bool carriedOut = false;     // Check shown, Load confirmed or Register written
  bool loadConfirmed = false;  // the temporary file belongs to the load form
};

// Register, Check or Load on a page whose command file is cmdPath and whose
// file name (as Label1 shows it) is cmdName.
GPageFlowEnd GPage_RegFlow(GPageFlowPage& page, const GPageKind& kind, RegButton b,
                           const std::string& cmdPath, const std::string& cmdName);

// Writes the lines with CR LF into a new file dir + prefix + hex + ".TMP".
bool GPage_WriteTempFile(const std::string& dir, const std::string& prefix,
                         const std::vector<std::string>& list, std::string& path);

// The file-name part of a path up to its first "." (the whole name when it
// has none).
std::string GPage_CmdName(std::string_view path);

// The load form's data label for a command file name.
std::string GPage_DataLabel(std::string_view cmdName);
