// The message and prompt files laid out with the three programs: every line
// must be readable by the parsers exactly as written, and every number that a
// program shows must find its line (a missing one shows the fallback text).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Cp932.h"
#include "shell/Global_Unit.h"
#include "shell/MsgFile.h"

namespace {

constexpr std::string_view kFallbackText = "Can not read messagefile";

// A line of text must fit the dialogs' message label (386 pixels at a
// 12-pixel font) without being wrapped, and all lines its height.
constexpr size_t kMaxLineBytes = 60;
constexpr size_t kMaxLines = 5;

struct MsgFileLayout {
  const char* path;  // below sample/
  int fields;
  std::vector<std::string> shown;  // the numbers the program shows
  std::set<std::string> confirmations;
};

const MsgFileLayout kOrvoMessages{
    "MSGDLG.DAT",
    4,
    {"0003", "0005", "0006", "0007", "0501", "5201", "5202", "5301", "5501", "5502", "5503", "5504", "5506",
     "5507", "5508", "5602", "5603", "5701", "5801", "7006", "7007", "7008", "7010", "7011",
     "7012", "7013", "7014", "7015", "7017", "7018", "7021", "7101", "7102", "7501", "7701",
     "7801", "7802", "7803", "7804", "7805", "7901", "8001", "8002", "8003", "8004", "8005", "9001",
     "9006", "9007", "9008", "9009", "9010", "9011", "9012", "9015", "9021", "9026", "9029",
     "9035", "9036", "9046", "9047", "9048", "9050", "9051", "9052", "9055", "9059", "9061",
     "9068", "9075", "9077", "9081", "9082", "9083", "9084", "9085", "9087", "9088", "9091",
     "9201", "9202", "9203", "9301", "9302", "9303", "9304", "9305", "9306", "9307", "9308",
     "9309", "9310", "9311", "9312", "9313", "9314", "9501", "9502", "9503", "9504", "9505", "9506",
     "9507", "9508", "9509", "9510", "9511", "9512", "9513", "9514", "9701", "9702", "9703", "9801",
     "9802", "9803", "9804", "9805", "9806", "9807", "9808", "9809", "9901"},
    {"5201", "5202", "7006", "7007", "7008", "7010", "7011", "7012", "7013", "7014", "7015",
     "7017", "7018", "7021", "7101", "7102", "7501", "7701", "7801", "7802", "7803", "7804", "7805",
     "7901"}};

const MsgFileLayout kKvEditMessages{
    "KV_EDIT/KV-EDITMsgDlg.Dat", 4, {"3001", "3002", "3003", "3004", "3005", "3006"}, {"3001"}};

const MsgFileLayout kAdminMessages{"ORVO_ADMIN/MSGDLG.DAT",
                                 4,
                                 {"0003", "0302", "0303", "0401", "0402", "0403", "0404",
                                  "7004", "7005", "7103", "8045", "9005"},
                                 {"7004", "7005", "7103"}};

// Every prompt can be cancelled by its caller, so all are "confirmations".
const MsgFileLayout kOrvoPrompts{"INPDLG.DAT",
                               8,
                               {"1201", "1202", "1401", "1701", "1702"},
                               {"1201", "1202", "1401", "1701", "1702"}};

const MsgFileLayout* const kAllFiles[] = {&kOrvoMessages, &kKvEditMessages, &kAdminMessages,
                                        &kOrvoPrompts};

std::string SamplePath(const char* rel) {
  const char* src = std::getenv("ORVO_SOURCE_DIR");
  return std::string(src ? src : ".") + "/sample/" + rel;
}

bool ReadAll(const std::string& path, std::string& out) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  std::stringstream ss;
  ss << f.rdbuf();
  out = ss.str();
  return true;
}

// The characters of a CP932 text, a double-byte character as one piece.
std::vector<std::string> Chars(std::string_view s) {
  std::vector<std::string> out;
  for (size_t i = 0; i < s.size();) {
    size_t n = cp932::IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
    out.emplace_back(s.substr(i, n));
    i += n;
  }
  return out;
}

std::vector<std::string> SplitOn(std::string_view s, std::string_view sep) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t p; (p = s.find(sep, start)) != std::string_view::npos; start = p + sep.size())
    out.emplace_back(s.substr(start, p - start));
  out.emplace_back(s.substr(start));
  return out;
}

bool IsKey(std::string_view line) {
  if (line.size() < 6 || line[0] != 'J' || line[5] != '=') return false;
  for (size_t i = 1; i < 5; ++i)
    if (line[i] < '0' || line[i] > '9') return false;
  return true;
}

// Checks the layout of every line of a file.
void CheckLines(const MsgFileLayout& layout) {
  SCOPED_TRACE(layout.path);
  std::set<std::string> keys;
  std::string data;
  if (!ReadAll(SamplePath(layout.path), data)) {
    ADD_FAILURE() << "cannot read " << SamplePath(layout.path);
    return;
  }
  EXPECT_GE(data.size(), 2u);
  EXPECT_EQ(data.substr(data.size() >= 2 ? data.size() - 2 : 0), "\r\n") << "last line end";
  std::vector<std::string> lines = SplitOn(data, "\r\n");
  if (lines.back().empty()) lines.pop_back();
  for (const std::string& line : lines) {
    SCOPED_TRACE(cp932::ToUtf8(line));
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "a CR or LF outside CR LF";
    std::string utf8 = cp932::ToUtf8(line);
    EXPECT_EQ(utf8.find("\xEF\xBF\xBD"), std::string::npos) << "bytes that are not CP932";
    EXPECT_EQ(cp932::FromUtf8(utf8), line) << "no CP932 round trip";
    ASSERT_TRUE(IsKey(line)) << "no J + four digits + \"=\" at the start";
    EXPECT_TRUE(keys.insert(line.substr(1, 4)).second) << "a second line for one number";

    // No quoting: a comma in a caption or text would shift every field.
    std::vector<std::string> f = SplitOn(std::string_view(line).substr(6), ",");
    ASSERT_EQ(static_cast<int>(f.size()), layout.fields);
    std::string okFlag = f[layout.fields - 2], cancelFlag = f[layout.fields - 1];
    EXPECT_TRUE(okFlag == "0" || okFlag == "1") << okFlag;
    EXPECT_TRUE(cancelFlag == "0" || cancelFlag == "1") << cancelFlag;
    EXPECT_TRUE(okFlag == "1" || cancelFlag == "1") << "no button to close the dialog";
    EXPECT_FALSE(f[0].empty()) << "empty caption";
    EXPECT_FALSE(f[1].empty()) << "empty text";

    std::string text = MsgDlg_ExpandCR(f[1]);
    EXPECT_EQ(text.find("$("), std::string::npos) << "a line-break marker misspelt";
    std::vector<std::string> shownLines = SplitOn(text, "\r\n");
    EXPECT_LE(shownLines.size(), kMaxLines);
    for (const std::string& l : shownLines) EXPECT_LE(l.size(), kMaxLineBytes) << cp932::ToUtf8(l);
  }
}

// The numbers of a file's lines, read without any check.
std::set<std::string> KeysOf(const MsgFileLayout& layout) {
  std::set<std::string> keys;
  std::string data;
  if (!ReadAll(SamplePath(layout.path), data)) return keys;
  for (const std::string& line : SplitOn(data, "\r\n"))
    if (IsKey(line)) keys.insert(line.substr(1, 4));
  return keys;
}

TEST(MsgFiles, EveryLineParsesAsWritten) {
  for (const MsgFileLayout* layout : kAllFiles) CheckLines(*layout);
}

TEST(MsgFiles, HoldExactlyTheNumbersTheProgramShows) {
  for (const MsgFileLayout* layout : kAllFiles) {
    SCOPED_TRACE(layout->path);
    std::set<std::string> keys = KeysOf(*layout);
    std::set<std::string> shown(layout->shown.begin(), layout->shown.end());
    EXPECT_EQ(shown.size(), layout->shown.size()) << "the list names a number twice";
    EXPECT_EQ(keys, shown);
    for (const std::string& c : layout->confirmations) EXPECT_TRUE(shown.count(c)) << c;
  }
}

TEST(MsgFiles, MessagesLoadWithTheirButtons) {
  for (const MsgFileLayout* layout : {&kOrvoMessages, &kKvEditMessages, &kAdminMessages}) {
    std::string path = SamplePath(layout->path);
    for (const std::string& n : layout->shown) {
      SCOPED_TRACE(std::string(layout->path) + " " + n);
      // Cancel as fallback button tells a fallback apart from a real line.
      MsgDlgContent m = MsgDlg_Load(path, n, true);
      EXPECT_NE(m.text, kFallbackText);
      EXPECT_FALSE(m.caption.empty());
      EXPECT_TRUE(m.ok);
      // Questions need both answers; errors and notices have nothing to cancel.
      EXPECT_EQ(m.cancel, layout->confirmations.count(n) == 1);
    }
  }
}

TEST(MsgFiles, PromptsLoadWithTheirInputRules) {
  std::string path = SamplePath(kOrvoPrompts.path);
  for (const std::string& n : kOrvoPrompts.shown) {
    SCOPED_TRACE(n);
    InpDlgContent p = InpDlg_Load(path, n);
    EXPECT_NE(p.text, kFallbackText);
    EXPECT_FALSE(p.label.empty());
    EXPECT_GT(p.maxLength, 0);
    EXPECT_TRUE(p.ok);
    EXPECT_TRUE(p.cancel);
  }

  for (const char* n : {"1201", "1202"}) {
    SCOPED_TRACE(n);
    InpDlgContent p = InpDlg_Load(path, n);
    EXPECT_EQ(p.passwordChar, "*");
    EXPECT_TRUE(p.forbiddenChars.empty()) << "a password may hold any character";
  }

  InpDlgContent comment = InpDlg_Load(path, "1401");
  EXPECT_TRUE(comment.passwordChar.empty());

  // File names: whole characters, so a trail byte 0x5C would not count as "\".
  for (const char* n : {"1701", "1702"}) {
    SCOPED_TRACE(n);
    InpDlgContent p = InpDlg_Load(path, n);
    EXPECT_TRUE(p.passwordChar.empty());
    std::vector<std::string> forbidden = Chars(p.forbiddenChars);
    std::set<std::string> set(forbidden.begin(), forbidden.end());
    for (const char* c : {"\\", "/", ":", "*", "?", "\"", "<", ">", "|"})
      EXPECT_TRUE(set.count(c)) << "file names must refuse " << c;
    EXPECT_FALSE(set.count(".")) << "the extension needs the dot";
  }
}

TEST(MsgFiles, SystemTypeFileSelectsTypeZero) {
  std::string data;
  ASSERT_TRUE(ReadAll(SamplePath("Orvo.Inf"), data));
  EXPECT_EQ(data, "0\r\n");
  EXPECT_EQ(Common_ParseSystemType(data), 0);
}

}  // namespace
