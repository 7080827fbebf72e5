#include <gtest/gtest.h>

#include "platform/Cp932.h"
#include "shell/CommonStr_Unit.h"
#include "tests/support/TempDir.h"

namespace {

using List = std::vector<std::string>;

TEST(CommonStr, SplitCommaKeepsEveryPiece) {
  struct Case {
    const char* text;
    List pieces;
  } cases[] = {
      {"", {""}},
      {"a", {"a"}},
      {"a,b,", {"a", "b", ""}},
      {",", {"", ""}},
      {"a,,b", {"a", "", "b"}},
      {"\"x,y\"", {"\"x", "y\""}},  // no quoting
  };
  for (const auto& c : cases) {
    List l;
    Common_SplitComma(l, c.text);
    EXPECT_EQ(l, c.pieces) << c.text;
  }
  // Pieces are appended, not replacing what is there.
  List l{"kept"};
  Common_SplitComma(l, "1,2");
  EXPECT_EQ(l, (List{"kept", "1", "2"}));
}

TEST(CommonStr, SwapCommaPipeBothWaysAndRoundTrip) {
  EXPECT_EQ(Common_SwapCommaPipe("AT&F,E0|V1", false), "AT&F|E0|V1");
  EXPECT_EQ(Common_SwapCommaPipe("AT&F|E0,V1", true), "AT&F,E0,V1");
  EXPECT_EQ(Common_SwapCommaPipe("", true), "");
  EXPECT_EQ(Common_SwapCommaPipe(Common_SwapCommaPipe("ATD,,123", false), true), "ATD,,123");
}

TEST(CommonStr, SwapCommaPipeLeavesTrailBytesAlone) {
  // "－" is 0x81 0x7C: its trail byte is "|" and must not become ",".
  std::string dash = Sjis("モデム－Ａ|B");
  ASSERT_NE(dash.find("\x81\x7C"), std::string::npos);
  EXPECT_EQ(Common_SwapCommaPipe(dash, true), Sjis("モデム－Ａ,B"));
  EXPECT_EQ(Common_SwapCommaPipe(Sjis("－,"), false), Sjis("－|"));
}

TEST(CommonStr, GroupDigitsFromTheRight) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"", ""},           {"1", "1"},           {"123", "123"},
      {"1234", "1,234"},  {"12345", "12,345"},  {"123456", "123,456"},
      {"1234567", "1,234,567"}, {"1234567890", "1,234,567,890"},
      {"abcd", "a,bcd"},  // not checked for digits
  };
  for (const auto& c : cases) EXPECT_EQ(Common_GroupDigits(c.in), c.out) << c.in;
}

// One pixel per byte: a double-byte character is two pixels wide.
int ByteWidth(std::string_view t) { return static_cast<int>(t.size()); }

TEST(CommonStr, FitTextKeepsWhatFitsAndCutsWholeCharacters) {
  EXPECT_EQ(Common_FitTextBy("", 0, ByteWidth), "");
  EXPECT_EQ(Common_FitTextBy("abc", 3, ByteWidth), "abc");
  EXPECT_EQ(Common_FitTextBy("abcdef", 4, ByteWidth), "abcd..");  // dots not measured
  EXPECT_EQ(Common_FitTextBy("abc", 0, ByteWidth), "..");
  // "あいう" at width 3: the second character would be cut in half.
  std::string aiu = Sjis("あいう");
  std::string r = Common_FitTextBy(aiu, 3, ByteWidth);
  EXPECT_EQ(r, Sjis("あ") + "..");
  EXPECT_EQ(Common_FitTextBy(aiu, 1, ByteWidth), "..");
  // A dangling lead byte at the end of the input is taken off whole too.
  EXPECT_EQ(Common_FitTextBy("ab\x82", 2, ByteWidth), "ab..");
}

TEST(CommonStr, FitTextNeverSplitsACharacter) {
  std::string text = Sjis("ダンプ_ｶﾅ_記録A1ソ表.DMP");
  for (int w = 0; w <= static_cast<int>(text.size()); ++w) {
    std::string r = Common_FitTextBy(text, w, ByteWidth);
    if (r == text) {
      EXPECT_LE(ByteWidth(r), w);
      continue;
    }
    ASSERT_GE(r.size(), 2u);
    ASSERT_EQ(r.substr(r.size() - 2), "..");
    std::string rest = r.substr(0, r.size() - 2);
    EXPECT_LE(ByteWidth(rest), w);
    EXPECT_EQ(text.compare(0, rest.size(), rest), 0);
    EXPECT_TRUE(cp932::IsCharBoundary(text, rest.size())) << w;
    // The longest prefix that fits: one more character would not.
    if (rest.size() < text.size()) {
      size_t next = rest.size() + (cp932::IsLeadByte(static_cast<unsigned char>(text[rest.size()])) ? 2 : 1);
      EXPECT_GT(static_cast<int>(next), w);
    }
  }
}

}  // namespace
