// The record formats of the record, group and field-list screens: which
// Format.Dat sections are usable, how entries land in slots, the exact
// lines written back, the refusals, and the record rows' insert and delete.
#include "cmdfile/GFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cmdfile/Cell_Check.h"

namespace {

using Lines = std::vector<std::string>;
using Rows = std::vector<std::vector<std::string>>;

const FormatCheck kCheck = [](std::string_view v, std::string_view s) { return Cell_Check(v, s); };

std::string Bytes(const Lines& l) {
  std::string out;
  for (const std::string& s : l) out += s + "\r\n";
  return out;
}

RecordFormat Fmt(const Lines& fieldLines, int pageType, std::string heading = "HEAD") {
  Lines list{"/F1/"};
  if (pageType != kFieldPage) list.push_back(heading);
  list.insert(list.end(), fieldLines.begin(), fieldLines.end());
  RecordFormat f;
  EXPECT_EQ(GFormat_Read(list, "", pageType, f), 0);
  return f;
}

// NO, NAME and TEL-1 of three slots.
RecordFormat Tel() { return Fmt({"NO=1;N=3", "NAME=A;c=20", "TEL-1=A>B>C;c=8"}, kRecordPage); }

TEST(FormatRead, WhichSectionsAreUsable) {
  struct Row {
    int type;
    Lines list;
    const char* sub;
    int msg;
    const char* heading;
    std::vector<FormatField> fields;
  } rows[] = {
      {5, {"/F/", "HEAD", "NO=1;N=3", "NAME=A;c=20", "TEL-1=A>B>C;R1=8"}, "", 0, "HEAD",
       {{"NO", 1, "N=3"}, {"NAME", 1, "c=20"}, {"TEL-1", 3, "R1=8"}}},
      // Three lines or fewer, or no field line.
      {5, {"/F/", "HEAD", "NO=1;N=3"}, "", 9314, "", {}},
      {5, {"/F/", "HEAD"}, "", 9314, "", {}},
      {5, {}, "", 9314, "", {}},
      {5, {"/F/", "HEAD", "", "NO"}, "", 9314, "", {}},
      {5, {"/F/", "HEAD", "NO;=1", "A=1;c=1"}, "", 9314, "", {}},
      // A line without "=", or without ";" after it, ends the fields.
      {5, {"/F/", "HEAD", "NO=1;N=3", "NAME"}, "", 0, "HEAD", {{"NO", 1, "N=3"}}},
      {5, {"/F/", "H", "A=1;c=1", "B=1", "C=1;c=1"}, "", 0, "H", {{"A", 1, "c=1"}}},
      // Empty lines are passed over; the rule is the rest, "=" and all.
      {5, {"/F/", "H", "", "A=1;c=1", "", "C=1;R1=8=9", "D=;"}, "", 0, "H",
       {{"A", 1, "c=1"}, {"C", 1, "R1=8=9"}, {"D", 1, ""}}},
      // The sub-header line is no heading.
      {6, {"/F/", "BLK=1;", "G", "N=1;N=3", "A=1;c=2"}, "BLK=1", 0, "G", {{"N", 1, "N=3"}, {"A", 1, "c=2"}}},
      {6, {"/F/", "G", "N=1;N=3", "A=1;c=2", "1=a>b>c;c=3"}, "", 0, "G",
       {{"N", 1, "N=3"}, {"A", 1, "c=2"}, {"1", 3, "c=3"}}},
      // Type 7 has no heading: three field lines are enough, two are not.
      {7, {"/F/", "ABC1=1;c=3", "ABD2=1;c=3", "XYZ=1;c=3"}, "", 0, "",
       {{"ABC1", 1, "c=3"}, {"ABD2", 1, "c=3"}, {"XYZ", 1, "c=3"}}},
      {7, {"/F/", "ABC1=1;c=3", "ABD2=1;c=3"}, "", 9314, "", {}},
      // Fields that could not be written back.
      {7, {"/F/", "FS-1=a>b;c=1", "A=1;c=1", "B=1;c=1"}, "", 9314, "", {}},
      {5, {"/F/", "H", "NO=1>2;N=3", "A=1;c=1"}, "", 9314, "", {}},
      {5, {"/F/", "H", "NO=1;N=3", "TEL=A>B;c=3"}, "", 9314, "", {}},
      {5, {"/F/", "H", "NO=1;N=3", "TEL-X=A>B;c=3"}, "", 9314, "", {}},
      {5, {"/F/", "H", "NO=1;N=3", "TEL-9999=A>B;c=3"}, "", 9314, "", {}},
      {5, {"/F/", "H", "NO=1;N=3", "TEL-9998=A>B;c=3"}, "", 0, "H", {{"NO", 1, "N=3"}, {"TEL-9998", 2, "c=3"}}},
      {6, {"/F/", "G", "N=1;N=3", "X-1=a>b;c=3"}, "", 9314, "", {}},
      // Names read through an index must carry one, and no index may
      // belong to two fields.
      {5, {"/F/", "H", "NO=1;N=3", "A-B=1;c=3"}, "", 9314, "", {}},
      {7, {"/F/", "FS-=1;c=1", "A=1;c=1", "B=1;c=1"}, "", 9314, "", {}},
      {5, {"/F/", "H", "NO=1;N=3", "TEL-1=a>b>c;c=3", "TEL-3=x;c=3"}, "", 9314, "", {}},
      {5, {"/F/", "H", "NO=1;N=3", "TEL-4=a;c=3", "TEL-3=x>y;c=3"}, "", 9314, "", {}},
      {6, {"/F/", "G", "N=1;N=3", "1=a>b;c=3", "02=x;c=3"}, "", 9314, "", {}},
      {5, {"/F/", "H", "NO=1;N=3", "NAME=1;c=3", "NAME=1;c=4"}, "", 9314, "", {}},
      {7, {"/F/", "A;B=1;c=1", "C=1;c=1", "D=1;c=1"}, "", 9314, "", {}},
      {5, {"/F/", "H", "NO=1;N=3", "TEL-1=a>b>c;c=3", "TEL-4=x;c=3", "FAX-1=x>y;c=3", "A-B-2=q;c=1"}, "", 0, "H",
       {{"NO", 1, "N=3"}, {"TEL-1", 3, "c=3"}, {"TEL-4", 1, "c=3"}, {"FAX-1", 2, "c=3"}, {"A-B-2", 1, "c=1"}}},
      {6, {"/F/", "G", "N-1=1;N=3", "1=a>b;c=3", "3=x;c=3"}, "", 0, "G",
       {{"N-1", 1, "N=3"}, {"1", 2, "c=3"}, {"3", 1, "c=3"}}},
      {6, {"/F/", "G", "N=1>2;N=3", "A=1;c=3"}, "", 9314, "", {}},
  };
  for (const Row& r : rows) {
    RecordFormat f;
    f.heading = "stale";
    const int got = GFormat_Read(r.list, r.sub, r.type, f);
    std::string where = std::to_string(r.type) + ": " + (r.list.size() > 3 ? r.list[3] : "");
    EXPECT_EQ(got, r.msg) << where;
    if (r.msg != 0) continue;
    EXPECT_EQ(f.heading, r.heading) << where;
    EXPECT_EQ(f.fields, r.fields) << where;
  }
}

TEST(FormatRead, PlacesAndHeadings) {
  RecordFormat f = Tel();
  EXPECT_EQ(f.SlotCount(), 5);
  EXPECT_EQ(f.FirstSlots(), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(GFormat_CheckPlaces(f, 5), 0);
  EXPECT_EQ(GFormat_CheckPlaces(f, 4), 9311);
  EXPECT_EQ(GFormat_CheckPlaces(f, 6), 9311);
  // Four fields or more, field 2 or 3 not empty; field 3 heads the column.
  std::vector<Lines> def{{"1", "a", "x", "Name"}, {"2", "b", "y"},       {"3", "c", "", ""},
                         {"4", "d", "", "Tel1"},  {"5", "e", "z", "", "q"}};
  EXPECT_EQ(GFormat_Headings(def), (Lines{"Name", "Tel1", ""}));
}

TEST(RecordPage, RecordsReadFromTheirLines) {
  RecordFormat f = Tel();
  struct Row {
    Lines entries;
    Rows rows;
  } rows[] = {
      {{}, {{"/", "/", "/", "/", "/"}}},
      {{"NO=5;", "NAME=ABC;", "TEL-1=1;", "TEL-3=3;"}, {{"5", "ABC", "1", "/", "3"}}},
      {{"NO=5;NAME=ABC;TEL-1=1;TEL-3=3;"}, {{"5", "ABC", "1", "/", "3"}}},
      {{"NO=1;", "TEL-2=x>y;"}, {{"1", "/", "/", "x", "y"}}},
      // Out of range, names that are no field, no number: passed over.
      {{"NO=1;TEL-0=x;FOO=2;TEL-4=z;TEL-=q;TEL-a=q;TELX-1=q;NAME=N;"}, {{"1", "N", "/", "/", "/"}}},
      // Without its ";" an indexed entry keeps what a ">" closed.
      {{"NO=1;", "TEL-1=a>b>"}, {{"1", "/", "a", "b", "/"}}},
      {{"NO=1;", "TEL-1=a>b"}, {{"1", "/", "a", "/", "/"}}},
      {{"NO=1;", "TEL-1=a"}, {{"1", "/", "/", "/", "/"}}},
      {{"NO=1;NAME=x"}, {{"1", "/", "/", "/", "/"}}},
      // A ";" before the "=" drops the text before it; ">" kept whole in
      // a field named without "-"; pieces past the last slot are dropped.
      {{"junk;NO=1;", "x;y;NAME=a>b;", "TEL-2=p>q>r>s;"}, {{"1", "a>b", "/", "p", "q"}}},
      // Records begin at the key; the first line begins the first anyway.
      {{"NAME=A;", "NO=2;", "NAME=B;", "NO=3;"},
       {{"/", "A", "/", "/", "/"}, {"2", "B", "/", "/", "/"}, {"3", "/", "/", "/", "/"}}},
      {{"NO=1;NAME=A;", "NAME=B;", "NOX=1;"}, {{"1", "B", "/", "/", "/"}}},
  };
  for (const Row& r : rows) EXPECT_EQ(GRecord_Rows(f, r.entries), r.rows) << (r.entries.empty() ? "" : r.entries[0]);
}

TEST(RecordPage, BuildWritesExactLinesAndReadsBack) {
  struct Row {
    Lines fields;
    Rows rows;
    std::string bytes;
  } rows[] = {
      {{"NO=1;N=3", "NAME=A;c=20", "TEL-1=A>B>C;c=8"},
       {{"5", "ABC", "1", "/", "3"}},
       "/F1/\r\nNO=5;\r\nNAME=ABC;\r\nTEL-1=1;\r\nTEL-3=3;\r\n"},
      // One line while the first three characters agree.
      {{"NO=1;N=3", "TELA=1;c=2", "TELB=1;c=2"}, {{"1", "1", "2"}, {"2", "/", "4"}},
       "/F1/\r\nNO=1;\r\nTELA=1;TELB=2;\r\nNO=2;\r\nTELB=4;\r\n"},
      // A key of "/" drops the row, whatever else it holds.
      {{"NO=1;N=3", "TELA=1;c=2", "TELB=1;c=2"}, {{"/", "1", "2"}, {"/", "/", "/"}}, "/F1/\r\n"},
      // Several slots end their line; fields of one prefix apart from each
      // other keep their own slots.
      {{"NO=1;N=3", "TEL-1=a>b;c=8", "NAME=x;c=8", "TEL-3=a>b;c=8", "TELZ=a;c=8"},
       {{"7", "a", "b", "N", "c", "d", "z"}},
       "/F1/\r\nNO=7;\r\nTEL-1=a>b;\r\nNAME=N;\r\nTEL-3=c>d;\r\nTELZ=z;\r\n"},
      {{"NO=1;N=3", "TELZ=a;c=8", "TEL-8=a>b>c;c=8", "TELY=a;c=8"},
       {{"7", "z", "a", "b", "c", "y"}, {"8", "z", "/", "/", "/", "y"}},
       "/F1/\r\nNO=7;\r\nTELZ=z;TEL-8=a>b>c;\r\nTELY=y;\r\nNO=8;\r\nTELZ=z;\r\nTELY=y;\r\n"},
      // The index is as wide as the field's number: TEL-8 writes 10 as "10".
      {{"NO=1;N=3", "TEL-8=a>b>c;c=8"}, {{"7", "/", "/", "c"}}, "/F1/\r\nNO=7;\r\nTEL-10=c;\r\n"},
      {{"NO=1;N=3", "TEL-01=a>b;c=8"}, {{"7", "/", "b"}}, "/F1/\r\nNO=7;\r\nTEL-2=b;\r\n"},
  };
  for (const Row& r : rows) {
    RecordFormat f = Fmt(r.fields, kRecordPage);
    Lines list{"/F1/"};
    FormatFail fail;
    ASSERT_TRUE(GRecord_Build(f, r.rows, kCheck, list, fail)) << r.bytes;
    EXPECT_EQ(Bytes(list), r.bytes);
    Rows kept;
    for (const auto& row : r.rows)
      if (row[0] != "/") kept.push_back(row);
    if (kept.empty()) kept.push_back(std::vector<std::string>(r.rows[0].size(), "/"));
    EXPECT_EQ(GRecord_Rows(f, Lines(list.begin() + 1, list.end())), kept) << r.bytes;
  }
}

TEST(RecordPage, LongValuesOpenTheNextLine) {
  RecordFormat f = Fmt({"NO=1;N=3", "NAMEA=1;c=200", "NAMEB=1;c=5", "TEL-1=a>b;c=200"}, kRecordPage);
  const std::string v120(120, 'Q');
  Rows rows{{"1", v120, "b", v120, "t"}};
  Lines list{"/F1/"};
  FormatFail fail;
  ASSERT_TRUE(GRecord_Build(f, rows, kCheck, list, fail));
  EXPECT_EQ(list, (Lines{"/F1/", "NO=1;", "NAMEA=" + v120 + ";", "NAMEB=b;", "TEL-1=" + v120 + ";", "TEL-2=t;"}));
  EXPECT_EQ(GRecord_Rows(f, Lines(list.begin() + 1, list.end())), rows);
  // Two short names of one prefix fill a line up to 70 characters.
  RecordFormat g = Fmt({"NO=1;N=3", "NAMEA=1;c=200", "NAMEB=1;c=5"}, kRecordPage);
  const std::string v59(59, 'Q'), v60(60, 'Q');
  Lines a{"/"}, b{"/"};
  ASSERT_TRUE(GRecord_Build(g, {{"1", v59, "x"}}, kCheck, a, fail));  // "NAMEA=" + 59 + ";" = 66
  ASSERT_TRUE(GRecord_Build(g, {{"1", v60 + "QQQ", "x"}}, kCheck, b, fail));  // 70
  EXPECT_EQ(a, (Lines{"/", "NO=1;", "NAMEA=" + v59 + ";NAMEB=x;"}));
  EXPECT_EQ(b, (Lines{"/", "NO=1;", "NAMEA=" + v60 + "QQQ;", "NAMEB=x;"}));
}

TEST(FormatChecks, ValuesThatWouldBreakTheirEntriesAreRefused) {
  RecordFormat f = Fmt({"NO=1;N=3", "NAME=A;c=20", "TEL-1=A>B>C;c=8", "FS-1=A;c=8"}, kRecordPage);
  RecordFormat g = Fmt({"N=1;N=3", "NAME=A;c=20", "1=A>B;c=8"}, kGroupPage);
  struct Row {
    const RecordFormat* f;
    int type;
    size_t field;
    const char* value;
    int msg;
  } rows[] = {
      {&f, 5, 1, "a;b", 9508}, {&f, 5, 1, "x!y", 9508}, {&f, 5, 1, "a>b", 0},  {&f, 5, 2, "a>b", 9508},
      {&f, 5, 3, "a>b", 9508}, {&f, 5, 2, "/", 0},      {&f, 5, 2, "ab", 0},   {&f, 5, 0, "12", 0},
      {&f, 5, 0, "1234", 9507}, {&f, 5, 0, "1x", 9508}, {&g, 6, 1, "a>b", 0},  {&g, 6, 2, "a>b", 9508},
      {&g, 6, 2, "x!", 9508},  {&g, 6, 1, ";", 9508},  {&f, 5, 9, "a;b", 0},
  };
  for (const Row& r : rows)
    EXPECT_EQ(GFormat_CheckValue(*r.f, r.type, r.field, r.value, kCheck), r.msg) << r.field << " " << r.value;

  // The build stops at the first failing value, row and slot told.
  Rows recs{{"1", "ok", "1", "2", "3", "4"}, {"/", "a;b", "/", "/", "/", "/"}, {"2", "ok", "1", "2>", "3", "4"}};
  Lines list{"/F1/"};
  FormatFail fail;
  EXPECT_FALSE(GRecord_Build(f, recs, kCheck, list, fail));
  EXPECT_EQ(fail.row, 2);
  EXPECT_EQ(fail.slot, 3);
  EXPECT_EQ(fail.message, 9508);
}

// N (the group number, three digits), A, and the numbered field 1 of three
// slots.
RecordFormat Groups() { return Fmt({"N=1;N=3", "A=x;c=8", "1=a>b>c;c=8"}, kGroupPage, "GL"); }

TEST(GroupPage, RecordsLandOnTheirGroups) {
  RecordFormat f = Groups();
  struct Row {
    Lines entries;
    Rows rows;
  } rows[] = {
      {{}, {{"1", "/", "/", "/", "/"}, {"2", "/", "/", "/", "/"}, {"3", "/", "/", "/", "/"}}},
      {{"N=002;", "A=x;", "1=1;", "3=3;"}, {{"1", "/", "/", "/", "/"}, {"002", "x", "1", "/", "3"}, {"3", "/", "/", "/", "/"}}},
      // A later record of a group wins; group 0, above the count or no
      // number are dropped.
      {{"N=003;", "A=a;", "N=003;", "A=b;", "N=000;A=c;", "N=004;A=d;", "N=x;A=e;", "N=-1;A=f;", "A=g;"},
       {{"1", "/", "/", "/", "/"}, {"2", "/", "/", "/", "/"}, {"003", "b", "/", "/", "/"}}},
      // Index entries: negative and too large offsets dropped, "01" is 1.
      {{"N=1;", "0=z>p>q;", "01=y;A=w;3=r>s;"}, {{"1", "w", "y", "q", "r"}, {"2", "/", "/", "/", "/"}, {"3", "/", "/", "/", "/"}}},
  };
  for (const Row& r : rows) EXPECT_EQ(GGroup_Rows(f, r.entries, 3), r.rows) << (r.entries.empty() ? "" : r.entries[0]);
  EXPECT_EQ(GGroup_Rows(f, {"N=1;"}, 0), Rows{});

  // Numbered fields apart from each other keep their own slots.
  RecordFormat g = Fmt({"N=1;N=2", "1=a>b;c=8", "A=x;c=8", "3=a>b;c=8"}, kGroupPage);
  EXPECT_EQ(GGroup_Rows(g, {"N=01;", "1=a>b>c>d;"}, 1), (Rows{{"01", "a", "b", "/", "c", "d"}}));
}

TEST(GroupPage, BuildWritesGroupLinesAndTheGroupList) {
  RecordFormat f = Groups();
  Rows rows{{"1", "/", "/", "/", "/"}, {"2", "x", "1", "/", "3"}, {"3", "/", "/", "/", "/"},
            {"4", "/", "/", "/", "/"}, {"5", "/", "/", "/", "/"}, {"6", "/", "/", "/", "/"},
            {"7", "/", "/", "/", "v"}};
  Lines list{"/G1/"};
  std::vector<int> written;
  FormatFail fail;
  ASSERT_TRUE(GGroup_Build(f, rows, kCheck, list, written, fail));
  EXPECT_EQ(Bytes(list), "/G1/\r\nN=002;\r\nA=x;\r\n1=1;\r\n3=3;\r\nN=007;\r\n3=v;\r\n");
  EXPECT_EQ(written, (std::vector<int>{2, 7}));
  Rows back = GGroup_Rows(f, Lines(list.begin() + 1, list.end()), 7);
  back[1][0] = "2", back[6][0] = "7";  // read back as written, "002" and "007"
  EXPECT_EQ(back, rows);

  // No value anywhere: the header alone.
  Lines empty{"/G1/"};
  ASSERT_TRUE(GGroup_Build(f, Rows(3, std::vector<std::string>(5, "/")), kCheck, empty, written, fail));
  EXPECT_EQ(empty, Lines{"/G1/"});
  EXPECT_TRUE(written.empty());

  // Width from the first field's rule; a name of two characters writes
  // two-digit indexes; a failing value stops with its row and slot.
  RecordFormat w = Fmt({"GN=1;R1", "10=a>b;c=8", "B=x;c=1"}, kGroupPage);
  EXPECT_EQ(GGroup_Width(w), 0);
  // A width beyond the digits of any group still reads back.
  RecordFormat wide = Fmt({"N=1;N=12", "A=x;c=8"}, kGroupPage);
  Lines wideList{"/"};
  ASSERT_TRUE(GGroup_Build(wide, {{"1", "a"}}, kCheck, wideList, written, fail));
  EXPECT_EQ(wideList, (Lines{"/", "N=000000000001;", "A=a;"}));
  EXPECT_EQ(GGroup_Rows(wide, Lines(wideList.begin() + 1, wideList.end()), 1), (Rows{{"000000000001", "a"}}));
  Lines wl{"/"};
  ASSERT_TRUE(GGroup_Build(w, {{"1", "/", "p", "/"}}, kCheck, wl, written, fail));
  EXPECT_EQ(wl, (Lines{"/", "GN=1;", "11=p;"}));
  Lines bad{"/"};
  EXPECT_FALSE(GGroup_Build(w, {{"1", "/", "/", "/"}, {"2", "q", "r", "xy"}}, kCheck, bad, written, fail));
  EXPECT_EQ(fail.row, 1);
  EXPECT_EQ(fail.slot, 3);
  EXPECT_EQ(fail.message, 9507);

  EXPECT_EQ(GGroup_ListBlock("GL", {7, 2}), (Lines{"/GL/", "GRP=002;", "GRP=007;"}));
  EXPECT_EQ(GGroup_ListBlock("", {7, 2}), Lines{});
  EXPECT_EQ(GGroup_ListBlock("GL", {}), Lines{});
}

TEST(FieldPage, EntriesPackedByTheirFirstTwoCharacters) {
  RecordFormat f = Fmt({"ABC1=1;c=80", "ABD2=1;c=80", "ABE3=1;c=80", "XYZ=1;c=80"}, kFieldPage);
  const std::string v60(60, 'q'), v61(61, 'q');
  struct Row {
    Lines values;
    std::string bytes;
  } rows[] = {
      {{"1", "2", "/", "3"}, "/F1/\r\nABC1=1;ABD2=2;\r\nXYZ=3;\r\n"},
      {{"1", "/", "2", "/"}, "/F1/\r\nABC1=1;ABE3=2;\r\n"},
      {{"/", "/", "/", "/"}, "/F1/\r\n\r\n"},
      // A line of 69 characters takes one more entry, one of 70 does not.
      {{v60 + "QQQ", "2", "/", "/"}, "/F1/\r\nABC1=" + v60 + "QQQ;ABD2=2;\r\n"},
      {{v61 + "QQQ", "2", "/", "/"}, "/F1/\r\nABC1=" + v61 + "QQQ;\r\nABD2=2;\r\n"},
  };
  for (const Row& r : rows) {
    Lines list{"/F1/"};
    FormatFail fail;
    ASSERT_TRUE(GField_Build(f, r.values, kCheck, list, fail));
    EXPECT_EQ(Bytes(list), r.bytes);
    EXPECT_EQ(GField_Values(f, Lines(list.begin() + 1, list.end())), r.values) << r.bytes;
  }
  Lines list{"/F1/"};
  FormatFail fail;
  EXPECT_FALSE(GField_Build(f, {"1", "/", "x!", "3"}, kCheck, list, fail));
  EXPECT_EQ(fail.slot, 2);
  EXPECT_EQ(fail.message, 9508);

  // The last record shows; an indexed entry fills consecutive fields.
  EXPECT_EQ(GField_Values(f, {"ABC1=1;ABD2=2;", "XYZ=3;", "ABC1=7;", "ABE3=8;"}), (Lines{"7", "/", "8", "/"}));
  RecordFormat fs = Fmt({"FS-1=1;c=8", "FS-2=1;c=8", "FS-3=1;c=8"}, kFieldPage);
  EXPECT_EQ(GField_Values(fs, {"FS-1=a>b>c;"}), (Lines{"a", "b", "c"}));
  EXPECT_EQ(GField_Values(fs, {}), (Lines{"/", "/", "/"}));
}

TEST(RecordGrid, InsertDeleteAndNumbers) {
  PageGrid g;
  g.SetSize(3, 1);
  GRecord_Show({{"1", "a"}, {"2", "b"}, {"3", "c"}}, g);
  ASSERT_EQ(g.RowCount(), 4);
  EXPECT_EQ(g.Cell(0, 3), "   3");
  EXPECT_EQ(GRecord_GridRows(g), (Rows{{"1", "a"}, {"2", "b"}, {"3", "c"}}));

  EXPECT_EQ(GRecord_InsertRow(g, 1), 2);
  EXPECT_EQ(GRecord_GridRows(g), (Rows{{"1", "a"}, {"/", "/"}, {"2", "b"}, {"3", "c"}}));
  EXPECT_EQ(g.Cell(0, 4), "   4");
  EXPECT_EQ(GRecord_InsertRow(g, 4), 5);
  EXPECT_EQ(GRecord_GridRows(g).back(), (std::vector<std::string>{"/", "/"}));

  EXPECT_EQ(GRecord_DeleteRows(g, 2, 2), 2);
  EXPECT_EQ(GRecord_GridRows(g), (Rows{{"1", "a"}, {"2", "b"}, {"3", "c"}, {"/", "/"}}));
  EXPECT_EQ(GRecord_DeleteRows(g, 3, 4), 2);  // row 3 is gone: the cursor on the last row
  EXPECT_EQ(GRecord_GridRows(g), (Rows{{"1", "a"}, {"2", "b"}}));
  EXPECT_EQ(g.Cell(0, 2), "   2");
  EXPECT_EQ(GRecord_DeleteRows(g, 1, 2), 1);
  EXPECT_EQ(GRecord_GridRows(g), (Rows{{"/", "/"}}));
  EXPECT_EQ(g.Cell(0, 1), "   1");

  GRecord_Show({}, g);
  EXPECT_EQ(GRecord_GridRows(g), (Rows{{"/", "/"}}));

  PageGrid h;
  h.SetSize(3, 3);
  GGroup_Show({{"1", "a", "b"}, {"002", "c", "/"}}, h);
  EXPECT_EQ(h.Cell(0, 2), "  2");
  EXPECT_EQ(GGroup_GridRows(h), (Rows{{"1", "a", "b"}, {"2", "c", "/"}}));
}

TEST(RecordGrid, FailedCheckView) {
  struct Row {
    int col, row, cols, rows;
    FormatView v;
  } rows[] = {
      {3, 5, 10, 40, {3, 5, 3, 5}},   {9, 30, 10, 40, {9, 30, 6, 22}}, {2, 30, 4, 40, {2, 30, 1, 21}},
      {3, 10, 10, 18, {3, 10, 3, 1}}, {3, 19, 4, 19, {3, 19, 1, 1}},   {1, 1, 2, 2, {1, 1, 1, 1}},
      {5, 19, 5, 19, {5, 19, 1, 1}},
  };
  for (const Row& r : rows)
    EXPECT_EQ(GRecord_ViewFor(r.col, r.row, r.cols, r.rows), r.v) << r.col << "," << r.row << " " << r.cols;
}

}  // namespace
