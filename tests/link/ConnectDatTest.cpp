#include <gtest/gtest.h>

#include "link/ConnectDat.h"
#include "shell/Global_Unit.h"
#include "tests/support/TempDir.h"

namespace {

TEST(ConnectDat, ALineEndingInTwoCommasHasSevenFields) {
  ConnectFields f;
  ASSERT_TRUE(ConnectDat_Parse("0,4,0,0,n,,\r\n", f));
  EXPECT_EQ(f[CONNECT_KIND], "0");
  EXPECT_EQ(f[CONNECT_SPEED], "4");
  EXPECT_EQ(f[CONNECT_NUMBER], "");
  EXPECT_EQ(f[CONNECT_ADDRESS], "");
}

TEST(ConnectDat, ShortOrEmptyLinesGiveTheDefaults) {
  ConnectFields f;
  f.fill("x");
  EXPECT_FALSE(ConnectDat_Parse("1,2,3,4,5,6", f));
  EXPECT_EQ(f, ConnectDat_Defaults());
  f.fill("x");
  EXPECT_FALSE(ConnectDat_Parse("", f));
  EXPECT_EQ(f, ConnectDat_Defaults());
}

TEST(ConnectDat, QuotingRoundTrips) {
  ConnectFields f = {"2", "6", "0", "0", "n", "a \"b\",c\tx", "192.168.  1. 10"};
  std::string line = ConnectDat_Format(f);
  EXPECT_EQ(line, "2,6,0,0,n,\"a \"\"b\"\",c\tx\",\"192.168.  1. 10\"\r\n");
  ConnectFields back;
  ASSERT_TRUE(ConnectDat_Parse(line, back));
  EXPECT_EQ(back, f);
  // Empty fields are written as nothing, also at the end.
  ConnectFields d = ConnectDat_Defaults();
  EXPECT_EQ(ConnectDat_Format(d), "0,0,0,0,n,,\r\n");
  ASSERT_TRUE(ConnectDat_Parse(ConnectDat_Format(d), back));
  EXPECT_EQ(back, d);
  // An unterminated quote runs to the end of the line.
  auto v = ConnectDat_SplitLine("a,\"b,c");
  ASSERT_EQ(v.size(), 2u);
  EXPECT_EQ(v[1], "b,c");
}

TEST(ConnectDat, StoreAndReadInTheProgramFolder) {
  TempDir d;
  std::string saved = ProgramDir;
  ProgramDir = d.path();
  EXPECT_EQ(ConnectDat_Read(), ConnectDat_Defaults());
  ConnectFields f = {"2", "4", "0", "0", "n", "", "127.  0.  0.  1"};
  ASSERT_EQ(ConnectDat_Store(f), 0);
  EXPECT_EQ(d.Read("CONNECT.DAT"), "2,4,0,0,n,,\"127.  0.  0.  1\"\r\n");
  EXPECT_EQ(ConnectDat_Read(), f);
  d.Write("connect.dat", "1,4,0,1,3,0123,\r\n");  // another spelling is found too
  std::remove((d.path() + "CONNECT.DAT").c_str());
  EXPECT_EQ(ConnectDat_Read()[CONNECT_NUMBER], "0123");
  ProgramDir = d.path() + "missing/";
  EXPECT_EQ(ConnectDat_Store(f), 9008);
  ProgramDir = saved;
}

TEST(ConnAddress, TheValidatorRefusesWhatCannotReachAnExchange) {
  uint32_t a = 0;
  EXPECT_EQ(Conn_CheckAddress("010.000.000.001", a), 0);
  EXPECT_EQ(a, 0x0A000001u);
  EXPECT_EQ(Conn_CheckAddress("192.168.  1. 10", a), 0);
  EXPECT_EQ(a, 0xC0A8010Au);
  EXPECT_EQ(Conn_CheckAddress("1  .2  .3  .4  ", a), 0);  // left-aligned groups
  EXPECT_EQ(a, 0x01020304u);
  EXPECT_EQ(Conn_CheckAddress("223.255.255.255", a), 0);
  EXPECT_EQ(Conn_CheckAddress("240.0.0.1", a), 0);
  for (const char* bad : {"230.1.1.1", "224.0.0.1", "239.255.255.255", "0.0.0.0", "000.000.000.000",
                          "255.255.255.255", "256.1.1.1", "1.2.3.300", "1.2.3", "1.2.3.4.5",
                          "1.  .3.4", "   .   .   .   ", "", "1234.1.1.1", "1.2.3.4.", "a.b.c.d",
                          "1.2.-3.4"})
    EXPECT_EQ(Conn_CheckAddress(bad, a), CONN_MSG_BAD_ADDRESS) << bad;
}

TEST(ConnAddress, FormatRightAlignsEachGroup) {
  EXPECT_EQ(Conn_FormatAddress(0xC0A8010Au), "192.168.  1. 10");
  EXPECT_EQ(Conn_FormatAddress(0x7F000001u), "127.  0.  0.  1");
}

}  // namespace
