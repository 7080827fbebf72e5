// The telephone image from the main window's button, against the fake
// exchange over UDP and over a pseudo-terminal: display lines on the form,
// keys from buttons and the keyboard, dumps to a file and to a PDF printer,
// the output switch during a dump, refused and lost lines, and the close.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <QKeyEvent>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTest>
#include <QTimer>

#include "link/Comm_Unit.h"
#include "link/ConnLogin.h"
#include "link/ConnRealLinks.h"
#include "link/UDP_Unit.h"
#include "link/UserTimerUnit.h"
#include "link/ui/Conn_Unit.h"
#include "link/ui/EnvNew_Form.h"
#include "link/ui/UserTimerTicks.h"
#include "orvo/OrvoForms.h"
#include "phone/ui/TelKeyMap.h"
#include "phone/ui/Tel_Unit.h"
#include "platform/ui/QtText.h"
#include "shell/Asc_Kan.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/Common_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/FInpBox_Form.h"
#include "shell/ui/Printer.h"
#include "tests/exchange/FakeSerial.h"
#include "tests/exchange/FakeTelephone.h"
#include "tests/exchange/FakeUdp.h"
#include "tests/link/ui/DialogScript.h"
#include "tests/support/ui/NoPrinter.h"
#include "tests/support/CupsPdf.h"
#include "tests/support/ui/ModalHelper.h"
#include "tests/support/ui/PathShown.h"
#include "tests/support/TempDir.h"

namespace {

std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

QString Disp(const std::string& ascii) {
  std::string t = ascii;
  t.resize(16, ' ');
  return ToQ(FullWidth_Convert(t));
}

std::string ReadAll(const std::string& path) {
  std::string s;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return s;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  std::fclose(f);
  return s;
}

}  // namespace

TEST(TelKeys, KeyboardTable) {
  using M = Qt::KeyboardModifier;
  const Qt::KeyboardModifiers none = Qt::NoModifier, shift = M::ShiftModifier, ctrl = M::ControlModifier,
                              alt = M::AltModifier, pad = M::KeypadModifier;
  struct Row {
    int key;
    Qt::KeyboardModifiers mods;
    int code;
    unsigned scan = 0;
  };
  const Row rows[] = {
      {Qt::Key_Backspace, none, 0x08},        {Qt::Key_Escape, none, 0x0A},
      {Qt::Key_PageUp, none, 0x18},           {Qt::Key_PageDown, none, 0x19},
      {Qt::Key_0, none, '0'},                 {Qt::Key_9, none, '9'},
      {Qt::Key_7, pad, '7'},                  {Qt::Key_Asterisk, pad, '*'},
      {Qt::Key_F1, none, 'a'},                {Qt::Key_F8, none, 'h'},
      {Qt::Key_F9, none, TEL_KEY_NONE},       {Qt::Key_F11, none, TEL_KEY_NONE},
      {Qt::Key_F12, none, 0x1E},              {Qt::Key_F10, none, TEL_KEY_SWALLOWED},
      {Qt::Key_F10, shift | ctrl, TEL_KEY_SWALLOWED}, {Qt::Key_Alt, alt, TEL_KEY_SWALLOWED},
      {Qt::Key_Alt, alt | shift, TEL_KEY_NONE},
      {Qt::Key_Backspace, shift, 0x09},       {Qt::Key_Return, shift, 0x0D},
      {Qt::Key_Enter, shift | pad, 0x0D},     {Qt::Key_Escape, shift, 0x1F},
      {Qt::Key_PageUp, shift, 0x0E},          {Qt::Key_PageDown, shift, 0x0F},
      {Qt::Key_NumberSign, shift, '#'},       {Qt::Key_Asterisk, shift, '*'},
      {Qt::Key_Asterisk, none, TEL_KEY_NONE}, {Qt::Key_Return, none, TEL_KEY_NONE},
      {Qt::Key_1, ctrl, 0x91},                {Qt::Key_9, ctrl | pad, 0x99},
      {Qt::Key_0, ctrl, 0x9A},                {Qt::Key_0, ctrl | pad, 0x9A},
      {Qt::Key_A, ctrl, TEL_KEY_NONE},        {Qt::Key_Space, none, TEL_KEY_NONE},
      // Ctrl+Shift and Alt use the plain table: the digit row sends digits,
      // also when the modifier made a symbol of it.
      {Qt::Key_1, ctrl | shift, '1'},         {Qt::Key_Exclam, ctrl | shift, '1', 10},
      {Qt::Key_1, alt, '1'},                  {Qt::Key_Backspace, ctrl | shift, 0x08},
      {Qt::Key_Exclam, shift, TEL_KEY_NONE, 10},
  };
  for (const Row& r : rows)
    EXPECT_EQ(Tel_KeyCodeFor(r.key, r.mods, r.scan), r.code) << std::hex << r.key << " " << r.mods.toInt();
}

// The same keys on a Japanese and on a US layout, as X11 delivers them:
// the key's position (native key code), the key symbol and the text that
// the layout makes of it with Shift held.
TEST(TelKeys, ShiftKeysByPositionOnBothLayouts) {
  struct Press {
    const char* what;
    unsigned scan, keysym;
    int key;
    const char* text;
    int code;
  };
  const Press presses[] = {
      // Japanese layout: ":*" right of ";+", Shift+8 is "(".
      {"JP Shift+:", 48, 0x2a, Qt::Key_Asterisk, "*", '*'},
      {"JP Shift+;", 47, 0x2b, Qt::Key_Plus, "+", TEL_KEY_NONE},
      {"JP Shift+8", 17, 0x28, Qt::Key_ParenLeft, "(", TEL_KEY_NONE},
      {"JP Shift+3", 12, 0x23, Qt::Key_NumberSign, "#", '#'},
      {"JP Shift+1", 10, 0x21, Qt::Key_Exclam, "!", TEL_KEY_NONE},
      // US layout: the ":" key is ";", Shift+8 is "*".
      {"US Shift+;", 47, 0x3a, Qt::Key_Colon, ":", '*'},
      {"US Shift+'", 48, 0x22, Qt::Key_QuoteDbl, "\"", TEL_KEY_NONE},
      {"US Shift+8", 17, 0x2a, Qt::Key_Asterisk, "*", TEL_KEY_NONE},
      {"US Shift+3", 12, 0x23, Qt::Key_NumberSign, "#", '#'},
      // A layout whose Shift+3 types another symbol still sends "#".
      {"DE Shift+3", 12, 0xa7, Qt::Key_section, "\u00a7", '#'},
      // The numeric pad's "*" with Shift has no entry.
      {"pad Shift+*", 63, 0x2a, Qt::Key_Asterisk, "*", TEL_KEY_NONE},
  };
  for (const Press& p : presses) {
    Qt::KeyboardModifiers mods = Qt::ShiftModifier;
    if (p.scan == 63) mods |= Qt::KeypadModifier;
    QKeyEvent e(QEvent::KeyPress, p.key, mods, p.scan, p.keysym, 0x1, QString::fromUtf8(p.text));
    EXPECT_EQ(Tel_KeyCodeFor(e.key(), e.modifiers(), e.nativeScanCode()), p.code) << p.what;
  }
  // Without Shift the Japanese ":" key sends nothing; the digits go by
  // their place too (an AZERTY "1" key types "&").
  EXPECT_EQ(Tel_KeyCodeFor(Qt::Key_Colon, Qt::NoModifier, 48), TEL_KEY_NONE);
  EXPECT_EQ(Tel_KeyCodeFor(Qt::Key_Ampersand, Qt::NoModifier, 10), '1');
  EXPECT_EQ(Tel_KeyCodeFor(Qt::Key_1, Qt::NoModifier, 10), '1');
}

namespace {

// MSGDLG.DAT whose texts are the numbers themselves.
std::string Messages() {
  std::string s;
  for (const char* n : {"5301", "5801", "9009", "9085", "9091"}) s += std::string("J") + n + "=T,M" + n + ",1,0\r\n";
  return s;
}

class TelForm : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("MSGDLG.DAT", Messages());
    dir.Write("INPDLG.DAT", "");
    Main_SetProgramFolder(dir.path());
    main = new TMain_Frm();
    OrvoForms_CreateSecond();
    main->show();
    // The telephone button works in the connected state only.
    Common_SetConnected();
    UserTimer_InstallQtTicks();
    Tel_SetTiming({1, 20, 10});
    LinkTimeOutSec = 1;
    LineLost = 0;
    QApplication::processEvents();
  }
  void TearDown() override {
    if (Tel_Frm->isVisible()) Tel_Frm->Ext_BitBtn->click();
    delete Tel_Frm;
    delete Env_Frm;
    delete Conn_Frm;
    delete main;
    Comm_Close();
    Udp_Close();
    Udp_SetTimer(nullptr);
    EthernetMode = 0;
    LineLost = 0;
    Tel_SetTiming({});
    QApplication::processEvents();
  }
  // Logs in over UDP as the connection form would.
  void ConnectUdp() {
    std::string err;
    ASSERT_TRUE(udp.Start(&err)) << err;
    ASSERT_EQ(Udp_Init(0, 0x7F000001, udp.Port()), LINK_OK);
    UserTimer t;
    t.Start();
    Udp_SetTimer(&t);
    ASSERT_EQ(Conn_UdpLogin(Conn_UdpLink(), "0000", 1), 0);
    Udp_SetTimer(nullptr);
    Udp_SetParam(UDP_PARAM_SEQUENCE, 1);
    EthernetMode = 1;
  }
  void ConnectSerial() {
    std::string err;
    ASSERT_TRUE(serial.Start(&err)) << err;
    ASSERT_TRUE(serial.LinkPort(dir.path(), 3, &err)) << err;
    serial.SetReplyWaitMs(2000);
    CommPortName = "COM3";
    ASSERT_EQ(Comm_Open(), LINK_OK);
    ASSERT_EQ(Comm_Setup(9600), LINK_OK);
    EthernetMode = 0;
  }
  TempDir dir;
  TMain_Frm* main = nullptr;
  FakeUdpExchange udp;
  FakeSerialExchange serial;
};

void Key(QWidget* w, QEvent::Type t, int key, Qt::KeyboardModifiers m = Qt::NoModifier, bool repeat = false) {
  QKeyEvent e(t, key, m, QString(), repeat);
  QApplication::sendEvent(w, &e);
}

// A key as X11 delivers it: with its position, symbol and text.
void NativeKey(QWidget* w, int key, Qt::KeyboardModifiers m, unsigned scan, unsigned keysym, const char* text) {
  for (QEvent::Type t : {QEvent::KeyPress, QEvent::KeyRelease}) {
    QKeyEvent e(t, key, m, scan, keysym, 0x1, QString::fromUtf8(text));
    QApplication::sendEvent(w, &e);
  }
}

}  // namespace

TEST_F(TelForm, EthernetSessionFromTheMainWindow) {
  ConnectUdp();
  FakeTelephone tel(udp);
  main->Tel_BitBtn->click();
  TTel_Frm* f = Tel_Frm;
  ASSERT_TRUE(f->isVisible());
  EXPECT_FALSE(main->SB_GB->isVisible());
  EXPECT_EQ(f->windowTitle(), U8("簡易プログラム設定（電話機イメージ）"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return f->Disp_Lbl[1]->text() == Disp("TEL MODE"); }, 3000));
  EXPECT_EQ(f->Disp_Lbl[0]->text(), Disp("FAKE EXCHANGE"));
  EXPECT_EQ(f->FileName_Lbl->text().toStdString(), dir.path() + "Default.dmp");

  // Buttons send without the latch; the keyboard holds it until a release,
  // auto-repeat included.
  f->Dial_BitBtn[5]->click();
  f->Dial_BitBtn[5]->click();
  QWidget* focus = f->Sys_BitBtn[0];
  Key(focus, QEvent::KeyPress, Qt::Key_1, Qt::ControlModifier);
  EXPECT_EQ(QApplication::focusWidget(), f->Sys_BitBtn[0]);
  Key(focus, QEvent::KeyPress, Qt::Key_1, Qt::ControlModifier, true);
  Key(focus, QEvent::KeyRelease, Qt::Key_1, Qt::ControlModifier, true);
  Key(focus, QEvent::KeyPress, Qt::Key_2);  // still latched: nothing
  Key(focus, QEvent::KeyRelease, Qt::Key_1, Qt::ControlModifier);
  Key(focus, QEvent::KeyPress, Qt::Key_Backspace, Qt::ShiftModifier);
  Key(focus, QEvent::KeyRelease, Qt::Key_Backspace, Qt::ShiftModifier);
  // The ":" key beside "L" with Shift is the star on both layouts;
  // Shift+8 of a US layout is no key of the telephone.
  NativeKey(focus, Qt::Key_Asterisk, Qt::ShiftModifier, 48, 0x2a, "*");  // Japanese
  NativeKey(focus, Qt::Key_Asterisk, Qt::ShiftModifier, 17, 0x2a, "*");  // US Shift+8
  NativeKey(focus, Qt::Key_Colon, Qt::ShiftModifier, 47, 0x3a, ":");     // US
  Key(focus, QEvent::KeyPress, Qt::Key_F10);  // swallowed, no latch left
  Key(focus, QEvent::KeyPress, Qt::Key_F12);
  Key(focus, QEvent::KeyRelease, Qt::Key_F12);
  ASSERT_TRUE(tel.WaitKeys(7, 3000));
  EXPECT_EQ(tel.Keys(), B({'5', '5', 0x91, 0x09, '*', '*', 0x1E}));
  EXPECT_EQ(QApplication::focusWidget(), f->Conf_BitBtn);
  EXPECT_TRUE(QTest::qWaitFor([&] { return f->Disp_Lbl[6]->text() == Disp("KEY 1E"); }, 3000));

  // A dump on demand, to the default file, shown in the panel.
  f->FF_BitBtn[11]->click();
  // The panel scrolls; the text after the last CR LF (none here) is shown
  // at the dump's end.
  EXPECT_TRUE(QTest::qWaitFor([&] { return f->Dump_Lbl[1]->text() == "DUMP LINE 0003"; }, 3000));
  EXPECT_EQ(f->Dump_Lbl[0]->text(), "DUMP LINE 0002");
  EXPECT_EQ(f->Dump_Lbl[2]->text(), "");
  EXPECT_TRUE(QTest::qWaitFor([&] { return f->Session().TelDumpOutput == 0; }, 3000));
  const std::string body = FakeTelephone::SampleDump().substr(1, FakeTelephone::SampleDump().size() - 2);
  EXPECT_EQ(ReadAll(dir.path() + "Default.dmp"), body);

  // Switching to the printer during a dump drops its rest.
  tel.Send(B({0x82}) + "PART\r\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return ReadAll(dir.path() + "Default.dmp") == body + "PART\r\n"; }, 3000));
  EXPECT_EQ(f->Session().TelDumpOutput, 1);
  f->Printer_RdoBtn->setChecked(true);  // the state, as the keyboard or accessibility sets it
  EXPECT_EQ(f->Session().TelOutputMode, 2);
  EXPECT_FALSE(f->Chg_BitBtn->isEnabled());
  EXPECT_EQ(f->Session().TelRecvState, 2);
  tel.Send("REST\r\n" + B({0x83}));
  EXPECT_TRUE(QTest::qWaitFor([&] { return f->Session().TelRecvState == 0; }, 3000));
  EXPECT_EQ(ReadAll(dir.path() + "Default.dmp"), body + "PART\r\n");

  // Two dumps to a PDF printer make one job; a dump to a file ends it.
  QPrinter* p = Orvo_Printer();
  p->setOutputFormat(QPrinter::PdfFormat);
  p->setOutputFileName(QString::fromStdString(dir.path() + "dump.pdf"));
  // The display line behind them shows once both dumps are through.
  tel.Send(FakeTelephone::SampleDump() + FakeTelephone::SampleDump() + FakeTelephone::Line(6, "PRINTED"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return f->Disp_Lbl[5]->text() == Disp("PRINTED"); }, 3000));
  EXPECT_EQ(f->Session().TelDumpOutput, 2);
  f->File_RdoBtn->click();
  EXPECT_TRUE(f->Chg_BitBtn->isEnabled());
  f->FF_BitBtn[11]->click();
  EXPECT_TRUE(QTest::qWaitFor([&] { return ReadAll(dir.path() + "Default.dmp").size() == 2 * body.size() + 6; }, 3000));
  const std::string pdf = ReadAll(dir.path() + "dump.pdf");
  EXPECT_EQ(pdf.substr(0, 4), "%PDF");
  // One page, and the job's name as the document's title.
  size_t pages = 0;
  for (size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
    if (pdf.compare(at, 12, "/Type /Pages") != 0) ++pages;
  EXPECT_EQ(pages, 1u);
  EXPECT_NE(pdf.find(std::string("/Title (\xFE\xFF\0O\0.\0R\0.\0V\0.\0O)", 23)), std::string::npos);
  p->setOutputFileName(QString());
  p->setOutputFormat(QPrinter::NativeFormat);

  // No close box: a close the program does not make itself is refused.
  f->close();
  EXPECT_TRUE(f->isVisible());
  f->Ext_BitBtn->click();
  EXPECT_FALSE(f->isVisible());
  EXPECT_TRUE(main->SB_GB->isVisible());
  EXPECT_TRUE(tel.WaitEnds(1, 3000));
  EXPECT_EQ(udp.CountOf(0x8F), 1);
}

TEST_F(TelForm, RefusedStartAndLostLine) {
  ConnectUdp();
  FakeTelephone tel(udp);
  udp.Script(0x80, {{-1, 0xF1, ""}});
  {
    DialogScript d;
    d.Then(1);
    main->Tel_BitBtn->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Tel_Frm->isVisible(); }, 3000));
    EXPECT_EQ(d.Shown(), std::vector<std::string>{"M5801"});
    EXPECT_TRUE(main->SB_GB->isVisible());
  }
  // Keys before the loop is ready are dropped; then the exchange hangs up.
  {
    DialogScript d;
    d.Then(1);
    main->Tel_BitBtn->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Tel_Frm->Session().TelLanReady.load(); }, 3000));
    udp.SendNotice();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Tel_Frm->isVisible() && d.Done(); }, 3000));
    QApplication::processEvents();
    EXPECT_EQ(d.Shown(), std::vector<std::string>{"M5301"});
    EXPECT_TRUE(main->SB_GB->isVisible());
    EXPECT_FALSE(main->Disc_BitBtn->isEnabled());  // disconnected
    EXPECT_EQ(LineLost, 0);
  }
  EXPECT_EQ(udp.CountOf(0x8F), 1);  // after the refusal only
}

TEST_F(TelForm, SerialSessionAndNoPort) {
  // Without an open port the form shows an empty display and sends nothing.
  main->Tel_BitBtn->click();
  ASSERT_TRUE(Tel_Frm->isVisible());
  QTest::qWait(20);
  EXPECT_TRUE(Tel_Frm->Disp_Lbl[0]->text().isEmpty());
  Tel_Frm->Dial_BitBtn[1]->click();  // a failed send: "9085"
  {
    DialogScript d;
    d.Then(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return d.Done(); }, 3000));
    EXPECT_EQ(d.Shown(), std::vector<std::string>{"M9085"});
  }
  Tel_Frm->Ext_BitBtn->click();
  EXPECT_FALSE(Tel_Frm->isVisible());

  ConnectSerial();
  FakeTelephone tel(serial);
  main->Tel_BitBtn->click();
  TTel_Frm* f = Tel_Frm;
  EXPECT_TRUE(QTest::qWaitFor([&] { return f->Disp_Lbl[0]->text() == Disp("FAKE EXCHANGE"); }, 3000));
  Key(f->Sys_BitBtn[0], QEvent::KeyPress, Qt::Key_Escape);
  Key(f->Sys_BitBtn[0], QEvent::KeyRelease, Qt::Key_Escape);
  ASSERT_TRUE(tel.WaitKeys(1, 3000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return f->Disp_Lbl[6]->text() == Disp("KEY 0A"); }, 3000));
  f->Ext_BitBtn->click();
  EXPECT_FALSE(f->isVisible());
  EXPECT_EQ(tel.Ends(), 1);
  EXPECT_TRUE(serial.WaitReceived([](const std::string& r) { return r.size() >= 3; }, 5000));
  EXPECT_TRUE(serial.WaitIdle(3000));
  EXPECT_EQ(serial.Received(), B({0x80, 0x0A, 0x8F}));
}

TEST_F(TelForm, OutputSwitchFollowsItsStateFromTheKeyboard) {
  main->Tel_BitBtn->click();  // no port: a form without a session
  TTel_Frm* f = Tel_Frm;
  ASSERT_TRUE(f->isVisible());
  ASSERT_TRUE(f->File_RdoBtn->isChecked());
  f->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(f, 3000));
  f->File_RdoBtn->setFocus();
  QTest::keyClick(f->File_RdoBtn, Qt::Key_Down);
  EXPECT_TRUE(f->Printer_RdoBtn->isChecked());
  EXPECT_EQ(f->Session().TelOutputMode, 2);
  EXPECT_FALSE(f->Chg_BitBtn->isEnabled());
  EXPECT_FALSE(f->FileName_Lbl->isEnabled());
  f->File_RdoBtn->toggle();
  EXPECT_EQ(f->Session().TelOutputMode, 1);
  EXPECT_TRUE(f->Chg_BitBtn->isEnabled());
  EXPECT_TRUE(f->FileName_Lbl->isEnabled());
  // A dump file in a deep folder keeps its own name in sight.
  const std::string deep = dir.path() + DeepFolder("dumps");
  ASSERT_TRUE(std::filesystem::create_directories(deep));
  WhenModal([&](QDialog* d) {
    auto* p = qobject_cast<TFInp_Dlg*>(d);
    ASSERT_NE(p, nullptr);
    p->GoTo(deep);
    p->Ok_BitBtn->click();
  });
  f->Chg_BitBtnClick();
  EXPECT_TRUE(PathCut(f->FileName_Lbl, QString::fromStdString(deep + "/Default.Dmp")));
  // The file chosen while a silent print server keeps the printer's look
  // waiting stands.
  {
    QPrinter* p = Orvo_Printer();
    const QPrinter::OutputFormat format = p->outputFormat();
    const QString name = p->printerName();
    p->setOutputFileName(QString());
    p->setOutputFormat(QPrinter::PdfFormat);
    {
      cupspdf::NoScheduler silent(cupspdf::NoScheduler::kSilent);
      QTimer::singleShot(500, f, [f] { f->File_RdoBtn->setChecked(true); });
      f->Printer_RdoBtn->setChecked(true);
    }
    EXPECT_TRUE(f->File_RdoBtn->isChecked());
    EXPECT_EQ(f->Session().TelOutputMode, 1);
    EXPECT_TRUE(f->Chg_BitBtn->isEnabled());
    p->setOutputFormat(format);
    if (format == QPrinter::NativeFormat && !name.isEmpty()) p->setPrinterName(name);
  }
  // The next showing starts at the file again.
  f->Printer_RdoBtn->setChecked(true);
  f->Ext_BitBtn->click();
  main->Tel_BitBtn->click();
  EXPECT_TRUE(f->File_RdoBtn->isChecked());
  EXPECT_EQ(f->Session().TelOutputMode, 1);
  EXPECT_TRUE(f->Chg_BitBtn->isEnabled());
}

// A dump to the printer either reaches the print system or says why not:
// with no printer "9091", the dump aborted and the session going on; with
// the default printer (the PDF printer of the test command) a completed job.
TEST_F(TelForm, DumpsToThePrinterOrSayWhyNot) {
  ConnectSerial();
  FakeTelephone tel(serial);
  QPrinter* p = Orvo_Printer();
  p->setOutputFileName(QString());
  {
    // Before the session, so that its receive thread meets no printer.
    NoPrinter none;
    p->setOutputFormat(QPrinter::NativeFormat);
    ASSERT_TRUE(QPrinterInfo::availablePrinters().isEmpty());
    main->Tel_BitBtn->click();
    TTel_Frm* f = Tel_Frm;
    ASSERT_TRUE(QTest::qWaitFor([&] { return f->Disp_Lbl[0]->text() == Disp("FAKE EXCHANGE"); }, 3000));
    f->Printer_RdoBtn->setChecked(true);
    DialogScript d;
    d.Then(1);
    tel.Send(FakeTelephone::SampleDump() + FakeTelephone::Line(6, "AFTER"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return d.Done(); }, 3000));
    EXPECT_EQ(d.Shown(), std::vector<std::string>{"M9091"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return tel.Aborts() == 1; }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return f->Disp_Lbl[5]->text() == Disp("AFTER"); }, 3000));
    EXPECT_EQ(f->Session().TelDumpOutput, 0);
    EXPECT_TRUE(f->isVisible());
    f->Ext_BitBtn->click();
    EXPECT_FALSE(f->isVisible());
  }
  if (cupspdf::OutputDir().empty()) GTEST_SKIP() << "no CUPS PDF printer (started by the test command)";
  cupspdf::QueueLock queue;
  p->setOutputFormat(QPrinter::NativeFormat);
  p->setPrinterName(QPrinterInfo::defaultPrinterName());
  ASSERT_EQ(p->printerName().toStdString(), cupspdf::DefaultPrinter());
  const int before = cupspdf::LastJobId();
  main->Tel_BitBtn->click();
  TTel_Frm* f = Tel_Frm;
  ASSERT_TRUE(QTest::qWaitFor([&] { return f->Disp_Lbl[0]->text() == Disp("FAKE EXCHANGE"); }, 3000));
  f->Printer_RdoBtn->setChecked(true);
  {
    DialogScript d;
    tel.Send(FakeTelephone::SampleDump() + FakeTelephone::Line(6, "PRINTED"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return f->Disp_Lbl[5]->text() == Disp("PRINTED"); }, 3000));
    EXPECT_EQ(f->Session().TelDumpOutput, 2);
    f->Ext_BitBtn->click();  // the session's end ends the job
    EXPECT_TRUE(d.Shown().empty());
  }
  EXPECT_EQ(tel.Aborts(), 1);  // none since the first session
  int job = 0;
  std::string pdf;
  ASSERT_NO_FATAL_FAILURE(cupspdf::WaitPrinted("O.R.V.O", before, job, pdf));
  // Other test programs may print under the same name meanwhile: the pages
  // of the listing itself are counted by the tests that print to a file.
  EXPECT_GE(cupspdf::PdfPages(pdf), 1);
  std::filesystem::remove(pdf);
}

// A printer set up while プリンタ is the output takes the next dump once
// プリンタ is clicked again.
TEST_F(TelForm, ChoosingThePrinterAgainLooksAtItAgain) {
  ConnectSerial();
  FakeTelephone tel(serial);
  main->Tel_BitBtn->click();
  TTel_Frm* f = Tel_Frm;
  ASSERT_TRUE(QTest::qWaitFor([&] { return f->Disp_Lbl[0]->text() == Disp("FAKE EXCHANGE"); }, 3000));
  QPrinter* p = Orvo_Printer();
  {
    NoPrinter none;
    p->setOutputFormat(QPrinter::NativeFormat);
    f->Printer_RdoBtn->click();
  }
  p->setOutputFormat(QPrinter::PdfFormat);
  p->setOutputFileName(QString::fromStdString(dir.path() + "dump.pdf"));
  QTest::mouseClick(f->Printer_RdoBtn, Qt::LeftButton);
  DialogScript d;
  tel.Send(FakeTelephone::SampleDump() + FakeTelephone::Line(6, "PRINTED"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return f->Disp_Lbl[5]->text() == Disp("PRINTED"); }, 3000));
  f->Ext_BitBtn->click();  // the session's end ends the job
  EXPECT_EQ(ReadAll(dir.path() + "dump.pdf").substr(0, 4), "%PDF");
  p->setOutputFileName(QString());
}
