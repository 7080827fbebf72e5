#include "cmdfile/Cell_Check.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(CellCheck, EveryKindBothSidesOfItsLimits) {
  const std::string kanji = "\x88\x9f";     // a double-byte character
  const std::string trail5c = "\x83\x5c";   // its trail byte is a backslash
  struct Row {
    std::string rule, value;
    int want;
  } rows[] = {
      // R0: digits, exactly the maximum
      {"R0=3", "123", 0}, {"R0=3", "12", 9507}, {"R0=3", "1234", 9507}, {"R0=3", "1a3", 9508},
      {"R0=3", "", 9507}, {"R0=0", "", 0},
      // R1-R4, N, n: digits, 1 to the maximum
      {"R1=2", "1", 0}, {"R1=2", "12", 0}, {"R1=2", "123", 9507}, {"R1=2", "", 9507},
      {"R2=2", "9", 0}, {"R2=2", "x", 9508}, {"R3=1", "0", 0}, {"R3=1", "00", 9507},
      {"R4=4", "1*", 9508}, {"R4=4", "4444", 0},
      {"N=3", "", 9507}, {"N=3", "123", 0}, {"N=3", "1234", 9507}, {"N=3", "12a4", 9508},
      {"n=3", "", 9507}, {"n=3", "999", 0}, {"n=3", "A", 9508},
      // M, m: digits, 0 to the maximum, the length checked first
      {"M=2", "", 0}, {"M=2", "12", 0}, {"M=2", "abc", 9507}, {"M=2", "a", 9508},
      {"m=2", "abc", 9507}, {"m=2", "a", 9508}, {"m=2", "", 0}, {"m=0", "1", 9507},
      // R5-R9, D, d: dial characters, 1 to the maximum
      {"R5=4", "#*-R", 0}, {"R5=4", "", 9507}, {"R5=4", "AEF0", 0}, {"R5=4", "B", 9508},
      {"R6=2", "99", 0}, {"R6=2", "999", 9507}, {"R7=2", "r", 9508}, {"R7=2", "R", 0},
      {"R8=3", "E-F", 0}, {"R8=3", "+", 9508}, {"R9=1", "#", 0}, {"R9=1", "", 9507},
      {"D=6", "12#*", 0}, {"D=6", "", 9507}, {"D=6", "1234567", 9507}, {"D=6", "12x", 9508},
      {"d=6", "", 9507}, {"d=6", "a", 9508}, {"d=6", "A", 0},
      // e: dial characters, 0 to the maximum
      {"e=6", "12#*", 0}, {"e=6", "", 0}, {"e=6", "123456", 0}, {"e=6", "1234567", 9507},
      {"e=6", "12x", 9508}, {"e=6", "1234567x", 9508},  // characters first
      // H, h: upper-case hexadecimal, 0 to the maximum
      {"H=4", "FF", 0}, {"H=4", "ff", 9508}, {"H=4", "", 0}, {"H=4", "0A9F", 0}, {"H=4", "0A9F0", 9507},
      {"H=4", "G", 9508}, {"h=4", "ff", 9508}, {"h=4", "ABCD", 0},
      // k: "-", "0", "1", exactly the maximum; l: 0 to the maximum
      {"k=3", "-10", 0}, {"k=3", "-1", 9507}, {"k=3", "-102", 9508}, {"k=3", "2", 9508},
      {"l=3", "", 0}, {"l=3", "-1", 0}, {"l=3", "-101", 9507}, {"l=3", "x", 9508},
      // c: single-byte characters, 0 to the maximum
      {"c=10", "abc !;>", 0}, {"c=10", "a" + kanji, 9508}, {"c=10", trail5c, 9508},
      {"c=10", "\xb1\xb2", 0},  // half-width kana are single-byte
      {"c=2", "abc", 9507}, {"c=2", "", 0}, {"c=2", "\x88", 9508},
      // The empty cell passes any check rule, even a broken one.
      {"e=6", "/", 0}, {"x=2", "/", 0}, {"", "/", 0}, {"R0=5", "/", 0},
      // Broken check rules.
      {"x=2", "1", 9314}, {"e", "1", 9314}, {"e=-1", "1", 9314}, {"e=abc", "1", 9314},
      {"E=2", "1", 9314}, {"=2", "1", 9314}, {"e=", "1", 9314}, {"R10=2", "1", 9314},
      {"e=6=", "1", 9314},
  };
  for (const Row& r : rows) EXPECT_EQ(Cell_Check(r.value, r.rule), r.want) << r.rule << " [" << r.value << "]";
}

TEST(CellCheck, NoValueOver255BytesFits) {
  EXPECT_EQ(Cell_Check(std::string(255, '1'), "e=255"), 0);
  EXPECT_EQ(Cell_Check(std::string(256, '1'), "e=300"), 9507);
  EXPECT_EQ(Cell_Check(std::string(256, '1'), "R0=256"), 9507);
  EXPECT_EQ(Cell_Check(std::string(256, 'x'), "M=300"), 9507);
  EXPECT_EQ(Cell_Check(std::string(300, '1'), "c=99999999999999999999"), 9314);  // beyond any number
}

}  // namespace
