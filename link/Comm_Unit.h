// The serial port of ORVO (one per run, direct cable or modem line) and the
// block protocol spoken over it. Every routine returns a link result code
// (link/LinkResult.h) and never shows a message.
//
// The port is used by one activity at a time; the only overlap is a watcher
// thread (terminal or telephone receive) waiting in Comm_WaitEvent while the
// UI thread writes. Comm_Close may come from the UI thread while a worker is
// inside a read or a wait: it wakes that worker (which then fails with 1) and
// closes the descriptor only when no routine is using it any more.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "link/LinkResult.h"

// Control bytes of the block protocol.
constexpr uint8_t STX = 0x02;
constexpr uint8_t ETX = 0x03;
constexpr uint8_t EOT = 0x04;
constexpr uint8_t ENQ = 0x05;
constexpr uint8_t ACK = 0x06;
constexpr uint8_t NAK = 0x15;

// Size of a receive buffer (text of one block, and of Comm_ReadBytes).
constexpr int kCommBufSize = 2048;
// Longest text handed to Comm_SendBlock.
constexpr int kCommMaxSendText = 2045;

// "COM" + port number; set by the connection settings before Comm_Open.
extern std::string CommPortName;
// The receive time-out of the environment settings; callers pass it to
// Comm_SetRcvTimeOut before a transfer.
extern std::atomic<int> RcvTimeOutMs;

// Pauses the protocol prescribes. Tests shorten them.
struct CommTiming {
  int nakPauseMs = 1000;     // after a NAK to our ENQ
  int noEotPauseMs = 10000;  // after a received block without its closing EOT
  int etxPauseMs = 50;       // between ETX and reading the BCC
};
void Comm_SetTiming(const CommTiming& t);
CommTiming Comm_GetTiming();

// Port management (UI thread).
int Comm_Open();
int Comm_Setup(int bitsPerSecond);
void Comm_SetRcvTimeOut(int ms);
// Discards what was received and not yet read; what was written still goes out.
void Comm_Purge();
int Comm_Close();
bool Comm_IsOpen();
// Takes over an already open descriptor as the port (tests and tools that
// stand a socket or a pseudo-terminal in for the line). Fails when a port is
// open.
int Comm_OpenFd(int fd);
// The path that "COM"+n resolves to: ProgramDir/ports/comN when that entry
// exists, else /dev/ttyS(n-1). Empty when the name is not "COM"+number.
std::string Comm_PortPath(const std::string& name);

// Byte input and output (any thread).
int Comm_ReadByte(uint8_t& b);
int Comm_ReadByteRetry(uint8_t& b);
int Comm_SendByte(uint8_t b);
int Comm_SendByteRetry(uint8_t b);
// buf must hold count + 1 bytes; it receives the bytes as text (cut at the
// first NUL and terminated); received tells how many bytes were read.
int Comm_ReadBytes(char* buf, int count, int& received);
int Comm_WriteBytes(const char* text, int count);

// Over Ethernet a single control byte goes out as a UDP command without
// payload. The UDP link installs this: it runs that one transaction
// (time-out LinkTimeOutSec, 2 retries) and returns its link result as it is;
// Comm_SendByte turns 101 into LineLost and 1. Unset, the send fails with 1.
extern int (*Comm_EthernetSendByte)(uint8_t b);

// Block protocol.
// frame := STX text ETX BCC (a NUL follows in the string's storage).
int Comm_BuildFrame(const char* text, int length, std::string& frame);
uint8_t Comm_Bcc(const char* text, int length);
int Comm_SendBlock(const char* text, int length, bool allowReceive = false,
                   bool* received = nullptr, int* replyLength = nullptr,
                   char* replyBuf = nullptr);
// buf: kCommBufSize bytes; it receives the text without STX, ETX and BCC.
int Comm_RecvFrame(char* buf, int& length);
int Comm_RecvBlock(char* buf, int& length);
int Comm_WaitBlock(char* buf, int& length);

// Watching the port. A watcher thread adds EV_RXCHAR to the event mask and
// waits; the UI thread ends it by setting the mask to 0, which also releases a
// pending wait.
constexpr int EV_RXCHAR = 0x0001;
void Comm_SetEventMask(int mask);
int Comm_GetEventMask();
// Blocks until bytes are queued (EV_RXCHAR) or the mask is changed (0). Also
// 0 at once when the mask holds no EV_RXCHAR, and when the port is closed or
// reports a line error.
int Comm_WaitEvent();
// Bytes queued for reading, or -1 when the port cannot tell.
int Comm_InQueue();
