// Checkers of their own: two users checking lines at the same time must not
// see each other's menu, required values or command text, and freeing the
// default tables must not touch a set read by somebody else.
#include <gtest/gtest.h>

#include <thread>

#include "tests/transfer/ControlTestUtil.h"

namespace {

constexpr const char* kFirst =
    "/S/NI=4;BLK;\n"
    "BLK;NB=1(R0=3);\n"
    ";NB=1(M=2);FMT=AR0NI1;\n"
    "\\N\n";
constexpr const char* kSecond =
    "/S/NI=2;\n"
    ";NB=1(N=3);FMT=ZNI1;\n"
    "\\N\n";

TEST(CheckerInstance, TwoCheckersKeepTheirOwnRecords) {
  TempDir dir;
  Ctl_Definitions a, b;
  ASSERT_EQ(Ctl_File_Read(dir.Write("A.DAT", WithCrLf(kFirst)), a), Ctl_ReadDone);
  ASSERT_EQ(Ctl_File_Parse(WithCrLf(kSecond), b), Ctl_ReadDone);
  Ctl_Checker ca(a), cb(b);

  ASSERT_EQ(Ctl_Menu_Select(ca, "/S/"), 0);
  ASSERT_EQ(Ctl_Line_Check(ca, "BLK=7;", 0), 0);
  ASSERT_EQ(Ctl_Menu_Select(cb, "/S/"), 0);
  // Between the section's required value and its entries, the other
  // checker chooses and checks in its own menu of the same name.
  EXPECT_EQ(Ctl_Line_Check(cb, "12=5;", 0), 0);
  EXPECT_EQ(cb.State.Command, ":Z12005");
  EXPECT_EQ(Ctl_Line_Check(cb, "0001=5;", 0), Ctl_BadItemNoDigits) << "b's menu has two digits";
  EXPECT_EQ(Ctl_Line_Check(ca, "0001=5;", 0), 0);
  EXPECT_EQ(ca.State.Command, ":A007000105") << "a kept its required value and its menu";
  EXPECT_EQ(ca.State.Menu, a.MenuTbl[0].get());
  EXPECT_EQ(cb.State.Menu, b.MenuTbl[0].get());

  // The default set and checker are a third, separate pair.
  Ctl_Def_Free();
  EXPECT_EQ(Ctl_Line_Check("0001=5;", 0), Ctl_UndefinedItem);
  EXPECT_EQ(Ctl_Line_Check(ca, "0002=6;", 0), 0);
  EXPECT_EQ(ca.State.Command, ":A007000206");
}

TEST(CheckerInstance, ThreadsCheckOneSetEachWithTheirOwnChecker) {
  Ctl_Definitions defs;
  ASSERT_EQ(Ctl_File_Parse(WithCrLf(kFirst), defs), Ctl_ReadDone);
  const Ctl_Definitions& shared = defs;  // read-only from here on
  auto run = [&shared](char block, int* faults) {
    Ctl_Checker chk(shared);
    for (int round = 0; round < 2000; ++round) {
      Ctl_Menu_Select(chk, "/S/");
      std::string blk = std::string("BLK=") + block + ";";
      if (Ctl_Line_Check(chk, blk, 0) != 0) ++*faults;
      if (Ctl_Line_Check(chk, "0003=9;", 0) != 0 || chk.State.Command != std::string(":A00") + block + "000309")
        ++*faults;
    }
  };
  int f1 = 0, f2 = 0;
  std::thread t1(run, '1', &f1), t2(run, '2', &f2);
  t1.join();
  t2.join();
  EXPECT_EQ(f1, 0);
  EXPECT_EQ(f2, 0);
}

TEST(CheckerInstance, ReaderResultsByName) {
  struct Row {
    const char* text;
    int code;
  } rows[] = {
      {"/A/ITEM;\nX;NB=1(N=2);\n/B/ITEM;\n", Ctl_HeaderInMenu},
      {"\\N\n", Ctl_NotInMenu},
      {"/A/ITEM;\nX;NB=1(N=2);\n\\X\n", Ctl_BadEndLine},
      {"/ABCDEFGHI/ITEM;\n", Ctl_BadMenuName},
      {"/A/ITEM;\nX;NB=1(N=2)\n", Ctl_ItemUnfinished},
      {"/A/ITEM;\nX;NB=1(N=2);FMT=R;\n", Ctl_BadFormatText},
  };
  for (const Row& r : rows) {
    Ctl_Definitions d;
    EXPECT_EQ(Ctl_File_Parse(r.text, d), r.code) << r.text;
    EXPECT_EQ(Ctl_MenuCount, 0) << "the default set is not touched";
  }
  Ctl_Definitions d;
  EXPECT_EQ(Ctl_File_Read("/nonexistent/CONTROL.DAT", d), Ctl_NoControlFile);
}

}  // namespace
