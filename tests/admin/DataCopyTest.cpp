// The data-set copy: folder checks in their order, the two overwrite
// questions, and the copy itself on real folders.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cstdlib>
#include <unistd.h>

#include "admin/DataCopy.h"
#include "platform/FileSys.h"
#include "tests/support/TempDir.h"

namespace {

// Answers the questions in turn and records them.
struct Asker {
  std::vector<int> answers;
  std::vector<std::string> asked;
  DataCopyAsk Fn() {
    return [this](std::string_view n) {
      asked.emplace_back(n);
      int a = answers.empty() ? 2 : answers.front();
      if (!answers.empty()) answers.erase(answers.begin());
      return a;
    };
  }
};

TEST(DataCopy, FolderChecksComeInTheirOrder) {
  TempDir t;
  t.Write("src/Dump.Hlp", "d");
  t.Write("dst/keep", "");
  t.Write("abc/x", "");
  t.Write("ABC/x", "");
  t.Write("afile", "");
  ASSERT_EQ(::symlink((t.path() + "src").c_str(), (t.path() + "link").c_str()), 0);
  const std::string p = t.path();
  struct Row {
    std::string source, target;
    int want;
  } rows[] = {
      {p + "src", p + "src/", 404},        // one spelling with and without "/"
      {p + "src", p + "link", 404},        // two spellings of one folder
      {p + "src", p + "dst/../src", 404},
      {p + "gone", p + "gone/", 404},       // the same text is the same folder, even missing
      {p + "abc", p + "ABC", 0},           // two folders, differing only in case
      {p + "gone", p + "alsogone", 401},   // a missing source comes before a missing target
      {p + "afile", p + "dst", 401},        // a file is no folder
      {"", p + "dst", 401},                 // an empty field is no folder, not the root
      {p + "src", "", 402},
      {"", "", 401},
      {p + "src", p + "gone", 402},
      {p + "src", p + "dst", 0},
  };
  for (const Row& r : rows) {
    Asker a;
    std::vector<DataCopyFile> files;
    EXPECT_EQ(DataCopy_Prepare(r.source, r.target, a.Fn(), files), r.want) << r.source << " -> " << r.target;
    EXPECT_TRUE(a.asked.empty());
  }
}

TEST(DataCopy, OnlyFilesInTheSourceCountAndEachQuestionIsAskedOnce) {
  TempDir t;
  for (const char* f : {"MODEM.INF", "Save.Hlp", "Load.Hlp", "Dump.Hlp", "Other.Hlp"}) t.Write(std::string("src/") + f, f);
  for (const char* f : {"modem.inf", "SAVE.HLP", "Load.Hlp", "Dump.Hlp"}) t.Write(std::string("dst/") + f, "old");
  const std::string s = t.path() + "src", d = t.path() + "dst";
  struct Row {
    std::vector<int> answers;
    int want;
    std::vector<std::string> asked;
  } rows[] = {
      {{1, 1}, 0, {"7005", "7004"}},
      {{2}, -1, {"7005"}},          // Cancel stops before the help files are looked at
      {{1, 2}, -1, {"7005", "7004"}},
  };
  for (const Row& r : rows) {
    Asker a{r.answers, {}};
    std::vector<DataCopyFile> files;
    EXPECT_EQ(DataCopy_Prepare(s, d, a.Fn(), files), r.want);
    EXPECT_EQ(a.asked, r.asked);
    if (r.want == 0) {
      // In the set's order, each into the target's entry of that name.
      std::vector<std::string> to;
      for (auto& f : files) to.push_back(f.to.substr(t.path().size()));
      EXPECT_EQ(to, (std::vector<std::string>{"dst/modem.inf", "dst/SAVE.HLP", "dst/Load.Hlp", "dst/Dump.Hlp"}));
    }
  }

  // A source with only Dump.Hlp, a target without it: nothing is asked.
  TempDir u;
  u.Write("src/dump.hlp", "d");
  u.Write("dst/MODEM.INF", "m");
  Asker a;
  std::vector<DataCopyFile> files;
  EXPECT_EQ(DataCopy_Prepare(u.path() + "src", u.path() + "dst", a.Fn(), files), 0);
  EXPECT_TRUE(a.asked.empty());
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].from, u.path() + "src/dump.hlp");
  EXPECT_EQ(files[0].to, u.path() + "dst/Dump.Hlp");
}

TEST(DataCopy, CopiesInPlaceAndStopsAtTheFirstFailureWithTheTargetWhole) {
  TempDir t;
  t.Write("src/MODEM.INF", "A,ATZ,ATD,,+++,ATH\r\n");
  t.Write("src/Connect.Hlp", "connect\r\n");
  t.Write("src/Dump.Hlp", "dump\r\n");
  t.Write("dst/connect.hlp", "old connect");
  t.Write("dst/Telephone.Hlp", "old telephone");
  t.Write("dst/Dump.Hlp", "old dump");
  // A source file whose every read fails, whoever runs the test.
  ASSERT_EQ(::symlink("/proc/self/mem", (t.path() + "src/Telephone.Hlp").c_str()), 0);

  Asker a{{1, 1}, {}};
  std::vector<DataCopyFile> files;
  ASSERT_EQ(DataCopy_Prepare(t.path() + "src", t.path() + "dst/", a.Fn(), files), 0);
  ASSERT_EQ(files.size(), 4u);
  EXPECT_EQ(DataCopy_Copy(files), 403);
  EXPECT_EQ(t.Read("dst/MODEM.INF"), "A,ATZ,ATD,,+++,ATH\r\n");
  EXPECT_EQ(t.Read("dst/connect.hlp"), "connect\r\n");  // over the old entry, no second spelling
  EXPECT_FALSE(t.Exists("dst/Connect.Hlp"));
  EXPECT_EQ(t.Read("dst/Telephone.Hlp"), "old telephone");
  EXPECT_EQ(t.Read("dst/Dump.Hlp"), "old dump");  // after the failure nothing more is copied
  std::vector<fsys::DirEntry> list;
  ASSERT_TRUE(fsys::ListDir(t.path() + "dst", "*", list));
  EXPECT_EQ(list.size(), 4u);  // no temporary file left behind

  ASSERT_EQ(::unlink((t.path() + "src/Telephone.Hlp").c_str()), 0);
  Asker again{{1, 1}, {}};
  ASSERT_EQ(DataCopy_Prepare(t.path() + "src", t.path() + "dst", again.Fn(), files), 0);
  EXPECT_EQ(DataCopy_Copy(files), 0);
  EXPECT_EQ(t.Read("dst/Dump.Hlp"), "dump\r\n");
  EXPECT_EQ(t.Read("dst/Telephone.Hlp"), "old telephone");  // absent from the source: left alone
}

// A file the dealer protected in the target stops the copy with "0403" and
// stays as it was, also for root; a link in the target is written through.
TEST(DataCopy, AProtectedTargetFileStopsTheCopyAndALinkIsWrittenThrough) {
  TempDir t;
  t.Write("src/MODEM.INF", "A,ATZ,ATD,,+++,ATH\r\n");
  t.Write("src/Connect.Hlp", "connect\r\n");
  t.Write("src/Save.Hlp", "save\r\n");
  t.Write("shared/Connect.Hlp", "old connect");
  std::string protectedFile = t.Write("dst/Save.Hlp", "old save");
  ASSERT_EQ(::symlink("../shared/Connect.Hlp", (t.path() + "dst/Connect.Hlp").c_str()), 0);
  ASSERT_EQ(::chmod(protectedFile.c_str(), 0444), 0);

  Asker a{{1, 1}, {}};
  std::vector<DataCopyFile> files;
  ASSERT_EQ(DataCopy_Prepare(t.path() + "src", t.path() + "dst", a.Fn(), files), 0);
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(DataCopy_Copy(files), 403);
  EXPECT_EQ(t.Read("dst/MODEM.INF"), "A,ATZ,ATD,,+++,ATH\r\n");
  EXPECT_EQ(t.Read("shared/Connect.Hlp"), "connect\r\n");
  struct stat st{};
  ASSERT_EQ(::lstat((t.path() + "dst/Connect.Hlp").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(t.Read("dst/Save.Hlp"), "old save");
  ASSERT_EQ(::stat(protectedFile.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
}

TEST(DataCopy, TheSetIsMODEMINFAndTheThirteenHelpFilesInOrder) {
  std::vector<std::string> set(kAdminDataSet.begin(), kAdminDataSet.end());
  EXPECT_EQ(set, (std::vector<std::string>{"MODEM.INF", "Connect.Hlp", "Telephone.Hlp", "Save.Hlp", "Load.Hlp",
                                           "LoadError.Hlp", "CommandFS.Hlp", "Command.Hlp", "SDFS.Hlp",
                                           "SDSystem.Hlp", "SDPersonal.Hlp", "SDExtensions.Hlp", "Dump.Hlp",
                                           "Environment.Hlp"}));
  // The sample program folder ships every one of them.
  const char* src = std::getenv("ORVO_SOURCE_DIR");
  ASSERT_NE(src, nullptr);
  for (const char* f : kAdminDataSet) EXPECT_TRUE(fsys::FileExists(std::string(src) + "/sample/" + f)) << f;
}

}  // namespace
