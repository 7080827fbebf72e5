// Answers the numbered message and input dialogs of a form test in order
// and records what each showed. A dialog beyond the script is recorded as
// unexpected and cancelled, so that a wrong turn fails instead of hanging.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <deque>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/ui/QtText.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/Input_Unit.h"

class DialogScript {
 public:
  struct Answer {
    int button;        // 1 OK, 2 Cancel
    std::string text;  // typed into an input prompt
  };

  DialogScript() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
  }
  DialogScript& Then(int button, std::string text = {}) {
    answers_.push_back({button, std::move(text)});
    return *this;
  }
  // The texts of the dialogs shown so far ("M9088", "P1202", ...).
  const std::vector<std::string>& Shown() const { return shown_; }
  bool Done() const { return answers_.empty(); }

 private:
  void Poll() {
    QWidget* w = QApplication::activeModalWidget();
    if (!w || !w->isVisible()) return;
    Answer a{2, {}};
    std::string prefix;
    if (answers_.empty()) {
      prefix = "unexpected ";
    } else {
      a = answers_.front();
      answers_.pop_front();
    }
    if (auto* c = qobject_cast<TConf_Dlg*>(w)) {
      shown_.push_back(prefix + c->Msg_Lbl->text().toStdString());
      Press(c->Ok_BitBtn, c->Cancel_BitBtn, a.button, prefix.empty());
    } else if (auto* in = qobject_cast<TInput_Dlg*>(w)) {
      shown_.push_back(prefix + in->Msg_Lbl->text().toStdString());
      in->Input_Edt->setText(QString::fromStdString(a.text));
      Press(in->Ok_BitBtn, in->Cancel_BitBtn, a.button, prefix.empty());
    } else if (auto* d = qobject_cast<QDialog*>(w)) {
      shown_.push_back(prefix + "dialog");
      d->done(a.button);
    }
  }
  // The button the script answers with must be one the user can press: a
  // hidden one fails the test, and is pressed anyway so that it goes on.
  // An unexpected dialog gets Cancel, or OK where Cancel is not shown.
  void Press(QAbstractButton* ok, QAbstractButton* cancel, int button, bool scripted) {
    QAbstractButton* b = button == 1 ? ok : cancel;
    if (!scripted && !cancel->isVisible()) b = ok;
    if (scripted) {
      EXPECT_TRUE(b->isVisible()) << "hidden button \"" << b->text().toStdString() << "\" on " << shown_.back();
    }
    b->click();
  }
  QTimer timer_;
  std::deque<Answer> answers_;
  std::vector<std::string> shown_;
};

// MSGDLG.DAT and INPDLG.DAT whose texts are the numbers themselves.
inline std::string TestMessageFile() {
  std::string s;
  for (const char* n : {"0003", "0005", "0006", "0007", "9006", "9007", "9026", "9046", "9047", "9008",
                        "9048", "9081", "9082", "9083", "9084", "9087", "9088", "9201", "9202", "9203"})
    s += std::string("J") + n + "=T,M" + n + ",1,0\r\n";
  for (const char* n : {"7006", "7007", "7008", "7101", "5201", "5202"}) s += std::string("J") + n + "=T,M" + n + ",1,1\r\n";
  return s;
}
inline std::string TestPromptFile() { return "J1201=T,P1201,L,16,*,,1,1\r\nJ1202=T,P1202,L,16,*,,1,1\r\n"; }
