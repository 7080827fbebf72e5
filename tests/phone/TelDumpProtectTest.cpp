// The telephone image's dump file keeps the dealer's protection: a dump
// file without write bits is not appended to, also not by root; a link is
// appended through to its target.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "phone/Tel_Session.h"
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
