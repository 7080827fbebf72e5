#include <gtest/gtest.h>

#include "link/UserTimerUnit.h"

namespace {

TEST(UserTimer, SlotsFillLowestFirstAndRefuseWhenFull) {
  UserTimer t;
  for (int i = 1; i <= UserTimer::kSlots; ++i) ASSERT_TRUE(t.AddTimer(static_cast<int16_t>(i), 1000, 0));
  EXPECT_EQ(t.TimerCount(), 51);
  EXPECT_FALSE(t.AddTimer(99, 0, 7));
  EXPECT_EQ(t.FindTimer(99), -1);
  t.DelTimer(5);
  EXPECT_EQ(t.TimerCount(), 50);
  ASSERT_TRUE(t.AddTimer(77, 0, 3));
  EXPECT_EQ(t.FindTimer(77), 4);  // the freed slot
  int16_t v = 0;
  EXPECT_EQ(t.GetExpired(v), 77);
  EXPECT_EQ(v, 3);
  // A search for id 0 finds a free slot.
  EXPECT_EQ(t.FindTimer(0), 4);
}

TEST(UserTimer, SameIdActsOnTheLowerSlotOnly) {
  UserTimer t;
  t.AddTimer(9, 100, 1);
  t.AddTimer(9, 100, 2);
  EXPECT_EQ(t.FindTimer(9), 0);
  t.DelTimer(9);
  EXPECT_EQ(t.FindTimer(9), 1);
  EXPECT_EQ(t.TimerCount(), 1);
}

TEST(UserTimer, CountsAreNotClampedAndExpireAtZeroOrBelow) {
  UserTimer t;
  t.AddTimer(1, 150, 10);
  t.AddTimer(2, 100, 20);
  int16_t v = -1;
  EXPECT_EQ(t.GetExpired(v), 0);
  EXPECT_EQ(v, -1);  // untouched when nothing expired
  t.OnTick();
  // 150 -> 50, 100 -> 0: slot 2 has expired, slot 1 not yet.
  EXPECT_EQ(t.GetExpired(v), 2);
  EXPECT_EQ(v, 20);
  EXPECT_EQ(t.GetExpired(v), 0);
  t.OnTick();  // 50 -> -50
  EXPECT_EQ(t.GetExpired(v), 1);
  EXPECT_EQ(v, 10);
}

TEST(UserTimer, ExpiredSlotsComeOutLowestFirst) {
  UserTimer t;
  t.AddTimer(3, 0, 0);
  t.AddTimer(4, 0, 0);
  int16_t v;
  EXPECT_EQ(t.GetExpired(v), 3);
  EXPECT_EQ(t.GetExpired(v), 4);
  EXPECT_EQ(t.GetExpired(v), 0);
}

TEST(UserTimer, LinkTimeOutReportsOnce) {
  UserTimer t;
  EXPECT_FALSE(t.IsTimeOut());  // disarmed
  t.SetTimeOut(0);
  EXPECT_TRUE(t.IsTimeOut());
  EXPECT_FALSE(t.IsTimeOut());
  t.SetTimeOut(250);
  t.OnTick();
  t.OnTick();
  EXPECT_FALSE(t.IsTimeOut());
  t.OnTick();
  EXPECT_EQ(t.TimeOutRemaining(), -50);
  t.OnTick();  // no further decrement once expired
  EXPECT_EQ(t.TimeOutRemaining(), -50);
  t.ClearTimeOut();
  EXPECT_FALSE(t.IsTimeOut());
}

TEST(UserTimer, TicksFromOtherSourcesAreIgnored) {
  UserTimer t, other;
  t.SetTimeOut(100);
  t.OnTick(&other);
  EXPECT_FALSE(t.IsTimeOut());
  t.OnTick(&t);
  EXPECT_TRUE(t.IsTimeOut());
}

struct FakeSource : TickSource {
  static inline int starts = 0, stops = 0;
  static inline std::function<void()> tick;
  void Start(int intervalMs, std::function<void()> onTick) override {
    EXPECT_EQ(intervalMs, 100);
    ++starts;
    tick = std::move(onTick);
  }
  void Stop() override {
    ++stops;
    tick = nullptr;
  }
};

UserTimer* g_destroyed = nullptr;

TEST(UserTimer, StartStopDriveTheTickSourceAndDestroyIsAnnounced) {
  UserTimer_SetTickSourceFactory([](void*) { return std::make_unique<FakeSource>(); });
  UserTimer::AddDestroyListener([](UserTimer* t) { g_destroyed = t; });
  UserTimer* raw;
  {
    UserTimer t;
    raw = &t;
    t.SetTimeOut(100);
    t.Start();
    ASSERT_TRUE(FakeSource::tick);
    FakeSource::tick();
    EXPECT_TRUE(t.IsTimeOut());
    t.Stop();
    EXPECT_FALSE(FakeSource::tick);  // after Stop nothing ticks
    EXPECT_FALSE(t.IsStarted());
  }
  EXPECT_EQ(g_destroyed, raw);
  UserTimer_SetTickSourceFactory(nullptr);
}

}  // namespace
