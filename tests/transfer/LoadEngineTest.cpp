// The load end to end against the fake exchange: what goes over each link,
// the error lists byte for byte, the retry pass, cancel, the lost line and
// hostile replies.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include "platform/FileSys.h"
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

// Pass 1 lists a refused first entry alone, a refusal that pass 2 sees
// accepted, a checker fault and an unknown menu; pass 2 lists what fails
// again, lowers the count for what goes through and counts nothing twice.
const std::string kRetryFile = FileOf({"!T", "/S/", "0001=5;0002=6;", "0003=7;", "0004=AB;", "/X/"});

TEST_F(LoadUdp, TwoPassesRetryWhatFailedAndListWhatFailsAgain) {
  script->RefuseCode(":A000105", "E00012");
  script->RefuseCode(":A000307", "E00099", 1);
  std::string retry;
  view.onLine = [&](size_t n) {
    if (n != 6) return;  // pass 2 has begun
    // Another load's clean-up in this folder leaves the live retry file.
    fsys::RemoveWorkFile(dir.path() + "LOADERR.TMP");
    retry = dir.Read("LOADERR.TMP");
  };
  EXPECT_EQ(RunLoad(MakeParams(3, "PrgSetAll.DAT", kRetryFile, true)), 0);
  std::vector<std::string> want = {"0:A000105", "0:A000206", "0:A000307", "0:A000105", "0:A000307"};
  EXPECT_EQ(script->Pieces(), want);
  EXPECT_EQ(retry, std::string("3\r\n/S/\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n0001=5;\r\n") +
                       "4\r\n/S/\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n0003=7;\r\n" +
                       "5\r\n/S/\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n0004=AB;\r\n" +
                       "6\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n/X/\r\n");
  EXPECT_EQ(dir.Read("OTHER.ERR"), Rec(3, "E00012", "0001=5;") + Rec(5, "000009", "0004=AB;") + Rec(6, "000001", "/X/"));
  EXPECT_FALSE(dir.Exists("LOADERR.TMP"));
  EXPECT_EQ(LoadErrCount, 3);
  EXPECT_EQ(LoadTotal, 9);
  EXPECT_EQ(LoadDoneCount, 9);
  EXPECT_EQ(Sent().back().first, 0x8F);
}

TEST_F(LoadSerial, TwoPassesOverTheSerialLine) {
  script->RefuseCode(":A000105", "E00012");
  script->RefuseCode(":A000307", "E00099", 1);
  EXPECT_EQ(RunLoad(MakeParams(3, "PrgSetAll.DAT", kRetryFile, false)), 0);
  std::vector<std::string> want = {std::string("\x22") + "0", "A0:A000105", "A0:A000206", "A0:A000307",
                                   "A0:A000105", "A0:A000307", "B0"};
  EXPECT_EQ(Blocks(), want);
  EXPECT_EQ(dir.Read("OTHER.ERR"), Rec(3, "E00012", "0001=5;") + Rec(5, "000009", "0004=AB;") + Rec(6, "000001", "/X/"));
  EXPECT_EQ(LoadErrCount, 3);
}

TEST_F(LoadSerial, RefusalsWithCodesAndPlainRefusal) {
  // A short code is padded; "/1" ends the load as a failed send, but only
  // after the rest of its text went out.
  script->RefuseCode(":A000105", "77");
  EXPECT_EQ(RunLoad(MakeParams(5, "CMD.DAT", FileOf({"/S/", "0001=5;", "0002=6;"}), false)), 0);
  EXPECT_EQ(dir.Read("CONTROL.ERR"), Rec(2, "000077", "0001=5;"));
  EXPECT_EQ(LoadErrCount, 1);

  script->RefuseSlash(":A000206");
  EXPECT_EQ(RunLoad(MakeParams(5, "CMD.DAT", FileOf({"/S/", "0002=6;", "0003=7;"}), false)), 300);
  EXPECT_EQ(Load_ResultMessage(2, 300, false, false), "5503");
  auto blocks = Blocks();
  ASSERT_GE(blocks.size(), 2u);
  EXPECT_EQ(blocks[blocks.size() - 2], "A1:A000206") << "nothing after the refused line";
  EXPECT_EQ(blocks.back(), "B0") << "the session is still ended";
  EXPECT_EQ(dir.Read("CONTROL.ERR"), "");
}

TEST_F(LoadUdp, KanjiKindEndsAtTheFirstFault) {
  struct Row {
    std::string code;  // the exchange's; empty: a checker fault
    int result;
    std::string message;
  };
  for (const Row& r : std::vector<Row>{{"ABC802", 400, "5506"}, {"ABC801", 500, "5507"}, {"802ABC", 600, "5508"},
                                       {"", 600, "5508"}}) {
    script->ClearPieces();
    fake.ClearReceived();
    if (!r.code.empty()) script->RefuseCode(":A000105", r.code);
    std::string first = r.code.empty() ? "0001=AB;" : "0001=5;";
    EXPECT_EQ(RunLoad(MakeParams(7, "SdKanjitell.DAT", FileOf({"/S/", first, "0002=6;"}), true)), r.result) << r.code;
    EXPECT_EQ(Load_ResultMessage(2, r.result, false, false), r.message);
    EXPECT_EQ(dir.Read("OTHER.ERR"), Rec(2, r.code.empty() ? "000009" : r.code, first)) << r.code;
    EXPECT_EQ(script->Pieces().size(), r.code.empty() ? 0u : 1u) << "nothing after the fault";
    EXPECT_EQ(Sent().back().first, 0x8F);
  }
}

TEST_F(LoadUdp, RangeFilterByTheRecordKey) {
  std::string file = FileOf({"/SPD/", "NO=001>DATA=1111<A>", "DATA=2222<B>", "NO=003>DATA=3333<C>",
                             "DATA=4444<D>", "NO=002>DATA=5555<E>", "NO=001"});
  LoadParams p = MakeParams(0, "SdSystem.DAT", file, true);
  p.rangeOn = true;
  p.rangeTo = " 002 ";
  EXPECT_EQ(RunLoad(p), 0);
  // A line without the key follows the verdict of the line before it; a
  // key without ">" is rejected.
  std::vector<std::string> want = {"0:S001111101A", "0:S001222201B", "0:S002555501E"};
  EXPECT_EQ(script->Pieces(), want);
  EXPECT_EQ(LoadTotal, 4) << "the section line and the three accepted lines";
  EXPECT_EQ(LoadDoneCount, 4);

  // From alone, compared without letter case (the checker then refuses
  // the letters, so both accepted lines are retried in pass 2).
  view.lines.clear();
  p = MakeParams(0, "SdSystem.DAT", FileOf({"/SPD/", "NO=00a>", "NO=009>", "NO=00B>"}), true);
  p.rangeOn = true;
  p.rangeFrom = "00A";
  EXPECT_EQ(RunLoad(p), 0);
  std::vector<std::string> shown = {"/SPD/", "NO=00a>", "NO=00B>", "NO=00a>", "NO=00B>"};
  EXPECT_EQ(view.lines, shown);
}

TEST_F(LoadUdp, CancelInPassOneEndsTheSessionAndKeepsTheOldList) {
  dir.Write("OTHER.ERR", "OLD");
  script->RefuseCode(":A000105", "E00012");
  view.onLine = [](size_t n) {
    if (n == 2) LoadCancel = 1;
  };
  EXPECT_EQ(RunLoad(MakeParams(3, "PrgSetAll.DAT", FileOf({"/S/", "0001=5;", "0002=6;", "0003=7;"}), true)), 0);
  EXPECT_EQ(Load_ResultMessage(LoadPhase, 0, false, true), "5501");
  EXPECT_EQ(script->Pieces(), std::vector<std::string>{"0:A000105"});
  EXPECT_EQ(dir.Read("OTHER.ERR"), "OLD");
  EXPECT_FALSE(dir.Exists("LOADERR.TMP"));
  ExpectSessionEnded();
}

// What the list holds at every line of a load is what an end at that line
// (a kill, a power cut) would leave: never the earlier load's list, always
// the records of the faults found so far. The one pass of a command file
// and the second pass of a two-pass load alike.
TEST_F(LoadUdp, ErrorListsHoldTheRecordsFoundSoFarAtEveryLine) {
  dir.Write("CONTROL.ERR", Rec(9, "E00099", "earlier load"));
  // Not the load's own: no load makes such names, and the dealer's case
  // differs from the retry file's.
  ASSERT_EQ(::chmod(dir.Write("LER2024.TMP", "the dealer's").c_str(), 0444), 0);
  dir.Write("LoadErr.tmp", "the dealer's");
  script->RefuseCode(":A000105", "E00001");
  script->RefuseCode(":A000307", "E00003");
  std::vector<std::string> seen;
  view.onLine = [&](size_t) { seen.push_back(dir.Read("CONTROL.ERR")); };
  EXPECT_EQ(RunLoad(MakeParams(5, "CMD.DAT", FileOf({"/S/", "0001=5;", "0002=6;", "0003=7;", "0004=8;"}), true)),
            0);
  const std::string r2 = Rec(2, "E00001", "0001=5;"), r4 = Rec(4, "E00003", "0003=7;");
  EXPECT_EQ(seen, (std::vector<std::string>{"", "", r2, r2, r2 + r4}));
  EXPECT_EQ(dir.Read("CONTROL.ERR"), r2 + r4);
  EXPECT_EQ(dir.Read("LER2024.TMP"), "the dealer's");
  EXPECT_EQ(dir.Read("LoadErr.tmp"), "the dealer's");

  // Two passes: pass 1 leaves the earlier list alone (a cancel there keeps
  // it), pass 2 starts it anew and adds each record as it is found.
  dir.Write("OTHER.ERR", "OLD");
  seen.clear();
  view.onLine = [&](size_t) { seen.push_back(dir.Read("OTHER.ERR")); };
  script->RefuseCode(":A000206", "E00002");
  EXPECT_EQ(RunLoad(MakeParams(3, "PrgSetAll.DAT", FileOf({"/S/", "0001=5;", "0002=6;", "0003=7;"}), true)), 0);
  const std::string o2 = Rec(2, "E00001", "0001=5;"), o3 = Rec(3, "E00002", "0002=6;");
  EXPECT_EQ(seen, (std::vector<std::string>{"OLD", "OLD", "OLD", "OLD", "", o2, o2 + o3}));
  EXPECT_EQ(dir.Read("OTHER.ERR"), o2 + o3 + Rec(4, "E00003", "0003=7;"));
}

// A load killed between two lines (ORVO ended by the system, a power cut):
// the list holds the records found up to then, no earlier load's, and no
// temporary list is left behind.
TEST_F(LoadSerial, AKilledLoadLeavesTheRecordsItFoundAndNoEarlierList) {
  dir.Write("CONTROL.ERR", Rec(9, "E00099", "earlier load"));
  script->RefuseCode(":A000105", "E00001");
  LoadParams p = MakeParams(5, "CMD.DAT", FileOf({"/S/", "0001=5;", "0002=6;", "0003=7;"}), false);
  view.onLine = [](size_t n) {
    if (n == 3) ::kill(::getpid(), SIGKILL);
  };
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    LoadEngine e(p, view);
    e.Execute();
    ::_exit(0);
  }
  int status = 0;
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > end) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      FAIL() << "the load did not reach its third line";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "killed at its third line";
  EXPECT_EQ(dir.Read("CONTROL.ERR"), Rec(2, "E00001", "0001=5;"));
  std::vector<fsys::DirEntry> temps;
  ASSERT_TRUE(fsys::ListDir(dir.path(), "*.TMP", temps));
  EXPECT_TRUE(temps.empty());
}

// An error list that cannot be created ends a two-pass load with "5502"
// before pass 2 sends anything; the session is still ended.
TEST_F(LoadUdp, UncreatableErrorListEndsTheLoadBeforePassTwo) {
  ASSERT_EQ(::mkdir((dir.path() + "OTHER.ERR").c_str(), 0755), 0);
  script->RefuseCode(":A000105", "E00001", 1);
  EXPECT_EQ(RunLoad(MakeParams(3, "PrgSetAll.DAT", FileOf({"/S/", "0001=5;", "0002=6;"}), true)), 100);
  EXPECT_EQ(Load_ResultMessage(2, 100, false, false), "5502");
  EXPECT_EQ(script->Pieces(), (std::vector<std::string>{"0:A000105", "0:A000206"})) << "pass 1 only";
  EXPECT_FALSE(dir.Exists("LOADERR.TMP"));
  ExpectSessionEnded();
}

// A write-protected list is the dealer's: refused (root too), never emptied.
TEST_F(LoadUdp, ProtectedErrorListIsRefusedAndKept) {
  const std::string list = dir.Write("CONTROL.ERR", "dealer kept list");
  ASSERT_EQ(::chmod(list.c_str(), 0444), 0);
  EXPECT_EQ(RunLoad(MakeParams(5, "CMD.DAT", kCmdFile, true)), 100);
  EXPECT_EQ(dir.Read("CONTROL.ERR"), "dealer kept list");
}

// The retry file is the load's own: a link or a protected file under its
// name ends the load with "5502" and stays as it is, its target unwritten.
TEST_F(LoadUdp, ALinkOrProtectedFileUnderTheRetryFileNameIsRefusedAndLeft) {
  TempDir elsewhere;
  const std::string target = elsewhere.Write("passwd", "root:x:0:0\n");
  const std::string retry = dir.path() + "LOADERR.TMP";
  ASSERT_EQ(::symlink(target.c_str(), retry.c_str()), 0);
  EXPECT_EQ(RunLoad(MakeParams(3, "PrgSetAll.DAT", kRetryFile, true)), 100);
  EXPECT_EQ(elsewhere.Read("passwd"), "root:x:0:0\n");
  ASSERT_EQ(::unlink(retry.c_str()), 0);  // the link was left
  ASSERT_EQ(::chmod(dir.Write("LOADERR.TMP", "the dealer's").c_str(), 0444), 0);
  EXPECT_EQ(RunLoad(MakeParams(3, "PrgSetAll.DAT", kRetryFile, true)), 100);
  EXPECT_EQ(dir.Read("LOADERR.TMP"), "the dealer's");

  // Another ORVO's load of this folder, its retry file still in use.
  ASSERT_EQ(::unlink(retry.c_str()), 0);
  const int other = fsys::CreateWorkFile(retry);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::write(other, "theirs", 6), 6);
  EXPECT_EQ(RunLoad(MakeParams(3, "PrgSetAll.DAT", kRetryFile, true)), 100);
  EXPECT_EQ(dir.Read("LOADERR.TMP"), "theirs");
  ::close(other);
}

TEST_F(LoadUdp, DisconnectNoticeStopsAllSending) {
  fake.NoticeOn(0x41);
  EXPECT_EQ(RunLoad(MakeParams(5, "CMD.DAT", kCmdFile, true)), 300);
  EXPECT_EQ(LineLost, 1);
  EXPECT_EQ(Load_ResultMessage(2, 300, true, true), "5301") << "the lost line goes before Cancel";
  Frames sent = Sent();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.back().first, 0x41) << "no end of load, no end of session";
  EXPECT_EQ(fake.CountOf(0x41), 1);
}

TEST_F(LoadUdp, HostileDataLineReplies) {
  struct Row {
    FakeUdpFrame reply;
    int result;
    std::string list;
  };
  const std::string text = "0001=5;";
  for (const Row& r : std::vector<Row>{
           {{-1, 'C', "0C0012"}, 0, Rec(2, "000012", text)},         // a short code: what came, padded
           {{-1, 'C', "0F00ABCDEF"}, 0, Rec(2, "ABCDEF", text)},     // 'C' is a refusal whatever follows
           {{-1, 'C', ""}, 0, Rec(2, "000000", text)},               // no code at all: still refused
           {{-1, 'F', ""}, 300, ""},                                 // no "F": failed
           {{-1, 'F', "0"}, 300, ""},
       }) {
    fake.Script(0x41, {r.reply});
    int got = RunLoad(MakeParams(5, "CMD.DAT", FileOf({"/S/", text}), true));
    EXPECT_EQ(got, r.result) << r.reply.payload;
    EXPECT_EQ(dir.Read("CONTROL.ERR"), r.list) << r.reply.payload;
  }
}

TEST_F(LoadSerial, HostileBlockReplies) {
  struct Row {
    std::string reply;
    int result;
    std::string list;
  };
  for (const Row& r : std::vector<Row>{
           {"C112", 0, Rec(2, "000012", "0001=5;")},     // short code: what came, padded
           {"C", 0, Rec(2, "000000", "0001=5;")},        // no code at all: still refused
           {"Z", 300, ""},                               // an unknown reply
           {"/", 300, ""},
           {std::string(1, '\0'), 300, ""},
       }) {
    script->OddReply(":A000105", r.reply);
    script->ClearPieces();
    EXPECT_EQ(RunLoad(MakeParams(5, "CMD.DAT", FileOf({"/S/", "0001=5;", "0002=6;"}), false)), r.result) << r.reply;
    EXPECT_EQ(dir.Read("CONTROL.ERR"), r.list) << r.reply;
    EXPECT_EQ(script->Pieces().size(), r.result == 0 ? 2u : 1u) << r.reply;
  }
}

TEST_F(LoadUdp, LongTextsAreCutAtTheirLastColon) {
  std::string line = "0003-*=1";
  for (int i = 2; i <= 20; ++i) line += ">" + std::to_string(i);
  line += ";";
  EXPECT_EQ(RunLoad(MakeParams(3, "PrgSetAll.DAT", FileOf({"/S/", line}), true)), 0);
  // The exchange's "F" takes the whole text after the first piece.
  auto pieces = script->Pieces();
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_EQ(pieces[0].size(), 1u + 228u);
  EXPECT_EQ(pieces[0].compare(0, 3, "0:B"), 0);
}

TEST_F(LoadSerial, LongTextsGoOutPieceByPiece) {
  std::string line = "0003-*=1";
  for (int i = 2; i <= 20; ++i) line += ">" + std::to_string(i);
  line += ";";
  EXPECT_EQ(RunLoad(MakeParams(3, "PrgSetAll.DAT", FileOf({"/S/", line}), false)), 0);
  auto pieces = script->Pieces();
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0].size(), 1u + 228u) << "cut before the last \":\" within 238";
  EXPECT_EQ(pieces[1].size(), 1u + 12u);
  EXPECT_EQ(pieces[1][1], ':');

  // Cutting on its own: 238 whole; 239 with its last ":" at 100; 300
  // with ":" only at 1 is not sent at all.
  script->ClearPieces();
  LoadEngine e(MakeParams(3, "X.DAT", "", false), view);
  std::string t238 = ":" + std::string(237, 'a');
  std::string t239 = ":" + std::string(98, 'b') + ":" + std::string(139, 'c');
  std::string t300 = ":" + std::string(299, 'd');
  EXPECT_EQ(e.Line_Send(t238), 0);
  EXPECT_EQ(e.Line_Send(t239), 0);
  EXPECT_EQ(e.Line_Send(t300), 1);
  std::vector<std::string> want = {"0" + t238, "0" + t239.substr(0, 99), "0" + t239.substr(99)};
  EXPECT_EQ(script->Pieces(), want);
}

TEST_F(LoadUdp, FixDialogSendsTheFixedLineAndStopsOnCancel) {
  script->RefuseCode(":A000105", "E00001");
  script->RefuseCode(":A000308", "E00003");
  view.fixes = {{1, "0001=6;0002=7;"}, {2, ""}};
  LoadParams p = MakeParams(5, "CMD.DAT", FileOf({"/S/", "0001=5;", "0003=8;", "0004=9;"}), true);
  p.fixErrors = true;
  EXPECT_EQ(RunLoad(p), 0);
  std::vector<std::string> want = {"1:A000105", "1:A000106", "1:A000207", "1:A000308"};
  EXPECT_EQ(script->Pieces(), want) << "a fixed line is split into its entries; nothing after the stop";
  ASSERT_EQ(view.asked.size(), 2u);
  EXPECT_EQ(view.asked[0], std::make_pair(std::string("E00001"), std::string("0001=5;")));
  EXPECT_EQ(dir.Read("CONTROL.ERR"), Rec(2, "E00001", "0001=5;") + Rec(3, "E00003", "0003=8;"));
  EXPECT_EQ(LoadTotal, 5);
  EXPECT_EQ(Sent().back().first, 0x8F);
}

TEST_F(LoadUdp, PreCheckFaultSendsNothing) {
  EXPECT_EQ(RunLoad(MakeParams(5, "CMD.DAT", FileOf({"/S/", "0001=5;", "0002=AB;"}), true)), 9);
  EXPECT_EQ(LoadPhase, 1);
  EXPECT_EQ(Load_ResultMessage(1, 9, false, false), "9508");
  EXPECT_TRUE(Sent().empty());
  ControlFileName = dir.path() + "NONE.DAT";
  EXPECT_NE(RunLoad(MakeParams(5, "CMD.DAT", kCmdFile, true)), 0);
  EXPECT_EQ(Load_ResultMessage(LoadPhase, 1, false, false), "9021");
}

TEST_F(LoadUdp, NothingToLoadOpensNoSession) {
  EXPECT_EQ(RunLoad(MakeParams(3, "PrgSetAll.DAT", FileOf({"!T", "", "  ! x"}), true)), 0);
  EXPECT_EQ(LoadTotal, 0);
  EXPECT_EQ(Load_ProgressText(LoadDoneCount, LoadTotal), "0/0(0%)");
  EXPECT_TRUE(Sent().empty());
}

TEST_F(LoadUdp, BeginRefusedEndsTheSession) {
  for (FakeUdpFrame refusal : {FakeUdpFrame{-1, 0xF1, ""}, FakeUdpFrame{-1, 0x2F, "/1"}}) {
    fake.ClearReceived();
    fake.Script(0x22, {refusal});
    EXPECT_EQ(RunLoad(MakeParams(5, "CMD.DAT", kCmdFile, true)), 300);
    Frames want = {{0x83, ""}, {0x22, ""}, {0x8F, ""}};
    EXPECT_EQ(Sent(), want);
  }
}

TEST_F(LoadSerial, BeginRefusedEndsTheSession) {
  script->RefuseBegin(true);
  EXPECT_EQ(RunLoad(MakeParams(5, "CMD.DAT", kCmdFile, false)), 300);
  EXPECT_EQ(Blocks(), std::vector<std::string>{std::string("\x22") + "0"});
  EXPECT_EQ(static_cast<uint8_t>(serial.Received().back()), 0x8F);
}

TEST_F(LoadUdp, DamagedInputs) {
  // A NUL byte is a faulty character; a last line without its end is loaded.
  std::string file = Sjis("/S/\r\n0001=") + std::string(1, '\0') + ";\r\n0002=6;";
  EXPECT_EQ(RunLoad(MakeParams(3, "PrgSetAll.DAT", file, true)), 0);
  EXPECT_EQ(script->Pieces(), std::vector<std::string>{"0:A000206"});
  EXPECT_EQ(dir.Read("OTHER.ERR"), Rec(2, "000009", std::string("0001=") + '\0' + ";"));

  // A retry file that cannot be written: "5502", the old list whole.
  dir.Write("OTHER.ERR", "OLD");
  ASSERT_EQ(::symlink("/dev/full", (dir.path() + "LOADERR.TMP").c_str()), 0);
  EXPECT_EQ(RunLoad(MakeParams(3, "PrgSetAll.DAT", file, true)), 100);
  EXPECT_EQ(Load_ResultMessage(2, 100, false, false), "5502");
  EXPECT_EQ(dir.Read("OTHER.ERR"), "OLD");
}

}  // namespace
