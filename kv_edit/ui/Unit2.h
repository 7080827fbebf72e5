// The grid window of KV_EDIT: 100 caller numbers with their kana names,
// edited under the input rules and written back by Register.
#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QValidator>
#include <QWidget>

// Key rules of one grid column as a validator, so that paste and input
// methods obey them too: a change may add no character the column refuses
// and may not grow the cell past its limit. What the cell held when read
// from the file (a code 125 in a name, letters in a number) may stay and
// be deleted.
class TKvCellValidator : public QValidator {
  Q_OBJECT
 public:
  TKvCellValidator(int column, QLineEdit* edit);
  State validate(QString& input, int& pos) const override;
  // Whether the column takes the character at all.
  static bool Allowed(int column, QChar ch);
  static int MaxLength(int column) { return column == 0 ? 20 : 10; }
  // The cell's text as the editor opens with it: what it may keep.
  void Reset(const QString& text) { last_ = text; }

 private:
  int column_;
  // The text as last accepted: the line edit already holds the new text
  // while it is being validated.
  QString last_;
};

// Editors of the grid: a line edit with its column's validator; Enter
// moves on as Tab does.
class TKvCellDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  QPointer<QLineEdit> editor;

 protected:
  bool eventFilter(QObject* obj, QEvent* e) override;
};

class TKvGrid : public QTableWidget {
  Q_OBJECT
 public:
  explicit TKvGrid(QWidget* parent);
  // Stores what the open editor holds into its cell.
  void CommitEditor();
  // Opens the editor of the current cell when none is open and gives it the focus.
  void EditCurrent();
  bool Editing() const { return state() == QAbstractItemView::EditingState; }
  TKvCellDelegate* Delegate() const { return delegate_; }

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;

 private:
  TKvCellDelegate* delegate_;
};

class TKV_DEdt_frm : public QWidget {
  Q_OBJECT
 public:
  explicit TKV_DEdt_frm(QWidget* parent = nullptr);

  TKvGrid* DEdt_Grid;
  QPushButton* Reg_BitBtn;
  QPushButton* Bac_BitBtn;

  // Cells of row r (1 to 100): column 1 the number, column 2 the name.
  QString Cell(int column, int r) const;
  void SetCell(int column, int r, const QString& text);
  // Empties columns 1 and 2 of every row.
  void ClearCells();
  // The grid's first visible row (1-based).
  int TopRow() const;

  void FormCreate();
  void Reg_BitBtnClick();
  void Bac_BitBtnClick();

 protected:
  void closeEvent(QCloseEvent* e) override;
};
