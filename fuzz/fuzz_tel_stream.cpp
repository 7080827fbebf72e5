// Arbitrary bytes through the telephone display and dump stream, with the
// output mode, failing outputs and the form's aborts chosen by the input:
// the state stays within its values, the dump file receives exactly the
// bytes of the dumps, and lines shown are never longer than 16 characters.
#include <cstddef>
#include <cstdint>
#include <string>

#include "phone/TelStream.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

class Outputs : public TelStreamOutputs, public TelPrintCanvas {
 public:
  void ShowLine(int line, const std::string& text) override {
    Check(line >= 0 && line <= 7);
    Check(text.size() == 2 * 16 || (text.size() % 2 == 0 && text.size() <= 2 * TelDisplayStream::kMaxLineBuffer));
  }
  void ClearLine(int line) override { Check(line >= 1 && line <= 7); }
  void ShowDumpLine(const std::string& text, int n) override {
    Check(n >= 0);
    Check(text.size() <= TelDisplayStream::kMaxLineBuffer);
  }
  void Beep() override {}
  void Pause(int) override {}
  bool DumpOpen() override {
    Check(!open);
    open = openOk;
    return openOk;
  }
  bool DumpWrite(uint8_t) override {
    Check(open);
    return writeOk;
  }
  bool DumpClose() override {
    Check(open);
    open = false;
    return true;
  }
  TelPrintCanvas* Printer() override { return this; }
  void SendAbort() override {}
  bool Begin(const std::string&) override {
    Check(!job);
    job = jobOk;
    return jobOk;
  }
  int PageHeight() override { return 200; }
  int LineHeight() override { return 10; }
  void Text(int y, const std::string&) override {
    Check(job);
    Check(y >= 0 && y < 200);
  }
  void NewPage() override { Check(job); }
  void End() override {
    Check(job);
    job = false;
  }
  bool open = false, job = false, openOk = true, writeOk = true, jobOk = true;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  TelSessionState s;
  Outputs out;
  const uint8_t flags = data[0];
  out.openOk = !(flags & 1);
  out.writeOk = !(flags & 2);
  out.jobOk = !(flags & 4);
  s.ethernet = flags & 8;
  TelDisplayStream stream(s, out);
  stream.Reset();
  for (size_t i = 1; i < size; ++i) {
    const uint8_t b = data[i];
    // Bytes 0xF8..0xFF of the second half of the flags byte's choice play
    // the form: switch the output or abort.
    if ((flags & 0x10) && b >= 0xF8 && b != 0xFC) {
      s.TelOutputMode = b & 1 ? 2 : 1;
      s.AbortDump();
      continue;
    }
    stream.RecvChar(b);
    Check(s.TelRecvState >= 0 && s.TelRecvState <= 2);
    Check(s.TelDispLine >= 0 && s.TelDispLine <= 7);
    Check((s.TelDumpOutput == 1) == out.open);
    Check((s.TelDumpOutput == 2) == out.job);
    Check(stream.LineBuffer().size() <= TelDisplayStream::kMaxLineBuffer);
  }
  stream.Finish();
  Check(!out.open && !out.job);
  Check(s.TelDumpOutput == 0);
  return 0;
}
