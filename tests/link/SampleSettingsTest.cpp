#include <gtest/gtest.h>

#include <cstdlib>

#include "link/ConnSettings.h"
#include "link/EnvNew_Unit.h"
#include "shell/Global_Unit.h"
#include "tests/support/TempDir.h"

namespace {

// The settings files that come with the program folder must read as the
// program reads them: Ethernet to the exchange on loopback.
TEST(SampleSettings, ReadAsTheProgramReadsThem) {
  const char* src = std::getenv("ORVO_SOURCE_DIR");
  ASSERT_NE(src, nullptr);
  std::string saved = ProgramDir;
  ProgramDir = std::string(src) + "/sample/";

  EnvSettings s;
  Env_Init(s);
  EXPECT_EQ(s.field[ENV_MEDIUM], "1");
  EXPECT_EQ(s.field[ENV_CONTROL_FILE], "@ORVO_DIR@/CONTROL.DAT");
  ASSERT_GE(s.modems.Count(), 1);
  EXPECT_EQ(s.modems.kinds[0].name, s.field[ENV_MODEM_KIND]);
  EXPECT_EQ(s.modems.kinds[1].initCmd, "AT&F,E1V1X4");

  ConnKeptLists kept;
  ASSERT_EQ(Conn_ReadSettings(kept), 0);
  EXPECT_EQ(UdpRemotePort, 11000);
  ConnChoice c;
  SerialSettings serial;
  ModemSettings modem;
  ASSERT_TRUE(Conn_ApplySettings(kept, c, serial, modem));
  EXPECT_EQ(c.kind, CONN_ETHERNET);
  uint32_t a = 0;
  EXPECT_EQ(Conn_CheckAddress(c.address, a), 0);
  EXPECT_EQ(a, 0x7F000001u);

  std::string name;
  ASSERT_TRUE(UsrFile_Read(ProgramDir + "data/", name));
  EXPECT_EQ(name, Sjis("サンプル販売店"));
  ProgramDir = saved;
}

}  // namespace
