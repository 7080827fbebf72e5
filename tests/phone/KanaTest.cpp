#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "phone/Kana_Edit.h"
#include "phone/Kana_Unit.h"
#include "platform/FileSys.h"
#include "shell/Global_Unit.h"
#include "tests/support/TempDir.h"

using namespace kana;

namespace {

std::string Lines(std::initializer_list<std::string_view> lines) { return SjisLines(lines); }

int CountLines(const std::string& s) {
  int n = 0;
  for (char c : s) n += c == '\n';
  return n;
}

std::string Source(const char* name) {
  const char* src = std::getenv("ORVO_SOURCE_DIR");
  std::string content;
  EXPECT_TRUE(src && fsys::ReadFile(std::string(src) + "/sample/data/" + name, content)) << name;
  return content;
}

}  // namespace

TEST(KanaFiles, SystemListRoundTrip) {
  SystemList list;
  ASSERT_TRUE(Spd_Read(Lines({"!c", "/SPD/", "  NO=005>DATA=0312345678<abc>  ",
                              "NO=006>DATA=1<a=b>", "DATA=2<next>", "NO=799>DATA=" + std::string(24, '9') + "<" + std::string(16, 'n') + ">"}),
                       list));
  EXPECT_EQ(list[5], (SpdEntry{"0312345678", "abc"}));
  EXPECT_EQ(list[6], (SpdEntry{"2", "next"}));  // the entry number carries over to the next line
  EXPECT_EQ(list[799].dial.size(), 24u);
  std::string out = Spd_Write(list, Sjis("営業"));
  EXPECT_EQ(CountLines(out), 802);
  const std::string head = Sjis("!営業") + "\r\n/SPD/\r\nNO=000>DATA=<>\r\n";
  EXPECT_EQ(out.substr(0, head.size()), head);
  EXPECT_NE(out.find("\r\nNO=005>DATA=0312345678<abc>\r\n"), std::string::npos);
  SystemList again;
  ASSERT_TRUE(Spd_Read(out, again));
  EXPECT_EQ(again, list);
  EXPECT_EQ(Spd_Write(again, Sjis("営業")), out);
}

TEST(KanaFiles, ReaderErrorsKeepWhatCameBefore) {
  struct {
    const char* what;
    int mode;
    std::string content;
  } cases[] = {
      {"system entry 800", kSystem, "NO=001>DATA=1<a>\r\nNO=800>DATA=2<b>\r\n"},
      {"system entry -1", kSystem, "NO=001>DATA=1<a>\r\nNO=-1>DATA=2<b>\r\n"},
      {"system 25-byte dial", kSystem, "NO=001>DATA=1<a>\r\nNO=002>DATA=" + std::string(25, '1') + "<b>\r\n"},
      {"system 17-byte name", kSystem, "NO=001>DATA=1<a>\r\nNO=002>DATA=2<" + std::string(17, 'n') + ">\r\n"},
      {"system < outside DATA", kSystem, "NO=001>DATA=1<a>\r\nNO=002<\r\n"},
      {"personal 8-byte name", kPersonal, "TEL=201>\r\nNO=80>DATA=1<a>\r\nNO=81>DATA=2<abcdefgh>\r\n"},
      {"personal 5-byte key", kPersonal, "TEL=201>\r\nNO=80>DATA=1<a>\r\nTEL=20123>\r\n"},
      {"personal entry 100", kPersonal, "TEL=201>\r\nNO=80>DATA=1<a>\r\nNO=100>DATA=2<b>\r\n"},
      {"personal DATA before NO", kPersonal, "TEL=201>\r\nNO=80>DATA=1<a>\r\nTEL=202>\r\nDATA=2<b>\r\n"},
      {"ID card 13-byte key", kIdCard, "ID=1>\r\nNO=80>DATA=1<a>\r\nID=1234567890123>\r\n"},
      {"directory 5-byte extension", kDirectory, "NO=200>NAME=a>\r\nNO=20000>NAME=b>\r\n"},
      {"directory 11-byte name", kDirectory, "NO=200>NAME=a>\r\nNO=201>NAME=" + std::string(11, 'n') + ">\r\n"},
  };
  for (const auto& c : cases) {
    if (c.mode == kSystem) {
      SystemList list;
      EXPECT_FALSE(Spd_Read(c.content, list)) << c.what;
      EXPECT_EQ(list[1], (SpdEntry{"1", "a"})) << c.what;
    } else if (c.mode == kDirectory) {
      std::vector<DirRow> rows;
      EXPECT_FALSE(Dir_Read(c.content, rows)) << c.what;
      ASSERT_FALSE(rows.empty()) << c.what;
      EXPECT_EQ(rows[0], (DirRow{"200", "a"})) << c.what;
    } else {
      std::vector<Owner> owners;
      EXPECT_FALSE(ISpd_Read(c.content, c.mode, owners)) << c.what;
      ASSERT_FALSE(owners.empty()) << c.what;
      EXPECT_EQ(owners[0].entries[0].dial, "1") << c.what;
    }
  }
  // Owner and row caps: the 1000th is refused, the 999 before it stay.
  std::string many = "!x\r\n/ISPD/\r\n", dirs = "!x\r\n/DIR/\r\n";
  for (int i = 0; i < 1000; ++i) {
    many += "TEL=" + std::to_string(i) + ">\r\n";
    dirs += "NO=" + std::to_string(i) + ">NAME=>\r\n";
  }
  std::vector<Owner> owners;
  EXPECT_FALSE(ISpd_Read(many, kPersonal, owners));
  EXPECT_EQ(owners.size(), 999u);
  std::vector<DirRow> rows;
  EXPECT_FALSE(Dir_Read(dirs, rows));
  EXPECT_EQ(rows.size(), 999u);
}

// CR alone ends a line as CR LF does. A line that holds a control byte or
// gives no field stops the reading there; a file with no line read before
// that, or with blanks only, stops at line 1, never read as an empty list.
TEST(KanaFiles, CrAloneAndUnreadableFiles) {
  SystemList list;
  list[3] = {"0312", "abc"};
  list[799] = {"9", Sjis("ｱｲ")};
  std::string crOnly = Spd_Write(list, "c");
  for (size_t at; (at = crOnly.find("\r\n")) != std::string::npos;) crOnly.erase(at + 1, 1);
  SystemList again;
  EXPECT_TRUE(Spd_Read(crOnly, again));
  EXPECT_EQ(again, list);
  std::vector<Owner> owners;
  EXPECT_TRUE(ISpd_Read("!c\r/ISPD/\rTEL=201>\rNO=81>DATA=5<b>", kPersonal, owners));
  ASSERT_EQ(owners.size(), 1u);
  EXPECT_EQ(owners[0].entries[1].dial, "5");
  EXPECT_TRUE(Spd_Read("", again));

  std::string random(4096, '\0'), every(256, '\0');
  std::mt19937 bits(7);
  for (char& c : random) c = static_cast<char>(bits());
  for (int i = 0; i < 256; ++i) every[static_cast<size_t>(i)] = static_cast<char>(i);
  struct {
    const char* what;
    std::string content;
    int line;
    bool allModes;
  } cases[] = {
      {"random bytes", random, 1, true},
      {"bytes 0 to 255", every, 1, true},
      {"NULs only", std::string(300, '\0'), 1, true},
      {"blanks only", "\r\n \t\r\n", 1, true},
      {"no line read before", "\r\n\r\nNO=800>DATA=<>\r\n", 1, false},
      {"a line without a field", "!c\r/SPD/\rNO=001>DATA=1<a>\rhello\r", 4, false},
      {"a control byte", "!c\n/SPD/\nNO=001>DATA=1<a>\nNO=002>DATA=2\x01<b>\n", 4, false},
  };
  for (const auto& c : cases) {
    int bad = 0;
    SystemList sys;
    EXPECT_FALSE(Spd_Read(c.content, sys, &bad)) << c.what;
    EXPECT_EQ(bad, c.line) << c.what;
    if (!c.allModes) continue;
    for (int mode : {kPersonal, kIdCard}) {
      std::vector<Owner> o;
      bad = 0;
      EXPECT_FALSE(ISpd_Read(c.content, mode, o, &bad)) << c.what;
      EXPECT_EQ(bad, 1) << c.what;
    }
    std::vector<DirRow> rows;
    bad = 0;
    EXPECT_FALSE(Dir_Read(c.content, rows, &bad)) << c.what;
    EXPECT_EQ(bad, 1) << c.what;
  }
}

TEST(KanaFiles, OwnersAndDirectoryRoundTrip) {
  std::vector<Owner> owners;
  ASSERT_TRUE(ISpd_Read(Source("SdPersonal.DAT"), kPersonal, owners));
  ASSERT_FALSE(owners.empty());
  owners.push_back(NewOwner("*12#"));
  owners.back().entries[3] = {"83", "0312", Sjis("ｱｲ=ｳ")};
  owners.back().entries[4].no = "";
  owners.push_back(NewOwner(""));  // an owner without key is not written
  std::string out = ISpd_Write(owners, kPersonal, "c");
  EXPECT_NE(out.find("TEL=*12#>\r\nNO=80>DATA=<>\r\n"), std::string::npos);
  EXPECT_NE(out.find("NO=83>DATA=0312<" + Sjis("ｱｲ=ｳ") + ">\r\nNO=  >DATA=<>\r\n"), std::string::npos);
  EXPECT_EQ(CountLines(out), 2 + 21 * static_cast<int>(owners.size() - 1));
  // The reader takes only numbers 80 to 99: a blank number ends it there.
  std::vector<Owner> again;
  EXPECT_FALSE(ISpd_Read(out, kPersonal, again));
  owners[owners.size() - 2].entries[4].no = "84";
  again.clear();
  ASSERT_TRUE(ISpd_Read(ISpd_Write(owners, kPersonal, "c"), kPersonal, again));
  EXPECT_EQ(again.size(), owners.size() - 1);
  EXPECT_EQ(again.back().entries[3], owners[owners.size() - 2].entries[3]);

  // ID cards write ten entries; 90 to 99 come only from a file.
  std::vector<Owner> cards;
  ASSERT_TRUE(ISpd_Read(Source("SdIdCard.DAT"), kIdCard, cards));
  ASSERT_FALSE(cards.empty());
  EXPECT_EQ(CountLines(ISpd_Write(cards, kIdCard, "c")), 2 + 11 * static_cast<int>(cards.size()));

  // The directory sample, with its kanji names, comes back byte for byte.
  const std::string dir = Source("SdExtensions.DAT");
  std::vector<DirRow> rows;
  ASSERT_TRUE(Dir_Read(dir, rows));
  std::string comment = dir.substr(1, dir.find("\r\n") - 1);
  EXPECT_EQ(Dir_Write(rows, comment), dir);
  rows.push_back({"", "lost"});
  rows.push_back({"  ", "blank"});
  rows.push_back({"300", ""});
  std::string withRows = Dir_Write(rows, comment);
  EXPECT_EQ(withRows, dir + "NO=300>NAME=>\r\n");
}

TEST(KanaFiles, Checks) {
  struct {
    std::string text;
    int mode;
    bool dial, name;
  } cases[] = {
      {"", kSystem, true, true},
      {"0-12AEFR*#", kSystem, true, true},
      {"12-3", kDirectory, false, true},
      {"12345", kDirectory, false, true},
      {"1234", kDirectory, true, true},
      {std::string(24, '1'), kPersonal, true, false},
      {std::string(25, '1'), kSystem, false, false},
      {"1234567", kIdCard, true, true},
      {"12345678", kIdCard, true, false},
      {"P", kSystem, false, true},
      {"a<b", kDirectory, false, false},
      {std::string(10, 'x'), kDirectory, false, true},
      {std::string(16, 'x'), kSystem, false, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Spd_CheckDial(c.text, c.mode), c.dial) << c.text << " mode " << c.mode;
    EXPECT_EQ(Spd_CheckName(c.text, c.mode), c.name) << c.text << " mode " << c.mode;
  }
  EXPECT_FALSE(Spd_CheckName(Sjis("総務部長"), kPersonal));  // 8 bytes, 4 characters
  EXPECT_TRUE(Spd_CheckName(Sjis("総務部長"), kDirectory));
}

TEST(KanaFiles, StoreFailuresKeepTheOldFile) {
  TempDir dir;
  std::string path = dir.Write("SdSystem.DAT", "old");
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_EQ(Spd_Store(path, "new", kSystem), 9010);
  EXPECT_EQ(Spd_Store(path, "new", kIdCard), 9011);
  EXPECT_EQ(dir.Read("SdSystem.DAT"), "old");
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  EXPECT_EQ(Spd_Store(path, "new", kSystem), 0);
  EXPECT_EQ(dir.Read("SdSystem.DAT"), "new");
  EXPECT_EQ(Spd_Store(dir.path() + "gone/SdExtensions.DAT", "x", kDirectory), 9012);
  std::vector<fsys::DirEntry> left;
  ASSERT_TRUE(fsys::ListDir(dir.path(), "*", left));
  EXPECT_EQ(left.size(), 1u);

  Global_FillDataKinds(0);
  EXPECT_EQ(SpeedDialFileName(kDirectory, 0), "SdExtensions.DAT");
  EXPECT_EQ(SpeedDialFileName(kIdCard, 0), "");
  Global_FillDataKinds(1);
  EXPECT_EQ(SpeedDialFileName(kIdCard, 1), "SdIdCard.DAT");
  EXPECT_EQ(SpeedDialFileName(kDirectory, 1), "SdExtensions.DAT");
}

// What keeps the list file from being made at all is the open's failure,
// not a write failure.
TEST(KanaFiles, AFileThatCannotBeMadeGetsTheOpenMessage) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir.path() + "SdSystem.DAT").c_str(), 0666), 0);
  ASSERT_EQ(::symlink("SdLoop2.DAT", (dir.path() + "SdPersonal.DAT").c_str()), 0);
  ASSERT_EQ(::symlink("SdPersonal.DAT", (dir.path() + "SdLoop2.DAT").c_str()), 0);
  EXPECT_EQ(Spd_Store(dir.path() + "SdSystem.DAT", "new", kSystem), 9010);
  EXPECT_EQ(Spd_Store(dir.path() + "SdPersonal.DAT", "new", kIdCard), 9011);
  EXPECT_EQ(Spd_Store(dir.path() + std::string(300, 'x') + ".DAT", "new", kDirectory), 9012);
}

TEST(KanaEdit, CheckOrderAndWhereTheFaultShows) {
  SystemList list;
  list[10].name = "a>b";
  list[795].dial = "12P";
  EXPECT_EQ(CheckSystem(list).message, 9802);  // the first faulty row wins
  list[10].name.clear();
  Fault f = CheckSystem(list);
  EXPECT_EQ(f.message, 9801);
  EXPECT_EQ(f.index, 795);
  EXPECT_EQ(SystemTopRow(796, 1), 791);  // entry 795 shows rows 791 to 800
  EXPECT_EQ(SystemTopRow(5, 20), 5);
  EXPECT_EQ(SystemTopRow(50, 20), 20);
  EXPECT_EQ(DirectoryTopRow(3, 8), 3);
  EXPECT_EQ(DirectoryTopRow(20, 8), 11);
  EXPECT_EQ(DirectoryTopRow(12, 8), 8);

  // Owners: dial before name, all 20 entries even for ID cards.
  std::vector<Owner> owners = {NewOwner("201"), NewOwner("202")};
  owners[1].entries[15].name = "12345678";
  owners[1].entries[15].dial = "x";
  f = CheckOwners(owners, kIdCard);
  EXPECT_EQ(f.message, 9801);
  EXPECT_EQ(f.owner, 1);
  EXPECT_EQ(f.index, 15);
  owners[1].entries[15].dial = "1";
  EXPECT_EQ(CheckOwners(owners, kIdCard).message, 9802);

  // Directory: faults row by row first, duplicates only after.
  std::vector<DirRow> rows = {{"201", "a"}, {"202", ""}, {"2011", "b"}, {"202", "c"}, {"2-1", "d"}};
  EXPECT_EQ(CheckDirectory(rows).message, 9805);
  rows.pop_back();
  f = CheckDirectory(rows);
  EXPECT_EQ(f.message, 9803);  // "202" repeats
  EXPECT_EQ(f.index, 1);
  rows[3].ext = "";
  rows.push_back({"", ""});
  EXPECT_EQ(CheckDirectory(rows).message, 0);  // empty extensions are no duplicates
}

TEST(KanaEdit, OwnerStepAndSort) {
  struct {
    const char* key;
    bool up;
    const char* want;
  } steps[] = {{"0099", true, "0100"}, {"10", false, "09"}, {"9999", true, "9999"},
               {"0", false, "0"},      {"201", true, "202"}, {"*12", true, nullptr}, {"", true, nullptr}};
  for (const auto& s : steps) {
    auto got = StepOwner(s.key, s.up);
    if (s.want) {
      ASSERT_TRUE(got) << s.key;
      EXPECT_EQ(*got, s.want) << s.key;
    } else {
      EXPECT_FALSE(got) << s.key;
    }
  }
  std::vector<DirRow> rows = {{"300", "a"}, {"", "e"}, {"201", "b"}, {"300", "c"}, {"\x81\x40", "k"}, {"2000", "d"}};
  SortDirectory(rows);
  const std::vector<DirRow> want = {{"", "e"},    {"2000", "d"}, {"201", "b"},
                                    {"300", "a"}, {"300", "c"},  {"\x81\x40", "k"}};
  EXPECT_EQ(rows, want);
}
