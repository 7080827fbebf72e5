// The load end to end against the fake exchange: what goes over each link,
// the error lists byte for byte, the retry pass, cancel, the lost line and
// hostile replies.
#include <gtest/gtest.h>
#include <unistd.h>

#include "shell/Language_Unit.h"
#include "tests/transfer/LoadTestSupport.h"

namespace {

using Frames = std::vector<std::pair<int, std::string>>;

// A command file: a title, a section, two entries on a line, a comment
// line, an index entry, a trailing comment holding a terminator.
const std::string kCmdFile = FileOf({
    "!テスト",
    "/S/",
    "0001=5;0002=6;",
    "! 0009=9;",
    "0003-12=A9;",
    "0004=7; ! 0005=8;",
});

std::string Rec(int line, const std::string& code, const std::string& text) {
  return std::string(ErrLineLabel) + std::to_string(line) + "," + std::string(ErrCodeLabel) + code + "\r\n" +
         text + "\r\n";
}

TEST_F(LoadUdp, CleanCommandFileGoesOutAsItsCommandTexts) {
  LoadParams p = MakeParams(5, "CMD.DAT", kCmdFile, true);
  EXPECT_EQ(RunLoad(p), 0);
  EXPECT_EQ(Load_ResultMessage(LoadPhase, 0, LineLost == 1, false), "5501");
  Frames want = {{0x83, ""},           {0x22, ""},           {0x41, "1:A000105"}, {0x41, "1:A000206"},
              {0x41, "1:B000312A9  "}, {0x41, "1:A000407"}, {0x42, ""},          {0x8F, ""}};
  EXPECT_EQ(Sent(), want);
  // The data lines run with sequence numbers from 1; the end goes without.
  auto rec = fake.Received();
  ASSERT_EQ(rec.size(), want.size());
  EXPECT_EQ(rec[2].seq & 0x3FFF, 1);
  EXPECT_EQ(rec[5].seq & 0x3FFF, 4);
  EXPECT_EQ(rec[7].seq, 0);
  EXPECT_EQ(dir.Read("CONTROL.ERR"), "");
  EXPECT_FALSE(dir.Exists("LOADERR.TMP"));
  EXPECT_EQ(LoadTotal, 4);
  EXPECT_EQ(LoadDoneCount, 4);
  EXPECT_EQ(view.lines.size(), 4u);
}

TEST_F(LoadSerial, CleanCommandFileGoesOutAsBlocks) {
  LoadParams p = MakeParams(5, "CMD.DAT", kCmdFile, false);
  EXPECT_EQ(RunLoad(p), 0);
  std::vector<std::string> want = {std::string("\x22") + "0", "A1:A000105", "A1:A000206", "A1:B000312A9  ",
                                   "A1:A000407", "B0"};
  EXPECT_EQ(Blocks(), want);
  std::string raw = serial.Received();
  ASSERT_FALSE(raw.empty());
  EXPECT_EQ(static_cast<uint8_t>(raw.front()), 0x83);
  EXPECT_EQ(static_cast<uint8_t>(raw.back()), 0x8F);
}

}  // namespace
