// The load forms over UDP against the fake exchange under offscreen Qt: the
// fix dialog's hand-over, the progress texts, the memo, the result message,
// the labels taken from the selection form and the return to it.
#include <QApplication>
#include <QTextBlock>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <functional>
#include <optional>

#include "link/ui/Conn_Unit.h"
#include "link/ui/EnvNew_Form.h"
#include "link/ui/UserTimerTicks.h"
#include "orvo/OrvoForms.h"
#include "platform/ui/QtText.h"
#include "shell/Language_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "tests/transfer/LoadTestSupport.h"
#include "tests/transfer/ui/TransferFormFixture.h"
#include "transfer/ui/EFix_Unit.h"
#include "transfer/ui/FSel_Unit.h"
#include "transfer/ui/Load_Form.h"
#include "transfer/ui/SelectionHost.h"

namespace {

std::string Rec(int line, const std::string& code, const std::string& text) {
  return std::string(ErrLineLabel) + std::to_string(line) + "," + std::string(ErrCodeLabel) + code + "\r\n" +
         text + "\r\n";
}

class LoadForm : public udptest::LinkToFake {
 protected:
  void SetUp() override {
    LinkToFake::SetUp();
    UserTimer_InstallQtTicks();
    script.AttachTo(fake);
    ASSERT_EQ(LogIn("PW12"), LINK_OK);
    dir.Write("MSGDLG.DAT", "J5501=T,M5501,1,0\r\nJ5503=T,M5503,1,0\r\nJ9508=T,M9508,1,0\r\nJ7501=T,M7501,1,1\r\n");
    ProgramDir = dir.path();
    ControlFileName = dir.Write("CONTROL.DAT", WithCrLf(Sjis(kLoadControl)));
    Load_SetTiming({0, 0, 0, 0, 0, 5, 1});
    EthernetMode = 1;
    LinkTimeOutSec = 1;
    LinkRetryCount = 1;
    LineLost = 0;
    LoadFolder = dir.path();
    LoadFileName = "CMD.DAT";
    LoadRangeOn = 0;
    LoadFixErrors = 1;
    dir.Write("CMD.DAT", FileOf({"/S/", "0001=5;"}));
    Selection_Host().show = [this] { ++returned; };
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [this] { Answer(); });
    answer.start();
  }
  void TearDown() override {
    answer.stop();
    Selection_Host().show = nullptr;
    Load_SetTiming(LoadTiming{});
    EthernetMode = 0;
    LinkRetryCount = 2;
    ProgramDir.clear();
    LinkToFake::TearDown();
  }
  // The fix dialog gets the next edit (nullopt: OK with the line as offered;
  // none left: stop); a message is recorded and confirmed.
  void Answer() {
    QWidget* w = QApplication::activeModalWidget();
    if (!w || !w->isVisible()) return;
    if (auto* fix = qobject_cast<TEFix_Dlg*>(w)) {
      seen.push_back("fix " + FromQ(fix->Err_Lbl->text()).value_or("?") + " " +
                     FromQ(fix->Line_Edt->text()).value_or("?"));
      if (edits.empty()) {
        fix->Cancel_BitBtn->click();
      } else {
        if (edits.front()) fix->Line_Edt->setText(ToQ(*edits.front()));
        edits.erase(edits.begin());
        fix->Ok_BitBtn->click();
      }
    } else if (auto* c = qobject_cast<TConf_Dlg*>(w)) {
      seen.push_back(c->Msg_Lbl->text().toStdString());
      EXPECT_TRUE(c->Ok_BitBtn->isVisible()) << seen.back();
      c->Ok_BitBtn->click();
    }
  }
  bool WaitReturned(int ms = 10000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (returned == 0 && std::chrono::steady_clock::now() < end) {
      QApplication::processEvents();
      QThread::msleep(2);
    }
    return returned > 0;
  }
  static bool WaitUntil(const std::function<bool()>& done, int ms = 10000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done() && std::chrono::steady_clock::now() < end) {
      QApplication::processEvents();
      QThread::msleep(2);
    }
    return done();
  }

  FakeLoadScript script;
  TempDir dir;
  QTimer answer;
  std::vector<std::optional<std::string>> edits;
  std::vector<std::string> seen;
  int returned = 0;
};

TEST_F(LoadForm, FixedLineIsSentAndTheResultShown) {
  script.RefuseCode(":A000105", "E00001");
  edits = {"0001=6;"};
  LoadKind = 5;
  TLoad_Frm f;
  f.show();
  ASSERT_TRUE(WaitReturned());
  EXPECT_EQ(seen, (std::vector<std::string>{"fix E00001 0001=5;", "M5501"}));
  EXPECT_EQ(script.Pieces(), (std::vector<std::string>{"1:A000105", "1:A000106"}));
  EXPECT_EQ(f.Block_Lbl->text().toStdString(), "3/3(100%)");
  EXPECT_EQ(f.Comp_PrgBar->value(), 100);
  EXPECT_EQ(f.Err_Lbl->text().toStdString(), "1");
  EXPECT_EQ(f.Com_RMem->toPlainText().toStdString(), "/S/\n0001=5;\n0001=6;");
  EXPECT_EQ(f.Menu_GrpBox->title().toStdString(), "/S/");
  EXPECT_EQ(dir.Read("CONTROL.ERR"), Rec(2, "E00001", "0001=5;"));
  EXPECT_FALSE(f.isVisible());
  EXPECT_EQ(f.LastMessage(), "5501");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  // Cancel after the end changes nothing.
  f.Cancel_BitBtn->click();
  EXPECT_FALSE(f.Running());
}

TEST_F(LoadForm, StopInTheFixDialogOnTheTypeOneForm) {
  script.RefuseCode(":A000105", "E00002");
  LoadKind = 7;
  dir.Write("CMD.DAT", FileOf({"/S/", "0001=5;", "0002=6;"}));
  TLoadZNT_Frm f;
  f.show();
  ASSERT_TRUE(WaitReturned());
  EXPECT_EQ(seen, (std::vector<std::string>{"fix E00002 0001=5;", "M5501"}));
  EXPECT_EQ(script.Pieces(), (std::vector<std::string>{"1:A000105"})) << "nothing after the stop";
  EXPECT_EQ(dir.Read("CONTROL.ERR"), Rec(2, "E00002", "0001=5;"));
  EXPECT_EQ(fake.CountOf(0x42), 1) << "the session is still ended";
  EXPECT_EQ(f.windowTitle(), QString::fromUtf8("ロード"));
  // The data-type label of a command file names the file.
  EXPECT_EQ(FromQ(f.Data_Lbl->text()).value_or(""), std::string(DataKindNamesZNT[7]) + "[CMD.DAT]");
}

// A refused entry longer than the field ever was is offered whole, and OK
// with it unchanged sends and lists it whole again.
TEST_F(LoadForm, ALongEntryIsOfferedAndRetriedWhole) {
  ControlFileName = dir.Write("CONTROL.DAT", WithCrLf(Sjis(std::string(kLoadControl) +
                                                            "/T/ITEM;\nc99;NB=1(c=99);FMT=I1;\n\\N\n")));
  const std::string value(99, 'v');
  const std::string entry = "c99=" + value + ";";
  ASSERT_GT(entry.size(), 100u);
  dir.Write("CMD.DAT", FileOf({"/T/", entry}));
  script.RefuseCode(":99" + value, "E00007");
  edits = {std::nullopt};
  LoadKind = 5;
  TLoad_Frm f;
  f.show();
  ASSERT_TRUE(WaitReturned());
  EXPECT_EQ(seen, (std::vector<std::string>{"fix E00007 " + entry, "fix E00007 " + entry, "M5501"}));
  EXPECT_EQ(script.Pieces(), (std::vector<std::string>{"1:99" + value, "1:99" + value}));
  EXPECT_EQ(dir.Read("CONTROL.ERR"), Rec(2, "E00007", entry) + Rec(2, "E00007", entry));
}

// While a load runs, the close box is the form's Cancel: the form stays,
// nothing more is sent, and the load ends as cancelled.
TEST_F(LoadForm, TheCloseBoxCancelsARunningLoad) {
  LinkTimeOutSec = 60;
  LoadKind = 5;
  dir.Write("CMD.DAT", FileOf({"/S/", "0001=5;", "0002=6;"}));
  // The exchange holds its answer to the first line until the close is in.
  auto held = std::make_shared<std::atomic<int>>(0);  // 1 taken, 2 released
  script.OnTaken([held](const std::string&) {
    for (int i = 0; i < 5000 && held->exchange(1) != 2; ++i) QThread::msleep(2);
    *held = 2;
  });
  TLoad_Frm f;
  f.show();
  ASSERT_TRUE(WaitUntil([&] { return *held == 1; }));
  f.close();
  EXPECT_TRUE(f.isVisible());
  *held = 2;
  ASSERT_TRUE(WaitReturned());
  EXPECT_EQ(script.Pieces(), std::vector<std::string>{"1:A000105"});
}

// The progress of a load is its own: a load that stops at its pre-check
// shows none of the previous load's counters, bar or menu caption, and the
// memo keeps only its latest 18 lines without a history of what it dropped.
TEST_F(LoadForm, EachLoadShowsOnlyItsOwnProgress) {
  LoadKind = 5;
  std::vector<std::string> texts;
  for (int i = 1; i <= 40; ++i) texts.push_back("0001=" + std::to_string(i % 10) + ";");
  std::string file = Sjis("/S/") + "\r\n";
  for (const std::string& t : texts) file += t + "\r\n";
  dir.Write("CMD.DAT", file);
  TLoad_Frm f;
  f.show();
  ASSERT_TRUE(WaitReturned());
  EXPECT_EQ(f.Block_Lbl->text().toStdString(), "41/41(100%)");
  EXPECT_EQ(f.Comp_PrgBar->value(), 100);
  EXPECT_EQ(f.Menu_GrpBox->title().toStdString(), "/S/");
  QTextDocument* memo = f.Com_RMem->document();
  EXPECT_EQ(memo->blockCount(), 18);
  EXPECT_EQ(memo->lastBlock().text().toStdString(), texts.back());
  EXPECT_EQ(memo->availableUndoSteps(), 0) << "no line is kept after it left the memo";

  dir.Write("CMD.DAT", FileOf({"/S/", "0001=AB;"}));
  seen.clear();
  returned = 0;
  f.show();
  ASSERT_TRUE(WaitReturned());
  EXPECT_EQ(seen, std::vector<std::string>{"M9508"});
  EXPECT_EQ(f.Block_Lbl->text(), "");
  EXPECT_EQ(f.Comp_PrgBar->value(), 0);
  EXPECT_EQ(f.Menu_GrpBox->title(), "");
  EXPECT_EQ(f.Err_Lbl->text(), "");
  EXPECT_TRUE(f.Com_RMem->toPlainText().isEmpty());
}

// Started from the selection form of either system type, the load form
// shows that form's user label and the data kind with the chosen part's
// name or command file in brackets, whole however narrow the list shows it.
constexpr const char* kLongPart = "キー設定（全内線の多機能キーと外線キーの割付けを一度に書き込む）";

class LoadFromSelection : public LoadForm {
 protected:
  void SetUp() override {
    LoadForm::SetUp();
    Main_SetProgramFolder(dir.path());
    main = new TMain_Frm();
    OrvoForms_CreateSecond();
    main->show();
    dir.Write("data/CONTROL.DAT", WithCrLf(Sjis("@" + std::string(kLongPart) + ";M01\n" + kLoadControl)));
    dir.Write("data/USER.INF", Sjis("見本販売店") + "\r\n");
    dir.Write("data/M01.DAT", FileOf({"/S/", "0001=5;"}));
    dir.Write("data/Job.CMD", FileOf({"/S/", "0002=6;"}));
    dir.Write("ENVIRON.DAT",
              dir.path() + "data/CONTROL.DAT," + dir.path() + "data,a,b,c,d,e,f,g,h,i,j,k,l,m,n,o\r\n");
  }
  void TearDown() override {
    CloseMainWindow(main);
    SystemType = 0;
    Global_FillDataKinds(0);
    LoadForm::TearDown();
  }
  // Loads the sub-row of the kind row that names kind; the load form's
  // user and data-type labels as they were shown.
  std::pair<QString, QString> LoadThrough(TFSel_Frm* sel, int kind, TTabListBox* sub, QString& shown) {
    main->Load_BitBtnClick();
    EXPECT_TRUE(sel->isVisible());
    int row = -1;
    for (int i = 0; i < static_cast<int>(sel->RowKind.size()); ++i)
      if (sel->RowKind[static_cast<size_t>(i)] == kind) row = i;
    if (row < 0) return {};
    sel->Dsyu_OTabLstBox->setCurrentRow(row);
    sub->setCurrentRow(0);
    shown = sub->item(0)->text().section('\t', 0, 0);
    sel->Def_BitBtn->click();
    TLoad_Frm* f = SystemType == 1 ? static_cast<TLoad_Frm*>(LoadZNT_Frm) : Load_Frm;
    EXPECT_TRUE(WaitUntil([&] { return !f->Running() && sel->isVisible(); }));
    return {f->User_Lbl->text(), f->Data_Lbl->text()};
  }
  TMain_Frm* main = nullptr;
};

TEST_F(LoadFromSelection, UserAndDataTypeOfBothSystemTypes) {
  SystemType = 0;
  Global_FillDataKinds(0);
  QString shown;
  auto [user, data] = LoadThrough(FSel_Frm, 4, FSel_Frm->Prg_OTabLstBox, shown);
  EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << "the list cuts the part's name";
  EXPECT_EQ(user, QString::fromUtf8("見本販売店"));
  EXPECT_EQ(data, ToQ(std::string(DataKindNames[4])) + "[" + QString::fromUtf8(kLongPart) + "]");
  EXPECT_EQ(LoadFileName, "M01.DAT");
  EXPECT_EQ(seen, (std::vector<std::string>{"M7501", "M5501"}));
  FSel_Frm->Exit_BitBtn->click();

  SystemType = 1;
  Global_FillDataKinds(1);
  seen.clear();
  std::tie(user, data) = LoadThrough(FSelZNT_Frm, 7, FSelZNT_Frm->Com_OTabLstBox, shown);
  EXPECT_EQ(user, QString::fromUtf8("見本販売店"));
  EXPECT_EQ(data, ToQ(std::string(DataKindNamesZNT[7])) + "[Job]");
  EXPECT_EQ(seen, (std::vector<std::string>{"M7501", "M5501"}));
  EXPECT_EQ(script.Pieces(), (std::vector<std::string>{"0:A000105", "1:A000206"}));
  FSelZNT_Frm->Exit_BitBtn->click();
}

}  // namespace
