#include <gtest/gtest.h>

#include "platform/Cp932.h"

namespace {

TEST(Cp932, DecodesTheCodePageNotPlainShiftJis) {
  // 0x5C and 0x7E are backslash and tilde in CP932, not yen and overline.
  EXPECT_EQ(cp932::ToUtf8("\x5C\x7E"), "\\~");
  // Wave dash area: 0x8160 is U+FF5E in CP932.
  EXPECT_EQ(cp932::ToUtf8("\x81\x60"), "\xEF\xBD\x9E");
  // Half-width katakana.
  EXPECT_EQ(cp932::ToUtf8("\xB1\xDE"), "\xEF\xBD\xB1\xEF\xBE\x9E");
  // NEC special characters: circled one.
  EXPECT_EQ(cp932::ToUtf8("\x87\x40"), "\xE2\x91\xA0");
}

TEST(Cp932, EncodesTypedTextAndRefusesWhatHasNoForm) {
  EXPECT_EQ(cp932::FromUtf8("\\~"), std::optional<std::string>("\x5C\x7E"));
  EXPECT_EQ(cp932::FromUtf8("回線"), std::optional<std::string>("\x89\xF1\x90\xFC"));
  EXPECT_EQ(cp932::FromUtf8("\xEF\xBD\xB1"), std::optional<std::string>("\xB1"));
  EXPECT_FALSE(cp932::FromUtf8("\xF0\x9F\x98\x80"));  // emoji
  EXPECT_FALSE(cp932::FromUtf8("\xC3\xA9"));          // e acute
  EXPECT_FALSE(cp932::FromUtf8("\xC3"));               // broken UTF-8
}

TEST(Cp932, DisplayReplacesOnlyTheBadBytes) {
  // 0xA0 (found in dump files) and a lead byte cut off at the end.
  EXPECT_EQ(cp932::ToUtf8("A\xA0" "B"), "A\xEF\xBF\xBD" "B");
  EXPECT_EQ(cp932::ToUtf8("AB\x82"), "AB\xEF\xBF\xBD");
  // A lead byte followed by a byte that cannot trail: the second survives.
  EXPECT_EQ(cp932::ToUtf8("\x82\x0D"), "\xEF\xBF\xBD\x0D");
}

TEST(Cp932, LosslessRoundTripKeepsEveryByte) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  // Duplicates of the code page (NEC-selected IBM extensions) too.
  all += "\xED\x40\xFA\x5C\x87\x90\x81\xE0";
  auto back = cp932::FromUtf8Lossless(cp932::ToUtf8Lossless(all));
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, all);
}

TEST(Cp932, CutsNeverSplitACharacter) {
  std::string s = "A\x82\xA0" "B\x82\xA2";  // A, hiragana a, B, hiragana i
  EXPECT_EQ(cp932::CutLength(s, 0), 0u);
  EXPECT_EQ(cp932::CutLength(s, 1), 1u);
  EXPECT_EQ(cp932::CutLength(s, 2), 1u);
  EXPECT_EQ(cp932::CutLength(s, 3), 3u);
  EXPECT_EQ(cp932::CutLength(s, 5), 4u);
  EXPECT_EQ(cp932::CutLength(s, 99), 6u);
  EXPECT_TRUE(cp932::IsCharBoundary(s, 1));
  EXPECT_FALSE(cp932::IsCharBoundary(s, 2));
  EXPECT_FALSE(cp932::IsCharBoundary(s, 5));
  EXPECT_EQ(cp932::CharCount(s), 4u);
  // A trail byte that looks like a lead byte is still a trail byte.
  std::string t = "\x81\x81\x81\x81";
  EXPECT_EQ(cp932::CutLength(t, 3), 2u);
}

}  // namespace
