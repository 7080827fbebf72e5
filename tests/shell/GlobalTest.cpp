#include <gtest/gtest.h>

#include "shell/Global_Unit.h"
#include "tests/support/TempDir.h"

namespace {

struct SystemTypeCase {
  const char* content;
  bool ok;
  int type;
};

TEST(SystemType, FirstLineDecides) {
  const SystemTypeCase cases[] = {
      {"0", true, 0},     {"1\r\n", true, 1}, {"2\nrest", true, 2}, {"0\r\n", true, 0},
      {"3", false, 7},    {"-1", false, 7},   {"word", false, 7},   {"", false, 7},
      {"\r\n1", false, 7}, {"1x", false, 7},  {"1\n5", true, 1},
  };
  for (const auto& c : cases) {
    TempDir d;
    d.Write("Orvo.Inf", c.content);
    ProgramDir = d.path();
    SystemType = 7;
    EXPECT_EQ(Common_ReadSystemType(), c.ok) << '"' << c.content << '"';
    EXPECT_EQ(SystemType, c.type) << '"' << c.content << '"';
  }
}

TEST(SystemType, MissingFileFailsAndNameIgnoresCase) {
  TempDir d;
  ProgramDir = d.path();
  SystemType = 1;
  EXPECT_FALSE(Common_ReadSystemType());
  EXPECT_EQ(SystemType, 1);
  d.Write("ORVO.INF", "0\r\n");
  EXPECT_TRUE(Common_ReadSystemType());
  EXPECT_EQ(SystemType, 0);
}

TEST(DataKinds, TablesOfBothSystemTypes) {
  Global_FillDataKinds(0);
  EXPECT_EQ(DataFileName[2], "SdExtensions.DAT");
  EXPECT_EQ(DataKindCode[2], '3');
  EXPECT_EQ(DataFileName[3], "PrgSetAll.DAT");
  EXPECT_EQ(DataKindCode[3], '0');
  EXPECT_EQ(DataFileName[4], "");
  EXPECT_EQ(DataKindCode[4], '\0');
  EXPECT_EQ(DataFileName[6], "SdWireless.DAT");
  EXPECT_EQ(DataKindCode[6], '4');
  EXPECT_EQ(DataFileName[7], "SdKanjitell.DAT");
  EXPECT_EQ(DataKindCode[7], '\0');
  EXPECT_EQ(DataFileName[8], "");

  Global_FillDataKinds(1);
  const char* names[] = {"SdSystem.DAT", "SdPersonal.DAT", "SdIdCard.DAT", "SdExtensions.DAT",
                         "SdWireless.DAT", "PrgSetAll.DAT", "", "", "SdKanjitell.DAT"};
  const char codes[] = {'1', '2', '5', '3', '4', '0', '\0', '\0'};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(DataFileName[i], names[i]) << i;
  for (int i = 0; i < 8; ++i) EXPECT_EQ(DataKindCode[i], codes[i]) << i;

  // Switching back leaves nothing of the other type behind.
  Global_FillDataKinds(0);
  EXPECT_EQ(DataFileName[8], "");
  EXPECT_EQ(DataKindCode[5], '\0');
}

}  // namespace
