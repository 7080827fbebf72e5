// The key-table screen's rules: the fixed keys, finding their values in a
// section, the order in which they are written, and the checks.
#include "cmdfile/GKeyTable.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using Strings = std::vector<std::string>;

TEST(KeyTableRows, NamesAndSpecs) {
  struct Row {
    int row;
    const char *key, *rule;
  } rows[] = {
      {0, "SIZE", "n=4"},    {1, "FS-101", "m=2"},  {12, "FS-112", "m=2"}, {13, "OP-113", "m=2"},
      {14, "OP-114", "m=2"}, {15, "FS-201", "m=2"}, {71, "FS-601", "m=2"}, {84, "OP-614", "m=2"},
      {85, "", "m=2"},       {-1, "", "m=2"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(GKey_Name(r.row), r.key) << r.row;
    EXPECT_STREQ(GKey_Spec(r.row), r.rule) << r.row;
  }
}

TEST(KeyTableRead, PiecesNamesAndFirstWins) {
  struct Row {
    const char* what;
    Strings list;
    std::map<int, std::string> set;  // every other row "/"
  } rows[] = {
      {"three keys on one line", {"/M20/", "SIZE=4;FS-101=2;FS-102=3;"}, {{0, "4"}, {1, "2"}, {2, "3"}}},
      {"case ignored", {"/M20/", "size=4;fs-101=2;Op-614=7;"}, {{0, "4"}, {1, "2"}, {84, "7"}}},
      {"the first entry of a key wins", {"/M20/", "FS-101=2;", "SIZE=1;FS-101=9;"}, {{0, "1"}, {1, "2"}}},
      {"a blank after the ';' hides the next key", {"/M20/", "SIZE=4; FS-101=2;"}, {{0, "4"}}},
      {"text after the last ';' is dropped", {"/M20/", "SIZE=4;FS-101=2"}, {{0, "4"}}},
      {"an empty value", {"/M20/", "FS-101=;"}, {{1, ""}}},
      {"the value runs past a second '='", {"/M20/", "SIZE=1=2;"}, {{0, "1=2"}}},
      {"a blank before the ';' is part of the value", {"/M20/", "SIZE=4 ;"}, {{0, "4 "}}},
      {"a header piece is named by the whole header", {"/M20/FS-101=5;", "FS-101=6;"}, {{1, "6"}}},
      {"a header that is itself an entry", {"FS-101=5;"}, {{1, "5"}}},
      {"a piece without '=' is skipped", {"/M20/", "SIZE;FS-102=1;"}, {{2, "1"}}},
      {"keys of other screens", {"/M20/", "FS-701=1;OP-115=2;GRP=3;"}, {}},
      {"sub-header line", {"/M20/", "BLK=001;", "OP-213=12;"}, {{27, "12"}}},
  };
  for (const Row& r : rows) {
    Strings values = GKey_Read(r.list);
    ASSERT_EQ(values.size(), static_cast<size_t>(kKeyRows)) << r.what;
    for (int row = 0; row < kKeyRows; ++row) {
      auto it = r.set.find(row);
      EXPECT_EQ(values[row], it == r.set.end() ? "/" : it->second) << r.what << " row " << row;
    }
  }
}

TEST(KeyTableBuild, OrderSkipsAndEmptyValues) {
  Strings values(kKeyRows, "/");
  EXPECT_EQ(GKey_Build("/M20/", "", values), Strings{"/M20/"});
  EXPECT_EQ(GKey_Build("/M20/", "BLK=002", values), (Strings{"/M20/", "BLK=002;"}));
  values[84] = "9";
  values[15] = "";
  values[13] = "13";
  values[1] = "01";
  values[0] = "4";
  EXPECT_EQ(GKey_Build("/M20/", "", values),
            (Strings{"/M20/", "SIZE=4;", "FS-101=01;", "OP-113=13;", "FS-201=;", "OP-614=9;"}));
  values[0] = "/";
  EXPECT_EQ(GKey_Build("/M20/", "", values)[1], "FS-101=01;");
}

TEST(KeyTableBuild, EverySlotRoundTrips) {
  Strings values(kKeyRows);
  for (int row = 0; row < kKeyRows; ++row) values[row] = std::to_string(row % 100);
  values[40] = "/";
  values[41] = "";
  Strings list = GKey_Build("/M20/", "", values);
  EXPECT_EQ(list.size(), 1u + kKeyRows - 1);
  EXPECT_EQ(GKey_Read(list), values);
}

TEST(KeyTableCheck, SpecsPerRowAndTheTopRow) {
  struct Row {
    const char* what;
    int badRow;  // -1 none
    bool ok;
    int failRow, topRow;
  } rows[] = {
      {"all pass", -1, true, 0, 0},
      {"the size row does not scroll", 0, false, 0, -1},
      {"a row goes on top", 30, false, 30, 30},
      {"but not beyond rows - 20", 80, false, 80, 65},
  };
  for (const Row& r : rows) {
    Strings values(kKeyRows, "1");
    std::map<int, std::string> rules;
    int idx = 0;
    auto check = [&](const std::string& v, const char* rule) {
      rules[idx++] = rule;
      return v != "bad";
    };
    if (r.badRow >= 0) values[r.badRow] = "bad";
    int failRow = 0, topRow = 0;
    EXPECT_EQ(GKey_Check(values, check, kKeyRows, failRow, topRow), r.ok) << r.what;
    EXPECT_EQ(failRow, r.failRow) << r.what;
    EXPECT_EQ(topRow, r.topRow) << r.what;
    EXPECT_EQ(rules[0], "n=4") << r.what;
    if (r.ok) {
      EXPECT_EQ(rules.size(), static_cast<size_t>(kKeyRows)) << r.what;
      EXPECT_EQ(rules[84], "m=2") << r.what;
    } else {
      EXPECT_EQ(rules.size(), static_cast<size_t>(r.failRow) + 1) << r.what;  // stops at the first
    }
  }
}

}  // namespace
