// Arbitrary bytes from the far side of the line into the block receivers.
// The far end of a socket pair sends the input and then closes, so that every
// read past the input ends at once instead of waiting out a time-out.
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>

#include "link/Comm_Unit.h"

namespace {

bool Valid(int r) {
  switch (r) {
    case LINK_OK: case LINK_IO_ERROR: case LINK_TIMEOUT: case LINK_BCC_ERROR:
    case LINK_NO_STX: case LINK_TOO_LONG: case LINK_NO_EOT: case LINK_EOT:
      return true;
    default:
      return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool once = [] {
    Comm_SetTiming({0, 0, 0});
    return true;
  }();
  (void)once;
  if (size == 0) return 0;
  int sv[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0) return 0;
  if (Comm_OpenFd(sv[0]) != LINK_OK) {
    ::close(sv[0]);
    ::close(sv[1]);
    return 0;
  }
  Comm_SetRcvTimeOut(0);
  // The first byte picks the receiver; the rest is the line.
  const uint8_t mode = data[0] % 3;
  // Far more than any block, and small enough for the socket's buffer.
  size_t left = std::min<size_t>(size - 1, 64 * 1024);
  for (const uint8_t* p = data + 1; left > 0;) {
    ssize_t n = ::write(sv[1], p, left);
    if (n <= 0) break;
    p += n;
    left -= static_cast<size_t>(n);
  }
  ::shutdown(sv[1], SHUT_WR);

  char buf[kCommBufSize];
  int len = -1;
  int r = mode == 0 ? Comm_RecvFrame(buf, len)
          : mode == 1 ? Comm_RecvBlock(buf, len)
                      : Comm_WaitBlock(buf, len);
  if (!Valid(r) || len < 0 || len > kCommBufSize) __builtin_trap();
  if (r == LINK_OK && mode == 0) {
    // A frame taken is exactly STX, the text, ETX and the text's BCC.
    const uint8_t* f = data + 1;
    size_t n = static_cast<size_t>(len);
    if (size < n + 4 || f[0] != STX || std::memcmp(f + 1, buf, n) != 0 || f[n + 1] != ETX ||
        f[n + 2] != Comm_Bcc(buf, len))
      __builtin_trap();
  }
  Comm_Close();
  ::close(sv[1]);
  return 0;
}
