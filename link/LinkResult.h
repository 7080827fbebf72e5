// Result codes of every link routine, serial and UDP alike.
#pragma once

enum LinkResult : int {
  LINK_OK = 0,
  LINK_IO_ERROR = 1,      // a read, write, socket call or allocation failed
  LINK_TIMEOUT = 4,       // a byte, reply or acknowledgement did not come in time
  LINK_BCC_ERROR = 5,     // block check of a received block wrong
  LINK_NO_STX = 6,        // a received block did not begin with STX
  LINK_TOO_LONG = 7,      // no ETX within 2048 bytes
  LINK_NO_EOT = 8,        // the closing EOT after a received block did not come
  LINK_EOT = 9,           // EOT where a block or acknowledgement was expected; or aborted (UDP)
  LINK_SEND_TOO_LONG = 100,  // more than 2048 bytes to send
  LINK_DISCONNECTED = 101,   // the exchange sent a disconnect notice (UDP)
  LINK_UNEXPECTED = 102,     // unexpected datagram or reply
  LINK_ALREADY_OPEN = 103,   // the UDP link is already open
  LINK_BUSY = 104,           // another exchange is under way on the link; nothing was sent
};
