// The window that every setting screen is: the grid over CP932 cells with
// its edit and select modes and drag selection, the buttons and their
// handlers, and the Register / Check / Load flow. A page type derives from
// it, sets its GPageKind and fills in the opening, the cell maps and the
// checks; it adds no grid, flow or file code of its own.
#pragma once

#include <QAbstractTableModel>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "cmdfile/GPage.h"

// The page on screen (or hidden behind the load form or the error viewer).
extern QWidget* CurrentPage;

// What the pages call beyond themselves: installed by the program's wiring.
struct GPageHost {
  // The menu tree again after a page closed.
  std::function<void()> showMenu;
  // The load-error viewer on the errors of a load from this folder, placed
  // and shown (the page is already hidden).
  std::function<void(const std::string& folder)> openErrorList;
  // The command-file list's user label (CP932).
  std::function<std::string()> userName;
  // Shows the load form at topLeft with the labels of h. Unset: the type-0
  // load form.
  std::function<void(const GPageHandOver& h, QPoint topLeft)> showLoad;
  // Opens a document with the desktop's viewer. Unset: QDesktopServices.
  std::function<bool(const std::string& path)> openDocument;
  // The menu tree's path of the chosen line (CP932) and its help document's
  // name (Menu.csv field 7).
  std::function<std::string()> menuPath;
  std::function<std::string()> helpName;
};
GPageHost& GPage_Host();

// Every grid draws its rows this high and shows this many of them, the
// heading row (where there is one) counted.
constexpr int kGridRowHeight = 15;
constexpr int kGridShownRows = 20;

// Grid cells seen through Qt: model row r is grid row r + fixed rows, model
// column c grid column c + fixed columns; the label column and the heading
// row are the headers.
class TPageGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  TPageGridModel(PageGrid& grid, QObject* parent);
  void SetFixed(int rows, int cols);
  int FixedRows() const { return fixedRows_; }
  int FixedCols() const { return fixedCols_; }
  // After the grid changed size or many cells.
  void Reset();
  // After cells of the grid changed in place.
  void Changed(const GridRect& r);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& i, int role) const override;
  bool setData(const QModelIndex& i, const QVariant& v, int role) override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& i) const override;

  // Text with no CP932 form was typed; the cell kept its value.
  std::function<void()> refused;

 private:
  PageGrid& grid_;
  int fixedRows_ = 0, fixedCols_ = 1;
};

class TGPage_Base;

// The cell editor's delegate: Enter ends the edit as Tab does.
class TPageGridDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  bool eventFilter(QObject* editor, QEvent* e) override;
};

// StringGrid1: Enter moves on as Tab does, in the editor and out of it.
class TPageGridView : public QTableView {
  Q_OBJECT
 public:
  TPageGridView(TGPage_Base* page, QWidget* parent);
  // Commits and closes an open cell editor.
  void EndEdit();

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  TGPage_Base* page_;
};

class TGPage_Base : public QWidget, protected GPageFlowPage {
  Q_OBJECT
 public:
  ~TGPage_Base() override;

  QLabel* Label2;
  QLabel* Label1;
  TPageGridView* StringGrid1;
  QPushButton* Copy_BitBtn;
  QPushButton* Paste_BitBtn;
  QPushButton* Del_BitBtn;
  QPushButton* Help_BitBtn;
  QPushButton* Load_BitBtn;
  QPushButton* Err_BitBtn;
  QPushButton* Chk_BitBtn;
  QPushButton* Reg_BitBtn;
  QPushButton* Exit_BitBtn;
  QTimer* Grd_Tmr;
  QMenu* PopupMenu1;

  void Reg_BitBtnClick(QPushButton* sender);
  void Copy_BitBtnClick();
  void Paste_BitBtnClick();
  void Del_BitBtnClick();
  void Help_BitBtnClick();
  void Err_BitBtnClick();
  void Exit_BitBtnClick();
  void FormShow();
  void FormClose();
  void StringGrid1MouseDown(Qt::MouseButton b, QPoint viewportPos, bool onLabel);
  void StringGrid1MouseMove(QPoint viewportPos);
  void StringGrid1MouseUp();
  // Returns the key the grid acts on (Enter becomes Tab).
  int StringGrid1KeyDown(int key);
  void Grd_TmrTimer();

  // Grid access in the screens' coordinates (fixed row and column included).
  PageGrid& Grid() { return grid_; }
  const PageGrid& Grid() const { return grid_; }
  TPageGridModel* Model() const { return model_; }
  GridRect Selection() const;
  void SetSelection(const GridRect& r);
  // Cursor on one cell (the selection becomes that cell).
  void SetCursor(int col, int row);
  int TopRow() const;
  void SetTopRow(int row);
  int LeftCol() const;
  void SetLeftCol(int col);
  int VisibleRows() const;
  // The value rows the grid shows whole: 20, or 19 below a heading row.
  int ShownRows() const;
  // Sizes the grid to show its label column, all its columns and its
  // shown rows (scrolling sideways beyond the screen's width); the window
  // follows.
  void FitGrid();
  // Edit mode (editor on, drawn focus off) or select mode.
  void SetEditMode(bool on);
  bool EditMode() const { return editMode_; }
  // The focused cell drawn as part of the selection (select mode, and a
  // failing cell).
  bool DrawnFocus() const { return drawnFocus_; }
  // The cursor on a failing cell: that cell alone, the given top row and
  // left column, drawn focus on, grid focused.
  void ShowFailedCell(int col, int row, int topRow, int leftCol = -1);
  // After the page changed the grid's size or cells behind the model.
  void GridChanged();
  // Commits an open cell editor. false when text with no CP932 form was
  // refused: its message has been shown and the cell marked, and the
  // button that committed it must do nothing more.
  bool CommitEdit();

  const GPageKind& Kind() const { return kind_; }
  const std::string& ScreenKey() const { return screenKey_; }
  const std::string& CmdPath() const { return cmdPath_; }
  int PageType() const { return pageType_; }
  const GridDrag& Drag() const { return drag_; }
  const std::vector<std::string>& CopyBuffer() const { return copyBuffer_; }

 protected:
  TGPage_Base(const GPageKind& kind, const QString& storedCaption, QWidget* parent);

  // Opening, the steps every type begins with: the page state, the
  // caption from the menu path, the command file's name.
  void OpenBegin(const std::string& cmdPath, const std::string& screenKey, int pageType);
  // The grid's shape (fixed row and label column included).
  void SetGridShape(int cols, int rows, int fixedRows, int fixedCols);
  // Rows and labels from the screen definition (page types 0, 1, 2, 7):
  // one row per kept line, its label field 2. requireRows: an empty
  // definition opens no page ("9305"). false after the message.
  bool ReadDefRows(bool requireRows);
  // The command file's section (mode 1); false after its message.
  bool ReadSection(std::vector<std::string>& list);

  // GPageFlowPage: BuildList and CheckValues are the page type's.
  int Message(std::string_view number) override;
  bool Store(std::vector<std::string> list) override;
  void ShowLoad(const GPageHandOver& h) override;
  void CursorHome(bool focusGrid) override;
  void EnableErr() override;

  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void Layout(const QString& storedCaption);
  void ApplyDrag(const GridDrag::Step& s);
  // The message of a refused text, once; false when none is pending.
  bool TellRefusal();
  void PaintCorner();

  GPageKind kind_;
  PageGrid grid_;
  TPageGridModel* model_;
  std::string screenKey_, cmdPath_;
  int pageType_ = 0;
  std::vector<std::string> copyBuffer_;
  BlockCopy block_;
  GridDrag drag_;
  bool editMode_ = true;
  bool drawnFocus_ = false;
  bool exiting_ = false;
  bool closing_ = false;
  bool refusalPending_ = false;
  class QAbstractButton* corner_ = nullptr;
};
