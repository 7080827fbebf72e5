#include "cmdfile/ui/GPage_Base.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStylePainter>
#include <QUrl>
#include <QVBoxLayout>

#include "cmdfile/CmdSect_Unit.h"
#include "cmdfile/ScreenDef.h"
#include "cmdfile/ui/CmdSect_Show.h"
#include "link/SettingsText.h"
#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/Placement.h"
#include "transfer/ui/Load_Form.h"

QWidget* CurrentPage = nullptr;

GPageHost& GPage_Host() {
  static GPageHost h;
  return h;
}

// ---------------------------------------------------------------- model

TPageGridModel::TPageGridModel(PageGrid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {}

void TPageGridModel::SetFixed(int rows, int cols) {
  beginResetModel();
  fixedRows_ = rows;
  fixedCols_ = cols;
  endResetModel();
}

void TPageGridModel::Reset() {
  beginResetModel();
  endResetModel();
}

void TPageGridModel::Changed(const GridRect& r) {
  QModelIndex a = index(r.top - fixedRows_, r.left - fixedCols_);
  QModelIndex b = index(r.bottom - fixedRows_, r.right - fixedCols_);
  if (a.isValid() && b.isValid()) emit dataChanged(a, b);
}

int TPageGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max(grid_.RowCount() - fixedRows_, 0);
}

int TPageGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max(grid_.ColCount() - fixedCols_, 0);
}

QVariant TPageGridModel::data(const QModelIndex& i, int role) const {
  if (!i.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
  return ToQ(grid_.Cell(i.column() + fixedCols_, i.row() + fixedRows_));
}

bool TPageGridModel::setData(const QModelIndex& i, const QVariant& v, int role) {
  if (!i.isValid() || role != Qt::EditRole) return false;
  std::optional<std::string> text = FromQ(v.toString());
  if (!text) {
    if (refused) refused();
    return false;
  }
  grid_.SetCell(i.column() + fixedCols_, i.row() + fixedRows_, std::move(*text));
  emit dataChanged(i, i);
  return true;
}

QVariant TPageGridModel::headerData(int section, Qt::Orientation o, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (o == Qt::Vertical) return fixedCols_ > 0 ? ToQ(grid_.Cell(0, section + fixedRows_)) : QVariant();
  return fixedRows_ > 0 ? ToQ(grid_.Cell(section + fixedCols_, 0)) : QVariant();
}

Qt::ItemFlags TPageGridModel::flags(const QModelIndex& i) const {
  if (!i.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

// ----------------------------------------------------------------- view

TPageGridView::TPageGridView(TGPage_Base* page, QWidget* parent) : QTableView(parent), page_(page) {
  setItemDelegate(new TPageGridDelegate(this));
}

void TPageGridView::keyPressEvent(QKeyEvent* e) {
  int key = page_->StringGrid1KeyDown(e->key());
  if (key != e->key()) {
    QKeyEvent tab(e->type(), key, e->modifiers() & ~Qt::KeypadModifier, QString());
    QTableView::keyPressEvent(&tab);
    e->setAccepted(tab.isAccepted());
    return;
  }
  QTableView::keyPressEvent(e);
}

void TPageGridView::EndEdit() {
  if (state() != QAbstractItemView::EditingState) return;
  if (QWidget* ed = indexWidget(currentIndex())) {
    commitData(ed);
    QTableView::closeEditor(ed, QAbstractItemDelegate::NoHint);
  }
}

bool TPageGridDelegate::eventFilter(QObject* editor, QEvent* e) {
  // Enter in the cell editor moves on to the next cell as Tab does.
  if (e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
      QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
      return QStyledItemDelegate::eventFilter(editor, &tab);
    }
  }
  return QStyledItemDelegate::eventFilter(editor, e);
}

// ----------------------------------------------------------------- page

TGPage_Base::TGPage_Base(const GPageKind& kind, const QString& storedCaption, QWidget* parent)
    : QWidget(parent), kind_(kind) {
  pageType_ = kind.pageType;
  model_ = new TPageGridModel(grid_, this);
  Layout(storedCaption);
  model_->refused = [this] {
    // Shown once the editor has closed, not from inside its commit; a
    // button whose press committed the text tells it first and stops.
    refusalPending_ = true;
    QMetaObject::invokeMethod(this, [this] { TellRefusal(); }, Qt::QueuedConnection);
  };
}

TGPage_Base::~TGPage_Base() {
  if (CurrentPage == this) CurrentPage = nullptr;
}

void TGPage_Base::Layout(const QString& storedCaption) {
  // Single border, no title-bar buttons, above the program's other windows.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
  setWindowTitle(storedCaption);
  // The stored layouts name no face of their own: their default, drawn in
  // the face substituted for it, so that digits, kanji and half-width
  // katakana of a label come from one face and never the toolkit's.
  setFont(Orvo_FontNamed("MS Sans Serif", 12));

  Label2 = new QLabel(U8("コマンドファイル："), this);
  Label1 = new QLabel(this);
  StringGrid1 = new TPageGridView(this, this);
  StringGrid1->setModel(model_);
  StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
  StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
  StringGrid1->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  StringGrid1->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
  StringGrid1->setTabKeyNavigation(true);
  StringGrid1->setContextMenuPolicy(Qt::PreventContextMenu);
  StringGrid1->setWordWrap(false);
  // The minimum first: the header would raise a smaller default to the
  // minimum its font asks for, and the rows would be drawn taller than the
  // grid's height assumes.
  StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  StringGrid1->verticalHeader()->setMinimumSectionSize(kGridRowHeight);
  StringGrid1->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
  StringGrid1->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  StringGrid1->verticalHeader()->setSectionsClickable(false);
  StringGrid1->horizontalHeader()->setDefaultSectionSize(238);
  StringGrid1->horizontalHeader()->setSectionsClickable(false);
  StringGrid1->setCornerButtonEnabled(false);
  // The corner above the labels shows the grid's cell (0, 0).
  corner_ = StringGrid1->findChild<QAbstractButton*>();
  if (corner_) corner_->installEventFilter(this);
  StringGrid1->viewport()->installEventFilter(this);
  StringGrid1->verticalHeader()->viewport()->installEventFilter(this);

  Copy_BitBtn = new QPushButton(U8("コピー(&C)"), this);
  Paste_BitBtn = new QPushButton(U8("貼り付け(&P)"), this);
  Paste_BitBtn->setEnabled(false);
  Del_BitBtn = new QPushButton(U8("クリア(&D)"), this);
  Help_BitBtn = new QPushButton(U8("ヘルプ(&H)"), this);
  Load_BitBtn = new QPushButton(U8("ロード(&L)"), this);
  Err_BitBtn = new QPushButton(U8("エラー参照"), this);
  Chk_BitBtn = new QPushButton(U8("チェック(&V)"), this);
  Reg_BitBtn = new QPushButton(U8("登録(&R)"), this);
  Exit_BitBtn = new QPushButton(U8("戻る(&E)"), this);

  Grd_Tmr = new QTimer(this);
  Grd_Tmr->setInterval(100);
  PopupMenu1 = new QMenu(this);

  auto* top = new QHBoxLayout;
  top->addWidget(Label2);
  top->addWidget(Label1, 1);
  auto* row1 = new QHBoxLayout;
  for (QPushButton* b : {Copy_BitBtn, Paste_BitBtn, Del_BitBtn, Help_BitBtn}) row1->addWidget(b);
  row1->addStretch();
  auto* row2 = new QHBoxLayout;
  for (QPushButton* b : {Load_BitBtn, Err_BitBtn, Chk_BitBtn, Reg_BitBtn, Exit_BitBtn}) row2->addWidget(b);
  row2->addStretch();
  auto* v = new QVBoxLayout(this);
  v->addLayout(top);
  v->addWidget(StringGrid1, 1);
  v->addLayout(row1);
  v->addLayout(row2);
  // The window takes the size its grid and buttons need (FitGrid).
  v->setSizeConstraint(QLayout::SetFixedSize);
  StringGrid1->horizontalHeader()->setFixedHeight(kind_.headRowHeight);
  FitGrid();

  connect(Copy_BitBtn, &QPushButton::clicked, this, &TGPage_Base::Copy_BitBtnClick);
  connect(Paste_BitBtn, &QPushButton::clicked, this, &TGPage_Base::Paste_BitBtnClick);
  connect(Del_BitBtn, &QPushButton::clicked, this, &TGPage_Base::Del_BitBtnClick);
  connect(Help_BitBtn, &QPushButton::clicked, this, &TGPage_Base::Help_BitBtnClick);
  connect(Err_BitBtn, &QPushButton::clicked, this, &TGPage_Base::Err_BitBtnClick);
  connect(Exit_BitBtn, &QPushButton::clicked, this, &TGPage_Base::Exit_BitBtnClick);
  for (QPushButton* b : {Reg_BitBtn, Chk_BitBtn, Load_BitBtn})
    connect(b, &QPushButton::clicked, this, [this, b] { Reg_BitBtnClick(b); });
  connect(Grd_Tmr, &QTimer::timeout, this, &TGPage_Base::Grd_TmrTimer);
}

// ------------------------------------------------------- grid in screen terms

GridRect TGPage_Base::Selection() const {
  const int fr = model_->FixedRows(), fc = model_->FixedCols();
  GridRect r;
  bool any = false;
  if (QItemSelectionModel* sm = StringGrid1->selectionModel()) {
    for (const QItemSelectionRange& range : sm->selection()) {
      if (!range.isValid()) continue;
      GridRect g{range.left() + fc, range.top() + fr, range.right() + fc, range.bottom() + fr};
      if (!any) r = g;
      else r = {std::min(r.left, g.left), std::min(r.top, g.top), std::max(r.right, g.right),
                std::max(r.bottom, g.bottom)};
      any = true;
    }
  }
  if (!any) {
    QModelIndex c = StringGrid1->currentIndex();
    int col = c.isValid() ? c.column() + fc : fc, row = c.isValid() ? c.row() + fr : fr;
    r = {col, row, col, row};
  }
  return r;
}

void TGPage_Base::SetSelection(const GridRect& r) {
  const int fr = model_->FixedRows(), fc = model_->FixedCols();
  // The fixed row and column are headers, never cells of the selection.
  QModelIndex a = model_->index(std::max(r.top, fr) - fr, std::max(r.left, fc) - fc);
  QModelIndex b = model_->index(r.bottom - fr, r.right - fc);
  if (!a.isValid() || !b.isValid()) return;
  QItemSelectionModel* sm = StringGrid1->selectionModel();
  sm->setCurrentIndex(a, QItemSelectionModel::NoUpdate);
  sm->select(QItemSelection(a, b), QItemSelectionModel::ClearAndSelect);
}

void TGPage_Base::SetCursor(int col, int row) {
  const int fr = model_->FixedRows(), fc = model_->FixedCols();
  QModelIndex a = model_->index(row - fr, col - fc);
  if (!a.isValid()) return;
  StringGrid1->selectionModel()->setCurrentIndex(a, QItemSelectionModel::ClearAndSelect);
  StringGrid1->scrollTo(a);
}

int TGPage_Base::TopRow() const {
  return StringGrid1->verticalScrollBar()->value() + model_->FixedRows();
}

void TGPage_Base::SetTopRow(int row) {
  StringGrid1->verticalScrollBar()->setValue(row - model_->FixedRows());
}

int TGPage_Base::LeftCol() const {
  return StringGrid1->horizontalScrollBar()->value() + model_->FixedCols();
}

void TGPage_Base::SetLeftCol(int col) {
  StringGrid1->horizontalScrollBar()->setValue(col - model_->FixedCols());
}

int TGPage_Base::VisibleRows() const {
  int h = StringGrid1->verticalHeader()->defaultSectionSize();
  return h > 0 ? std::max(StringGrid1->viewport()->height() / h, 1) : 1;
}

void TGPage_Base::SetEditMode(bool on) {
  editMode_ = on;
  drawnFocus_ = !on;
  StringGrid1->setEditTriggers(on ? QAbstractItemView::AllEditTriggers : QAbstractItemView::NoEditTriggers);
  // Leaving edit mode keeps what was typed.
  if (!on) StringGrid1->EndEdit();
}

void TGPage_Base::ShowFailedCell(int col, int row, int topRow, int leftCol) {
  SetCursor(col, row);
  SetTopRow(topRow);
  if (leftCol >= 0) SetLeftCol(leftCol);
  // The drawn focus marks the cell; editing stays as it was, the editor
  // closed so that the mark shows.
  drawnFocus_ = true;
  StringGrid1->EndEdit();
  StringGrid1->setFocus();
}

void TGPage_Base::GridChanged() {
  model_->Reset();
  // Rows added past the shown ones bring the vertical bar, which needs its
  // own width beside the columns.
  FitGrid();
}

int TGPage_Base::ShownRows() const { return model_->FixedRows() > 0 ? kGridShownRows - 1 : kGridShownRows; }

void TGPage_Base::FitGrid() {
  QTableView* g = StringGrid1;
  const int frame = 2 * g->frameWidth();
  const int vbar = g->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, g->verticalScrollBar());
  const int hbar = g->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, g->horizontalScrollBar());
  const int head = model_->FixedRows() > 0 ? kind_.headRowHeight : 0;
  const int labels = model_->FixedCols() > 0 ? kind_.labelWidth : 0;
  int columns = 0;
  for (int c = 0; c < model_->columnCount(); ++c) columns += g->columnWidth(c);
  const bool scrollsDown = model_->rowCount() > ShownRows();
  int width = frame + labels + columns + (scrollsDown ? vbar : 0);
  // Wider than the screen allows: the grid scrolls sideways, and its bar
  // takes a height of its own below the rows.
  int most = 1024;
  if (QScreen* sc = screen() ? screen() : QGuiApplication::primaryScreen()) most = sc->availableGeometry().width();
  const QMargins m = layout() ? layout()->contentsMargins() : QMargins();
  most -= m.left() + m.right() + 16;
  const bool scrollsAcross = width > most;
  if (scrollsAcross) width = std::max(most, frame + labels + vbar + 1);
  g->setFixedSize(width, frame + head + ShownRows() * kGridRowHeight + (scrollsAcross ? hbar : 0));
  if (layout()) layout()->activate();
}

bool TGPage_Base::TellRefusal() {
  if (!refusalPending_) return false;
  refusalPending_ = false;
  Message("9508");
  return true;
}

bool TGPage_Base::CommitEdit() {
  StringGrid1->EndEdit();
  const GridRect at = Selection();
  if (!TellRefusal()) return true;
  // The cell keeps its old value and the cursor, as after a failed check.
  ShowFailedCell(at.left, at.top, TopRow(), LeftCol());
  return false;
}

void TGPage_Base::SetGridShape(int cols, int rows, int fixedRows, int fixedCols) {
  grid_.SetSize(cols, rows);
  model_->SetFixed(fixedRows, fixedCols);
  StringGrid1->horizontalHeader()->setVisible(fixedRows > 0);
  StringGrid1->verticalHeader()->setVisible(fixedCols > 0);
}

// -------------------------------------------------------------- opening

void TGPage_Base::OpenBegin(const std::string& cmdPath, const std::string& screenKey, int pageType) {
  screenKey_ = screenKey;
  cmdPath_ = cmdPath;
  pageType_ = pageType;
  drag_.Reset();
  Grd_Tmr->stop();
  setWindowTitle(ToQ(GPage_Host().menuPath ? GPage_Host().menuPath() : std::string()));
  Label1->setText(ToQ(GPage_CmdName(cmdPath)));
}

bool TGPage_Base::ReadDefRows(bool requireRows) {
  std::vector<std::vector<std::string>> lines;
  int msg = Screen_Def(ScreenFilesDir, screenKey_, 3, lines);
  if (msg == 0 && requireRows && lines.empty()) msg = 9305;
  if (msg != 0) {
    MsgDlg_Show(settings::MsgNo(msg));
    return false;
  }
  SetGridShape(2, static_cast<int>(lines.size()), 0, 1);
  for (size_t r = 0; r < lines.size(); ++r) grid_.SetCell(0, static_cast<int>(r), lines[r][2]);
  return true;
}

bool TGPage_Base::ReadSection(std::vector<std::string>& list) {
  list.clear();
  return CmdSect_ReadShow(cmdPath_, screenKey_, list, 1);
}

// ------------------------------------------------------------ the flow

int TGPage_Base::Message(std::string_view number) { return MsgDlg_Show(number); }

bool TGPage_Base::Store(std::vector<std::string> list) {
  return CmdSect_WriteShow(list, cmdPath_, screenKey_);
}

void TGPage_Base::ShowLoad(const GPageHandOver& h) {
  QPoint at = FrameTopLeft(this);
  if (!kind_.loadAtPage && Main_Frm) at = FrameTopLeft(Main_Frm) + QPoint(0, 20);
  hide();
  if (GPage_Host().showLoad) {
    GPage_Host().showLoad(h, at);
    return;
  }
  if (!Load_Frm) return;
  std::string user = GPage_Host().userName ? GPage_Host().userName() : std::string();
  Load_Frm->User_Lbl->setText(ToQ(user));
  Load_Frm->Data_Lbl->setText(ToQ(h.dataLabel));
  PlaceFrameAt(Load_Frm, at);
  Load_Frm->show();
}

void TGPage_Base::CursorHome(bool focusGrid) {
  SetCursor(kind_.homeCol, kind_.homeRow);
  if (focusGrid) StringGrid1->setFocus();
}

void TGPage_Base::EnableErr() { Err_BitBtn->setEnabled(true); }

void TGPage_Base::Reg_BitBtnClick(QPushButton* sender) {
  RegButton b = sender == Chk_BitBtn ? RegButton::Check
                : sender == Load_BitBtn ? RegButton::Load
                                        : RegButton::Register;
  // What is being typed counts; text refused as typed stops the button
  // before anything is asked, written or sent.
  if (!CommitEdit()) return;
  GPage_RegFlow(*this, kind_, b, cmdPath_, GPage_CmdName(cmdPath_));
}

// ----------------------------------------------------- the other buttons

void TGPage_Base::Copy_BitBtnClick() {
  // A mnemonic leaves the cell editor open: what it holds counts, and it
  // must not write its old text over what the button changes.
  if (!CommitEdit()) return;
  Paste_BitBtn->setEnabled(true);
  GridRect sel = Selection();
  if (kind_.blockCopy) GPage_BlockCopy(grid_, sel, block_);
  else copyBuffer_ = GPage_ColumnCopy(grid_, sel);
}

void TGPage_Base::Paste_BitBtnClick() {
  if (!CommitEdit()) return;
  GridRect sel = Selection();
  int col = 1, row = 0, msg = 0;
  if (kind_.blockCopy) {
    if (!block_.filled) return;
    msg = GPage_BlockPasteTarget(block_, sel, grid_.ColCount(), grid_.RowCount(), model_->FixedCols(), col, row);
  } else {
    msg = GPage_ColumnPasteRow(sel, grid_.RowCount(), copyBuffer_.size(), row);
  }
  if (msg != 0) {
    Message(settings::MsgNo(msg));
    return;
  }
  if (kind_.blockCopy) {
    GPage_BlockPaste(block_, grid_, col, row);
    model_->Changed({col, row, col + block_.rect.Width() - 1, row + block_.rect.Height() - 1});
    SetCursor(col, row);
  } else {
    for (size_t i = 0; i < copyBuffer_.size(); ++i) grid_.SetCell(1, row + static_cast<int>(i), copyBuffer_[i]);
    if (!copyBuffer_.empty()) model_->Changed({1, row, 1, row + static_cast<int>(copyBuffer_.size()) - 1});
  }
}

void TGPage_Base::Del_BitBtnClick() {
  // The selection as it stands before the prompt: closing the prompt
  // activates the page again.
  if (!CommitEdit()) return;
  GridRect sel = Selection();
  if (Message("7804") != 1) return;
  GPage_Clear(grid_, sel);
  model_->Changed(sel);
}

void TGPage_Base::Help_BitBtnClick() {
  std::string name = GPage_Host().helpName ? GPage_Host().helpName() : std::string();
  std::string path = fsys::Resolve(ScreenFilesDir, name + ".pdf");
  if (name.empty() || !fsys::FileExists(path)) {
    Message("9307");
    return;
  }
  const bool opened = GPage_Host().openDocument
                          ? GPage_Host().openDocument(path)
                          : QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
  // No viewer for the document: the dealer is told, not left waiting.
  if (!opened) Message("9313");
}

void TGPage_Base::Err_BitBtnClick() {
  DumpMode = 0;
  if (!GPage_Host().openErrorList) return;
  hide();
  GPage_Host().openErrorList(ProgramDir);
}

void TGPage_Base::Exit_BitBtnClick() {
  exiting_ = true;
  close();
  exiting_ = false;
}

void TGPage_Base::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  FormShow();
}

void TGPage_Base::FormShow() {
  SetEditMode(true);
  StringGrid1->verticalHeader()->setFixedWidth(kind_.labelWidth);
  if (kind_.valueWidth > 0)
    for (int c = 0; c < model_->columnCount(); ++c) StringGrid1->setColumnWidth(c, kind_.valueWidth);
  FitGrid();
  SetCursor(kind_.homeCol, kind_.homeRow);
  SetTopRow(model_->FixedRows());
  SetLeftCol(model_->FixedCols());
  StringGrid1->setFocus();
}

void TGPage_Base::closeEvent(QCloseEvent* e) {
  // Only Exit closes a page; nothing else may lose its values.
  if (!exiting_) {
    e->ignore();
    return;
  }
  QWidget::closeEvent(e);
  if (!closing_) {
    closing_ = true;
    FormClose();
    closing_ = false;
  }
}

void TGPage_Base::FormClose() {
  Paste_BitBtn->setEnabled(false);
  Grd_Tmr->stop();
  drag_.Release();
  StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
  if (CurrentPage == this) CurrentPage = nullptr;
  if (GPage_Host().showMenu) GPage_Host().showMenu();
}

// ------------------------------------------------------ mouse and keys

void TGPage_Base::StringGrid1MouseDown(Qt::MouseButton b, QPoint viewportPos, bool onLabel) {
  if (b == Qt::RightButton) {
    if (drawnFocus_) {
      GridRect s = Selection();
      SetCursor(s.left, s.top);
      SetEditMode(true);
    } else {
      SetEditMode(false);
    }
    return;
  }
  if ((b != Qt::LeftButton && b != Qt::MiddleButton) || !onLabel) return;
  int viewRow = StringGrid1->rowAt(viewportPos.y());
  if (viewRow < 0) return;
  GridRect sel;
  if (!drag_.Press(viewRow + model_->FixedRows(), grid_.RowCount(), model_->FixedRows(), grid_.ColCount() - 1, sel))
    return;
  SetEditMode(false);
  StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
  SetSelection(sel);
}

void TGPage_Base::StringGrid1MouseMove(QPoint viewportPos) {
  if (drag_.Flag() != 1) return;
  GridDrag::Where w = GridDrag::Nowhere;
  int row = -1;
  if (viewportPos.y() >= StringGrid1->viewport()->height()) {
    w = GridDrag::Below;
  } else if (viewportPos.y() < 0) {
    w = GridDrag::Above;
  } else {
    int viewRow = StringGrid1->rowAt(viewportPos.y());
    if (viewRow >= 0) {
      w = GridDrag::Inside;
      row = viewRow + model_->FixedRows();
    }
  }
  ApplyDrag(drag_.Move(w, row, TopRow()));
}

void TGPage_Base::StringGrid1MouseUp() {
  Grd_Tmr->stop();
  drag_.Release();
  StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
}

void TGPage_Base::Grd_TmrTimer() { ApplyDrag(drag_.Tick(TopRow(), grid_.RowCount(), VisibleRows())); }

void TGPage_Base::PaintCorner() {
  QStylePainter painter(corner_);
  QStyleOptionHeader opt;
  opt.initFrom(corner_);
  // Drawn as a heading, not as the disabled button it is.
  opt.state |= QStyle::State_Enabled | QStyle::State_Raised;
  opt.position = QStyleOptionHeader::OnlyOneSection;
  opt.rect = corner_->rect();
  painter.drawControl(QStyle::CE_HeaderSection, opt);
  const QString text = ToQ(grid_.Cell(0, 0));
  if (text.isEmpty()) return;
  // The narrow label columns hold their heading whole in a smaller face.
  const QRect r = corner_->rect().adjusted(2, 0, -1, 0);
  QFont f = StringGrid1->horizontalHeader()->font();
  int px = QFontInfo(f).pixelSize();
  f.setPixelSize(px);
  while (px > 6 && QFontMetrics(f).horizontalAdvance(text) > r.width()) f.setPixelSize(--px);
  painter.setFont(f);
  painter.setPen(StringGrid1->horizontalHeader()->palette().color(QPalette::Active, QPalette::ButtonText));
  painter.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, text);
}

void TGPage_Base::ApplyDrag(const GridDrag::Step& s) {
  if (s.stopTimer) Grd_Tmr->stop();
  if (s.startTimer) Grd_Tmr->start();
  if (s.scrollTo >= 0) SetTopRow(s.scrollTo);
  if (s.select) SetSelection(s.sel);
}

int TGPage_Base::StringGrid1KeyDown(int key) {
  GridRect s = Selection();
  if (!s.Single()) SetCursor(s.left, s.top);
  SetEditMode(true);
  return key == Qt::Key_Return || key == Qt::Key_Enter ? Qt::Key_Tab : key;
}

bool TGPage_Base::eventFilter(QObject* watched, QEvent* e) {
  if (watched == corner_ && e->type() == QEvent::Paint) {
    PaintCorner();
    return true;
  }
  const bool onLabel = watched == StringGrid1->verticalHeader()->viewport();
  if (!onLabel && watched != StringGrid1->viewport()) return QWidget::eventFilter(watched, e);
  auto* w = static_cast<QWidget*>(watched);
  switch (e->type()) {
    case QEvent::MouseButtonPress: {
      auto* me = static_cast<QMouseEvent*>(e);
      QPoint p = StringGrid1->viewport()->mapFromGlobal(w->mapToGlobal(me->position().toPoint()));
      StringGrid1MouseDown(me->button(), p, onLabel);
      // A press on a label or the right button is the page's own.
      if (onLabel || me->button() == Qt::RightButton) return true;
      break;
    }
    case QEvent::MouseMove: {
      auto* me = static_cast<QMouseEvent*>(e);
      if (drag_.Flag() == 1) {
        QPoint p = StringGrid1->viewport()->mapFromGlobal(w->mapToGlobal(me->position().toPoint()));
        StringGrid1MouseMove(p);
        return true;
      }
      break;
    }
    case QEvent::MouseButtonRelease: {
      const bool dragging = drag_.Flag() == 1;
      StringGrid1MouseUp();
      if (dragging) return true;
      break;
    }
    default:
      break;
  }
  return QWidget::eventFilter(watched, e);
}
