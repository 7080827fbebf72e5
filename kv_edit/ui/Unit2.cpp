#include "kv_edit/ui/Unit2.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

#include "kv_edit/KvRead.h"
#include "kv_edit/KvWrite.h"
#include "kv_edit/ui/Unit1.h"
#include "kv_edit/ui/Unit3.h"
#include "platform/ui/QtText.h"
#include "shell/ui/Conf_Unit.h"

TKvCellValidator::TKvCellValidator(int column, QLineEdit* edit)
    : QValidator(edit), column_(column), last_(edit->text()) {
  connect(edit, &QLineEdit::textChanged, this, [this](const QString& t) { last_ = t; });
}

bool TKvCellValidator::Allowed(int column, QChar ch) {
  if (column == 0) {
    char16_t u = ch.unicode();
    return u < 128 && kv::IsNumberChar(static_cast<char>(u));
  }
  std::optional<std::string> b = FromQ(QString(ch));
  return b && b->size() == 1 && kv::IsTypedNameCode(static_cast<unsigned char>((*b)[0]));
}

QValidator::State TKvCellValidator::validate(QString& input, int&) const {
  const QString& old = last_;
  if (input.size() > MaxLength(column_) && input.size() > old.size()) return Invalid;
  for (QChar ch : input) {
    if (Allowed(column_, ch)) continue;
    if (input.count(ch) > old.count(ch)) return Invalid;
  }
  return Acceptable;
}

QWidget* TKvCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                       const QModelIndex& index) const {
  auto* e = new QLineEdit(parent);
  e->setFrame(false);
  e->setValidator(new TKvCellValidator(index.column(), e));
  const_cast<TKvCellDelegate*>(this)->editor = e;
  return e;
}

void TKvCellDelegate::setEditorData(QWidget* w, const QModelIndex& index) const {
  if (auto* e = qobject_cast<QLineEdit*>(w))
    if (auto* v = qobject_cast<TKvCellValidator*>(const_cast<QValidator*>(e->validator())))
      v->Reset(index.data(Qt::EditRole).toString());
  QStyledItemDelegate::setEditorData(w, index);
}

bool TKvCellDelegate::eventFilter(QObject* obj, QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    auto* w = qobject_cast<QWidget*>(obj);
    if (w && (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) &&
        !(k->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))) {
      emit commitData(w);
      emit closeEditor(w, QAbstractItemDelegate::EditNextItem);
      return true;
    }
  }
  return QStyledItemDelegate::eventFilter(obj, e);
}

TKvGrid::TKvGrid(QWidget* parent) : QTableWidget(kv::kRows, 2, parent) {
  delegate_ = new TKvCellDelegate(this);
  setItemDelegate(delegate_);
  setEditTriggers(QAbstractItemView::AllEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setTabKeyNavigation(true);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setShowGrid(true);
}

void TKvGrid::CommitEditor() {
  if (state() == QAbstractItemView::EditingState && delegate_->editor) commitData(delegate_->editor);
}

void TKvGrid::EditCurrent() {
  if (state() != QAbstractItemView::EditingState && currentIndex().isValid()) edit(currentIndex());
  // Keys go to the cell's editor, not to the grid, which would move the
  // current cell on End or Home.
  if (state() == QAbstractItemView::EditingState && delegate_->editor) delegate_->editor->setFocus();
}

void TKvGrid::keyPressEvent(QKeyEvent* e) {
  if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && e->modifiers() == Qt::NoModifier) {
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QTableWidget::keyPressEvent(&tab);
    return;
  }
  QTableWidget::keyPressEvent(e);
}

void TKvGrid::mousePressEvent(QMouseEvent* e) {
  QTableWidget::mousePressEvent(e);
  EditCurrent();
}

TKV_DEdt_frm::TKV_DEdt_frm(QWidget* parent) : QWidget(parent) {
  setObjectName("KV_DEdt_frm");
  // No close box: the window is left through its back button.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowMinMaxButtonsHint);
  setWindowTitle(U8("発信電話番号/カナ名定義"));
  setFont(Orvo_Font(12));
  setFixedSize(480, 520);
  DEdt_Grid = new TKvGrid(this);
  DEdt_Grid->setObjectName("DEdt_Grid");
  DEdt_Grid->setGeometry(8, 8, 464, 448);
  DEdt_Grid->verticalHeader()->setFixedWidth(64);
  DEdt_Grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  DEdt_Grid->setColumnWidth(0, 210);
  DEdt_Grid->setColumnWidth(1, 159);
  Reg_BitBtn = new QPushButton(U8("登録(&R)"), this);
  Reg_BitBtn->setGeometry(250, 470, 100, 36);
  Bac_BitBtn = new QPushButton(U8("戻る(&E)"), this);
  Bac_BitBtn->setGeometry(364, 470, 100, 36);
  connect(Reg_BitBtn, &QPushButton::clicked, this, &TKV_DEdt_frm::Reg_BitBtnClick);
  connect(Bac_BitBtn, &QPushButton::clicked, this, &TKV_DEdt_frm::Bac_BitBtnClick);
  FormCreate();
  CenterAtStart(this);
}

void TKV_DEdt_frm::FormCreate() {
  DEdt_Grid->setHorizontalHeaderLabels({U8("発信電話番号定義"), U8("発信電話番号カナ名定義")});
  QStringList rows;
  for (int r = 1; r <= kv::kRows; ++r) rows << QString::asprintf("%.4d", r);
  DEdt_Grid->setVerticalHeaderLabels(rows);
  for (int r = 0; r < kv::kRows; ++r)
    for (int c = 0; c < 2; ++c) DEdt_Grid->setItem(r, c, new QTableWidgetItem());
}

QString TKV_DEdt_frm::Cell(int column, int r) const {
  QTableWidgetItem* it = DEdt_Grid->item(r - 1, column - 1);
  return it ? it->text() : QString();
}

void TKV_DEdt_frm::SetCell(int column, int r, const QString& text) {
  if (QTableWidgetItem* it = DEdt_Grid->item(r - 1, column - 1)) it->setText(text);
}

void TKV_DEdt_frm::ClearCells() {
  if (DEdt_Grid->Editing() && DEdt_Grid->Delegate()->editor)
    DEdt_Grid->Delegate()->editor->clear();
  for (int r = 1; r <= kv::kRows; ++r) {
    SetCell(1, r, QString());
    SetCell(2, r, QString());
  }
}

int TKV_DEdt_frm::TopRow() const { return DEdt_Grid->rowAt(0) + 1; }

void TKV_DEdt_frm::Reg_BitBtnClick() {
  DEdt_Grid->CommitEditor();
  if (kv::Data_File.empty()) return;  // nothing was read yet
  std::vector<std::string> numbers(kv::kRows), names(kv::kRows);
  for (int r = 1; r <= kv::kRows; ++r) {
    // A character without a CP932 form can never be a number character.
    numbers[r - 1] = FromQ(Cell(1, r).left(kv::kNumberMaxLen)).value_or("?");
    names[r - 1] = FromQ(Cell(2, r).left(kv::kNameChars)).value_or("");
  }
  std::string msg;
  int bad = kv::FirstBadNumber(numbers);
  if (bad < 0) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    msg = kv::Register_Blocks(kv::Data_File, numbers, names);
    QApplication::restoreOverrideCursor();
    if (!msg.empty()) kv::MsgDlg_Show(msg);
    return;
  }
  kv::MsgDlg_Show("3006");
  // The row on top, but never so low that the grid shows blank space.
  DEdt_Grid->verticalScrollBar()->setValue(std::min(bad, 83));
  DEdt_Grid->setCurrentCell(bad, 0);
  DEdt_Grid->setFocus();
  DEdt_Grid->EditCurrent();
}

void TKV_DEdt_frm::Bac_BitBtnClick() {
  DEdt_Grid->CommitEditor();
  if (kv::KV_FSel_Frm) kv::KV_FSel_Frm->show();
  hide();
}

void TKV_DEdt_frm::closeEvent(QCloseEvent* e) { e->ignore(); }
