#include <QTest>
#include <filesystem>

#include "shell/ui/FSelBox_Form.h"
#include "tests/support/ui/ModalHelper.h"
#include "tests/support/ui/PathShown.h"
#include "tests/link/ui/FormFixture.h"

namespace {

std::string Defaults(const std::string& d) {
  return d + "CONTROL.DAT," + d.substr(0, d.size() - 1) + "," + d +
         "ScreenFiles,1,1,1,1,10,,10,10,10,,ATD,,+++,ATH,1,03,02,11000,0\r\n";
}

class EnvForm : public LinkForms {};

TEST_F(EnvForm, OpensFromTheMainWindowWithTheDefaultsAndStoresThem) {
  main->Env_BitBtn->click();
  TEnv_Frm* f = Env_Frm;
  ASSERT_TRUE(f->isVisible());
  EXPECT_FALSE(main->SB_GB->isVisible());
  EXPECT_EQ(f->geometry().left(), main->geometry().left());
  EXPECT_EQ(f->height(), main->height() - main->Main_StsBar->height() - 20);
  EXPECT_EQ(f->CtlFileName_Lbl->text().toStdString(), dir.path() + "CONTROL.DAT");
  EXPECT_EQ(f->Connect_TCtl->currentIndex(), 1);
  EXPECT_TRUE(f->Ether_GrpBox->isVisible());
  EXPECT_FALSE(f->ComSet_GrpBox->isVisible());
  EXPECT_FALSE(f->AT_ChkBox->isVisible());
  EXPECT_FALSE(f->HelpBitBtn->isVisible());
  EXPECT_EQ(f->CmdDial1_Edt->text(), "ATD");
  EXPECT_EQ(f->TOut_SEdt->value(), 3);

  {
    DialogScript none;
    f->Reg_BitBtn->click();
    EXPECT_TRUE(none.Shown().empty());
    EXPECT_EQ(dir.Read("ENVIRON.DAT"), Defaults(dir.path()));
    EXPECT_EQ(dir.Read("USER.INF"), "\r\n");
  }
  // Both files exist now: each overwrite is asked for; Cancel stops.
  f->UsrName_Edt->setText(U8("販売店"));
  {
    DialogScript cancel;
    cancel.Then(1).Then(2);
    f->Reg_BitBtn->click();
    EXPECT_EQ(cancel.Shown(), (std::vector<std::string>{"M7006", "M7007"}));
    EXPECT_EQ(dir.Read("USER.INF"), "\r\n");
  }
  {
    DialogScript ok;
    ok.Then(1).Then(1);
    f->Reg_BitBtn->click();
    EXPECT_EQ(ok.Shown(), (std::vector<std::string>{"M7006", "M7007"}));
    EXPECT_EQ(dir.Read("USER.INF"), Sjis("販売店") + "\r\n");
  }

  // Closing from the title bar is refused; the back button returns.
  f->close();
  EXPECT_TRUE(f->isVisible());
  f->Ext_BitBtn->click();
  EXPECT_FALSE(f->isVisible());
  EXPECT_TRUE(main->SB_GB->isVisible());
}

TEST_F(EnvForm, ShowsTheFileAndFillsCommandsOnlyFromTheUsersChoice) {
  dir.Write("data/USER.INF", Sjis("山田") + "\r\n");
  dir.Write("ENVIRON.DAT", "/c.dat," + dir.path() + "data,/s,0,9,0,0,05,B,20,30,40,AT&F|E1,ATD,,+++,ATH,0,07,01,11000,1024\r\n");
  dir.Write("MODEM.INF", "A,ATZ,ATD,,+++,ATH\r\nB,ATB,ATD,ATX,+++,ATH0\r\n");
  dir.Write("ENVIRONMENT.HLP", "help\r\n");
  main->Env_BitBtn->click();
  TEnv_Frm* f = Env_Frm;
  EXPECT_EQ(f->UsrName_Edt->text(), U8("山田"));
  EXPECT_EQ(f->ComPort_CmbBox->currentIndex(), -1);  // port "9" selects none
  EXPECT_FALSE(f->AT_ChkBox->isChecked());
  EXPECT_FALSE(f->Public_ChkBox->isChecked());
  EXPECT_FALSE(f->Cmd_GrpBox->isVisible());
  EXPECT_TRUE(f->ComSet_GrpBox->isVisible());
  EXPECT_TRUE(f->HelpBitBtn->isVisible());
  EXPECT_EQ(f->HelpBitBtn->HelpFile, dir.path() + "ENVIRONMENT.HLP");  // found whatever its case
  EXPECT_EQ(f->Modem_CmbBox->currentIndex(), 1);
  EXPECT_EQ(f->CmdInit_Edt->text(), "AT&F,E1");  // the file's command, not kind B's

  f->Public_ChkBox->click();
  EXPECT_TRUE(f->Cmd_GrpBox->isVisible());
  f->Connect_TCtl->setCurrentIndex(1);
  EXPECT_FALSE(f->ComSet_GrpBox->isVisible());
  f->Connect_TCtl->setCurrentIndex(0);
  EXPECT_TRUE(f->ComSet_GrpBox->isVisible());

  f->Modem_CmbBox->setCurrentIndex(0);
  EXPECT_EQ(f->CmdInit_Edt->text(), "AT&F,E1");  // not by itself
  emit f->Modem_CmbBox->activated(0);
  EXPECT_EQ(f->CmdInit_Edt->text(), "ATZ");
  EXPECT_EQ(f->CmdEnd2_Edt->text(), "ATH");
  f->Modem_CmbBoxChange(-1);
  EXPECT_EQ(f->CmdDial1_Edt->text(), "ATD");
  EXPECT_EQ(f->CmdInit_Edt->text(), "");
  emit f->Modem_CmbBox->activated(0);

  f->CmdInit_Edt->setText("AT&F,E1");
  std::vector<std::string> fields = RegisterEnvironment(f);
  ASSERT_EQ(fields.size(), 22u);
  EXPECT_EQ(fields[ENV_COM_PORT], "0");
  EXPECT_EQ(fields[ENV_RCV_TIMEOUT], "05");
  EXPECT_EQ(fields[ENV_MODEM_KIND], "A");
  EXPECT_EQ(fields[ENV_INIT_CMD], "AT&F|E1");
  EXPECT_EQ(fields[ENV_MEDIUM], "0");
  EXPECT_EQ(fields[ENV_UDP_OWN_PORT], "1024");
  f->Ext_BitBtn->click();
}

TEST_F(EnvForm, KeyFiltersAndRefusedStores) {
  main->Env_BitBtn->click();
  TEnv_Frm* f = Env_Frm;
  f->Connect_TCtl->setCurrentIndex(0);
  f->CmdInit_Edt->clear();
  QTest::keyClicks(f->CmdInit_Edt, "AT|Z");
  EXPECT_EQ(f->CmdInit_Edt->text(), "ATZ");
  f->CmdDial2_Edt->clear();
  QTest::keyClicks(f->CmdDial2_Edt, "AT");
  f->CmdDial2_Edt->insert(U8("é"));  // pasted or from an input method
  f->CmdDial2_Edt->insert(U8("\t"));
  QTest::keyClicks(f->CmdDial2_Edt, "12345678901");
  EXPECT_EQ(f->CmdDial2_Edt->text(), "AT12345678");
  f->Connect_TCtl->setCurrentIndex(1);
  f->Port_Edt->clear();
  QTest::keyClicks(f->Port_Edt, "12a34567");
  EXPECT_EQ(f->Port_Edt->text(), "12345");
  f->UsrName_Edt->clear();
  QTest::keyClicks(f->UsrName_Edt, QString(70, 'n'));
  EXPECT_EQ(f->UsrName_Edt->text().size(), 64);
  f->UsrName_Edt->setText(QString(31, QChar(0x540D)));  // 62 bytes in CP932
  f->UsrName_Edt->insert(U8("名"));
  EXPECT_EQ(f->UsrName_Edt->text().size(), 32);
  f->UsrName_Edt->insert(U8("名"));
  EXPECT_EQ(f->UsrName_Edt->text().size(), 32);
  f->UsrName_Edt->setText("x");
  f->UsrName_Edt->insert(U8("😀"));  // no CP932 form
  EXPECT_EQ(f->UsrName_Edt->text(), "x");

  auto refused = [&](const char* expected) {
    DialogScript s;
    s.Then(1);
    f->Reg_BitBtn->click();
    EXPECT_EQ(s.Shown(), std::vector<std::string>{expected});
    EXPECT_FALSE(dir.Exists("ENVIRON.DAT"));
  };
  f->Port_Edt->setText("80");
  refused("M0005");
  f->Port_Edt->setText("0");
  f->CmdDial1_Edt->setText("atdt");
  refused("M0003");
  f->CmdDial1_Edt->setText("ATD");
  // A byte of a damaged file that did not decode is not stored as something else.
  f->CmdInit_Edt->setText(U8("AT\uFFFD"));
  refused("M0006");
  f->CmdInit_Edt->setText("ATZ");
  f->DataSet_Lbl->setText("/a,b");
  refused("M0006");
  f->Ext_BitBtn->click();
}

TEST_F(EnvForm, PickersTakeUsableChoicesAndTheUserName) {
  dir.Write("other/user.inf", "other user\r\n");
  dir.Write("ctl/MY.DAT", "x");
  main->Env_BitBtn->click();
  TEnv_Frm* f = Env_Frm;
  PathPickRequest seen;
  QString answer;
  SetPathPicker([&](QWidget*, PathPickRequest& r) {
    seen = r;
    if (answer.isEmpty()) return 2;
    (r.dirSelect ? r.path : r.fileName) = answer;
    return 1;
  });
  answer = QString::fromStdString(dir.path() + "other");
  f->DataSet_BitBtnClick();
  EXPECT_TRUE(seen.dirSelect);
  EXPECT_EQ(f->DataSet_Lbl->text(), answer);
  EXPECT_EQ(f->UsrName_Edt->text(), "other user");
  answer = QString::fromStdString(dir.path());
  f->DataSet_BitBtnClick();
  EXPECT_EQ(f->UsrName_Edt->text(), "");  // no USER.INF there
  // A deep folder keeps its own name in sight; the form keeps it whole.
  const std::string deep = dir.path() + DeepFolder("deep");
  ASSERT_TRUE(std::filesystem::create_directories(deep));
  answer = QString::fromStdString(deep);
  f->DataSet_BitBtnClick();
  EXPECT_TRUE(PathCut(f->DataSet_Lbl, answer));
  answer.clear();
  f->DataSet_BitBtnClick();
  EXPECT_EQ(seen.path, QString::fromStdString(deep)) << "the picker starts in the whole folder";

  // A shown control file that exists is preselected.
  f->CtlFileName_Lbl->setText(QString::fromStdString(dir.path() + "ctl/MY.DAT"));
  answer.clear();
  f->CtlFile_BitBtnClick();
  EXPECT_FALSE(seen.dirSelect);
  EXPECT_EQ(seen.fileName.toStdString(), dir.path() + "ctl/MY.DAT");
  EXPECT_EQ(seen.path.toStdString(), dir.path() + "ctl");

  // A folder with a comma is refused and the shown one stays.
  answer = "/x,y";
  DialogScript s;
  s.Then(1);
  f->ScrFile_BitBtnClick();
  EXPECT_EQ(s.Shown(), std::vector<std::string>{"M0006"});
  EXPECT_EQ(f->ScrFileName_Lbl->text().toStdString(), dir.path() + "ScreenFiles");
  f->Ext_BitBtn->click();
}

TEST_F(EnvForm, ChoicesGoThroughTheSharedPicker) {
  dir.Write("ctl/MY.DAT", "x");
  main->Env_BitBtn->click();
  TEnv_Frm* f = Env_Frm;
  std::string started;
  WhenModal([&](QDialog* d) {
    auto* p = qobject_cast<TFSel_Dlg*>(d);
    ASSERT_NE(p, nullptr);
    started = p->Directory();
    p->SelectFile("MY.DAT");
    p->Ok_BitBtn->click();
  });
  f->CtlFileName_Lbl->setText(QString::fromStdString(dir.path() + "ctl/MY.DAT"));
  f->CtlFile_BitBtnClick();
  EXPECT_EQ(started, dir.path() + "ctl");
  EXPECT_EQ(f->CtlFileName_Lbl->text().toStdString(), dir.path() + "ctl/MY.DAT");

  WhenModal([](QDialog* d) { d->done(2); });
  f->ScrFile_BitBtnClick();
  EXPECT_EQ(f->ScrFileName_Lbl->text().toStdString(), dir.path() + "ScreenFiles");
  f->Ext_BitBtn->click();
}

}  // namespace
