// The main window and the link forms survive their buttons being pressed in
// any order: every modal question on the way is answered at random, and the
// program must neither crash nor hang nor leave a broken state behind.
#include <QAbstractButton>
#include <QDialog>
#include <QLineEdit>
#include <QTimer>
#include <random>
#include <unistd.h>

#include "link/Comm_Unit.h"
#include "link/UDP_Unit.h"
#include "link/ui/LinkHooks.h"
#include "link/ui/UserTimerTicks.h"
#include "shell/orvo/Common_Unit.h"
#include "shell/ui/Input_Unit.h"
#include "tests/exchange/FakeUdp.h"
#include "tests/link/ui/FormFixture.h"

namespace {

class ButtonOrder : public LinkForms {
 protected:
  void SetUp() override {
    FakeUdpConfig cfg;
    cfg.password = "1234";
    fake = std::make_unique<FakeUdpExchange>(cfg);
    ASSERT_TRUE(fake->Start());
    // Ethernet to the fake, time-out 1 s, no retries.
    dir.Write("ENVIRON.DAT", dir.path() + "CONTROL.DAT," + dir.path() + "data," + dir.path() +
                                 "screens,1,1,1,1,05,,10,10,10,ATZ,ATD,,+++,ATH,1,01,00," +
                                 std::to_string(fake->Port()) + ",0\r\n");
    dir.Write("CONNECT.DAT", "2,4,0,0,n,,\"127.  0.  0.  1\"\r\n");
    dir.Write("data/USER.INF", "test\r\n");
    // COM1 is no line at all, so that a serial attempt fails at once and no
    // device of the machine is touched.
    dir.Write("ports/.keep", "");
    ASSERT_EQ(::symlink("/dev/null", (dir.path() + "ports/com1").c_str()), 0);
    LinkForms::SetUp();
    UserTimer_InstallQtTicks();
    Link_InstallMainHooks();
  }
  void TearDown() override {
    answering = false;
    guard.reset();
    Comm_Close();
    Udp_Close();
    Udp_SetMessagePump(nullptr);
    TMain_Frm::Hooks().disconnect = nullptr;
    TMain_Frm::Hooks().disconnectNotice = nullptr;
    EthernetMode = 0;
    fake->Stop();
    LinkForms::TearDown();
  }

  // Answers whatever modal dialog is up: a random visible button, or a
  // typed password now and then.
  void AnswerModals() {
    if (!answering) return;
    // The next answer is due before this one presses anything: a press may
    // open a further modal dialog (the printer dialog's properties) that
    // only a later answer can close.
    // Tied to the fixture's guard, so that no answer fires into the next test.
    QTimer::singleShot(2, guard.get(), [this] { AnswerModals(); });
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()); d && d->isVisible()) {
      if (typePassword) {
        // The one scripted answer: the right password and OK.
        if (auto* in = qobject_cast<TInput_Dlg*>(d)) {
          in->Input_Edt->setText("1234");
          in->Ok_BitBtn->click();
        } else {
          d->done(1);
        }
      } else if (auto* edit = d->findChild<QLineEdit*>(); edit && edit->isVisible() && rng() % 2)
        edit->setText(rng() % 2 ? "1234" : "9999");
      if (!typePassword) {
        std::vector<QAbstractButton*> buttons;
        for (auto* b : d->findChildren<QAbstractButton*>())
          if (b->isVisible() && b->isEnabled()) buttons.push_back(b);
        if (buttons.empty()) d->done(2);
        else buttons[rng() % buttons.size()]->click();
      }
    }
  }
  std::unique_ptr<QObject> guard = std::make_unique<QObject>();

  // The visible, enabled buttons of every shown top-level window but dialogs.
  std::vector<QAbstractButton*> Pressable() {
    std::vector<QAbstractButton*> out;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (!w->isVisible() || qobject_cast<QDialog*>(w)) continue;
      for (auto* b : w->findChildren<QAbstractButton*>())
        if (b->isVisible() && b->isEnabled()) out.push_back(b);
    }
    return out;
  }

  void Walk(int presses) {
    for (int i = 0; i < presses; ++i) {
      auto buttons = Pressable();
      if (buttons.empty()) break;
      QAbstractButton* b = buttons[rng() % buttons.size()];
      if (b == main->End_BitBtn) continue;  // ending the program ends the test
      b->click();
      QApplication::processEvents();
    }
  }

  void ExpectUsable() {
    // Whatever happened, the main window is there and one way back exists:
    // either a subform is open or the main buttons are.
    EXPECT_TRUE(main->isVisible());
    bool subformOpen = false;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w != main && w->isVisible() && !qobject_cast<QDialog*>(w)) subformOpen = true;
    EXPECT_NE(subformOpen, main->SB_GB->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }

  std::unique_ptr<FakeUdpExchange> fake;
  // ORVO_WALK_SEED explores other orders by hand; CI walks a fixed one.
  std::mt19937 rng{getenv("ORVO_WALK_SEED") ? static_cast<unsigned>(atoi(getenv("ORVO_WALK_SEED"))) : 12345u};
  bool answering = true;
  bool typePassword = false;
};

TEST_F(ButtonOrder, RandomPressesWhileDisconnected) {
  AnswerModals();
  Walk(300);
  ExpectUsable();
}

TEST_F(ButtonOrder, RandomPressesWhileConnected) {
  AnswerModals();
  typePassword = true;
  main->Conn_BitBtn->click();
  ASSERT_TRUE(Conn_Frm->isVisible());
  Conn_Frm->Conn_BitBtn->click();
  QApplication::processEvents();
  ASSERT_TRUE(main->Disc_BitBtn->isEnabled());
  ASSERT_TRUE(fake->LoggedIn());
  typePassword = false;
  // The walk starts in the connected state and may leave it through Disc.
  Walk(300);
  ExpectUsable();
}

}  // namespace
