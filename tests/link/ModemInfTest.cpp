#include <gtest/gtest.h>

#include "link/ModemInf.h"
#include "tests/support/TempDir.h"

namespace {

TEST(ModemInf, AShortLineEndsTheReadingAndKeepsTheKindsBeforeIt) {
  ModemTable t;
  EXPECT_FALSE(ModemFile_Parse("A,1,2,3,4,5\r\nB,1,2,3,4,5\nC,1,2,3,4\r\nD,1,2,3,4,5\r\n", t));
  ASSERT_EQ(t.Count(), 2);
  EXPECT_EQ(t.kinds[1].name, "B");
  EXPECT_EQ(t.kinds[1].hangUpCmd2, "5");
  // An empty line is short too.
  t.Clear();
  EXPECT_FALSE(ModemFile_Parse("A,1,2,3,4,5\r\n\r\nB,1,2,3,4,5\r\n", t));
  EXPECT_EQ(t.Count(), 1);
}

TEST(ModemInf, AtMostThirtyKindsAreTaken) {
  std::string content;
  for (int i = 0; i < 35; ++i) content += "K" + std::to_string(i) + ",ATZ,ATD,,+++,ATH\r\n";
  content += "short\r\n";
  ModemTable t;
  EXPECT_TRUE(ModemFile_Parse(content, t));  // the short line lies beyond the thirtieth
  EXPECT_EQ(t.Count(), kModemKindsMax);
  EXPECT_EQ(t.kinds.back().name, "K29");
}

TEST(ModemInf, FieldsAreCutToCapacityAndPipesTurnedBack) {
  ModemTable t;
  std::string name = std::string(254, 'n') + Sjis("名");
  ASSERT_TRUE(ModemFile_Parse(name + ",AT&F|E1V1|S0=0|X3|Q0&K3,ATDW|||1234,ATD,+++,ATH,extra\r\n", t));
  ASSERT_EQ(t.Count(), 1);
  EXPECT_EQ(t.kinds[0].name, std::string(254, 'n'));
  EXPECT_EQ(t.kinds[0].initCmd, "AT&F,E1V1,S0=0,X3,Q0&");
  EXPECT_EQ(t.kinds[0].dialCmd1, "ATDW,,,1234");
}

TEST(ModemInf, FormatAndReadGiveTheSameTable) {
  ModemTable t;
  t.kinds.push_back({Sjis("標準モデム"), "ATZ", "ATD", "", "+++", "ATH"});
  t.kinds.push_back({"Hayes", "AT&F,E1", "ATX3", "ATD,,", "", "ATH0"});
  std::string text = ModemFile_Format(t);
  EXPECT_EQ(text.substr(text.find("Hayes")), "Hayes,AT&F|E1,ATX3,ATD||,,ATH0\r\n");
  TempDir d;
  d.Write("modem.inf", text);
  ModemTable back;
  back.kinds.push_back({"stale", "", "", "", "", ""});
  ASSERT_TRUE(ModemFile_Read(d.path(), back));
  ASSERT_EQ(back.Count(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(back.kinds[i].name, t.kinds[i].name);
    EXPECT_EQ(back.kinds[i].initCmd, t.kinds[i].initCmd);
    EXPECT_EQ(back.kinds[i].dialCmd2, t.kinds[i].dialCmd2);
    EXPECT_EQ(back.kinds[i].hangUpCmd1, t.kinds[i].hangUpCmd1);
  }
  TempDir empty;
  EXPECT_FALSE(ModemFile_Read(empty.path(), back));
  EXPECT_EQ(back.Count(), 0);
}

}  // namespace
