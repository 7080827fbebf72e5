#include "transfer/Control_Unit.h"

#include <exception>

#include "platform/Cp932.h"
#include "platform/FileSys.h"
#include "shell/Global_Unit.h"

// Everything a checker caches about its current menu, so that a line costs
// a table look-up per byte and no search for the numbered items.
struct Ctl_Checker::Cache {
  const Ctl_MenuRec* menu = nullptr;
  Ctl_Delimiters delim;
  int colonItem = -1;  // first item named ":" in the menu, -1 when none
  int semiItem = -1;   // first item named ";"
  uint8_t act[256] = {};
};

Ctl_Definitions Ctl_Defs;
std::array<std::unique_ptr<Ctl_MenuRec>, Ctl_MenuSlots>& Ctl_MenuTbl = Ctl_Defs.MenuTbl;
int& Ctl_MenuCount = Ctl_Defs.MenuCount;
std::array<std::unique_ptr<Ctl_ItemRec>, Ctl_ItemSlots>& Ctl_ItemTbl = Ctl_Defs.ItemTbl;
int& Ctl_ItemCount = Ctl_Defs.ItemCount;

Ctl_Checker::Ctl_Checker(const Ctl_Definitions& defs) : defs_(&defs), cache_(std::make_unique<Cache>()) {}
Ctl_Checker::~Ctl_Checker() = default;

void Ctl_Checker::Forget() {
  State.Menu = nullptr;
  State.Item = nullptr;
  cache_->menu = nullptr;
}

namespace {
Ctl_Checker g_default(Ctl_Defs);
}  // namespace

Ctl_Checker& Ctl_DefaultChecker() { return g_default; }
Ctl_CheckState& Ctl_State = g_default.State;

namespace {

// ---- Shared text helpers ----

// Blanks as the files' writers trim them: the space and every control byte.
constexpr bool IsTrimmed(unsigned char c) { return c <= 0x20; }

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsTrimmed(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && IsTrimmed(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

// One character "1" to "9"; 0 otherwise.
int OneDigit(std::string_view s) {
  return (s.size() == 1 && s[0] >= '1' && s[0] <= '9') ? s[0] - '0' : 0;
}

// A trailing "!" comment of at most maxLen bytes after the "!"; a longer
// one, or text that is no comment, is ignored.
void ReadComment(std::string_view rest, size_t maxLen, std::string& out) {
  std::string_view t = Trim(rest);
  if (!t.empty() && t[0] == '!' && t.size() <= maxLen + 1) out.assign(t.substr(1));
}

// ---- Control-file reader ----

// Header line, trimmed, starting with "/". The record is filled as far as
// the line goes; a line that ends early still gives a menu.
int ReadHeader(std::string_view t, Ctl_MenuRec& m) {
  const size_t n = t.size();
  size_t i = 1, b = 1;
  while (i < n && t[i] != '/') ++i;
  if (i >= n) return 0;  // no closing "/": the menu keeps an empty name
  std::string_view name = t.substr(b, i - b);
  if (name.empty() || name.size() > 8) return Ctl_BadMenuName;
  m.Name.assign(name);
  b = ++i;
  while (i < n && t[i] != ';' && t[i] != '=') ++i;
  if (i >= n) return 0;
  std::string_view form = t.substr(b, i - b);
  if (t[i] == ';') {
    if (form != "ITEM") return Ctl_BadItemForm;
    m.FormKind = 0;
    m.ItemDigits = 0;
    ++i;
  } else {
    if (form == "NI")
      m.FormKind = 1;
    else if (form == "NO")
      m.FormKind = 2;
    else
      return Ctl_BadNumberedForm;
    b = ++i;
    while (i < n && t[i] != ';') ++i;
    if (i >= n) return 0;
    int d = OneDigit(t.substr(b, i - b));
    if (d == 0) return Ctl_BadItemNoCount;
    m.ItemDigits = d;
    ++i;
  }
  // Required names up to ";". A "!" cuts the list short: the names read so
  // far stay in the record, but the count stays 0.
  int stored = 0;
  bool closed = false;
  for (b = i; i < n; ++i) {
    char c = t[i];
    if (c == '!') break;
    if (c == ',' || c == ';') {
      if (stored == 10) return Ctl_TooManyRequired;
      if (i - b > 5) return Ctl_LongRequiredName;
      m.RequiredNames[stored++].assign(t.substr(b, i - b));
      b = i + 1;
      if (c == ';') {
        closed = true;
        ++i;
        break;
      }
    }
  }
  if (closed) m.RequiredCount = stored;
  if (i < n) ReadComment(t.substr(i), 40, m.Comment);
  return 0;
}

bool IsAttrLetter(char c) {
  switch (c) {
    case 'D': case 'H': case 'M': case 'N': case 'c': case 'd': case 'e':
    case 'h': case 'k': case 'l': case 'm': case 'n': case 'x':
      return true;
    default:
      return false;
  }
}

// Item line, trimmed. 0 when complete, else its error code.
int ReadItem(std::string_view t, Ctl_ItemRec& it) {
  const size_t n = t.size();
  size_t i = 0, b = 0;
  while (i < n && t[i] != ';') ++i;
  if (i >= n) return Ctl_ItemUnfinished;
  if (i == 0)
    it.Name = ";";
  else if (i > 5)
    return Ctl_LongItemName;
  else
    it.Name.assign(t.substr(0, i));
  b = ++i;
  while (i < n && t[i] != '=') ++i;
  if (i >= n) return Ctl_ItemUnfinished;
  if (t.substr(b, i - b) != "NB") return Ctl_BadNbName;
  b = ++i;
  while (i < n && t[i] != '(') ++i;
  if (i >= n) return Ctl_ItemUnfinished;
  it.InputCount = OneDigit(t.substr(b, i - b));
  if (it.InputCount == 0) return Ctl_BadInputCount;
  ++i;

  int count = 0;
  for (;;) {
    b = i;
    while (i < n && t[i] != '=') ++i;
    if (i >= n) return Ctl_ItemUnfinished;
    if (count == 9) return Ctl_TooManyAttrs;
    std::string_view name = t.substr(b, i - b);
    // A name of three or more bytes is never taken: its "=" is read as part
    // of the name, which then runs to the end of the line.
    if (name.size() >= 3) return Ctl_ItemUnfinished;
    char attr = 0;
    if (!name.empty() && IsAttrLetter(name[0]))
      attr = name[0];
    else if (!name.empty() && name[0] == 'R')
      attr = (name.size() == 2 && name[1] >= '0' && name[1] <= '9') ? name[1] : 0;
    else
      return Ctl_BadAttrName;
    b = ++i;
    while (i < n && t[i] != ')' && t[i] != ',') ++i;
    if (i >= n) return Ctl_ItemUnfinished;
    std::string_view d = t.substr(b, i - b);
    if (d.empty() || d.size() > 2 || !Ctl_IsDigits(d)) return Ctl_BadAttrDigits;
    it.Attrs[count].Attr = attr;
    it.Attrs[count].Digits = d.size() == 1 ? d[0] - '0' : (d[0] - '0') * 10 + (d[1] - '0');
    ++count;
    if (t[i++] == ')') break;
  }
  if (i >= n) return Ctl_ItemUnfinished;
  char after = t[i];
  if (after != ',' && after != ';') return Ctl_BadAfterAttrs;
  if (it.InputCount != count) return Ctl_AttrCountDiffers;
  ++i;
  if (after == ',') {
    b = i;
    while (i < n && t[i] != '=') ++i;
    if (i >= n) return Ctl_ItemUnfinished;
    if (t.substr(b, i - b) != "IDX") return Ctl_BadIdxName;
    b = ++i;
    while (i < n && t[i] != ';') ++i;
    if (i >= n) return Ctl_ItemUnfinished;
    it.IndexDigits = OneDigit(t.substr(b, i - b));
    if (it.IndexDigits == 0) return Ctl_BadIdxCount;
    ++i;
  }
  // Options: "FMT=...;" and a "!" comment; other text without "=" is ignored.
  for (b = i; i < n; ++i) {
    if (t[i] == '!') {
      ReadComment(t.substr(i), 25, it.Comment);
      return 0;
    }
    if (t[i] != '=') continue;
    if (t.substr(b, i - b) != "FMT") return Ctl_BadOptionName;
    b = ++i;
    for (;;) {
      if (i >= n) return Ctl_ItemUnfinished;
      char c = t[i];
      if (c == ';') break;
      if (c == 'R' || c == 'I') {
        if (i + 1 >= n) return Ctl_ItemUnfinished;
        if (t[i + 1] < '0' || t[i + 1] > '9') return Ctl_BadFormatText;
        i += 2;
      } else {
        ++i;
      }
    }
    if (i - b < 1 || i - b > 36) return Ctl_BadFormatText;
    it.FormatText.assign(t.substr(b, i - b));
    it.FormatFlag = 1;
    ++i;
    if (i < n) ReadComment(t.substr(i), 25, it.Comment);
    return 0;
  }
  return 0;
}

void EmptyTables(Ctl_Definitions& d) {
  // The default checker points into the default set.
  if (&d == &Ctl_Defs) g_default.Forget();
  for (auto& m : d.MenuTbl) m.reset();
  for (auto& it : d.ItemTbl) it.reset();
  d.MenuCount = 0;
  d.ItemCount = 0;
}

// ---- Checker ----

constexpr uint32_t kControl = 0xFFFF;
constexpr uint32_t kOther = 0x100;

constexpr std::array<uint32_t, 256> MakeClassTable() {
  std::array<uint32_t, 256> t{};
  for (int i = 0; i < 256; ++i) {
    auto c = static_cast<unsigned char>(i);
    uint32_t v;
    if (c == '0' || c == '1')
      v = 0x01;
    else if (c >= '2' && c <= '9')
      v = 0x02;
    else if (c == '#' || c == '*' || c == 'R')
      v = 0x04;
    else if (c == 'A')
      v = 0x08;
    else if (c == 'B' || c == 'C' || c == 'D')
      v = 0x10;
    else if (c == 'E' || c == 'F')
      v = 0x20;
    else if (c == 'P')
      v = 0x40;
    else if (c == '-')
      v = 0x80;
    else if (Ctl_IsNotControl(c) || Ctl_IsHalfKatakana(c))
      v = kOther;
    else
      v = kControl;
    t[i] = v;
  }
  return t;
}
constexpr std::array<uint32_t, 256> kClass = MakeClassTable();

// What a byte does while a value is read.
enum Act : uint8_t { kValue = 0, kTab, kError, kTerm, kRecord, kField };

void BuildCache(Ctl_Checker& chk, const Ctl_MenuRec* m) {
  Ctl_Checker::Cache& c = chk.MenuCache();
  c.menu = m;
  c.delim = chk.State.Delim;
  for (auto& a : c.act) a = kValue;
  // Later assignments win, so the order is the reverse of the precedence.
  auto set = [&](char d, Act a) {
    if (d != 0) c.act[static_cast<unsigned char>(d)] = a;
  };
  set(c.delim.FieldSep, kField);
  set(c.delim.RecordSep, kRecord);
  set(c.delim.Terminator, kTerm);
  set(c.delim.ErrorChar, kError);
  c.act[static_cast<unsigned char>('\t')] = kTab;
  c.colonItem = c.semiItem = -1;
  if (!m) return;
  for (int i = m->FirstItem; i <= m->LastItem && i < Ctl_ItemSlots; ++i) {
    const Ctl_ItemRec* it = chk.Defs().ItemTbl[i].get();
    if (!it) continue;
    if (c.colonItem < 0 && it->Name == ":") c.colonItem = i;
    if (c.semiItem < 0 && it->Name == ";") c.semiItem = i;
  }
}

bool SameDelim(const Ctl_Delimiters& a, const Ctl_Delimiters& b) {
  return a.ErrorChar == b.ErrorChar && a.Terminator == b.Terminator &&
         a.RecordSep == b.RecordSep && a.FieldSep == b.FieldSep;
}

void ResetEntry(Ctl_CheckState& s) {
  s.Item = nullptr;
  s.ItemNo.clear();
  s.IndexValue.clear();
  s.FieldNo = 0;
  s.RecordNo = 0;
  for (auto& v : s.Input) v.clear();
  s.Command.clear();
  s.Flags = 0;
  s.ParseState = 0;
}

const Ctl_ItemRec* FindItem(const Ctl_Definitions& d, const Ctl_MenuRec* m, std::string_view name) {
  for (int i = m->FirstItem; i <= m->LastItem && i < Ctl_ItemSlots; ++i) {
    const Ctl_ItemRec* it = d.ItemTbl[i].get();
    if (it && it->Name == name) return it;
  }
  return nullptr;
}

bool IsNumbered(const Ctl_ItemRec* it) { return it->Name == ":" || it->Name == ";"; }

// Two-digit length and the value. A value of 100 bytes or more has no such
// form; it is refused rather than sent without its length.
int LengthForm(std::string_view v, std::string& out) {
  if (v.size() >= 100) return Ctl_BadDataDigits;
  out.clear();
  out += static_cast<char>('0' + v.size() / 10);
  out += static_cast<char>('0' + v.size() % 10);
  out.append(v);
  return 0;
}

// Value against the attribute and width of the current input.
int Ctl_Field_Check(const Ctl_CheckState& s, std::string_view value, uint32_t flags) {
  char a = 0;
  int w = 0;
  if (s.FieldNo < s.Item->InputCount) {
    a = s.Item->Attrs[s.FieldNo].Attr;
    w = s.Item->Attrs[s.FieldNo].Digits;
  }
  std::string_view t = Trim(value);
  if (t.size() > static_cast<size_t>(w)) return Ctl_BadDataDigits;
  bool emptyRefused;
  uint32_t allowed;
  switch (a) {
    case '0': case '1': case '2': case '3': case '4': case 'N': case 'n':
      emptyRefused = true, allowed = 0x03;
      break;
    case 'M': case 'm':
      emptyRefused = false, allowed = 0x03;
      break;
    case '5': case '6': case '7': case '8': case '9': case 'D': case 'd':
      emptyRefused = true, allowed = 0xAF;
      break;
    case 'e':
      emptyRefused = false, allowed = 0xAF;
      break;
    case 'H': case 'h':
      emptyRefused = true, allowed = 0x3B;
      break;
    case 'k':
      emptyRefused = true, allowed = 0x81;
      break;
    case 'l':
      emptyRefused = false, allowed = 0x81;
      break;
    case 'c':
      return flags >= kControl ? Ctl_BadDataClass : 0;
    case 'x':
      return 0;
    default:
      return Ctl_BadDataClass;
  }
  if (emptyRefused && t.empty()) return Ctl_BadDataDigits;
  return (flags & ~allowed) ? Ctl_BadDataClass : 0;
}

// Check, then convert into the input slot (or the required slot of "R0"-"R9").
int Ctl_Field_Convert(Ctl_CheckState& s, std::string_view value, uint32_t flags) {
  int r = Ctl_Field_Check(s, value, flags);
  if (r) return r;
  const Ctl_AttrPair& p = s.Item->Attrs[s.FieldNo];
  const int w = p.Digits;
  std::string& in = s.Input[s.FieldNo];
  // The checks above leave no blank in a padded value, so it always fits;
  // should one not, it must not vanish from the command text.
  switch (p.Attr) {
    case '0': case '1': case '2': case '3': case '4':
      return Ctl_PadZeroLeft(value, w, s.Required[p.Attr - '0']) ? 0 : Ctl_FormatFailed;
    case '5': case '6': case '7': case '8': case '9':
      return Ctl_PadSpaceRight(value, w, s.Required[p.Attr - '0']) ? 0 : Ctl_FormatFailed;
    case 'D': case 'H':
      return Ctl_PadSpaceRight(value, w, in) ? 0 : Ctl_FormatFailed;
    case 'M': case 'N':
      return Ctl_PadZeroLeft(value, w, in) ? 0 : Ctl_FormatFailed;
    case 'k': case 'l': {
      if (value.size() >= 100) return Ctl_BadDataDigits;
      in.clear();
      in += static_cast<char>('0' + value.size() / 10);
      in += static_cast<char>('0' + value.size() % 10);
      for (char c : value) {
        if (c == '-')
          in += '0';
        else if (c == '0')
          in += '1';
        else if (c == '1')
          in += '2';
        else
          return Ctl_BadDataClass;
      }
      return 0;
    }
    case 'm':
      if (value.empty()) {
        in = "010";
        return 0;
      }
      return LengthForm(value, in);
    default:  // c d e h n x
      return LengthForm(value, in);
  }
}

// Decimal value of a text of digits; false for anything else.
bool ToNumber(std::string_view s, int64_t& v) {
  if (s.empty() || s.size() > 18 || !Ctl_IsDigits(s)) return false;
  v = 0;
  for (char c : s) v = v * 10 + (c - '0');
  return v >= 0;
}

// Number plus the record counter, zero padded to w, appended to out.
bool AppendCounted(std::string_view num, int32_t add, int w, std::string& out) {
  int64_t v;
  if (!ToNumber(num, v)) return false;
  v += add;
  char buf[24];
  int len = 0;
  do {
    buf[len++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v > 0);
  if (len > w) return false;
  out.append(static_cast<size_t>(w - len), '0');
  while (len > 0) out += buf[--len];
  return true;
}

bool AppendZeroPad(std::string_view s, int w, std::string& out) {
  if (s.size() > static_cast<size_t>(w)) return false;
  out.append(static_cast<size_t>(w) - s.size(), '0');
  out.append(s);
  return true;
}

// Appends the command of the current record to the command text.
int Ctl_Format_Expand(Ctl_CheckState& s) {
  const Ctl_ItemRec* it = s.Item;
  const bool semi = it->Name == ";";
  const bool colon = it->Name == ":";
  std::string& out = s.Command;
  if (semi && s.RecordNo > 0) {
    // Later records of a numbered list only add their value.
    out += s.Input[s.FieldNo];
    return 0;
  }
  out += ':';
  const std::string& f = it->FormatText;
  for (size_t i = 0; i < f.size(); ++i) {
    char c = f[i];
    switch (c) {
      case 'D': {
        bool ok = (semi || colon) ? AppendZeroPad(s.IndexValue, it->IndexDigits, out)
                                  : AppendCounted(s.IndexValue, s.RecordNo, it->IndexDigits, out);
        if (!ok) return Ctl_FormatFailed;
        break;
      }
      case 'N': {
        bool ok = colon ? AppendCounted(s.ItemNo, s.RecordNo, s.Menu->ItemDigits, out)
                        : AppendZeroPad(s.ItemNo, s.Menu->ItemDigits, out);
        if (!ok) return Ctl_FormatFailed;
        break;
      }
      case 'I':
      case 'R': {
        if (i + 1 >= f.size() || f[i + 1] < '0' || f[i + 1] > '9') return Ctl_FormatFailed;
        int d = f[++i] - '0';
        const std::string* v;
        if (c == 'R') {
          v = &s.Required[d];
        } else {
          if (d == 0) return Ctl_FormatFailed;  // inputs are numbered from 1
          v = &s.Input[d - 1];
        }
        if (v->empty()) return Ctl_MissingValue;
        out += *v;
        break;
      }
      default:
        out += c;
    }
  }
  return 0;
}

int LineCheck(Ctl_Checker& chk, std::string_view line, int checkOnly) {
  Ctl_CheckState& s = chk.State;
  const Ctl_Checker::Cache& cache = chk.MenuCache();
  const Ctl_MenuRec* menu = s.Menu;
  if (cache.menu != menu || !SameDelim(cache.delim, s.Delim)) BuildCache(chk, menu);
  const uint8_t* act = cache.act;

  const size_t n = line.size();
  const auto* p = reinterpret_cast<const unsigned char*>(line.data());
  bool pendingReset = false;  // an entry ended; the next one empties the fields
  size_t tokStart = 0, tokLen = 0;
  bool tokEnded = false;
  uint8_t st = 0;
  uint32_t flags = 0;
  int r = 0;

  // Runs a conversion (and the expansion) on the value gathered so far.
  auto endValue = [&](bool expand) -> int {
    int rc = Ctl_Field_Convert(s, line.substr(tokStart, tokLen), flags);
    if (rc == 0 && expand && s.Item->FormatFlag == 1 && checkOnly == 0) rc = Ctl_Format_Expand(s);
    tokLen = 0;
    tokEnded = false;
    flags = 0;
    return rc;
  };

  size_t i = 0;
  while (i < n) {
    unsigned char c = p[i];
    if (st == 2) {
      switch (act[c]) {
        case kValue: {
          if (tokEnded) {
            r = Ctl_BadDataClass;
            goto done;
          }
          if (tokLen == 0) tokStart = i;
          size_t j = i;
          uint32_t f = flags;
          do {
            f |= kClass[p[j]];
            ++j;
          } while (j < n && act[p[j]] == kValue);
          flags = f;
          s.Flags = f;
          tokLen += j - i;
          i = j;
          continue;
        }
        case kTab:
          if (tokLen) tokEnded = true;
          break;
        case kError:
          r = Ctl_BadDataClass;
          goto done;
        case kTerm:
          if ((r = endValue(true)) != 0) goto done;
          st = 0;
          pendingReset = true;
          break;
        case kRecord:
          if ((r = endValue(true)) != 0) goto done;
          ++s.RecordNo;
          break;
        case kField:
          if ((r = endValue(false)) != 0) goto done;
          ++s.FieldNo;
          break;
      }
      s.Flags = flags;
      ++i;
      continue;
    }
    if (c == ' ' || c == '\t') {
      if (tokLen) tokEnded = true;
      ++i;
      continue;
    }
    if (st == 0) {
      if (c == '!') {
        if (tokLen == 0) goto done;  // a comment: the rest of the line is not read
        r = Ctl_BadItemName;
        goto done;
      }
      if (pendingReset) {
        ResetEntry(s);
        pendingReset = false;
      }
      if (c == '-' || c == '=') {
        std::string_view key = line.substr(tokStart, tokLen);
        const bool numeric = Ctl_IsDigits(key);
        const Ctl_ItemRec* it;
        if (numeric) {
          int idx = c == '-' ? cache.colonItem : cache.semiItem;
          it = idx >= 0 ? chk.Defs().ItemTbl[idx].get() : nullptr;
        } else {
          it = FindItem(chk.Defs(), menu, key);
        }
        if (!it) {
          r = Ctl_UndefinedItem;
          goto done;
        }
        if (numeric && (key.empty() || key.size() > static_cast<size_t>(menu->ItemDigits))) {
          r = Ctl_BadItemNoDigits;
          goto done;
        }
        if (IsNumbered(it)) s.ItemNo.assign(key);
        s.Item = it;
        tokLen = 0;
        tokEnded = false;
        flags = 0;
        s.Flags = 0;
        st = c == '-' ? 1 : 2;
      } else {
        if (tokEnded) {
          r = Ctl_BadItemName;
          goto done;
        }
        if (tokLen == 0) tokStart = i;
        ++tokLen;
      }
    } else {  // index
      if (c == '!') {
        r = Ctl_BadItemName;
        goto done;
      }
      if (c == '=') {
        std::string_view idx = line.substr(tokStart, tokLen);
        if (!Ctl_IsDigits(idx) && idx != "*") {
          r = Ctl_BadIndexClass;
          goto done;
        }
        if (idx.empty() || idx.size() > static_cast<size_t>(s.Item->IndexDigits)) {
          r = Ctl_BadIndexDigits;
          goto done;
        }
        s.IndexValue.assign(idx);
        tokLen = 0;
        tokEnded = false;
        flags = 0;
        s.Flags = 0;
        st = 2;
      } else {
        if (tokEnded) {
          r = Ctl_BadIndexClass;
          goto done;
        }
        if (tokLen == 0) tokStart = i;
        ++tokLen;
      }
    }
    ++i;
  }
  if (st != 0 || tokLen > 0) r = Ctl_LineUnfinished;  // the entry is not finished
done:
  s.ParseState = st;
  return r;
}

}  // namespace

// ---- Public routines ----

uint32_t Ctl_CharClass(unsigned char c) { return kClass[c]; }

bool Ctl_IsDigits(std::string_view s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

bool Ctl_PadZeroLeft(std::string_view s, int w, std::string& out) {
  if (w < 0 || s.size() > static_cast<size_t>(w)) return false;
  out.assign(static_cast<size_t>(w) - s.size(), '0');
  out.append(s);
  return true;
}

bool Ctl_PadSpaceRight(std::string_view s, int w, std::string& out) {
  if (w < 0 || s.size() > static_cast<size_t>(w)) return false;
  out.assign(s);
  out.append(static_cast<size_t>(w) - s.size(), ' ');
  return true;
}

int Ctl_File_Parse(std::string_view content) { return Ctl_File_Parse(content, Ctl_Defs); }

int Ctl_File_Parse(std::string_view content, Ctl_Definitions& d) {
  try {
    EmptyTables(d);
    bool inMenu = false, hasItem = false;
    size_t pos = 0;
    while (pos < content.size()) {
      size_t e = content.find('\n', pos);
      if (e == std::string_view::npos) e = content.size();
      std::string_view line = content.substr(pos, e - pos);
      pos = e + 1;
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (line.size() > static_cast<size_t>(Ctl_LineMax)) return Ctl_LineTooLong;
      if (line.empty()) return Ctl_ReadFailed;
      switch (line[0]) {
        case '!':
        case '@':
          break;
        case '/': {
          if (d.MenuCount >= Ctl_MaxMenus) return Ctl_TooManyMenus;
          if (inMenu) return Ctl_HeaderInMenu;
          auto m = std::make_unique<Ctl_MenuRec>();
          if (int r = ReadHeader(Trim(line), *m)) return r;
          d.MenuTbl[d.MenuCount] = std::move(m);
          inMenu = true;
          hasItem = false;
          break;
        }
        case '\\':
          if (!inMenu || !hasItem) return Ctl_NotInMenu;
          if (line.size() < 2 || line[1] != 'N') return Ctl_BadEndLine;
          d.MenuTbl[d.MenuCount]->LastItem = d.ItemCount - 1;
          ++d.MenuCount;
          inMenu = false;
          break;
        default: {
          if (!inMenu) return Ctl_NotInMenu;
          std::string_view t = Trim(line);
          if (t.empty()) return Ctl_ReadFailed;
          auto it = std::make_unique<Ctl_ItemRec>();
          if (int r = ReadItem(t, *it)) return r;
          if (d.ItemCount >= Ctl_ItemSlots) return Ctl_ReadFailed;
          if (!hasItem) {
            d.MenuTbl[d.MenuCount]->FirstItem = d.ItemCount;
            hasItem = true;
          }
          d.ItemTbl[d.ItemCount++] = std::move(it);
        }
      }
    }
    return 0;
  } catch (const std::exception&) {
    return Ctl_ReadFailed;
  }
}

int Ctl_File_Read(const std::string& controlFileName, Ctl_Definitions& defs) {
  std::string path = fsys::StoredPath(controlFileName, ProgramDir);
  if (!fsys::FileExists(path)) return Ctl_NoControlFile;
  std::string content;
  if (!fsys::ReadFile(path, content)) return Ctl_CannotRead;
  return Ctl_File_Parse(content, defs);
}

int Ctl_File_Read() { return Ctl_File_Read(ControlFileName, Ctl_Defs); }

void Ctl_Def_Free(Ctl_Definitions& defs) { EmptyTables(defs); }
void Ctl_Def_Free() { EmptyTables(Ctl_Defs); }

void Ctl_Menu_Clear(Ctl_Checker& chk) { chk.State.Menu = nullptr; }
void Ctl_Menu_Clear() { Ctl_Menu_Clear(g_default); }

int Ctl_Menu_Select(Ctl_Checker& chk, std::string_view line) {
  Ctl_CheckState& s = chk.State;
  const Ctl_Definitions& d = chk.Defs();
  s.Menu = nullptr;
  for (auto& v : s.Required) v.clear();
  if (line.empty()) return Ctl_BadMenuLine;
  std::string_view rest = line.substr(1);
  size_t p = rest.find('/');
  if (p == std::string_view::npos) return Ctl_BadMenuLine;
  std::string_view name = rest.substr(0, p);
  const Ctl_MenuRec* m = nullptr;
  for (int i = d.MenuCount - 1; i >= 0 && !m; --i)
    if (d.MenuTbl[i] && d.MenuTbl[i]->Name == name) m = d.MenuTbl[i].get();
  if (!m) return Ctl_UndefinedMenu;
  if (name == "SPD" || name == "ISPD" || name == "IDSPD" || name == "DIR")
    s.Delim = {0, '>', 0, '<'};
  else if (name == "KNJ")
    s.Delim = {0, '\x11', 0, '\x06'};
  else
    s.Delim = {'!', ';', '>', ','};
  s.Menu = m;
  BuildCache(chk, m);
  return 0;
}

int Ctl_Menu_Select(std::string_view line) { return Ctl_Menu_Select(g_default, line); }

int Ctl_Line_Check(Ctl_Checker& chk, std::string_view line, int checkOnly) {
  // Emptied before anything else, so that no caller finds the text of an
  // earlier line after a refusal.
  ResetEntry(chk.State);
  if (!chk.State.Menu) return Ctl_UndefinedItem;
  try {
    return LineCheck(chk, line, checkOnly);
  } catch (const std::exception&) {
    return Ctl_Unexpected;
  }
}

int Ctl_Line_Check(std::string_view line, int checkOnly) { return Ctl_Line_Check(g_default, line, checkOnly); }

const char* Ctl_LineErrorMessage(int code) {
  static const char* const kMessages[] = {"9501", "9502", "9503", "9504", "9509", "9506",
                                          "9505", "9510", "9508", "9507", "9511"};
  return code >= 1 && code <= 11 ? kMessages[code - 1] : nullptr;
}
