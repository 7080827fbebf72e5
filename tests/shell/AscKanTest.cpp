#include <gtest/gtest.h>

#include "shell/Asc_Kan.h"
#include "tests/support/TempDir.h"

namespace {

// The table is global and mutable: every test leaves it as it found it.
class FullWidth : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = FullWidth_Table; }
  void TearDown() override { FullWidth_Table = saved_; }
  std::array<std::string, 256> saved_;
};

std::string Entry(int b) { return FullWidth_Table[static_cast<size_t>(b)]; }

TEST_F(FullWidth, BlankRangesGiveTheFullWidthSpace) {
  for (int b = 0; b <= 0xFF; ++b) {
    bool blank = b <= 0x20 || (b >= 0x7F && b <= 0xA0) || b >= 0xE0;
    if (blank) EXPECT_EQ(Entry(b), "\x81\x40") << std::hex << b;
    else EXPECT_NE(Entry(b), "\x81\x40") << std::hex << b;
    EXPECT_EQ(Entry(b).size(), 2u);
  }
}

TEST_F(FullWidth, AsciiTakesTheDisplaysOwnFormsOfFourCharacters) {
  EXPECT_EQ(Entry(0x22), "\x81\x68");  // ”
  EXPECT_EQ(Entry(0x27), "\x81\x66");  // ’
  EXPECT_EQ(Entry(0x5C), "\x81\x8F");  // ￥
  EXPECT_EQ(Entry(0x7E), "\x81\x50");  // ￣
  // Every other printable ASCII character is its full-width form.
  for (int b = 0x21; b <= 0x7E; ++b) {
    if (b == 0x22 || b == 0x27 || b == 0x5C || b == 0x7E) continue;
    char32_t fw = 0xFF00 + (b - 0x20);
    std::string u8 = {static_cast<char>(0xE0 | (fw >> 12)), static_cast<char>(0x80 | ((fw >> 6) & 0x3F)),
                      static_cast<char>(0x80 | (fw & 0x3F))};
    EXPECT_EQ(Entry(b), Sjis(u8)) << std::hex << b;
  }
  EXPECT_EQ(Entry('0'), Sjis("０"));
  EXPECT_EQ(Entry('A'), Sjis("Ａ"));
  EXPECT_EQ(Entry('a'), Sjis("ａ"));
  EXPECT_EQ(Entry('!'), Sjis("！"));
}

TEST_F(FullWidth, HalfWidthKatakanaBecomeFullWidthWithSeparateSoundMarks) {
  std::string expected = Sjis(
      "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
      "ハヒフヘホマミムメモヤユヨラリルレロワン゛゜");
  std::string got;
  for (int b = 0xA1; b <= 0xDF; ++b) got += Entry(b);
  EXPECT_EQ(got, expected);
  EXPECT_EQ(Entry(0xDE), "\x81\x4A");
  EXPECT_EQ(Entry(0xDF), "\x81\x4B");
}

TEST_F(FullWidth, ConvertWorksPerByte) {
  EXPECT_EQ(FullWidth_Convert(""), "");
  EXPECT_EQ(FullWidth_Convert("A1\xB1"), Sjis("Ａ１ア"));
  EXPECT_EQ(FullWidth_Convert("\t"), "\x81\x40");
  // Both bytes of a double-byte character are converted on their own.
  EXPECT_EQ(FullWidth_Convert("\x82\xA0"), "\x81\x40" "\x81\x40");
  EXPECT_EQ(FullWidth_Convert(std::string("\0", 1)), "\x81\x40");
}

TEST_F(FullWidth, SetEntryReplacesOnlyValidCodesWithTwoBytes) {
  auto before = FullWidth_Table;
  EXPECT_FALSE(FullWidth_SetEntry(256, "\x81\x9A"));
  EXPECT_FALSE(FullWidth_SetEntry(-1, "\x81\x9A"));
  EXPECT_FALSE(FullWidth_SetEntry(65, "X"));
  EXPECT_FALSE(FullWidth_SetEntry(65, ""));
  EXPECT_EQ(FullWidth_Table, before);

  EXPECT_TRUE(FullWidth_SetEntry(126, Sjis("→←")));  // only the first two bytes
  EXPECT_EQ(Entry(126), Sjis("→"));
  EXPECT_TRUE(FullWidth_SetEntry(252, "\x81\x9A"));
  EXPECT_EQ(FullWidth_Convert("~\xFC"), Sjis("→") + "\x81\x9A");
  EXPECT_TRUE(FullWidth_SetEntry(0, "\x81\x9B"));
  EXPECT_EQ(Entry(0), "\x81\x9B");
}

}  // namespace
