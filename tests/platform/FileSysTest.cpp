#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/FileSys.h"
#include "platform/SingleInstance.h"
#include "tests/support/Child.h"
#include "tests/support/TempDir.h"

namespace {

TEST(FileSys, MasksMatchLikeWindowsWithoutCase) {
  EXPECT_TRUE(fsys::MaskMatch("Icx*.tmp", "ICX12AB.TMP"));
  EXPECT_TRUE(fsys::MaskMatch("Icx*.tmp", "icx.tmp"));
  EXPECT_FALSE(fsys::MaskMatch("Icx*.tmp", "xIcx1.tmp"));
  EXPECT_FALSE(fsys::MaskMatch("Icx*.tmp", "Icx1.tmp.bak"));
  EXPECT_TRUE(fsys::MaskMatch("*.CMD", "a.b.cmd"));
  EXPECT_TRUE(fsys::MaskMatch("a?c", "ABC"));
  EXPECT_FALSE(fsys::MaskMatch("a?c", "ac"));
  EXPECT_TRUE(fsys::MaskMatch("*", ""));
  EXPECT_TRUE(fsys::MaskMatch("*a*b", "xxaYYb"));
}

TEST(FileSys, ResolvePrefersTheExactSpelling) {
  TempDir d;
  d.Write("msgdlg.dat", "lower");
  EXPECT_EQ(fsys::Resolve(d.path(), "MSGDLG.DAT"), d.path() + "msgdlg.dat");
  d.Write("MSGDLG.DAT", "upper");
  EXPECT_EQ(fsys::Resolve(d.path(), "MSGDLG.DAT"), d.path() + "MSGDLG.DAT");
  // No entry: the spelling the program gives.
  EXPECT_EQ(fsys::Resolve(d.path(), "New.Dat"), d.path() + "New.Dat");
  EXPECT_EQ(fsys::ResolvePath(d.path() + "Msgdlg.Dat"), d.path() + "Msgdlg.Dat") << "two spellings: neither is taken";
}

// A stored folder is found by its case alone only where one entry answers
// to it; beside both "DATA" and "data" a stored "Data" is missing.
TEST(FileSys, StoredFolderFoldsCaseOnlyForASingleEntry) {
  TempDir d;
  ASSERT_EQ(::mkdir((d.path() + "DATA").c_str(), 0755), 0);
  EXPECT_EQ(fsys::StoredPath("Data/", d.path()), d.path() + "DATA/");
  ASSERT_EQ(::mkdir((d.path() + "data").c_str(), 0755), 0);
  EXPECT_EQ(fsys::StoredPath(d.path() + "Data", "/"), d.path() + "Data");
  EXPECT_FALSE(fsys::DirExists(fsys::StoredPath("Data", d.path())));
}

TEST(FileSys, ListingIsSortedWithoutCaseAndFiltered) {
  TempDir d;
  d.Write("b.CMD", "");
  d.Write("A.cmd", "");
  d.Write("c.txt", "");
  d.Write("sub/x.cmd", "");
  std::vector<fsys::DirEntry> list;
  ASSERT_TRUE(fsys::ListDir(d.path(), "*.cmd", list));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].name, "A.cmd");
  EXPECT_EQ(list[1].name, "b.CMD");
  EXPECT_FALSE(fsys::ListDir(d.path() + "missing", "*", list));
}

TEST(FileSys, TempFilesAreNewAndNamedByPrefix) {
  TempDir d;
  std::string p1, p2;
  int fd1 = fsys::CreateTempFile(d.path(), "DBS", p1);
  int fd2 = fsys::CreateTempFile(d.path(), "DBS", p2);
  ASSERT_GE(fd1, 0);
  ASSERT_GE(fd2, 0);
  ::close(fd1);
  ::close(fd2);
  EXPECT_NE(p1, p2);
  EXPECT_TRUE(fsys::MaskMatch("DBS????.TMP", p1.substr(d.path().size())));
}

// A clean-up takes only the names the programs make, letter case included,
// and only plain files that may be written and that no writer holds: the
// live work file of another ORVO saving into the same folder stays, and a
// writer of the same name is refused rather than take it over.
TEST(FileSys, CleanUpTakesOnlyTheProgramsOwnLeftOvers) {
  TempDir d;
  const std::vector<std::string> dealers = {"temp",        "Temp",        "dbsa1b2.tmp", "DBSa1b2.TMP",
                                            "DBS_OLD.TMP", "DBS12345.TMP", "DBS1A2B.TMP.bak"};
  for (const std::string& n : dealers) d.Write(n, "the dealer's");
  d.Write("TEMP", "left over");
  d.Write("DBS1A2B.TMP", "left over");
  ASSERT_EQ(::chmod(d.Write("DBS0001.TMP", "protected").c_str(), 0444), 0);
  std::string live;
  const int liveFd = fsys::CreateTempFile(d.path(), "DBS", live);
  ASSERT_GE(liveFd, 0);

  fsys::RemoveWorkFile(d.path() + "TEMP");
  fsys::RemoveTempFiles(d.path(), "DBS");
  EXPECT_FALSE(d.Exists("TEMP"));
  EXPECT_FALSE(d.Exists("DBS1A2B.TMP"));
  for (const std::string& n : dealers) EXPECT_EQ(d.Read(n), "the dealer's") << n;
  EXPECT_TRUE(d.Exists("DBS0001.TMP"));
  EXPECT_TRUE(fsys::FileExists(live)) << "in use by its writer";
  ::close(liveFd);
  fsys::RemoveTempFiles(d.path(), "DBS");
  EXPECT_FALSE(fsys::FileExists(live)) << "a left-over once its writer let go";

  const int work = fsys::CreateWorkFile(d.path() + "TEMP");
  ASSERT_GE(work, 0);
  ASSERT_EQ(::write(work, "live", 4), 4);
  fsys::RemoveWorkFile(d.path() + "TEMP");
  errno = 0;
  EXPECT_EQ(fsys::CreateWorkFile(d.path() + "TEMP"), -1);
  EXPECT_EQ(errno, EBUSY);
  EXPECT_EQ(d.Read("TEMP"), "live");
  ::close(work);
  const int again = fsys::CreateWorkFile(d.path() + "TEMP");
  EXPECT_GE(again, 0) << "a left-over of its own name is removed";
  fsys::DiscardWorkFile(again, d.path() + "TEMP");
  EXPECT_FALSE(d.Exists("TEMP"));
}

TEST(FileSys, ReplaceKeepsTheOldFileWhenTheWriteFails) {
  TempDir d;
  std::string p = d.Write("ENVIRON.DAT", "old");
  ASSERT_EQ(fsys::ReplaceFile(p, "new"), 0);
  EXPECT_EQ(d.Read("ENVIRON.DAT"), "new");

  // A target that is a folder cannot be replaced; nothing is left behind.
  std::string dirTarget = d.path() + "adir";
  ::mkdir(dirTarget.c_str(), 0755);
  d.Write("adir/keep", "k");
  EXPECT_NE(fsys::ReplaceFile(dirTarget, "x"), 0);
  std::vector<fsys::DirEntry> list;
  fsys::ListDir(d.path(), "*", list);
  EXPECT_EQ(list.size(), 2u);  // ENVIRON.DAT and adir only

  // The user's own folder, made read-only: the temporary cannot be made,
  // and the file, writable by its owner, stays as it was. Root would pass
  // the folder's mode, so this part runs as an unprivileged user.
  child::GiveToNobody(d.path());
  child::GiveToNobody(p);
  ASSERT_EQ(::chmod(d.path().c_str(), 0555), 0);
  const bool ran = child::AsNobody([&] {
    fsys::ReplaceStep step;
    EXPECT_EQ(fsys::ReplaceFile(p, "newer", step), EACCES);
    EXPECT_EQ(step, fsys::ReplaceStep::Create);
  });
  ::chmod(d.path().c_str(), 0755);
  EXPECT_EQ(d.Read("ENVIRON.DAT"), "new");
  if (!ran) GTEST_SKIP() << "cannot switch to an unprivileged user here";
}

// A disk that fills while the new content is written: the error is told
// and the old file stays, with no temporary left. The disk is a small file
// system of the test's own; where none may be mounted, a limit on the file
// size fails the write the same way.
TEST(FileSys, ReplaceReportsAFullDisk) {
  TempDir d;
  int expected = ENOSPC;
  auto fill = [&expected, &d] {
    if (child::MountSmallFs(d.path(), 64)) return true;
    expected = EFBIG;
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit lim{64 * 1024, 64 * 1024};
    return ::setrlimit(RLIMIT_FSIZE, &lim) == 0;
  };
  ASSERT_TRUE(child::Run(fill, [&] {
    const std::string p = d.path() + "ENVIRON.DAT";
    ASSERT_EQ(fsys::ReplaceFile(p, "old"), 0);
    fsys::ReplaceStep step;
    EXPECT_EQ(fsys::ReplaceFile(p, std::string(256 * 1024, 'x'), step), expected);
    EXPECT_EQ(step, fsys::ReplaceStep::Write);
    EXPECT_EQ(d.Read("ENVIRON.DAT").substr(0, 64), "old");
    std::vector<fsys::DirEntry> list;
    ASSERT_TRUE(fsys::ListDir(d.path(), "*", list));
    EXPECT_EQ(list.size(), 1u);
  }));
}

TEST(FileSys, DeleteMatchingLeavesLinksFoldersAndOthers) {
  TempDir d;
  d.Write("Icx1.tmp", "");
  std::string ro = d.Write("ICX2.TMP", "");
  ::chmod(ro.c_str(), 0444);
  d.Write("Icx.txt", "");
  d.Write("IcxDir.tmp/inner", "");
  TempDir other;
  std::string target = other.Write("Icx9.tmp", "");
  ASSERT_EQ(::symlink(target.c_str(), (d.path() + "IcxLink.tmp").c_str()), 0);

  fsys::DeleteMatching(d.path() + "Icx*.tmp");
  EXPECT_FALSE(d.Exists("Icx1.tmp"));
  EXPECT_FALSE(d.Exists("ICX2.TMP"));
  EXPECT_TRUE(d.Exists("Icx.txt"));
  EXPECT_TRUE(d.Exists("IcxDir.tmp/inner"));
  EXPECT_TRUE(d.Exists("IcxLink.tmp"));
  EXPECT_TRUE(other.Exists("Icx9.tmp"));
}

// The clean-up never changes the mode of anything: not of a file a link
// points at, not of the file behind a hard link planted under a matching name.
TEST(FileSys, DeleteMatchingChangesNoModeThroughLinks) {
  TempDir d, other;
  std::string secret = other.Write("secret", "s");
  ASSERT_EQ(::chmod(secret.c_str(), 0600), 0);
  ASSERT_EQ(::symlink(secret.c_str(), (d.path() + "Dbs1.tmp").c_str()), 0);
  ASSERT_EQ(::link(secret.c_str(), (d.path() + "Dbs5.tmp").c_str()), 0);
  fsys::DeleteMatching(d.path() + "Dbs*.tmp");
  struct stat st;
  ASSERT_EQ(::stat(secret.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(other.Read("secret"), "s");
  EXPECT_FALSE(d.Exists("Dbs5.tmp"));  // only the name went
}

TEST(FileSys, ReplaceGivesNewFilesTheUmaskAndKeepsOldModes) {
  TempDir d;
  mode_t old = ::umask(077);
  ASSERT_EQ(fsys::ReplaceFile(d.path() + "new.dat", "x"), 0);
  ::umask(022);
  ASSERT_EQ(fsys::ReplaceFile(d.path() + "open.dat", "x"), 0);
  std::string kept = d.Write("kept.dat", "old");
  ASSERT_EQ(::chmod(kept.c_str(), 0640), 0);
  ASSERT_EQ(fsys::ReplaceFile(kept, "new"), 0);
  ::umask(old);
  struct stat st;
  ASSERT_EQ(::stat((d.path() + "new.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat((d.path() + "open.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  ASSERT_EQ(::stat(kept.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(SingleInstance, LockOutsideTheRuntimeFolderCarriesTheUser) {
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  std::string keep = saved ? saved : "";
  ::unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(plat::SingleInstanceLockPath("TX_Frm"),
            plat::TempDir() + "TX_Frm-" + std::to_string(::getuid()) + ".lock");
  if (saved) ::setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
}

TEST(FileSys, FreeSpaceOfAFolder) {
  TempDir d;
  uint64_t n = 0;
  EXPECT_TRUE(fsys::FreeSpace(d.path(), n));
  EXPECT_GT(n, 0u);
  EXPECT_FALSE(fsys::FreeSpace(d.path() + "missing", n));
}

}  // namespace
