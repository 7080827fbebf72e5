#include "transfer/ui/LErr_Unit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>

#include "link/ui/PathPick.h"
#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/Language_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/orvo/Common_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/CommonFont_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/PathLabel.h"
#include "shell/ui/Printer.h"
#include "transfer/ui/SelectionHost.h"

TLErr_Frm* LErr_Frm = nullptr;

LErrHost& LErr_Host() {
  static LErrHost h;
  return h;
}

namespace {

constexpr int kDumpTextHeight = 185;
constexpr int kErrTextHeight = 161;
constexpr int kTextTop = 212;
constexpr int kNameWidth = 400;

QString FromFs(const std::string& path) { return NameToQ(path); }

void Msg(int number) { MsgDlg_Show(std::to_string(number)); }

}  // namespace

TLErr_Frm::TLErr_Frm(QWidget* parent) : QWidget(parent) {
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
  setFixedSize(640, 472);

  // Created in the order of the Tab key.
  DataSet_GrpBox = new QGroupBox(this);
  DataSet_GrpBox->setGeometry(8, 4, 624, 76);
  DataSet_Lbl = new QLabel(DataSet_GrpBox);
  DataSet_Lbl->setGeometry(10, 20, 510, 20);
  DataSet_BitBtn = new QPushButton(DataSet_GrpBox);
  DataSet_BitBtn->setGeometry(530, 16, 84, 26);
  UsrName1_Lbl = new QLabel(DataSet_GrpBox);
  UsrName1_Lbl->setGeometry(10, 48, 80, 20);
  UsrName2_Lbl = new QLabel(DataSet_GrpBox);
  UsrName2_Lbl->setGeometry(90, 48, 420, 20);

  FileName_GrpBox = new QGroupBox(this);
  FileName_GrpBox->setGeometry(8, 84, 624, 122);
  FileName_OTabLstBox = new TTabListBox(FileName_GrpBox);
  FileName_OTabLstBox->setGeometry(8, 20, 608, 94);
  FileName_OTabLstBox->setSelectionMode(QAbstractItemView::SingleSelection);

  Data_Mem = new TRichEditDx(this);
  Data_Mem->setGeometry(8, kTextTop, 624, kDumpTextHeight);
  Data_Mem->setReadOnly(true);
  Data_Mem->setLineWrapMode(QPlainTextEdit::NoWrap);
  Data_Mem->setTabChangesFocus(true);

  Err_Lbl = new QLabel(this);
  Err_Lbl->move(8, kTextTop + kErrTextHeight + 6);
  ErrNum_Lbl = new QLabel(this);

  HelpBitBtn = new THelpBitBtn(this);
  HelpBitBtn->setGeometry(8, 432, 110, 30);
  Prn_BitBtn = new QPushButton(this);
  Prn_BitBtn->setGeometry(278, 432, 110, 30);
  Del_BitBtn = new QPushButton(this);
  Del_BitBtn->setGeometry(400, 432, 110, 30);
  Ext_BitBtn = new QPushButton(this);
  Ext_BitBtn->setGeometry(522, 432, 110, 30);

  connect(DataSet_BitBtn, &QPushButton::clicked, this, &TLErr_Frm::DataSet_BitBtnClick);
  connect(Prn_BitBtn, &QPushButton::clicked, this, &TLErr_Frm::Prn_BitBtnClick);
  connect(Del_BitBtn, &QPushButton::clicked, this, &TLErr_Frm::Del_BitBtnClick);
  connect(Ext_BitBtn, &QPushButton::clicked, this, &TLErr_Frm::Ext_BitBtnClick);
  // A chosen entry, not the current one: the list takes a current row when
  // Tab brings the focus to it, which must not open a file.
  connect(FileName_OTabLstBox, &QListWidget::itemSelectionChanged, this, [this] {
    if (!quiet_) FileName_OTabLstBoxClick();
  });

  LErr_Frm = this;
  Lang_LErr(this);
  folder_ = ProgramDir;
}

TLErr_Frm::~TLErr_Frm() {
  if (LErr_Frm == this) LErr_Frm = nullptr;
}

// ---- Preparing and showing ----

bool TLErr_Frm::LErr_Init() {
  folder_ = lerr::EnvFolder();
  userName_ = lerr::UserName(folder_);
  return true;
}

bool TLErr_Frm::LErr_Init(const std::string& folder) {
  folder_ = !folder.empty() && fsys::DirExists(folder) ? fsys::WithSlash(folder) : ProgramDir;
  userName_ = lerr::UserName(folder_);
  return true;
}

void TLErr_Frm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

void TLErr_Frm::FormShow() {
  mode_ = DumpMode == 1 ? 1 : 0;
  shown_ = -1;
  setWindowTitle(ToQ(LErrCaption[mode_]));
  FileName_GrpBox->setTitle(ToQ(LErrListHeading[mode_]));
  PathLabel_Show(DataSet_Lbl, FromFs(lerr::FolderCaption(folder_)));
  UsrName2_Lbl->setText(ToQ(userName_));
  Del_BitBtn->setVisible(mode_ == 1);
  HideCount();
  if (mode_ == 1) {
    Data_Mem->setFixedHeight(kDumpTextHeight);
    FileName_OTabLstBox->SetTabStops({290, 340, 500});
    DumpFileDisp();
  } else {
    Data_Mem->setFixedHeight(kErrTextHeight);
    FileName_OTabLstBox->SetTabStops({290, 340});
    ErrFileDisp();
  }
  ClearText();
  Prn_BitBtn->setVisible(true);
  Prn_BitBtn->setEnabled(false);
  Del_BitBtn->setEnabled(false);
  HelpBitBtn->setVisible(HelpBitBtn->AttachHelp(ProgramDir, mode_ == 1 ? "Dump.Hlp" : "LoadError.Hlp"));
  DataSet_BitBtn->setFocus();
}

// ---- The list ----

void TLErr_Frm::FillList() {
  quiet_ = true;
  FileName_OTabLstBox->clear();
  for (const lerr::Row& r : rows_) FileName_OTabLstBox->addItem(ToQ(r.text));
  FileName_OTabLstBox->setCurrentRow(-1);
  quiet_ = false;
  shown_ = -1;
}

void TLErr_Frm::DumpFileDisp() {
  const QFont font = FileName_OTabLstBox->font();
  // A folder that cannot be read lists nothing; the list keeps no rows.
  lerr::DumpRows(folder_, [this, &font](std::string_view stem) {
    return Common_FitText(this, font, stem, kNameWidth);
  }, rows_);
  FillList();
}

void TLErr_Frm::ErrFileDisp() {
  rows_ = lerr::ErrRows(folder_);
  FillList();
}

void TLErr_Frm::RemoveRow(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  quiet_ = true;
  rows_.erase(rows_.begin() + row);
  delete FileName_OTabLstBox->takeItem(row);
  FileName_OTabLstBox->setCurrentRow(-1);
  quiet_ = false;
  shown_ = -1;
}

void TLErr_Frm::SetBusy(bool busy) {
  busy_ = busy;
  for (QWidget* w : std::initializer_list<QWidget*>{FileName_OTabLstBox, DataSet_BitBtn, HelpBitBtn, Prn_BitBtn,
                                                     Del_BitBtn, Ext_BitBtn})
    w->setEnabled(!busy);
}

void TLErr_Frm::ShowLines(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  QString text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i) text += QLatin1Char('\n');
    text += ToQ(lines_[i]);
  }
  Data_Mem->setPlainText(text);
  Data_Mem->SetTopLine(0);
  Data_Mem->horizontalScrollBar()->setValue(0);
}

void TLErr_Frm::ClearText() {
  lines_.clear();
  Data_Mem->clear();
}

bool TLErr_Frm::TextEmpty() const {
  for (const std::string& l : lines_)
    if (!l.empty()) return false;
  return true;
}

void TLErr_Frm::ShowCount(int records) {
  Err_Lbl->adjustSize();
  ErrNum_Lbl->setText(QString::number(records));
  ErrNum_Lbl->adjustSize();
  ErrNum_Lbl->move(Err_Lbl->x() + Err_Lbl->width() + 5, Err_Lbl->y());
  Err_Lbl->show();
  ErrNum_Lbl->show();
}

void TLErr_Frm::HideCount() {
  Err_Lbl->hide();
  ErrNum_Lbl->hide();
}

void TLErr_Frm::FileName_OTabLstBoxClick() {
  if (busy_) return;
  const QList<QListWidgetItem*> chosen = FileName_OTabLstBox->selectedItems();
  const int row = chosen.isEmpty() ? -1 : FileName_OTabLstBox->row(chosen.front());
  if (row < 0 || row >= static_cast<int>(rows_.size()) || row == shown_) return;
  const lerr::Row entry = rows_[static_cast<size_t>(row)];
  SetBusy(true);
  std::vector<std::string> lines;
  bool shown = false;
  if (mode_ == 1) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    int r = lerr::ReadDump(fsys::WithSlash(folder_) + entry.fileName, lines,
                           [] { QApplication::processEvents(); });
    QApplication::restoreOverrideCursor();
    SetBusy(false);
    if (r == 0) {
      ShowLines(std::move(lines));
      shown = true;
    } else {
      Msg(r);
      ClearText();
      DumpFileDisp();
    }
    Del_BitBtn->setEnabled(shown);
  } else {
    int r = lerr::ReadErrList(folder_, entry.fileName, lines);
    SetBusy(false);
    if (r == 0) {
      ShowCount(lerr::RecordCount(lines));
      ShowLines(std::move(lines));
      shown = true;
    } else {
      Msg(lerr::kMsgErrList);
      ClearText();
      HideCount();
      if (r == 1) RemoveRow(row);
      else ErrFileDisp();
    }
    Del_BitBtn->setEnabled(false);
  }
  shown_ = shown ? row : -1;
  Prn_BitBtn->setEnabled(shown);
}

// ---- Delete ----

void TLErr_Frm::Del_BitBtnClick() {
  if (busy_ || mode_ != 1 || shown_ < 0 || shown_ >= static_cast<int>(rows_.size())) return;
  if (MsgDlg_Show(std::to_string(lerr::kMsgAskDelete)) != 1) return;
  const int row = shown_;
  int r = lerr::DeleteDump(folder_, rows_[static_cast<size_t>(row)].fileName);
  ClearText();
  if (r == 0) {
    RemoveRow(row);
  } else {
    Msg(r);
    DumpFileDisp();
  }
  Del_BitBtn->setVisible(true);
  Del_BitBtn->setEnabled(false);
  Prn_BitBtn->setEnabled(false);
}

// ---- Folder ----

void TLErr_Frm::DataSet_BitBtnClick() {
  if (busy_) return;
  PathPickRequest r;
  r.dirSelect = true;
  const std::string start = fsys::DirExists(folder_) ? folder_ : ProgramDir;
  r.path = FromFs(lerr::FolderCaption(start));
  r.pathOnDisk = lerr::FolderCaption(start);
  if (PickPath(this, r) != 1) return;
  const std::string chosen = r.pathOnDisk;
  // Every folder is absolute; anything else is no choice.
  if (chosen.empty() || chosen[0] != '/' || !fsys::DirExists(chosen)) return;
  folder_ = fsys::WithSlash(chosen);
  userName_ = lerr::UserName(folder_);
  PathLabel_Show(DataSet_Lbl, FromFs(lerr::FolderCaption(folder_)));
  UsrName2_Lbl->setText(ToQ(userName_));
  Prn_BitBtn->setEnabled(false);
  Del_BitBtn->setEnabled(false);
  ClearText();
  if (mode_ == 1) {
    DumpFileDisp();
  } else {
    ErrFileDisp();
    HideCount();
  }
  shown_ = -1;
}

// ---- Print ----

void TLErr_Frm::Prn_BitBtnClick() {
  if (busy_ || TextEmpty()) return;
  // The box is the only way to cancel, so it is made when the program has
  // not made it yet.
  if (!Conf_Dlg) Conf_Dlg = new TConf_Dlg();
  if (Conf_Dlg->isVisible()) return;
  Conf_Dlg->BeginProgress(ToQ(PrintProgressCaption), ToQ(PrintProgressText));
  CancelRequested = 0;
  if (Main_Frm) Main_Frm->setEnabled(false);
  setEnabled(false);
  busy_ = true;
  bool ok = PrintLines();
  busy_ = false;
  Conf_Dlg->EndProgress();
  if (Main_Frm) Main_Frm->setEnabled(true);
  setEnabled(true);
  if (!ok) Msg(lerr::kMsgPrintFailed);
  activateWindow();
  Prn_BitBtn->setFocus();
}

bool TLErr_Frm::PrintLines() {
  QPrinter* printer = Orvo_Printer();
  if (!Orvo_PrinterReady(printer)) return false;
  printer->setDocName(QString::fromLatin1(lerr::kJobName));
  const QFont font = LErr_PrintFont();
  const int fontH = QFontMetrics(font, printer).height();
  lerr::Pager pager(LErr_PrintLayout(printer));
  const std::string_view title = LErrPrintTitle[static_cast<size_t>(mode_)];

  // The listing is laid out line by line first, with Cancel checked before
  // each line, and only then handed to the printer: the print system cannot
  // take back a job once begun, so a cancelled listing never becomes one.
  struct Placed {
    bool newPage;
    int page, y;
    std::string text;
  };
  std::vector<Placed> placed;
  placed.reserve(lines_.size());
  // A copy: a window message let through below may not change the lines
  // being printed.
  const std::vector<std::string> lines = lines_;
  for (const std::string& line : lines) {
    QApplication::processEvents();
    if (CancelRequested) return true;  // the user's abort is no failure
    const bool newPage = pager.NeedsNewPage();
    const int y = pager.Next();
    placed.push_back({newPage, pager.Page(), y, lerr::PrintedLine(line)});
  }

  QPainter p;
  if (!p.begin(printer)) return false;
  p.setFont(font);
  p.setPen(Qt::black);
  const int width = p.device()->width();
  auto text = [&](int y, const std::string& s) {
    p.drawText(QRect(0, y, width, fontH), Qt::AlignLeft | Qt::AlignTop, ToQ(s));
  };
  text(pager.HeadY(), lerr::PageHead(title, 1));
  for (const Placed& l : placed) {
    if (l.newPage) {
      if (!printer->newPage()) {
        p.end();
        return false;
      }
      text(pager.HeadY(), lerr::PageHead(title, l.page));
    }
    text(l.y, l.text);
  }
  return p.end();
}

QFont LErr_PrintFont() {
  QFont font = Orvo_Font(12);
  font.setPointSize(8);
  return font;
}

lerr::PageLayout LErr_PrintLayout(QPaintDevice* printer) {
  return lerr::Layout(printer->height(), QFontMetrics(LErr_PrintFont(), printer).height());
}

// ---- Close ----

void TLErr_Frm::Ext_BitBtnClick() { close(); }

void TLErr_Frm::closeEvent(QCloseEvent* e) {
  // Not while a file is read or printed: the loops run on inside.
  if (busy_) {
    e->ignore();
    return;
  }
  e->accept();
  FormClose();
}

void TLErr_Frm::FormClose() {
  if (mode_ == 1) {
    Common_ReturnToMain();
    return;
  }
  hide();
  if (Main_Frm && LastButton == Main_Frm->Edit_BitBtn && LErr_Host().showCurrentPage) {
    LErr_Host().showCurrentPage();
    return;
  }
  Selection_Return({});
}

void TLErr_Frm::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    if (auto* b = qobject_cast<QPushButton*>(focusWidget()); b && b->isEnabled() && b->isVisible()) {
      b->click();
      return;
    }
  }
  QWidget::keyPressEvent(e);
}

// ---- Captions ----

void Lang_LErr(TLErr_Frm* f) {
  f->setFont(Orvo_Font(12));
  f->DataSet_GrpBox->setTitle(U8("データ格納領域"));
  PathLabel_Show(f->DataSet_Lbl, QString());
  f->UsrName2_Lbl->clear();
  f->DataSet_BitBtn->setText(U8("変更(&C)"));
  f->UsrName1_Lbl->setText(U8("ユーザ名："));
  f->Err_Lbl->setText(U8("エラー件数："));
  f->HelpBitBtn->setText(U8("ヘルプ(&H)"));
  f->Del_BitBtn->setText(U8("削除(&D)"));
  f->Prn_BitBtn->setText(U8("印刷(&P)"));
  f->Ext_BitBtn->setText(U8("戻る(&E)"));
  f->setWindowTitle(ToQ(LErrCaption[DumpMode == 1 ? 1 : 0]));
}
