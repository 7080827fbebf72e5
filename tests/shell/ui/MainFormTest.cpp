#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTest>

#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/ComDlg_Unit.h"
#include "shell/orvo/Common_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "tests/support/CupsPdf.h"
#include "tests/support/TempDir.h"
#include "tests/support/ui/ModalHelper.h"
#include "tests/support/ui/NoPrinter.h"

namespace {

class MainForm : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("MSGDLG.DAT", SjisLines({"J7101=回線切断,切断しますか？,1,1",
                                       "J7102=終了,終了しますか？,1,1",
                                       "J9026=エラー,設定が不正です。,1,0",
                                       "J9091=エラー,プリンタがありません。,1,0"}));
    Main_SetProgramFolder(dir.path());
    TMain_Frm::Hooks() = {};
    form = new TMain_Frm();
  }
  void TearDown() override {
    delete form;
    TMain_Frm::Hooks() = {};
  }
  TempDir dir;
  TMain_Frm* form = nullptr;
};

std::vector<bool> States(TMain_Frm* f) {
  return {f->Conn_BitBtn->isEnabled(), f->Disc_BitBtn->isEnabled(), f->Tel_BitBtn->isEnabled(),
          f->Save_BitBtn->isEnabled(), f->Load_BitBtn->isEnabled(), f->Edit_BitBtn->isEnabled(),
          f->Spd_BitBtn->isEnabled(),  f->Dump_BitBtn->isEnabled(), f->Env_BitBtn->isEnabled(),
          f->Prn_BitBtn->isEnabled(),  f->End_BitBtn->isEnabled(),  f->KTel_BitBtn->isEnabled()};
}

TEST(MainFormStart, DeletesLeftOverWorkFilesOfItsFolderOnly) {
  TempDir d;
  d.Write("Icx1A.tmp", "");
  d.Write("DBS00FF.TMP", "");
  d.Write("G_P0001.TMP", "");
  d.Write("sub/Icx2.tmp", "");
  ASSERT_EQ(::chmod(d.Write("LER2024.TMP", "").c_str(), 0444), 0);  // no program's name
  Main_SetProgramFolder(d.path());
  TMain_Frm f;
  EXPECT_EQ(ProgramDir, d.path());
  EXPECT_FALSE(d.Exists("Icx1A.tmp"));
  EXPECT_FALSE(d.Exists("DBS00FF.TMP"));
  EXPECT_TRUE(d.Exists("G_P0001.TMP"));
  EXPECT_TRUE(d.Exists("sub/Icx2.tmp"));
  EXPECT_TRUE(d.Exists("LER2024.TMP"));
}

TEST_F(MainForm, StartsDisconnectedWithItsCaptions) {
  EXPECT_EQ(States(form), (std::vector<bool>{true, false, false, false, false, true, true, true,
                                             true, true, true, true}));
  EXPECT_EQ(form->Conn_BitBtn->text(), U8("回線接続"));
  EXPECT_EQ(form->KTel_BitBtn->text(), U8("漢字電話機電話帳"));
  EXPECT_EQ(form->End_BitBtn->text(), U8("システム終了"));
  EXPECT_EQ(form->Main_StsBar->currentMessage(), U8("回線は切断されています。"));
  EXPECT_EQ(DisconnectedText, Sjis("回線は切断されています。"));
  EXPECT_EQ(PrintProgressCaption, Sjis("印刷中"));
  EXPECT_EQ(form->width(), 633);
  EXPECT_EQ(form->height(), 453);
}

TEST_F(MainForm, ShowingFillsTheDataKindTable) {
  SystemType = 1;
  DataFileName.fill("");
  form->show();
  QCoreApplication::processEvents();
  EXPECT_EQ(DataFileName[2], "SdIdCard.DAT");
  EXPECT_FALSE(form->windowTitle().isEmpty());
  SystemType = 0;
}

TEST_F(MainForm, ButtonStatesFollowTheConnection) {
  form->Main_StsBar->showMessage("connected");
  Common_SetConnected();
  EXPECT_EQ(States(form), (std::vector<bool>{false, true, true, true, true, true, true, true,
                                             false, true, false, true}));
  EXPECT_EQ(form->Main_StsBar->currentMessage(), QString("connected"));  // unchanged
  form->SB_GB->hide();
  Common_SetDisconnected();
  EXPECT_TRUE(form->SB_GB->isHidden());  // neither routine touches the group
  EXPECT_EQ(form->Main_StsBar->currentMessage(), U8("回線は切断されています。"));
}

TEST_F(MainForm, SubformOpensBelowTheTopAndReturnFocusesTheButton) {
  form->show();
  QWidget sub;
  sub.resize(200, 100);
  TMain_Frm::Hooks().environment = [&sub](TMain_Frm* m) { m->OpenSubform(&sub); };
  form->Env_BitBtn->click();
  EXPECT_EQ(LastButton, form->Env_BitBtn);
  EXPECT_TRUE(sub.isVisible());
  EXPECT_TRUE(form->SB_GB->isHidden());
  EXPECT_EQ(sub.pos(), QPoint(form->frameGeometry().left(), form->frameGeometry().top() + 20));
  sub.hide();
  Common_ReturnToMain();
  EXPECT_FALSE(form->SB_GB->isHidden());

  // A button disabled meanwhile does not get the focus.
  form->Env_BitBtn->click();
  Common_SetConnected();
  form->Conn_BitBtn->setFocus();
  Common_ReturnToMain();
  EXPECT_FALSE(form->Env_BitBtn->hasFocus());
}

TEST_F(MainForm, FailedPrecheckShowsItsNumberAndOpensNothing) {
  form->show();
  QWidget sub;
  QString shown;
  TMain_Frm::Hooks().connect = [&sub](TMain_Frm* m) { m->OpenSubform(&sub, [] { return 9026; }); };
  WhenModal([&shown](QDialog* d) {
    shown = d->windowTitle();
    d->done(1);
  });
  form->Conn_BitBtn->click();
  EXPECT_EQ(shown, U8("エラー"));
  EXPECT_FALSE(sub.isVisible());
  EXPECT_FALSE(form->SB_GB->isHidden());
  EXPECT_EQ(LastButton, form->Conn_BitBtn);
}

TEST_F(MainForm, OperationButtonsSetTheirKindFirst) {
  int seen = -1;
  TMain_Frm::Hooks().load = [&seen](TMain_Frm*) { seen = OperationKind; };
  TMain_Frm::Hooks().speedDial = [&seen](TMain_Frm*) { seen = OperationKind; };
  Common_SetConnected();
  SelectionReturn = 1;
  form->Load_BitBtn->click();
  EXPECT_EQ(seen, 1);
  EXPECT_EQ(SelectionReturn, 0);
  form->Spd_BitBtn->click();
  EXPECT_EQ(seen, 2);
  DumpMode = 0;
  form->Dump_BitBtn->click();
  EXPECT_EQ(DumpMode, 1);
}

TEST_F(MainForm, CancelledDisconnectAndEndChangeNothing) {
  form->show();
  bool closed = false;
  TMain_Frm::Hooks().disconnect = [&closed](TMain_Frm*) { closed = true; };
  Common_SetConnected();
  WhenModal([](QDialog* d) { d->done(2); });
  form->Disc_BitBtn->click();
  EXPECT_FALSE(closed);
  EXPECT_TRUE(form->Disc_BitBtn->isEnabled());

  WhenModal([](QDialog* d) { d->done(1); });
  form->Disc_BitBtn->click();
  EXPECT_TRUE(closed);
  EXPECT_TRUE(form->Conn_BitBtn->isEnabled());
  EXPECT_FALSE(form->Disc_BitBtn->isEnabled());
  EXPECT_TRUE(form->isEnabled());

  WhenModal([](QDialog* d) { d->done(2); });
  form->End_BitBtn->click();
  EXPECT_TRUE(form->isVisible());
  // The close box does nothing either.
  form->close();
  EXPECT_TRUE(form->isVisible());
  WhenModal([](QDialog* d) { d->done(1); });
  form->End_BitBtn->click();
  EXPECT_FALSE(form->isVisible());
}

TEST_F(MainForm, DisconnectNoticeClosesTheLinkAndShowsTheLostLine) {
  int notices = 0;
  TMain_Frm::Hooks().disconnectNotice = [&notices] { ++notices; };
  Common_SetConnected();
  QCoreApplication::postEvent(form, new QEvent(static_cast<QEvent::Type>(QEvent::User + 204)));
  QCoreApplication::processEvents();
  EXPECT_EQ(notices, 1);
  EXPECT_TRUE(form->Conn_BitBtn->isEnabled());
  EXPECT_FALSE(form->Disc_BitBtn->isEnabled());

  // With a subform open, that form notices the lost line itself.
  Common_SetConnected();
  form->SB_GB->hide();
  QCoreApplication::postEvent(form, new QEvent(static_cast<QEvent::Type>(QEvent::User + 204)));
  QCoreApplication::processEvents();
  EXPECT_EQ(notices, 2);
  EXPECT_TRUE(form->Disc_BitBtn->isEnabled());
}

// The printer setup's button: the title of the dialog it showed and, for a
// message, its text.
struct PrinterSetupShown {
  QString title, message;
};
PrinterSetupShown PressPrinterSetup(TMain_Frm* form) {
  PrinterSetupShown shown;
  WhenModal([&shown](QDialog* d) {
    shown.title = d->windowTitle();
    if (auto* c = dynamic_cast<TConf_Dlg*>(d)) shown.message = c->Msg_Lbl->text();
    d->done(0);
  });
  LastButton = form->Env_BitBtn;
  form->Prn_BitBtn->click();
  EXPECT_EQ(LastButton, form->Env_BitBtn);  // no subform: the last one stays
  return shown;
}

TEST_F(MainForm, PrinterSetupWithNoPrinterReachableShowsItsMessage) {
  {
    NoPrinter none;
    const PrinterSetupShown shown = PressPrinterSetup(form);
    EXPECT_EQ(shown.message, U8("プリンタがありません。"));
  }
  // A server that takes the connection and never answers knows no printer
  // within seconds, not after the print system's minute.
  cupspdf::NoScheduler silent(cupspdf::NoScheduler::kSilent);
  QElapsedTimer took;
  took.start();
  const PrinterSetupShown shown = PressPrinterSetup(form);
  EXPECT_LT(took.elapsed(), 20000);
  EXPECT_EQ(shown.message, U8("プリンタがありません。"));
}

TEST_F(MainForm, PrinterSetupWithTheDefaultPrinterOpensTheSetupDialog) {
  if (cupspdf::DefaultPrinter().empty()) GTEST_SKIP() << "no default printer (the test command sets one up)";
  const PrinterSetupShown shown = PressPrinterSetup(form);
  EXPECT_EQ(shown.title, U8("プリンタの設定"));
  EXPECT_TRUE(shown.message.isEmpty());
}

}  // namespace

#include "orvo/ORVO_Main.h"

namespace {

TEST(Startup, BadSystemTypeShowsItsMessageAndEnds) {
  for (const char* content : {"3\r\n", "-1", "word", ""}) {
    TempDir d;
    d.Write("Orvo.Inf", content);
    d.Write("MSGDLG.DAT", SjisLines({"J0501=エラー,システム種別が読めません。,1,0"}));
    Main_SetProgramFolder(d.path());
    QString shown;
    WhenModal([&shown](QDialog* dlg) {
      shown = static_cast<TConf_Dlg*>(dlg)->Msg_Lbl->text();
      dlg->done(1);
    });
    EXPECT_FALSE(ORVO_CreateForms()) << content;
    EXPECT_EQ(shown, U8("システム種別が読めません。"));
    EXPECT_FALSE(Main_Frm->isVisible());
    delete Main_Frm;
  }
}

TEST(Startup, TypeTwoStartsAsTypeZero) {
  TempDir d;
  d.Write("Orvo.Inf", "2\r\n");
  Main_SetProgramFolder(d.path());
  EXPECT_TRUE(ORVO_CreateForms());
  EXPECT_EQ(SystemType, 0);
  delete Main_Frm;
}

}  // namespace
