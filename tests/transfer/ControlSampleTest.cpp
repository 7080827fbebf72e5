// The shipped CONTROL.DAT and the sample data folder: every line checks
// clean, and each entry that is sent yields exactly the command text below.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/FileSys.h"
#include "tests/transfer/ControlTestUtil.h"

namespace {

std::string SourceDir() {
  const char* d = std::getenv("ORVO_SOURCE_DIR");
  return d ? fsys::WithSlash(d) : std::string();
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string Trimmed(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

class ControlSample : public ::testing::Test {
 protected:
  void SetUp() override {
    if (SourceDir().empty()) GTEST_SKIP() << "ORVO_SOURCE_DIR is not set";
    ControlFileName = SourceDir() + "sample/CONTROL.DAT";
    Ctl_Def_Free();
    ASSERT_EQ(Ctl_File_Read(), 0);
  }
  void TearDown() override { Ctl_Def_Free(); }

  // Walks a data file as a load does: lines trimmed (not in the kanji
  // phone book), split into entries at the menu's terminator; "/" lines
  // choose the menu. Returns the command texts in sending order. Each whole
  // line must also pass the editor's check.
  std::vector<std::string> Walk(const std::string& name, bool kanji = false) {
    std::vector<std::string> sent;
    std::string content;
    EXPECT_TRUE(fsys::ReadFile(SourceDir() + "sample/data/" + name, content)) << name;
    EXPECT_EQ(content.substr(0, 1), "!") << name << " starts with its title";
    Ctl_Menu_Clear();
    size_t pos = 0, lineNo = 0;
    while (pos < content.size()) {
      size_t e = content.find('\n', pos);
      if (e == std::string::npos) e = content.size();
      std::string line = content.substr(pos, e - pos);
      pos = e + 1;
      ++lineNo;
      EXPECT_TRUE(!line.empty() && line.back() == '\r') << name << ":" << lineNo << " ends in CR LF";
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!kanji) line = Trimmed(line);
      if (line.empty() || line[0] == '!') continue;
      if (line[0] == '/') {
        EXPECT_EQ(Ctl_Menu_Select(line), 0) << name << ":" << lineNo;
        continue;
      }
      EXPECT_EQ(Ctl_Line_Check(line, 1), 0) << name << ":" << lineNo;
      EXPECT_EQ(Ctl_Line_Check(line, 0), 0) << name << ":" << lineNo;
      const char term = Ctl_State.Delim.Terminator;
      size_t b = 0;
      while (b < line.size()) {
        size_t t = line.find(term, b);
        size_t end = t == std::string::npos ? line.size() : t + 1;
        std::string entry = line.substr(b, end - b);
        b = end;
        if (!kanji) entry = Trimmed(entry);
        if (entry.empty() || entry[0] == '!') continue;
        EXPECT_EQ(Ctl_Line_Check(entry, 0), 0) << name << ":" << lineNo << " " << entry;
        if (Ctl_State.Item && Ctl_State.Item->FormatFlag == 1) sent.push_back(Ctl_State.Command);
      }
    }
    return sent;
  }

  static std::vector<std::string> Sjis(std::initializer_list<const char*> utf8) {
    std::vector<std::string> v;
    for (const char* s : utf8) v.push_back(::Sjis(s));
    return v;
  }
};

TEST_F(ControlSample, ControlFileDefinesEveryDataKind) {
  for (const char* m : {"/SPD/", "/ISPD/", "/IDSPD/", "/DIR/", "/KNJ/", "/M01/", "/M10/", "/M13/",
                        "/M15/", "/M20/", "/M30/", "/M40/", "/M50/", "/M61/", "/M70/", "/M71/", "/GRPLIST/",
                        "/M72/"})
    EXPECT_EQ(Ctl_Menu_Select(m), 0) << m;
  EXPECT_EQ(Ctl_MenuCount, 18);
}

TEST_F(ControlSample, SystemSpeedDial) {
  EXPECT_EQ(Walk("SdSystem.DAT"), Sjis({
                                       ":SS0000" "100312345678" "04ﾎﾝｼｬ",
                                       ":SS0001" "100663211234" "07ｵｵｻｶｼﾃﾝ",
                                       ":SS0002" "100120444555" "09ｻﾎﾟｰﾄｾﾝﾀｰ",
                                       ":SS0003" "1109012345678" "10ｼｬﾁｮｳ ｹｲﾀｲ",
                                       ":SS0004" "100452221111" "12ﾖｺﾊﾏｴｲｷﾞｮｳｼｮ",
                                       ":SS0005" "05#8001" "08本社代表",
                                       ":SS0006" "120-0312345678" "04ﾌｧｸｽ",
                                       ":SS0007" "140R0312340000*1" "05ﾙｽﾊﾞﾝ",
                                       ":SS0008" "00" "00",
                                       ":SS0009" "00" "00",
                                       ":SS0100" "100112229999" "05ｻｯﾎﾟﾛ",
                                       ":SS0798" "100399998888" "07ﾎｼｭｾﾝﾀｰ",
                                       ":SS0799" "00" "00",
                                   }));
}

TEST_F(ControlSample, PersonalAndIdCardSpeedDial) {
  EXPECT_EQ(Walk("SdPersonal.DAT"), Sjis({
                                         ":SP0" "201 " "80" "100312345678" "04ﾎﾝｼｬ",
                                         ":SP0" "201 " "81" "100663211234" "04ｵｵｻｶ",
                                         ":SP0" "201 " "82" "00" "00",
                                         ":SP0" "202 " "80" "1109087654321" "03ﾀﾅｶ",
                                         ":SP0" "202 " "81" "05#8001" "06ﾀﾞｲﾋｮｳ",
                                         ":SP0" "2001" "99" "100452221111" "04ﾖｺﾊﾏ",
                                     }));
  EXPECT_EQ(Walk("SdIdCard.DAT"), Sjis({
                                       ":SC0" "000000001234" "80" "100312345678" "04ﾎﾝｼｬ",
                                       ":SC0" "000000001234" "81" "00" "00",
                                       ":SC0" "1001        " "80" "100120444555" "05ｻﾎﾟｰﾄ",
                                       ":SC0" "1001        " "89" "09090*1234#" "04ｹｲﾀｲ",
                                   }));
}

TEST_F(ControlSample, ExtensionDirectory) {
  EXPECT_EQ(Walk("SdExtensions.DAT"), Sjis({
                                           ":TL0" "200 " "03ｿｳﾑ",
                                           ":TL0" "201 " "07ｴｲｷﾞｮｳ1",
                                           ":TL0" "202 " "07ｴｲｷﾞｮｳ2",
                                           ":TL0" "210 " "08総務部長",
                                           ":TL0" "300 " "00",
                                           ":TL0" "#10 " "06ｹｲﾋﾞｼﾂ",
                                       }));
}

TEST_F(ControlSample, KanjiPhoneBook) {
  std::string content;
  ASSERT_TRUE(fsys::ReadFile(SourceDir() + "sample/data/SdKanjitell.DAT", content));
  EXPECT_NE(content.find("\x06"), std::string::npos);
  EXPECT_NE(content.find("\x11\r\n"), std::string::npos);
  EXPECT_EQ(Walk("SdKanjitell.DAT", true), Sjis({
                                               ":KB0" "01",
                                               ":KB1" "04ﾎﾝｼｬ" "00000000",
                                               ":KB3" "06営業部",
                                               ":KB3" "06総務部",
                                               ":KB3" "06技術部",
                                               ":KB3" "09グループ3",
                                               ":KB3" "09グループ4",
                                               ":KB3" "09グループ5",
                                               ":KB3" "09グループ6",
                                               ":KB3" "09グループ7",
                                               ":KB3" "09グループ8",
                                               ":KB3" "09グループ9",
                                               ":KB2" "0" "100312345678" "04ﾔﾏﾀﾞ" "08山田太郎",
                                               ":KB2" "0" "100663211234" "04ｽｽﾞｷ" "08鈴木花子",
                                               ":KB2" "1" "100452221111" "03ｻﾄｳ" "08佐藤一郎",
                                               ":KB2" "1" "11031234R5600" "04ｳｹﾂｹ" "04受付",
                                               ":KB2" "2" "1109012345678" "04ﾀｶﾊｼ" "08高橋次郎",
                                               ":KB2" "2" "05#8001" "00" "04代表",
                                               ":KB9" "1",
                                           }));
}

TEST_F(ControlSample, ProgramSettingsAll) {
  EXPECT_EQ(Walk("PrgSetAll.DAT"),
            Sjis({
                // /M01/ key table
                ":K00" "014",
                ":K01" "101" "0201",
                ":K01" "102" "0202",
                ":K01" "112" "010",
                ":K02" "113" "0210",
                ":K02" "114" "0211",
                ":K01" "201" "0203",
                // /M10/ block 001
                ":P10" "001" "0001" "0230" "0260" "0290",
                ":P10" "001" "0004" "015",
                ":P10" "001" "0010" "011" "010" "011" "011",
                // /M10/ block 073: kana names as character codes
                ":P10" "073" "0001" "03212" "03207" "03192" "03222" "0232" "0232" "0232" "0232" "0232"
                "0232" "03189" "03189" "03222" "03183" "0232" "0232" "0232" "0232" "0232" "0232",
                ":P10" "073" "0021" "03192" "03197" "03182" "0232" "0232" "0232" "0232" "0232" "0232"
                "0232",
                // /M13/ block 050: caller numbers in groups of four
                ":P13" "050" "0001" "040312" "043456" "0278" "00" "00" "040663" "042112" "0234" "00"
                "00" "040452" "042211" "0211" "00" "00",
                // /M20/ trunk groups 01 and 02
                ":P20" "01" "0001" "*" "01-011  ",
                ":P20" "01" "0002" "*" "01-012  " ":P20" "01" "0003" "*" "01-013  ",
                ":P21" "01" "0001" "01" "01" "02",
                ":P20" "02" "0001" "1" "02-001  ",
                ":P21" "02" "0005" "03",
                // /M30/ extensions
                ":P30" "001" "0200" "01" "03ｿｳﾑ",
                ":P30" "002" "0201" "02" "06ｴｲｷﾞｮｳ",
                ":P30" "003" "0202" "02" "08総務部長",
                // /M40/ classes of service
                ":P40" "01" "0811110000" "0822220000" "0A" "04FF00",
                ":P40" "02" "0812021022" "00" "1B" "0400FF",
                // /M61/ paging zones
                ":P61" "01" "1",
                ":P61" "02" "0",
                // /M50/ hunt groups
                ":P50" "001" "01" "042001" "06営業部",
                ":P50" "002" "01" "042002" "06技術部",
                ":P50" "002" "02" "042003" "15技術部 サポート",
            }));
}

TEST_F(ControlSample, ProgramSettingParts) {
  EXPECT_EQ(Walk("PrgKey.DAT"), Sjis({
                                    ":K00" "012",
                                    ":K01" "101" "0201",
                                    ":K01" "102" "0202",
                                    ":K02" "113" "0210",
                                }));
  EXPECT_EQ(Walk("PrgExt.DAT"), Sjis({
                                    ":P30" "001" "0200" "01" "03ｿｳﾑ",
                                    ":P30" "002" "0201" "02" "06ｴｲｷﾞｮｳ",
                                }));
}

TEST_F(ControlSample, CommandFile) {
  EXPECT_EQ(Walk("Initial.CMD"), Sjis({
                                     ":P10" "001" "0001" "0230" "0260" "0290",
                                     ":P10" "001" "0004" "015",
                                     ":P10" "001" "0010" "011" "010" "011" "011",
                                     ":P20" "01" "0001" "*" "01-011  ",
                                     ":P20" "01" "0002" "*" "01-012  " ":P20" "01" "0003" "*" "01-013  ",
                                     ":P21" "01" "0001" "01" "01" "02",
                                     ":P30" "001" "0200" "01" "03ｿｳﾑ",
                                     ":P30" "002" "0201" "02" "06ｴｲｷﾞｮｳ",
                                     ":P40" "01" "0811110000" "0822220000" "0A" "04FF00",
                                     ":P61" "01" "1",
                                 }));
}

// The sections that the sample setting screens edit: key table, both
// matrix orientations, pattern column and pattern matrix, records, groups
// and a field list.
TEST_F(ControlSample, SettingScreenSections) {
  EXPECT_EQ(Walk("Screens.CMD"), Sjis({
                                     ":K00" "012",
                                     ":K01" "101" "0201",
                                     ":K01" "102" "0202",
                                     ":K02" "113" "0210",
                                     ":K01" "201" "0203",
                                     ":K02" "214" "0211",
                                     ":P10" "001" "0001" "0230" "0260" "0290" "015",
                                     ":P10" "001" "0010" "011" "010" "011" "011",
                                     ":P10" "002" "0001" "0210" "0220" "0230" "0215" "0225" "0235",
                                     ":P10" "003" "0001" "015" "013" "016" "012" "017" "011",
                                     ":P15" "0001" "0210" "0220",
                                     ":P15" "0005" "03120",
                                     ":P20" "03" "0001" "*" "1----0  " ":P20" "03" "0002" "*" "01-011  ",
                                     ":P20" "04" "0001" "*" "010101  " ":P20" "04" "0002" "*" "-1-1-1  ",
                                     ":A70" "001" "04ﾔﾏﾀﾞ",
                                     ":A71" "001" "1" "100312345678" ":A71" "001" "2" "100311112222",
                                     ":A70" "002" "04ｽｽﾞｷ",
                                     ":A71" "002" "1" "100455556666",
                                     ":A71" "002" "3" "03*99",
                                     ":B71" "001" "06ｴｲｷﾞｮｳ",
                                     ":B72" "001" "1" "03201" "03202" "03203",
                                     ":B71" "003" "03ｿｳﾑ",
                                     ":B72" "003" "2" "03301",
                                     ":C72" "0212",
                                     ":C73" "0234",
                                     ":C74" "05ﾒｲｼｮｳ",
                                 }));
}

}  // namespace
