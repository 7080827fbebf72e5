// The command-file editor without its widgets: split, "ALL" text, store
// and the three checks, against the sample control file.
#include "cmdfile/CEdit_Sect.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "cmdfile/ComList.h"
#include "platform/FileSys.h"
#include "tests/support/TempDir.h"
#include "transfer/Control_Unit.h"

namespace {

const std::vector<std::string> kMenus = {"M10", "M20", "M30", "M61", "M1"};

std::vector<std::string> L(std::initializer_list<const char*> l) { return {l.begin(), l.end()}; }

TEST(ComFileSplit, SectionsByKnownHeadersOnly) {
  struct Row {
    std::vector<std::string> lines;
    std::vector<ComSection> rec;
  } rows[] = {
      {{}, {{"ALL", "", ""}}},
      {L({"!c", "", "x"}), {{"ALL", "", "!c\r\n\r\nx\r\n"}}},
      {L({"/M10/", "a"}), {{"ALL", "", ""}, {"M10", "/M10/\r\n", "a\r\n"}}},
      // An unknown header stays in the section before it; the first menu in
      // table order wins; a header may sit after blanks and carry a comment.
      {L({"!c", "/M99/", "b", "  /M30/ !x", "c", "/M30/M10/", "d"}),
       {{"ALL", "", "!c\r\n/M99/\r\nb\r\n"}, {"M30", "  /M30/ !x\r\n", "c\r\n"}, {"M10", "/M30/M10/\r\n", "d\r\n"}}},
      // "/M1/" is named only by a line holding exactly "/M1/"; a line that
      // does not begin with "/" is never a header.
      {L({"/M1/", "x /M10/", "/M10"}), {{"ALL", "", ""}, {"M1", "/M1/\r\n", "x /M10/\r\n/M10\r\n"}}},
      {L({"/M61/", "/M61/"}), {{"ALL", "", ""}, {"M61", "/M61/\r\n", ""}, {"M61", "/M61/\r\n", ""}}},
  };
  for (const Row& r : rows) {
    ComSectTable t;
    t.rec.push_back({"junk", "x", "y"});
    ComFile_Split(r.lines, kMenus, t);
    ASSERT_EQ(t.rec.size(), r.rec.size());
    for (size_t i = 0; i < r.rec.size(); ++i) {
      EXPECT_EQ(t.rec[i].name, r.rec[i].name);
      EXPECT_EQ(t.rec[i].header, r.rec[i].header);
      EXPECT_EQ(t.rec[i].body, r.rec[i].body);
    }
    // Joined again the file is unchanged.
    EXPECT_EQ(ComFile_Lines(t), r.lines);
  }
}

TEST(ComSectStore, AllTextStoreAndJoin) {
  struct Row {
    std::vector<std::string> file;
    std::string all;             // shown under "ALL"
    std::string section, text;   // then stored
    std::vector<std::string> after;
  } rows[] = {
      // A file that begins with a header shows an empty first line; stored
      // from "ALL" the empty line stays.
      {L({"/M10/", "a"}), "\r\n/M10/\r\na", "ALL", "\r\n/M10/\r\na", L({"", "/M10/", "a"})},
      {L({"x", "/M10/", "a", "/M30/"}), "x\r\n/M10/\r\na\r\n/M30/", "M10", "b\r\nc", L({"x", "/M10/", "b", "c", "/M30/"})},
      // A menu without a section gets its header at the end of the file.
      {L({"x"}), "x", "M61", "1=1;", L({"x", "/M61/", "1=1;"})},
      // One character is a whole line too: it never glues onto the next header.
      {L({"/M10/", "a", "/M30/", "b"}), "\r\n/M10/\r\na\r\n/M30/\r\nb", "M10", "z", L({"/M10/", "z", "/M30/", "b"})},
      {L({"x"}), "x", "M20", "z", L({"x", "/M20/", "z"})},
      // An empty text leaves an empty section, and a new one adds nothing.
      {L({"/M10/", "a"}), "\r\n/M10/\r\na", "M10", "", L({"/M10/"})},
      {L({"x"}), "x", "M30", "", L({"x"})},
      // Text that ends with its line break keeps no extra empty line.
      {L({"/M10/", "a"}), "\r\n/M10/\r\na", "M10", "b\r\n", L({"/M10/", "b"})},
      // "ALL" holds the whole file: headers typed there become sections.
      {L({"x"}), "x", "ALL", "/M30/\r\n1\r\n/M99/\r\n\r\n", L({"/M30/", "1", "/M99/", "", ""})},
      {L({"x"}), "x", "ALL", "", {}},
  };
  for (const Row& r : rows) {
    ComSectTable t;
    ComFile_Split(r.file, kMenus, t);
    EXPECT_EQ(ComSect_AllText(t), r.all);
    ComSect_Store(t, r.section, r.text, kMenus);
    EXPECT_EQ(ComFile_Lines(t), r.after) << r.section << ":" << r.text;
  }
  // Lines of the "ALL" text line up with the file's lines.
  ComSectTable t;
  ComFile_Split(L({"/M10/", "a", "/M30/", "b"}), kMenus, t);
  std::vector<std::string> shown = ComText_Lines(ComSect_AllText(t));
  std::vector<std::string> file = ComFile_Lines(t);
  for (int i = 0; i < static_cast<int>(file.size()); ++i) EXPECT_EQ(shown[ComSect_AllLineOf(t, i)], file[i]);
  ComFile_Split(L({"!x", "/M10/", "a"}), kMenus, t);
  shown = ComText_Lines(ComSect_AllText(t));
  file = ComFile_Lines(t);
  for (int i = 0; i < static_cast<int>(file.size()); ++i) EXPECT_EQ(shown[ComSect_AllLineOf(t, i)], file[i]);
}

TEST(ComSectStore, MoreThan400HeadersKeepEverySection) {
  std::vector<std::string> file;
  for (int i = 0; i < 450; ++i) {
    file.push_back(i % 2 ? "/M10/" : "/M30/");
    file.push_back("v" + std::to_string(i));
  }
  ComSectTable t;
  ComFile_Split(file, kMenus, t);
  EXPECT_EQ(t.Count(), 450);
  EXPECT_EQ(ComFile_Lines(t), file);
  ComSect_Store(t, "M61", "1=1;", kMenus);
  EXPECT_EQ(t.Count(), 451);
  EXPECT_EQ(ComFile_Lines(t).back(), "1=1;");
  ComSect_Store(t, "ALL", ComSect_AllText(t), kMenus);
  EXPECT_EQ(t.Count(), 451);
}

TEST(ComText, LinesJoinTrimAndMarks) {
  EXPECT_EQ(ComText_Lines(""), L({""}));
  EXPECT_EQ(ComText_Lines("a\n"), L({"a", ""}));
  EXPECT_EQ(ComText_Lines("a\r\nb"), L({"a", "b"}));
  EXPECT_EQ(ComText_Join(L({"a", "", "b"})), "a\r\n\r\nb");
  EXPECT_EQ(ComText_Trim(" \t a b \r"), "a b");
  struct Mark {
    int line, top, newTop;
  } marks[] = {{5, 10, 5}, {10, 10, 10}, {30, 10, 10}, {31, 10, 11}, {60, 10, 40}, {0, 0, 0}};
  for (const Mark& m : marks) EXPECT_EQ(ComMark_Top(m.line, m.top), m.newTop) << m.line << " " << m.top;
  struct Msg {
    int code;
    const char* number;
  } msgs[] = {{1, "9501"}, {2, "9502"}, {3, "9503"}, {4, "9504"}, {5, "9509"}, {6, "9506"}, {7, "9505"},
              {8, "9510"}, {9, "9508"}, {10, "9507"}, {11, "9511"}, {50, "9513"}, {12, "9512"}, {200, "9512"}};
  for (const Msg& m : msgs) EXPECT_STREQ(ComCheck_Message(m.code), m.number) << m.code;
}

class ComChecks : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* src = std::getenv("ORVO_SOURCE_DIR");
    ASSERT_NE(src, nullptr);
    std::string content;
    ASSERT_TRUE(fsys::ReadFile(std::string(src) + "/sample/CONTROL.DAT", content));
    ASSERT_EQ(Ctl_File_Parse(content, defs), 0);
    for (int i = 0; i < defs.MenuCount; ++i) menus.push_back(defs.MenuTbl[i]->Name);
  }
  static std::vector<std::optional<std::string>> Opt(const std::vector<std::string>& v) {
    return {v.begin(), v.end()};
  }
  Ctl_Definitions defs;
  std::vector<std::string> menus;
};

TEST_F(ComChecks, LineSectionAndFileChecks) {
  Ctl_Checker chk(defs);
  const std::string good = Sjis("001=200,01,ｿｳﾑ;");
  const std::string bad = Sjis("002=20A,02,ｴｲｷﾞｮｳ;");
  std::vector<std::string> all = {"!c", "", "0001=1;", "/M30/", good, bad, "/M99/", good, "/M61/", "1=1;"};
  // The live check under "ALL": the menu comes from the nearest header above.
  struct Live {
    int line;
    int code;
  } live[] = {{0, 0}, {1, 0}, {2, 3}, {3, 0}, {4, 0}, {5, 9}, {6, 1}, {7, 3}, {8, 0}, {9, 0}, {10, 0}};
  for (const Live& l : live) EXPECT_EQ(ComLine_Check(chk, Opt(all), l.line, "ALL", menus), l.code) << l.line;
  EXPECT_EQ(ComLine_Check(chk, Opt(all), 4, "", menus), 0);
  // In a menu section the section names the menu; a header is refused.
  std::vector<std::string> m30 = {good, bad, "/M30/", "  ", "! note"};
  EXPECT_EQ(ComLine_Check(chk, Opt(m30), 0, "M30", menus), 0);
  EXPECT_EQ(ComLine_Check(chk, Opt(m30), 1, "M30", menus), 9);
  EXPECT_EQ(ComLine_Check(chk, Opt(m30), 2, "M30", menus), 50);
  EXPECT_EQ(ComLine_Check(chk, Opt(m30), 3, "M30", menus), 0);
  EXPECT_EQ(ComLine_Check(chk, Opt(m30), 0, "M61", menus), ComLine_Check(chk, Opt({good}), 0, "M61", menus));
  EXPECT_NE(ComLine_Check(chk, Opt(m30), 0, "M61", menus), 0);
  EXPECT_EQ(ComLine_Check(chk, Opt(m30), 0, "NONE", menus), 3);
  // A line with no CP932 form is refused as the data's characters.
  std::vector<std::optional<std::string>> typed = {good, std::nullopt, good};
  EXPECT_EQ(ComLine_Check(chk, typed, 1, "M30", menus), ComCheck_NoCp932);
  int fault = -1;
  EXPECT_EQ(ComMemo_Check(chk, typed, "M30", fault), ComCheck_NoCp932);
  EXPECT_EQ(fault, 1);
  // The section check: first fault and its line.
  struct Memo {
    std::vector<std::string> lines;
    std::string section;
    int code, line;
  } memos[] = {
      {{"", good, good}, "M30", 0, 0},
      {{good, "", bad}, "M30", 9, 2},
      {{good, "/M30/"}, "M30", 50, 1},
      {{"0001=1;", "/M30/", good}, "ALL", 3, 0},
      {{"/M30/", good, "/M99/", good}, "ALL", 1, 2},
      {{"/M30/", good, "/M61/", "1=1;"}, "ALL", 0, 0},
  };
  for (const Memo& m : memos) {
    fault = -1;
    EXPECT_EQ(ComMemo_Check(chk, Opt(m.lines), m.section, fault), m.code) << m.section << " " << m.line;
    EXPECT_EQ(fault, m.line);
  }
  fault = -1;
  EXPECT_EQ(ComFile_Check(chk, all, fault), 3);
  EXPECT_EQ(fault, 2);
  EXPECT_EQ(ComFile_Check(chk, {"!x", "/M30/", good, bad}, fault), 9);
  EXPECT_EQ(fault, 3);
  EXPECT_EQ(ComFile_Check(chk, {"/M30/", good, "/M61/", "1=1;"}, fault), 0);
}

// The sample command files: Initial and x.cmd are clean, the faulty one
// stops at its line, the unknown menu's header is refused.
TEST_F(ComChecks, SampleCommandFiles) {
  const char* src = std::getenv("ORVO_SOURCE_DIR");
  ASSERT_NE(src, nullptr);
  Ctl_Checker chk(defs);
  struct Row {
    const char* name;
    int code, line;
  } rows[] = {{"Initial.CMD", 0, 0}, {"x.cmd", 0, 0}, {"Faulty.CMD", 9, 3}, {"Unknown.CMD", 1, 3}};
  for (const Row& r : rows) {
    std::string content;
    ASSERT_TRUE(fsys::ReadFile(std::string(src) + "/sample/data/" + r.name, content)) << r.name;
    ASSERT_EQ(content.find("\n"), content.find("\r\n") + 1) << r.name;
    int fault = -1;
    EXPECT_EQ(ComFile_Check(chk, ComFile_SplitText(content), fault), r.code) << r.name;
    EXPECT_EQ(fault, r.line) << r.name;
  }
}

}  // namespace
