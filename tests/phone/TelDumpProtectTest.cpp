// The telephone image's dump file keeps the dealer's protection: a dump
// file without write bits is not appended to, also not by root; a link is
// appended through to its target; a disk that fills leaves whole lines.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <csignal>
#include <unistd.h>

#include "phone/Tel_Session.h"
#include "tests/support/Child.h"
#include "tests/support/TempDir.h"

TEST(TelDumpFile, AProtectedDumpIsRefusedAndALinkIsAppendedThrough) {
  TempDir d;
  std::string kept = d.Write("Kept.Dmp", "old\r\n");
  ASSERT_EQ(::chmod(kept.c_str(), 0444), 0);
  TelDumpFile f;
  EXPECT_FALSE(f.Open(kept));
  EXPECT_FALSE(f.IsOpen());
  EXPECT_EQ(d.Read("Kept.Dmp"), "old\r\n");

  d.Write("real/Real.Dmp", "a");
  ASSERT_EQ(::symlink("real/Real.Dmp", (d.path() + "Link.Dmp").c_str()), 0);
  ASSERT_TRUE(f.Open(d.path() + "Link.Dmp"));
  EXPECT_TRUE(f.Write('b'));
  EXPECT_TRUE(f.Close());
  EXPECT_EQ(d.Read("real/Real.Dmp"), "ab");
  struct stat st{};
  ASSERT_EQ(::lstat((d.path() + "Link.Dmp").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

// The disk is a small file system of the test's own; where none may be
// mounted, a limit on the file size fails the write the same way.
TEST(TelDumpFile, AFullDiskCutsTheDumpBackToItsLastWholeLine) {
  TempDir d;
  auto fill = [&d] {
    if (child::MountSmallFs(d.path(), 64)) return true;
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit lim{64 * 1024, 64 * 1024};
    return ::setrlimit(RLIMIT_FSIZE, &lim) == 0;
  };
  ASSERT_TRUE(child::Run(fill, [&] {
    const std::string older = "older dump\r\nB";
    const std::string line = "0123456789ABCDEF\r\n";
    const std::string path = d.Write("Default.dmp", older);
    TelDumpFile f;
    ASSERT_TRUE(f.Open(path));
    // Past 64 KiB a write must fail; 18-byte lines never end exactly there.
    bool failed = false;
    for (size_t i = 0; i < 128 * 1024 && !failed; ++i) failed = !f.Write(static_cast<uint8_t>(line[i % line.size()]));
    ASSERT_TRUE(failed);
    f.Close();
    const std::string got = d.Read("Default.dmp");
    ASSERT_GT(got.size(), older.size());
    EXPECT_EQ(got.substr(0, older.size()), older);
    EXPECT_EQ((got.size() - older.size()) % line.size(), 0u) << got.size();
    EXPECT_EQ(got.substr(got.size() - line.size()), line);
  }));
}
