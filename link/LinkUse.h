// One exchange on the link at a time. A UDP transaction or a serial block
// exchange holds the link from its first byte to its last; a second one
// started meanwhile, from another thread or from a window message handled
// inside the first one's wait, is refused with LINK_BUSY before it sends
// anything, so that two exchanges never interleave on the wire.
#pragma once

namespace linkuse {

// Takes the link for one exchange; false when an exchange is under way.
bool Begin();
// Gives it back; only the holder that Begin let in calls this.
void End();
// An exchange is under way.
bool Busy();

}  // namespace linkuse

// Scoped form of Begin/End.
class LinkExchange {
 public:
  LinkExchange() : held_(linkuse::Begin()) {}
  ~LinkExchange() {
    if (held_) linkuse::End();
  }
  LinkExchange(const LinkExchange&) = delete;
  LinkExchange& operator=(const LinkExchange&) = delete;
  explicit operator bool() const { return held_; }

 private:
  bool held_;
};
