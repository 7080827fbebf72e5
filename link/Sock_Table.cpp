#include "link/Sock_Table.h"

TUdpLinkState UdpLinkState;

void Sock_Table_Reset() {
  TUdpLinkState& s = UdpLinkState;
  s.socket = -1;
  s.pollSec = 0;
  s.pollUsec = 0;
  s.key = 0;
  s.sequence = 0;
  s.timeOutSec = 0;
  s.retryCount = 0;
  s.abortFlag = 0;
  s.peerFamily = 0;
  s.peerPort = 0;
  s.peerAddr = 0;
  s.startupVersion = 0;
}
