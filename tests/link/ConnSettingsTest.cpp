#include <gtest/gtest.h>

#include "link/ConnSettings.h"
#include "link/EnvNew_Unit.h"
#include "link/SettingsText.h"
#include "shell/CommonStr_Unit.h"
#include "shell/Global_Unit.h"
#include "tests/support/TempDir.h"

namespace {

// ENVIRON.DAT fields by number, from the form's initial values.
std::vector<std::string> EnvFields() {
  std::vector<std::string> f;
  Common_SplitComma(f, "/x/CONTROL.DAT,/x,/x/scr,1,2,1,1,05,,07,08,09,AT&F|E1,ATD,,+++,ATH,0,03,02,11000,0");
  return f;
}

std::string Join(const std::vector<std::string>& f) {
  std::string s;
  for (size_t i = 0; i < f.size(); ++i) s += (i ? "," : "") + f[i];
  return s;
}

class ConnRead : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = ProgramDir;
    ProgramDir = dir.path();
  }
  void TearDown() override { ProgramDir = saved_; }
  int ReadWith(std::vector<std::string> f) {
    dir.Write("ENVIRON.DAT", Join(f) + "\r\n");
    ConnKeptLists kept;
    return Conn_ReadSettings(kept);
  }
  TempDir dir;
  std::string saved_;
};

TEST_F(ConnRead, MissingFileAndUnusableFields) {
  ConnKeptLists kept;
  EXPECT_EQ(Conn_ReadSettings(kept), 9006);
  auto f = EnvFields();
  f.pop_back();
  EXPECT_EQ(ReadWith(f), 9026);
  struct Case {
    int field;
    const char* value;
  };
  for (Case c : {Case{18, "x"}, Case{18, ""}, Case{18, " 3"}, Case{18, "2147484"}, Case{19, "-1"},
                 Case{19, "1.5"}, Case{20, "65536"}, Case{20, "-1"}, Case{21, "70000"}, Case{21, "a"}}) {
    auto g = EnvFields();
    g[c.field] = c.value;
    EXPECT_EQ(ReadWith(g), 9026) << c.field << "=" << c.value;
  }
}

TEST_F(ConnRead, SetsTheLinkGlobalsAndKeepsBothLists) {
  auto f = EnvFields();
  f[18] = "60";
  f[19] = "0";
  f[20] = "65535";
  f[21] = "1024";
  dir.Write("environ.dat", Join(f) + ",more\r\n");
  dir.Write("CONNECT.DAT", "1,6,0,1,5,0312345678,\r\n");
  ConnKeptLists kept;
  ASSERT_EQ(Conn_ReadSettings(kept), 0);
  EXPECT_EQ(LinkTimeOutSec.load(), 60);
  EXPECT_EQ(LinkRetryCount.load(), 0);
  EXPECT_EQ(UdpRemotePort, 65535);
  EXPECT_EQ(UdpOwnPort, 1024);
  EXPECT_EQ(kept.env.size(), 23u);
  EXPECT_EQ(kept.connect[CONNECT_NUMBER], "0312345678");
}

ConnKeptLists Kept(std::vector<std::string> env, ConnectFields cd) {
  ConnKeptLists k;
  k.env = std::move(env);
  k.connect = cd;
  return k;
}

TEST(ConnApply, TakesSerialAndModemSettings) {
  ConnChoice c;
  SerialSettings s;
  ModemSettings m;
  ASSERT_TRUE(Conn_ApplySettings(Kept(EnvFields(), ConnectDat_Defaults()), c, s, m));
  EXPECT_EQ(s.commPortName, "COM2");
  EXPECT_EQ(s.rcvTimeOutMs, 5000);
  EXPECT_EQ(m.initTimeOutMs, 7000);
  EXPECT_EQ(m.dialTimeOutMs, 8000);
  EXPECT_EQ(m.hangUpTimeOutMs, 9000);
  EXPECT_EQ(m.initCmd, "AT&F,E1");
  EXPECT_EQ(m.dialCmd[0], "ATD");
  EXPECT_EQ(m.hangUpCmd[1], "ATH");
  EXPECT_EQ(c.kind, CONN_DIRECT);
}

TEST(ConnApply, KindFollowsTheMediumAndTheAllowedKinds) {
  struct Case {
    const char* medium;
    const char* direct;
    const char* pub;
    const char* stored;
    int kind;
  };
  for (Case k : {Case{"1", "1", "1", "0", CONN_ETHERNET}, Case{"0", "0", "0", "0", CONN_ETHERNET},
                 Case{"0", "1", "1", "0", CONN_DIRECT}, Case{"0", "0", "1", "0", CONN_PUBLIC},
                 Case{"0", "1", "1", "1", CONN_PUBLIC}, Case{"0", "1", "0", "1", CONN_DIRECT},
                 Case{"0", "1", "1", "2", CONN_PUBLIC}}) {
    auto env = EnvFields();
    env[ENV_MEDIUM] = k.medium;
    env[ENV_DIRECT] = k.direct;
    env[ENV_PUBLIC] = k.pub;
    ConnectFields cd = ConnectDat_Defaults();
    cd[CONNECT_KIND] = k.stored;
    ConnChoice c;
    SerialSettings s;
    ModemSettings m;
    ASSERT_TRUE(Conn_ApplySettings(Kept(env, cd), c, s, m));
    EXPECT_EQ(c.kind, k.kind) << k.medium << k.direct << k.pub << k.stored;
    EXPECT_EQ(c.directEnabled, std::string(k.direct) != "0");
  }
}

TEST(ConnApply, PublicLineTakesTheDiallingChoices) {
  ConnChoice c;
  SerialSettings s;
  ModemSettings m;
  ASSERT_TRUE(Conn_ApplySettings(Kept(EnvFields(), {"1", "4", "0", "1", "3", "0312", "x"}), c, s, m));
  EXPECT_EQ(c.kind, CONN_PUBLIC);
  EXPECT_EQ(c.speed, 4);
  EXPECT_EQ(c.procedure, CONN_AUTO_DIAL);
  EXPECT_TRUE(c.pulse);
  EXPECT_EQ(c.prefix, 4);  // the entry of digit 3
  EXPECT_EQ(c.number, "0312");
  EXPECT_EQ(c.address, "x");
  EXPECT_EQ(Conn_DialString(c), "P3,0312");

  ASSERT_TRUE(Conn_ApplySettings(Kept(EnvFields(), {"1", "4", "0", "0", "n", "99", ""}), c, s, m));
  EXPECT_EQ(c.prefix, kPrefixNone);
  EXPECT_EQ(Conn_DialString(c), "T99");

  // AT command input while AT commands are not allowed: automatic dialling.
  auto env = EnvFields();
  env[ENV_USE_AT] = "0";
  ASSERT_TRUE(Conn_ApplySettings(Kept(env, {"1", "4", "2", "0", "n", "", ""}), c, s, m));
  EXPECT_FALSE(c.atEnabled);
  EXPECT_EQ(c.procedure, CONN_AUTO_DIAL);
  ASSERT_TRUE(Conn_ApplySettings(Kept(EnvFields(), {"1", "4", "2", "0", "n", "", ""}), c, s, m));
  EXPECT_EQ(c.procedure, CONN_AT_COMMANDS);

  // Other kinds reset the dialling controls.
  ASSERT_TRUE(Conn_ApplySettings(Kept(EnvFields(), {"0", "1", "0", "1", "3", "0312", ""}), c, s, m));
  EXPECT_EQ(c.kind, CONN_DIRECT);
  EXPECT_EQ(c.prefix, -1);
  EXPECT_FALSE(c.pulse);
  EXPECT_EQ(c.number, "");
}

TEST(ConnApply, UnusableTimeOutsOrSpeedEndTheApplying) {
  for (int field : {ENV_RCV_TIMEOUT, ENV_INIT_TIMEOUT, ENV_DIAL_TIMEOUT, ENV_HANGUP_TIMEOUT}) {
    for (const char* bad : {"x", "", "-1", "2147484"}) {
      auto env = EnvFields();
      env[field] = bad;
      ConnChoice c;
      c.kind = CONN_ETHERNET;
      SerialSettings s;
      ModemSettings m;
      EXPECT_FALSE(Conn_ApplySettings(Kept(env, ConnectDat_Defaults()), c, s, m)) << field << bad;
      EXPECT_EQ(c.kind, CONN_ETHERNET);  // untouched from here on
      EXPECT_EQ(s.commPortName, "COM2");
    }
  }
  ConnChoice c;
  c.speed = 3;
  SerialSettings s;
  ModemSettings m;
  EXPECT_FALSE(Conn_ApplySettings(Kept(EnvFields(), {"0", "x", "0", "0", "n", "", "a"}), c, s, m));
  EXPECT_EQ(c.speed, 3);
  EXPECT_EQ(c.address, "");
}

TEST(ConnStoreChoices, FieldsAndResetHiddenControls) {
  ConnChoice c;
  c.kind = CONN_PUBLIC;
  c.speed = 5;
  c.procedure = CONN_AUTO_DIAL;
  c.pulse = true;
  c.prefix = 1;  // digit 0
  c.number = "0312";
  c.address = "1.2.3.4";
  ConnectFields f;
  ASSERT_EQ(Conn_BuildConnectFields(c, f), 0);
  EXPECT_EQ(ConnectDat_Format(f), "1,5,0,1,0,0312,\r\n");
  EXPECT_EQ(c.address, "");

  c.procedure = CONN_MANUAL_DIAL;
  c.number = "0312";
  ASSERT_EQ(Conn_BuildConnectFields(c, f), 0);
  EXPECT_EQ(ConnectDat_Format(f), "1,5,1,0,n,,\r\n");
  EXPECT_FALSE(c.pulse);
  EXPECT_EQ(c.prefix, -1);
  EXPECT_EQ(c.number, "");

  c.kind = CONN_ETHERNET;
  c.procedure = CONN_AT_COMMANDS;
  c.address = "10.0.0.1";
  ASSERT_EQ(Conn_BuildConnectFields(c, f), 0);
  EXPECT_EQ(ConnectDat_Format(f), "2,5,0,0,n,,\" 10.  0.  0.  1\"\r\n");
  EXPECT_EQ(c.procedure, CONN_AUTO_DIAL);

  ConnectFields untouched = f;
  c.address = "230.1.1.1";
  EXPECT_EQ(Conn_BuildConnectFields(c, f), 9088);
  EXPECT_EQ(f, untouched);
}

}  // namespace
