#include "transfer/Load_Unit.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

#include "link/Comm_Unit.h"
#include "link/UDP_Unit.h"
#include "platform/FileSys.h"
#include "shell/Global_Unit.h"
#include "shell/Language_Unit.h"
#include "transfer/Control_Unit.h"

std::atomic<int> LoadPhase{0};
std::atomic<int> LoadCancel{0};
std::atomic<int> LoadFixResult{0};
std::atomic<int> LoadLineNo{0};
std::atomic<int> LoadTotal{0};
std::atomic<int> LoadDoneCount{0};
std::atomic<int> LoadErrCount{0};

namespace {

std::mutex g_mu;  // the caption, the fixed line and the timing
std::string g_caption;
std::string g_fixLine;
LoadTiming g_timing;

constexpr size_t kPieceMax = 238;

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

// Text comparison without regard to ASCII letter case, bytes unsigned.
int CompareNoCase(std::string_view a, std::string_view b) {
  auto fold = [](char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') ? u - 32 : u;
  };
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int d = fold(a[i]) - fold(b[i]);
    if (d != 0) return d;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

std::string MenuCaptionNow() {
  return Ctl_State.Menu ? "/" + Ctl_State.Menu->Name + "/" : std::string();
}

}  // namespace

void Load_SetTiming(const LoadTiming& t) {
  std::lock_guard<std::mutex> g(g_mu);
  g_timing = t;
}

LoadTiming Load_GetTiming() {
  std::lock_guard<std::mutex> g(g_mu);
  return g_timing;
}

std::string Load_MenuCaption() {
  std::lock_guard<std::mutex> g(g_mu);
  return g_caption;
}

void Load_SetMenuCaption(const std::string& caption) {
  std::lock_guard<std::mutex> g(g_mu);
  g_caption = caption;
}

void Load_FixAnswer(int result, const std::string& line) {
  {
    std::lock_guard<std::mutex> g(g_mu);
    g_fixLine = line;
  }
  LoadFixResult = result;
}

int Load_Percent(int done, int total) {
  if (total <= 0) return 0;
  long long p = static_cast<long long>(done) * 100 / total;
  return static_cast<int>(std::clamp<long long>(p, 0, 100));
}

std::string Load_ProgressText(int done, int total) {
  return std::to_string(done) + "/" + std::to_string(total) + "(" + std::to_string(Load_Percent(done, total)) + "%)";
}

std::string Load_ResultMessage(int phase, int result, bool lineLost, bool cancelled) {
  if (lineLost) return "5301";
  if (cancelled) return "5501";
  if (phase == 0) return "9021";
  if (phase == 1) {
    if (const char* m = Ctl_LineErrorMessage(result)) return m;
    switch (result) {
      case 100: return "5502";
      case 200: return "5504";
      default: return "9512";
    }
  }
  switch (result) {
    case 100: return "5502";
    case 200: return "5504";
    case 300: return "5503";
    case 400: return "5506";
    case 500: return "5507";
    case 600: return "5508";
    default: return "5501";
  }
}

LoadRole Load_Role(int systemType, int kind) {
  if (systemType == 1) {
    if (kind >= 0 && kind <= 4) return LoadRole::RangeData;
    if (kind == 6) return LoadRole::Part;
    if (kind == 7) return LoadRole::Command;
    if (kind == 8) return LoadRole::Kanji;
    return LoadRole::OtherData;
  }
  if (kind >= 0 && kind <= 2) return LoadRole::RangeData;
  if (kind == 4) return LoadRole::Part;
  if (kind == 5) return LoadRole::Command;
  if (kind == 7) return LoadRole::Kanji;
  return LoadRole::OtherData;
}

std::string_view Load_RangeKey(int systemType, int kind) {
  if (kind == 1) return "TEL=";
  if (kind == 2 && systemType == 1) return "ID=";
  return "NO=";
}

LoadEngine::LoadEngine(LoadParams p, LoadView& view)
    : p_(std::move(p)), view_(view), role_(Load_Role(p_.systemType, p_.kind)), t_(Load_GetTiming()) {
  p_.folder = fsys::WithSlash(p_.folder);
}

void LoadEngine::Pause(int ms) const {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void LoadEngine::SendEndByte() {
  if (p_.ethernet) {
    // After the disconnect notice the exchange is gone: nothing more goes out.
    if (LineLost == 1) return;
    (void)Udp_SendControlByte(UDP_CMD_END_SESSION);
  } else {
    (void)Comm_SendByte(UDP_CMD_END_SESSION);
  }
}

int LoadEngine::Execute() {
  LoadPhase = 0;
  int result = 0;
  view_.ToggleCursor();
  if (p_.readControl) {
    int r = Ctl_File_Read();
    if (r != 0) {
      Ctl_Def_Free();
      return r;
    }
  }
  if (IsCommand()) {
    LoadPhase = 1;
    result = Cmd_PreCheck();
    if (result != 0) view_.ToggleCursor();
  }
  if (result == 0) {
    view_.ToggleCursor();
    memoFull_ = false;
    memoLines_ = 0;
    LoadPhase = 2;
    result = Load_Send();
  }
  if (p_.readControl) Ctl_Def_Free();
  return result;
}

int LoadEngine::Cmd_PreCheck() {
  std::string content;
  if (!fsys::ReadFile(p_.folder + p_.fileName, content)) return 100;
  Ctl_Menu_Clear();
  loaderr::Lines in(std::move(content));
  for (std::string line; in.Next(line);) {
    std::string t = Trim(line);
    if (t.empty() || t[0] == '!') continue;
    int r = t[0] == '/' ? Ctl_Menu_Select(t) : Ctl_Line_Check(t, 0);
    if (r != 0) return r;
  }
  return 0;
}

int LoadEngine::Line_Count() {
  std::string content;
  if (!fsys::ReadFile(p_.folder + p_.fileName, content)) return 100;
  loaderr::Lines in(std::move(content));
  int total = 0;
  bool verdict = false;
  for (std::string line; in.Next(line);) {
    std::string t = Trim(line);
    if (t.empty() || t[0] == '!') continue;
    if (t[0] != '/' && RangeApplies()) {
      verdict = Range_Check(t, verdict);
      if (!verdict) continue;
    }
    ++total;
  }
  LoadTotal = total;
  return 0;
}

bool LoadEngine::Range_Check(std::string_view text, bool previous) const {
  std::string_view key = Load_RangeKey(p_.systemType, p_.kind);
  size_t k = text.find(key);
  if (k == std::string_view::npos) return previous;
  size_t s = k + key.size();
  size_t g = text.find('>', s);
  if (g == std::string_view::npos) return false;
  std::string_view value = text.substr(s, g - s);
  std::string from = Trim(p_.rangeFrom), to = Trim(p_.rangeTo);
  if (from.empty()) return CompareNoCase(value, to) <= 0;
  if (to.empty()) return CompareNoCase(value, from) >= 0;
  return CompareNoCase(value, from) >= 0 && CompareNoCase(value, to) <= 0;
}

std::vector<std::string> LoadEngine::Entries(std::string_view line, char terminator) {
  if (line.empty() || line[0] == '/' || line[0] == '!' || terminator == 0) return {std::string(line)};
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos < line.size()) {
    size_t s = pos;
    while (s < line.size() && static_cast<unsigned char>(line[s]) <= ' ') ++s;
    // A comment runs to the end of the line, terminators and all.
    if (s < line.size() && line[s] == '!') {
      out.push_back(Trim(line.substr(pos)));
      break;
    }
    size_t t = line.find(terminator, pos);
    if (t == std::string_view::npos) {
      std::string rest = Trim(line.substr(pos));
      if (!rest.empty()) out.push_back(rest);
      break;
    }
    out.push_back(Trim(line.substr(pos, t - pos + 1)));
    pos = t + 1;
  }
  if (out.empty()) out.emplace_back();
  return out;
}

int LoadEngine::Reply_Class(const char* reply, int length, bool udp) {
  if (length < 1) return 0;
  switch (reply[0]) {
    case '/': {
      int i = udp ? 2 : 1;
      if (length <= i) return 0;
      return reply[i] == '0' ? 1 : (reply[i] == '1' ? 2 : 0);
    }
    case 'A': return 4;
    case 'C': return 6;
    default: return 0;
  }
}

bool LoadEngine::Session_Open() {
  if (p_.ethernet) {
    int r = Udp_Flush();
    if (r == LINK_DISCONNECTED) LineLost = 1;
    if (r != LINK_OK) return false;
    Udp_SetParam(UDP_PARAM_TIMEOUT, p_.linkTimeOutSec);
    Udp_SetParam(UDP_PARAM_RETRY, 2);
    uint8_t reply[UDP_REPLY_BUF];
    int n = 0;
    r = Udp_Transact(UDP_CMD_LOAD_SESSION, nullptr, 0, reply, &n);
    if (r == LINK_DISCONNECTED) {
      LineLost = 1;
      return false;
    }
    if (r != LINK_OK || reply[0] != UDP_CMD_TEL_START) {
      SendEndByte();
      return false;
    }
    return true;
  }
  Comm_Purge();
  Comm_SetRcvTimeOut(p_.rcvTimeOutMs);
  uint8_t b = 0;
  if (Comm_SendByte(UDP_CMD_LOAD_SESSION) != LINK_OK || Comm_ReadByte(b) != LINK_OK || b != 0x80) {
    SendEndByte();
    return false;
  }
  return true;
}

bool LoadEngine::Session_Begin() {
  bool refused = false;
  if (p_.ethernet) {
    Udp_SetParam(UDP_PARAM_TIMEOUT, p_.linkTimeOutSec);
    Udp_SetParam(UDP_PARAM_RETRY, 2);
    uint8_t reply[UDP_REPLY_BUF];
    int n = 0;
    int r = Udp_Transact(UDP_CMD_BEGIN_LOAD, nullptr, 0, reply, &n);
    if (r == LINK_DISCONNECTED) {
      LineLost = 1;
      return false;
    }
    if (r != LINK_OK) {
      SendEndByte();
      return false;
    }
    refused = reply[0] == UDP_CMD_REFUSED ||
              Reply_Class(reinterpret_cast<const char*>(reply), n + 1, true) == 2;
  } else {
    const char begin[2] = {0x22, '0'};
    char buf[kCommBufSize];
    int len = 0;
    if (Comm_SendBlock(begin, 2) != LINK_OK || Comm_WaitBlock(buf, len) != LINK_OK) {
      Pause(t_.beforeEndByteMs);
      SendEndByte();
      return false;
    }
    refused = (len >= 1 && static_cast<uint8_t>(buf[0]) == UDP_CMD_REFUSED) || Reply_Class(buf, len, false) == 2;
  }
  if (refused) {
    Pause(t_.beforeEndByteMs);
    SendEndByte();
    return false;
  }
  return true;
}

void LoadEngine::Session_End() {
  if (p_.ethernet) {
    if (LineLost == 1) return;
    Udp_SetParam(UDP_PARAM_TIMEOUT, p_.linkTimeOutSec);
    Udp_SetParam(UDP_PARAM_RETRY, 2);
    uint8_t reply[UDP_REPLY_BUF];
    int n = 0;
    int r = Udp_Transact(UDP_CMD_END_LOAD, nullptr, 0, reply, &n);
    Udp_SetParam(UDP_PARAM_SEQUENCE, 0);
    if (r == LINK_DISCONNECTED) {
      LineLost = 1;
      return;
    }
    if (r != LINK_OK) {
      SendEndByte();
      return;
    }
  } else {
    char buf[kCommBufSize];
    int len = 0;
    if (Comm_SendBlock("B0", 2) != LINK_OK || Comm_WaitBlock(buf, len) != LINK_OK) {
      Pause(t_.beforeEndByteMs);
      SendEndByte();
      return;
    }
  }
  Pause(t_.beforeEndByteMs);
  SendEndByte();
}

int LoadEngine::Line_Send(const std::string& text) {
  exchCode_.clear();
  refused_ = false;
  int result = 0;
  const char digit = IsCommand() ? '1' : '0';
  std::string rest = text;
  while (!rest.empty()) {
    std::string piece;
    if (rest.size() <= kPieceMax) {
      piece.swap(rest);
    } else {
      size_t cut = 0;
      for (size_t i = 1; i < kPieceMax; ++i)
        if (rest[i] == ':') cut = i;
      if (cut == 0) return 1;
      piece = rest.substr(0, cut);
      rest.erase(0, cut);
    }
    std::string code;
    int cls;
    if (p_.ethernet) {
      Udp_SetParam(UDP_PARAM_TIMEOUT, t_.pieceTimeOutSec);
      Udp_SetParam(UDP_PARAM_RETRY, p_.retryCount);
      std::string payload = digit + piece;
      uint8_t reply[UDP_REPLY_BUF];
      int n = 0;
      int r = Udp_Transact(UDP_CMD_DATA_LINE, payload.data(), static_cast<int>(payload.size()), reply, &n);
      if (r == LINK_DISCONNECTED) LineLost = 1;
      if (r != LINK_OK) return 1;
      const char* buf = reinterpret_cast<const char*>(reply);
      const int len = n + 1;  // command byte and payload
      if (reply[0] == UDP_CMD_LINE_CODE) {
        cls = 6;
      } else {
        // The exchange has taken the whole text.
        if (n >= 2 && reply[2] == 'F') return result;
        cls = Reply_Class(buf, len, true);
      }
      if (cls == 6 && len > 5) code.assign(buf + 5, static_cast<size_t>(std::min(6, len - 5)));
    } else {
      Pause(t_.beforePieceMs);
      std::string block = std::string("A") + digit + piece;
      char buf[kCommBufSize];
      int len = 0;
      if (Comm_SendBlock(block.data(), static_cast<int>(block.size())) != LINK_OK) return 1;
      if (Comm_WaitBlock(buf, len) != LINK_OK) return 1;
      cls = Reply_Class(buf, len, false);
      if (cls == 6 && len > 2) code.assign(buf + 2, static_cast<size_t>(std::min(6, len - 2)));
    }
    if (cls == 6) {
      // A refusal stays one even when its code did not come.
      exchCode_ = loaderr::PadCode(code);
      refused_ = true;
    } else if (cls != 1) {
      result = 1;
    }
  }
  return result;
}

int LoadEngine::RetryLine_Write(std::string_view line) {
  return retry_.Write(loaderr::RetryRecord(LoadLineNo, Ctl_State.Menu, Ctl_State.Required, line));
}

int LoadEngine::ErrLine_Write(std::string_view code, std::string_view line) {
  return out_.Write(loaderr::ErrRecord(LoadLineNo, code, line));
}

int LoadEngine::AskFix(const std::string& errText, const std::string& line, std::string& fixed) {
  LoadFixResult = 0;
  view_.AskFix(errText, line);
  while (LoadFixResult == 0) std::this_thread::sleep_for(std::chrono::milliseconds(t_.fixPollMs));
  if (LoadFixResult != 1) return 0;
  std::lock_guard<std::mutex> g(g_mu);
  fixed = g_fixLine;
  return 1;
}

int LoadEngine::Load_Send() {
  const bool kanji = IsKanji();
  const int passes = (IsCommand() || kanji) ? 1 : 2;
  const std::string loadPath = p_.folder + p_.fileName;
  const std::string retryPath = p_.folder + "LOADERR.TMP";
  const std::string listPath = p_.folder + (IsCommand() ? "CONTROL.ERR" : "OTHER.ERR");
  // A retry file that a killed load left; only the one this load makes is
  // removed at its end, never what stands there in its place.
  fsys::RemoveWorkFile(retryPath);

  int r = Line_Count();
  if (r != 0) return r;
  LoadDoneCount = 0;
  LoadLineNo = 0;
  LoadErrCount = 0;
  Load_SetMenuCaption("");
  view_.ShowCounters();
  if (LoadTotal == 0) return 0;

  Pause(t_.beforeSessionMs);
  view_.StartTimer();
  Ctl_Menu_Clear();
  bool verdict = false;
  if (!Session_Open()) return 300;
  Pause(t_.openToBeginMs);
  if (!Session_Begin()) return 300;
  if (p_.ethernet) Udp_SetParam(UDP_PARAM_SEQUENCE, 1);

  int result = 0;
  bool stop = false;
  for (int pass = 1; pass <= passes && !stop; ++pass) {
    std::string content;
    if (!fsys::ReadFile(pass == 1 ? loadPath : retryPath, content)) {
      result = 100;
      break;
    }
    const bool toList = passes == 1 || pass == 2;
    if (!(toList ? out_.OpenList(listPath) : retry_.OpenWork(retryPath))) {
      result = 100;
      break;
    }
    loaderr::Lines in(std::move(content));
    std::vector<std::string> entries;
    size_t next = 0;
    std::string physical, fixed;
    bool haveFixed = false;

    // A listed fault: 0 go on, -1 the user stopped in the fix dialog, else
    // the load's result.
    auto fault = [&](const std::string& code, const std::string& errText, const std::string& text,
                     int kanjiEnd) -> int {
      if (kanji) {
        int w = ErrLine_Write(code, text);
        return w != 0 ? w : kanjiEnd;
      }
      if (passes == 2 && pass == 1) {
        ++LoadErrCount;
        view_.ShowErrCount();
        if (int w = RetryLine_Write(text)) return w;
        ++LoadTotal;
        return 0;
      }
      if (pass == 1) ++LoadErrCount;
      view_.ShowErrCount();
      if (int w = ErrLine_Write(code, text)) return w;
      if (IsCommand() && p_.fixErrors) {
        std::string f;
        if (AskFix(errText, text, f) == 0) return -1;
        fixed = f;
        haveFixed = true;
        ++LoadTotal;
      }
      return 0;
    };

    for (;;) {
      if (LoadCancel == 1) {
        stop = true;
        if (p_.ethernet) Udp_SetParam(UDP_PARAM_ABORT, 0);
        break;
      }
      std::string text;
      bool first = false;
      if (next < entries.size()) {
        text = entries[next++];
      } else {
        std::string line;
        if (haveFixed) {
          line = fixed;
          haveFixed = false;
        } else if (pass == 2) {
          loaderr::RetryRecordIn rec;
          int rr = loaderr::ReadRetry(in, rec);
          if (rr == 0) break;
          if (rr != 1) {
            result = rr;
            break;
          }
          LoadLineNo = rec.lineNo;
          if (rec.menuLine.empty()) Ctl_Menu_Clear();
          else Ctl_Menu_Select(rec.menuLine);
          Ctl_State.Required = rec.required;
          Load_SetMenuCaption(MenuCaptionNow());
          line = rec.text;
        } else {
          if (!in.Next(line)) break;
          ++LoadLineNo;
        }
        if (!kanji) line = Trim(line);
        physical = line;
        first = true;
        entries = Entries(line, Ctl_State.Menu ? Ctl_State.Delim.Terminator : 0);
        if (entries.size() < 2) {
          entries.clear();
          text = line;
        } else {
          text = entries[0];
        }
        next = entries.empty() ? 0 : 1;
      }

      if (text.empty() || text[0] == '!') continue;
      int code;
      bool data = false;
      if (text[0] == '/') {
        code = Ctl_Menu_Select(text);
        Load_SetMenuCaption(MenuCaptionNow());
      } else {
        if (pass == 1 && RangeApplies()) {
          verdict = Range_Check(text, verdict);
          if (!verdict) continue;
        }
        code = Ctl_Line_Check(text, 0);
        data = true;
      }

      if (first) {
        if (!memoFull_ && memoLines_ >= 18) memoFull_ = true;
        view_.ShowLine(physical, memoFull_);
        ++memoLines_;
        ++LoadDoneCount;
      }

      if (code == 100 || code == 200) {
        result = code;
        break;
      }
      int f = 0;
      if (code != 0) {
        std::string_view err = code >= 1 && code < static_cast<int>(LoadErrorText.size())
                                   ? LoadErrorText[static_cast<size_t>(code)]
                                   : std::string_view();
        f = fault(std::to_string(code), std::string(err), text, 600);
      } else if (data && Ctl_State.Item && Ctl_State.Item->FormatFlag == 1) {
        if (Line_Send(Ctl_State.Command) != 0) {
          result = 300;
          break;
        }
        if (refused_) {
          std::string mid = exchCode_.substr(3, 3);
          int kanjiEnd = mid == "802" ? 400 : (mid == "801" ? 500 : 600);
          f = fault(exchCode_, exchCode_, text, kanjiEnd);
        } else if (pass == 2 && LoadErrCount > 0) {
          --LoadErrCount;
          view_.ShowErrCount();
        }
      }
      if (f == -1) {
        stop = true;
        break;
      }
      if (f != 0) {
        result = f;
        break;
      }
    }

    if (out_.Close() != 0 && result == 0) result = 100;
    if (result != 0) stop = true;
  }

  Pause(t_.beforeDeleteMs);
  retry_.Discard();
  // A Cancel that came after the last wait must not cut the session's end short.
  if (p_.ethernet && LoadCancel == 1) Udp_SetParam(UDP_PARAM_ABORT, 0);
  Session_End();
  return result;
}
