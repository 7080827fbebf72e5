// The shared replace keeps the dealer's write protection and links: a target
// without write permission is refused and left as it was (for root too), and
// a link is written through to the file it names.
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileSys.h"
#include "tests/support/TempDir.h"

namespace {

mode_t ModeOf(const std::string& path) {
  struct stat st{};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

std::string LinkText(const std::string& path) {
  char buf[4096];
  ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
  return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
}

bool IsLink(const std::string& path) {
  struct stat st{};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// Names in the folder other than the expected ones: a temporary left behind.
size_t EntryCount(const std::string& dir) {
  std::vector<fsys::DirEntry> list;
  fsys::ListDir(dir, "*", list);
  return list.size();
}

}  // namespace

TEST(ReplaceTarget, AFileWithoutWriteBitsIsRefusedAndKeptForEveryone) {
  // The modes a dealer's protection leaves: none of them may be written, also
  // not by root, to which permission bits mean nothing.
  for (mode_t mode : {0444, 0400, 0555, 0000}) {
    SCOPED_TRACE(mode);
    TempDir d;
    std::string p = d.Write("MODEM.INF", "old\r\n");
    ASSERT_EQ(::chmod(p.c_str(), mode), 0);
    fsys::ReplaceStep step = fsys::ReplaceStep::Rename;
    EXPECT_EQ(fsys::ReplaceFile(p, "new\r\n", step), EACCES);
    EXPECT_EQ(step, fsys::ReplaceStep::Create);
    EXPECT_EQ(ModeOf(p), mode);  // protection not dropped
    EXPECT_EQ(EntryCount(d.path()), 1u);
    std::string target;
    EXPECT_EQ(fsys::ReplaceTarget(p, target), EACCES);
    ::chmod(p.c_str(), 0600);  // readable by any user that runs the test
    EXPECT_EQ(d.Read("MODEM.INF"), "old\r\n");
  }
}

// A replace killed at its rename leaves its temporary; the next replace in
// that folder removes it. Only that exact name form goes, and only a plain
// file that may be written and that no writer still holds.
TEST(ReplaceTarget, TheNextReplaceRemovesTheTemporaryOfAKilledOne) {
  TempDir d, other;
  d.Write(".rpl0A1B2C3D", "killed at the rename");
  const std::vector<std::string> kept = {".rpl0a1b2c3d", ".RPL0A1B2C3D", ".rpl0A1B2C3", ".rpl0A1B2C3D4",
                                         ".rplXYZ", ".rpl00000001", ".rpl00000002", ".rpl00000003"};
  for (size_t i = 0; i < 5; ++i) d.Write(kept[i], "the dealer's");
  ASSERT_EQ(::chmod(d.Write(".rpl00000001", "protected").c_str(), 0444), 0);
  ASSERT_EQ(::symlink(other.Write("f", "f").c_str(), (d.path() + ".rpl00000002").c_str()), 0);
  const int live = ::open(d.Write(".rpl00000003", "being written").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(live, 0);
  ASSERT_EQ(::flock(live, LOCK_EX), 0);
  EXPECT_EQ(fsys::ReplaceFile(d.path() + "ENVIRON.DAT", "new"), 0);
  ::close(live);
  EXPECT_FALSE(d.Exists(".rpl0A1B2C3D"));
  for (const std::string& n : kept) EXPECT_TRUE(d.Exists(n)) << n;
  EXPECT_EQ(EntryCount(d.path()), kept.size() + 1);
}

TEST(ReplaceTarget, AWritableFileIsReplacedAndKeepsItsMode) {
  for (mode_t mode : {0644, 0600, 0200, 0664}) {
    SCOPED_TRACE(mode);
    TempDir d;
    std::string p = d.Write("A.CMD", "old");
    ASSERT_EQ(::chmod(p.c_str(), mode), 0);
    EXPECT_EQ(fsys::ReplaceFile(p, "new"), 0);
    ::chmod(p.c_str(), 0600);
    EXPECT_EQ(d.Read("A.CMD"), "new");
    ::chmod(p.c_str(), mode);
    EXPECT_EQ(ModeOf(p), mode);
  }
}

TEST(ReplaceTarget, ALinkIsWrittenThroughAndStaysALink) {
  struct Row {
    const char* what;
    const char* link;      // the link's text, as stored
    const char* realFile;  // where it ends, below the folder
  };
  const Row rows[] = {
      {"relative to the link's folder", "../real/Real.cmd", "real/Real.cmd"},
      {"in the same folder", "Real2.cmd", "cmd/Real2.cmd"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    TempDir d;
    d.Write(r.realFile, "old");
    d.Write("cmd/Other.cmd", "o");
    std::string link = d.path() + "cmd/Link.cmd";
    ASSERT_EQ(::symlink(r.link, link.c_str()), 0);
    std::string target;
    ASSERT_EQ(fsys::ReplaceTarget(link, target), 0);
    EXPECT_EQ(fsys::ReplaceFile(link, "new"), 0);
    EXPECT_TRUE(IsLink(link));
    EXPECT_EQ(LinkText(link), r.link);
    EXPECT_EQ(d.Read(r.realFile), "new");
    EXPECT_EQ(d.Read("cmd/Link.cmd"), "new");
    // The temporary was made beside the target, and nothing is left.
    EXPECT_EQ(EntryCount(d.path() + "cmd/"), r.realFile[0] == 'c' ? 3u : 2u);
  }
}

TEST(ReplaceTarget, AChainOfLinksIsFollowedToItsEnd) {
  TempDir d;
  d.Write("deep/end/Real.cmd", "old");
  // a/One.cmd -> ../b/Two.cmd -> (absolute) deep/Three.cmd -> end/Real.cmd
  d.Write("a/x", "");
  d.Write("b/x", "");
  ASSERT_EQ(::symlink("end/Real.cmd", (d.path() + "deep/Three.cmd").c_str()), 0);
  ASSERT_EQ(::symlink((d.path() + "deep/Three.cmd").c_str(), (d.path() + "b/Two.cmd").c_str()), 0);
  ASSERT_EQ(::symlink("../b/Two.cmd", (d.path() + "a/One.cmd").c_str()), 0);
  std::string target;
  ASSERT_EQ(fsys::ReplaceTarget(d.path() + "a/One.cmd", target), 0);
  EXPECT_EQ(target, d.path() + "deep/end/Real.cmd");
  ASSERT_EQ(fsys::ReplaceFile(d.path() + "a/One.cmd", "new"), 0);
  EXPECT_EQ(d.Read("deep/end/Real.cmd"), "new");
  EXPECT_TRUE(IsLink(d.path() + "a/One.cmd"));
  EXPECT_TRUE(IsLink(d.path() + "b/Two.cmd"));
  EXPECT_TRUE(IsLink(d.path() + "deep/Three.cmd"));
}

TEST(ReplaceTarget, ALinkToAProtectedFileOrALoopIsRefused) {
  TempDir d;
  std::string real = d.Write("real/Real.cmd", "old");
  ASSERT_EQ(::chmod(real.c_str(), 0444), 0);
  ASSERT_EQ(::symlink("real/Real.cmd", (d.path() + "Link.cmd").c_str()), 0);
  EXPECT_EQ(fsys::ReplaceFile(d.path() + "Link.cmd", "new"), EACCES);
  EXPECT_EQ(d.Read("real/Real.cmd"), "old");
  EXPECT_EQ(ModeOf(real), 0444u);
  EXPECT_TRUE(IsLink(d.path() + "Link.cmd"));

  ASSERT_EQ(::symlink("Loop2.cmd", (d.path() + "Loop1.cmd").c_str()), 0);
  ASSERT_EQ(::symlink("Loop1.cmd", (d.path() + "Loop2.cmd").c_str()), 0);
  EXPECT_EQ(fsys::ReplaceFile(d.path() + "Loop1.cmd", "new"), ELOOP);
  EXPECT_TRUE(IsLink(d.path() + "Loop1.cmd"));
  EXPECT_EQ(EntryCount(d.path()), 4u);  // real, Link, Loop1, Loop2

  // A link to a pipe: the pipe stays a pipe.
  ASSERT_EQ(::mkfifo((d.path() + "real/Pipe").c_str(), 0666), 0);
  ASSERT_EQ(::symlink("real/Pipe", (d.path() + "Piped.cmd").c_str()), 0);
  EXPECT_EQ(fsys::ReplaceFile(d.path() + "Piped.cmd", "new"), EINVAL);
  struct stat st;
  ASSERT_EQ(::stat((d.path() + "real/Pipe").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(ReplaceTarget, ALinkToAFileNotYetMadeCreatesIt) {
  TempDir d;
  d.Write("real/x", "");
  ASSERT_EQ(::symlink("real/New.cmd", (d.path() + "New.cmd").c_str()), 0);
  ASSERT_EQ(fsys::ReplaceFile(d.path() + "New.cmd", "made"), 0);
  EXPECT_EQ(d.Read("real/New.cmd"), "made");
  EXPECT_TRUE(IsLink(d.path() + "New.cmd"));
}

// Run as root (as the dealer's commands are), a replace must not hand the
// dealer's file to root, whose own account could then no longer write it.
TEST(ReplaceTarget, AReplacedFileKeepsItsOwnerAndGroup) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
  TempDir d;
  std::string p = d.Write("ENVIRON.DAT", "old");
  ASSERT_EQ(::chown(p.c_str(), 1000, 1000), 0);
  ASSERT_EQ(fsys::ReplaceFile(p, "new"), 0);
  struct stat st{};
  ASSERT_EQ(::stat(p.c_str(), &st), 0);
  EXPECT_EQ(std::make_pair(st.st_uid, st.st_gid), std::make_pair(1000u, 1000u));
}

// The temporary beside a name at the length limit does not grow with it.
TEST(ReplaceTarget, ANameAtTheLengthLimitIsReplaced) {
  TempDir d;
  const std::string name = std::string(251, 'c') + ".cmd";
  ASSERT_EQ(fsys::ReplaceFile(d.Write(name, "old"), "new"), 0);
  EXPECT_EQ(d.Read(name), "new");
}
