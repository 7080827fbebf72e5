#include "cmdfile/ui/ComS_Unit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

#include "cmdfile/ComFileText.h"
#include "cmdfile/ComList.h"
#include "cmdfile/ui/CEdit_Unit.h"
#include "cmdfile/ui/ListEdit_Entry.h"
#include "link/ui/PathPick.h"
#include "platform/Cp932.h"
#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/Language_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/orvo/Common_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/PathLabel.h"
#include "shell/ui/Placement.h"
#include "shell/ui/Printer.h"
#include "shell/ui/YesNo_Unit.h"
#include "transfer/Control_Unit.h"
#include "transfer/FSel_Data.h"
#include "transfer/ui/FSel_Unit.h"

TComS_Frm* ComS_Frm = nullptr;

namespace {

QString FromFs(const std::string& s) { return NameToQ(s); }

// Each row keeps its file's name (without ".CMD") as the bytes on disk: the
// row's text is only how the name is shown, and no path is built from it.
constexpr int kDiskNameRole = Qt::UserRole + 1;

// The hourglass while a file is prepared, the form disabled meanwhile.
class BusyForm {
 public:
  explicit BusyForm(QWidget* w) : w_(w) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    w_->setEnabled(false);
  }
  ~BusyForm() {
    QApplication::processEvents();
    w_->raise();
    w_->setEnabled(true);
    QApplication::restoreOverrideCursor();
  }

 private:
  QWidget* w_;
};

}  // namespace

// The form as laid out for a list whose columns fit its width.
constexpr int kFormWidth = 640;
constexpr int kListWidth = 504;
constexpr int kButtonLeft = 524;
constexpr int kChgLeft = 530;

TComS_Frm::TComS_Frm(QWidget* parent) : QWidget(parent) {
  ComS_Frm = this;
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint |
                 Qt::WindowStaysOnTopHint);
  setFixedSize(kFormWidth, 430);

  Area_GrpBox = new QGroupBox(this);
  Area_GrpBox->setGeometry(8, 4, kFormWidth - 16, 76);
  Dir_Lbl = new QLabel(Area_GrpBox);
  Dir_Lbl->setGeometry(10, 20, 500, 20);
  Chg_BitBtn = new QPushButton(Area_GrpBox);
  Chg_BitBtn->setGeometry(kChgLeft, 16, 84, 26);
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

  Com_OTabLstBox = new TTabListBox(this);
  Com_OTabLstBox->setGeometry(8, 88, kListWidth, 334);
  Com_OTabLstBox->setSelectionMode(QAbstractItemView::SingleSelection);
  Com_OTabLstBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  auto button = [this](int y) {
    auto* b = new QPushButton(this);
    b->setGeometry(kButtonLeft, y, 108, 30);
    return b;
  };
  New_BitBtn = button(88);
  Mod_BitBtn = button(124);
  Edit_BitBtn = button(160);
  Del_BitBtn = button(196);
  Copy_BitBtn = button(232);
  Print_BitBtn = button(268);
  Help_BitBtn = new THelpBitBtn(this);
  Help_BitBtn->setGeometry(kButtonLeft, 316, 108, 30);
  Exit_BitBtn = button(392);
  Com_OFilSelDlg = new TFSeleDlg(this);
  Com_OFilSelDlg->DirSelect = true;

  connect(Com_OTabLstBox, &QListWidget::itemSelectionChanged, this, &TComS_Frm::Com_OTabLstBoxClick);
  connect(Com_OTabLstBox, &QListWidget::itemDoubleClicked, this, [this] { Mod_BitBtnClick(); });
  connect(New_BitBtn, &QPushButton::clicked, this, &TComS_Frm::New_BitBtnClick);
  connect(Mod_BitBtn, &QPushButton::clicked, this, &TComS_Frm::Mod_BitBtnClick);
  connect(Edit_BitBtn, &QPushButton::clicked, this, &TComS_Frm::Edit_BitBtnClick);
  connect(Del_BitBtn, &QPushButton::clicked, this, &TComS_Frm::Del_BitBtnClick);
  connect(Copy_BitBtn, &QPushButton::clicked, this, &TComS_Frm::Copy_BitBtnClick);
  connect(Print_BitBtn, &QPushButton::clicked, this, &TComS_Frm::Print_BitBtnClick);
  connect(Chg_BitBtn, &QPushButton::clicked, this, &TComS_Frm::Chg_BitBtnClick);
  connect(Exit_BitBtn, &QPushButton::clicked, this, &TComS_Frm::Exit_BitBtnClick);
  RowButtons(false);
  Lang_ComS(this);
  ListEdit_SetReturn([] {
    if (ComS_Frm) ComS_Frm->ComList_Return();
  });
}

TComS_Frm::~TComS_Frm() {
  if (ComS_Frm == this) {
    ComS_Frm = nullptr;
    ListEdit_SetReturn({});
  }
}

int TComS_Frm::ComList_Init() { return ComList_Precheck(ComList); }

std::string TComS_Frm::Folder() const {
  // The label shows the folder; the folder itself is kept as its bytes.
  return fsys::WithSlash(ComList.CmdDataDir);
}

std::string TComS_Frm::SelectedPath() const { return ComList_Path(Folder(), SelectedCmdName); }

void TComS_Frm::ComList_Show() {
  Com_OTabLstBox->clear();
  PathLabel_Show(Dir_Lbl, FromFs(ComList_DirLabel(ComList.CmdDataDir)));
  User_Lbl->setText(ToQ(ComList.CmdUserName));
  FreeSpace_Show();
  // The rows stay sorted by their text, letter case ignored.
  std::vector<std::pair<std::string, std::string>> rows;  // shown text, name on disk
  for (const ComListFile& f : ComList.CmdFileTable) rows.emplace_back(ComList_Row(f), ComList_BaseName(f.name));
  std::stable_sort(rows.begin(), rows.end(),
                   [](const auto& a, const auto& b) { return fsys::LessNoCase(a.first, b.first); });
  for (const auto& [text, name] : rows) {
    auto* item = new QListWidgetItem(QString::fromStdString(text));
    item->setData(kDiskNameRole, QByteArray::fromStdString(name));
    Com_OTabLstBox->addItem(item);
  }
  // Once for the width the rows need, once more for the stop of the whole
  // names beyond the width the list then has.
  FitListWidth(ComList_FitTabStops(Com_OTabLstBox));
  ComList_FitTabStops(Com_OTabLstBox);
  rememberedIndex_ = std::min(rememberedIndex_, Com_OTabLstBox->count() - 1);
}

int ComList_FitTabStops(TTabListBox* list) {
  // The stops 140, 165 and 185 line up name, date and time only where
  // digits are as narrow as they are in the system font; measured in the
  // list's own font they could push the time past the edge, and a long
  // name would push its date to the next stop. So every stop lies at least
  // there, but far enough for the widest name and for the date.
  const QFontMetrics fm = list->fontMetrics();
  const int avg = std::max(1, fm.averageCharWidth());
  auto px = [avg](int du) { return du * avg / 4; };
  const int gap = fm.horizontalAdvance(QLatin1Char(' ')) * 2;
  int names = 0;
  for (int i = 0; i < list->count(); ++i)
    names = std::max(names, fm.horizontalAdvance(list->item(i)->text().section(QLatin1Char('\t'), 0, 0)));
  const int date = std::max(px(140), names + gap);
  const int time = std::max(px(165), date + fm.horizontalAdvance(QStringLiteral("0000-00-00")) + gap);
  // The time ends inside the list even beside its scroll bar (and the
  // margin the rows are drawn with).
  const int bar = list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
  const int need = time + fm.horizontalAdvance(QStringLiteral("00:00:00")) + 2 * list->frameWidth() + bar + 8;
  // The whole name, the last field, lies beyond the visible width.
  const int whole = std::max({px(300), list->width() + 1, need + 1});
  auto du = [avg](int pixels) { return (pixels * 4 + avg - 1) / avg; };
  list->SetTabStops({du(date), du(time), du(whole)});
  return need;
}

void TComS_Frm::FitListWidth(int listWidth) {
  // The buttons and the folder group keep their places beside and above
  // a list that has to be wider than it was laid out.
  const int extra = std::max(0, listWidth - kListWidth);
  setFixedSize(kFormWidth + extra, height());
  Area_GrpBox->resize(kFormWidth - 16 + extra, Area_GrpBox->height());
  Chg_BitBtn->move(kChgLeft + extra, Chg_BitBtn->y());
  Com_OTabLstBox->resize(kListWidth + extra, Com_OTabLstBox->height());
  for (QPushButton* b : {New_BitBtn, Mod_BitBtn, Edit_BitBtn, Del_BitBtn, Copy_BitBtn, Print_BitBtn,
                         static_cast<QPushButton*>(Help_BitBtn), Exit_BitBtn})
    b->move(kButtonLeft + extra, b->y());
}

void TComS_Frm::FreeSpace_Show() { Free_Lbl->setText(ToQ(FSel_FreeSpaceText(Folder()))); }

int TComS_Frm::SelectedRow() const {
  for (int i = 0; i < Com_OTabLstBox->count(); ++i)
    if (Com_OTabLstBox->item(i)->isSelected()) return i;
  return -1;
}

bool TComS_Frm::ComList_SelName() {
  int r = SelectedRow();
  if (r < 0) return false;
  SelectedCmdName = Com_OTabLstBox->item(r)->data(kDiskNameRole).toByteArray().toStdString();
  return true;
}

void TComS_Frm::RowButtons(bool on) {
  for (QPushButton* b : {Mod_BitBtn, Edit_BitBtn, Del_BitBtn, Copy_BitBtn, Print_BitBtn}) b->setEnabled(on);
}

void TComS_Frm::SelectRowText(const QString& text) {
  Com_OTabLstBox->clearSelection();
  for (int i = 0; i < Com_OTabLstBox->count(); ++i) {
    if (Com_OTabLstBox->item(i)->text() == text) {
      Com_OTabLstBox->setCurrentRow(i);
      Com_OTabLstBox->item(i)->setSelected(true);
      break;
    }
  }
  Com_OTabLstBoxClick();
}

void TComS_Frm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  FormShow();
}

void TComS_Frm::FormShow() {
  if (ComListReturn == 0) {
    Help_BitBtn->AttachHelp(ProgramDir, "CommandFS.Hlp");
    ComList_Show();
    Com_OTabLstBox->clearSelection();
    RowButtons(false);
    Chg_BitBtn->setFocus();
    return;
  }
  if (opener_ == Opener::New) {
    Com_OTabLstBox->clearSelection();
    RowButtons(false);
    New_BitBtn->setFocus();
    return;
  }
  Com_OTabLstBox->setFocus();
  if (rememberedIndex_ >= 0 && rememberedIndex_ < Com_OTabLstBox->count()) {
    Com_OTabLstBox->setCurrentRow(rememberedIndex_);
    Com_OTabLstBox->item(rememberedIndex_)->setSelected(true);
  }
  Com_OTabLstBoxClick();
}

void TComS_Frm::closeEvent(QCloseEvent* e) {
  Ctl_Def_Free();
  ComList.CmdFileTable.clear();
  Com_OTabLstBox->clear();
  rememberedIndex_ = -1;
  opener_ = Opener::None;
  e->accept();
  Common_ReturnToMain();
}

void TComS_Frm::Com_OTabLstBoxClick() {
  int r = SelectedRow();
  if (r >= 0) rememberedIndex_ = r;
  RowButtons(r >= 0);
}

void TComS_Frm::ComList_Return() {
  ++returns_;
  ComFileText.clear();
  ComList.CmdDataDir = Folder();
  ComList_Scan(ComList);
  ComList_Show();
  ComListReturn = 1;
  if (Main_Frm) PlaceFrameAt(this, FrameTopLeft(Main_Frm) + QPoint(0, 20));
  if (isVisible()) FormShow();
  else show();
  raise();
  activateWindow();
}

void TComS_Frm::New_BitBtnClick() {
  std::string name;
  for (;;) {
    std::string typed;
    if (InpDlg_Show("1702", typed) != 1) return;
    // The name becomes a file of this folder, whatever the prompt let
    // through; a refused one is told why and asked for again.
    name = ComList_NewName(typed);
    if (ComList_NameUsable(name)) break;
    MsgDlg_Show(ComList_Trim(name).empty() ? "9703" : "0006");
  }
  SelectedCmdName = cp932::ToUtf8(name);
  std::vector<std::string> rows;
  for (int i = 0; i < Com_OTabLstBox->count(); ++i) rows.push_back(Com_OTabLstBox->item(i)->text().toStdString());
  if (ComList_NameListed(rows, SelectedCmdName) && MsgDlg_Show("7015") != 1) return;
  int answer;
  {
    TDlg_YesNo ask(this);
    answer = ask.ShowModal();
  }
  if (answer == 6) {
    ListEdit(true);
    return;
  }
  ComFileText.clear();
  if (!CEdit_Frm || !CEdit_Frm->ComFile_Load(1)) {
    ComFileText.clear();
    MsgDlg_Show("9035");
    return;
  }
  opener_ = Opener::New;
  QPoint at = FrameTopLeft(this);
  hide();
  PlaceFrameAt(CEdit_Frm, at);
  CEdit_Frm->show();
}

void TComS_Frm::Mod_BitBtnClick() {
  if (!ComList_SelName()) return;
  bool ok;
  {
    BusyForm busy(this);
    ComFileText.clear();
    ok = CEdit_Frm && CEdit_Frm->ComFile_Load(0);
  }
  if (!ok) {
    ComFileText.clear();
    MsgDlg_Show("9035");
    return;
  }
  opener_ = Opener::Modify;
  QPoint at = FrameTopLeft(this);
  hide();
  PlaceFrameAt(CEdit_Frm, at);
  CEdit_Frm->show();
}

void TComS_Frm::ListEdit(bool fromNew) {
  if (!fromNew && !ComList_SelName()) return;
  bool opened;
  const int returns = returns_;
  {
    BusyForm busy(this);
    ComFileText.clear();
    if (FSel_Frm) PathLabel_Show(FSel_Frm->Dir_Lbl, PathLabel_Path(Dir_Lbl));
    opener_ = fromNew ? Opener::New : Opener::ListEdit;
    opened = ListEdit_Open(this, SelectedPath());
  }
  // A tree that has already handed control back (its events ran while the
  // list was busy) leaves the list shown.
  if (opened && returns == returns_) hide();
}

void TComS_Frm::Del_BitBtnClick() {
  if (!ComList_SelName()) return;
  if (MsgDlg_Show("7701") != 1) return;
  std::string path = SelectedPath();
  if (!fsys::FileExists(path) || std::remove(path.c_str()) != 0) {
    MsgDlg_Show("9701");
    return;
  }
  ComList.CmdDataDir = Folder();
  ComList_Scan(ComList);
  ComList_Show();
  Com_OTabLstBox->clearSelection();
  rememberedIndex_ = -1;
  RowButtons(false);
  Com_OTabLstBox->setFocus();
}

void TComS_Frm::Copy_BitBtnClick() {
  int row = SelectedRow();
  if (!ComList_SelName()) return;
  const QString rowText = Com_OTabLstBox->item(row)->text();
  std::string typed;
  if (InpDlg_Show("1701", typed) != 1 || !ComList_NameUsable(typed)) {
    Com_OTabLstBox->setFocus();
    return;
  }
  const std::string source = SelectedPath();
  // The target as it exists, whatever its case: copying onto the source
  // itself is no copy.
  const std::string target = fsys::Resolve(Folder(), cp932::ToUtf8(ComList_CopyName(typed)));
  if (target == source) return;
  if (fsys::FileExists(target) && MsgDlg_Show("7015") != 1) return;
  std::string content;
  if (!fsys::ReadFile(source, content) || fsys::ReplaceFile(target, content) != 0) {
    MsgDlg_Show("9702");
    return;
  }
  // A copy of a read-only file is an ordinary file again.
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) ::chmod(target.c_str(), (st.st_mode & 07777) | S_IWUSR);
  ComList.CmdDataDir = Folder();
  ComList_Scan(ComList);
  ComList_Show();
  SelectRowText(rowText);
}

void TComS_Frm::Chg_BitBtnClick() {
  PathPickRequest r;
  r.dirSelect = true;
  std::string start = fsys::DirExists(Folder()) ? Folder() : ProgramDir;
  r.path = FromFs(ComList_DirLabel(start));
  r.pathOnDisk = ComList_DirLabel(start);
  if (PickPath(this, r) != 1) return;
  std::string chosen = r.pathOnDisk;
  if (chosen.empty() || chosen[0] != '/') return;
  std::string folder = fsys::WithSlash(chosen);
  if (fsys::EqualNoCase(folder, ComList.CmdDataDir)) return;
  ComList.CmdDataDir = folder;
  ComList.CmdUserName = UserInf_Read(folder);
  ComList_Scan(ComList);
  ComList_Show();
  Com_OTabLstBox->clearSelection();
  rememberedIndex_ = -1;
  RowButtons(false);
}

void TComS_Frm::Print_BitBtnClick() {
  if (Conf_Dlg && Conf_Dlg->isVisible()) {
    Print_BitBtn->setFocus();
    return;
  }
  if (!ComList_SelName()) return;
  if (Conf_Dlg) Conf_Dlg->BeginProgress(ToQ(PrintProgressCaption), ToQ(PrintProgressText));
  CancelRequested = 0;
  if (Main_Frm) Main_Frm->setEnabled(false);
  setEnabled(false);
  int message = 0;
  PrintFile(SelectedPath(), message);
  if (Conf_Dlg) Conf_Dlg->EndProgress();
  if (Main_Frm) Main_Frm->setEnabled(true);
  setEnabled(true);
  if (message) {
    char num[8];
    std::snprintf(num, sizeof num, "%04d", message);
    MsgDlg_Show(num);
  }
  Print_BitBtn->setFocus();
}

bool TComS_Frm::PrintFile(const std::string& path, int& message) {
  if (!fsys::FileExists(path)) {
    message = 9015;
    return false;
  }
  std::string content;
  if (!fsys::ReadFile(path, content)) {
    message = 9035;
    return false;
  }
  QPrinter* printer = Orvo_Printer();
  if (!Orvo_PrinterReady(printer)) {
    message = 9091;
    return false;
  }
  printer->setDocName("O.R.V.O.");
  const ComPrintMetrics m = ComPrint_Metrics(printer);
  const auto pages = ComPrint_Layout(ComFile_SplitText(content), m.lines, ComFileNameLabel,
                                     cp932::NameToCp932(SelectedCmdName));
  // Cancel is looked at before every line of the file, and the pages go to
  // the printer only afterwards: the print system cannot take back a job
  // once begun, so a cancelled one never becomes a job.
  for (const auto& page : pages)
    for (const ComPrintLine& line : page) {
      if (!line.fromFile) continue;
      QApplication::processEvents();
      if (CancelRequested) return false;
    }
  QPainter p;
  if (!p.begin(printer)) {
    message = 9091;
    return false;
  }
  const QFont font = ComPrint_Font();
  p.setFont(font);
  p.setPen(Qt::black);
  const QFontMetrics fm(font, printer);
  for (size_t pg = 0; pg < pages.size(); ++pg) {
    if (pg > 0 && !printer->newPage()) {
      p.end();
      message = 9091;
      return false;
    }
    for (const ComPrintLine& line : pages[pg]) p.drawText(0, line.index * m.step + fm.ascent(), ToQ(line.text));
  }
  if (!p.end()) {
    message = 9091;
    return false;
  }
  return true;
}

QFont ComPrint_Font() {
  QFont font = Orvo_FontNamed("ＭＳ 明朝", 8);
  font.setPointSize(8);
  return font;
}

ComPrintMetrics ComPrint_Metrics(QPrinter* printer) {
  const QFont font = ComPrint_Font();
  const int pageH = printer->pageLayout().paintRectPixels(printer->resolution()).height();
  const int fontH = QFontMetrics(font, printer).height();
  ComPrintMetrics m;
  int L = std::max(1, pageH / (font.pointSize() + 30));
  m.step = std::max(1, std::max(pageH / L, fontH));
  m.lines = std::max(7, pageH / m.step);
  return m;
}

void Lang_ComS(TComS_Frm* f) {
  f->setFont(Orvo_Font(12));
  f->setWindowTitle(U8("コマンドファイル編集（ファイル選択）"));
  f->Area_GrpBox->setTitle(U8("データ格納領域"));
  f->Luser_Lbl->setText(U8("ユーザ名："));
  f->LFree_Lbl->setText(U8("空き容量："));
  f->Chg_BitBtn->setText(U8("変  更"));
  f->New_BitBtn->setText(U8("新規作成(&N)"));
  f->Mod_BitBtn->setText(U8("修正(&M)"));
  f->Edit_BitBtn->setText(U8("一覧編集(&G)"));
  f->Del_BitBtn->setText(U8("削除(&D)"));
  f->Copy_BitBtn->setText(U8("コピー(&C)"));
  f->Print_BitBtn->setText(U8("印刷(&P)"));
  f->Help_BitBtn->setText(U8("ヘルプ(&H)"));
  f->Exit_BitBtn->setText(U8("戻る(&E)"));
}
