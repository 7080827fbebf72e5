// Arbitrary datagrams (0-4096 bytes) through the link's checks: the source
// and length check, the unscrambling, Udp_RecvReply's in-place rewrite,
// the reply table and the flush, each against what the bytes must give.
#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "link/UDP_Unit.h"

namespace {

constexpr uint32_t kKey = 0xA1B2C3D4;
int g_peer = -1;
uint16_t g_linkPort = 0;
int g_posted = 0;

void Post(void*, int) { ++g_posted; }

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void Send(const uint8_t* d, size_t n) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(g_linkPort);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  Check(::sendto(g_peer, d, n, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) == static_cast<ssize_t>(n));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_peer = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(g_peer, reinterpret_cast<sockaddr*>(&a), sizeof a);
  int big = 1 << 20;
  ::setsockopt(g_peer, SOL_SOCKET, SO_SNDBUF, &big, sizeof big);
  socklen_t l = sizeof a;
  ::getsockname(g_peer, reinterpret_cast<sockaddr*>(&a), &l);
  Check(Udp_Init(0, INADDR_LOOPBACK, ntohs(a.sin_port)) == LINK_OK);
  ::getsockname(UdpLinkState.socket, reinterpret_cast<sockaddr*>(&a), &l);
  g_linkPort = ntohs(a.sin_port);
  Udp_SetParam(UDP_PARAM_KEY, kKey);
  Udp_SetMainForm(&g_posted, &Post);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) size = 4096;
  const int len = static_cast<int>(size);

  // What the bytes must give: unscrambled when marked, then exactly
  // 6 + the length field, and no more than the 2048-byte buffer.
  std::vector<uint8_t> plain(data, data + size);
  if (size > 0 && (plain[0] & 0x80))
    for (size_t i = 0; i < size; ++i) plain[i] ^= static_cast<uint8_t>(kKey >> (8 * (i % 4)));
  const bool fits = size >= 6 && size <= UDP_FRAME_MAX && size == 6u + ((plain[4] << 8) | plain[5]);

  // The source check on its own, for the peer and for a stranger. Exact
  // heap copies so that any read past the end is caught.
  {
    std::unique_ptr<uint8_t[]> d(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(d.get(), data, size);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool lengthOk = size >= 6 && size == 6u + ((d[4] << 8) | d[5]);
    Check(Udp_CheckSource(from, d.get(), len) == (lengthOk ? LINK_OK : LINK_UNEXPECTED));
    from.sin_addr.s_addr = htonl(0x7F000002);
    Check(Udp_CheckSource(from, d.get(), len) == LINK_UNEXPECTED);
    Udp_Scramble(d.get(), len);
    Udp_Unscramble(d.get(), len);
    Check(size == 0 || std::memcmp(d.get(), data, size) == 0);
  }

  // Over the wire into a buffer of exactly the documented size.
  std::unique_ptr<uint8_t[]> buf(new uint8_t[UDP_FRAME_MAX]);
  Send(data, size);
  int n = -1;
  uint16_t seq = 0;
  int before = g_posted;
  int r = Udp_RecvReply(buf.get(), &n, &seq);
  if (!fits) {
    Check(r == LINK_UNEXPECTED);
  } else if (plain[2] == UDP_CMD_DISCONNECT) {
    Check(r == LINK_DISCONNECTED && g_posted == before + 1);
  } else {
    Check(r == LINK_OK);
    Check(n == static_cast<int>(size) - 6);
    Check(seq == ((plain[0] << 8) | plain[1]));
    Check(buf[0] == plain[2]);
    Check(std::memcmp(buf.get() + 1, plain.data() + 6, static_cast<size_t>(n)) == 0);
    Check(buf[n + 1] == 0);
    for (uint8_t cmd : {0x01, 0x05, 0x22, 0x33, 0x41, 0x80, 0x8F}) {
      int c = Udp_CheckReply(cmd, buf.get(), n, seq);
      Check(c == LINK_OK || c == LINK_UNEXPECTED);
    }
    // Without a second payload byte a "/" reply never counts as 0xF0.
    if (buf[0] == '/' && n < 2) Check(Udp_CheckReply(0x33, buf.get(), n, seq) == LINK_UNEXPECTED);
  }

  // The flush drops it, or stops at it when it is a notice.
  Send(data, size);
  int f = Udp_Flush();
  Check(f == ((fits && plain[2] == UDP_CMD_DISCONNECT) ? LINK_DISCONNECTED : LINK_OK));
  Check(Udp_Flush() == LINK_OK);
  return 0;
}
