// The UDP link to the exchange: one request frame, one reply frame, with a
// sequence number, scrambling, a time-out counted by the UserTimer and a
// retry budget. Plain C++; the program hooks in its event posting and its
// message pump.
//
// Frame, both directions, big-endian:
//   BE16 sequence | command | 0x00 | BE16 payload length n | n payload bytes
// at most 2048 bytes in all.
#pragma once

#include "shell/WindowMessages.h"

#include <netinet/in.h>

#include <cstdint>

#include "link/LinkResult.h"
#include "link/Sock_Table.h"

class UserTimer;

constexpr int UDP_HEADER_LEN = 6;
constexpr int UDP_FRAME_MAX = 2048;
constexpr int UDP_PAYLOAD_MAX = UDP_FRAME_MAX - UDP_HEADER_LEN;
// A reply buffer: command, payload and a closing NUL, with room to spare.
constexpr int UDP_REPLY_BUF = UDP_FRAME_MAX + 1;
constexpr uint16_t UDP_SEQ_LAST = 0x3FFF;
constexpr uint16_t UDP_SEQ_MASK = 0x3FFF;

// Fixed part of the scrambling key: the key is the exchange's 4-byte seed
// (little-endian) XOR this mask. The fake exchange uses the same constant.
constexpr uint32_t UDP_LOGIN_MASK = 0x5EC3A917;
// Application name that leads the log-in payload (16 bytes, zero-padded).
constexpr char UDP_APP_NAME[] = "ORVO_APL";
constexpr int UDP_APP_NAME_LEN = 16;
// Log-off reasons.
constexpr uint32_t UDP_LOGOFF_USER = 0;
constexpr uint32_t UDP_LOGOFF_LOGIN_FAILED = 65;

// The disconnect notice is window message WM_USER + 204 (1228); the Qt side
// posts QEvent::User + UDP_DISCONNECT_USER_MSG.
constexpr int UDP_DISCONNECT_USER_MSG = WM_DISCONNECT_NOTICE;
constexpr int UDP_DISCONNECT_MSG = WM_USER_BASE + UDP_DISCONNECT_USER_MSG;

enum UdpCommand : uint8_t {
  UDP_CMD_LOGIN_REQUEST = 0x01,
  UDP_CMD_LOGIN = 0x02,
  UDP_CMD_LOGIN_SEED = 0x03,
  UDP_CMD_LOGGED_IN = 0x04,
  UDP_CMD_LOGOFF = 0x05,
  UDP_CMD_DISCONNECT = 0x0F,
  UDP_CMD_SAVE_REQUEST = 0x21,
  UDP_CMD_BEGIN_LOAD = 0x22,
  UDP_CMD_FOLDED = 0x2F,  // "/": "/0" acknowledges, "/1" refuses
  UDP_CMD_SAVE_BLOCK = 0x31,
  UDP_CMD_SAVE_END = 0x32,
  UDP_CMD_SAVE_ABORT = 0x33,
  UDP_CMD_REREQUEST = 0x34,
  UDP_CMD_DATA_LINE = 0x41,
  UDP_CMD_END_LOAD = 0x42,
  UDP_CMD_LINE_CODE = 0x43,  // 'C'
  UDP_CMD_TEL_KEY = 0x44,
  UDP_CMD_DISPLAY = 0x45,
  UDP_CMD_LINE_OK = 0x46,  // 'F'
  UDP_CMD_TEL_START = 0x80,
  UDP_CMD_SAVE_SESSION = 0x81,
  UDP_CMD_LOAD_SESSION = 0x83,
  UDP_CMD_END_SESSION = 0x8F,
  UDP_CMD_ACK = 0xF0,
  UDP_CMD_REFUSED = 0xF1,
};

// Udp_SetParam flag bits.
enum : int {
  UDP_PARAM_TIMEOUT = 1,
  UDP_PARAM_RETRY = 2,
  UDP_PARAM_ABORT = 4,
  UDP_PARAM_SEQUENCE = 8,
  UDP_PARAM_KEY = 16,
};

// Opens the link: 0; 103 when a socket is already open (nothing changes);
// 1 when the socket cannot be set up. Clears the whole state first, so the
// main form must be registered afterwards.
int Udp_Init(uint16_t ownPort, uint32_t peerAddrHostOrder, uint16_t peerPort);
// Datagram socket bound to any local address and ownPort (0 = any port),
// non-blocking. A failure closes the link and gives 1.
int Udp_Open(uint16_t ownPort);
// 0, or 1 when the close fails. A socket in use by another thread is woken
// and closed by that thread when it lets go, so its number cannot be
// reused under it.
int Udp_CloseSocket();
// Closes the socket and returns the state to closed (key, sequence, main
// form included).
int Udp_Close();

void Udp_SetParam(int flags, int64_t value);
// The timer whose link time-out every transaction uses. A timer that is
// destroyed unregisters itself.
void Udp_SetTimer(UserTimer* timer);
// Receiver of the disconnect notice: post(form, UDP_DISCONNECT_USER_MSG)
// is called from whichever thread saw the notice. form == nullptr: none.
using UdpPostFn = void (*)(void* form, int userMessage);
void Udp_SetMainForm(void* form, UdpPostFn post);
// Called on every pass of a transaction's wait, on the calling thread, to
// process that thread's pending window messages. Null: nothing.
using UdpPumpFn = void (*)();
void Udp_SetMessagePump(UdpPumpFn pump);

// Writes a frame into out (at least UDP_FRAME_MAX bytes); its length, or
// -1 when it would exceed UDP_FRAME_MAX (nothing is written then).
int Udp_BuildFrame(uint8_t* out, uint16_t seq, uint8_t cmd, const void* payload, int len);
// XOR of byte i with key byte i mod 4, with the link's current key.
void Udp_Scramble(uint8_t* frame, int len);
void Udp_Unscramble(uint8_t* frame, int len);

// Sends one frame to the peer (scrambled unless the command is 1 or 5):
// 0; 100 when the frame would exceed 2048 bytes (nothing sent); 1 with no
// socket or a bad argument.
int Udp_Send(uint8_t cmd, const void* payload, int len, uint16_t seq);
// Waits up to the poll time for one datagram into buf (UDP_FRAME_MAX
// bytes): 0, 4 none, 1 failure, 102 from elsewhere, wrong length or longer
// than the buffer.
int Udp_Recv(uint8_t* buf, int* len);
// 0 when the sender is the peer's IPv4 address (its port is not compared)
// and the datagram is exactly 6 + its payload length field; else 102.
int Udp_CheckSource(const sockaddr_in& from, const uint8_t* dgram, int len);
// Udp_Recv, then 101 for a disconnect notice (posted to the main form);
// otherwise buf becomes command, payload, NUL.
int Udp_RecvReply(uint8_t* buf, int* payloadLen, uint16_t* seq);
// 0 when the reply (as Udp_RecvReply leaves it, payloadLen bytes of
// payload) answers sentCmd and, with the sequence in use, carries its
// number in the low 14 bits; else 102.
int Udp_CheckReply(uint8_t sentCmd, const uint8_t* reply, int payloadLen, uint16_t replySeq);
// Drops every datagram already waiting: 0, 1 failure, 101 notice (posted).
int Udp_Flush();
// One request and its reply, with the registered timer's link time-out
// and the retry budget. reply: UDP_REPLY_BUF bytes, left as
// Udp_RecvReply leaves it; replyLen: its payload length. Link result code;
// 1 at once (nothing sent) with no registered timer, and 1 when the timer
// or the socket goes away during the wait.
int Udp_Transact(uint8_t cmd, const void* payload, int len, uint8_t* reply, int* replyLen);
// Right after a transaction that the abort flag cut short: waits for the
// reply to its request all the same, up to one link time-out and sending
// nothing, so that the reply cannot pass for the next request's. The
// result codes of Udp_Transact (4 when none came).
int Udp_AwaitReply(uint8_t cmd, uint8_t* reply, int* replyLen);

// A single control byte in Ethernet mode: a payload-less transaction with
// time-out LinkTimeOutSec and 2 retries; a disconnect notice sets LineLost
// and gives 1, any other result as it is.
int Udp_SendControlByte(uint8_t cmd);
// The main window's log-off: with the given (started) timer registered and
// no main form, command 5 with reason 0, time-out LinkTimeOutSec, 2
// retries, result ignored; then the link is closed.
void Udp_LogOff(UserTimer& timer);
