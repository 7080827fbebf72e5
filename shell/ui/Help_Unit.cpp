#include "shell/ui/Help_Unit.h"

#include <QTextCursor>

#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/HelpText.h"
#include "shell/ui/Conf_Unit.h"

THelp_Dlg::THelp_Dlg(QWidget* parent) : QDialog(parent) {
  setObjectName("Help_Dlg");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowStaysOnTopHint);
  setFixedSize(503, 287);
  setWindowTitle(U8("ヘルプ"));
  setFont(Orvo_Font(12));
  Msg_Bvl = new QFrame(this);
  Msg_Bvl->setFrameShape(QFrame::Box);
  Msg_Bvl->setGeometry(6, 6, 491, 234);
  Msg_RMem = new TRichMemo(this);
  Msg_RMem->setGeometry(12, 12, 479, 222);
  Msg_RMem->setReadOnly(true);
  Msg_RMem->setFocusPolicy(Qt::NoFocus);
  Msg_RMem->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Msg_RMem->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Ok_BitBtn = new QPushButton(U8("ＯＫ(&O)"), this);
  Ok_BitBtn->setGeometry(201, 248, 100, 32);
  Ok_BitBtn->setDefault(true);
  connect(Ok_BitBtn, &QPushButton::clicked, this, [this] { done(1); });
}

void THelp_Dlg::SetEnglish() {
  QFont f = Orvo_FontNamed("MS Sans Serif", 12);
  setFont(f);
  for (QWidget* w : findChildren<QWidget*>()) w->setFont(f);
  setWindowTitle(U8("HELP"));
  Ok_BitBtn->setText(U8("&OK"));
}

void THelp_Dlg::LoadHelp(const std::string& helpFile, const std::string& menuItem) {
  Msg_RMem->clear();
  section_ = -1;
  lineCount_ = 0;
  std::string content;
  if (helpFile.empty() || !fsys::FileExists(helpFile) || !fsys::ReadFile(helpFile, content)) return;
  std::vector<std::string> lines = HelpText_Lines(content);
  QStringList text;
  for (const auto& l : lines) text << ToQ(l);
  Msg_RMem->setPlainText(text.join(QLatin1Char('\n')));
  lineCount_ = static_cast<int>(lines.size());
  if (!menuItem.empty()) section_ = HelpText_FindSection(lines, menuItem);
}

void THelp_Dlg::Position() {
  Msg_RMem->SetTopLine(0);
  if (section_ < 0) return;
  // The scroll range ends with the last line at the bottom of the window:
  // a section near the end needs a window's worth of lines from its start.
  const int needed = Msg_RMem->VisibleLine();
  int below = lineCount_ - section_;
  if (below < needed) {
    QTextCursor c(Msg_RMem->document());
    c.movePosition(QTextCursor::End);
    c.insertText(QString(needed - below, QLatin1Char('\n')));
    lineCount_ += needed - below;
  }
  Msg_RMem->SetTopLine(section_);
}

void THelp_Dlg::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  CenterOnScreen(this);
  // Placed once the memo has its size on the screen: the lines that fit
  // decide how far the text can scroll.
  Position();
}
