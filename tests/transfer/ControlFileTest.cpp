// Reading the control file: the records it yields and the code of every
// kind of faulty line.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/transfer/ControlTestUtil.h"

namespace {

class ControlFile : public ::testing::Test {
 protected:
  void TearDown() override { Ctl_Def_Free(); }
  int Read(std::string_view utf8) { return ReadControlText(dir_, utf8); }
  // One menu around the given item line.
  int ReadItem(std::string_view item) {
    return Read("/T/NI=4;\n" + std::string(item) + "\n\\N\n");
  }
  TempDir dir_;
};

TEST_F(ControlFile, RecordsHoldEveryField) {
  ASSERT_EQ(Read("!先頭のコメント\n"
                 "@部分;Part\n"
                 "/M10/NI=4;BLK,GRP;!システム設定\n"
                 "BLK;NB=1(R0=3);!ブロック\n"
                 ";NB=2(e=4,R=2),IDX=3;FMT=P10R0NI1;!設定値\n"
                 "\\NEXT\n"
                 "/SPD/ITEM;\n"
                 "DATA;NB=1(x=99);\n"
                 "\\N\n"),
            0);
  ASSERT_EQ(Ctl_MenuCount, 2);
  ASSERT_EQ(Ctl_ItemCount, 3);
  const Ctl_MenuRec& m = *Ctl_MenuTbl[0];
  EXPECT_EQ(m.Name, "M10");
  EXPECT_EQ(m.FormKind, 1);
  EXPECT_EQ(m.ItemDigits, 4);
  EXPECT_EQ(m.RequiredCount, 2);
  EXPECT_EQ(m.RequiredNames[0], "BLK");
  EXPECT_EQ(m.RequiredNames[1], "GRP");
  EXPECT_EQ(m.Comment, Sjis("システム設定"));
  EXPECT_EQ(m.FirstItem, 0);
  EXPECT_EQ(m.LastItem, 1);

  const Ctl_ItemRec& blk = *Ctl_ItemTbl[0];
  EXPECT_EQ(blk.Name, "BLK");
  EXPECT_EQ(blk.InputCount, 1);
  EXPECT_EQ(blk.IndexDigits, 0);
  EXPECT_EQ(blk.Attrs[0].Attr, '0');
  EXPECT_EQ(blk.Attrs[0].Digits, 3);
  EXPECT_EQ(blk.FormatFlag, 0);
  EXPECT_EQ(blk.Comment, Sjis("ブロック"));

  const Ctl_ItemRec& semi = *Ctl_ItemTbl[1];
  EXPECT_EQ(semi.Name, ";");
  EXPECT_EQ(semi.InputCount, 2);
  EXPECT_EQ(semi.IndexDigits, 3);
  EXPECT_EQ(semi.Attrs[0].Attr, 'e');
  EXPECT_EQ(semi.Attrs[0].Digits, 4);
  EXPECT_EQ(semi.Attrs[1].Attr, 0) << "\"R\" without a digit stores no attribute";
  EXPECT_EQ(semi.Attrs[1].Digits, 2);
  EXPECT_EQ(semi.FormatFlag, 1);
  EXPECT_EQ(semi.FormatText, "P10R0NI1");
  EXPECT_EQ(semi.Comment, Sjis("設定値"));

  const Ctl_MenuRec& spd = *Ctl_MenuTbl[1];
  EXPECT_EQ(spd.Name, "SPD");
  EXPECT_EQ(spd.FormKind, 0);
  EXPECT_EQ(spd.ItemDigits, 0);
  EXPECT_EQ(spd.RequiredCount, 0);
  EXPECT_EQ(spd.FirstItem, 2);
  EXPECT_EQ(spd.LastItem, 2);
  EXPECT_EQ(Ctl_ItemTbl[2]->Attrs[0].Digits, 99);
}

TEST_F(ControlFile, LinesEndedByLfOrCrLf) {
  ControlFileName = dir_.Write("CONTROL.DAT", "/A/NO=2;\nX;NB=1(N=2);\r\n\\N");
  EXPECT_EQ(Ctl_File_Read(), 0);
  ASSERT_EQ(Ctl_MenuCount, 1);
  EXPECT_EQ(Ctl_MenuTbl[0]->FormKind, 2);
  EXPECT_EQ(Ctl_MenuTbl[0]->ItemDigits, 2);
}

TEST_F(ControlFile, FileNameFoundWithoutRegardToCase) {
  dir_.Write("control.dat", "/A/ITEM;\r\nX;NB=1(N=2);\r\n\\N\r\n");
  ControlFileName = dir_.path() + "CONTROL.DAT";
  EXPECT_EQ(Ctl_File_Read(), 0);
  EXPECT_EQ(Ctl_MenuCount, 1);
}

TEST_F(ControlFile, CommentsOnly) {
  EXPECT_EQ(Read("!one\n@part;FILE\n!two\n"), 0);
  EXPECT_EQ(Ctl_MenuCount, 0);
  EXPECT_EQ(Ctl_ItemCount, 0);
  EXPECT_EQ(Read(""), 0);
}

TEST_F(ControlFile, OpenMenuAtEndIsNotCounted) {
  EXPECT_EQ(Read("/A/NI=2;\nX;NB=1(N=2);\n\\N\n/B/NI=2;\nY;NB=1(N=2);\nZ;NB=1(N=2);\n"), 0);
  EXPECT_EQ(Ctl_MenuCount, 1);
  EXPECT_EQ(Ctl_ItemCount, 3) << "the open menu's items stay in the table";
  EXPECT_EQ(Ctl_Menu_Select("/B/"), 1);
  EXPECT_EQ(Ctl_Menu_Select("/A/"), 0);
}

TEST_F(ControlFile, NumberedItemNames) {
  ASSERT_EQ(Read("/A/NI=2;\n;NB=1(N=2);FMT=X;\n:;NB=1(N=2),IDX=1;\n\\N\n"), 0);
  EXPECT_EQ(Ctl_ItemTbl[0]->Name, ";");
  EXPECT_EQ(Ctl_ItemTbl[1]->Name, ":");
  EXPECT_EQ(Ctl_ItemTbl[1]->IndexDigits, 1);
}

TEST_F(ControlFile, HeaderOddities) {
  // The line ends before the closing "/": a menu with an empty name.
  EXPECT_EQ(Read("/ABC\nX;NB=1(N=2);\n\\N\n"), 0);
  EXPECT_EQ(Ctl_MenuTbl[0]->Name, "");
  // A "!" in the required list keeps the names read but counts none.
  EXPECT_EQ(Read("/A/NI=2;BLK,GRP!note\nX;NB=1(N=2);\n\\N\n"), 0);
  EXPECT_EQ(Ctl_MenuTbl[0]->RequiredCount, 0);
  EXPECT_EQ(Ctl_MenuTbl[0]->RequiredNames[0], "BLK");
  EXPECT_EQ(Ctl_MenuTbl[0]->Comment, "note");
  // A list the line ends without ";".
  EXPECT_EQ(Read("/A/NI=2;BLK,GRP\nX;NB=1(N=2);\n\\N\n"), 0);
  EXPECT_EQ(Ctl_MenuTbl[0]->RequiredCount, 0);
  EXPECT_EQ(Ctl_MenuTbl[0]->RequiredNames[0], "BLK");
  EXPECT_EQ(Ctl_MenuTbl[0]->RequiredNames[1], "");
  // Ten names are the most; an empty name counts as one.
  EXPECT_EQ(Read("/A/NI=2;A,B,C,D,E,F,G,H,I,;\nX;NB=1(N=2);\n\\N\n"), 0);
  EXPECT_EQ(Ctl_MenuTbl[0]->RequiredCount, 10);
}

TEST_F(ControlFile, CommentLimits) {
  std::string c40(40, 'c'), c41(41, 'c'), c25(25, 'c'), c26(26, 'c');
  EXPECT_EQ(Read("/A/ITEM;!" + c40 + "\nX;NB=1(N=2);!" + c25 + "\n\\N\n"), 0);
  EXPECT_EQ(Ctl_MenuTbl[0]->Comment, c40);
  EXPECT_EQ(Ctl_ItemTbl[0]->Comment, c25);
  // Longer comments are ignored, not refused.
  EXPECT_EQ(Read("/A/ITEM;!" + c41 + "\nX;NB=1(N=2);FMT=AB;!" + c26 + "\n\\N\n"), 0);
  EXPECT_EQ(Ctl_MenuTbl[0]->Comment, "");
  EXPECT_EQ(Ctl_ItemTbl[0]->Comment, "");
  EXPECT_EQ(Ctl_ItemTbl[0]->FormatText, "AB");
}

TEST_F(ControlFile, ItemLineOptions) {
  // Text after the ";" with no "=" and no "!" is ignored.
  EXPECT_EQ(ReadItem("X;NB=1(N=2);whatever"), 0);
  EXPECT_EQ(Ctl_ItemTbl[0]->FormatFlag, 0);
  EXPECT_EQ(ReadItem("X;NB=1(N=2),IDX=2;FMT"), 0);
  EXPECT_EQ(ReadItem("X;NB=1(N=2);FMT=A;trailing"), 0);
  EXPECT_EQ(ReadItem(std::string("X;NB=1(N=2);FMT=") + std::string(36, 'A') + ";"), 0);
  EXPECT_EQ(Ctl_ItemTbl[0]->FormatText.size(), 36u);
  // "I0" names no input, but an unused item may carry it.
  EXPECT_EQ(ReadItem("X;NB=1(N=2);FMT=I0;"), 0);
  // The second letter of an attribute name is ignored.
  EXPECT_EQ(ReadItem("X;NB=2(Nx=2,cc=3);"), 0);
  EXPECT_EQ(Ctl_ItemTbl[0]->Attrs[0].Attr, 'N');
  EXPECT_EQ(Ctl_ItemTbl[0]->Attrs[1].Attr, 'c');
  // Nine attributes are the most.
  EXPECT_EQ(ReadItem("X;NB=9(N=1,N=1,N=1,N=1,N=1,N=1,N=1,N=1,R9=1);"), 0);
  EXPECT_EQ(Ctl_ItemTbl[0]->Attrs[8].Attr, '9');
  // Blanks around the line are not part of it.
  EXPECT_EQ(ReadItem("X;NB=1(N=2);FMT=A;   "), 0);
}

TEST_F(ControlFile, FileMissingOrUnreadable) {
  ControlFileName = dir_.path() + "NONE.DAT";
  EXPECT_EQ(Ctl_File_Read(), 1);
  ControlFileName = dir_.Write("CONTROL.DAT", "/A/ITEM;\r\n");
  ::chmod(ControlFileName.c_str(), 0);
  // With the rights to read anything, take a file that exists but fails on
  // the first read.
  if (::access(ControlFileName.c_str(), R_OK) == 0) ControlFileName = "/proc/self/mem";
  EXPECT_EQ(Ctl_File_Read(), 100);
}

TEST_F(ControlFile, Code4HeaderInsideMenu) {
  EXPECT_EQ(Read("/A/NI=2;\nX;NB=1(N=2);\n/B/NI=2;\n"), 4);
  EXPECT_EQ(Ctl_MenuCount, 0);
}

TEST_F(ControlFile, Code5MoreThan400Menus) {
  std::string text;
  for (int i = 0; i < 400; ++i) text += "/M" + std::to_string(i) + "/ITEM;\nX;NB=1(N=2);\n\\N\n";
  EXPECT_EQ(Read(text), 0);
  EXPECT_EQ(Ctl_MenuCount, 400);
  EXPECT_EQ(Read(text + "/LAST/ITEM;\n"), 5);
  EXPECT_EQ(Ctl_MenuCount, 400);
}

TEST_F(ControlFile, Code6EndOrItemOutOfPlace) {
  EXPECT_EQ(Read("/A/NI=2;\n\\N\n"), 6) << "an end line right after the header";
  EXPECT_EQ(Read("\\N\n"), 6);
  EXPECT_EQ(Read("\\X\n"), 6) << "outside a menu, 6 comes before 7";
  EXPECT_EQ(Read("X;NB=1(N=2);\n"), 6);
  EXPECT_EQ(Read("   \n"), 6) << "a line of blanks outside a menu";
  EXPECT_EQ(Read(" /X/ITEM;\n"), 6) << "a leading blank makes an item line";
}

TEST_F(ControlFile, Code7EndLineWithoutN) {
  EXPECT_EQ(Read("/A/NI=2;\nX;NB=1(N=2);\n\\X\n"), 7);
  EXPECT_EQ(Read("/A/NI=2;\nX;NB=1(N=2);\n\\\n"), 7);
  EXPECT_EQ(Read("/A/NI=2;\nX;NB=1(N=2);\n\\n\n"), 7);
}

TEST_F(ControlFile, Code9LineLongerThan80Bytes) {
  std::string c79 = "!" + std::string(79, 'x');
  EXPECT_EQ(Read(c79 + "\n"), 0);
  EXPECT_EQ(Read(c79 + "x\n"), 9) << "even a comment line";
  // Bytes count, not characters: 40 double-byte characters and the "!".
  std::string kanji;
  for (int i = 0; i < 39; ++i) kanji += "全";
  EXPECT_EQ(Read("!" + kanji + "x\n"), 0);
  EXPECT_EQ(Read("!" + kanji + "全\n"), 9);
}

TEST_F(ControlFile, Code10MenuName) {
  EXPECT_EQ(Read("//ITEM;\n"), 10);
  EXPECT_EQ(Read("/ABCDEFGH/ITEM;\nX;NB=1(N=2);\n\\N\n"), 0);
  EXPECT_EQ(Read("/ABCDEFGHI/ITEM;\n"), 10);
}

TEST_F(ControlFile, Code11And12FormName) {
  EXPECT_EQ(Read("/A/NX=2;\n"), 11);
  EXPECT_EQ(Read("/A/ni=2;\n"), 11);
  EXPECT_EQ(Read("/A/ITEM=2;\n"), 11);
  EXPECT_EQ(Read("/A/item;\n"), 12);
  EXPECT_EQ(Read("/A/NI;\n"), 12);
}

TEST_F(ControlFile, Code13ItemNumberDigits) {
  EXPECT_EQ(Read("/A/NI=0;\n"), 13);
  EXPECT_EQ(Read("/A/NI=12;\n"), 13);
  EXPECT_EQ(Read("/A/NI=a;\n"), 13);
  EXPECT_EQ(Read("/A/NI=;\n"), 13);
}

TEST_F(ControlFile, Code14And15Index) {
  EXPECT_EQ(ReadItem("X;NB=1(N=2),IDY=2;"), 14);
  EXPECT_EQ(ReadItem("X;NB=1(N=2),idx=2;"), 14);
  EXPECT_EQ(ReadItem("X;NB=1(N=2),IDX=0;"), 15);
  EXPECT_EQ(ReadItem("X;NB=1(N=2),IDX=10;"), 15);
  EXPECT_EQ(ReadItem("X;NB=1(N=2),IDX=;"), 15);
}

TEST_F(ControlFile, Code16And17RequiredNames) {
  EXPECT_EQ(Read("/A/NI=2;ABCDE;\nX;NB=1(N=2);\n\\N\n"), 0);
  EXPECT_EQ(Read("/A/NI=2;ABCDEF;\n"), 16);
  EXPECT_EQ(Read("/A/ITEM;A,ABCDEF,B;\n"), 16);
  EXPECT_EQ(Read("/A/NI=2;A,B,C,D,E,F,G,H,I,J,K;\n"), 17);
}

TEST_F(ControlFile, Code19To21ItemHead) {
  EXPECT_EQ(ReadItem("ABCDE;NB=1(N=2);"), 0);
  EXPECT_EQ(ReadItem("ABCDEF;NB=1(N=2);"), 19);
  EXPECT_EQ(ReadItem("X;nb=1(N=2);"), 20);
  EXPECT_EQ(ReadItem("X;NB(N=2)=1;"), 20);
  EXPECT_EQ(ReadItem("X;NB=0(N=2);"), 21);
  EXPECT_EQ(ReadItem("X;NB=10(N=2);"), 21);
  EXPECT_EQ(ReadItem("X;NB=x(N=2);"), 21);
}

TEST_F(ControlFile, Code22To24Attributes) {
  EXPECT_EQ(ReadItem("X;NB=1(Q=2);"), 22);
  EXPECT_EQ(ReadItem("X;NB=1(QX=2);"), 22);
  EXPECT_EQ(ReadItem("X;NB=1(=2);"), 22);
  EXPECT_EQ(ReadItem("X;NB=1(n=2);"), 0);
  EXPECT_EQ(ReadItem("X;NB=1(RA=2);"), 0) << "stored empty, refused when a value comes";
  EXPECT_EQ(ReadItem("X;NB=9(N=1,N=1,N=1,N=1,N=1,N=1,N=1,N=1,N=1,N=1);"), 23);
  EXPECT_EQ(ReadItem("X;NB=1(N=100);"), 24);
  EXPECT_EQ(ReadItem("X;NB=1(N=);"), 24);
  EXPECT_EQ(ReadItem("X;NB=1(N=x);"), 24);
  EXPECT_EQ(ReadItem("X;NB=1(N=-1);"), 24);
  EXPECT_EQ(ReadItem("X;NB=1(N=0);"), 0);
}

TEST_F(ControlFile, Code25And26AfterTheList) {
  EXPECT_EQ(ReadItem("X;NB=2(N=2);"), 25);
  EXPECT_EQ(ReadItem("X;NB=1(N=2,N=2);"), 25);
  EXPECT_EQ(ReadItem("X;NB=1(N=2)X;"), 26);
  EXPECT_EQ(ReadItem("X;NB=2(N=2))"), 26) << "26 is found before 25";
}

TEST_F(ControlFile, Code27And28Format) {
  EXPECT_EQ(ReadItem("X;NB=1(N=2);FMX=A;"), 27);
  EXPECT_EQ(ReadItem("X;NB=1(N=2);FMT=AR;"), 28);
  EXPECT_EQ(ReadItem("X;NB=1(N=2);FMT=AI;"), 28);
  EXPECT_EQ(ReadItem("X;NB=1(N=2);FMT=RA1;"), 28);
  EXPECT_EQ(ReadItem("X;NB=1(N=2);FMT=I1R;X"), 28);
  EXPECT_EQ(ReadItem("X;NB=1(N=2);FMT=;"), 28);
  EXPECT_EQ(ReadItem(std::string("X;NB=1(N=2);FMT=") + std::string(37, 'A') + ";"), 28);
}

TEST_F(ControlFile, Code30IncompleteItem) {
  EXPECT_EQ(ReadItem("X;NB=1(NNN=2);"), 30) << "a three-letter attribute name";
  EXPECT_EQ(ReadItem("X"), 30);
  EXPECT_EQ(ReadItem("X;NB"), 30);
  EXPECT_EQ(ReadItem("X;NB=1"), 30);
  EXPECT_EQ(ReadItem("X;NB=1(N"), 30);
  EXPECT_EQ(ReadItem("X;NB=1(N=2"), 30);
  EXPECT_EQ(ReadItem("X;NB=1(N=2)"), 30);
  EXPECT_EQ(ReadItem("X;NB=1(N=2),IDX=2"), 30);
  EXPECT_EQ(ReadItem("X;NB=1(N=2);FMT=AB"), 30);
  EXPECT_EQ(ReadItem("X;NB=1(N=2);FMT=AR"), 30);
}

TEST_F(ControlFile, Code200UnexpectedLines) {
  EXPECT_EQ(Read("!title\n\n"), 200) << "an empty line";
  EXPECT_EQ(Read("/A/NI=2;\n   \n"), 200) << "a line of blanks inside a menu";
}

TEST_F(ControlFile, ItemTableNeverOverflows) {
  std::string items;
  for (int i = 0; i < 1001; ++i) items += "X;NB=1(N=2);\n";
  EXPECT_EQ(Read("/A/ITEM;\n" + items + "\\N\n"), 0);
  EXPECT_EQ(Ctl_ItemCount, 1001);
  EXPECT_EQ(Read("/A/ITEM;\n" + items + "X;NB=1(N=2);\n\\N\n"), 200);
  EXPECT_EQ(Ctl_ItemCount, 1001);
}

TEST_F(ControlFile, RecordsBeforeAFaultStay) {
  EXPECT_EQ(Read("/A/ITEM;\nX;NB=1(N=2);\n\\N\n/B/ITEM;\nY;NB=1(N=2);\nZ;NB=1(Q=2);\n"), 22);
  EXPECT_EQ(Ctl_MenuCount, 1);
  EXPECT_EQ(Ctl_ItemCount, 2);
  Ctl_Def_Free();
  EXPECT_EQ(Ctl_MenuCount, 0);
  EXPECT_EQ(Ctl_ItemCount, 0);
  for (auto& m : Ctl_MenuTbl) EXPECT_EQ(m, nullptr);
  for (auto& it : Ctl_ItemTbl) EXPECT_EQ(it, nullptr);
}

}  // namespace
