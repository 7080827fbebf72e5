// The environment form keeps a 21-character initialisation command, as
// ENVIRON.DAT and MODEM.INF may hold it, whole: shown, stored again and
// taken from a modem kind without a cut; typing still stops at 20.
#include <QTest>

#include "link/EnvNew_Unit.h"
#include "tests/link/ui/FormFixture.h"

namespace {

class EnvLongCommand : public LinkForms {};

TEST_F(EnvLongCommand, AStoredCommandLongerThanTheEditIsKeptWhole) {
  const std::string longInit = "AT&F0E1V1Q0X4S0=0&C1D";
  const std::string longKind = "ATZ0E1V1Q0X4S0=0&C1DX";
  ASSERT_EQ(longInit.size(), 21u);
  dir.Write("ENVIRON.DAT", "/c.dat,/d,/s,0,1,0,1,05,A,20,30,40," + longInit +
                               ",ATD,,+++,ATH,0,07,01,11000,1024\r\n");
  dir.Write("MODEM.INF", "A,ATZ,ATD,,+++,ATH\r\nL," + longKind + ",ATD,,+++,ATH\r\n");
  main->Env_BitBtn->click();
  TEnv_Frm* f = Env_Frm;
  ASSERT_TRUE(f->isVisible());
  EXPECT_EQ(f->CmdInit_Edt->text().toStdString(), longInit);

  // Typing past the limit is refused; shortened, it is back at 20.
  QApplication::setActiveWindow(f);
  f->CmdInit_Edt->setFocus();
  f->CmdInit_Edt->end(false);
  QTest::keyClicks(f->CmdInit_Edt, "X");
  EXPECT_EQ(f->CmdInit_Edt->text().toStdString(), longInit);
  QTest::keyClick(f->CmdInit_Edt, Qt::Key_Backspace);
  QTest::keyClicks(f->CmdInit_Edt, "YZ");
  EXPECT_EQ(f->CmdInit_Edt->text().toStdString(), longInit.substr(0, 20));

  // A kind from MODEM.INF with a 21-character command, stored as shown.
  f->Modem_CmbBox->setCurrentIndex(1);
  emit f->Modem_CmbBox->activated(1);
  EXPECT_EQ(f->CmdInit_Edt->text().toStdString(), longKind);
  std::vector<std::string> fields = RegisterEnvironment(f);
  ASSERT_EQ(fields.size(), 22u);
  EXPECT_EQ(fields[ENV_MODEM_KIND], "L");
  EXPECT_EQ(fields[ENV_INIT_CMD], longKind);
  f->Ext_BitBtn->click();
}

}  // namespace
