// The command-file list without its form: rows, typed names, the folders
// of ENVIRON.DAT and the precheck, the scan and the printed layout.
#include "cmdfile/ComList.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/FileSys.h"
#include "shell/Global_Unit.h"
#include "tests/support/TempDir.h"
#include "transfer/Control_Unit.h"

namespace {

TEST(ComListRow, NameCutDateTimeAndWholeName) {
  struct Row {
    std::string file, title, whole;
  } rows[] = {
      {"AB.CMD", "AB", "AB"},
      {"x.cmd", "x", "x"},
      {std::string(30, 'N') + ".CMD", std::string(30, 'N'), std::string(30, 'N')},
      {std::string(35, 'N') + ".CMD", std::string(30, 'N') + "..", std::string(35, 'N')},
      // 29 single bytes then a double-byte character: the cut keeps 29
      // bytes, never half a character.
      {std::string(29, 'a') + "漢字.CMD", std::string(29, 'a') + "..", std::string(29, 'a') + "漢字"},
      {std::string(15, 'a') + "漢字漢字漢字漢字.CMD", std::string(15, 'a') + "漢字漢字漢字漢..",
       std::string(15, 'a') + "漢字漢字漢字漢字"},
      {".CMD", "", ""},
  };
  for (const Row& r : rows) {
    std::string row = ComList_Row({r.file, "2026-12-09", "08:07:06"});
    EXPECT_EQ(row, r.title + "\t2026-12-09\t08:07:06\t\t" + r.whole) << r.file;
    EXPECT_EQ(ComList_RowField(row, 4), r.whole);
    EXPECT_EQ(ComList_RowField(row, 0), r.title);
    EXPECT_EQ(ComList_RowField(row, 2), "08:07:06");
  }
  // The whole name may hold tabs of its own: all of it follows the 4th tab.
  EXPECT_EQ(ComList_RowField("a\tb\tc\t\tname\twith tab", 4), "name\twith tab");
  EXPECT_EQ(ComList_RowField("no tabs", 4), "");
}

TEST(ComListNames, NewCopyUsableAndListed) {
  struct Row {
    std::string typed, newName, copyName;
    bool usable;
  } rows[] = {
      {"Office", "Office", "Office.CMD", true},
      {"Office.CMD", "Office", "Office.CMD", true},
      {"Office.cmd", "Office", "Office.cmd", true},
      {"A.Cmd", "A", "A.Cmd", true},
      {".CMD", ".CMD", ".CMD.CMD", true},  // 4 bytes: no extension to cut
      {"x.CM", "x.CM", "x.CM.CMD", true},
      {"", "", ".CMD", false},
      {"   ", "   ", "   .CMD", false},
      {"../up", "../up", "../up.CMD", false},
      {"a/b", "a/b", "a/b.CMD", false},
      {std::string("a\x01") + "b", std::string("a\x01") + "b", std::string("a\x01") + "b.CMD", false},
      {"tab\there", "tab\there", "tab\there.CMD", false},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(ComList_NewName(r.typed), r.newName) << r.typed;
    EXPECT_EQ(ComList_CopyName(r.typed), r.copyName) << r.typed;
    EXPECT_EQ(ComList_NameUsable(r.typed), r.usable) << r.typed;
  }
  std::vector<std::string> listed = {ComList_Row({"Office.CMD", "d", "t"}),
                                     ComList_Row({std::string(35, 'L') + ".CMD", "d", "t"})};
  EXPECT_TRUE(ComList_NameListed(listed, "Office"));
  EXPECT_TRUE(ComList_NameListed(listed, "  Office "));
  EXPECT_FALSE(ComList_NameListed(listed, "office"));  // case significant
  EXPECT_FALSE(ComList_NameListed(listed, std::string(35, 'L')));  // the shown field is cut
  EXPECT_FALSE(ComList_NameListed({}, "Office"));
}

class ComListFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = ProgramDir;
    ProgramDir = dir.path();
  }
  void TearDown() override {
    ProgramDir = saved_;
    Ctl_Def_Free();
  }
  void Environ(const std::string& control, const std::string& data, const std::string& screens, int extra = 14) {
    std::string s = control + "," + data + "," + screens;
    for (int i = 0; i < extra; ++i) s += ",0";
    dir.Write("ENVIRON.DAT", s + "\r\n");
  }
  TempDir dir;
  std::string saved_;
};

TEST_F(ComListFolders, EnvironAndPrecheckRefusalsInOrder) {
  ComListState s;
  EXPECT_EQ(Env_ReadDirs(s), 9006);
  EXPECT_EQ(ComList_Precheck(s), 9006);
  Environ("c", "d", "s", 13);  // 16 fields
  EXPECT_EQ(ComList_Precheck(s), 9026);
  // The control file named by field 0 is missing.
  Environ(dir.path() + "CONTROL.DAT", dir.path() + "data", dir.path() + "scr");
  dir.Write("data/USER.INF", Sjis("本社\r\nsecond\r\n"));
  dir.Write("scr/Menu.csv", "h\r\n");
  EXPECT_EQ(ComList_Precheck(s), 9001);
  EXPECT_EQ(s.CmdDataDir, dir.path() + "data/");
  EXPECT_EQ(ScreenFilesDir, dir.path() + "scr/");
  EXPECT_EQ(s.CmdUserName, Sjis("本社"));
  // Found whatever its case; faulty: definitions freed.
  dir.Write("control.dat", "/M1/ITEM;\r\nX;NB=1(Q=1);\r\n\\N\r\n");
  EXPECT_EQ(ComList_Precheck(s), 9021);
  EXPECT_EQ(Ctl_MenuCount, 0);
  dir.Write("control.dat", "/M1/ITEM;\r\nX;NB=1(N=1);\r\n\\N\r\n");
  EXPECT_EQ(ComList_Precheck(s), 0);
  EXPECT_EQ(Ctl_MenuCount, 1);
  // A missing data folder is said, never replaced by the program folder;
  // a missing screen folder falls back to it; relative ones are taken from
  // it.
  Environ("c", dir.path() + "none", "scr");
  EXPECT_EQ(Env_ReadDirs(s), 9077);
  Environ("c", "data", "none");
  EXPECT_EQ(Env_ReadDirs(s), 0);
  EXPECT_EQ(s.CmdDataDir, dir.path() + "data/");
  EXPECT_EQ(ScreenFilesDir, dir.path());
  EXPECT_EQ(ControlFileName, "c");
  // A folder named in CP932 is opened by its converted name.
  std::filesystem::create_directories(dir.path() + "データ");
  Environ("c", Sjis(dir.path() + "データ"), "");
  EXPECT_EQ(Env_ReadDirs(s), 0);
  EXPECT_EQ(s.CmdDataDir, dir.path() + "データ/");
  EXPECT_EQ(ScreenFilesDir, dir.path());
}

TEST_F(ComListFolders, ScanListsCommandFilesSortedAndCutAt101) {
  ComListState s;
  s.CmdDataDir = dir.path();
  for (int i = 0; i < 150; ++i) {
    char n[32];
    std::snprintf(n, sizeof n, "F%03d.%s", 149 - i, i % 2 ? "CMD" : "cmd");
    dir.Write(n, "/M10/\r\n");
  }
  dir.Write("a.CMD/inner", "x");  // a folder of that name is left out
  dir.Write("other.DAT", "x");
  EXPECT_EQ(ComList_Scan(s), 0);
  ASSERT_EQ(s.CmdFileTable.size(), 101u);
  EXPECT_EQ(s.CmdFileTable[0].name.substr(0, 4), "F000");
  EXPECT_EQ(s.CmdFileTable[100].name.substr(0, 4), "F100");
  EXPECT_EQ(s.CmdFileTable[0].date.size(), 10u);
  EXPECT_EQ(s.CmdFileTable[0].time.size(), 8u);
  s.CmdDataDir = dir.path() + "gone/";
  EXPECT_EQ(ComList_Scan(s), 9077);
  EXPECT_TRUE(s.CmdFileTable.empty());
  // Paths are the files as they exist.
  EXPECT_EQ(ComList_Path(dir.path(), "f001"), dir.path() + "F001.cmd");
  EXPECT_EQ(ComList_Path(dir.path(), "New"), dir.path() + "New.CMD");
  EXPECT_EQ(ComList_DirLabel("/data/"), "/data");
  EXPECT_EQ(ComList_DirLabel("/"), "/");
}

TEST(ComPrint, PagesHoldLMinus6FileLinesUnderTheirHeading) {
  const std::string label = Sjis("コマンドファイル名：");
  auto lines = [](int n) {
    std::vector<std::string> v;
    for (int i = 0; i < n; ++i) v.push_back("L" + std::to_string(i));
    return v;
  };
  struct Row {
    int fileLines, L, pages, lastPageLines;
  } rows[] = {{0, 20, 1, 0}, {1, 20, 1, 1}, {14, 20, 1, 14}, {15, 20, 2, 1}, {28, 20, 2, 14},
              {29, 20, 3, 1}, {3, 7, 3, 1}, {3, 2, 3, 1}};
  for (const Row& r : rows) {
    auto pages = ComPrint_Layout(lines(r.fileLines), r.L, label, "Office");
    ASSERT_EQ(static_cast<int>(pages.size()), r.pages) << r.fileLines << " " << r.L;
    int seen = 0;
    for (size_t p = 0; p < pages.size(); ++p) {
      ASSERT_FALSE(pages[p].empty());
      EXPECT_EQ(pages[p][0].index, 2);
      EXPECT_FALSE(pages[p][0].fromFile);
      EXPECT_EQ(pages[p][0].text, std::string(15, ' ') + label + "Office (PAGE. " + std::to_string(p + 1) + ")");
      for (size_t k = 1; k < pages[p].size(); ++k) {
        EXPECT_TRUE(pages[p][k].fromFile);
        EXPECT_EQ(pages[p][k].index, static_cast<int>(k) + 3);
        EXPECT_LE(pages[p][k].index, std::max(r.L, 7) - 3);
        EXPECT_EQ(pages[p][k].text, std::string(15, ' ') + "L" + std::to_string(seen++));
      }
    }
    EXPECT_EQ(static_cast<int>(pages.back().size()) - 1, r.lastPageLines);
    EXPECT_EQ(seen, r.fileLines);
  }
}

TEST(ComFileText, SplitAcceptsCrLfLfAndCrAlone) {
  struct Row {
    std::string in;
    std::vector<std::string> out;
  } rows[] = {{"", {}},          {"a", {"a"}},          {"a\r\n", {"a"}},         {"a\r\nb", {"a", "b"}},
              {"a\nb\n", {"a", "b"}}, {"\r\n\r\n", {"", ""}}, {"a\r\r\n", {"a", ""}},
              {"a\rb\r", {"a", "b"}}, {"a\rb", {"a", "b"}},   {"a\n\rb", {"a", "", "b"}}, {"\r", {""}}};
  for (const Row& r : rows) EXPECT_EQ(ComFile_SplitText(r.in), r.out) << r.in;
}

}  // namespace
