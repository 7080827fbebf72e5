#include "link/UserTimerUnit.h"

#include <vector>

namespace {
TickSourceFactory& Factory() {
  static TickSourceFactory f;
  return f;
}
std::mutex g_listenersMu;
std::vector<UserTimer::DestroyListener>& Listeners() {
  static std::vector<UserTimer::DestroyListener> l;
  return l;
}
}  // namespace

void UserTimer_SetTickSourceFactory(TickSourceFactory f) { Factory() = std::move(f); }

void UserTimer::AddDestroyListener(DestroyListener l) {
  std::lock_guard<std::mutex> g(g_listenersMu);
  Listeners().push_back(l);
}

UserTimer::UserTimer(void* owner) : owner_(owner) {}

UserTimer::~UserTimer() {
  Stop();
  std::vector<DestroyListener> ls;
  {
    std::lock_guard<std::mutex> g(g_listenersMu);
    ls = Listeners();
  }
  for (auto l : ls) l(this);
}

void UserTimer::Start() {
  {
    std::lock_guard<std::mutex> g(mu_);
    started_ = true;
  }
  if (!source_ && Factory()) source_ = Factory()(owner_);
  if (source_) source_->Start(kStepMs, [this] { OnTick(this); });
}

void UserTimer::Stop() {
  {
    std::lock_guard<std::mutex> g(mu_);
    started_ = false;
  }
  if (source_) source_->Stop();
}

bool UserTimer::IsStarted() const {
  std::lock_guard<std::mutex> g(mu_);
  return started_;
}

int UserTimer::FindTimer(int16_t id) const {
  std::lock_guard<std::mutex> g(mu_);
  for (int i = 0; i < kSlots; ++i)
    if (slots_[i].id == id) return i;
  return -1;
}

bool UserTimer::AddTimer(int16_t id, int32_t ms, int16_t value) {
  std::lock_guard<std::mutex> g(mu_);
  for (Slot& s : slots_) {
    if (s.id == 0) {
      s.id = id;
      s.value = value;
      s.ms = ms;
      s.armed = true;
      return true;
    }
  }
  return false;
}

void UserTimer::DelTimer(int16_t id) {
  std::lock_guard<std::mutex> g(mu_);
  for (Slot& s : slots_) {
    if (s.id == id) {
      s = Slot();
      return;
    }
  }
}

int16_t UserTimer::GetExpired(int16_t& value) {
  std::lock_guard<std::mutex> g(mu_);
  for (Slot& s : slots_) {
    if (s.armed && s.ms <= 0) {
      int16_t id = s.id;
      value = s.value;
      s = Slot();
      return id;
    }
  }
  return 0;
}

int UserTimer::TimerCount() const {
  std::lock_guard<std::mutex> g(mu_);
  int n = 0;
  for (const Slot& s : slots_)
    if (s.id != 0) ++n;
  return n;
}

void UserTimer::SetTimeOut(int32_t ms) {
  std::lock_guard<std::mutex> g(mu_);
  toMs_ = ms;
  toArmed_ = true;
}

void UserTimer::ClearTimeOut() {
  std::lock_guard<std::mutex> g(mu_);
  toArmed_ = false;
  toMs_ = 0;
}

bool UserTimer::IsTimeOut() {
  std::lock_guard<std::mutex> g(mu_);
  if (!toArmed_ || toMs_ > 0) return false;
  toArmed_ = false;
  return true;
}

int32_t UserTimer::TimeOutRemaining() const {
  std::lock_guard<std::mutex> g(mu_);
  return toMs_;
}

void UserTimer::OnTick(const void* source) {
  if (source != this) return;
  std::lock_guard<std::mutex> g(mu_);
  if (toArmed_ && toMs_ > 0) toMs_ -= kStepMs;
  for (Slot& s : slots_)
    if (s.armed && s.ms > 0) s.ms -= kStepMs;
}
