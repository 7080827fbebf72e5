#include <gtest/gtest.h>

#include "shell/MsgFile.h"
#include "tests/support/TempDir.h"

namespace {

using V = std::vector<std::string>;

TEST(MsgFileSplit, ShortLinesLeaveTheMissingFieldsEmpty) {
  EXPECT_EQ(MsgFile_Split("J0001=Cap,Text,1,1", 4), (V{"Cap", "Text", "1", "1"}));
  // Three fields: the OK flag is empty, the rest goes to Cancel.
  EXPECT_EQ(MsgFile_Split("J0001=Cap,Text,1", 4), (V{"Cap", "Text", "", "1"}));
  // Two fields: no text, no flags, the second piece is the last field.
  EXPECT_EQ(MsgFile_Split("J0001=Cap,Text", 4), (V{"Cap", "", "", "Text"}));
  // More commas than fields: the last field keeps them.
  EXPECT_EQ(MsgFile_Split("J0001=a,b,c,d,e", 4), (V{"a", "b", "c", "d,e"}));
  // Only the first "=" is dropped; with none, nothing is.
  EXPECT_EQ(MsgFile_Split("J0001=a=b,c,1,0", 4), (V{"a=b", "c", "1", "0"}));
  EXPECT_EQ(MsgFile_Split("J0001 a,b,1,0", 4), (V{"J0001 a", "b", "1", "0"}));
}

TEST(MsgFileFlag, OnlyOneShowsAButton) {
  EXPECT_EQ(MsgFile_ReadFlag("1"), 1);
  EXPECT_EQ(MsgFile_ReadFlag("1 "), 1);
  EXPECT_EQ(MsgFile_ReadFlag(" 01"), 1);
  EXPECT_EQ(MsgFile_ReadFlag("+1"), 1);
  EXPECT_EQ(MsgFile_ReadFlag("$1"), 1);
  EXPECT_EQ(MsgFile_ReadFlag("0x1"), 1);
  EXPECT_EQ(MsgFile_ReadFlag("1abc"), 1);
  EXPECT_EQ(MsgFile_ReadFlag("2"), 2);
  EXPECT_EQ(MsgFile_ReadFlag(""), 0);
  EXPECT_EQ(MsgFile_ReadFlag("yes"), 0);
  EXPECT_EQ(MsgFile_ReadFlag("-1"), -1);
  EXPECT_EQ(MsgFile_ReadFlag("99999999999"), 0);
}

TEST(MsgFileExpand, ReplacesEveryExactMarker) {
  EXPECT_EQ(MsgDlg_ExpandCR("a$(CR)b$(CR)$(CR)c"), "a\r\nb\r\n\r\nc");
  EXPECT_EQ(MsgDlg_ExpandCR("a$(cr)b"), "a$(cr)b");
  EXPECT_EQ(MsgDlg_ExpandCR("$(CR"), "$(CR");
}

TEST(MsgFileLookup, FirstExactKeyAtLineStartWins) {
  TempDir d;
  std::string p = d.Write("MSGDLG.DAT",
                          "; comment\r\n"
                          " J0501=Blank,first,1,0\r\n"
                          "j0501=Lower,case,1,0\r\n"
                          "J0501=Right,one$(CR)two,1,1\r\n"
                          "J0501=Second,match,1,0\r\n"
                          "J050=Short,key,1,0\r\n"
                          "J7102=End,quit?,1,1");  // last line without newline
  MsgDlgContent m = MsgDlg_Load(p, "0501", false);
  EXPECT_EQ(m.caption, "Right");
  EXPECT_EQ(m.text, "one\r\ntwo");
  EXPECT_TRUE(m.ok);
  EXPECT_TRUE(m.cancel);
  m = MsgDlg_Load(p, "7102", false);
  EXPECT_EQ(m.caption, "End");
  // Three and five digits never match a line of five or more characters.
  EXPECT_EQ(MsgDlg_Load(p, "050", false).text, "Can not read messagefile");
  EXPECT_EQ(MsgDlg_Load(p, "05011", false).text, "Can not read messagefile");
}

TEST(MsgFileLookup, FallbackDependsOnTheProgram) {
  TempDir d;
  MsgDlgContent m = MsgDlg_Load(d.path() + "MSGDLG.DAT", "0501", false);
  EXPECT_EQ(m.caption, "");
  EXPECT_EQ(m.text, "Can not read messagefile");
  EXPECT_TRUE(m.ok);
  EXPECT_FALSE(m.cancel);
  EXPECT_TRUE(MsgDlg_Load(d.path() + "MSGDLG.DAT", "0501", true).cancel);
}

TEST(MsgFileLookup, PromptsHaveEightFields) {
  TempDir d;
  std::string p = d.Write("INPDLG.DAT",
                          "J1202=Pass,Enter it,Password,8,*,,1,1\r\n"
                          "J1701=Name,File name,Name,20,,\\/:,1,0\r\n"
                          "J1401=Only,two\r\n");
  InpDlgContent a = InpDlg_Load(p, "1202");
  EXPECT_EQ(a.label, "Password");
  EXPECT_EQ(a.maxLength, 8);
  EXPECT_EQ(a.passwordChar, "*");
  EXPECT_TRUE(a.ok && a.cancel);
  InpDlgContent b = InpDlg_Load(p, "1701");
  EXPECT_EQ(b.passwordChar, "");
  EXPECT_EQ(b.forbiddenChars, "\\/:");
  EXPECT_FALSE(b.cancel);
  InpDlgContent c = InpDlg_Load(p, "1401");
  EXPECT_EQ(c.caption, "Only");
  EXPECT_FALSE(c.ok);
  EXPECT_FALSE(c.cancel);
  InpDlgContent none = InpDlg_Load(p, "9999");
  EXPECT_EQ(none.text, "Can not read messagefile");
  EXPECT_EQ(none.maxLength, 0);
  EXPECT_TRUE(none.ok);
  EXPECT_FALSE(none.cancel);
}

}  // namespace
