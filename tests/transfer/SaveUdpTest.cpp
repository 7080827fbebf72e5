// The UDP save against the fake exchange on loopback: block order, gaps,
// re-requests, hostile frames, cancel and the disconnect notice.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <thread>

#include "link/Comm_Unit.h"
#include "platform/FileSys.h"
#include "shell/Global_Unit.h"
#include "tests/exchange/FakeSave.h"
#include "tests/link/UdpTestSupport.h"
#include "tests/support/TempDir.h"
#include "transfer/Save_Engine.h"

namespace {

constexpr int kTickMs = 4;  // one 100 ms step of the countdowns
constexpr int kRetries = 2;

std::vector<std::string> Lines(const std::string& tag, int n) {
  std::vector<std::string> l;
  for (int i = 1; i <= n; ++i) l.push_back(tag + std::to_string(i) + "=" + std::string(i % 7, 'x') + ";\r\n");
  return l;
}

std::string Joined(const std::vector<std::string>& l, size_t from = 0, size_t to = std::string::npos) {
  std::string s;
  for (size_t i = from; i < std::min(to, l.size()); ++i) s += l[i];
  return s;
}

class SaveUdp : public udptest::LinkToFake {
 protected:
  void SetUp() override {
    LinkToFake::SetUp();
    ASSERT_EQ(LogIn("PW12"), LINK_OK);
    timer.Start();
    store->AttachTo(fake);
    store->SetPacing(8, 500);
    EthernetMode = 1;
    LinkTimeOutSec = 1;
    LineLost = 0;
    Save_SetTiming({0, 5000});
    fake.ClearReceived();
  }
  void TearDown() override {
    Save_SetTiming(SaveTiming{});
    EthernetMode = 0;
    LineLost = 0;
    LinkToFake::TearDown();
  }
  SaveJob Job(std::vector<SaveItem> items) {
    SaveJob j;
    j.items = std::move(items);
    j.dir = dir.path();
    j.comment = Sjis("月曜の控え");
    j.ethernet = true;
    j.timer = &timer;
    j.linkTimeOutSec = 1;
    j.linkRetryCount = kRetries;
    return j;
  }
  int Save(std::vector<SaveItem> items, std::function<void(SaveEngine&, int)> onBlock = nullptr) {
    SaveEngine e(Job(std::move(items)));
    e.progress = [&](int n) {
      if (onBlock) onBlock(e, n);
    };
    int r = e.Run();
    blocks = e.BlockCount();
    return r;
  }
  // After a Cancel the last frames go out without waiting for their
  // answers, so the fake may still be reading them.
  int Settled(uint8_t cmd, int want) const {
    for (int i = 0; i < 400 && fake.CountOf(cmd) < want; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return fake.CountOf(cmd);
  }
  int ReRequests(int block) const {
    int n = 0;
    for (const auto& r : fake.Received())
      if (r.valid && r.cmd == UDP_CMD_REREQUEST && r.payload == std::string{char(block >> 8), char(block & 0xFF)})
        ++n;
    return n;
  }
  // Nothing but the data files the test expects: no TEMP, no temporary file.
  void ExpectOnly(std::vector<std::string> names) {
    std::vector<fsys::DirEntry> all;
    ASSERT_TRUE(fsys::ListDir(dir.path(), "*", all));
    std::vector<std::string> got;
    for (const auto& e : all) got.push_back(e.name);
    std::sort(names.begin(), names.end(), fsys::LessNoCase);
    EXPECT_EQ(got, names);
  }
  std::string Head() const { return "!" + Sjis("月曜の控え") + "\r\n"; }

  TempDir dir;
  std::shared_ptr<FakeSaveStore> store = std::make_shared<FakeSaveStore>();
  udptest::Ticker ticker{timer, kTickMs};
  int blocks = 0;
};

TEST_F(SaveUdp, SavesEveryItemInItsOwnSessionByteExact) {
  auto sys = Lines("S", 12), ext = Lines("E", 1), partA = Lines("/M01/A", 3);
  // Texts carry their own line ends, or none, and bytes of every kind.
  std::vector<std::string> partB{"/M02/\r\n", "0001=" + Sjis("内線") + "\x81\x5C;", "\r\n", "tail-without-end"};
  store->SetLines('1', sys);
  store->SetLines('3', ext);
  store->SetLines('A', partA);
  store->SetLines('B', partB);
  store->SetLines('5', {});  // never asked for
  dir.Write("SdSystem.DAT", "old contents\r\n");
  ASSERT_EQ(Save({{"SdSystem.DAT", '1'}, {"SdExtensions.DAT", '3'}, {"PrgSet01.DAT", 'A'}, {"PrgSet02.DAT", 'B'}}),
            SAVE_OK);
  EXPECT_EQ(dir.Read("SdSystem.DAT"), Head() + Joined(sys));
  EXPECT_EQ(dir.Read("SdExtensions.DAT"), Head() + Joined(ext));
  EXPECT_EQ(dir.Read("PrgSet01.DAT"), Head() + Joined(partA));
  EXPECT_EQ(dir.Read("PrgSet02.DAT"), Head() + Joined(partB));
  EXPECT_EQ(blocks, 12 + 1 + 3 + 4);
  EXPECT_EQ(store->Asked(), (std::vector<char>{'1', '3', 'A', 'B'}));
  EXPECT_EQ(fake.CountOf(UDP_CMD_SAVE_SESSION), 4);
  EXPECT_EQ(fake.CountOf(UDP_CMD_END_SESSION), 4);
  EXPECT_EQ(fake.CountOf(UDP_CMD_SAVE_ABORT), 0);
  EXPECT_EQ(fake.CountOf(UDP_CMD_REREQUEST), 0);
  ExpectOnly({"SdSystem.DAT", "SdExtensions.DAT", "PrgSet01.DAT", "PrgSet02.DAT"});
  struct stat st{};
  ASSERT_EQ(::stat((dir.path() + "SdSystem.DAT").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(SaveUdp, EndRightAfterTheAcknowledgementGivesTheCommentLineOnly) {
  fake.Script(UDP_CMD_SAVE_REQUEST, {{-1, '/', "/0"}, {1, '2', "20"}});
  ASSERT_EQ(Save({{"SdPersonal.DAT", '2'}}), SAVE_OK);
  EXPECT_EQ(dir.Read("SdPersonal.DAT"), Head());
  ExpectOnly({"SdPersonal.DAT"});
}

TEST_F(SaveUdp, BlocksOutOfOrderAreFiledInBlockOrder) {
  // 1, 2, 5, 3, 4, end 6: at 5 only 4 is asked for again; 3, the block
  // that was expected, keeps its running countdown.
  auto l = Lines("R", 5);
  store->SetLines('1', l);
  FakeSaveFaults f;
  f.early = 5;
  store->SetFaults(f);
  ASSERT_EQ(Save({{"SdSystem.DAT", '1'}}), SAVE_OK);
  EXPECT_EQ(dir.Read("SdSystem.DAT"), Head() + Joined(l));
  EXPECT_EQ(ReRequests(4), 1);
  EXPECT_EQ(ReRequests(3), 0);
  EXPECT_EQ(blocks, 5);  // the answer to the re-request of 4 came as a copy
}

TEST_F(SaveUdp, DuplicatesAreIgnoredAndADroppedBlockIsFetchedAgain) {
  auto l = Lines("D", 6);
  store->SetLines('1', l);
  FakeSaveFaults f;
  f.duplicate = 2;
  f.drop = 4;
  store->SetFaults(f);
  ASSERT_EQ(Save({{"SdSystem.DAT", '1'}}), SAVE_OK);
  EXPECT_EQ(dir.Read("SdSystem.DAT"), Head() + Joined(l));
  EXPECT_EQ(blocks, 6);
  EXPECT_EQ(ReRequests(4), 1);
}

TEST_F(SaveUdp, ABlockThatNeverComesIsAskedForRetryCountTimesThenTheItemFails) {
  store->SetLines('1', Lines("N", 4));
  store->SetLines('2', Lines("P", 2));
  FakeSaveFaults f;
  f.lost = 2;
  store->SetFaults(f);
  dir.Write("SdSystem.DAT", "kept\r\n");
  ASSERT_EQ(Save({{"SdSystem.DAT", '1'}, {"SdPersonal.DAT", '2'}}), SAVE_LINK_ERROR);
  EXPECT_EQ(ReRequests(2), kRetries);
  EXPECT_EQ(fake.CountOf(UDP_CMD_SAVE_ABORT), 1);
  EXPECT_EQ(fake.CountOf(UDP_CMD_END_SESSION), 1);
  EXPECT_EQ(store->Asked(), std::vector<char>{'1'});  // the items after it are not saved
  EXPECT_EQ(dir.Read("SdSystem.DAT"), "kept\r\n");
  ExpectOnly({"SdSystem.DAT"});
  EXPECT_EQ(UdpLinkState.abortFlag.load(), 0);
}

// Frames the exchange should never send: each row's stream after the
// acknowledgement, and how the save ends.
TEST_F(SaveUdp, HostileStreamsEndCleanly) {
  struct Row {
    const char* what;
    std::vector<FakeUdpFrame> frames;
    int result;
    const char* file;  // nullptr: the old file stays
  };
  std::string big(300, 'b');
  const Row rows[] = {
      {"short payloads give empty texts", {{1, '1', ""}, {2, '1', "1"}, {3, '1', "10X"}, {4, '2', ""}}, SAVE_OK, "X"},
      {"a NUL ends the text", {{1, '1', std::string("10ab\0cd", 7)}, {2, '2', ""}}, SAVE_OK, "ab"},
      {"302 bytes is the most", {{1, '1', "10" + big}, {2, '2', ""}}, SAVE_OK, big.c_str()},
      {"303 bytes", {{1, '1', "10" + big + "c"}, {2, '2', ""}}, SAVE_LINK_ERROR, nullptr},
      {"block 0", {{0, '1', "10zero"}, {1, '2', ""}}, SAVE_LINK_ERROR, nullptr},
      {"block number with the top bit", {{0x8000, '1', "10top"}}, SAVE_LINK_ERROR, nullptr},
      {"end below the next block", {{1, '1', "10a"}, {2, '1', "10b"}, {2, '2', ""}}, SAVE_LINK_ERROR, nullptr},
      {"end at 0x8000", {{1, '1', "10a"}, {0x8000, '2', ""}}, SAVE_LINK_ERROR, nullptr},
      {"other commands are ignored", {{1, 0x45, "E"}, {1, '/', "/1"}, {1, '1', "10a"}, {2, '2', ""}}, SAVE_OK, "a"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    dir.Write("SdSystem.DAT", "old\r\n");
    std::vector<FakeUdpFrame> frames{{-1, '/', "/0"}};
    frames.insert(frames.end(), row.frames.begin(), row.frames.end());
    fake.Script(UDP_CMD_SAVE_REQUEST, frames);
    fake.ClearReceived();
    EXPECT_EQ(Save({{"SdSystem.DAT", '1'}}), row.result);
    EXPECT_EQ(dir.Read("SdSystem.DAT"), row.file ? Head() + row.file : "old\r\n");
    EXPECT_EQ(fake.CountOf(UDP_CMD_SAVE_ABORT), row.result == SAVE_OK ? 0 : 1);
    ExpectOnly({"SdSystem.DAT"});
    EXPECT_EQ(timer.TimerCount(), 0);
  }
}

TEST_F(SaveUdp, GarbageAndFramesFromElsewhereAreNotTakenForTheExchange) {
  auto l = Lines("G", 3);
  store->SetLines('1', l);
  FakeUdpFaults f;
  f.garbage = 1;       // the first answer to the session opening is noise,
  f.otherAddress = 1;  // its repeat comes from 127.0.0.2, the third is good
  fake.SetFaults(f);
  udptest::RawPeer stranger("127.0.0.2");
  stranger.SendTo(udptest::OwnUdpPort(), udptest::Frame(1, '1', "10stranger"));
  ASSERT_EQ(Save({{"SdSystem.DAT", '1'}}), SAVE_OK);
  EXPECT_EQ(dir.Read("SdSystem.DAT"), Head() + Joined(l));
}

TEST_F(SaveUdp, RefusalsEndTheSaveWithALinkError) {
  dir.Write("SdSystem.DAT", "old\r\n");
  FakeSaveFaults f;
  f.refuse = true;
  store->SetFaults(f);
  // A refused request is aborted: 0x33, then 0x8F.
  EXPECT_EQ(Save({{"SdSystem.DAT", '1'}}), SAVE_LINK_ERROR);
  EXPECT_EQ(fake.CountOf(UDP_CMD_SAVE_ABORT), 1);
  EXPECT_EQ(fake.CountOf(UDP_CMD_END_SESSION), 1);
  // The standing literal 0xF1 is a refusal too, never "go on".
  store->SetFaults({});
  fake.ClearReceived();
  fake.Script(UDP_CMD_SAVE_REQUEST, {{-1, UDP_CMD_REFUSED, ""}});
  EXPECT_EQ(Save({{"SdSystem.DAT", '1'}}), SAVE_LINK_ERROR);
  EXPECT_EQ(fake.CountOf(UDP_CMD_SAVE_ABORT), 1);
  // A refused session: nothing more is sent.
  fake.ClearReceived();
  fake.Script(UDP_CMD_SAVE_SESSION, {{-1, UDP_CMD_REFUSED, ""}});
  EXPECT_EQ(Save({{"SdSystem.DAT", '1'}}), SAVE_LINK_ERROR);
  EXPECT_EQ(fake.ReceivedCount(), 1u);
  EXPECT_EQ(dir.Read("SdSystem.DAT"), "old\r\n");
  ExpectOnly({"SdSystem.DAT"});
}

TEST_F(SaveUdp, TheDisconnectNoticeSetsLineLostAndSendsNothingMore) {
  store->SetLines('1', Lines("L", 5));
  FakeSaveFaults f;
  f.notice = 3;
  store->SetFaults(f);
  EXPECT_EQ(Save({{"SdSystem.DAT", '1'}}), SAVE_LINK_ERROR);
  EXPECT_EQ(LineLost.load(), 1);
  EXPECT_EQ(sink.count.load(), 1);
  EXPECT_EQ(fake.CountOf(UDP_CMD_SAVE_ABORT), 0);
  EXPECT_EQ(fake.CountOf(UDP_CMD_END_SESSION), 0);
  ExpectOnly({});
}

TEST_F(SaveUdp, CancelInEachStateEndsWithoutError) {
  store->SetLines('1', Lines("C", 40));
  store->SetPacing(1, 3000);
  dir.Write("SdSystem.DAT", "old\r\n");
  // While blocks arrive: the item is aborted, 0x33 and 0x8F go out.
  EXPECT_EQ(Save({{"SdSystem.DAT", '1'}, {"SdPersonal.DAT", '2'}},
                 [](SaveEngine& e, int n) {
                   if (n == 3) e.Cancel();
                 }),
            SAVE_OK);
  EXPECT_EQ(Settled(UDP_CMD_SAVE_ABORT, 1), 1);
  EXPECT_EQ(Settled(UDP_CMD_END_SESSION, 1), 1);
  EXPECT_EQ(UdpLinkState.abortFlag.load(), 0);
  EXPECT_EQ(dir.Read("SdSystem.DAT"), "old\r\n");

  // During a transaction that is never answered: the abort flag ends it.
  fake.ClearReceived();
  fake.Script(UDP_CMD_SAVE_REQUEST, {});
  {
    SaveEngine e(Job({{"SdSystem.DAT", '1'}}));
    std::thread canceller([&] {
      fake.WaitReceived(2, 3000);
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      e.Cancel();
    });
    EXPECT_EQ(e.Run(), SAVE_OK);
    canceller.join();
  }
  EXPECT_EQ(Settled(UDP_CMD_SAVE_ABORT, 1), 1);
  EXPECT_EQ(UdpLinkState.abortFlag.load(), 0);

  // Before the first item: nothing at all is sent.
  fake.ClearReceived();
  {
    SaveEngine e(Job({{"SdSystem.DAT", '1'}}));
    e.Cancel();
    EXPECT_EQ(e.Run(), SAVE_OK);
  }
  EXPECT_EQ(fake.ReceivedCount(), 0u);
  EXPECT_EQ(UdpLinkState.abortFlag.load(), 0);
  ExpectOnly({"SdSystem.DAT"});
}

TEST_F(SaveUdp, ADataFileThatCannotBeWrittenIsAFileError) {
  store->SetLines('1', Lines("F", 3));
  ASSERT_EQ(::mkdir((dir.path() + "SdSystem.DAT").c_str(), 0755), 0);
  EXPECT_EQ(Save({{"SdSystem.DAT", '1'}}), SAVE_FILE_ERROR);
  // The exchange had ended the transfer: no abort after 0x8F.
  EXPECT_EQ(fake.CountOf(UDP_CMD_END_SESSION), 1);
  EXPECT_EQ(fake.CountOf(UDP_CMD_SAVE_ABORT), 0);
  EXPECT_FALSE(dir.Exists("TEMP"));

  // A write-protected data file is not replaced either.
  ::rmdir((dir.path() + "SdSystem.DAT").c_str());
  dir.Write("SdSystem.DAT", "protected\r\n");
  ::chmod((dir.path() + "SdSystem.DAT").c_str(), 0444);
  // Refused for root as well: the file has no write bit at all.
  EXPECT_EQ(Save({{"SdSystem.DAT", '1'}}), SAVE_FILE_ERROR);
  EXPECT_EQ(dir.Read("SdSystem.DAT"), "protected\r\n");
  ExpectOnly({"SdSystem.DAT"});
}

// A data file that is a link (to a folder shared with another machine, say)
// is written through to its target; the link stays a link.
TEST_F(SaveUdp, ADataFileThatIsALinkIsWrittenThrough) {
  store->SetLines('1', Lines("L", 2));
  TempDir shared;
  shared.Write("SdSystem.DAT", "old\r\n");
  ASSERT_EQ(::symlink((shared.path() + "SdSystem.DAT").c_str(), (dir.path() + "SdSystem.DAT").c_str()), 0);
  ASSERT_EQ(Save({{"SdSystem.DAT", '1'}}), SAVE_OK);
  EXPECT_EQ(shared.Read("SdSystem.DAT"), Head() + Joined(Lines("L", 2)));
  struct stat st{};
  ASSERT_EQ(::lstat((dir.path() + "SdSystem.DAT").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ExpectOnly({"SdSystem.DAT"});
  std::vector<fsys::DirEntry> there;
  ASSERT_TRUE(fsys::ListDir(shared.path(), "*", there));
  EXPECT_EQ(there.size(), 1u);  // no temporary file left beside the target
}

// TEMP is the save's own: a link under its name ends the save with "5602"
// and stays, its target never written.
TEST_F(SaveUdp, ALinkUnderTheWorkFileNameIsRefusedAndLeft) {
  store->SetLines('1', Lines("T", 3));
  TempDir elsewhere;
  const std::string target = elsewhere.Write("passwd", "root:x:0:0\n");
  ASSERT_EQ(::symlink(target.c_str(), (dir.path() + "TEMP").c_str()), 0);
  EXPECT_EQ(Save({{"SdSystem.DAT", '1'}}), SAVE_FILE_ERROR);
  EXPECT_EQ(elsewhere.Read("passwd"), "root:x:0:0\n");
  ExpectOnly({"TEMP"});

  // Another ORVO's save into this folder, its TEMP still being written.
  ASSERT_EQ(::unlink((dir.path() + "TEMP").c_str()), 0);
  const int other = fsys::CreateWorkFile(dir.path() + "TEMP");
  ASSERT_GE(other, 0);
  ASSERT_EQ(::write(other, "theirs", 6), 6);
  EXPECT_EQ(Save({{"SdSystem.DAT", '1'}}), SAVE_FILE_ERROR);
  EXPECT_EQ(dir.Read("TEMP"), "theirs");
  ::close(other);
}

// A killed save leaves the temporary of the data file it was writing; the
// next save in that folder removes it, and nothing else: not the dealer's
// files named like the save's own but for their case, not another ORVO's
// temporary that is still being written.
TEST_F(SaveUdp, TheNextSaveRemovesWhatAKilledOneLeft) {
  store->SetLines('1', Lines("K", 2));
  dir.Write("DBS1A2B.TMP", "half a data file");
  dir.Write("TEMP", "a killed save's");
  const std::vector<std::string> dealers = {"temp", "Temp", "dbsa1b2.tmp", "DBS_OLD.TMP", "LoadErr.tmp"};
  for (const std::string& n : dealers) dir.Write(n, "the dealer's");
  std::string live;
  const int liveFd = fsys::CreateTempFile(dir.path(), "DBS", live);
  ASSERT_GE(liveFd, 0);
  ASSERT_EQ(Save({{"SdSystem.DAT", '1'}}), SAVE_OK);
  ::close(liveFd);
  std::vector<std::string> left = dealers;
  left.push_back("SdSystem.DAT");
  left.push_back(live.substr(dir.path().size()));
  ExpectOnly(left);
}

// After a Cancel the session's end is a transaction of its own, and a lost
// answer or a lost request brings it again: the abort's answer, which comes
// with the same command and sequence, is taken as the abort's, never as the
// end's. An exchange left in the session would refuse the next log-in.
TEST_F(SaveUdp, AfterACancelTheSessionEndIsRepeatedUntilAnswered) {
  store->SetLines('1', Lines("C", 40));
  store->SetPacing(1, 3000);
  auto cancelAtTheThird = [](SaveEngine& e, int n) {
    if (n == 3) e.Cancel();
  };
  // The abort gets no answer, and the end's first answer is lost.
  fake.Script(UDP_CMD_SAVE_ABORT, {});
  fake.SetRequestHook([this](const FakeUdpReceived& r, bool) {
    if (r.cmd == UDP_CMD_SAVE_ABORT) fake.SetFaults({.drop = 1});
  });
  EXPECT_EQ(Save({{"SdSystem.DAT", '1'}}, cancelAtTheThird), SAVE_OK);
  fake.SetRequestHook(nullptr);
  EXPECT_EQ(fake.CountOf(UDP_CMD_SAVE_ABORT), 1);
  EXPECT_EQ(fake.CountOf(UDP_CMD_END_SESSION), 2);

  // The abort is answered, and the end's first request is lost on its way.
  fake.ClearReceived();
  fake.SetRequestHook([this](const FakeUdpReceived& r, bool) {
    if (r.cmd == UDP_CMD_SAVE_ABORT) fake.SetFaults({.lostRequests = 1});
  });
  EXPECT_EQ(Save({{"SdSystem.DAT", '1'}}, cancelAtTheThird), SAVE_OK);
  fake.SetRequestHook(nullptr);
  EXPECT_EQ(fake.CountOf(UDP_CMD_SAVE_ABORT), 1);
  EXPECT_EQ(fake.CountOf(UDP_CMD_END_SESSION), 1);  // the repeat
  EXPECT_EQ(fake.Faults().lostRequests, 0);
  EXPECT_EQ(LogIn("PW12"), LINK_OK);
}

// The work file's records and the bookkeeping of the countdowns, step by
// step.
TEST_F(SaveUdp, BlockStoreWritesTempRecordsAndArmsTheCountdowns) {
  Save_SetTiming({0, 600000});  // no expiry while the counts are read
  SaveEngine e(Job({{"SdSystem.DAT", '1'}}));
  ASSERT_TRUE(e.OpenTemp());
  auto store1 = [&](uint16_t n, const std::string& payload) {
    return e.Save_Block_Store(n, reinterpret_cast<const uint8_t*>(payload.data()), static_cast<int>(payload.size()));
  };
  ASSERT_TRUE(timer.AddTimer(1, 5000, kRetries));
  EXPECT_EQ(store1(1, "10first"), 0);
  EXPECT_EQ(timer.FindTimer(1), -1);
  EXPECT_GE(timer.FindTimer(2), 0);
  EXPECT_EQ(store1(4, "10fourth"), 0);  // 3 is asked for, 2 keeps its countdown
  EXPECT_EQ(e.NextBlock(), 5);
  EXPECT_EQ(timer.TimerCount(), 3);  // 2, 3 and 5
  EXPECT_EQ(store1(1, "10again"), 0);  // a copy: no record
  EXPECT_EQ(store1(3, std::string("10th\0ird", 9)), 0);
  EXPECT_EQ(store1(2, "1"), 0);
  EXPECT_EQ(timer.TimerCount(), 1);
  EXPECT_EQ(store1(5, "10" + std::string(301, 'x')), SAVE_ERR_PAYLOAD);
  EXPECT_EQ(store1(0x8000, "10x"), SAVE_ERR_ABORT);
  EXPECT_EQ(e.BlockCount(), 4);
  EXPECT_TRUE(fake.WaitReceived(1, 2000));
  EXPECT_EQ(ReRequests(3), 1);

  std::string temp = dir.Read("TEMP");
  ASSERT_EQ(temp.size(), 4u * kSaveTempRecord);
  auto record = [](uint16_t n, const std::string& text) {
    std::string r(kSaveTempRecord, '\0');
    r[0] = static_cast<char>(n & 0xFF);
    r[1] = static_cast<char>(n >> 8);
    r.replace(2, text.size(), text);
    return r;
  };
  EXPECT_EQ(temp, record(1, "first") + record(4, "fourth") + record(3, "th") + record(2, ""));
  e.SetNextBlock(5);
  EXPECT_EQ(e.Save_Block_Assemble(), 0);
  EXPECT_EQ(dir.Read("SdSystem.DAT"), Head() + "first" + "" + "th" + "fourth");
  e.SetNextBlock(6);  // block 5 never arrived
  EXPECT_EQ(e.Save_Block_Assemble(), SAVE_ERR_MISSING);
  e.CloseTemp();
  EXPECT_FALSE(dir.Exists("TEMP"));
}

}  // namespace
