// The load's rules on their own: entries of a line, the range filter, the
// retry records read back, the result messages and the progress text.
#include <gtest/gtest.h>

#include "shell/Language_Unit.h"
#include "tests/transfer/ControlTestUtil.h"
#include "transfer/LoadErr_Unit.h"
#include "transfer/Load_Unit.h"

namespace {

using Entries = std::vector<std::string>;

TEST(LoadRules, EntriesOfALine) {
  struct Row {
    const char* line;
    char term;
    Entries want;
  };
  for (const Row& r : std::vector<Row>{
           {"", ';', {""}},
           {"/S/", ';', {"/S/"}},
           {"! a;b;", ';', {"! a;b;"}},
           {"0001=5;", ';', {"0001=5;"}},
           {"0001=5; 0002=6 ;", ';', {"0001=5;", "0002=6 ;"}},
           {"0001=5;0002=6", ';', {"0001=5;", "0002=6"}},
           {"0001=5;  ", ';', {"0001=5;"}},
           // A comment takes the rest of the line, terminators and all.
           {"0001=5; ! x;0002=6;", ';', {"0001=5;", "! x;0002=6;"}},
           {"NO=001>DATA=1<A>", '>', {"NO=001>", "DATA=1<A>"}},
           {"0001=5;0002=6;", 0, {"0001=5;0002=6;"}},  // no menu: one entry
       }) {
    EXPECT_EQ(LoadEngine::Entries(r.line, r.term), r.want) << r.line;
  }
}

class NoView : public LoadView {
  void ToggleCursor() override {}
  void ShowCounters() override {}
  void ShowErrCount() override {}
  void StartTimer() override {}
  void ShowLine(const std::string&, bool) override {}
  void AskFix(const std::string&, const std::string&) override {}
};

TEST(LoadRules, RangeFilter) {
  struct Row {
    int systemType, kind;
    const char* from;
    const char* to;
    const char* text;
    bool previous, want;
  };
  for (const Row& r : std::vector<Row>{
           {0, 0, "", "005", "NO=005>X", false, true},    // To itself is in
           {0, 0, "", "005", "NO=006>X", true, false},
           {0, 0, "003", "", "NO=003>X", false, true},    // From itself is in
           {0, 0, "003", "", "NO=002>X", true, false},
           {0, 0, "003", "005", "NO=004>X", false, true},
           {0, 0, "003", "005", "NO=006>X", true, false},
           {0, 0, "", "005", "DATA=1<A>", true, true},    // no key: the verdict before
           {0, 0, "", "005", "DATA=1<A>", false, false},
           {0, 0, "", "005", "NO=001", true, false},      // no ">": rejected
           {0, 0, "aB", "", "NO=Ab>", false, true},       // letter case does not count
           {0, 1, "", "200", "TEL=100>NO=999>", false, true},
           {0, 1, "", "200", "NO=100>", true, true},      // kind 1 looks for "TEL=" only
           {1, 2, "", "10", "ID=11>", true, false},
           {0, 2, "", "10", "ID=11>NO=05>", false, true},  // "ID=" is type 1's key
       }) {
    LoadParams p;
    p.systemType = r.systemType;
    p.kind = r.kind;
    p.rangeOn = true;
    p.rangeFrom = r.from;
    p.rangeTo = r.to;
    NoView v;
    LoadEngine e(p, v);
    EXPECT_EQ(e.Range_Check(r.text, r.previous), r.want) << r.text << " from " << r.from << " to " << r.to;
  }
}

TEST(LoadRules, KindsOfBothSystemTypes) {
  using R = LoadRole;
  std::vector<R> type0 = {R::RangeData, R::RangeData, R::RangeData, R::OtherData, R::Part,
                          R::Command,   R::OtherData, R::Kanji};
  std::vector<R> type1 = {R::RangeData, R::RangeData, R::RangeData, R::RangeData, R::RangeData,
                          R::OtherData, R::Part,      R::Command,   R::Kanji};
  for (size_t k = 0; k < type0.size(); ++k) EXPECT_EQ(Load_Role(0, static_cast<int>(k)), type0[k]) << k;
  for (size_t k = 0; k < type1.size(); ++k) EXPECT_EQ(Load_Role(1, static_cast<int>(k)), type1[k]) << k;
}

TEST(LoadRules, ResultMessages) {
  struct Row {
    int phase, result;
    bool lost, cancelled;
    const char* want;
  };
  for (const Row& r : std::vector<Row>{
           {0, 1, false, false, "9021"},  {0, 100, false, false, "9021"}, {1, 1, false, false, "9501"},
           {1, 4, false, false, "9504"},  {1, 5, false, false, "9509"},   {1, 6, false, false, "9506"},
           {1, 7, false, false, "9505"},  {1, 8, false, false, "9510"},   {1, 9, false, false, "9508"},
           {1, 10, false, false, "9507"}, {1, 11, false, false, "9511"},  {1, 12, false, false, "9512"},
           {1, 100, false, false, "5502"}, {1, 200, false, false, "5504"}, {2, 0, false, false, "5501"},
           {2, 100, false, false, "5502"}, {2, 200, false, false, "5504"}, {2, 300, false, false, "5503"},
           {2, 400, false, false, "5506"}, {2, 500, false, false, "5507"}, {2, 600, false, false, "5508"},
           {2, 7, false, false, "5501"},  {2, 300, false, true, "5501"},  {2, 300, true, true, "5301"},
           {0, 1, true, false, "5301"},
       }) {
    EXPECT_EQ(Load_ResultMessage(r.phase, r.result, r.lost, r.cancelled), r.want) << r.phase << "/" << r.result;
  }
}

TEST(LoadRules, ProgressIsClamped) {
  EXPECT_EQ(Load_ProgressText(0, 0), "0/0(0%)");
  EXPECT_EQ(Load_ProgressText(1, 3), "1/3(33%)");
  EXPECT_EQ(Load_ProgressText(7, 5), "7/5(100%)");
  EXPECT_EQ(Load_Percent(2000000000, 2000000000), 100) << "no overflow on the way";
}

TEST(LoadRules, ErrorRecords) {
  std::string head = std::string(ErrLineLabel) + "12," + std::string(ErrCodeLabel);
  EXPECT_EQ(loaderr::ErrRecord(12, "9", "X=1;"), head + "000009\r\nX=1;\r\n");
  EXPECT_EQ(loaderr::ErrRecord(12, "12", "X"), head + "000012\r\nX\r\n");
  EXPECT_EQ(loaderr::ErrRecord(12, "E12345", ""), head + "E12345\r\n\r\n");
  std::array<std::string, 10> req{"073", "", "", "", "", "", "", "", "", "9"};
  Ctl_MenuRec m;
  m.Name = "S";
  EXPECT_EQ(loaderr::RetryRecord(4, &m, req, "A;"), "4\r\n/S/\r\n073\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n9\r\nA;\r\n");
  EXPECT_EQ(loaderr::RetryRecord(4, nullptr, req, "/Q/"), "4\r\n"
                                                              "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n/Q/\r\n");
}

TEST(LoadRules, RetryRecordsReadBack) {
  std::string good = "4\r\n/S/\r\n073\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n9\r\nA;\r\n";
  loaderr::Lines in(good + good);
  loaderr::RetryRecordIn r;
  ASSERT_EQ(loaderr::ReadRetry(in, r), 1);
  EXPECT_EQ(r.lineNo, 4);
  EXPECT_EQ(r.menuLine, "/S/");
  EXPECT_EQ(r.required[0], "073");
  EXPECT_EQ(r.required[9], "9");
  EXPECT_EQ(r.text, "A;");
  EXPECT_EQ(loaderr::ReadRetry(in, r), 1);
  EXPECT_EQ(loaderr::ReadRetry(in, r), 0);
  // Broken: a first line that is no number, or a record cut short.
  for (std::string bad : {std::string("x\r\n") + good.substr(3), std::string("\r\n") + good.substr(3),
                          std::string("99999999999\r\n") + good.substr(3), good.substr(0, good.size() - 5),
                          std::string("-4") + good.substr(1)}) {
    loaderr::Lines b(bad);
    EXPECT_EQ(loaderr::ReadRetry(b, r), 100) << bad;
  }
}

TEST(LoadRules, LinesEndedAnyWay) {
  loaderr::Lines in(std::string("a\r\nb\nc\rd\r\n\r\ne"));
  std::vector<std::string> got;
  for (std::string l; in.Next(l);) got.push_back(l);
  EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));
}

}  // namespace
