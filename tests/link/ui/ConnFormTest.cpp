#include <QTest>

#include "link/ConnModem.h"
#include "shell/Global_Unit.h"
#include "tests/link/FakeLinks.h"
#include "tests/link/ui/FormFixture.h"

namespace {

std::string Environ(const char* medium, const char* direct = "1", const char* pub = "1") {
  return std::string("/c,/d,/s,1,3,") + direct + "," + pub + ",05,,10,10,10,,ATD,,+++,ATH," + medium +
         ",03,02,11000,0\r\n";
}

class ConnForm : public LinkForms {
 protected:
  // Opens the form from the main window's button; false when it stayed shut.
  bool Open() {
    main->Conn_BitBtn->click();
    return Conn_Frm->isVisible();
  }
};

TEST_F(ConnForm, UnusableSettingsKeepTheFormShut) {
  {
    DialogScript s;
    s.Then(1);
    EXPECT_FALSE(Open());
    EXPECT_EQ(s.Shown(), std::vector<std::string>{"M9006"});
  }
  dir.Write("ENVIRON.DAT", "a,b,c\r\n");
  DialogScript s;
  s.Then(1);
  EXPECT_FALSE(Open());
  EXPECT_EQ(s.Shown(), std::vector<std::string>{"M9026"});
  EXPECT_TRUE(main->SB_GB->isVisible());
}

TEST_F(ConnForm, ShowsTheRegisteredChoiceAndFollowsTheClicks) {
  dir.Write("ENVIRON.DAT", Environ("0"));
  dir.Write("CONNECT.DAT", "1,3,0,1,5,0312,\r\n");
  ASSERT_TRUE(Open());
  TConn_Frm* f = Conn_Frm;
  EXPECT_EQ(f->windowTitle(), U8("回線接続"));
  EXPECT_TRUE(f->Ct2_RdoBtn->isChecked());
  EXPECT_TRUE(f->Br_RdoBtn[3]->isChecked());
  EXPECT_TRUE(f->Lt2_RdoBtn->isChecked());
  EXPECT_EQ(f->Hed_CmbBox->currentText(), "5");
  EXPECT_EQ(f->TEL_Edt->text(), "0312");
  EXPECT_TRUE(f->Tn_GrpBox->isVisible());
  EXPECT_TRUE(f->Mc_GrpBox->isVisible());
  EXPECT_FALSE(f->IPAdd_GrpBox->isVisible());
  EXPECT_EQ(f->Serial().commPortName, "COM3");
  EXPECT_EQ(f->Serial().rcvTimeOutMs, 5000);

  f->Mc2_RdoBtn->click();
  EXPECT_FALSE(f->Tn_GrpBox->isVisible());
  EXPECT_FALSE(f->Lt_GrpBox->isVisible());
  f->Ct1_RdoBtn->click();
  EXPECT_TRUE(f->Br_GrpBox->isVisible());
  EXPECT_FALSE(f->Mc_GrpBox->isVisible());
  f->Ct3_RdoBtn->click();
  EXPECT_FALSE(f->Br_GrpBox->isVisible());
  EXPECT_TRUE(f->IPAdd_GrpBox->isVisible());
  f->Ct2_RdoBtn->click();
  f->Mc1_RdoBtn->click();
  f->Hed_CmbBox->setCurrentIndex(-1);
  f->Mc2_RdoBtn->click();
  f->Mc1_RdoBtn->click();
  EXPECT_EQ(f->Hed_CmbBox->currentIndex(), 0);  // "なし" when none was selected

  f->Exit_BitBtn->click();
  EXPECT_FALSE(f->isVisible());
  EXPECT_TRUE(main->SB_GB->isVisible());
}

TEST_F(ConnForm, NoAllowedSerialKindSelectsEthernet) {
  dir.Write("ENVIRON.DAT", Environ("0", "0", "0"));
  ASSERT_TRUE(Open());
  EXPECT_TRUE(Conn_Frm->Ct3_RdoBtn->isChecked());
  EXPECT_FALSE(Conn_Frm->Ct1_RdoBtn->isEnabled());
  EXPECT_FALSE(Conn_Frm->Ct2_RdoBtn->isEnabled());
  Conn_Frm->Exit_BitBtn->click();
}

TEST_F(ConnForm, KeyFiltersOfNumberAndAddress) {
  dir.Write("ENVIRON.DAT", Environ("0"));
  dir.Write("CONNECT.DAT", "1,3,0,0,n,,\r\n");
  ASSERT_TRUE(Open());
  TConn_Frm* f = Conn_Frm;
  QTest::keyClicks(f->TEL_Edt, "12r#x*-9");
  EXPECT_EQ(f->TEL_Edt->text(), "12R#*-9");
  f->TEL_Edt->setText(QString(25, '1'));
  QTest::keyClicks(f->TEL_Edt, "2");
  EXPECT_EQ(f->TEL_Edt->text(), QString(25, '1'));

  f->Ct3_RdoBtn->click();
  f->Address_MEdt->clear();
  f->Address_MEdt->setFocus();
  f->Address_MEdt->setCursorPosition(0);
  QTest::keyClicks(f->Address_MEdt, "10 1a");
  EXPECT_EQ(f->Address_MEdt->displayText(), "100.1  .   .   ");
  f->Exit_BitBtn->click();
}

TEST_F(ConnForm, StoreWritesTheChoicesAndResetsHiddenControls) {
  dir.Write("ENVIRON.DAT", Environ("0"));
  dir.Write("CONNECT.DAT", "1,3,0,1,5,0312,\r\n");
  ASSERT_TRUE(Open());
  TConn_Frm* f = Conn_Frm;
  f->Ct3_RdoBtn->click();
  f->Address_MEdt->setText("230.1.1.1");
  {
    DialogScript s;
    s.Then(1).Then(1);
    f->Reg_BitBtn->click();
    EXPECT_EQ(s.Shown(), (std::vector<std::string>{"M7008", "M9088"}));
    EXPECT_EQ(dir.Read("CONNECT.DAT"), "1,3,0,1,5,0312,\r\n");
  }
  f->Address_MEdt->setText("010.000.000.001");
  {
    DialogScript s;
    s.Then(1);
    f->Reg_BitBtn->click();
    EXPECT_EQ(s.Shown(), std::vector<std::string>{"M7008"});
  }
  EXPECT_EQ(dir.Read("CONNECT.DAT"), "2,3,0,0,n,,\" 10.  0.  0.  1\"\r\n");
  EXPECT_EQ(f->TEL_Edt->text(), "");
  EXPECT_TRUE(f->Lt1_RdoBtn->isChecked());
  {
    DialogScript s;
    s.Then(2);
    f->Ct1_RdoBtn->click();
    f->Reg_BitBtn->click();  // not overwritten
  }
  EXPECT_EQ(dir.Read("CONNECT.DAT"), "2,3,0,0,n,,\" 10.  0.  0.  1\"\r\n");
  f->Exit_BitBtn->click();
}

// 直結 stored keeps no address: back on the LAN the address is empty, and
// 接続 refuses it until it is typed again.
TEST_F(ConnForm, ADirectCableStoredLeavesTheLanAddressToTypeAgain) {
  dir.Write("ENVIRON.DAT", Environ("0"));
  dir.Write("CONNECT.DAT", "2,4,0,0,n,,\"127.  0.  0.  1\"\r\n");
  ASSERT_TRUE(Open());
  Conn_Frm->Ct1_RdoBtn->click();
  {
    DialogScript s;
    s.Then(1);
    Conn_Frm->Reg_BitBtn->click();
  }
  EXPECT_EQ(dir.Read("CONNECT.DAT"), "0,4,0,0,n,,\r\n");
  Conn_Frm->Exit_BitBtn->click();

  dir.Write("ENVIRON.DAT", Environ("1"));
  FakeUdp udp;
  udp.replies = {{0, std::string("\x03" "abcd")}, {0, std::string("\x04")}};
  Conn_Links().udp = &udp;
  ASSERT_TRUE(Open());
  EXPECT_TRUE(Conn_Frm->Ct3_RdoBtn->isChecked());
  EXPECT_EQ(Conn_Frm->Address_MEdt->displayText(), "   .   .   .   ");
  {
    DialogScript s;
    s.Then(1);
    Conn_Frm->Conn_BitBtn->click();
    EXPECT_EQ(s.Shown(), std::vector<std::string>{"M9088"});
  }
  Conn_Frm->Address_MEdt->setText("127.0.0.1");
  DialogScript s;
  s.Then(1, "secret");
  Conn_Frm->Conn_BitBtn->click();
  EXPECT_EQ(s.Shown(), std::vector<std::string>{"P1202"});
  EXPECT_EQ(udp.peerAddress, 0x7F000001u);
}

TEST_F(ConnForm, EthernetLogInSwitchesTheMainWindowToConnected) {
  dir.Write("ENVIRON.DAT", Environ("1"));
  dir.Write("CONNECT.DAT", "2,4,0,0,n,,\"127.  0.  0.  1\"\r\n");
  FakeUdp udp;
  udp.replies = {{0, std::string("\x03" "abcd")}, {0, std::string("\x04")}};
  Conn_Links().udp = &udp;
  ASSERT_TRUE(Open());
  EXPECT_EQ(Conn_Frm->Address_MEdt->displayText(), "127.  0.  0.  1");
  DialogScript s;
  s.Then(1, "secret");
  Conn_Frm->Conn_BitBtn->click();
  EXPECT_EQ(s.Shown(), std::vector<std::string>{"P1202"});
  EXPECT_EQ(udp.peerAddress, 0x7F000001u);
  ASSERT_EQ(udp.calls.size(), 2u);
  EXPECT_EQ(udp.calls[1].payload.substr(16), std::string("\0\x06secret", 8));
  EXPECT_FALSE(Conn_Frm->isVisible());
  EXPECT_TRUE(main->SB_GB->isVisible());
  EXPECT_TRUE(main->isVisible());
  EXPECT_FALSE(main->Conn_BitBtn->isEnabled());
  EXPECT_TRUE(main->Disc_BitBtn->isEnabled());
  EXPECT_FALSE(main->Env_BitBtn->isEnabled());
  EXPECT_EQ(main->Main_StsBar->currentMessage(), U8("回線接続されています。([Ethernet])"));
  EXPECT_EQ(udp.mainFormSet, 1);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ConnForm, SerialLogInOverTheDirectCable) {
  dir.Write("ENVIRON.DAT", Environ("0"));
  dir.Write("CONNECT.DAT", "0,4,0,0,n,,\r\n");
  FakeSerial port;
  std::string typed;
  port.respond = [&](const std::string& w) -> std::string {
    if (w == "\x03") typed.clear();
    if (w == "\x03") return std::string("\x88\x91\xC3\xDE\xA8\x2D\xD7\x2D\x49\x44        ", 18);
    if (w == "\r") return typed == "1234" ? std::string("\x88\x91SET MODE        ", 18) : std::string();
    typed += w;
    return "";
  };
  Conn_Links().serial = &port;
  ASSERT_TRUE(Open());
  DialogScript s;
  s.Then(1, "99").Then(1).Then(1, "1234");
  Conn_Frm->Conn_BitBtn->click();
  EXPECT_EQ(s.Shown(), (std::vector<std::string>{"P1201", "M9201", "P1201"}));
  EXPECT_EQ(port.openedName, "COM3");
  EXPECT_EQ(port.setupBps, 9600);
  EXPECT_EQ(EthernetMode.load(), 0);
  EXPECT_FALSE(Conn_Frm->isVisible());
  EXPECT_EQ(main->Main_StsBar->currentMessage(), U8("回線接続されています。([直結],[９６００ｂｐｓ])"));
  EXPECT_TRUE(main->Disc_BitBtn->isEnabled());
}

TEST_F(ConnForm, TheUnwiredLinksRefuseToOpen) {
  dir.Write("ENVIRON.DAT", Environ("1"));
  dir.Write("CONNECT.DAT", "2,4,0,0,n,,\"127.  0.  0.  1\"\r\n");
  ASSERT_TRUE(Open());
  DialogScript s;
  s.Then(1).Then(1);
  Conn_Frm->Conn_BitBtn->click();
  Conn_Frm->Ct1_RdoBtn->click();
  Conn_Frm->Conn_BitBtn->click();
  EXPECT_EQ(s.Shown(), (std::vector<std::string>{"M9087", "M9081"}));
  EXPECT_TRUE(Conn_Frm->isVisible());
  EXPECT_TRUE(Conn_Frm->isEnabled());
  EXPECT_TRUE(main->Conn_BitBtn->isEnabled());
  Conn_Frm->Exit_BitBtn->click();
}

}  // namespace
