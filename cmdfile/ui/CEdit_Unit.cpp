#include "cmdfile/ui/CEdit_Unit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTimer>

#include "cmdfile/ComFileText.h"
#include "cmdfile/ComList.h"
#include "cmdfile/ui/ComS_Unit.h"
#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/Unit_Message.h"
#include "transfer/Control_Unit.h"

TCEdit_Frm* CEdit_Frm = nullptr;

namespace {

// The hourglass and the notice box while a check runs.
class CheckNotice {
 public:
  explicit CheckNotice(QWidget* owner) : box_(new TDlg_Message(owner)) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    box_->ShowNow();
  }
  ~CheckNotice() { Done(); }
  void Done() {
    if (!box_) return;
    box_->hide();
    delete box_;
    box_ = nullptr;
    QApplication::restoreOverrideCursor();
  }

 private:
  TDlg_Message* box_;
};

// CP932 text with CR LF as the text widget holds it: one "\n" per line
// break, undecodable bytes kept as private-use characters.
QString ForDisplay(const std::string& text) {
  std::string s;
  s.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    s += text[i];
  }
  return ToQLossless(s);
}

}  // namespace

TCEdit_Frm::TCEdit_Frm(QWidget* parent) : QWidget(parent) {
  CEdit_Frm = this;
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint |
                 Qt::WindowStaysOnTopHint);
  setFixedSize(640, 470);
  Lmenu_Lbl = new QLabel(this);
  Lmenu_Lbl->setGeometry(8, 12, 70, 20);
  Menu_CmbBox = new QComboBox(this);
  Menu_CmbBox->setEditable(false);
  Menu_CmbBox->setGeometry(80, 8, 140, 26);
  Lcom_Lbl = new QLabel(this);
  Lcom_Lbl->setGeometry(240, 12, 130, 20);
  Fname_Lbl = new QLabel(this);
  Fname_Lbl->setGeometry(370, 12, 262, 20);
  Com_RMem = new TRichEditDx(this);
  Com_RMem->setGeometry(8, 40, 624, 380);
  Com_RMem->setLineWrapMode(QPlainTextEdit::NoWrap);
  Com_RMem->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Reg_BitBtn = new QPushButton(this);
  Reg_BitBtn->setGeometry(8, 430, 108, 30);
  Chk_BitBtn = new QPushButton(this);
  Chk_BitBtn->setGeometry(124, 430, 108, 30);
  Help_BitBtn = new THelpBitBtn(this);
  Help_BitBtn->setGeometry(408, 430, 108, 30);
  Exit_BitBtn = new QPushButton(this);
  Exit_BitBtn->setGeometry(524, 430, 108, 30);

  Menu_CmbBox->installEventFilter(this);
  Com_RMem->installEventFilter(this);
  Com_RMem->viewport()->installEventFilter(this);
  connect(Menu_CmbBox, qOverload<int>(&QComboBox::activated), this, [this](int) { Menu_CmbBoxChange(); });
  connect(Reg_BitBtn, &QPushButton::clicked, this, &TCEdit_Frm::Reg_BitBtnClick);
  connect(Chk_BitBtn, &QPushButton::clicked, this, &TCEdit_Frm::Chk_BitBtnClick);
  connect(Exit_BitBtn, &QPushButton::clicked, this, &TCEdit_Frm::Exit_BitBtnClick);
  Lang_CEdit(this);
}

TCEdit_Frm::~TCEdit_Frm() {
  if (CEdit_Frm == this) CEdit_Frm = nullptr;
}

bool TCEdit_Frm::ComFile_Load(int newFile) {
  menus_ = ComMenu_Names();
  Sections = ComSectTable{};
  ComFileText.clear();
  std::string folder = ComS_Frm ? ComS_Frm->Folder() : ComList.CmdDataDir;
  ComFilePath = ComList_Path(folder, SelectedCmdName);
  if (newFile == 1) return true;
  if (fsys::FileExists(ComFilePath)) {
    std::string content;
    if (!fsys::ReadFile(ComFilePath, content)) return false;
    ComFileText = ComFile_SplitText(content);
  }
  ComFile_Split(ComFileText, menus_, Sections);
  return true;
}

void TCEdit_Frm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  FormShow();
}

void TCEdit_Frm::FormShow() {
  Help_BitBtn->AttachHelp(ProgramDir, "Command.Hlp");
  Help_BitBtn->MenuItem.clear();
  Chk_BitBtn->setEnabled(false);
  Reg_BitBtn->setEnabled(false);
  Fname_Lbl->setText(NameToQ(SelectedCmdName));
  if (menus_.empty()) menus_ = ComMenu_Names();
  Menu_CmbBox->clear();
  Menu_CmbBox->addItem("ALL");
  for (const std::string& m : menus_) Menu_CmbBox->addItem(ToQ(m));
  Menu_CmbBox->setCurrentIndex(-1);
  prevSection_.clear();
  Com_RMem->clear();
  Com_RMem->setEnabled(false);
  lastLine_ = faultLine_ = 0;
  Menu_CmbBox->setFocus();
}

void TCEdit_Frm::closeEvent(QCloseEvent* e) {
  if (busy_) {
    e->ignore();
    return;
  }
  e->accept();
  ComFileText.clear();
  Sections = ComSectTable{};
  Com_RMem->clear();
  if (ComS_Frm) ComS_Frm->ComList_Return();
}

bool TCEdit_Frm::eventFilter(QObject* o, QEvent* e) {
  if (o == Menu_CmbBox && e->type() == QEvent::FocusIn) Menu_CmbBoxEnter();
  if (o == Com_RMem && e->type() == QEvent::KeyRelease) Com_RMemLineLeft();
  if (o == Com_RMem && e->type() == QEvent::FocusOut) Com_RMemExit();
  // The caret moves when the press has been handled.
  if (o == Com_RMem->viewport() && e->type() == QEvent::MouseButtonPress)
    QTimer::singleShot(0, this, [this] { Com_RMemLineLeft(); });
  return QWidget::eventFilter(o, e);
}

std::string TCEdit_Frm::Shown() const {
  std::string s;
  const auto lines = ShownLines();
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) s += "\r\n";
    s += lines[i].value_or(std::string());
  }
  return s;
}

std::vector<std::optional<std::string>> TCEdit_Frm::ShownLines() const {
  std::vector<std::optional<std::string>> out;
  const QStringList lines = Com_RMem->toPlainText().split(QChar('\n'));
  out.reserve(lines.size());
  for (const QString& l : lines) out.push_back(FromQLossless(l));
  return out;
}

void TCEdit_Frm::Menu_CmbBoxEnter() { prevSection_ = Menu_CmbBox->currentText().toStdString(); }

bool TCEdit_Frm::Busy(bool on) {
  busy_ = on;
  Com_RMem->setEnabled(!on);
  Menu_CmbBox->setEnabled(!on);
  Chk_BitBtn->setEnabled(!on);
  Reg_BitBtn->setEnabled(!on);
  Exit_BitBtn->setEnabled(!on);
  return on;
}

void TCEdit_Frm::Menu_CmbBoxChange() {
  if (Menu_CmbBox->currentIndex() < 0) return;
  const std::string name = FromQ(Menu_CmbBox->currentText()).value_or(std::string());
  if (name == prevSection_) return;
  if (Com_RMem->isEnabled() && !prevSection_.empty()) {
    // What is left is checked before it is stored: a section, or under
    // "ALL" the whole text with its header lines choosing the menus. Text
    // with no CP932 form is one of its faults, never stored as anything.
    const int code = ComSect_Check(prevSection_);
    if (code) {
      int idx = Menu_CmbBox->findText(ToQ(prevSection_));
      Menu_CmbBox->setCurrentIndex(idx);
      Com_RMem->setFocus();
      return;
    }
    ComSect_Store(Sections, prevSection_, Shown(), menus_);
  }
  Chk_BitBtn->setEnabled(true);
  Reg_BitBtn->setEnabled(true);
  Com_RMem->setEnabled(true);
  QString text;
  if (name == "ALL") {
    Help_BitBtn->MenuItem.clear();
    text = ForDisplay(ComSect_AllText(Sections));
  } else {
    int r = ComSect_Find(Sections, name);
    text = ForDisplay(Sections.rec[r].body);
    Help_BitBtn->MenuItem = "/" + name + "/";
  }
  Com_RMem->setPlainText(text);
  Com_RMem->SetLine(0);
  Com_RMem->SetTopLine(0);
  lastLine_ = 0;
  prevSection_ = name;
  Com_RMem->setFocus();
}

void TCEdit_Frm::MarkLine(int line) {
  Com_RMem->SetTopLine(ComMark_Top(line, Com_RMem->TopLine()));
  Com_RMem->SetLine(line);
  QTextCursor c = Com_RMem->textCursor();
  c.movePosition(QTextCursor::StartOfBlock);
  c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  Com_RMem->setTextCursor(c);
}

void TCEdit_Frm::ShowFault(int code) { MsgDlg_Show(ComCheck_Message(code)); }

int TCEdit_Frm::ComSect_Check(const std::string& name) {
  int code;
  {
    // The notice only while the lines are walked; a fault's message comes
    // after it is gone.
    CheckNotice notice(this);
    code = ComMemo_Check(Ctl_DefaultChecker(), ShownLines(), name, faultLine_);
  }
  if (code) {
    MarkLine(faultLine_);
    ShowFault(code);
  }
  return code;
}

void TCEdit_Frm::Com_RMemLineLeft() {
  if (busy_ || !Com_RMem->isEnabled()) return;
  const int left = lastLine_;
  lastLine_ = Com_RMem->Line();
  if (left == lastLine_) return;
  const auto lines = ShownLines();
  int code = ComLine_Check(Ctl_DefaultChecker(), lines, left, Menu_CmbBox->currentText().toStdString(), menus_);
  if (code == 0) return;
  MarkLine(left);
  ShowFault(code);
  Com_RMem->setFocus();
  lastLine_ = left;
}

void TCEdit_Frm::Com_RMemExit() {
  if (busy_) return;
  if (Menu_CmbBox->currentIndex() >= 0 && Com_RMem->isEnabled()) {
    Chk_BitBtn->setEnabled(true);
    Reg_BitBtn->setEnabled(true);
  }
}

void TCEdit_Frm::Chk_BitBtnClick() {
  if (busy_ || Menu_CmbBox->currentIndex() < 0) return;
  const std::string name = Menu_CmbBox->currentText().toStdString();
  Busy(true);
  int code;
  {
    CheckNotice notice(this);
    code = ComMemo_Check(Ctl_DefaultChecker(), ShownLines(), name, faultLine_);
  }
  Busy(false);
  Com_RMem->setFocus();
  if (code) {
    MarkLine(faultLine_);
    ShowFault(code);
    return;
  }
  MsgDlg_Show("5701");
}

void TCEdit_Frm::Reg_BitBtnClick() {
  if (busy_ || Menu_CmbBox->currentIndex() < 0) return;
  const std::string name = Menu_CmbBox->currentText().toStdString();
  const bool section = name != "ALL";
  Busy(true);
  int code = 0;
  std::vector<std::string> file;
  {
    CheckNotice notice(this);
    const auto lines = ShownLines();
    if (section) {
      code = ComMemo_Check(Ctl_DefaultChecker(), lines, name, faultLine_);
    } else {
      // Nothing without a CP932 form is ever written.
      for (size_t i = 0; i < lines.size() && !code; ++i)
        if (!lines[i]) {
          code = ComCheck_NoCp932;
          faultLine_ = static_cast<int>(i);
        }
    }
    if (code == 0) {
      ComSect_Store(Sections, name, Shown(), menus_);
      file = ComFile_Lines(Sections);
      ComFileText = file;
      int fault = 0;
      code = ComFile_Check(Ctl_DefaultChecker(), file, fault);
      if (code) {
        faultLine_ = ComSect_AllLineOf(Sections, fault);
        if (section) {
          // The whole file is shown, the section stored already.
          Menu_CmbBox->setCurrentIndex(0);
          Com_RMem->setPlainText(ForDisplay(ComSect_AllText(Sections)));
          Help_BitBtn->MenuItem.clear();
          Com_RMem->SetLine(0);
          Com_RMem->SetTopLine(0);
          prevSection_ = "ALL";
        }
      }
    }
  }
  Busy(false);
  Com_RMem->setFocus();
  if (code) {
    MarkLine(faultLine_);
    lastLine_ = faultLine_;
    ShowFault(code);
    return;
  }
  if (fsys::FileExists(ComFilePath) && MsgDlg_Show("7015") != 1) return;
  std::string content;
  for (const std::string& l : file) content += l + "\r\n";
  if (fsys::ReplaceFile(ComFilePath, content) != 0) MsgDlg_Show("9055");
}

void Lang_CEdit(TCEdit_Frm* f) {
  f->setFont(Orvo_Font(12));
  f->setWindowTitle(U8("コマンドファイル編集"));
  f->Lcom_Lbl->setText(U8("コマンドファイル："));
  f->Lmenu_Lbl->setText(U8("メニュー："));
  f->Help_BitBtn->setText(U8("ヘルプ(&H)"));
  f->Chk_BitBtn->setText(U8("チェック(&C)"));
  f->Reg_BitBtn->setText(U8("登録(&R)"));
  f->Exit_BitBtn->setText(U8("戻る(&E)"));
}
