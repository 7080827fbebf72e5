// The load engine against the fake exchange over both links, with the
// protocol's pauses shortened and a view that records what the form saw.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "link/Comm_Unit.h"
#include "shell/Global_Unit.h"
#include "tests/exchange/FakeLoad.h"
#include "tests/exchange/FakeSerial.h"
#include "tests/link/UdpTestSupport.h"
#include "tests/transfer/ControlTestUtil.h"
#include "transfer/Load_Unit.h"

// Two menus: numbered entries (terminator ";") and the speed-dial list
// (terminator ">", fields "<").
constexpr const char* kLoadControl =
    "/S/NI=4;\n"
    ":;NB=1(D=4),IDX=2;FMT=BNDI1;\n"
    ";NB=1(M=2);FMT=ANI1;\n"
    "\\N\n"
    "/SPD/ITEM;\n"
    "NO;NB=1(R0=3);\n"
    "DATA;NB=2(N=4,c=8);FMT=SR0I1I2;\n"
    "\\N\n";

class RecView : public LoadView {
 public:
  std::vector<std::string> lines;
  std::vector<std::pair<std::string, std::string>> asked;  // error text, line
  std::deque<std::pair<int, std::string>> fixes;           // answers, in order
  std::function<void(size_t)> onLine;
  int errShown = 0;

  void ToggleCursor() override {}
  void ShowCounters() override {}
  void ShowErrCount() override { ++errShown; }
  void StartTimer() override {}
  void ShowLine(const std::string& line, bool) override {
    lines.push_back(line);
    if (onLine) onLine(lines.size());
  }
  void AskFix(const std::string& err, const std::string& line) override {
    asked.emplace_back(err, line);
    std::pair<int, std::string> a{2, ""};
    if (!fixes.empty()) {
      a = fixes.front();
      fixes.pop_front();
    }
    Load_FixAnswer(a.first, a.second);
  }
};

// CP932 lines joined by CR LF, each ended.
inline std::string FileOf(std::initializer_list<std::string_view> lines) {
  std::string s;
  for (auto l : lines) s += Sjis(l) + "\r\n";
  return s;
}

class LoadBase {
 protected:
  void Prepare() {
    Load_SetTiming({0, 0, 0, 0, 0, 5, 1});
    ControlFileName = dir.Write("CONTROL.DAT", WithCrLf(Sjis(kLoadControl)));
    LoadCancel = 0;
    LineLost = 0;
    LinkTimeOutSec = 1;
  }
  void Restore() {
    Load_SetTiming(LoadTiming{});
    LineLost = 0;
    LoadCancel = 0;
    Ctl_Def_Free();
  }
  LoadParams MakeParams(int kind, const std::string& name, const std::string& content, bool udp) {
    dir.Write(name, content);
    LoadParams p;
    p.kind = kind;
    p.folder = dir.path();
    p.fileName = name;
    p.ethernet = udp;
    p.linkTimeOutSec = 1;
    p.retryCount = 1;
    p.rcvTimeOutMs = 300;
    return p;
  }
  int RunLoad(const LoadParams& p) {
    LoadEngine e(p, view);
    return e.Execute();
  }

  std::shared_ptr<FakeLoadScript> script = std::make_shared<FakeLoadScript>();
  TempDir dir;
  RecView view;
};

class LoadUdp : public udptest::LinkToFake, public LoadBase {
 protected:
  void SetUp() override {
    LinkToFake::SetUp();
    script->AttachTo(fake);
    ticker = std::make_unique<udptest::Ticker>(timer, 5);
    ASSERT_EQ(LogIn("PW12"), LINK_OK);
    fake.ClearReceived();
    Prepare();
  }
  void TearDown() override {
    ticker.reset();
    Restore();
    LinkToFake::TearDown();
  }
  // Command and payload of every valid datagram the fake got.
  std::vector<std::pair<int, std::string>> Sent() {
    std::vector<std::pair<int, std::string>> out;
    for (const auto& r : fake.Received())
      if (r.valid) out.emplace_back(r.cmd, r.payload);
    return out;
  }
  // The load's session was ended: end of load (0x42), then 0x8F, last.
  void ExpectSessionEnded() {
    const auto sent = Sent();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[sent.size() - 2].first, 0x42);
    EXPECT_EQ(sent.back().first, 0x8F);
  }
  std::unique_ptr<udptest::Ticker> ticker;
};

class LoadSerial : public ::testing::Test, public LoadBase {
 protected:
  void SetUp() override {
    std::string err;
    ASSERT_TRUE(serial.Start(&err)) << err;
    ASSERT_TRUE(serial.LinkPort(dir.path(), 3, &err)) << err;
    serial.SetReplyWaitMs(2000);
    ProgramDir = dir.path();
    CommPortName = "COM3";
    Comm_SetTiming({120, 80, 5});
    ASSERT_EQ(Comm_Open(), LINK_OK);
    ASSERT_EQ(Comm_Setup(9600), LINK_OK);
    Comm_SetRcvTimeOut(300);
    Prepare();
  }
  void TearDown() override {
    Comm_Close();
    Comm_SetTiming(CommTiming{});
    serial.Stop();
    ProgramDir.clear();
    Restore();
  }
  std::vector<std::string> Blocks() {
    EXPECT_TRUE(serial.WaitIdle(3000));
    return core->Requests();
  }
  std::shared_ptr<FakeCore> core = std::make_shared<FakeCore>(script);
  FakeSerialExchange serial{core};
};
