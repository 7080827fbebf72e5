// The command-file list and editor survive their buttons pressed in any
// order, with sections picked and lines typed in between and every
// question answered at random: no crash, no hang, no half-written file, and
// always a way back.
#include <QAbstractButton>
#include <QPrinter>
#include <QTimer>
#include <random>

#include "shell/ui/Input_Unit.h"
#include "shell/ui/Printer.h"
#include "tests/cmdfile/ui/CmdFormsFixture.h"

namespace {

class CmdButtonOrder : public CmdForms {
 protected:
  void AnswerModals() {
    if (!answering) return;
    QTimer::singleShot(2, guard.get(), [this] { AnswerModals(); });
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!d || !d->isVisible()) return;
    if (auto* in = qobject_cast<TInput_Dlg*>(d)) {
      static const char* names[] = {"x", "Initial", "New1", "new1.cmd", "../up", "", "Faulty.CMD"};
      in->Input_Edt->setText(names[rng() % std::size(names)]);
    }
    std::vector<QAbstractButton*> buttons;
    for (auto* b : d->findChildren<QAbstractButton*>())
      if (b->isVisible() && b->isEnabled()) buttons.push_back(b);
    if (buttons.empty()) d->done(2);
    else buttons[rng() % buttons.size()]->click();
  }

  std::vector<QAbstractButton*> Pressable() {
    std::vector<QAbstractButton*> out;
    for (QWidget* w : {static_cast<QWidget*>(ComS_Frm), static_cast<QWidget*>(CEdit_Frm)}) {
      if (!w->isVisible()) continue;
      for (auto* b : w->findChildren<QAbstractButton*>())
        if (b->isVisible() && b->isEnabled() && b != ComS_Frm->Help_BitBtn && b != CEdit_Frm->Help_BitBtn)
          out.push_back(b);
    }
    if (main->SB_GB->isVisible()) out.push_back(main->Edit_BitBtn);
    return out;
  }

  void Walk(int steps) {
    static const char* lines[] = {"1=1;", "/M10/", "X=1;", "001=200,01,A;", "!note", "", "0001=5;"};
    for (int i = 0; i < steps; ++i) {
      if (ComS_Frm->isVisible() && ComS_Frm->Com_OTabLstBox->count() && rng() % 3 == 0) {
        auto* l = ComS_Frm->Com_OTabLstBox;
        int r = static_cast<int>(rng() % l->count());
        l->setCurrentRow(r);
        l->item(r)->setSelected(true);
      }
      if (CEdit_Frm->isVisible() && rng() % 3 == 0) {
        TCEdit_Frm* e = CEdit_Frm;
        e->Menu_CmbBoxEnter();
        e->Menu_CmbBox->setCurrentIndex(static_cast<int>(rng() % e->Menu_CmbBox->count()));
        e->Menu_CmbBoxChange();
        if (e->Com_RMem->isEnabled()) {
          e->Com_RMem->SetLine(static_cast<int>(rng() % 4));
          e->Com_RMem->insertPlainText(QString(lines[rng() % std::size(lines)]) + "\n");
          e->Com_RMemLineLeft();
        }
      }
      auto buttons = Pressable();
      if (buttons.empty()) break;
      buttons[rng() % buttons.size()]->click();
      QApplication::processEvents();
    }
  }

  std::unique_ptr<QObject> guard = std::make_unique<QObject>();
  std::mt19937 rng{getenv("ORVO_WALK_SEED") ? static_cast<unsigned>(atoi(getenv("ORVO_WALK_SEED"))) : 4711u};
  bool answering = true;
};

TEST_F(CmdButtonOrder, RandomPressesOnTheListAndTheEditor) {
  QPrinter* printer = Orvo_Printer();
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(QString::fromStdString(dir.path() + "walk.pdf"));
  SetPathPicker([this](QWidget*, PathPickRequest& r) {
    r.path = QString::fromStdString(dir.path() + (rng() % 2 ? "data" : "other"));
    return rng() % 3 ? 1 : 2;
  });
  dir.Write("other/Other.CMD", "/M61/\r\n1=1;\r\n");
  // The menu tree comes back at once.
  ListEdit_SetEntry([](QWidget*, const std::string&) {
    QTimer::singleShot(0, [] { ListEdit_Return(); });
    return true;
  });
  AnswerModals();
  Walk(400);
  answering = false;
  QApplication::processEvents();

  EXPECT_TRUE(main->isVisible());
  const bool subform = ComS_Frm->isVisible() || CEdit_Frm->isVisible();
  EXPECT_NE(subform, main->SB_GB->isVisible());
  EXPECT_FALSE(ComS_Frm->isVisible() && CEdit_Frm->isVisible());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(ComS_Frm->isEnabled() && CEdit_Frm->isEnabled() && main->isEnabled());
  // Only command files and the user file: nothing left half written, no
  // file outside the folders.
  for (const char* folder : {"data", "other"})
    for (auto& e : std::filesystem::directory_iterator(dir.path() + folder)) {
      std::string name = e.path().filename().string();
      std::string ext = name.size() >= 4 ? name.substr(name.size() - 4) : name;
      EXPECT_TRUE(fsys::EqualNoCase(ext, ".CMD") || name == "USER.INF") << name;
    }
  EXPECT_FALSE(dir.Exists("up.CMD"));
}

}  // namespace
