// How a file or folder name found on disk is shown: UTF-8 as it is, else
// CP932, else with replacement characters, each "/" part on its own.
#include <gtest/gtest.h>

#include "platform/Cp932.h"
#include "platform/FileSys.h"
#include "tests/support/TempDir.h"

TEST(NameDisplay, EachPartIsReadAsUtf8ElseCp932ElseReplaced) {
  struct Row {
    std::string onDisk;
    std::string shown;     // UTF-8
    std::string asCp932;   // for printing
  } rows[] = {
      {"Initial.CMD", "Initial.CMD", "Initial.CMD"},
      {"テスト.CMD", "テスト.CMD", "\x83\x65\x83\x58\x83\x67.CMD"},
      {"\x83\x65\x83\x58\x83\x67.CMD", "テスト.CMD", "\x83\x65\x83\x58\x83\x67.CMD"},
      // Half-width katakana, and a byte that is no character in either.
      {"\xB1\xB2.DMP", "ｱｲ.DMP", "\xB1\xB2.DMP"},
      {"a\xA0" "b.DMP", "a\xEF\xBF\xBD" "b.DMP", "a\xA0" "b.DMP"},
      // A UTF-8 folder holding a CP932 name: each part decoded on its own.
      {"/tmp/データ/\x83\x65\x83\x58\x83\x67.CMD", "/tmp/データ/テスト.CMD", ""},
      // An overlong UTF-8 "/" is no UTF-8: read as CP932 katakana.
      {"\xC0\xAF", "ﾀｯ", "\xC0\xAF"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.shown);
    EXPECT_EQ(cp932::NameToUtf8(r.onDisk), r.shown);
    if (!r.asCp932.empty()) {
      EXPECT_EQ(cp932::NameToCp932(r.onDisk), r.asCp932);
    }
  }
  EXPECT_TRUE(cp932::IsUtf8("テスト"));
  EXPECT_FALSE(cp932::IsUtf8("\x83\x65\x83\x58\x83\x67"));
  EXPECT_FALSE(cp932::IsUtf8("\xED\xA0\x80"));  // a surrogate
}

// A name the programs give in UTF-8 finds the entry that carries it in CP932
// bytes; the UTF-8 spelling wins when both exist, and a trail byte that
// looks like an ASCII letter is never folded.
TEST(NameDisplay, ResolveFindsTheCp932SpellingOfAName) {
  TempDir d;
  const std::string sjis = "\x83\x65\x83\x58\x83\x67.CMD";  // テスト.CMD
  d.Write(sjis, "s");
  d.Write("\x83\x41.DAT", "a");  // ア
  EXPECT_EQ(fsys::Resolve(d.path(), "テスト.CMD"), d.path() + sjis);
  EXPECT_EQ(fsys::Resolve(d.path(), "テスト.cmd"), d.path() + sjis);
  EXPECT_EQ(fsys::Resolve(d.path(), "ア.DAT"), d.path() + "\x83\x41.DAT");
  // ヂ is 0x83 0x61: equal to ア but for the case of its trail byte.
  EXPECT_EQ(fsys::Resolve(d.path(), "ヂ.DAT"), d.path() + "ヂ.DAT");
  d.Write("テスト.CMD", "u");
  EXPECT_EQ(fsys::Resolve(d.path(), "テスト.CMD"), d.path() + "テスト.CMD");
  EXPECT_EQ(fsys::Resolve(d.path(), "Neu.CMD"), d.path() + "Neu.CMD");
}
