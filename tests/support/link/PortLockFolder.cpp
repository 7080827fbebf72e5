// Every test of a program that can open the serial port keeps its port
// locks in a folder of its own, made for it and removed after it, so that
// no test writes into the machine's lock folder: a lock that a crashed run
// left there, or one whose process number has come round again, cannot
// refuse a later run. Outside the tests the whole run has one such folder.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>
#include <string>

#include "link/PortClaim.h"
#include "tests/support/TempDir.h"

namespace {

class LockFolderPerTest : public ::testing::EmptyTestEventListener {
  // Not before: a run that only lists the tests leaves nothing behind.
  void OnTestProgramStart(const ::testing::UnitTest&) override { Use(Fresh(run_)); }
  void OnTestStart(const ::testing::TestInfo&) override { Use(Fresh(test_)); }
  void OnTestEnd(const ::testing::TestInfo&) override {
    Use(*run_);
    test_.reset();
  }
  void OnTestProgramEnd(const ::testing::UnitTest&) override {
    PortLock_Folders() = system_;
    run_.reset();
  }
  // A new folder, open to every user as the machine's own is: some tests
  // open the port once more as another user.
  static const TempDir& Fresh(std::unique_ptr<TempDir>& folder) {
    folder = std::make_unique<TempDir>();
    ::chmod(Path(*folder).c_str(), 01777);
    return *folder;
  }
  static std::string Path(const TempDir& folder) {
    std::string path = folder.path();
    path.pop_back();
    return path;
  }
  static void Use(const TempDir& folder) { PortLock_Folders() = {Path(folder)}; }

  std::vector<std::string> system_ = PortLock_Folders();
  std::unique_ptr<TempDir> run_, test_;
};

const bool installed = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new LockFolderPerTest);
  return true;
}();

}  // namespace
