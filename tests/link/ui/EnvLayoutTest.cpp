// The link forms' pages at their fixed size, in the program's font:
// no control covers another or its group box's frame and caption, and no
// caption or value is cut.
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QStyleOptionGroupBox>

#include "tests/link/ui/FormFixture.h"

namespace {

std::string Name(const QWidget* w) {
  return w->objectName().isEmpty() ? std::string(w->metaObject()->className()) + " \"" +
                                         (qobject_cast<const QAbstractButton*>(w)
                                              ? static_cast<const QAbstractButton*>(w)->text().toStdString()
                                              : qobject_cast<const QLabel*>(w)
                                                    ? static_cast<const QLabel*>(w)->text().toStdString()
                                                    : std::string()) +
                                         "\""
                                   : w->objectName().toStdString();
}

// Where a group box's children may stand: inside its frame, below its title.
QRect Inside(const QGroupBox* g) {
  QStyleOptionGroupBox opt;
  opt.initFrom(g);
  opt.text = g->title();
  opt.lineWidth = 1;
  opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
  QRect frame = g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxFrame, g);
  QRect label = g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
  QRect in = frame.adjusted(1, 1, -1, -1);
  in.setTop(std::max(in.top(), label.bottom() + 1));
  return in;
}

// Every fault of the visible controls under parent, recursively.
void Faults(const QWidget* parent, std::vector<std::string>& out) {
  std::vector<const QWidget*> kids;
  for (QObject* o : parent->children()) {
    auto* w = qobject_cast<const QWidget*>(o);
    if (w && !w->isWindow() && w->isVisibleTo(parent)) kids.push_back(w);
  }
  auto* box = qobject_cast<const QGroupBox*>(parent);
  QRect room = box ? Inside(box) : parent->rect();
  for (size_t i = 0; i < kids.size(); ++i) {
    const QWidget* a = kids[i];
    if (!room.contains(a->geometry()))
      out.push_back(Name(a) + " leaves " + (box ? "the frame of " : "") + Name(parent));
    for (size_t j = i + 1; j < kids.size(); ++j)
      if (a->geometry().intersects(kids[j]->geometry())) out.push_back(Name(a) + " covers " + Name(kids[j]));
    // A caption wider than its control, or an entry lower than its text.
    bool caption = qobject_cast<const QLabel*>(a) || qobject_cast<const QAbstractButton*>(a);
    if (caption && a->sizeHint().width() > a->width()) out.push_back(Name(a) + " is cut");
    bool entry = qobject_cast<const QLineEdit*>(a) || qobject_cast<const QAbstractSpinBox*>(a) ||
                 qobject_cast<const QComboBox*>(a);
    if (entry && a->minimumSizeHint().height() > a->height()) out.push_back(Name(a) + " is too low");
    if (!qobject_cast<const QAbstractSpinBox*>(a) && !qobject_cast<const QComboBox*>(a)) Faults(a, out);
  }
}

class EnvLayout : public LinkForms {};

TEST_F(EnvLayout, NoControlOfEitherPageCoversAnother) {
  main->Env_BitBtn->click();
  TEnv_Frm* f = Env_Frm;
  ASSERT_TRUE(f->isVisible());
  // Every control of the COM page shows when the public line is allowed.
  f->Connect_TCtl->setCurrentIndex(0);
  f->Public_ChkBox->setChecked(false);
  EXPECT_FALSE(f->Cmd_GrpBox->isVisible());
  f->Public_ChkBox->setChecked(true);
  ASSERT_TRUE(f->Cmd_GrpBox->isVisible());
  std::vector<std::string> faults;
  Faults(f, faults);
  EXPECT_EQ(faults, std::vector<std::string>{}) << "COM page";

  f->Connect_TCtl->setCurrentIndex(1);
  ASSERT_TRUE(f->Ether_GrpBox->isVisible());
  faults.clear();
  Faults(f, faults);
  EXPECT_EQ(faults, std::vector<std::string>{}) << "Ethernet page";
  f->Ext_BitBtn->click();
}

}  // namespace

namespace {

TEST_F(EnvLayout, NoControlOfTheConnectionFormCoversAnother) {
  dir.Write("ENVIRON.DAT", "X,Y,Z,1,1,1,1,10,,10,10,10,,ATD,,+++,ATH,0,03,02,11000,0\r\n");
  ASSERT_EQ(Conn_Frm->ReadSettings(), 0);
  Conn_Frm->show();
  QApplication::processEvents();
  // The public line with automatic dialling shows the most controls.
  Conn_Frm->Ct2_RdoBtn->click();
  Conn_Frm->Mc1_RdoBtn->click();
  ASSERT_TRUE(Conn_Frm->Tn_GrpBox->isVisible());
  // A choice set without a click lays the form out too.
  Conn_Frm->Mc2_RdoBtn->setChecked(true);
  EXPECT_FALSE(Conn_Frm->Tn_GrpBox->isVisible());
  Conn_Frm->Mc1_RdoBtn->setChecked(true);
  ASSERT_TRUE(Conn_Frm->Tn_GrpBox->isVisible());
  std::vector<std::string> faults;
  Faults(Conn_Frm, faults);
  EXPECT_EQ(faults, std::vector<std::string>{}) << "public line";
  Conn_Frm->Ct3_RdoBtn->click();
  faults.clear();
  Faults(Conn_Frm, faults);
  EXPECT_EQ(faults, std::vector<std::string>{}) << "Ethernet";
  Conn_Frm->Exit_BitBtn->click();
}

}  // namespace
