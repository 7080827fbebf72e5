// ORVO's serial port opened on the fake exchange's pseudo-terminal, with the
// protocol's pauses and the receive time-out shortened.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "link/Comm_Unit.h"
#include "shell/Global_Unit.h"
#include "tests/exchange/FakeCore.h"
#include "tests/exchange/FakeSerial.h"
#include "tests/support/TempDir.h"

constexpr int kRcvMs = 150;  // receive time-out; a read with retry waits twice that
constexpr CommTiming kShortTiming{120, 80, 5};

inline std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

inline std::string FrameOf(const std::string& text) {
  return B({STX}) + text + B({ETX, Comm_Bcc(text.data(), static_cast<int>(text.size()))});
}

template <typename F>
long ElapsedMs(F f) {
  auto t0 = std::chrono::steady_clock::now();
  f();
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - t0)
                               .count());
}

class CommLine : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string err;
    ASSERT_TRUE(fake.Start(&err)) << err;
    ASSERT_TRUE(fake.LinkPort(dir.path(), 3, &err)) << err;
    fake.SetReplyWaitMs(2000);
    EthernetMode = 0;  // a serial line, whatever an earlier test left
    ProgramDir = dir.path();
    CommPortName = "COM3";
    Comm_SetTiming(kShortTiming);
    ASSERT_EQ(Comm_Open(), LINK_OK);
    ASSERT_EQ(Comm_Setup(9600), LINK_OK);
    Comm_SetRcvTimeOut(kRcvMs);
  }
  void TearDown() override {
    Comm_Close();
    Comm_SetTiming(CommTiming{});
    EthernetMode = 0;
    LineLost = 0;
    fake.Stop();
    ProgramDir.clear();
  }
  // What ORVO sent once the fake has settled.
  std::string Sent() {
    EXPECT_TRUE(fake.WaitIdle(3000));
    return fake.Received();
  }
  void Faults(void (*set)(SerialFaults&)) {
    SerialFaults f;
    set(f);
    fake.SetFaults(f);
  }

  TempDir dir;
  std::shared_ptr<ScriptTable> script = std::make_shared<ScriptTable>();
  std::shared_ptr<FakeCore> core = std::make_shared<FakeCore>(script);
  FakeSerialExchange fake{core};
};
