#include "phone/TelStream.h"

#include <algorithm>

#include "shell/Asc_Kan.h"
#include "shell/Language_Unit.h"

namespace {

std::mutex g_timingMu;
TelTiming g_timing;

const std::string kIndentText(TelDumpPrint::kIndent, ' ');

}  // namespace

void Tel_SetTiming(const TelTiming& t) {
  std::lock_guard<std::mutex> g(g_timingMu);
  g_timing = t;
}

TelTiming Tel_GetTiming() {
  std::lock_guard<std::mutex> g(g_timingMu);
  return g_timing;
}

// ---- Printed listing ----

bool TelDumpPrint::Begin() {
  if (!c_.Begin(kJobName)) return false;
  // The line step is the font's own height on this printer, so that lines
  // never overlap whatever its resolution.
  step_ = std::max(1, c_.LineHeight());
  perPage_ = std::max(1, c_.PageHeight() / step_);
  y_ = 0;
  count_ = 0;
  page_ = 1;
  Head();
  return true;
}

void TelDumpPrint::Head() {
  c_.Text(y_, "");
  y_ += step_;
  ++count_;
  c_.Text(y_, "");
  y_ += step_;
  ++count_;
  c_.Text(y_, kIndentText + std::string(LErrPrintTitle[1]) + "  (PAGE. " + std::to_string(page_) + ")");
  y_ += step_;
  ++count_;
  c_.Text(y_, "");
}

void TelDumpPrint::Line(const std::string& text) {
  y_ += step_;
  ++count_;
  c_.Text(y_, kIndentText + text);
  if (count_ > perPage_ - 4) {
    c_.NewPage();
    y_ = 0;
    count_ = 0;
    ++page_;
    Head();
  }
}

void TelDumpPrint::EndWithPending(const std::string& text) {
  y_ += step_;
  ++count_;
  c_.Text(y_, kIndentText + text);
  c_.End();
}

void TelDumpPrint::End() { c_.End(); }

// ---- Stream interpreter ----

TelDisplayStream::TelDisplayStream(TelSessionState& state, TelStreamOutputs& out) : s_(state), out_(out) {
  // The display's own glyphs for three codes; set here, before the receive
  // thread runs, as the table is shared.
  FullWidth_SetEntry(0x7E, "\x81\xA8");  // "→"
  FullWidth_SetEntry(0x7F, "\x81\xA9");  // "←"
  FullWidth_SetEntry(0xFC, "\x89\x7E");  // "円"
}

TelDisplayStream::~TelDisplayStream() = default;

void TelDisplayStream::Reset() {
  s_.TelDispLine = 0;
  crPending_ = false;
  panelCount_ = 0;
  buffer_.clear();
  skip_ = 0;
}

void TelDisplayStream::Append(uint8_t b) {
  if (buffer_.size() < kMaxLineBuffer) buffer_.push_back(static_cast<char>(b));
}

void TelDisplayStream::ShowBuffer() {
  int line = s_.TelDispLine;
  out_.ShowLine(line, FullWidth_Convert(buffer_));
  buffer_.clear();
}

int TelDisplayStream::RecvChar(uint8_t b) {
  switch (s_.TelRecvState.load()) {
    case 0:
      if (b == TEL_CODE_DUMP_START) return DumpStart();
      Display(b);
      return 0;
    case 1:
      InDump(b);
      return 0;
    default:
      Aborting(b);
      return 0;
  }
}

void TelDisplayStream::Display(uint8_t b) {
  const int line = s_.TelDispLine;
  if (b == 0x0D) {
    crPending_ = true;
    return;
  }
  if (b == 0x8D) {
    skip_ = 1;
    return;
  }
  if (b == 0x0A) {
    if (!crPending_) return;
    if (line == 7) out_.ClearLine(7);
    else s_.TelDispLine = line + 1;
    buffer_.clear();
    crPending_ = false;
    return;
  }
  crPending_ = false;
  if ((b >= 0x20 && b <= 0x7F && b != 0x7C) || (b >= 0xA1 && b <= 0xDF) || b == 0xFC) {
    Append(b);
    if (line > 0 && buffer_.size() == 16 && skip_ == 0) ShowBuffer();
  } else if (b == 0x07) {
    out_.Beep();
    out_.Pause(Tel_GetTiming().bellPauseMs);
    out_.Beep();
  } else if (b == 0x87) {
    out_.Beep();
  } else if (b == 0x88) {
    if (skip_ != 0 && ++skip_ == 3) {
      skip_ = 0;
      buffer_.clear();
    }
  } else if (b >= 0x91 && b <= 0x97) {
    if (line > 0 && buffer_.size() >= 2 && skip_ == 0) ShowBuffer();
    s_.TelDispLine = b - 0x90;
    out_.ClearLine(b - 0x90);
  }
}

void TelDisplayStream::Failed(int msg) {
  s_.Post(msg);
  out_.SendAbort();
  s_.TelRecvState = 2;
  if (s_.ethernet) s_.TelLanStopped = true;
}

void TelDisplayStream::EndPrintJob(bool withPending) {
  if (print_) {
    if (withPending) print_->EndWithPending(buffer_);
    else print_->End();
    print_.reset();
  }
  s_.TelDumpOutput = 0;
}

int TelDisplayStream::DumpStart() {
  s_.TelRecvState = 1;
  crPending_ = false;
  const int mode = s_.TelOutputMode;
  const int output = s_.TelDumpOutput;
  if (mode == 1 && output != 1) {
    // A job left from earlier dumps to the printer ends here.
    if (output == 2) EndPrintJob(true);
    buffer_.clear();
    if (!out_.DumpOpen()) {
      Failed(TEL_MSG_DUMP_FILE_FAILED);
      return 1;
    }
    s_.TelDumpOutput = 1;
    return 0;
  }
  if (mode == 2) {
    if (output == 1) {
      if (!out_.DumpClose()) out_.SendAbort();
      s_.TelDumpOutput = 0;
    }
    // Nothing left over from the display or an earlier dump's tail joins
    // the first line of this dump.
    buffer_.clear();
    if (s_.TelDumpOutput == 2) return 0;
    canvas_ = out_.Printer();
    if (canvas_) {
      print_ = std::make_unique<TelDumpPrint>(*canvas_);
      if (!print_->Begin()) print_.reset();
    }
    if (!print_) {
      Failed(TEL_MSG_PRINT_FAILED);
      return 1;
    }
    s_.TelDumpOutput = 2;
    return 0;
  }
  buffer_.clear();
  out_.SendAbort();
  s_.TelRecvState = 2;
  return 0;
}

void TelDisplayStream::InDump(uint8_t b) {
  if (b == TEL_CODE_DUMP_END) {
    s_.TelDispLine = 0;
    // The file is closed whatever the mode: a switch racing with this end
    // must not leave it open.
    if (s_.TelDumpOutput == 1) {
      if (!out_.DumpClose()) out_.SendAbort();
      s_.TelDumpOutput = 0;
      out_.ShowDumpLine(buffer_, panelCount_);
      buffer_.clear();
    } else if (s_.TelDumpOutput == 2 && print_) {
      // The dump's last line, when it did not end in CR LF, is printed now
      // rather than merged into the next dump's first line.
      if (!buffer_.empty()) print_->Line(buffer_);
      buffer_.clear();
    }
    crPending_ = false;
    s_.TelRecvState = 0;
    ++panelCount_;
    return;
  }
  if (b == 0x0D) {
    crPending_ = true;
  } else if (b == 0x0A) {
    if (crPending_) {
      crPending_ = false;
      if (s_.TelDumpOutput == 1) {
        out_.ShowDumpLine(buffer_, panelCount_);
        ++panelCount_;
      } else if (s_.TelDumpOutput == 2 && print_) {
        print_->Line(buffer_);
      }
      buffer_.clear();
    }
  } else {
    crPending_ = false;
    Append(b);
  }
  if (s_.TelDumpOutput == 1 && !out_.DumpWrite(b)) {
    // A file that cannot be written (a full disk) is told as one that
    // cannot be opened, but the session goes on: the dealer can free space
    // or choose another file and dump again.
    s_.Post(TEL_MSG_DUMP_FILE_FAILED);
    out_.SendAbort();
    s_.TelRecvState = 2;
  }
}

void TelDisplayStream::Aborting(uint8_t b) {
  if (s_.TelDumpOutput == 1) {
    if (!out_.DumpClose()) out_.SendAbort();
    s_.TelDumpOutput = 0;
  }
  if (s_.TelDumpOutput == 2) EndPrintJob(false);
  if (b == TEL_CODE_DUMP_END) {
    buffer_.clear();
    s_.TelDispLine = 0;
    s_.TelRecvState = 0;
  }
}

void TelDisplayStream::Finish() {
  if (s_.TelDumpOutput == 1) {
    out_.DumpClose();
    s_.TelDumpOutput = 0;
  }
  if (s_.TelDumpOutput == 2) EndPrintJob(true);
}
