// Fakes of the two links for the connection tests: a serial line whose far
// side answers every write through a script, on a virtual clock, and a UDP
// link that records what was asked of it and plays scripted replies.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "link/LinkPort.h"
#include "link/LinkResult.h"

class FakeSerial : public SerialLink {
 public:
  // Called with the bytes of every write and every single byte sent; what
  // it returns arrives for reading.
  std::function<std::string(const std::string&)> respond;
  std::string input;
  std::string written;
  long clockMs = 0;  // advanced by pauses and by reads that time out
  int rcvTimeOutMs = -1;
  int purges = 0;
  struct Write {
    long atMs;
    std::string bytes;
  };
  std::vector<Write> writes;
  std::vector<int> pausesMs;
  int failWriteNo = -1;  // the write (counted from 0) that fails
  bool failReads = false;

  bool open = false;
  int openResult = 0;
  int setupResult = 0;
  std::string openedName;
  int setupBps = 0;
  int closes = 0;

  void SetRcvTimeOut(int ms) override { rcvTimeOutMs = ms; }
  void Purge() override {
    ++purges;
    input.clear();
  }
  int SendByte(uint8_t b) override { return WriteBytes(std::string(1, static_cast<char>(b))); }
  int WriteBytes(std::string_view bytes) override {
    int no = static_cast<int>(writes.size());
    writes.push_back({clockMs, std::string(bytes)});
    if (no == failWriteNo) return LINK_IO_ERROR;
    written += bytes;
    if (respond) input += respond(std::string(bytes));
    return LINK_OK;
  }
  int ReadBytes(size_t count, std::string& out) override {
    out.clear();
    if (failReads) return LINK_IO_ERROR;
    size_t n = std::min(count, input.size());
    out = input.substr(0, n);
    input.erase(0, n);
    if (n < count) {
      clockMs += rcvTimeOutMs;
      return LINK_TIMEOUT;
    }
    return LINK_OK;
  }
  void Pause(int ms) override {
    pausesMs.push_back(ms);
    clockMs += ms;
  }
  bool IsOpen() const override { return open; }
  int Open(const std::string& name) override {
    openedName = name;
    if (openResult == 0) open = true;
    return openResult;
  }
  int Setup(int bps) override {
    setupBps = bps;
    return setupResult;
  }
  void Close() override {
    ++closes;
    open = false;
  }
  // Nothing is ever watched here: a receive thread ends at once.
  int mask = 0;
  void SetEventMask(int m) override { mask = m; }
  int EventMask() const override { return mask; }
  int WaitEvent() override { return 0; }
  int InQueue() override { return -1; }
};

class FakeUdp : public UdpLinkApi {
 public:
  struct Call {
    uint8_t command;
    std::string payload;
  };
  std::vector<Call> calls;
  // Result and reply (command byte + payload) per command, in order of use.
  std::deque<std::pair<int, std::string>> replies;
  std::vector<std::pair<int, uint32_t>> params;
  int initResult = 0;
  int flushResult = 0;
  bool opened = false;
  int closes = 0;
  int mainFormSet = 0;
  UserTimer* timer = nullptr;
  std::vector<UserTimer*> timersSet;

  int Init(uint16_t, uint32_t peer, uint16_t) override {
    peerAddress = peer;
    if (initResult == 0) opened = true;
    return initResult;
  }
  int Close() override {
    ++closes;
    opened = false;
    return 0;
  }
  void SetParam(int bits, uint32_t value) override { params.emplace_back(bits, value); }
  void SetTimer(UserTimer* t) override {
    timer = t;
    timersSet.push_back(t);
  }
  void SetMainForm() override { ++mainFormSet; }
  int Flush() override { return flushResult; }
  int Transact(uint8_t command, std::string_view payload, std::string& reply) override {
    calls.push_back({command, std::string(payload)});
    reply.clear();
    if (replies.empty()) return LINK_TIMEOUT;
    auto r = replies.front();
    replies.pop_front();
    reply = r.second;
    return r.first;
  }
  // The last value set for a parameter bit, or -1.
  long long Param(int bit) const {
    long long v = -1;
    for (auto& p : params)
      if (p.first == bit) v = p.second;
    return v;
  }
  uint32_t peerAddress = 0;
};
