#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>

#include "link/LinkPort.h"
#include "link/Sock_Table.h"
#include "link/UDP_Unit.h"
#include "link/ui/LinkHooks.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/Common_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "tests/exchange/FakeUdp.h"
#include "tests/support/TempDir.h"
#include "tests/support/ui/ModalHelper.h"

namespace {

constexpr uint32_t kLoopback = 0x7F000001;

class MainLink : public ::testing::Test {
 protected:
  void SetUp() override {
    Main_SetProgramFolder(dir.path());  // no message file: every answer is OK
    savedLinks = Conn_Links();
    TMain_Frm::Hooks() = {};
    form = new TMain_Frm();
    Link_InstallMainHooks();
    FakeUdpConfig cfg;
    cfg.requireLogin = false;
    fake = std::make_unique<FakeUdpExchange>(cfg);
    ASSERT_TRUE(fake->Start());
    ASSERT_EQ(Udp_Init(0, kLoopback, fake->Port()), 0);
    ASSERT_NE(UdpLinkState.socket.load(), -1);
  }
  void TearDown() override {
    Udp_Close();
    fake->Stop();
    delete form;
    TMain_Frm::Hooks() = {};
    Udp_SetMessagePump(nullptr);
    Conn_Links() = savedLinks;
    EthernetMode = 0;
  }
  TempDir dir;
  TMain_Frm* form = nullptr;
  std::unique_ptr<FakeUdpExchange> fake;
  ConnLinks savedLinks{};
};

TEST_F(MainLink, DisconnectOverEthernetLogsOffAndClosesTheLink) {
  EthernetMode = 1;
  LinkTimeOutSec = 0;  // the exchange never answers the log-off
  Common_SetConnected();
  WhenModal([](QDialog* d) { d->done(1); });
  form->Disc_BitBtn->click();
  ASSERT_TRUE(fake->WaitReceived(1, 2000));
  auto got = fake->Received();
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got[0].cmd, 0x05);
  EXPECT_EQ(got[0].payload, std::string(4, '\0'));
  EXPECT_FALSE(got[0].marked);  // the log-off is never scrambled
  EXPECT_TRUE(form->Conn_BitBtn->isEnabled());
  EXPECT_FALSE(form->Disc_BitBtn->isEnabled());
  EXPECT_EQ(UdpLinkState.socket.load(), -1);
}

TEST_F(MainLink, DisconnectNoticeClosesTheLink) {
  Common_SetConnected();
  Link_PostToForm(form, WM_DISCONNECT_NOTICE);
  QCoreApplication::processEvents();
  EXPECT_FALSE(form->Disc_BitBtn->isEnabled());
  EXPECT_EQ(UdpLinkState.socket.load(), -1);
}

}  // namespace
