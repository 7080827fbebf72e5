// The link's one time base: a link time-out and 51 tagged countdowns, all
// moved in 100 ms steps by a tick on the UI thread. Workers read and arm
// the counts while the UI thread ticks.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

// Something that calls back every interval on the UI thread (a QTimer in
// the programs; nothing in tests, which call OnTick themselves).
class TickSource {
 public:
  virtual ~TickSource() = default;
  virtual void Start(int intervalMs, std::function<void()> onTick) = 0;
  virtual void Stop() = 0;
};
using TickSourceFactory = std::function<std::unique_ptr<TickSource>(void* owner)>;
// Installed once by a program at start.
void UserTimer_SetTickSourceFactory(TickSourceFactory f);

class UserTimer {
 public:
  static constexpr int kSlots = 51;
  static constexpr int kStepMs = 100;

  // owner: the form that owns the tick source (may be null).
  explicit UserTimer(void* owner = nullptr);
  ~UserTimer();
  UserTimer(const UserTimer&) = delete;
  UserTimer& operator=(const UserTimer&) = delete;

  void Start();
  void Stop();
  bool IsStarted() const;

  int FindTimer(int16_t id) const;
  bool AddTimer(int16_t id, int32_t ms, int16_t value);
  void DelTimer(int16_t id);
  // Id of the lowest expired slot (freed, its value in value), or 0.
  int16_t GetExpired(int16_t& value);
  int TimerCount() const;

  void SetTimeOut(int32_t ms);
  void ClearTimeOut();
  // Reports an expired link time-out once.
  bool IsTimeOut();

  // The tick: a tick from another source than this timer's own is ignored.
  void OnTick(const void* source);
  void OnTick() { OnTick(this); }

  // Remaining link time-out in milliseconds (for tests and diagnostics).
  int32_t TimeOutRemaining() const;

  // Called with the timer while it is destroyed, so that whoever holds a
  // reference (the UDP link) drops it before the memory goes.
  using DestroyListener = void (*)(UserTimer*);
  static void AddDestroyListener(DestroyListener l);

 private:
  struct Slot {
    bool armed = false;
    int32_t ms = 0;
    int16_t id = 0;
    int16_t value = 0;
  };
  mutable std::mutex mu_;
  bool toArmed_ = false;
  int32_t toMs_ = 0;
  Slot slots_[kSlots];
  bool started_ = false;
  void* owner_;
  std::unique_ptr<TickSource> source_;
};
