#include "phone/ui/Kana_Form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QStyleOption>
#include <QTimer>
#include <QValidator>
#include <algorithm>
#include <map>
#include <set>

#include "platform/Cp932.h"
#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/Language_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/CommonFont_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/DirControls.h"
#include "shell/ui/PathLabel.h"
#include "shell/ui/Placement.h"
#include "shell/ui/Printer.h"

TKana_Fm* Kana_Fm = nullptr;

KanaHost& Kana_Host() {
  static KanaHost host;
  return host;
}

namespace {

// Owner caps, and a list file read only in part: told when it opens, and
// asked before Register writes the part over the whole.
constexpr const char* kMsgTooManyOwners = "9807";
constexpr const char* kMsgTooManyRows = "9808";
constexpr const char* kMsgPartlyRead = "9809";
constexpr const char* kMsgPartLost = "7805";

bool DialByte(unsigned char c, int mode) {
  if ((c >= '0' && c <= '9') || c == '*' || c == '#') return true;
  return mode != kana::kDirectory && (c == '-' || c == 'A' || c == 'E' || c == 'F' || c == 'R');
}
// Names hold single-byte characters and half-width katakana, never "<" or ">".
bool NameByte(unsigned char c) {
  return ((c >= 0x20 && c < 0x80) || (c >= 0xA1 && c < 0xE0)) && c != '<' && c != '>' && c != 0x7F;
}

// The characters of a text one by one (surrogate pairs kept together).
std::vector<QString> Chars(const QString& text) {
  std::vector<QString> out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    out.push_back(text.mid(i, n));
    i += n - 1;
  }
  return out;
}

// The keys of a cell as a validator, so that paste and input methods are
// covered. What the cell held when its editing began stays editable: a name
// read from the file may hold kanji that cannot be typed, and deleting never
// makes a cell worse. Only characters the column refuses that were not there
// before, and growth past the limit, are turned away.
class CellValidator : public QValidator {
 public:
  CellValidator(int column, int mode, QObject* parent) : QValidator(parent), column_(column), mode_(mode) {}
  // The cell's text as its editing began.
  void SetStart(const QString& text) {
    refusedBefore_.clear();
    for (const QString& ch : Chars(text))
      if (!Allowed(ch)) ++refusedBefore_[ch];
    last_ = text;
  }
  State validate(QString& input, int&) const override {
    std::map<QString, int> refused;
    for (const QString& ch : Chars(input))
      if (!Allowed(ch) && ++refused[ch] > Count(refusedBefore_, ch)) return Invalid;
    const size_t limit = column_ == 1 ? kana::DialLimit(mode_) : kana::NameLimit(mode_);
    const size_t bytes = Bytes(input);
    if (bytes > limit && bytes >= Bytes(last_)) return Invalid;
    last_ = input;
    return Acceptable;
  }

 private:
  bool Allowed(const QString& ch) const {
    auto b = FromQLossless(ch);
    if (!b || b->size() != 1) return false;  // double-byte, or no CP932 form
    const auto c = static_cast<unsigned char>((*b)[0]);
    return column_ == 1 ? DialByte(c, mode_) : NameByte(c);
  }
  static int Count(const std::map<QString, int>& m, const QString& ch) {
    auto it = m.find(ch);
    return it == m.end() ? 0 : it->second;
  }
  static size_t Bytes(const QString& text) {
    size_t n = 0;
    for (const QString& ch : Chars(text)) n += FromQLossless(ch).value_or("??").size();
    return n;
  }
  int column_, mode_;
  std::map<QString, int> refusedBefore_;
  mutable QString last_;
};

class OwnerKeyValidator : public QValidator {
 public:
  OwnerKeyValidator(int mode, QObject* parent) : QValidator(parent), mode_(mode) {}
  State validate(QString& input, int&) const override {
    if (static_cast<size_t>(input.size()) > kana::KeyLimit(mode_)) return Invalid;
    for (QChar ch : input) {
      char c = ch.unicode() < 0x80 ? static_cast<char>(ch.unicode()) : 0;
      bool ok = (c >= '0' && c <= '9') || (mode_ == kana::kPersonal && (c == '*' || c == '#'));
      if (!ok) return Invalid;
    }
    return Acceptable;
  }

 private:
  int mode_;
};

class CellDelegate : public QStyledItemDelegate {
 public:
  CellDelegate(const int* mode, QObject* parent) : QStyledItemDelegate(parent), mode_(mode) {}
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* w = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* e = qobject_cast<QLineEdit*>(w)) e->setValidator(new CellValidator(index.column(), *mode_, e));
    return w;
  }
  // The columns are as wide as their longest value in the form's face, with
  // no room for the usual cell margins: a value is drawn from the cell's
  // edge, a small inset kept where there is room for it, never elided.
  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, p, opt.widget);
    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (opt.state & QStyle::State_Active) ? QPalette::Active
                                                                            : QPalette::Inactive;
    const QPalette::ColorRole role = opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text;
    const int inset = std::clamp(opt.rect.width() - opt.fontMetrics.horizontalAdvance(text), 0, 2);
    p->save();
    p->setClipRect(opt.rect);
    p->setFont(opt.font);
    p->setPen(opt.palette.color(group, role));
    p->drawText(opt.rect.adjusted(inset, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    p->restore();
  }
  // The editor takes the whole cell, for the same reason, and gives the
  // text the room of its own margins.
  void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const override {
    editor->setGeometry(option.rect);
    if (auto* e = qobject_cast<QLineEdit*>(editor)) e->setTextMargins(-1, 0, -1, 0);
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    if (auto* e = qobject_cast<QLineEdit*>(editor))
      if (auto* v = dynamic_cast<CellValidator*>(const_cast<QValidator*>(e->validator())))
        v->SetStart(index.data(Qt::EditRole).toString());
    QStyledItemDelegate::setEditorData(editor, index);
  }

 protected:
  // Enter moves on to the next cell as Tab does; Ctrl+Tab leaves the grid
  // by the form rules.
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::KeyPress) {
      auto* k = static_cast<QKeyEvent*>(e);
      if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) &&
          (k->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        return QStyledItemDelegate::eventFilter(o, &tab);
      }
    }
    return QStyledItemDelegate::eventFilter(o, e);
  }

 private:
  const int* mode_;
};

// Heading and data rows share one height; the grids are made exactly high
// enough for the heading and ten data rows.
constexpr int kRowHeight = 21;
constexpr int kVisibleRows = 10;

// Headings fill their columns to the edge: the columns are as wide as their
// longest heading, with no room for the usual margins.
class GridHeader : public QHeaderView {
 public:
  explicit GridHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(false);
    setHighlightSections(false);
    setMinimumSectionSize(0);
    setSectionResizeMode(QHeaderView::Fixed);
    setFixedHeight(kRowHeight);
  }

 protected:
  QSize sectionSizeFromContents(int logical) const override {
    return {fontMetrics().horizontalAdvance(Text(logical)), kRowHeight};
  }
  void paintSection(QPainter* p, const QRect& rect, int logical) const override {
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = rect;
    opt.section = logical;
    style()->drawControl(QStyle::CE_HeaderSection, &opt, p, this);
    // The section's last column is its border: a heading as wide as its
    // column keeps off it, narrowed by the pixel it lacks.
    const QString text = Text(logical);
    const int room = rect.width() - 1;
    const int advance = fontMetrics().horizontalAdvance(text);
    const int inset = std::clamp(room - advance, 0, 2);
    QRect box = rect.adjusted(inset, 0, -1, 0);
    p->save();
    p->setClipRect(box);
    if (advance > room && room > 0) {
      p->translate(box.left(), 0);
      p->scale(static_cast<double>(room) / advance, 1.0);
      box = QRect(0, box.top(), advance, box.height());
    }
    p->setPen(palette().color(QPalette::ButtonText));
    p->drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text);
    p->restore();
  }

 private:
  QString Text(int logical) const {
    return model() ? model()->headerData(logical, orientation(), Qt::DisplayRole).toString() : QString();
  }
};

// The number column is no cell to type in: Tab and Enter pass over it.
class SpdGrid : public QTableWidget {
 public:
  using QTableWidget::QTableWidget;

 protected:
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers mods) override {
    QModelIndex i = QTableWidget::moveCursor(action, mods);
    if (!i.isValid() || i.column() != 0) return i;
    if (action == MoveNext) return model()->index(i.row(), 1);
    if (action == MovePrevious) {
      const int row = i.row() > 0 ? i.row() - 1 : rowCount() - 1;
      return model()->index(row, 2);
    }
    return i;
  }
};

QTableWidget* MakeGrid(QWidget* parent, const int* mode) {
  auto* g = new SpdGrid(parent);
  g->setColumnCount(3);
  g->setHorizontalHeader(new GridHeader(g));
  g->verticalHeader()->hide();
  g->verticalHeader()->setMinimumSectionSize(0);
  g->verticalHeader()->setDefaultSectionSize(kRowHeight);
  g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  g->setSelectionMode(QAbstractItemView::NoSelection);
  g->setEditTriggers(QAbstractItemView::AllEditTriggers);
  g->setItemDelegate(new CellDelegate(mode, g));
  g->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  g->setTabKeyNavigation(true);
  return g;
}

// Closes a cell's open editor, keeping what was typed.
void CloseEditor(QTableWidget* g) {
  for (QLineEdit* e : g->viewport()->findChildren<QLineEdit*>()) {
    if (!e->isVisible()) continue;
    emit g->itemDelegate()->commitData(e);
    emit g->itemDelegate()->closeEditor(e, QAbstractItemDelegate::NoHint);
  }
}

// A printed listing laid out before its job begins: texts by the top of
// their line (as the layout gives every y), frames, rules and page breaks.
class PrintSheet {
 public:
  void Text(int x, int top, const std::string& s) { ops_.push_back({kText, x, top, 0, 0, s}); }
  void Rect(int x1, int y1, int x2, int y2) { ops_.push_back({kRect, x1, y1, x2, y2, {}}); }
  void Line(int x1, int y1, int x2, int y2) { ops_.push_back({kLine, x1, y1, x2, y2, {}}); }
  void NewPage() { ops_.push_back({kPage, 0, 0, 0, 0, {}}); }
  bool Draw(QPainter& p, QPrinter& printer) const {
    // The painter places a text by its baseline: the font's ascent below
    // the top that the layout gave.
    const int ascent = p.fontMetrics().ascent();
    for (const Op& op : ops_) {
      switch (op.kind) {
        case kText:
          p.drawText(op.x1, op.y1 + ascent, ToQ(op.text));
          break;
        case kRect:
          p.drawRect(op.x1, op.y1, op.x2 - op.x1, op.y2 - op.y1);
          break;
        case kLine:
          p.drawLine(op.x1, op.y1, op.x2, op.y2);
          break;
        case kPage:
          if (!printer.newPage()) return false;
          break;
      }
    }
    return true;
  }

 private:
  enum Kind { kText, kRect, kLine, kPage };
  struct Op {
    Kind kind;
    int x1, y1, x2, y2;
    std::string text;
  };
  std::vector<Op> ops_;
};

}  // namespace

TKana_Fm::TKana_Fm(QWidget* parent) : QWidget(parent) {
  Kana_Fm = this;
  Area_Lbl = new QLabel(this);
  Area_Lbl->setGeometry(8, 8, 120, 20);
  Dir_Lbl = new QLabel(this);
  Dir_Lbl->setGeometry(130, 8, 495, 20);
  Luser_Lbl = new QLabel(this);
  Luser_Lbl->setGeometry(8, 30, 120, 20);
  User_Lbl = new QLabel(this);
  User_Lbl->setGeometry(130, 30, 200, 20);
  LFree_Lbl = new QLabel(this);
  LFree_Lbl->setGeometry(340, 30, 90, 20);
  Free_Lbl = new QLabel(this);
  Free_Lbl->setGeometry(430, 30, 195, 20);
  Nais_Lbl = new QLabel(this);
  Nais_Lbl->setGeometry(8, 56, 130, 24);
  Nais_CmbBox = new QComboBox(this);
  Nais_CmbBox->setEditable(true);
  Nais_CmbBox->setInsertPolicy(QComboBox::NoInsert);
  Nais_CmbBox->setGeometry(140, 56, 140, 24);
  Nais_CmbBox->installEventFilter(this);
  Nais_UpDwn = new QWidget(this);
  Nais_UpDwn->setGeometry(282, 56, 18, 24);
  NaisUp_Btn = new QToolButton(Nais_UpDwn);
  NaisUp_Btn->setArrowType(Qt::UpArrow);
  NaisUp_Btn->setGeometry(0, 0, 18, 12);
  NaisDown_Btn = new QToolButton(Nais_UpDwn);
  NaisDown_Btn->setArrowType(Qt::DownArrow);
  NaisDown_Btn->setGeometry(0, 12, 18, 12);
  for (QToolButton* b : {NaisUp_Btn, NaisDown_Btn}) b->setFocusPolicy(Qt::NoFocus);

  Dial_StrGrd = MakeGrid(this, &mode_);
  Dial2_StrGrd = MakeGrid(this, &mode_);
  for (QTableWidget* g : {Dial_StrGrd, Dial2_StrGrd}) {
    g->viewport()->installEventFilter(this);
    g->installEventFilter(this);
  }

  int y = 368;
  Reg_BitBtn = new QPushButton(this);
  Del_BitBtn = new QPushButton(this);
  Ins_BitBtn = new QPushButton(this);
  Cpy_BitBtn = new QPushButton(this);
  Pas_BitBtn = new QPushButton(this);
  Sort_BitBtn = new QPushButton(this);
  Print_BitBtn = new QPushButton(this);
  Exit_BitBtn = new QPushButton(this);
  int x = 8;
  for (QPushButton* b : {Del_BitBtn, Ins_BitBtn, Cpy_BitBtn, Pas_BitBtn, Sort_BitBtn}) {
    b->setGeometry(x, y, 96, 30);
    x += 100;
  }
  Help_BitBtn = new THelpBitBtn(this);
  Help_BitBtn->setGeometry(8, y - 36, 96, 30);
  Print_BitBtn->setGeometry(319, y - 36, 96, 30);
  Reg_BitBtn->setGeometry(425, y - 36, 96, 30);
  Exit_BitBtn->setGeometry(529, y - 36, 96, 30);
  Grd_Tmr = new QTimer(this);
  Grd_Tmr->setInterval(100);

  connect(Reg_BitBtn, &QPushButton::clicked, this, &TKana_Fm::Reg_BitBtnClick);
  connect(Del_BitBtn, &QPushButton::clicked, this, &TKana_Fm::Del_BitBtnClick);
  connect(Ins_BitBtn, &QPushButton::clicked, this, &TKana_Fm::Ins_BitBtnClick);
  connect(Cpy_BitBtn, &QPushButton::clicked, this, &TKana_Fm::Cpy_BitBtnClick);
  connect(Pas_BitBtn, &QPushButton::clicked, this, &TKana_Fm::Pas_BitBtnClick);
  connect(Sort_BitBtn, &QPushButton::clicked, this, &TKana_Fm::Sort_BitBtnClick);
  connect(Print_BitBtn, &QPushButton::clicked, this, &TKana_Fm::Print_BitBtnClick);
  connect(Exit_BitBtn, &QPushButton::clicked, this, &TKana_Fm::Exit_BitBtnClick);
  connect(Grd_Tmr, &QTimer::timeout, this, &TKana_Fm::Grd_TmrTimer);
  connect(NaisUp_Btn, &QToolButton::clicked, this,
          [this] { QApplication::postEvent(this, new QEvent(QEvent::Type(QEvent::User + WM_KANA_OWNER_STEP + 1000))); });
  connect(NaisDown_Btn, &QToolButton::clicked, this,
          [this] { QApplication::postEvent(this, new QEvent(QEvent::Type(QEvent::User + WM_KANA_OWNER_STEP))); });
  connect(Nais_CmbBox->lineEdit(), &QLineEdit::returnPressed, this,
          [this] { SelectOwner(FromQ(Nais_CmbBox->currentText()).value_or("")); });
  connect(Nais_CmbBox, &QComboBox::activated, this, [this](int i) {
    std::string key = FromQ(Nais_CmbBox->itemText(i)).value_or("");
    if (!key.empty()) SelectOwner(key);
  });
  for (QTableWidget* g : {Dial_StrGrd, Dial2_StrGrd})
    connect(g, &QTableWidget::currentCellChanged, this, [this, g] {
      if (active_ != g) EnterGrid(g);
    });
  // A grid is entered when the focus comes into it from another control of
  // this form, by Tab, Ctrl+Tab or the mouse; not when the form itself is
  // activated again.
  focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
    if (!old || !now || old->window() != this) return;
    for (QTableWidget* g : {Dial_StrGrd, Dial2_StrGrd}) {
      const bool into = now == g || g->isAncestorOf(now);
      const bool within = old == g || g->isAncestorOf(old);
      if (into && !within) EnterGrid(g);
    }
  });

  // Tab order: the owner, the grids, then the buttons as they read, row by row.
  const std::vector<QWidget*> order = {Nais_CmbBox, Dial_StrGrd, Dial2_StrGrd, Help_BitBtn, Print_BitBtn,
                                       Reg_BitBtn,  Exit_BitBtn, Del_BitBtn,   Ins_BitBtn,  Cpy_BitBtn,
                                       Pas_BitBtn,  Sort_BitBtn};
  for (size_t i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);

  for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
    connect(Dial_StrGrd->model(), signal, this, [this] { FitGrids(); });

  Lang_Kana(this);
  int h = 408;
  if (Main_Frm) {
    h = Main_Frm->height() - Main_Frm->Main_StsBar->height() - 20;
    QRect m = Main_Frm->frameGeometry();
    move(m.left(), m.top() + 20);
  }
  setFixedSize(633, h);
}

TKana_Fm::~TKana_Fm() {
  // The grids go before this object's connections do.
  disconnect(focusWatch_);
  if (Kana_Fm == this) Kana_Fm = nullptr;
}

// ---- cells ----

QString TKana_Fm::Cell(QTableWidget* g, int row, int col) const {
  QTableWidgetItem* it = g->item(row, col);
  return it ? it->text() : QString();
}

std::string TKana_Fm::CellBytes(QTableWidget* g, int row, int col) const {
  return FromQLossless(Cell(g, row, col)).value_or("");
}

void TKana_Fm::SetCell(QTableWidget* g, int row, int col, const std::string& bytes) {
  QTableWidgetItem* it = g->item(row, col);
  if (!it) {
    it = new QTableWidgetItem();
    if (col == 0) it->setFlags(Qt::ItemIsEnabled);
    g->setItem(row, col, it);
  }
  it->setText(ToQLossless(bytes));
}

int TKana_Fm::TopRow(QTableWidget* g) const { return g->verticalScrollBar()->value(); }
void TKana_Fm::SetTopRow(QTableWidget* g, int row) { g->verticalScrollBar()->setValue(row); }

std::vector<int> TKana_Fm::SelectedRows(QTableWidget* grid) const {
  std::set<int> rows;
  for (const QTableWidgetSelectionRange& r : grid->selectedRanges())
    for (int i = r.topRow(); i <= r.bottomRow(); ++i) rows.insert(i);
  return {rows.begin(), rows.end()};
}

void TKana_Fm::SelectRows(QTableWidget* grid, int from, int to) {
  grid->clearSelection();
  if (from > to) std::swap(from, to);
  grid->setSelectionMode(QAbstractItemView::MultiSelection);
  grid->setRangeSelected(QTableWidgetSelectionRange(from, 1, to, 2), true);
}

void TKana_Fm::RowButtons(bool on) {
  for (QPushButton* b : {Del_BitBtn, Cpy_BitBtn, Pas_BitBtn}) b->setEnabled(on);
  Ins_BitBtn->setEnabled(on && mode_ == kana::kDirectory);
}

// The owner lists (personal, ID card) make the grid entered the active one
// for delete, copy and paste; the system list and the directory have only
// grid 1.
void TKana_Fm::EnterGrid(QTableWidget* g) {
  if (mode_ != kana::kPersonal && mode_ != kana::kIdCard) return;
  active_ = g;
  QTableWidget* other = g == Dial_StrGrd ? Dial2_StrGrd : Dial_StrGrd;
  {
    // Putting the other grid back is no entering of it: neither its cell
    // change nor a cell editor opened there may take the focus back.
    const QSignalBlocker quiet(other);
    CloseEditor(other);
    other->clearSelection();
    other->setSelectionMode(QAbstractItemView::NoSelection);
    other->setEditTriggers(QAbstractItemView::NoEditTriggers);
    other->setCurrentCell(0, 1);
    other->setEditTriggers(QAbstractItemView::AllEditTriggers);
  }
  RowButtons(false);
}

// ---- showing and loading ----

void TKana_Fm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

void TKana_Fm::Layout() {
  static const int widths[4][3] = {{120, 150, 100}, {35, 150, 60}, {35, 150, 60}, {50, 50, 70}};
  const bool owners = mode_ == kana::kPersonal || mode_ == kana::kIdCard;
  for (QTableWidget* g : {Dial_StrGrd, Dial2_StrGrd}) {
    g->clear();
    g->setColumnCount(3);
    for (int c = 0; c < 3; ++c) g->setColumnWidth(c, widths[mode_][c]);
    QStringList heads;
    if (mode_ == kana::kSystem)
      heads = {ToQ(KanaKeyHeading[0]), ToQ(KanaValueHeading[0]), ToQ(KanaValueHeading[2])};
    else if (owners)
      heads = {ToQ(KanaValueHeading[1]), ToQ(KanaValueHeading[0]), ToQ(KanaValueHeading[2])};
    else
      heads = {QString(), ToQ(KanaKeyHeading[1]), ToQ(KanaValueHeading[2])};
    g->setHorizontalHeaderLabels(heads);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setEditTriggers(QAbstractItemView::AllEditTriggers);
  }
  const int gridHeight = kRowHeight * (kVisibleRows + 1) + 2 * Dial_StrGrd->frameWidth();
  Dial_StrGrd->setGeometry(8, owners ? 88 : 56, Dial_StrGrd->width(), gridHeight);
  Dial2_StrGrd->setGeometry(Dial2_StrGrd->x(), 88, Dial2_StrGrd->width(), gridHeight);
  Dial2_StrGrd->setVisible(false);
  Dial_StrGrd->setVisible(!owners);
  if (mode_ == kana::kSystem) {
    Dial_StrGrd->setRowCount(kana::kSystemEntries);
    char no[8];
    for (int n = 0; n < kana::kSystemEntries; ++n) {
      std::snprintf(no, sizeof no, "%03d", n);
      SetCell(Dial_StrGrd, n, 0, no);
      SetCell(Dial_StrGrd, n, 1, "");
      SetCell(Dial_StrGrd, n, 2, "");
    }
  } else if (owners) {
    for (QTableWidget* g : {Dial_StrGrd, Dial2_StrGrd}) g->setRowCount(10);
  } else {
    FillDirectory({});
  }
  FitGrids();
}

// A grid is as wide as its columns, and wider by its scroll bar while it
// has one: the system list always, the directory once it has more rows than
// it shows.
void TKana_Fm::FitGrids() {
  for (QTableWidget* g : {Dial_StrGrd, Dial2_StrGrd}) {
    const bool bar = mode_ == kana::kSystem ||
                     (mode_ == kana::kDirectory && g == Dial_StrGrd && g->rowCount() > kVisibleRows);
    g->setVerticalScrollBarPolicy(bar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    int w = 2 * g->frameWidth();
    for (int c = 0; c < g->columnCount(); ++c) w += g->columnWidth(c);
    if (bar) {
      w += g->verticalScrollBar()->sizeHint().width();
      if (g->style()->styleHint(QStyle::SH_ScrollView_FrameOnlyAroundContents, nullptr, g))
        w += g->style()->pixelMetric(QStyle::PM_ScrollView_ScrollBarSpacing, nullptr, g);
    }
    g->resize(w, g->height());
  }
  Dial2_StrGrd->move(Dial_StrGrd->x() + Dial_StrGrd->width() + 8, Dial2_StrGrd->y());
}

void TKana_Fm::FormShow() {
  Grd_Tmr->stop();
  copied_.clear();
  mode_ = std::clamp(SpeedDialMode, 0, 3);
  setWindowTitle(ToQ(KanaCaption[static_cast<size_t>(mode_)]));
  const KanaHost& host = Kana_Host();
  std::string folder = host.dataFolder ? host.dataFolder() : ProgramDir;
  // As the selection form shows the folder: without its trailing "/".
  PathLabel_Show(Dir_Lbl, NameToQ(DirCtl_Normalize(folder)));
  User_Lbl->setText(ToQ(host.userName ? host.userName() : std::string()));
  Free_Lbl->setText(ToQ(host.freeSpace ? host.freeSpace() : std::string()));
  path_ = fsys::Resolve(fsys::WithSlash(folder), kana::SpeedDialFileName(mode_, SystemType));
  dragGrid_ = nullptr;
  RowButtons(false);
  for (QPushButton* b : {Ins_BitBtn, Sort_BitBtn}) b->setVisible(mode_ == kana::kDirectory);
  Sort_BitBtn->setEnabled(true);
  const bool owners = mode_ == kana::kPersonal || mode_ == kana::kIdCard;
  Nais_Lbl->setVisible(owners);
  Nais_Lbl->setText(ToQ(KanaKeyHeading[mode_ == kana::kIdCard ? 2 : 1]) + U8("："));
  Nais_CmbBox->setVisible(owners);
  Nais_CmbBox->setValidator(new OwnerKeyValidator(mode_, Nais_CmbBox));
  Nais_UpDwn->setVisible(mode_ == kana::kPersonal);
  Print_BitBtn->setEnabled(true);
  Reg_BitBtn->setEnabled(true);
  fileExisted_ = false;
  partLine_ = 0;
  active_ = Dial_StrGrd;

  QApplication::setOverrideCursor(Qt::WaitCursor);
  setEnabled(false);
  Layout();
  LoadFile();
  static const char* const help[] = {"SDSystem.Hlp", "SDPersonal.Hlp", "SDIDCard.Hlp", "SDExtensions.Hlp"};
  Help_BitBtn->setVisible(Help_BitBtn->AttachHelp(ProgramDir, help[mode_]));
  setEnabled(true);
  QApplication::restoreOverrideCursor();
  if (owners) {
    Nais_CmbBox->setFocus();
  } else {
    Dial_StrGrd->setCurrentCell(0, 1);
    SetTopRow(Dial_StrGrd, 0);
    Dial_StrGrd->setFocus();
  }
  raise();
  activateWindow();
  // The next Register would write the part over the whole file: the user
  // is told which line stopped the reading once the form stands on the
  // screen, so that the message has a window to stand over.
  if (partLine_ > 0)
    QTimer::singleShot(0, this, [this] {
      if (isVisible() && partLine_ > 0) MsgDlg_Show(kMsgPartlyRead, std::to_string(partLine_));
    });
}

void TKana_Fm::LoadFile() {
  system_ = {};
  owners_.clear();
  currentKey_.clear();
  currentOwner_ = -1;
  Nais_CmbBox->clear();
  std::string content;
  if (!kana::Spd_Open(path_, content)) return;
  fileExisted_ = true;
  bool whole = true;
  int badLine = 0;
  if (mode_ == kana::kSystem) {
    whole = kana::Spd_Read(content, system_, &badLine);
    for (int n = 0; n < kana::kSystemEntries; ++n) {
      SetCell(Dial_StrGrd, n, 1, system_[static_cast<size_t>(n)].dial);
      SetCell(Dial_StrGrd, n, 2, system_[static_cast<size_t>(n)].name);
    }
  } else if (mode_ == kana::kDirectory) {
    std::vector<kana::DirRow> rows;
    whole = kana::Dir_Read(content, rows, &badLine);
    FillDirectory(rows);
  } else {
    whole = kana::ISpd_Read(content, mode_, owners_, &badLine);
    for (const kana::Owner& o : owners_) Nais_CmbBox->addItem(ToQ(o.key));
    Nais_CmbBox->setCurrentIndex(-1);
    Nais_CmbBox->setEditText(QString());
  }
  if (!whole) partLine_ = badLine;
}

void TKana_Fm::FillDirectory(const std::vector<kana::DirRow>& rows) {
  // One empty row stays when there is nothing to show.
  const int n = std::max<int>(1, static_cast<int>(rows.size()));
  Dial_StrGrd->setRowCount(n);
  for (int r = 0; r < n; ++r) {
    const bool has = r < static_cast<int>(rows.size());
    SetCell(Dial_StrGrd, r, 0, "");
    SetCell(Dial_StrGrd, r, 1, has ? rows[static_cast<size_t>(r)].ext : "");
    SetCell(Dial_StrGrd, r, 2, has ? rows[static_cast<size_t>(r)].name : "");
  }
}

std::vector<kana::DirRow> TKana_Fm::DirectoryRows() const {
  std::vector<kana::DirRow> rows;
  for (int r = 0; r < Dial_StrGrd->rowCount(); ++r)
    rows.push_back({CellBytes(Dial_StrGrd, r, 1), CellBytes(Dial_StrGrd, r, 2)});
  return rows;
}

// ---- owners ----

void TKana_Fm::StoreGrids() {
  if (mode_ == kana::kSystem) {
    for (int n = 0; n < kana::kSystemEntries; ++n)
      system_[static_cast<size_t>(n)] = {CellBytes(Dial_StrGrd, n, 1), CellBytes(Dial_StrGrd, n, 2)};
    return;
  }
  if (mode_ == kana::kDirectory || !Dial_StrGrd->isVisible() || currentKey_.empty()) return;
  for (kana::Owner& o : owners_) {
    if (o.key != currentKey_) continue;
    for (int r = 0; r < 10; ++r) {
      o.entries[static_cast<size_t>(r)] = {cp932::Cut(CellBytes(Dial_StrGrd, r, 0), 3),
                                           cp932::Cut(CellBytes(Dial_StrGrd, r, 1), kana::kDialMax),
                                           cp932::Cut(CellBytes(Dial_StrGrd, r, 2), kana::kNameKeep)};
      if (mode_ == kana::kPersonal)
        o.entries[static_cast<size_t>(r + 10)] = {cp932::Cut(CellBytes(Dial2_StrGrd, r, 0), 3),
                                                  cp932::Cut(CellBytes(Dial2_StrGrd, r, 1), kana::kDialMax),
                                                  cp932::Cut(CellBytes(Dial2_StrGrd, r, 2), kana::kNameKeep)};
    }
  }
}

void TKana_Fm::SelectOwner(const std::string& typed) {
  std::string key = typed;
  while (!key.empty() && key.back() == ' ') key.pop_back();
  while (!key.empty() && key.front() == ' ') key.erase(0, 1);
  if (key.empty()) return;
  StoreGrids();
  int index = -1;
  for (size_t i = 0; i < owners_.size(); ++i)
    if (owners_[i].key == typed) {
      index = static_cast<int>(i);
      break;
    }
  if (index < 0) {
    if (owners_.size() >= static_cast<size_t>(kana::kMaxOwners)) {
      MsgDlg_Show(kMsgTooManyOwners);
      Nais_CmbBox->setEditText(ToQ(currentKey_));
      return;
    }
    if (MsgDlg_Show(mode_ == kana::kPersonal ? "7802" : "7803") != 1) {
      Nais_CmbBox->setEditText(ToQ(currentKey_));
      return;
    }
    owners_.push_back(kana::NewOwner(typed));
    Nais_CmbBox->addItem(ToQ(typed));
    index = static_cast<int>(owners_.size()) - 1;
  }
  ShowOwner(index);
}

void TKana_Fm::ShowOwner(int index) {
  currentOwner_ = index;
  const kana::Owner& o = owners_[static_cast<size_t>(index)];
  currentKey_ = o.key;
  Nais_CmbBox->setCurrentIndex(Nais_CmbBox->findText(ToQ(o.key)));
  Nais_CmbBox->setEditText(ToQ(o.key));
  for (int r = 0; r < 10; ++r) {
    for (int c = 0; c < 3; ++c) {
      const kana::OwnerEntry& e = o.entries[static_cast<size_t>(r)];
      SetCell(Dial_StrGrd, r, c, c == 0 ? e.no : c == 1 ? e.dial : e.name);
      const kana::OwnerEntry& e2 = o.entries[static_cast<size_t>(r + 10)];
      SetCell(Dial2_StrGrd, r, c, c == 0 ? e2.no : c == 1 ? e2.dial : e2.name);
    }
  }
  Dial_StrGrd->setVisible(true);
  Dial2_StrGrd->setVisible(mode_ == kana::kPersonal);
  for (QTableWidget* g : {Dial_StrGrd, Dial2_StrGrd}) {
    g->clearSelection();
    g->setSelectionMode(QAbstractItemView::NoSelection);
    g->setEditTriggers(QAbstractItemView::AllEditTriggers);
    g->setCurrentCell(0, 1);
  }
  active_ = Dial_StrGrd;
  Print_BitBtn->setEnabled(true);
  Reg_BitBtn->setEnabled(true);
  RowButtons(false);
  Dial_StrGrd->setFocus();
}

void TKana_Fm::OwnerStep(bool up) {
  std::string text = FromQ(Nais_CmbBox->currentText()).value_or("");
  auto next = kana::StepOwner(text, up);
  if (!next) return;
  if (*next == text && currentKey_ == text) return;
  SelectOwner(*next);
}

bool TKana_Fm::event(QEvent* e) {
  int t = static_cast<int>(e->type()) - QEvent::User;
  if (t == WM_KANA_OWNER_STEP || t == WM_KANA_OWNER_STEP + 1000) {
    OwnerStep(t != WM_KANA_OWNER_STEP);
    return true;
  }
  if (t == WM_KANA_OWNER_SELECT) {
    SelectOwner(FromQ(Nais_CmbBox->currentText()).value_or(""));
    return true;
  }
  return QWidget::event(e);
}

// ---- drag selection ----

bool TKana_Fm::eventFilter(QObject* watched, QEvent* e) {
  // The box has the focus (its line edit is no focus widget of its own and
  // is handed the focus events without filters), so it is watched itself.
  if (watched == Nais_CmbBox && e->type() == QEvent::FocusOut) {
    QWidget* next = QApplication::focusWidget();
    if (next == Dial_StrGrd || (next && Dial_StrGrd->isAncestorOf(next)))
      QApplication::postEvent(this, new QEvent(QEvent::Type(QEvent::User + WM_KANA_OWNER_SELECT)));
    return false;
  }
  QTableWidget* g = nullptr;
  for (QTableWidget* t : {Dial_StrGrd, Dial2_StrGrd}) {
    if (watched == t->viewport()) g = t;
    // Enter on the grid itself (no cell being typed in) moves on as Tab.
    if (watched == t && e->type() == QEvent::KeyPress) {
      auto* k = static_cast<QKeyEvent*>(e);
      // Moving or typing from the keyboard after a row selection goes back
      // to cell editing, as a press on a cell does. Ctrl+Tab leaves the grid
      // before it comes here (FormRules), keeping the rows for the buttons.
      const bool modifierOnly = k->key() == Qt::Key_Shift || k->key() == Qt::Key_Control ||
                                k->key() == Qt::Key_Alt || k->key() == Qt::Key_Meta;
      if (!modifierOnly && t->editTriggers() == QAbstractItemView::NoEditTriggers) {
        t->clearSelection();
        t->setSelectionMode(QAbstractItemView::NoSelection);
        t->setEditTriggers(QAbstractItemView::AllEditTriggers);
        RowButtons(false);
      }
      if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) &&
          (k->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(t, &tab);
        return true;
      }
    }
  }
  if (!g) return QWidget::eventFilter(watched, e);
  auto* me = dynamic_cast<QMouseEvent*>(e);
  if (!me) return false;
  const QPoint pos = me->position().toPoint();
  if (e->type() == QEvent::MouseButtonPress && me->button() == Qt::LeftButton) {
    QModelIndex idx = g->indexAt(pos);
    if (!idx.isValid()) return false;
    active_ = g;
    if (idx.column() == 0) {
      // Row selection: the grid never sees this press, so the row is made
      // current here; insert goes in right after it.
      CloseEditor(g);
      g->setEditTriggers(QAbstractItemView::NoEditTriggers);
      g->setFocus();
      g->selectionModel()->setCurrentIndex(g->model()->index(idx.row(), 1), QItemSelectionModel::NoUpdate);
      dragGrid_ = g;
      anchor_ = idx.row();
      scroll_ = 0;
      SelectRows(g, anchor_, anchor_);
      return true;
    }
    g->clearSelection();
    g->setSelectionMode(QAbstractItemView::NoSelection);
    g->setEditTriggers(QAbstractItemView::AllEditTriggers);
    RowButtons(false);
    return false;
  }
  if (e->type() == QEvent::MouseMove && dragGrid_ == g) {
    const bool scrolls = mode_ == kana::kSystem || mode_ == kana::kDirectory;
    int dir = pos.y() >= g->viewport()->height() ? 1 : pos.y() < 0 ? -1 : 0;
    if (dir != 0) {
      if (scrolls && dir != scroll_) {
        scroll_ = dir;
        Grd_Tmr->start();
      }
      return true;
    }
    Grd_Tmr->stop();
    scroll_ = 0;
    int row = g->rowAt(pos.y());
    if (row < 0) row = g->rowCount() - 1;
    row = std::max(row, TopRow(g));
    SelectRows(g, anchor_, row);
    return true;
  }
  if (e->type() == QEvent::MouseButtonRelease) {
    Grd_Tmr->stop();
    scroll_ = 0;
    if (dragGrid_ == g) {
      dragGrid_ = nullptr;
      RowButtons(true);
      return true;
    }
  }
  return false;
}

void TKana_Fm::Grd_TmrTimer() {
  QTableWidget* g = dragGrid_;
  if (!g) {
    Grd_Tmr->stop();
    return;
  }
  int top = TopRow(g);
  if (scroll_ > 0 && top < g->rowCount() - 10) {
    SetTopRow(g, top + 1);
    SelectRows(g, anchor_, std::min(top + 1 + 9, g->rowCount() - 1));
  } else if (scroll_ < 0 && top >= 1) {
    SetTopRow(g, top - 1);
    SelectRows(g, anchor_, top - 1);
  }
}

// ---- row operations ----

void TKana_Fm::Del_BitBtnClick() {
  std::vector<int> rows = SelectedRows(active_);
  if (rows.empty() || MsgDlg_Show("7801") != 1) return;
  if (mode_ != kana::kDirectory) {
    for (int r : rows)
      for (int c = 1; c <= 2; ++c) SetCell(active_, r, c, "");
    return;
  }
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) active_->removeRow(*it);
  if (active_->rowCount() == 0) {
    active_->setRowCount(1);
    for (int c = 0; c < 3; ++c) SetCell(active_, 0, c, "");
  }
  active_->clearSelection();
  RowButtons(false);
}

void TKana_Fm::Ins_BitBtnClick() {
  if (mode_ != kana::kDirectory) return;
  if (Dial_StrGrd->rowCount() >= kana::kMaxDirRows) {
    MsgDlg_Show(kMsgTooManyRows);
    return;
  }
  int at = std::max(Dial_StrGrd->currentRow(), 0) + 1;
  Dial_StrGrd->insertRow(at);
  for (int c = 0; c < 3; ++c) SetCell(Dial_StrGrd, at, c, "");
}

void TKana_Fm::Cpy_BitBtnClick() {
  copied_.clear();
  for (int r : SelectedRows(active_)) copied_.emplace_back(CellBytes(active_, r, 1), CellBytes(active_, r, 2));
}

void TKana_Fm::Pas_BitBtnClick() {
  std::vector<int> rows = SelectedRows(active_);
  if (rows.size() != copied_.size()) {
    MsgDlg_Show("9804");
    return;
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    SetCell(active_, rows[i], 1, copied_[i].first);
    SetCell(active_, rows[i], 2, copied_[i].second);
  }
}

void TKana_Fm::Sort_BitBtnClick() {
  std::vector<kana::DirRow> rows = DirectoryRows();
  kana::SortDirectory(rows);
  FillDirectory(rows);
}

// ---- register ----

void TKana_Fm::MarkFault(const kana::Fault& f) {
  QTableWidget* g = Dial_StrGrd;
  int row = f.index;
  if (f.owner >= 0) {
    ShowOwner(f.owner);
    if (f.index >= 10) {
      if (mode_ != kana::kPersonal) return;  // entries 90 to 99 of an ID card are never shown
      g = Dial2_StrGrd;
    }
    row = f.index % 10;
  } else if (mode_ == kana::kSystem) {
    SetTopRow(g, kana::SystemTopRow(row + 1, TopRow(g) + 1) - 1);
  } else {
    SetTopRow(g, kana::DirectoryTopRow(row + 1, TopRow(g) + 1) - 1);
  }
  g->setSelectionMode(QAbstractItemView::SingleSelection);
  g->clearSelection();
  g->setCurrentCell(row, f.column);
  g->item(row, f.column)->setSelected(true);
}

void TKana_Fm::Reg_BitBtnClick() {
  StoreGrids();
  std::vector<kana::DirRow> dirRows;
  kana::Fault fault;
  if (mode_ == kana::kSystem) {
    fault = kana::CheckSystem(system_);
  } else if (mode_ == kana::kDirectory) {
    dirRows = DirectoryRows();
    fault = kana::CheckDirectory(dirRows);
  } else {
    fault = kana::CheckOwners(owners_, mode_);
  }
  if (fault.message) {
    MsgDlg_Show(std::to_string(fault.message));
    MarkFault(fault);
    return;
  }
  if (partLine_ > 0 && MsgDlg_Show(kMsgPartLost, std::to_string(partLine_)) != 1) return;
  std::string comment;
  if (InpDlg_Show("1401", comment) != 1) return;
  static const char* const overwrite[] = {"7010", "7011", "7017", "7012"};
  if (fileExisted_ && MsgDlg_Show(overwrite[mode_]) != 1) return;
  std::string content = mode_ == kana::kSystem      ? kana::Spd_Write(system_, comment)
                        : mode_ == kana::kDirectory ? kana::Dir_Write(dirRows, comment)
                                                    : kana::ISpd_Write(owners_, mode_, comment);
  if (int m = kana::Spd_Store(path_, content, mode_)) {
    MsgDlg_Show(std::to_string(m));
    return;
  }
  fileExisted_ = true;
  partLine_ = 0;
}

// ---- printing ----

void TKana_Fm::Print_BitBtnClick() {
  // The box is the only way to cancel, so it is made when the program has
  // not made it yet.
  if (!Conf_Dlg) Conf_Dlg = new TConf_Dlg();
  if (Conf_Dlg->isVisible()) return;
  StoreGrids();
  Conf_Dlg->BeginProgress(ToQ(PrintProgressCaption), ToQ(PrintProgressText));
  CancelRequested = 0;
  if (Main_Frm) Main_Frm->setEnabled(false);
  setEnabled(false);
  PaintWhenShown(Conf_Dlg);
  bool ok = PrintList();
  Conf_Dlg->EndProgress();
  if (Main_Frm) Main_Frm->setEnabled(true);
  setEnabled(true);
  if (!ok) MsgDlg_Show("9091");
  Print_BitBtn->setFocus();
}

bool TKana_Fm::PrintList() {
  QPrinter* printer = Orvo_Printer();
  if (!Orvo_PrinterReady(printer)) return false;
  printer->setDocName("O.R.V.O");
  QFont font = Orvo_Font(8);
  font.setPointSize(8);
  font.setFixedPitch(true);
  const QFontMetrics fm(font, printer);
  const int pageH = printer->pageLayout().paintRectPixels(printer->resolution()).height();
  // The step is never below the font's height on this printer, so that no
  // line runs into the next at any resolution.
  int L = std::max(1, pageH / (font.pointSize() + 30));
  int h = std::max(pageH / L, fm.height());
  L = std::max(8, pageH / h);

  auto width = [&](std::string_view sample) { return Common_TextWidth(printer, font, sample) + 30; };
  std::vector<int> cols;
  std::vector<std::string> heads;
  const std::string W(16, 'W'), W7(7, 'W'), W10(10, 'W'), D(24, '8');
  if (mode_ == kana::kSystem) {
    cols = {width(KanaPrintHeading[0]), width(D), width(W)};
    heads = {std::string(KanaPrintHeading[0]), std::string(KanaPrintHeading[1]), std::string(KanaPrintHeading[2])};
  } else if (mode_ == kana::kDirectory) {
    cols = {width(KanaPrintHeading[3]), width(W10)};
    heads = {std::string(KanaPrintHeading[3]), std::string(KanaPrintHeading[1])};
  } else {
    cols = {width(KanaValueHeading[1]), width(D), width(W7)};
    heads = {std::string(KanaValueHeading[1]), std::string(KanaPrintHeading[1]), std::string(KanaPrintHeading[2])};
  }
  int total = 0;
  for (int c : cols) total += c;

  // The listing is laid out first, with Cancel answered before each row:
  // the print system cannot take back a job once begun, so a cancelled
  // listing never becomes one.
  PrintSheet sheet;
  int page = 1;
  auto head = [&] {
    const std::string title(KanaPrintTitle[static_cast<size_t>(mode_)]);
    sheet.Text(200, 2 * h, title + "  (PAGE.  " + std::to_string(page) + ")");
  };
  auto table = [&](int top, int lastRowTop, double below) {
    int bottom = lastRowTop + static_cast<int>(below * h);
    sheet.Rect(192, top, 200 + total, bottom);
    sheet.Line(192, top + 2 * h, 200 + total, top + 2 * h);
    int x = 192;
    for (size_t c = 0; c + 1 < cols.size(); ++c) {
      x += cols[c];
      sheet.Line(x, top, x, bottom);
    }
  };
  auto row = [&](int y, const std::vector<std::string>& cells) {
    int x = 200;
    for (size_t c = 0; c < cells.size(); ++c) {
      sheet.Text(x, y, cells[c]);
      x += cols[c];
    }
  };
  auto cancelled = [] {
    QApplication::processEvents();
    return CancelRequested != 0;
  };
  head();
  if (mode_ == kana::kSystem || mode_ == kana::kDirectory) {
    std::vector<std::vector<std::string>> rows;
    if (mode_ == kana::kSystem) {
      char no[8];
      for (int n = 0; n < kana::kSystemEntries; ++n) {
        std::snprintf(no, sizeof no, "%.3d", n);
        rows.push_back({no, system_[static_cast<size_t>(n)].dial, system_[static_cast<size_t>(n)].name});
      }
    } else {
      for (const kana::DirRow& r : DirectoryRows()) rows.push_back({r.ext, r.name});
    }
    int top = 4 * h + h / 2;
    row(5 * h, heads);
    int line = 7;
    int lastTop = 6 * h;
    for (const auto& r : rows) {
      if (cancelled()) return true;  // the user's abort is no failure
      if (line > L - 6) {
        table(top, lastTop, 1.5);
        sheet.NewPage();
        ++page;
        head();
        row(5 * h, heads);
        line = 7;
      }
      row(line * h, r);
      lastTop = line * h;
      ++line;
    }
    table(top, lastTop, mode_ == kana::kSystem ? 1.0 : 1.5);
  } else {
    int y = 5 * h;
    int printed = 0;
    for (const kana::Owner& o : owners_) {
      if (o.key.empty()) continue;
      if (cancelled()) return true;
      if (printed > 0 && printed % 2 == 0) {
        sheet.NewPage();
        ++page;
        head();
        y = 5 * h;
      }
      sheet.Text(200, y, std::string(KanaKeyHeading[mode_ == kana::kIdCard ? 2 : 1]) + " : " + o.key);
      int top = y + h + h / 2;
      row(y + 2 * h, heads);
      int ry = y + 4 * h;
      for (int i = 0; i < kana::UsedEntries(mode_); ++i, ry += h) {
        const kana::OwnerEntry& e = o.entries[static_cast<size_t>(i)];
        row(ry, {e.no, e.dial, e.name});
      }
      table(top, ry - h, 1.5);
      y = ry + h;
      ++printed;
    }
  }

  QPainter p;
  if (!p.begin(printer)) return false;
  p.setFont(font);
  p.setPen(QPen(Qt::black, 0, Qt::SolidLine));
  p.setBrush(Qt::NoBrush);
  return sheet.Draw(p, *printer) && p.end();
}

// ---- close ----

void TKana_Fm::Exit_BitBtnClick() { close(); }

void TKana_Fm::closeEvent(QCloseEvent* e) {
  e->accept();
  Grd_Tmr->stop();
  copied_.clear();
  owners_.clear();
  if (Kana_Host().closed) Kana_Host().closed();
}

void Lang_Kana(TKana_Fm* f) {
  f->setFont(Orvo_Font(12));
  f->Area_Lbl->setText(U8("データ格納領域："));
  f->Luser_Lbl->setText(U8("ユーザ名："));
  f->LFree_Lbl->setText(U8("空き容量："));
  PathLabel_Show(f->Dir_Lbl, QString());
  for (QLabel* l : {f->User_Lbl, f->Free_Lbl}) l->clear();
  f->Nais_CmbBox->clear();
  f->Nais_Lbl->setText(U8("内線番号"));
  f->Del_BitBtn->setText(U8("削除(&D)"));
  f->Ins_BitBtn->setText(U8("追加(&A)"));
  f->Sort_BitBtn->setText(U8("ソート(&S)"));
  f->Cpy_BitBtn->setText(U8("コピー(&C)"));
  f->Pas_BitBtn->setText(U8("貼り付け(&V)"));
  f->Exit_BitBtn->setText(U8("戻る(&E)"));
  f->Reg_BitBtn->setText(U8("登録(&R)"));
  f->Print_BitBtn->setText(U8("印刷(&P)"));
  f->Help_BitBtn->setText(U8("ヘルプ(&H)"));
}
