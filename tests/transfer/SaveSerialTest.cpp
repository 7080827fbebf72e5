// The serial save against the fake exchange on a pseudo-terminal: sessions,
// refusal, the cancel rule and failures that keep the old data file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "link/Comm_Unit.h"
#include "platform/FileSys.h"
#include "shell/Global_Unit.h"
#include "tests/exchange/FakeSave.h"
#include "tests/link/CommFixture.h"
#include "tests/support/TempDir.h"
#include "transfer/Save_Engine.h"

namespace {

std::vector<std::string> Lines(const std::string& tag, int n) {
  std::vector<std::string> l;
  for (int i = 1; i <= n; ++i) l.push_back(tag + std::to_string(i) + "=" + std::to_string(i * 11) + ";\r\n");
  return l;
}

std::string Joined(const std::vector<std::string>& l, size_t n = std::string::npos) {
  std::string s;
  for (size_t i = 0; i < std::min(n, l.size()); ++i) s += l[i];
  return s;
}

size_t Count(const std::string& hay, const std::string& needle) {
  size_t n = 0;
  for (size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + needle.size())) ++n;
  return n;
}

class SaveSerial : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string err;
    ASSERT_TRUE(fake.Start(&err)) << err;
    ASSERT_TRUE(fake.LinkPort(portDir.path(), 3, &err)) << err;
    fake.SetReplyWaitMs(1000);
    ProgramDir = portDir.path();
    CommPortName = "COM3";
    Comm_SetTiming(kShortTiming);
    ASSERT_EQ(Comm_Open(), LINK_OK);
    ASSERT_EQ(Comm_Setup(9600), LINK_OK);
    EthernetMode = 0;
    Save_SetTiming({5, 5000});
  }
  void TearDown() override {
    Comm_Close();
    Comm_SetTiming(CommTiming{});
    Save_SetTiming(SaveTiming{});
    fake.Stop();
    ProgramDir.clear();
  }
  int Save(std::vector<SaveItem> items, int cancelAt = 0) {
    SaveJob j;
    j.items = std::move(items);
    j.dir = dir.path();
    j.comment = "weekly";
    j.rcvTimeOutMs = kRcvMs;
    SaveEngine e(j);
    e.progress = [&](int n) {
      if (n == cancelAt) e.Cancel();
    };
    int r = e.Run();
    blocks = e.BlockCount();
    return r;
  }
  // What ORVO sent, once its session ends (0x8F) have all come through.
  std::string Sent(size_t sessionEnds = 0) {
    EXPECT_TRUE(fake.WaitReceived([&](const std::string& r) { return Count(r, "\x8F") >= sessionEnds; }, 5000));
    EXPECT_TRUE(fake.WaitIdle(3000));
    return fake.Received();
  }
  void ExpectOnly(std::vector<std::string> names) {
    std::vector<fsys::DirEntry> all;
    ASSERT_TRUE(fsys::ListDir(dir.path(), "*", all));
    std::vector<std::string> got;
    for (const auto& e : all) got.push_back(e.name);
    std::sort(names.begin(), names.end(), fsys::LessNoCase);
    EXPECT_EQ(got, names);
  }

  TempDir portDir, dir;
  std::shared_ptr<FakeSaveStore> store = std::make_shared<FakeSaveStore>();
  std::shared_ptr<FakeCore> core = std::make_shared<FakeCore>(store);
  FakeSerialExchange fake{core};
  int blocks = 0;
};

TEST_F(SaveSerial, SavesEachItemInItsOwnSessionAndARefusalIsNoError) {
  auto sys = Lines("S", 4), part = Lines("/M03/P", 2);
  sys.push_back("no line end");
  store->SetLines('1', sys);
  store->SetLines('C', part);
  // '9' and '8' are not there: the exchange refuses them, which is no
  // error; the earlier file of that name stays as it was, and none is made
  // where there was none.
  const std::string old = "!old\r\n\x82\xA0kept\r\n";
  dir.Write("Nothing.DAT", old);
  ASSERT_EQ(Save({{"SdSystem.DAT", '1'}, {"Nothing.DAT", '9'}, {"Absent.DAT", '8'}, {"PrgSet03.DAT", 'C'}}),
            SAVE_OK);
  EXPECT_EQ(dir.Read("SdSystem.DAT"), "!weekly\r\n" + Joined(sys));
  EXPECT_EQ(dir.Read("Nothing.DAT"), old);
  EXPECT_EQ(dir.Read("PrgSet03.DAT"), "!weekly\r\n" + Joined(part));
  EXPECT_EQ(blocks, 7);
  EXPECT_EQ(store->Asked(), (std::vector<char>{'1', '9', '8', 'C'}));
  std::string sent = Sent(4);
  EXPECT_EQ(Count(sent, "\x81"), 4u);
  EXPECT_EQ(Count(sent, "\x8F"), 4u);
  EXPECT_EQ(Count(sent, FrameOf("!1")), 1u);
  ExpectOnly({"SdSystem.DAT", "Nothing.DAT", "PrgSet03.DAT"});
}

// Cancel after the second line, with 0 to 3 data blocks coming before the
// exchange takes the cancel: the earlier file stays whole, no message.
TEST_F(SaveSerial, CancelSkipsTwoDataBlocksAndTheThirdEndsTheItem) {
  auto l = Lines("C", 8);
  store->SetLines('1', l);
  store->SetLines('2', Lines("Q", 2));
  const std::string old = "!last week\r\n" + Joined(Lines("W", 5));
  for (int after = 0; after <= 3; ++after) {
    SCOPED_TRACE(after);
    FakeSaveFaults f;
    f.afterCancel = after;
    store->SetFaults(f);
    fake.ClearReceived();
    dir.Write("SdSystem.DAT", old);
    EXPECT_EQ(Save({{"SdSystem.DAT", '1'}, {"SdPersonal.DAT", '2'}}, 2), SAVE_OK);
    EXPECT_EQ(blocks, 2);
    EXPECT_EQ(dir.Read("SdSystem.DAT"), old);
    ExpectOnly({"SdSystem.DAT"});
    std::string sent = Sent(1);
    EXPECT_EQ(Count(sent, FrameOf("30")), 1u);
    EXPECT_EQ(Count(sent, "\x8F"), 1u);
    EXPECT_EQ(Count(sent, "\x81"), 1u);
  }
}

TEST_F(SaveSerial, CancelBeforeTheFirstItemSendsNothing) {
  store->SetLines('1', Lines("B", 3));
  SaveJob j;
  j.items = {{"SdSystem.DAT", '1'}};
  j.dir = dir.path();
  j.comment = "c";
  j.rcvTimeOutMs = kRcvMs;
  SaveEngine e(j);
  // Between the items nothing is sent at all.
  e.Cancel();
  EXPECT_EQ(e.Run(), SAVE_OK);
  EXPECT_EQ(Sent(), "");
  ExpectOnly({});
}

TEST_F(SaveSerial, AFailureMidItemLeavesTheOldDataFileByteForByte) {
  store->SetLines('1', Lines("M", 6));
  store->SetLines('2', Lines("N", 2));
  FakeSaveFaults f;
  f.lost = 3;  // the line goes quiet after two lines
  store->SetFaults(f);
  std::string old = "!old\r\n\x82\xA0line\r\n";
  dir.Write("SdSystem.DAT", old);
  EXPECT_EQ(Save({{"SdSystem.DAT", '1'}, {"SdPersonal.DAT", '2'}}), SAVE_LINK_ERROR);
  EXPECT_EQ(dir.Read("SdSystem.DAT"), old);
  EXPECT_EQ(blocks, 2);
  // After a failed wait no 0x8F goes out, and the next item is not asked for.
  EXPECT_EQ(Count(Sent(), "\x8F"), 0u);
  EXPECT_EQ(store->Asked(), std::vector<char>{'1'});
  ExpectOnly({"SdSystem.DAT"});
}

TEST_F(SaveSerial, ADataFileThatCannotBeCreatedCancelsTheSession) {
  store->SetLines('1', Lines("X", 2));
  ASSERT_EQ(::mkdir((dir.path() + "SdSystem.DAT").c_str(), 0755), 0);
  EXPECT_EQ(Save({{"SdSystem.DAT", '1'}}), SAVE_FILE_ERROR);
  std::string sent = Sent(1);
  EXPECT_EQ(Count(sent, FrameOf("30")), 1u);
  EXPECT_EQ(Count(sent, FrameOf("!1")), 0u);
  EXPECT_EQ(Count(sent, "\x8F"), 1u);
}

TEST_F(SaveSerial, ASessionThatDoesNotOpenIsALinkError) {
  store->SetLines('1', Lines("O", 2));
  core->SetControlReply(0x81, "\x15");
  EXPECT_EQ(Save({{"SdSystem.DAT", '1'}}), SAVE_LINK_ERROR);
  EXPECT_EQ(Count(Sent(1), "\x8F"), 1u);
  ExpectOnly({});
}

TEST(SaveReplyClass, ClassesOfBlocksAndUdpReplies) {
  struct Row {
    std::string block;
    int cls;
  };
  const Row serial[] = {{"/0", SAVE_CLASS_ACK}, {"/1", SAVE_CLASS_REFUSED}, {"/2", SAVE_CLASS_OTHER},
                        {"/", SAVE_CLASS_OTHER}, {"1", SAVE_CLASS_DATA},     {"10text", SAVE_CLASS_DATA},
                        {"2", SAVE_CLASS_END},   {"30", SAVE_CLASS_OTHER},   {"", SAVE_CLASS_OTHER}};
  for (const Row& r : serial) EXPECT_EQ(Save_Reply_Class(r.block.data(), int(r.block.size())), r.cls) << r.block;
  // UDP: command byte, then the payload.
  const Row udp[] = {{"/x0", SAVE_CLASS_ACK},  {"/x1", SAVE_CLASS_REFUSED}, {"/0", SAVE_CLASS_OTHER},
                     {"\xF0", SAVE_CLASS_ACK}, {"\xF1", SAVE_CLASS_REFUSED}, {"\x80", SAVE_CLASS_OTHER},
                     {"1", SAVE_CLASS_DATA},   {"2", SAVE_CLASS_END},        {"3", SAVE_CLASS_OTHER}};
  for (const Row& r : udp) {
    std::string buf = r.block + '\0';
    EXPECT_EQ(Save_Reply_Class_Udp(reinterpret_cast<const uint8_t*>(buf.data()), int(r.block.size()) - 1), r.cls)
        << r.block;
  }
  EXPECT_EQ(Save_LineText("10", 2), "");
  EXPECT_EQ(Save_LineText("1", 1), "");
  EXPECT_EQ(Save_LineText("", 0), "");
  EXPECT_EQ(Save_LineText(std::string("10a\0b", 5).data(), 5), "a");
  EXPECT_EQ(Save_LineText("10abc\r\n", 7), "abc\r\n");
}

}  // namespace
