#include <gtest/gtest.h>

#include "shell/HelpText.h"
#include "tests/support/TempDir.h"

namespace {

using Lines = std::vector<std::string>;

TEST(HelpText, LinesEndAtCrLfOrLf) {
  EXPECT_EQ(HelpText_Lines(""), Lines{});
  EXPECT_EQ(HelpText_Lines("a\r\nb\nc"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(HelpText_Lines("a\r\n\r\n"), (Lines{"a", ""}));
  EXPECT_EQ(HelpText_Lines("\r\n"), (Lines{""}));
}

TEST(HelpText, SectionKeyComparesAsciiLettersWithoutCase) {
  Lines lines{"intro", "/m05/ x", "/M10/ kana", "/M10/ again", "/m13/"};
  EXPECT_EQ(HelpText_FindSection(lines, "/M10/"), 2);
  EXPECT_EQ(HelpText_FindSection(lines, "/m10/"), 2);
  EXPECT_EQ(HelpText_FindSection(lines, "/M13/"), 4);
  EXPECT_EQ(HelpText_FindSection(lines, "/M99/"), -1);
  EXPECT_EQ(HelpText_FindSection(lines, ""), -1);
  // The key is a prefix: a shorter line cannot match.
  EXPECT_EQ(HelpText_FindSection(Lines{"/M1"}, "/M10/"), -1);
}

TEST(HelpText, DoubleByteCharactersAreComparedAsTheyAre) {
  // Full-width letters are not folded.
  Lines fw{Sjis("／ｍ１０／"), Sjis("／Ｍ１０／")};
  EXPECT_EQ(HelpText_FindSection(fw, Sjis("／Ｍ１０／")), 1);
  // "ア" (83 41) and "ヂ" (83 61) differ only in a trail byte that looks
  // like a letter; folding it would make them equal.
  Lines kana{Sjis("ヂ"), Sjis("ア")};
  EXPECT_EQ(HelpText_FindSection(kana, Sjis("ア")), 1);
  // A single-byte letter of the key does not match a lead byte of the line.
  Lines mixed{"\x83" "A", "AA"};
  EXPECT_EQ(HelpText_FindSection(mixed, "AA"), 1);
}

}  // namespace
