#include "cmdfile/GPage.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "platform/Cp932.h"
#include "platform/FileSys.h"
#include "shell/Global_Unit.h"

// ---------------------------------------------------------------- grid

void PageGrid::SetSize(int cols, int rows) {
  cols = std::max(cols, 0);
  rows = std::max(rows, 0);
  std::vector<std::string> next(static_cast<size_t>(cols) * static_cast<size_t>(rows));
  for (int r = 0; r < std::min(rows, rows_); ++r)
    for (int c = 0; c < std::min(cols, cols_); ++c)
      next[static_cast<size_t>(r) * cols + c] = std::move(cells_[static_cast<size_t>(r) * cols_ + c]);
  cells_ = std::move(next);
  cols_ = cols;
  rows_ = rows;
}

const std::string& PageGrid::Cell(int col, int row) const {
  static const std::string empty;
  if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return empty;
  return cells_[static_cast<size_t>(row) * cols_ + col];
}

void PageGrid::SetCell(int col, int row, std::string text) {
  if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return;
  cells_[static_cast<size_t>(row) * cols_ + col] = std::move(text);
}

std::vector<std::string> GPage_ColumnCopy(const PageGrid& g, const GridRect& sel) {
  std::vector<std::string> out;
  for (int r = sel.top; r <= sel.bottom; ++r) out.push_back(g.Cell(1, r));
  return out;
}

int GPage_ColumnPasteRow(const GridRect& sel, int rowCount, size_t n, int& row) {
  const long long count = static_cast<long long>(n);
  if (sel.Single()) {
    if (sel.top + count > rowCount) return 9804;
  } else if (sel.Height() != count) {
    return 9804;
  }
  row = sel.top;
  return 0;
}

void GPage_BlockCopy(const PageGrid& g, const GridRect& sel, BlockCopy& out) {
  out.rect = sel;
  out.cells.SetSize(g.ColCount(), g.RowCount());
  for (int r = sel.top; r <= sel.bottom; ++r)
    for (int c = sel.left; c <= sel.right; ++c) out.cells.SetCell(c, r, g.Cell(c, r));
  out.filled = true;
}

int GPage_BlockPasteTarget(const BlockCopy& b, const GridRect& sel, int colCount, int rowCount,
                           int firstCol, int& col, int& row) {
  const GridRect& k = b.rect;
  const int lastCol = colCount - 1, lastRow = rowCount - 1;
  int c = sel.left, r = sel.top;
  if (k.left == firstCol && k.right == lastCol) {
    if (!sel.Single()) {
      if (sel.left != firstCol || sel.right != lastCol) return 9806;
      if (sel.Height() != k.Height()) return 9804;
    }
    c = firstCol;
  } else if (sel.Single()) {
    if (lastCol - sel.left < k.right - k.left) return 9806;
    if (lastRow - sel.top < k.bottom - k.top) return 9806;
  } else if (sel.Width() != k.Width() || sel.Height() != k.Height()) {
    return 9806;
  }
  if (r + k.Height() - 1 > lastRow) return 9804;
  col = c;
  row = r;
  return 0;
}

void GPage_BlockPaste(const BlockCopy& b, PageGrid& g, int col, int row) {
  const GridRect& k = b.rect;
  for (int r = 0; r < k.Height(); ++r)
    for (int c = 0; c < k.Width(); ++c) g.SetCell(col + c, row + r, b.cells.Cell(k.left + c, k.top + r));
}

void GPage_Clear(PageGrid& g, const GridRect& sel) {
  for (int r = sel.top; r <= sel.bottom; ++r)
    for (int c = sel.left; c <= sel.right; ++c) g.SetCell(c, r, "/");
}

int GPage_TopRowFor(int row, int rowCount, int limit, int minTop) {
  return std::max(std::min(row, rowCount - limit), minTop);
}

// --------------------------------------------------------- drag selection

GridRect GridDrag::Span(int to) const {
  GridRect s;
  s.left = 1;
  s.right = lastCol_;
  s.top = std::min(anchor_, to);
  s.bottom = std::max(anchor_, to);
  return s;
}

bool GridDrag::Press(int row, int rowCount, int firstRow, int lastCol, GridRect& sel) {
  if (row < firstRow || row >= rowCount) return false;
  flag_ = 1;
  anchor_ = row;
  firstRow_ = firstRow;
  lastCol_ = lastCol;
  sel = Span(row);
  return true;
}

GridDrag::Step GridDrag::Move(Where where, int row, int topRow) {
  Step s;
  if (flag_ != 1) return s;
  switch (where) {
    case Inside:
      s.stopTimer = true;
      dir_ = -1;
      s.select = true;
      s.sel = Span(std::max(row, topRow));
      break;
    case Below:
      if (dir_ != 1) s.startTimer = true;
      dir_ = 1;
      break;
    case Above:
      if (dir_ != 2) s.startTimer = true;
      dir_ = 2;
      break;
    case Nowhere:
      break;
  }
  return s;
}

GridDrag::Step GridDrag::Tick(int topRow, int rowCount, int visibleRows) {
  Step s;
  if (dir_ == 1) {
    if (topRow >= rowCount - visibleRows) return s;
    s.scrollTo = topRow + 1;
    s.select = true;
    s.sel = Span(std::min(s.scrollTo + visibleRows - 1, rowCount - 1));
  } else if (dir_ == 2) {
    if (topRow <= firstRow_) return s;
    s.scrollTo = topRow - 1;
    s.select = true;
    s.sel = Span(s.scrollTo);
  }
  return s;
}

void GridDrag::Release() {
  flag_ = 0;
  dir_ = 0;
}

// ------------------------------------------------------ section lists

std::vector<std::string> GPage_ListHead(std::string_view header, std::string_view subHeader) {
  std::vector<std::string> list{std::string(header)};
  if (!subHeader.empty()) list.push_back(std::string(subHeader) + ";");
  return list;
}

std::vector<std::string> GPage_EntryLines(const std::vector<std::string>& list, std::string_view subHeader) {
  const std::string subLine = subHeader.empty() ? std::string() : std::string(subHeader) + ";";
  std::vector<std::string> out;
  for (size_t i = 1; i < list.size(); ++i)
    if (subLine.empty() || list[i] != subLine) out.push_back(list[i]);
  return out;
}

// ------------------------------------------------------------- the flow

bool GPageFlowPage::WriteTemp(const std::string& dir, const std::string& prefix,
                              const std::vector<std::string>& list, std::string& path) {
  return GPage_WriteTempFile(dir, prefix, list, path);
}

bool GPage_WriteTempFile(const std::string& dir, const std::string& prefix,
                         const std::vector<std::string>& list, std::string& path) {
  path.clear();
  int fd = fsys::CreateTempFile(dir, prefix, path);
  if (fd < 0) {
    path.clear();
    return false;
  }
  std::string text;
  for (const std::string& l : list) text += l + "\r\n";
  bool ok = true;
  size_t done = 0;
  while (ok && done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else done += static_cast<size_t>(n);
  }
  if (::close(fd) != 0) ok = false;
  return ok;
}

std::string GPage_CmdName(std::string_view path) {
  size_t slash = path.find_last_of("/\\");
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  return std::string(name.substr(0, name.find('.')));
}

std::string GPage_DataLabel(std::string_view cmdName) {
  static const std::string head = cp932::FromUtf8("コマンドファイル[").value_or("[");
  return head + std::string(cmdName) + "]";
}

GPageFlowEnd GPage_RegFlow(GPageFlowPage& page, const GPageKind& kind, RegButton b,
                           const std::string& cmdPath, const std::string& cmdName) {
  GPageFlowEnd end;
  std::string temp;
  bool stop = false;
  bool built = true;

  std::vector<std::string> list;
  if (!page.BuildList(list, b)) {
    stop = true;
    built = false;
  }
  if (!stop && !page.WriteTemp(ProgramDir, kind.tempPrefix, list, temp)) {
    // A file that cannot be made, written or closed stops here on every
    // page type; silence would read as success.
    page.Message("9055");
    stop = true;
  }
  GPageHandOver h;
  if (!stop) {
    // H1: the load form builds its path from the folder and the name.
    std::string dir, name;
    fsys::SplitPath(temp, dir, name);
    h.folder = ProgramDir;
    h.fileName = name;
    h.tempPath = temp;
    h.dataLabel = GPage_DataLabel(cmdName);
    LoadFolder = ProgramDir;
    LoadKind = 5;
    LoadFileName = name;
    if (kind.checkAfterTemp && !page.CheckValues()) stop = true;
  }
  if (!stop) {
    switch (b) {
      case RegButton::Check:
        page.Message("5701");
        end.carriedOut = true;
        break;
      case RegButton::Load:
        if (page.Message("7501") == 1) {
          LoadFixErrors = 0;
          LoadRangeOn = 0;
          HandOverTempFile = temp;
          end.carriedOut = true;
          end.loadConfirmed = true;
          page.ShowLoad(h);
        }
        break;
      case RegButton::Register:
        if (fsys::FileExists(fsys::ResolvePath(cmdPath)) && page.Message("7015") != 1) break;
        if (page.Store(list)) end.carriedOut = true;
        break;
    }
  }
  if (end.carriedOut) page.CursorHome(b != RegButton::Load);
  if (b == RegButton::Load && (built || kind.errAfterFailedBuild)) page.EnableErr();
  if (!end.loadConfirmed && !temp.empty()) std::remove(temp.c_str());
  return end;
}
