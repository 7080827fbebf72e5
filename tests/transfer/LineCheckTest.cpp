// The line checker: values against their attributes, the entry state
// machine with its result codes, and the command text of the formats.
#include <gtest/gtest.h>

#include <vector>

#include "tests/transfer/ControlTestUtil.h"

namespace {

// One item per attribute, each with the format "I1" (or "R<d>" for the
// required-value attributes), so the command text is ":" + the converted value.
constexpr const char* kAttrControl =
    "/T/ITEM;\n"
    "N3;NB=1(N=3);FMT=I1;\n"
    "n3;NB=1(n=3);FMT=I1;\n"
    "M2;NB=1(M=2);FMT=I1;\n"
    "m2;NB=1(m=2);FMT=I1;\n"
    "D4;NB=1(D=4);FMT=I1;\n"
    "d4;NB=1(d=4);FMT=I1;\n"
    "e4;NB=1(e=4);FMT=I1;\n"
    "H2;NB=1(H=2);FMT=I1;\n"
    "h4;NB=1(h=4);FMT=I1;\n"
    "k3;NB=1(k=3);FMT=I1;\n"
    "l3;NB=1(l=3);FMT=I1;\n"
    "c4;NB=1(c=4);FMT=I1;\n"
    "c99;NB=1(c=99);FMT=I1;\n"
    "x2;NB=1(x=2);FMT=I1;\n"
    "Q0;NB=1(R0=3);FMT=R0;\n"
    "Q4;NB=1(R4=2);FMT=R4;\n"
    "Q5;NB=1(R5=3);FMT=R5;\n"
    "Q9;NB=1(R9=4);FMT=R9;\n"
    "QX;NB=1(R=2);FMT=A;\n"
    "\\N\n";

constexpr const char* kShapeControl =
    "/S/NI=4;BLK;\n"
    "BLK;NB=1(R0=3);\n"
    ";NB=1(M=2);FMT=AR0NI1;\n"
    ":;NB=1(D=4),IDX=2;FMT=BNDI1;\n"
    "FS;NB=1(m=2),IDX=3;FMT=CDI1;\n"
    "TWO;NB=2(N=2,c=4);FMT=EI1I2;\n"
    "MISS;NB=2(N=2,N=2);FMT=EI2;\n"
    "ZERO;NB=1(N=2);FMT=EI0;\n"
    "NOIDX;NB=1(N=2);FMT=ED;\n"
    "REQ;NB=1(N=2);FMT=ER9;\n"
    "PLAIN;NB=1(N=2);\n"
    "\\N\n"
    "/ONE/NI=1;\n"
    ":;NB=1(N=2),IDX=1;FMT=FND;\n"
    ";NB=1(N=2);FMT=GNI1;\n"
    "\\N\n"
    "/SPD/ITEM;\n"
    "NO;NB=1(R0=3);\n"
    "DATA;NB=2(e=24,c=16);FMT=SR0I1I2;\n"
    "\\N\n"
    "/DIR/ITEM;\n"
    "NO;NB=1(R5=4);\n"
    "NAME;NB=1(c=10);FMT=TR5I1;\n"
    "\\N\n"
    "/KNJ/ITEM;\n"
    "DATA2;NB=2(N=1,c=20);FMT=KI1I2;\n"
    "\\N\n"
    "/DUP/ITEM;\n"
    "X;NB=1(N=2);FMT=1I1;\n"
    "\\N\n"
    "/DUP/ITEM;\n"
    "X;NB=1(N=2);FMT=2I1;\n"
    "\\N\n"
    "/NOSEMI/NI=2;\n"
    "X;NB=1(N=2);\n"
    "\\N\n"
    "/IT/ITEM;\n"
    ";NB=1(N=2);FMT=HI1;\n"
    "\\N\n";

struct Case {
  const char* line;     // UTF-8
  int code;
  const char* command;  // UTF-8: the command text when code is 0, else a note
};

class LineCheck : public ::testing::Test {
 protected:
  void TearDown() override { Ctl_Def_Free(); }
  void Load(const char* control) { ASSERT_EQ(ReadControlText(dir_, control), 0); }
  int Check(std::string_view utf8, int checkOnly = 0) { return Ctl_Line_Check(Sjis(utf8), checkOnly); }
  // Each case on a freshly selected menu.
  void Run(const char* menu, const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      ASSERT_EQ(Ctl_Menu_Select(menu), 0);
      EXPECT_EQ(Check(c.line), c.code) << menu << " " << c.line;
      if (c.code == 0) {
        EXPECT_EQ(Ctl_State.Command, Sjis(c.command)) << menu << " " << c.line;
      }
    }
  }
  TempDir dir_;
};

TEST_F(LineCheck, DecimalAttributes) {
  Load(kAttrControl);
  Run("/T/", {
                 {"N3=12;", 0, ":012"},
                 {"N3=123;", 0, ":123"},
                 {"N3=1234;", 10, ""},
                 {"N3=;", 10, ""},
                 {"N3=   ;", 10, "blanks only count as empty"},
                 {"N3= 1;", 9, "a blank is a character of class 0x100"},
                 {"N3=1 2;", 9, ""},
                 {"N3=1A;", 9, ""},
                 {"N3=#;", 9, ""},
                 {"n3=12;", 0, ":0212"},
                 {"n3=;", 10, ""},
                 {"M2=;", 0, ":00"},
                 {"M2=7;", 0, ":07"},
                 {"M2=  ;", 9, ""},
                 {"M2=A;", 9, ""},
                 {"m2=;", 0, ":010"},
                 {"m2=7;", 0, ":017"},
                 {"m2=x;", 9, ""},
                 {"m2=123;", 10, ""},
             });
}

TEST_F(LineCheck, DialAndHexAttributes) {
  Load(kAttrControl);
  Run("/T/", {
                 {"D4=1*#-;", 0, ":1*#-"},
                 {"D4=A9;", 0, ":A9  "},
                 {"D4=REF;", 0, ":REF "},
                 {"D4=;", 10, ""},
                 {"D4=B;", 9, "B, C and D are hexadecimal only"},
                 {"D4=P;", 9, ""},
                 {"D4=12345;", 10, ""},
                 {"d4=RA;", 0, ":02RA"},
                 {"d4=;", 10, ""},
                 {"e4=;", 0, ":00"},
                 {"e4=E-F;", 0, ":03E-F"},
                 {"e4=C;", 9, ""},
                 {"H2=0F;", 0, ":0F"},
                 {"H2=F;", 0, ":F "},
                 {"H2=G;", 9, ""},
                 {"H2=-;", 9, ""},
                 {"H2=;", 10, ""},
                 {"h4=BEEF;", 0, ":04BEEF"},
                 {"h4=;", 10, ""},
             });
}

TEST_F(LineCheck, SwitchAttributes) {
  Load(kAttrControl);
  Run("/T/", {
                 {"k3=-01;", 0, ":03012"},
                 {"k3=1;", 0, ":012"},
                 {"k3=;", 10, ""},
                 {"k3=2;", 9, ""},
                 {"k3=0 1;", 9, ""},
                 {"l3=;", 0, ":00"},
                 {"l3=10-;", 0, ":03210"},
                 {"l3=1111;", 10, ""},
             });
}

TEST_F(LineCheck, TextAttributes) {
  Load(kAttrControl);
  Run("/T/", {
                 {"c4=  ;", 0, ":02  "},
                 {"c4=;", 0, ":00"},
                 {"c4=ab=c;", 0, ":04ab=c"},
                 {"c4=山田;", 0, ":04山田"},
                 {"c4=山田a;", 10, "lengths count bytes"},
                 {"c4=ﾔﾏﾀﾞ;", 0, ":04ﾔﾏﾀﾞ"},
                 {"c4=a\x01;", 9, ""},
                 {"c4=a\x7f;", 9, ""},
                 {"x2=a\x01;", 0, ":02a\x01"},
                 {"x2=abc;", 10, "even any text has its width"},
                 {"x2=;", 0, ":00"},
             });
}

TEST_F(LineCheck, RequiredValueAttributes) {
  Load(kAttrControl);
  Run("/T/", {
                 {"Q0=5;", 0, ":005"},
                 {"Q0=;", 10, ""},
                 {"Q0=A;", 9, ""},
                 {"Q4=12;", 0, ":12"},
                 {"Q5=#1;", 0, ":#1 "},
                 {"Q5=;", 10, ""},
                 {"Q9=R-1;", 0, ":R-1 "},
                 {"QX=1;", 9, "\"R\" without a digit refuses every value"},
                 {"QX=;", 9, ""},
                 {"QX=123;", 10, ""},
             });
  ASSERT_EQ(Ctl_Menu_Select("/T/"), 0);
  ASSERT_EQ(Check("Q5=7;"), 0);
  EXPECT_EQ(Ctl_State.Required[5], "7  ");
  EXPECT_EQ(Ctl_State.Input[0], "") << "required values do not go to the input slots";
}

TEST_F(LineCheck, LengthFormNeedsTwoDigits) {
  Load(kAttrControl);
  // Trimmed, the value fits its width of 99; as written it has 100 bytes,
  // which a two-digit length cannot give.
  std::string v99(99, 'v');
  ASSERT_EQ(Ctl_Menu_Select("/T/"), 0);
  EXPECT_EQ(Check("c99=" + v99 + ";"), 0);
  EXPECT_EQ(Ctl_State.Command, ":99" + v99);
  EXPECT_EQ(Check("c99= " + v99 + ";"), 10);
  EXPECT_EQ(Check("c99=" + std::string(98, 'v') + " ;"), 0);
}

TEST_F(LineCheck, NumberedEntries) {
  Load(kShapeControl);
  ASSERT_EQ(Ctl_Menu_Select("/S/"), 0);
  EXPECT_EQ(Check("0001=5;"), 8) << "the block number is required first";
  ASSERT_EQ(Check("BLK=073;"), 0);
  EXPECT_EQ(Ctl_State.Command, "") << "an item without a format builds no text";
  EXPECT_EQ(Ctl_State.Required[0], "073");
  // The required value holds for the following lines of the section.
  std::vector<Case> cases = {
      {"0001=5;", 0, ":A073000105"},
      {"1=7;", 0, ":A073000107"},
      {"0001=1>2>3;", 0, ":A073000101" "02" "03"},
      {"0001=1;0002=2;", 0, ":A073000202"},
      {"0001=1; 0002=2;", 0, ":A073000202"},
      {"  0001=1;", 0, ":A073000101"},
      {"0001 =1;", 0, ":A073000101"},
      {"0001=1;  !夜間", 0, ":A073000101"},
      {"0001=\t1;", 0, ":A073000101"},
      {"0001=1\t;", 0, ":A073000101"},
      {"!0001=1;", 0, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Check(c.line), c.code) << c.line;
    EXPECT_EQ(Ctl_State.Command, Sjis(c.command)) << c.line;
  }
  ASSERT_EQ(Check("0001=1;0002=2;"), 0);
  EXPECT_EQ(Ctl_State.ItemNo, "0002");
  // A new section forgets the block.
  ASSERT_EQ(Ctl_Menu_Select("/S/"), 0);
  EXPECT_EQ(Check("0001=5;"), 8);
}

TEST_F(LineCheck, PatternAndKeyedEntries) {
  Load(kShapeControl);
  Run("/S/", {
                 {"0003-12=A9;", 0, ":B000312A9  "},
                 {"0003-12=AB;", 9, "B is no dial character"},
                 {"0003-*=1>2;", 0, ":B00030*1   :B00040*2   "},
                 {"FS-101=1>2;", 0, ":C101011:C102012"},
                 {"FS-7=;", 0, ":C007010"},
                 {"FS-*=1;", 12, "a named item needs a number"},
                 {"FS=1;", 12, ""},
                 {"FS-999=1;", 0, ":C999011"},
                 {"FS-999=1>2;", 12, "1000 does not fit three digits"},
                 {"TWO=1,ab;", 0, ":E0102ab"},
                 {"TWO=1,ab>2;", 0, ":E0102ab:E01012"},
                 {"TWO=1,ab,c;", 10, ""},
                 {"TWO=1,ab,;", 9, ""},
                 {"MISS=1;", 8, ""},
                 {"ZERO=1;", 12, "I0 names no input"},
                 {"NOIDX=1;", 12, ""},
                 {"REQ=1;", 8, ""},
                 {"PLAIN=1;", 0, ""},
             });
  Run("/ONE/", {
                   {"9=1;", 0, ":G901"},
                   {"8-1=1>2;", 0, ":F81:F91"},
                   {"9-1=1>2;", 12, "the item number grows past its digit"},
                   {"9-*=1;", 0, ":F9*"},
                   {"12=1;", 5, ""},
               });
}

TEST_F(LineCheck, CheckOnlyBuildsNoText) {
  Load(kShapeControl);
  ASSERT_EQ(Ctl_Menu_Select("/S/"), 0);
  EXPECT_EQ(Check("MISS=1;", 1), 0);
  EXPECT_EQ(Ctl_State.Command, "");
  EXPECT_EQ(Check("0001=5;", 1), 0);
  EXPECT_EQ(Ctl_State.Command, "");
  EXPECT_EQ(Check("0001=;", 1), 0);
  EXPECT_EQ(Check("0001=555;", 1), 10) << "values are still checked";
}

TEST_F(LineCheck, KeyAndIndexFaults) {
  Load(kShapeControl);
  Run("/S/", {
                 {"UNKNOWN=1;", 3, ""},
                 {"two=1;", 3, "names compare exactly"},
                 {"1234=1;", 8, ""},
                 {"12345=1;", 5, ""},
                 {"=1;", 5, "an empty key is numeric"},
                 {"-1=1;", 5, ""},
                 {"00!01=1;", 4, ""},
                 {"0001 1=1;", 4, ""},
                 {"0001\t1=1;", 4, ""},
                 {"0001-!=1;", 4, ""},
                 {"0001-1!=1;", 4, ""},
                 {"0001-1a=1;", 6, ""},
                 {"0001-**=1;", 6, ""},
                 {"0001-1 2=1;", 6, ""},
                 {"0001- 1=A;", 0, ":B000101A   "},
                 {"0001-=1;", 7, ""},
                 {"0001-123=1;", 7, ""},
                 {"NOIDX-1=1;", 7, "an item without IDX takes no index"},
             });
  Run("/NOSEMI/", {{"01=1;", 3, ""}});
  Run("/IT/", {{"1=1;", 5, "an ITEM menu has no numeric keys"}});
}

TEST_F(LineCheck, DataFaultsAndUnfinishedLines) {
  Load(kShapeControl);
  Run("/S/", {
                 {"TWO=1!,a;", 9, "the error character"},
                 {"TWO=1\t2,a;", 9, "characters after a tab"},
                 {"TWO=1\t ,a;", 9, ""},
                 {"TWO=1,a", 11, ""},
                 {"TWO", 11, ""},
                 {"FS-1", 11, ""},
                 {"FS-1=", 11, ""},
                 {"PLAIN=1;PLAIN", 11, ""},
                 {"", 0, ""},
                 {"   ", 0, ""},
             });
}

TEST_F(LineCheck, DelimitersFollowTheMenu) {
  Load(kShapeControl);
  Run("/SPD/", {
                   {"NO=005>DATA=0312345678<ﾔﾏﾀﾞ>", 0, ":S005100312345678" "04ﾔﾏﾀﾞ"},
                   {"NO=005>DATA=1<a!b;c>", 0, ":S0050110" "5a!b;c"},
                   {"NO=005>DATA=<>", 0, ":S0050000"},
                   {"NO=005>DATA=1,2<a>", 9, "\",\" is no separator here"},
                   {"DATA=1<a>", 8, ""},
                   {"!NO=005>", 0, ""},
               });
  Run("/DIR/", {{"NO=#10>NAME=ｹｲﾋﾞ=A>", 0, ":T#10 06ｹｲﾋﾞ=A"}});
  Run("/KNJ/", {
                   {"DATA2=1\x06山田\x11", 0, ":K104山田"},
                   {"DATA2=1\x06山田", 11, ""},
                   {"DATA2=1\x06" "a;b>c,d!\x11", 0, ":K108a;b>c,d!"},
               });
  Run("/DUP/", {{"X=1;", 0, ":201"}});
}

TEST_F(LineCheck, MenuSelection) {
  Load(kShapeControl);
  EXPECT_EQ(Ctl_Menu_Select("/NONE/"), 1);
  EXPECT_EQ(Ctl_State.Menu, nullptr);
  EXPECT_EQ(Ctl_Menu_Select("/S"), 2);
  EXPECT_EQ(Ctl_Menu_Select(""), 2);
  EXPECT_EQ(Ctl_Menu_Select("/s/"), 1);
  EXPECT_EQ(Ctl_Menu_Select("/S/   !comment"), 0);
  EXPECT_EQ(Ctl_State.Delim.Terminator, ';');
  EXPECT_EQ(Ctl_State.Delim.ErrorChar, '!');
  EXPECT_EQ(Ctl_Menu_Select("/SPD/"), 0);
  EXPECT_EQ(Ctl_State.Delim.Terminator, '>');
  EXPECT_EQ(Ctl_State.Delim.FieldSep, '<');
  EXPECT_EQ(Ctl_State.Delim.RecordSep, 0);
  EXPECT_EQ(Ctl_State.Delim.ErrorChar, 0);
  EXPECT_EQ(Ctl_Menu_Select("/KNJ/"), 0);
  EXPECT_EQ(Ctl_State.Delim.Terminator, '\x11');
  EXPECT_EQ(Ctl_State.Delim.FieldSep, '\x06');
  // Without a menu every data line is an undefined item, and no text of an
  // earlier line is left behind.
  ASSERT_EQ(Ctl_Menu_Select("/DUP/"), 0);
  ASSERT_EQ(Check("X=1;"), 0);
  Ctl_Menu_Clear();
  EXPECT_EQ(Check("0001=1;"), 3);
  EXPECT_EQ(Ctl_State.Command, "");
  EXPECT_EQ(Ctl_State.Item, nullptr);
  ASSERT_EQ(Ctl_Menu_Select("/S/"), 0);
  Ctl_Def_Free();
  EXPECT_EQ(Ctl_State.Menu, nullptr);
  EXPECT_EQ(Check("0001=1;"), 3);
}

TEST_F(LineCheck, StateAfterAFault) {
  Load(kShapeControl);
  ASSERT_EQ(Ctl_Menu_Select("/S/"), 0);
  EXPECT_EQ(Check("0001-1a=1;"), 6);
  EXPECT_EQ(Ctl_State.ParseState, 1);
  ASSERT_NE(Ctl_State.Item, nullptr);
  EXPECT_EQ(Ctl_State.Item->Name, ":");
  EXPECT_EQ(Check("TWO=1,a,b;"), 10);
  EXPECT_EQ(Ctl_State.ParseState, 2);
  EXPECT_EQ(Ctl_State.FieldNo, 2);
}

TEST(CharClass, FixedTable) {
  EXPECT_EQ(Ctl_CharClass('0'), 0x01u);
  EXPECT_EQ(Ctl_CharClass('1'), 0x01u);
  EXPECT_EQ(Ctl_CharClass('2'), 0x02u);
  EXPECT_EQ(Ctl_CharClass('9'), 0x02u);
  EXPECT_EQ(Ctl_CharClass('#'), 0x04u);
  EXPECT_EQ(Ctl_CharClass('*'), 0x04u);
  EXPECT_EQ(Ctl_CharClass('R'), 0x04u);
  EXPECT_EQ(Ctl_CharClass('A'), 0x08u);
  EXPECT_EQ(Ctl_CharClass('B'), 0x10u);
  EXPECT_EQ(Ctl_CharClass('D'), 0x10u);
  EXPECT_EQ(Ctl_CharClass('E'), 0x20u);
  EXPECT_EQ(Ctl_CharClass('F'), 0x20u);
  EXPECT_EQ(Ctl_CharClass('P'), 0x40u);
  EXPECT_EQ(Ctl_CharClass('-'), 0x80u);
  EXPECT_EQ(Ctl_CharClass(' '), 0x100u);
  EXPECT_EQ(Ctl_CharClass('a'), 0x100u);
  EXPECT_EQ(Ctl_CharClass('G'), 0x100u);
  EXPECT_EQ(Ctl_CharClass(0x1F), 0xFFFFu);
  EXPECT_EQ(Ctl_CharClass(0x00), 0xFFFFu);
  EXPECT_EQ(Ctl_CharClass(0x7F), 0xFFFFu);
  for (int c = 0x80; c < 0x100; ++c) EXPECT_EQ(Ctl_CharClass(static_cast<unsigned char>(c)), 0x100u) << c;
}

}  // namespace
