// The display and dump stream fed byte by byte, the printed listing's
// layout, and the dump file's name rule.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "phone/TelStream.h"
#include "phone/Tel_Session.h"
#include "shell/Asc_Kan.h"
#include "shell/Global_Unit.h"
#include "tests/support/TempDir.h"

namespace {

std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

// Records every output as a line of text, and keeps the dump file in memory.
class Recorder : public TelStreamOutputs, public TelPrintCanvas {
 public:
  void ShowLine(int line, const std::string& text) override { log.push_back("show " + std::to_string(line) + " " + text); }
  void ClearLine(int line) override { log.push_back("clear " + std::to_string(line)); }
  void ShowDumpLine(const std::string& text, int n) override { log.push_back("dump " + std::to_string(n) + " " + text); }
  void Beep() override { log.push_back("beep"); }
  void Pause(int ms) override { log.push_back("pause " + std::to_string(ms)); }
  bool DumpOpen() override {
    ++opens;
    fileOpen = openOk;
    return openOk;
  }
  bool DumpWrite(uint8_t b) override {
    if (!fileOpen || writesLeft == 0) return false;
    --writesLeft;
    file.push_back(static_cast<char>(b));
    return true;
  }
  bool DumpClose() override {
    fileOpen = false;
    ++closes;
    return closeOk;
  }
  TelPrintCanvas* Printer() override { return havePrinter ? this : nullptr; }
  void SendAbort() override { ++aborts; }
  // Canvas.
  bool Begin(const std::string& job) override {
    jobName = job;
    ++jobs;
    return jobOk;
  }
  int PageHeight() override { return pageHeight; }
  int LineHeight() override { return lineHeight; }
  void Text(int y, const std::string& text) override { printed.push_back(std::to_string(pages) + "@" + std::to_string(y) + ":" + text); }
  void NewPage() override { ++pages; }
  void End() override { ++jobEnds; }

  std::vector<std::string> log;
  std::string file;
  bool openOk = true, closeOk = true, fileOpen = false, havePrinter = true, jobOk = true;
  int writesLeft = 1 << 30, opens = 0, closes = 0, aborts = 0;
  std::string jobName;
  int jobs = 0, jobEnds = 0, pages = 1, pageHeight = 1000, lineHeight = 10;
  std::vector<std::string> printed;
};

class Stream : public ::testing::Test {
 protected:
  void SetUp() override {
    Tel_SetTiming({7, 1, 3});
    state.post = [this](int m) { posted.push_back(m); };
    stream.Reset();
  }
  void TearDown() override { Tel_SetTiming({}); }
  int Feed(const std::string& bytes) {
    int r = 0;
    for (char c : bytes) r |= stream.RecvChar(static_cast<uint8_t>(c));
    return r;
  }
  std::vector<std::string> Shown() const {
    std::vector<std::string> v;
    for (const auto& l : out.log)
      if (l.rfind("show", 0) == 0) v.push_back(l);
    return v;
  }
  TelSessionState state;
  Recorder out;
  TelDisplayStream stream{state, out};
  std::vector<int> posted;
};

std::string Wide(std::string_view ascii) { return FullWidth_Convert(ascii); }

}  // namespace

TEST_F(Stream, DisplayRules) {
  struct Row {
    const char* what;
    std::string bytes;
    std::vector<std::string> shown;
  };
  const std::string sp12(12, ' ');
  const std::vector<Row> rows = {
      {"16 bytes after a line select, arrows and yen", B({0x91}) + "ABC~" + sp12,
       {"show 1 " + Wide("ABC") + "\x81\xA8" + Wide(sp12)}},
      {"0x7F and 0xFC", B({0x92}) + "\x7F\xFC" + std::string(14, 'x'),
       {"show 2 \x81\xA9\x89\x7E" + Wide(std::string(14, 'x'))}},
      {"text before any line select is not shown", std::string(16, 'a'), {}},
      {"0x7C is ignored", B({0x93}) + "|" + std::string(15, 'b') + "|", {}},
      {"a line select shows 2 or more pending bytes", B({0x91}) + "ab" + B({0x92}), {"show 1 " + Wide("ab")}},
      {"one pending byte starts the next line", B({0x91}) + "a" + B({0x92}) + std::string(15, 'c'),
       {"show 2 " + Wide("a" + std::string(15, 'c'))}},
      {"more than 16 piled up before a line select stay unshown", std::string(17, 'd') + B({0x91}) + "eeee", {}},
      {"CR LF empties the buffer and moves down", B({0x91}) + "ab\r\n" + std::string(16, 'e'),
       {"show 2 " + Wide(std::string(16, 'e'))}},
      {"a lone LF does nothing", B({0x91}) + "ab\n" + std::string(14, 'f'), {"show 1 " + Wide("ab" + std::string(14, 'f'))}},
      {"0x8D xx 0x88 0x88 drops the text", B({0x91, 0x8D}) + "xx" + B({0x88, 0x88}) + B({0x92}), {}},
      {"one 0x88 keeps the stretch open", B({0x91, 0x8D}) + std::string(16, 'g') + B({0x88}), {}},
      {"after the stretch lines show again", B({0x91, 0x8D, 0x88, 0x88}) + std::string(16, 'h'),
       {"show 1 " + Wide(std::string(16, 'h'))}},
  };
  for (const Row& r : rows) {
    Recorder rec;
    TelSessionState st;
    TelDisplayStream s(st, rec);
    s.Reset();
    for (char c : r.bytes) s.RecvChar(static_cast<uint8_t>(c));
    std::vector<std::string> shown;
    for (const auto& l : rec.log)
      if (l.rfind("show", 0) == 0) shown.push_back(l);
    EXPECT_EQ(shown, r.shown) << r.what;
  }
}

TEST_F(Stream, LineSevenBellsAndClears) {
  Feed(B({0x97}) + "\r\n" + B({0x07, 0x87}));
  EXPECT_EQ(state.TelDispLine, 7);
  EXPECT_EQ(out.log, (std::vector<std::string>{"clear 7", "clear 7", "beep", "pause 7", "beep", "beep"}));
  // Line 6 moves on to 7 without clearing.
  out.log.clear();
  Feed(B({0x96}) + "\r\n");
  EXPECT_EQ(state.TelDispLine, 7);
  EXPECT_EQ(out.log, (std::vector<std::string>{"clear 6"}));
  // A byte between CR and LF cancels the CR.
  Feed(B({0x93}) + "\r" + B({0x01}) + "\n");
  EXPECT_EQ(state.TelDispLine, 3);
}

TEST_F(Stream, DumpToFileIsByteExact) {
  const std::string body = "A\r\nB";
  EXPECT_EQ(Feed(B({0x91}) + "zz" + B({0x82}) + body + B({0x83})), 0);
  EXPECT_EQ(out.file, body);
  EXPECT_EQ(out.opens, 1);
  EXPECT_EQ(out.closes, 1);
  EXPECT_FALSE(out.fileOpen);
  EXPECT_EQ(state.TelRecvState, 0);
  EXPECT_EQ(state.TelDumpOutput, 0);
  EXPECT_EQ(state.TelDispLine, 0);
  EXPECT_EQ(stream.PanelCount(), 2);
  std::vector<std::string> dumps;
  for (const auto& l : out.log)
    if (l.rfind("dump", 0) == 0) dumps.push_back(l);
  // "zz" pending from the display does not join the dump's first line.
  EXPECT_EQ(dumps, (std::vector<std::string>{"dump 0 A", "dump 1 B"}));
  // Raw bytes of every value but 0x83 reach the file, CR and LF included.
  std::string raw;
  for (int b = 0; b < 256; ++b)
    if (b != 0x83) raw.push_back(static_cast<char>(b));
  out.file.clear();
  Feed(B({0x82}) + raw + B({0x83}));
  EXPECT_EQ(out.file, raw);
  EXPECT_EQ(out.opens, 2);
}

TEST_F(Stream, DumpFailuresAbort) {
  // The file cannot be opened: 302, abort code, abort state; Ethernet stops.
  state.ethernet = true;
  out.openOk = false;
  EXPECT_EQ(Feed(B({0x82})), 1);
  EXPECT_EQ(posted, std::vector<int>{TEL_MSG_DUMP_FILE_FAILED});
  EXPECT_EQ(out.aborts, 1);
  EXPECT_EQ(state.TelRecvState, 2);
  EXPECT_TRUE(state.TelLanStopped);
  // Everything up to the exchange's 0x83 is dropped.
  Feed("lost\r\n" + B({0x91}) + std::string(16, 'q'));
  EXPECT_TRUE(Shown().empty());
  Feed(B({0x83}));
  EXPECT_EQ(state.TelRecvState, 0);

  // A write fails half-way: 302 (the session goes on), abort code, the
  // bytes so far kept, file closed.
  out.openOk = true;
  out.writesLeft = 3;
  posted.clear();
  state.TelLanStopped = false;
  EXPECT_EQ(Feed(B({0x82}) + "12345" + B({0x83})), 0);
  EXPECT_EQ(posted, std::vector<int>{TEL_MSG_DUMP_FILE_FAILED});
  EXPECT_FALSE(state.TelLanStopped);
  EXPECT_EQ(out.file, "123");
  EXPECT_EQ(out.aborts, 2);
  EXPECT_FALSE(out.fileOpen);
  EXPECT_EQ(state.TelRecvState, 0);

  // A close that fails sends the abort code once more.
  out.writesLeft = 1 << 30;
  out.closeOk = false;
  Feed(B({0x82}) + "x" + B({0x83}));
  EXPECT_EQ(out.aborts, 3);

  // No printer: 301.
  posted.clear();
  state.TelOutputMode = 2;
  out.havePrinter = false;
  EXPECT_EQ(Feed(B({0x82})), 1);
  EXPECT_EQ(posted, std::vector<int>{TEL_MSG_PRINT_FAILED});
  Feed(B({0x83}));
  out.havePrinter = true;
  out.jobOk = false;
  posted.clear();
  EXPECT_EQ(Feed(B({0x82})), 1);
  EXPECT_EQ(posted, std::vector<int>{TEL_MSG_PRINT_FAILED});
}

TEST_F(Stream, AbortFromTheFormOnlyDuringADump) {
  EXPECT_FALSE(state.AbortDump());
  EXPECT_EQ(state.TelRecvState, 0);
  Feed(B({0x82}) + "ab");
  EXPECT_TRUE(state.AbortDump());
  Feed("cd");
  EXPECT_EQ(out.file, "ab");
  EXPECT_FALSE(out.fileOpen);  // closed on the first byte after the abort
  Feed(B({0x83}));
  EXPECT_EQ(state.TelRecvState, 0);
  // The dump ended first: the late abort leaves the display running.
  EXPECT_FALSE(state.AbortDump());
  Feed(B({0x91}) + std::string(16, 'k'));
  EXPECT_EQ(Shown().size(), 1u);
}

TEST_F(Stream, TwoDumpsToThePrinterShareOneJob) {
  state.TelOutputMode = 2;
  Feed(B({0x82}) + "ONE\r\nTAIL" + B({0x83}) + B({0x91}) + "zz" + B({0x82}) + "TWO\r\n" + B({0x83}));
  EXPECT_EQ(out.jobs, 1);
  EXPECT_EQ(out.jobName, "O.R.V.O");
  EXPECT_EQ(out.jobEnds, 0);
  EXPECT_EQ(state.TelDumpOutput, 2);
  EXPECT_EQ(stream.PanelCount(), 2);  // one a dump, in every mode
  // A dump to a file ends the job with its pending line.
  state.TelOutputMode = 1;
  Feed(B({0x82}) + "F" + B({0x83}));
  EXPECT_EQ(out.jobEnds, 1);
  EXPECT_EQ(out.file, "F");
  const std::string ind(15, ' ');
  const std::vector<std::string> want = {
      "1@0:", "1@10:", "1@20:" + ind + "\x83\x5F\x83\x93\x83\x76\x83\x66\x81\x5B\x83\x5E  (PAGE. 1)", "1@30:",
      "1@40:" + ind + "ONE", "1@50:" + ind + "TAIL", "1@60:" + ind + "TWO", "1@70:" + ind};
  EXPECT_EQ(out.printed, want);
}

TEST_F(Stream, FinishClosesWhatIsOpen) {
  Feed(B({0x82}) + "part");
  stream.Finish();
  EXPECT_FALSE(out.fileOpen);
  EXPECT_EQ(state.TelDumpOutput, 0);
  state.TelRecvState = 0;
  state.TelOutputMode = 2;
  Feed(B({0x82}) + "p1\r\npend");
  stream.Finish();
  EXPECT_EQ(out.jobEnds, 1);
  EXPECT_EQ(out.printed.back(), "1@50:" + std::string(15, ' ') + "pend");
}

TEST(TelPrint, PageBreaksFollowTheLineHeight) {
  struct Row {
    int pageHeight, lineHeight, lines, pages, perPage;
  };
  // perPage lines fit a page; a page holds its head of 3 lines and
  // perPage - 6 text lines before the next page starts.
  const Row rows[] = {
      {1000, 10, 0, 1, 100}, {1000, 10, 93, 1, 100}, {1000, 10, 94, 2, 100},
      {1000, 10, 188, 3, 100}, {6600, 67, 91, 1, 98}, {6600, 67, 92, 2, 98}, {100, 0, 1, 1, 100},
  };
  for (const Row& r : rows) {
    Recorder c;
    c.pageHeight = r.pageHeight;
    c.lineHeight = r.lineHeight;
    TelDumpPrint p(c);
    ASSERT_TRUE(p.Begin());
    for (int i = 0; i < r.lines; ++i) p.Line("x");
    EXPECT_EQ(p.Pages(), r.pages) << r.pageHeight << "/" << r.lineHeight << " " << r.lines;
    EXPECT_EQ(p.LinesPerPage(), r.perPage);
    // No two texts of a page share a line.
    int lastPage = 0, lastY = -1;
    for (const auto& t : c.printed) {
      int page = std::stoi(t.substr(0, t.find('@')));
      int y = std::stoi(t.substr(t.find('@') + 1));
      if (page == lastPage) {
        EXPECT_GE(y - lastY, std::max(1, r.lineHeight));
      }
      lastPage = page;
      lastY = y;
    }
  }
}

TEST(TelFileName, DmpRule) {
  struct Row {
    const char *folder, *name, *want;
  };
  const Row rows[] = {
      {"/d", "Default", "/d/Default.Dmp"},     {"/d/", "x", "/d/x.Dmp"},
      {"/d", "a.dmp", "/d/a.dmp"},             {"/d", "a.DMP.txt", "/d/a.DMP.txt"},
      {"/", "r", "/r.Dmp"},                    {"/x.dmp", "log", "/x.dmp/log"},
      {"/d", "a.dm", "/d/a.dm.Dmp"},
  };
  for (const Row& r : rows) EXPECT_EQ(Tel_DumpFileName(r.folder, r.name), r.want) << r.folder << " " << r.name;
  EXPECT_FALSE(Tel_DumpPathChanged("/d/A.Dmp", "/d/a.dmp"));
  EXPECT_TRUE(Tel_DumpPathChanged("/d/A.Dmp", "/d/b.dmp"));
}

TEST(TelFileName, DumpFolderFromEnviron) {
  TempDir dir;
  ProgramDir = dir.path();
  int ms = -1;
  // No ENVIRON.DAT: the program folder, never the root.
  std::string progNoSlash = dir.path().substr(0, dir.path().size() - 1);
  EXPECT_EQ(Tel_ReadDumpFolder(&ms), progNoSlash);
  EXPECT_EQ(Tel_DefaultDumpFile(Tel_ReadDumpFolder(&ms)), dir.path() + "Default.dmp");
  EXPECT_EQ(ms, -1);
  ::mkdir((dir.path() + "data").c_str(), 0755);
  dir.Write("ENVIRON.DAT", "c," + dir.path() + "data/,s,1,1,1,1,7,m\r\n");
  EXPECT_EQ(Tel_ReadDumpFolder(&ms), dir.path() + "data");
  EXPECT_EQ(ms, 7000);
  dir.Write("ENVIRON.DAT", "c," + dir.path() + "nothere,s,1,1,1,1,x\r\n");
  ms = 5;
  EXPECT_EQ(Tel_ReadDumpFolder(&ms), progNoSlash);
  EXPECT_EQ(ms, 5);
  ProgramDir.clear();
}
