#include "transfer/ui/FSel_Unit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <algorithm>
#include <cstdlib>

#include "link/ui/PathPick.h"
#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/Language_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/orvo/Common_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/PathLabel.h"
#include "transfer/ui/SelectionHost.h"

TFSel_Frm* FSel_Frm = nullptr;
TFSelZNT_Frm* FSelZNT_Frm = nullptr;

namespace {

QString FromFs(const std::string& path) { return NameToQ(path); }

// The data folder as the label shows it: without its trailing "/", except
// the root.
QString FolderCaption(const std::string& folder) {
  if (folder.size() > 1 && folder.back() == '/') return FromFs(folder.substr(0, folder.size() - 1));
  return FromFs(folder);
}

// Folders are the same when their canonical paths are; a folder that cannot
// be resolved compares as written.
std::string Canonical(const std::string& dir) {
  char* r = ::realpath(dir.c_str(), nullptr);
  if (!r) return fsys::WithSlash(dir);
  std::string s = fsys::WithSlash(r);
  std::free(r);
  return s;
}

std::vector<int> SelectedRows(const QListWidget* l) {
  std::vector<int> rows;
  for (int i = 0; i < l->count(); ++i)
    if (l->item(i)->isSelected()) rows.push_back(i);
  return rows;
}

int SelectedRow(const QListWidget* l) {
  for (int i = 0; i < l->count(); ++i)
    if (l->item(i)->isSelected()) return i;
  return -1;
}

void Fill(TTabListBox* l, const std::vector<FSel_Row>& rows) {
  for (const FSel_Row& r : rows) {
    auto* item = new QListWidgetItem(ToQ(r.text), l);
    item->setData(FSEL_FULL_TEXT_ROLE, item->text());
  }
}

// The stop of the name column in the kind and part lists, dialog units.
constexpr int kNameStopDu = 140;

// The inset of a row's text from the edge of the list's viewport, as the
// style draws an item; the same is kept free at the right.
int TextInset(const TTabListBox* l) {
  QStyleOptionViewItem opt;
  opt.initFrom(l);
  opt.rect = QRect(0, 0, l->width(), 20);
  opt.features = QStyleOptionViewItem::HasDisplay;
  opt.text = QStringLiteral("x");
  return std::max(0, l->style()->subElementRect(QStyle::SE_ItemViewItemText, &opt, l).left());
}

// Lays the columns out so that each one shows inside the list with its own
// font: date and time at the right edge, with room kept for the vertical
// scroll bar that many rows bring; the name column (nameStopDu, 0 for
// none) keeps its stop. A text longer than its column is cut with "…" at
// the next column, so that the columns after it stay at their stops.
void FitColumns(TTabListBox* l, int nameStopDu) {
  const QFontMetrics fm = l->fontMetrics();
  const int avg = std::max(1, fm.averageCharWidth());
  const int gap = std::max(avg, fm.horizontalAdvance(QLatin1Char(' ')));
  const int width = l->width() - 2 * l->frameWidth() -
                    l->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, l->verticalScrollBar()) -
                    2 * TextInset(l);
  int dateW = fm.horizontalAdvance(QStringLiteral("0000-00-00"));
  int timeW = fm.horizontalAdvance(QStringLiteral("00:00:00"));
  for (int i = 0; i < l->count(); ++i) {
    QStringList cols = FSel_RowText(l->item(i)).split(QLatin1Char('\t'));
    if (cols.size() < 3) continue;
    dateW = std::max(dateW, fm.horizontalAdvance(cols[cols.size() - 2]));
    timeW = std::max(timeW, fm.horizontalAdvance(cols.back()));
  }
  // Stops in dialog units, rounded down so that they never move right.
  auto du = [avg](int px) { return std::max(0, px * 4 / avg); };
  auto px = [avg](int units) { return units * avg / 4; };
  const int timeStop = du(width - timeW);
  const int dateStop = std::min(du(px(timeStop) - gap - dateW), timeStop);
  std::vector<int> stops;
  if (nameStopDu > 0) stops.push_back(std::min(nameStopDu, dateStop));
  stops.push_back(dateStop);
  stops.push_back(timeStop);
  l->SetTabStops(stops);

  // A row of n columns uses the last n - 1 stops: a kind that is not
  // there shows its name alone, a command file has no comment.
  for (int i = 0; i < l->count(); ++i) {
    QListWidgetItem* item = l->item(i);
    QStringList cols = FSel_RowText(item).split(QLatin1Char('\t'));
    const int n = static_cast<int>(cols.size());
    if (n - 1 > static_cast<int>(stops.size())) continue;  // not a row of this list
    const int first = static_cast<int>(stops.size()) - (n - 1);
    auto startOf = [&](int c) { return c == 0 ? 0 : px(stops[static_cast<size_t>(first + c - 1)]); };
    bool cut = false;
    for (int c = 0; c < n; ++c) {
      const int end = c + 1 < n ? startOf(c + 1) - gap : width;
      const int room = std::max(0, end - startOf(c));
      if (fm.horizontalAdvance(cols[c]) <= room) continue;
      cols[c] = fm.elidedText(cols[c], Qt::ElideRight, room);
      cut = true;
    }
    if (cut) item->setText(cols.join(QLatin1Char('\t')));
  }
}

}  // namespace

QString FSel_RowText(const QListWidgetItem* item) {
  const QVariant full = item->data(FSEL_FULL_TEXT_ROLE);
  return full.isValid() ? full.toString() : item->text();
}

QValidator::State RangeKeyValidator::validate(QString& input, int&) const {
  for (QChar c : input) {
    if (c.unicode() > 0x7F || !FSel_RangeKeyOk(length_, static_cast<char>(c.unicode()))) return Invalid;
  }
  return Acceptable;
}

TFSel_Frm::TFSel_Frm(int systemType, QWidget* parent) : QWidget(parent), Data(systemType) {
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
  setFixedSize(640, 470);

  Area_GrpBox = new QGroupBox(this);
  Area_GrpBox->setGeometry(8, 4, 624, 76);
  Dir_Lbl = new QLabel(Area_GrpBox);
  Dir_Lbl->setGeometry(10, 20, 500, 20);
  Chg_BitBtn = new QPushButton(Area_GrpBox);
  Chg_BitBtn->setGeometry(530, 16, 84, 26);
  Luser_Lbl = new QLabel(Area_GrpBox);
  Luser_Lbl->setGeometry(10, 48, 80, 20);
  User_Lbl = new QLabel(Area_GrpBox);
  User_Lbl->setGeometry(90, 48, 250, 20);
  User_Bvl = new QFrame(Area_GrpBox);
  User_Bvl->setFrameShape(QFrame::VLine);
  User_Bvl->setGeometry(345, 46, 4, 24);
  LFree_Lbl = new QLabel(Area_GrpBox);
  LFree_Lbl->setGeometry(355, 48, 80, 20);
  Free_Lbl = new QLabel(Area_GrpBox);
  Free_Lbl->setGeometry(435, 48, 180, 20);

  Dsyu_GrpBox = new QGroupBox(this);
  Dsyu_GrpBox->setGeometry(8, 84, 624, 190);
  Dsyu_OTabLstBox = new TTabListBox(Dsyu_GrpBox);
  Dsyu_OTabLstBox->setGeometry(8, 20, 608, 162);
  Dsyu_OTabLstBox->setSelectionMode(QAbstractItemView::SingleSelection);

  Prg_GrpBox = new QGroupBox(this);
  Prg_GrpBox->setGeometry(8, 278, 624, 144);
  Prg_OTabLstBox = new TTabListBox(Prg_GrpBox);
  Prg_OTabLstBox->setGeometry(8, 20, 608, 116);

  Com_GrpBox = new QGroupBox(this);
  Com_GrpBox->setGeometry(8, 278, 624, 144);
  Com_OTabLstBox = new TTabListBox(Com_GrpBox);
  Com_OTabLstBox->setGeometry(8, 20, 440, 116);
  Com_OTabLstBox->setSelectionMode(QAbstractItemView::SingleSelection);
  // The columns are fitted to the list's width: nothing to scroll sideways.
  for (TTabListBox* l : {Dsyu_OTabLstBox, Prg_OTabLstBox, Com_OTabLstBox})
    l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Edit_ChkBox = new QCheckBox(Com_GrpBox);
  Edit_ChkBox->setGeometry(456, 20, 164, 24);

  Tm_GrpBox = new QGroupBox(this);
  Tm_GrpBox->setGeometry(8, 278, 624, 144);
  Tm1_RdoBtn = new QRadioButton(Tm_GrpBox);
  Tm1_RdoBtn->setGeometry(16, 24, 120, 22);
  Tm1_RdoBtn->setChecked(true);
  Tm2_RdoBtn = new QRadioButton(Tm_GrpBox);
  Tm2_RdoBtn->setGeometry(16, 52, 120, 22);
  Expl_Lbl = new QLabel(Tm_GrpBox);
  Expl_Lbl->setGeometry(150, 52, 220, 22);
  From_Lbl = new QLabel(QStringLiteral("from"), Tm_GrpBox);
  From_Lbl->setGeometry(150, 84, 40, 22);
  From_Edt = new QLineEdit(Tm_GrpBox);
  From_Edt->setGeometry(190, 84, 120, 24);
  to_Lbl = new QLabel(QStringLiteral("to"), Tm_GrpBox);
  to_Lbl->setGeometry(330, 84, 30, 22);
  To_Edt = new QLineEdit(Tm_GrpBox);
  To_Edt->setGeometry(360, 84, 120, 24);
  rangeKeys_ = new RangeKeyValidator(4, this);
  for (QLineEdit* e : {From_Edt, To_Edt}) {
    e->setMaxLength(4);
    e->setEnabled(false);
    e->setValidator(rangeKeys_);
  }

  Help_BitBtn = new THelpBitBtn(this);
  Help_BitBtn->setGeometry(8, 432, 110, 30);
  Err_BitBtn = new QPushButton(this);
  Err_BitBtn->setGeometry(130, 432, 110, 30);
  Def_BitBtn = new QPushButton(this);
  Def_BitBtn->setGeometry(400, 432, 110, 30);
  Def_BitBtn->setEnabled(false);
  Exit_BitBtn = new QPushButton(this);
  Exit_BitBtn->setGeometry(522, 432, 110, 30);

  connect(Exit_BitBtn, &QPushButton::clicked, this, &TFSel_Frm::Exit_BitBtnClick);
  connect(Def_BitBtn, &QPushButton::clicked, this, &TFSel_Frm::Def_BitBtnClick);
  connect(Err_BitBtn, &QPushButton::clicked, this, &TFSel_Frm::Err_BitBtnClick);
  connect(Chg_BitBtn, &QPushButton::clicked, this, &TFSel_Frm::Chg_BitBtnClick);
  // The range follows the option's state, however it was checked: mouse,
  // keys or an accessibility tool.
  connect(Tm1_RdoBtn, &QRadioButton::toggled, this, [this](bool on) {
    if (on) Tm1_RdoBtnClick();
  });
  connect(Tm2_RdoBtn, &QRadioButton::toggled, this, [this](bool on) {
    if (on) Tm2_RdoBtnClick();
  });
  connect(Dsyu_OTabLstBox, &QListWidget::itemSelectionChanged, this, [this] {
    if (!quiet_) Dsyu_OTabLstBoxClick();
  });
  connect(Prg_OTabLstBox, &QListWidget::itemSelectionChanged, this, [this] {
    if (!quiet_) Prg_OTabLstBoxClick();
  });
  connect(Com_OTabLstBox, &QListWidget::itemSelectionChanged, this, [this] {
    if (!quiet_) Com_OTabLstBoxClick();
  });
  connect(Dsyu_OTabLstBox, &QListWidget::itemDoubleClicked, this, [this] { Dsyu_OTabLstBoxDblClick(); });
  connect(Prg_OTabLstBox, &QListWidget::itemDoubleClicked, this, [this] { Prg_OTabLstBoxDblClick(); });
  connect(Com_OTabLstBox, &QListWidget::itemDoubleClicked, this, [this] { Com_OTabLstBoxDblClick(); });

  SelSubSelection.fill(-1);
  HideSubGroups();
  if (systemType == 0) {
    FSel_Frm = this;
    Lang_FSel(this);
  }
}

TFSel_Frm::~TFSel_Frm() {
  if (FSel_Frm == this) FSel_Frm = nullptr;
  if (FSelZNT_Frm == this) FSelZNT_Frm = nullptr;
  SelectionHost& h = Selection_Host();
  if (h.form == this) {
    h.form = nullptr;
    h.dataFileScan = h.partFileScan = h.cmdFileScan = h.listDisp = h.freeSpaceDisp = h.show = nullptr;
    h.dirCaption = nullptr;
  }
}

TFSelZNT_Frm::TFSelZNT_Frm(QWidget* parent) : TFSel_Frm(1, parent) {
  FSelZNT_Frm = this;
  Lang_FSelZNT(this);
}

void TFSel_Frm::InstallHost() {
  SelectionHost& h = Selection_Host();
  h.form = this;
  h.dataFileScan = [this] { DataFile_Scan(); };
  h.partFileScan = [this] { PartFile_Scan(); };
  h.cmdFileScan = [this] { CmdFile_Scan(); };
  h.listDisp = [this] { List_Disp(); };
  h.freeSpaceDisp = [this] { FreeSpace_Disp(); };
  h.dirCaption = [this] { return PathLabel_Path(Dir_Lbl); };
  h.show = [this] {
    show();
    raise();
    activateWindow();
  };
}

// ---- Reading and refreshing ----

int TFSel_Frm::FSel_Init() {
  InstallHost();
  return FSel_Read(Data, OperationKind);
}

int TFSel_Frm::DataFile_Scan() { return ::DataFile_Scan(Data, OperationKind); }
int TFSel_Frm::PartFile_Scan() { return ::PartFile_Scan(Data, OperationKind); }
int TFSel_Frm::CmdFile_Scan() { return ::CmdFile_Scan(Data); }

void TFSel_Frm::FreeSpace_Disp() { Free_Lbl->setText(ToQ(FSel_FreeSpaceText(Data.dataFolder))); }

void TFSel_Frm::HideSubGroups() {
  Tm_GrpBox->hide();
  Prg_GrpBox->hide();
  Com_GrpBox->hide();
}

void TFSel_Frm::SetCaption() {
  int op = OperationKind >= 0 && OperationKind <= 2 ? OperationKind : 0;
  setWindowTitle(ToQ(SelectionCaption[op]));
  Prg_OTabLstBox->setSelectionMode(op == 0 ? QAbstractItemView::ExtendedSelection
                                           : QAbstractItemView::SingleSelection);
  Err_BitBtn->setVisible(op == 1);
  Edit_ChkBox->setVisible(op == 1);
}

void TFSel_Frm::List_Disp() {
  quiet_ = true;
  if (SelectionReturn == 0) {
    Def_BitBtn->setEnabled(false);
    Edit_ChkBox->setChecked(false);
    HideSubGroups();
  }
  Dsyu_OTabLstBox->clear();
  Prg_OTabLstBox->clear();
  Com_OTabLstBox->clear();
  SetCaption();
  FSel_Lists rows = FSel_BuildRows(Data, OperationKind);
  RowKind.clear();
  for (const FSel_Row& r : rows.kindRows) RowKind.push_back(r.kind);
  Fill(Dsyu_OTabLstBox, rows.kindRows);
  Fill(Prg_OTabLstBox, rows.partRows);
  Fill(Com_OTabLstBox, rows.cmdRows);
  FitColumns(Dsyu_OTabLstBox, kNameStopDu);
  FitColumns(Prg_OTabLstBox, kNameStopDu);
  FitColumns(Com_OTabLstBox, 0);
  quiet_ = false;
}

// ---- Showing and closing ----

void TFSel_Frm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  FormShow();
}

void TFSel_Frm::FormShow() {
  if (LineLost.load() == 1) {
    QCoreApplication::postEvent(this, new QEvent(static_cast<QEvent::Type>(QEvent::User + WM_SELECTION_CLOSE)));
    return;
  }
  if (SelectionReturn == 1) {
    QWidget* before = focusWidget();
    quiet_ = true;
    Dsyu_OTabLstBox->clearSelection();
    if (SelKindIndex >= 0 && SelKindIndex < Dsyu_OTabLstBox->count())
      Dsyu_OTabLstBox->item(SelKindIndex)->setSelected(true);
    quiet_ = false;
    if (SelectedRow(Dsyu_OTabLstBox) < 0) {
      HideSubGroups();
      Def_BitBtn->setEnabled(false);
    } else {
      Dsyu_OTabLstBoxClick();
    }
    quiet_ = true;
    if (Prg_GrpBox->isVisible()) {
      if (OperationKind == 0) {
        for (int i = 0; i < Prg_OTabLstBox->count() && i < 15; ++i)
          Prg_OTabLstBox->item(i)->setSelected(SelSubSelection[i] == 1);
        Def_BitBtn->setEnabled(true);
      } else {
        int r = SelSubSelection[0];
        if (r >= 0 && r < Prg_OTabLstBox->count()) Prg_OTabLstBox->item(r)->setSelected(true);
        Def_BitBtn->setEnabled(SelectedRow(Prg_OTabLstBox) >= 0);
      }
    }
    if (Com_GrpBox->isVisible()) {
      int r = SelSubSelection[0];
      if (r >= 0 && r < Com_OTabLstBox->count()) Com_OTabLstBox->item(r)->setSelected(true);
      Def_BitBtn->setEnabled(SelectedRow(Com_OTabLstBox) >= 0);
    }
    quiet_ = false;
    if (Data.type->restoresFocus && before && before->isVisible() && before->isEnabled()) before->setFocus();
    return;
  }
  SelKindIndex = -1;
  SelSubSelection.fill(-1);
  static constexpr const char* kHelp[3] = {"Save.Hlp", "Load.Hlp", "SDFS.Hlp"};
  int op = OperationKind >= 0 && OperationKind <= 2 ? OperationKind : 0;
  Help_BitBtn->setVisible(Help_BitBtn->AttachHelp(ProgramDir, kHelp[op]));
  Def_BitBtn->setEnabled(false);
  PathLabel_Show(Dir_Lbl, FolderCaption(Data.dataFolder));
  User_Lbl->setText(ToQ(Data.userName));
  FreeSpace_Disp();
  List_Disp();
  Chg_BitBtn->setFocus();
}

void TFSel_Frm::Close() {
  closing_ = true;
  close();
  closing_ = false;
}

void TFSel_Frm::closeEvent(QCloseEvent* e) {
  // Only the form's own buttons close it.
  if (!closing_) {
    e->ignore();
    return;
  }
  e->accept();
  Data.cmdFiles.clear();
  if (LineLost.load() == 1) {
    Common_SetDisconnected();
    LineLost = 0;
  } else {
    Common_ReturnToMain();
  }
}

bool TFSel_Frm::event(QEvent* e) {
  if (e->type() == static_cast<QEvent::Type>(QEvent::User + WM_SELECTION_CLOSE)) {
    SXCloseThread();
    return true;
  }
  return QWidget::event(e);
}

void TFSel_Frm::SXCloseThread() {
  Close();
  if (Main_Frm) Main_Frm->SB_GB->show();
}

void TFSel_Frm::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    if (auto* b = qobject_cast<QPushButton*>(focusWidget()); b && b->isEnabled()) {
      b->click();
      return;
    }
  }
  QWidget::keyPressEvent(e);
}

void TFSel_Frm::Exit_BitBtnClick() { Close(); }

// ---- The lists ----

int TFSel_Frm::KindOfRow(int row) const {
  if (row < 0 || row >= static_cast<int>(RowKind.size())) return -1;
  return RowKind[row];
}

void TFSel_Frm::SetRange(int loadKind) {
  FSel_Range r = FSel_RangeOf(*Data.type, loadKind);
  Expl_Lbl->setText(ToQ(RangeLabel[r.label]));
  Tm_GrpBox->show();
  Tm1_RdoBtn->setChecked(true);
  From_Edt->clear();
  To_Edt->clear();
  rangeKeys_->SetLength(r.length);
  From_Edt->setMaxLength(r.length);
  To_Edt->setMaxLength(r.length);
  Tm1_RdoBtnClick();
}

void TFSel_Frm::Dsyu_OTabLstBoxClick() {
  const int row = SelectedRow(Dsyu_OTabLstBox);
  SelKindIndex = row;
  HideSubGroups();
  if (row < 0) {
    Def_BitBtn->setEnabled(false);
    return;
  }
  const FSel_Type& t = *Data.type;
  if (OperationKind == 0) {
    if (row == t.partSaveRow) {
      Prg_GrpBox->show();
      quiet_ = true;
      Prg_OTabLstBox->clearSelection();
      quiet_ = false;
      Def_BitBtn->setEnabled(false);
    } else {
      Def_BitBtn->setEnabled(true);
    }
    return;
  }
  if (OperationKind == 1) {
    const int kind = KindOfRow(row);
    if (kind == t.partSlot) {
      Prg_GrpBox->show();
      quiet_ = true;
      Prg_OTabLstBox->clearSelection();
      quiet_ = false;
      Def_BitBtn->setEnabled(false);
    } else if (kind == t.cmdSlot) {
      Com_GrpBox->show();
      quiet_ = true;
      Com_OTabLstBox->clearSelection();
      quiet_ = false;
      Edit_ChkBox->show();
      Def_BitBtn->setEnabled(false);
    } else {
      if (FSel_RangeOf(t, kind).length > 0) SetRange(kind);
      Def_BitBtn->setEnabled(true);
    }
    return;
  }
  Def_BitBtn->setEnabled(true);
}

bool TFSel_Frm::DefWhen(bool allowed) {
  if (!allowed) return false;
  Def_BitBtnClick();
  return true;
}

void TFSel_Frm::Dsyu_OTabLstBoxDblClick() {
  const int row = SelectedRow(Dsyu_OTabLstBox);
  if (row < 0) return;
  const FSel_Type& t = *Data.type;
  const int kind = KindOfRow(row);
  bool ok = false;
  if (OperationKind == 0) {
    for (int r : t.saveDblClickRows) ok = ok || r == row;
  } else if (OperationKind == 1) {
    ok = kind != t.partSlot && kind != t.cmdSlot && kind >= 0;
  } else {
    ok = true;
  }
  DefWhen(ok);
}

void TFSel_Frm::Prg_OTabLstBoxClick() { Def_BitBtn->setEnabled(SelectedRow(Dsyu_OTabLstBox) >= 0); }

void TFSel_Frm::Prg_OTabLstBoxDblClick() {
  DefWhen(OperationKind != 2 && SelectedRow(Prg_OTabLstBox) >= 0 && SelectedRow(Dsyu_OTabLstBox) >= 0);
}

void TFSel_Frm::Com_OTabLstBoxClick() { Def_BitBtn->setEnabled(SelectedRow(Dsyu_OTabLstBox) >= 0); }

void TFSel_Frm::Com_OTabLstBoxDblClick() { DefWhen(SelectedRow(Dsyu_OTabLstBox) >= 0); }

void TFSel_Frm::Tm1_RdoBtnClick() {
  Tm1_RdoBtn->setChecked(true);
  for (QWidget* w : std::initializer_list<QWidget*>{Expl_Lbl, From_Lbl, to_Lbl, From_Edt, To_Edt})
    w->setEnabled(false);
}

void TFSel_Frm::Tm2_RdoBtnClick() {
  Tm2_RdoBtn->setChecked(true);
  for (QWidget* w : std::initializer_list<QWidget*>{Expl_Lbl, From_Lbl, to_Lbl, From_Edt, To_Edt})
    w->setEnabled(true);
  From_Edt->setFocus();
}

// ---- Confirm, errors, folder ----

void TFSel_Frm::Def_BitBtnClick() {
  const int row = SelectedRow(Dsyu_OTabLstBox);
  if (row < 0) return;
  SelKindIndex = row;
  const FSel_Type& t = *Data.type;
  SelectionHost& host = Selection_Host();
  LoadFolder = Data.dataFolder;

  if (OperationKind == 0) {
    std::vector<int> parts;
    if (row == t.partSaveRow) {
      parts = SelectedRows(Prg_OTabLstBox);
      for (int i = 0; i < 15; ++i) SelSubSelection[i] = 0;
      for (int i : parts)
        if (i < 15) SelSubSelection[i] = 1;
    }
    bool exists = false;
    std::vector<SaveChoice> items = FSel_SaveItems(Data, row, parts, exists);
    if (exists && row < static_cast<int>(t.overwriteMsg.size()) && MsgDlg_Show(t.overwriteMsg[row]) != 1) return;
    std::string comment;
    if (InpDlg_Show("1401", comment) != 1) return;
    SaveFolder = Data.dataFolder;
    SaveUserName = Data.userName;
    SaveComment = comment;
    SaveChoices = std::move(items);
    SavePartRow = row == t.partSaveRow;
    if (!host.openSave) return;
    hide();
    host.openSave();
    return;
  }

  if (OperationKind == 1) {
    LoadRangeOn = 0;
    if (Prg_GrpBox->isVisible()) SelSubSelection[0] = SelectedRow(Prg_OTabLstBox);
    if (Com_GrpBox->isVisible()) SelSubSelection[0] = SelectedRow(Com_OTabLstBox);
    const int kind = KindOfRow(row);
    LoadKind = kind;
    const bool ranged = Tm_GrpBox->isVisible() && Tm2_RdoBtn->isChecked();
    // The validator lets only ASCII into the edits, so they always have
    // a CP932 form.
    const std::string from = FromQ(From_Edt->text()).value_or(std::string());
    const std::string to = FromQ(To_Edt->text()).value_or(std::string());
    if (ranged) {
      LoadRangeFrom = from;
      LoadRangeTo = to;
      if (FSel_RangeCheck(from, to) != 0) {
        MsgDlg_Show("9514");
        From_Edt->setFocus();
        return;
      }
    }
    if (MsgDlg_Show("7501") != 1) return;
    LoadFixErrors = 0;
    LoadFileName.clear();
    if (kind == t.partSlot) {
      LoadFileName = FSel_LoadFile(Data, kind, SelectedRow(Prg_OTabLstBox));
    } else if (kind == t.cmdSlot) {
      LoadFixErrors = Edit_ChkBox->isChecked() ? 1 : 0;
      LoadFileName = FSel_LoadFile(Data, kind, SelectedRow(Com_OTabLstBox));
    } else {
      LoadFileName = FSel_LoadFile(Data, kind, -1);
      if (FSel_RangeOf(t, kind).length > 0) {
        LoadRangeFrom.clear();
        LoadRangeTo.clear();
        if (Tm1_RdoBtn->isChecked()) {
          LoadRangeOn = 0;
        } else {
          LoadRangeOn = 1;
          LoadRangeFrom = from;
          LoadRangeTo = to;
        }
      }
    }
    if (!host.openLoad) return;
    hide();
    host.openLoad();
    return;
  }

  if (row >= static_cast<int>(t.speedDialModes.size())) return;
  SpeedDialMode = t.speedDialModes[row];
  if (!host.openSpeedDial) return;
  hide();
  host.openSpeedDial();
}

void TFSel_Frm::Err_BitBtnClick() {
  if (Prg_GrpBox->isVisible()) SelSubSelection[0] = SelectedRow(Prg_OTabLstBox);
  if (Com_GrpBox->isVisible()) SelSubSelection[0] = SelectedRow(Com_OTabLstBox);
  DumpMode = 0;
  SelectionHost& host = Selection_Host();
  if (!host.openViewer) return;
  hide();
  // The viewer lists the error files of the folder shown here, which may
  // differ from the one ENVIRON.DAT names after a folder change.
  host.openViewer(Data.dataFolder);
}

void TFSel_Frm::Chg_BitBtnClick() {
  PathPickRequest r;
  r.dirSelect = true;
  r.fileName.clear();
  std::string start = fsys::DirExists(Data.dataFolder) ? Data.dataFolder : ProgramDir;
  r.path = FolderCaption(start);
  r.pathOnDisk = start;
  if (PickPath(this, r) != 1) return;
  SelectionReturn = 0;
  std::string chosen = r.pathOnDisk;
  if (chosen.empty() || chosen[0] != '/') return;  // every folder is absolute
  std::string folder = fsys::WithSlash(chosen);
  if (Canonical(folder) == Canonical(Data.dataFolder)) return;
  PathLabel_Show(Dir_Lbl, r.path);
  Data.dataFolder = folder;
  UserInf_Read(Data);
  User_Lbl->setText(ToQ(Data.userName));
  SelKindIndex = -1;
  SelSubSelection.fill(-1);
  FreeSpace_Disp();
  DataFile_Scan();
  PartFile_Scan();
  CmdFile_Scan();
  List_Disp();
}

// ---- Captions ----

namespace {
void LangCommon(TFSel_Frm* f) {
  f->setFont(Orvo_Font(12));
  f->Area_GrpBox->setTitle(U8("データ格納領域"));
  f->Luser_Lbl->setText(U8("ユーザ名："));
  f->LFree_Lbl->setText(U8("空き容量："));
  f->Chg_BitBtn->setText(U8("変  更"));
  f->Dsyu_GrpBox->setTitle(U8("データ種別"));
  f->Tm_GrpBox->setTitle(U8("投入方法"));
  f->Tm1_RdoBtn->setText(U8("全データ"));
  f->Tm2_RdoBtn->setText(U8("範囲指定"));
  f->Prg_GrpBox->setTitle(U8("プログラム設定データ"));
  f->Com_GrpBox->setTitle(U8("コマンドファイル"));
  f->Edit_ChkBox->setText(U8("エラー行の修正を行う"));
  f->Help_BitBtn->setText(U8("ヘルプ(&H)"));
  f->Err_BitBtn->setText(U8("エラー参照"));
  f->Def_BitBtn->setText(U8("確定(&D)"));
  f->Exit_BitBtn->setText(U8("戻る(&E)"));
}
}  // namespace

void Lang_FSel(TFSel_Frm* f) { LangCommon(f); }
void Lang_FSelZNT(TFSelZNT_Frm* f) { LangCommon(f); }
