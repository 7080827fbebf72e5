#include "phone/ui/KTel_Unit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <algorithm>

#include "phone/ui/CsvPick.h"
#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/orvo/Common_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/Conf_Unit.h"

TKTel_Frm* KTel_Frm = nullptr;

namespace {

bool IsTitleByte(unsigned char c) { return (c >= 0x20 && c <= 0x7E) || (c >= 0xA1 && c <= 0xDF); }

KTelSpin* Spin(QWidget* parent, int lo, int hi, int emptyValue, int x, int y) {
  auto* s = new KTelSpin(lo, hi, emptyValue, parent);
  s->setGeometry(x, y, 48, 24);
  return s;
}

}  // namespace

KTelSpin::KTelSpin(int lo, int hi, int emptyValue, QWidget* parent) : QSpinBox(parent), empty_(emptyValue) {
  setRange(lo, hi);
}

QValidator::State KTelSpin::validate(QString& text, int&) const {
  if (text.size() > 2) return QValidator::Invalid;
  for (QChar c : text)
    if (c < u'0' || c > u'9') return QValidator::Invalid;
  if (text.isEmpty()) return QValidator::Intermediate;
  const int v = text.toInt();
  return v >= minimum() && v <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

void KTelSpin::fixup(QString& text) const {
  std::string cleaned;
  ktel::CheckNum(text.toStdString(), 2, cleaned);
  text = cleaned.empty() ? QString::number(empty_)
                         : QString::number(std::clamp(std::stoi(cleaned), minimum(), maximum()));
}

QValidator::State KTelTitleValidator::validate(QString& input, int&) const {
  auto bytes = FromQ(input);
  if (!bytes || bytes->size() > ktel::kTitleMax) return Invalid;
  for (unsigned char c : *bytes)
    if (!IsTitleByte(c)) return Invalid;
  return Acceptable;
}

TKTel_Frm::TKTel_Frm(QWidget* parent) : QWidget(parent) {
  KTel_Frm = this;
  Book_GrpBox = new QGroupBox(this);
  Book_GrpBox->setGeometry(8, 8, 617, 130);
  Adr_Lbl = new QLabel(Book_GrpBox);
  Adr_Lbl->setGeometry(10, 24, 180, 24);
  Adr_Edit = new QLineEdit(Book_GrpBox);
  Adr_Edit->setGeometry(190, 24, 320, 24);
  AdrSet_BitBtn = new QPushButton(Book_GrpBox);
  AdrSet_BitBtn->setGeometry(520, 22, 85, 28);
  Group_Lbl = new QLabel(Book_GrpBox);
  Group_Lbl->setGeometry(10, 58, 180, 24);
  Group_Edit = new QLineEdit(Book_GrpBox);
  Group_Edit->setGeometry(190, 58, 320, 24);
  Group_BitBtn = new QPushButton(Book_GrpBox);
  Group_BitBtn->setGeometry(520, 56, 85, 28);
  Indent_Lbl = new QLabel(Book_GrpBox);
  Indent_Lbl->setGeometry(10, 92, 180, 24);
  Indent_Edit = new QLineEdit(Book_GrpBox);
  Indent_Edit->setGeometry(190, 92, 120, 24);
  for (QLineEdit* e : {Adr_Edit, Group_Edit}) e->setReadOnly(true);
  Indent_Edit->setValidator(new KTelTitleValidator(Indent_Edit));
  Indent_Edit->installEventFilter(this);

  Time_GrpBox = new QGroupBox(this);
  Time_GrpBox->setGeometry(8, 146, 617, 60);
  TimeOff_RadioButton = new QRadioButton(Time_GrpBox);
  TimeOff_RadioButton->setGeometry(10, 24, 70, 24);
  TimeOn_RadioButton = new QRadioButton(Time_GrpBox);
  TimeOn_RadioButton->setGeometry(84, 24, 90, 24);
  TimeMon_SEdt = Spin(Time_GrpBox, 1, 12, 1, 180, 24);
  TimeMon_Lbl = new QLabel(Time_GrpBox);
  TimeMon_Lbl->setGeometry(230, 24, 20, 24);
  TimeDay_SEdt = Spin(Time_GrpBox, 1, 31, 1, 254, 24);
  TimeDay_Lbl = new QLabel(Time_GrpBox);
  TimeDay_Lbl->setGeometry(304, 24, 20, 24);
  TimeHour_SEdt = Spin(Time_GrpBox, 0, 23, 0, 328, 24);
  TimeHour_Lbl = new QLabel(Time_GrpBox);
  TimeHour_Lbl->setGeometry(378, 24, 20, 24);
  TimeMin_SEdt = Spin(Time_GrpBox, 0, 59, 0, 402, 24);
  TimeMin_Lbl = new QLabel(Time_GrpBox);
  TimeMin_Lbl->setGeometry(452, 24, 20, 24);

  KGroup_Lbl = new QLabel(this);
  KGroup_Lbl->setGeometry(18, 214, 200, 24);
  KGroup_SEdt = Spin(this, 1, 99, 1, 220, 214);

  Msg_ListView = new QTreeWidget(this);
  Msg_ListView->setGeometry(8, 246, 617, 110);
  Msg_ListView->setRootIsDecorated(false);
  Msg_ListView->setColumnCount(3);
  Msg_ListView->setSelectionMode(QAbstractItemView::SingleSelection);

  Reg_BitBtn = new QPushButton(this);
  Reg_BitBtn->setGeometry(419, 364, 100, 30);
  Ext_BitBtn = new QPushButton(this);
  Ext_BitBtn->setGeometry(525, 364, 100, 30);

  connect(AdrSet_BitBtn, &QPushButton::clicked, this, &TKTel_Frm::AdrSet_BitBtnClick);
  connect(Group_BitBtn, &QPushButton::clicked, this, &TKTel_Frm::Group_BitBtnClick);
  connect(TimeOff_RadioButton, &QRadioButton::toggled, this, &TKTel_Frm::TimeRadioClick);
  connect(TimeMon_SEdt, &QSpinBox::valueChanged, this, &TKTel_Frm::TimeMon_SEdtChange);
  connect(Reg_BitBtn, &QPushButton::clicked, this, &TKTel_Frm::Reg_BitBtnClick);
  connect(Ext_BitBtn, &QPushButton::clicked, this, &TKTel_Frm::Ext_BitBtnClick);
  FormCreate();
}

TKTel_Frm::~TKTel_Frm() {
  if (KTel_Frm == this) KTel_Frm = nullptr;
}

void TKTel_Frm::FormCreate() {
  Lang_KTel(this);
  TimeMon_SEdt->setValue(1);
  TimeDay_SEdt->setValue(1);
  TimeHour_SEdt->setValue(0);
  TimeMin_SEdt->setValue(0);
  KGroup_SEdt->setValue(1);
  Indent_Edit->clear();
  Adr_Edit->clear();
  Group_Edit->clear();
  TimeOff_RadioButton->setChecked(true);
  TimeRadioClick();
  int h = 408;
  if (Main_Frm) {
    h = Main_Frm->height() - Main_Frm->Main_StsBar->height() - 20;
    QRect m = Main_Frm->frameGeometry();
    move(m.left(), m.top() + 20);
  }
  setFixedSize(633, h);
}

void TKTel_Frm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  FormShow();
}

void TKTel_Frm::FormShow() {
  folder_ = ktel::DataFolder(fsys::Resolve(ProgramDir, "ENVIRON.DAT"), folder_);
  KGroup_SEdt->setFocus();
}

void TKTel_Frm::Choose(std::string& path, QLineEdit* edit) {
  std::string start, select;
  if (!path.empty() && fsys::FileExists(path)) {
    std::string name;
    fsys::SplitPath(path, start, name);
    select = path;
  } else if (!folder_.empty() && fsys::DirExists(folder_)) {
    start = folder_;
  } else {
    start = ProgramDir;
    if (start.size() >= 4 && start.back() == '/') start.pop_back();
  }
  std::string chosen;
  if (!PickCsv(this, start, select, chosen)) return;
  path = chosen;
  edit->setText(NameToQ(chosen));
}

void TKTel_Frm::AdrSet_BitBtnClick() { Choose(adrPath_, Adr_Edit); }
void TKTel_Frm::Group_BitBtnClick() { Choose(groupPath_, Group_Edit); }

void TKTel_Frm::TimeRadioClick() {
  bool timed = TimeOn_RadioButton->isChecked();
  for (KTelSpin* s : {TimeMon_SEdt, TimeDay_SEdt, TimeHour_SEdt, TimeMin_SEdt}) s->setEnabled(timed);
}

void TKTel_Frm::TimeMon_SEdtChange() {
  int limit = ktel::DayLimit(TimeMon_SEdt->value());
  if (TimeDay_SEdt->value() > limit) TimeDay_SEdt->setValue(limit);
}

void TKTel_Frm::Indent_EditExit() {
  std::string cleaned;
  ktel::CheckKana(FromQ(Indent_Edit->text()).value_or(""), ktel::kTitleMax, cleaned);
  Indent_Edit->setText(ToQ(cleaned));
}

bool TKTel_Frm::eventFilter(QObject* watched, QEvent* e) {
  if (watched == Indent_Edit && e->type() == QEvent::FocusOut) Indent_EditExit();
  return QWidget::eventFilter(watched, e);
}

ktel::BookSettings TKTel_Frm::Settings() const {
  ktel::BookSettings s;
  // Cleaned here too: a button's mnemonic can register without the title
  // ever losing the focus.
  ktel::CheckKana(FromQ(Indent_Edit->text()).value_or(""), ktel::kTitleMax, s.title);
  s.timed = TimeOn_RadioButton->isChecked();
  s.month = TimeMon_SEdt->value();
  s.day = TimeDay_SEdt->value();
  s.hour = TimeHour_SEdt->value();
  s.minute = TimeMin_SEdt->value();
  s.group = KGroup_SEdt->value();
  return s;
}

void TKTel_Frm::AddMsgList(const ktel::Warning& w) {
  auto* item = new QTreeWidgetItem(Msg_ListView);
  item->setText(0, ToQ(ktel::CsvLabel(w.file)));
  item->setText(1, QString::number(w.line));
  item->setText(2, ToQ(ktel::WarningText(w.kind)));
}

void TKTel_Frm::Reg_BitBtnClick() {
  // A field still being typed in (Register by its mnemonic) is taken as it
  // would be when it loses the focus.
  for (KTelSpin* f : {TimeMon_SEdt, TimeDay_SEdt, TimeHour_SEdt, TimeMin_SEdt, KGroup_SEdt}) f->interpretText();
  ktel::BookSettings s = Settings();
  if (int m = ktel::CheckAhead(adrPath_, groupPath_, s.title)) {
    MsgDlg_Show(std::to_string(m));
    return;
  }
  std::string out = fsys::Resolve(folder_, ktel::kKanjiBookFile);
  if (fsys::FileExists(out) && MsgDlg_Show("7021") != 1) return;

  Msg_ListView->clear();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  setEnabled(false);
  ktel::BookResult r = ktel::BuildBook(s, adrPath_, groupPath_);
  for (const ktel::Warning& w : r.warnings) AddMsgList(w);
  int message = r.message ? r.message : ktel::WriteBook(out, r.content);
  setEnabled(true);
  QApplication::restoreOverrideCursor();
  if (message) MsgDlg_Show(std::to_string(message));
}

void TKTel_Frm::Ext_BitBtnClick() { close(); }

void TKTel_Frm::closeEvent(QCloseEvent* e) {
  e->accept();
  Common_ReturnToMain();
}

void Lang_KTel(TKTel_Frm* f) {
  f->setFont(Orvo_Font(12));
  f->setWindowTitle(U8("漢字電話機電話帳"));
  f->Book_GrpBox->setTitle(U8("電話帳データ"));
  f->Adr_Lbl->setText(U8("電話帳データ："));
  f->Group_Lbl->setText(U8("電話帳グループ名データ："));
  f->Indent_Lbl->setText(U8("タイトル："));
  f->AdrSet_BitBtn->setText(U8("変  更"));
  f->Group_BitBtn->setText(U8("変  更"));
  f->Time_GrpBox->setTitle(U8("ロード開始時刻"));
  f->TimeOff_RadioButton->setText(U8("即時"));
  f->TimeOn_RadioButton->setText(U8("時刻指定"));
  f->TimeMon_Lbl->setText(U8("月"));
  f->TimeDay_Lbl->setText(U8("日"));
  f->TimeHour_Lbl->setText(U8("時"));
  f->TimeMin_Lbl->setText(U8("分"));
  f->KGroup_Lbl->setText(U8("書き込みグループ番号："));
  f->Reg_BitBtn->setText(U8("登録(&R)"));
  f->Ext_BitBtn->setText(U8("戻る(&E)"));
  f->Msg_ListView->setHeaderLabels({U8("データ"), U8("行"), U8("内容")});
  f->Msg_ListView->header()->resizeSection(0, 150);
  f->Msg_ListView->header()->resizeSection(1, 60);
  f->Msg_ListView->header()->resizeSection(2, 380);
}
