#include "cmdfile/ui/ListEdit_Entry.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {
// The program's own list and tree, made by earlier tests of this process,
// get their entry points back afterwards.
struct KeepEntries {
  ListEditFn entry = ListEdit_SetEntry({});
  std::function<void()> back = ListEdit_SetReturn({});
  ~KeepEntries() {
    ListEdit_SetEntry(std::move(entry));
    ListEdit_SetReturn(std::move(back));
  }
};
}  // namespace

// The list's edit button reaches the tree editor only through the entry;
// with none installed nothing happens, and an editor that replaces itself
// while it runs does not pull the running call away.
TEST(ListEditEntry, OpenReachesTheInstalledEditorOnly) {
  KeepEntries keep;
  QWidget list;
  EXPECT_FALSE(ListEdit_Open(&list, "/tmp/none.CMD"));  // no editor: nothing happens
  EXPECT_FALSE(ListEdit_HasEntry());

  int calls = 0;
  QWidget* seenList = nullptr;
  std::string seenPath;
  ListEdit_SetEntry([&](QWidget* l, const std::string& p) {
    ++calls;
    seenList = l;
    seenPath = p;
    ListEdit_SetEntry({});  // replaced while running
    return true;
  });
  EXPECT_TRUE(ListEdit_HasEntry());
  EXPECT_TRUE(ListEdit_Open(&list, "/data/A.CMD"));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(seenList, &list);
  EXPECT_EQ(seenPath, "/data/A.CMD");
  EXPECT_FALSE(ListEdit_Open(&list, "/data/A.CMD"));
  EXPECT_EQ(calls, 1);
}

TEST(ListEditEntry, ReturnReachesTheInstalledListOnly) {
  KeepEntries keep;
  ListEdit_Return();  // no list: nothing happens
  int back = 0;
  ListEdit_SetReturn([&] { ++back; });
  ListEdit_Return();
  EXPECT_EQ(back, 1);
  ListEdit_SetReturn({});
  ListEdit_Return();
  EXPECT_EQ(back, 1);
}
