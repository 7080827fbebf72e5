// State block of the UDP link. Every field is an atomic word: the UI thread
// (Cancel, disconnect, close) and one worker thread use the link at the
// same time, and neither takes a lock for a field.
#pragma once

#include <atomic>
#include <cstdint>

struct TUdpLinkState {
  // -1 = no socket. Descriptor 0 is a valid socket here.
  std::atomic<int32_t> socket{-1};
  // The wait of one receive.
  std::atomic<int32_t> pollSec{0};
  std::atomic<int32_t> pollUsec{0};
  // Scrambling key; byte 0 of a frame goes with its least significant byte.
  std::atomic<uint32_t> key{0};
  // 0 = not in use, else 1..16383.
  std::atomic<uint16_t> sequence{0};
  std::atomic<int32_t> timeOutSec{0};
  // A budget: transactions consume it, only Udp_SetParam refills it.
  std::atomic<int32_t> retryCount{0};
  // 1 = end the running transaction (set by a Cancel button).
  std::atomic<int32_t> abortFlag{0};
  std::atomic<uint16_t> peerFamily{0};
  std::atomic<uint16_t> peerPort{0};   // network order
  std::atomic<uint32_t> peerAddr{0};   // network order
  // Version word of the socket layer's start-up (0x0002 = 2.0); 0 while
  // not started.
  std::atomic<uint16_t> startupVersion{0};
};

extern TUdpLinkState UdpLinkState;

// Back to the closed state: no socket, everything else zero.
void Sock_Table_Reset();
