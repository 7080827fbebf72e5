#include "platform/Cp932.h"

#include <cerrno>
#include <iconv.h>

namespace cp932 {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kPrivateBase = 0xF700;

// One converter per direction and thread: iconv handles carry state.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

iconv_t ToUnicode() {
  thread_local Converter c("UTF-8", "CP932");
  return c.get();
}
iconv_t FromUnicode() {
  thread_local Converter c("CP932", "UTF-8");
  return c.get();
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one CP932 character (1 or 2 bytes) at s[i]; false when it does not decode.
bool DecodeOne(std::string_view s, size_t i, size_t& used, std::string& out) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) {
    out += static_cast<char>(c);
    used = 1;
    return true;
  }
  used = IsLeadByte(c) ? 2 : 1;
  if (i + used > s.size()) return false;
  char in[2] = {s[i], used == 2 ? s[i + 1] : '\0'};
  char buf[8];
  char* ip = in;
  size_t il = used;
  char* op = buf;
  size_t ol = sizeof buf;
  iconv_t cd = ToUnicode();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || il != 0) return false;
  out.append(buf, op - buf);
  return true;
}

bool EncodesBackTo(std::string_view utf8char, std::string_view bytes);

// exact: a character whose Unicode form would encode to other bytes (the NEC and
// IBM duplicates of the code page) counts as undecodable, so that nothing changes
// on the way back.
template <typename OnBad>
std::string Decode(std::string_view s, OnBad onBad, bool exact = false) {
  std::string out;
  out.reserve(s.size() * 3 / 2);
  size_t i = 0;
  while (i < s.size()) {
    size_t used = 1;
    size_t mark = out.size();
    bool ok = DecodeOne(s, i, used, out);
    if (ok && exact && static_cast<unsigned char>(s[i]) >= 0x80 &&
        !EncodesBackTo(std::string_view(out).substr(mark), s.substr(i, used))) {
      out.resize(mark);
      for (size_t k = 0; k < used; ++k) onBad(out, static_cast<unsigned char>(s[i + k]));
      i += used;
    } else if (ok) {
      i += used;
    } else {
      // Only the first byte is lost: its neighbour may start a good character.
      onBad(out, static_cast<unsigned char>(s[i]));
      ++i;
    }
  }
  return out;
}

// Next code point of UTF-8 text; false on malformed input.
bool NextCodePoint(std::string_view s, size_t& i, char32_t& cp, size_t& len) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) { cp = c; len = 1; }
  else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; len = 2; }
  else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; len = 3; }
  else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; len = 4; }
  else return false;
  if (i + len > s.size()) return false;
  for (size_t k = 1; k < len; ++k) {
    unsigned char d = static_cast<unsigned char>(s[i + k]);
    if ((d & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (d & 0x3F);
  }
  return true;
}

std::optional<std::string> Encode(std::string_view utf8, bool lossless) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  iconv_t cd = FromUnicode();
  while (i < utf8.size()) {
    char32_t cp;
    size_t len;
    if (!NextCodePoint(utf8, i, cp, len)) return std::nullopt;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (lossless && cp >= kPrivateBase && cp <= kPrivateBase + 0xFF) {
      out += static_cast<char>(cp - kPrivateBase);
    } else {
      char* ip = const_cast<char*>(utf8.data() + i);
      size_t il = len;
      char buf[8];
      char* op = buf;
      size_t ol = sizeof buf;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || il != 0) return std::nullopt;
      out.append(buf, op - buf);
    }
    i += len;
  }
  return out;
}

bool EncodesBackTo(std::string_view utf8char, std::string_view bytes) {
  auto back = Encode(utf8char, false);
  return back && *back == bytes;
}

}  // namespace

bool IsCharBoundary(std::string_view s, size_t pos) {
  if (pos == 0 || pos >= s.size()) return true;
  size_t i = 0;
  while (i < pos) i += IsLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
  return i == pos;
}

size_t CutLength(std::string_view s, size_t maxBytes) {
  if (maxBytes >= s.size()) return s.size();
  size_t i = 0;
  for (;;) {
    size_t step = IsLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
    if (i + step > maxBytes) return i;
    i += step;
  }
}

std::string Cut(std::string_view s, size_t maxBytes) {
  return std::string(s.substr(0, CutLength(s, maxBytes)));
}

size_t CharCount(std::string_view s) {
  size_t n = 0;
  for (size_t i = 0; i < s.size(); ++n) i += IsLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
  return n;
}

std::string ToUtf8(std::string_view sjis) {
  return Decode(sjis, [](std::string& out, unsigned char) { AppendUtf8(out, kReplacement); });
}

std::string ToUtf8Lossless(std::string_view sjis) {
  return Decode(
      sjis, [](std::string& out, unsigned char b) { AppendUtf8(out, kPrivateBase + b); }, true);
}

bool IsUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    char32_t cp;
    size_t len;
    if (!NextCodePoint(s, i, cp, len)) return false;
    // Overlong forms, surrogates and values past Unicode are not UTF-8.
    static constexpr char32_t kMinOf[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMinOf[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
    i += len;
  }
  return true;
}

std::string NameToUtf8(std::string_view onDisk) {
  std::string out;
  out.reserve(onDisk.size() * 3 / 2);
  size_t start = 0;
  for (;;) {
    size_t slash = onDisk.find('/', start);
    std::string_view part = onDisk.substr(start, slash == std::string_view::npos ? slash : slash - start);
    if (IsUtf8(part))
      out.append(part);
    else
      out += ToUtf8(part);
    if (slash == std::string_view::npos) break;
    out += '/';
    start = slash + 1;
  }
  return out;
}

std::string NameToCp932(std::string_view onDisk) {
  if (IsUtf8(onDisk))
    if (auto cp = Encode(onDisk, false)) return *cp;
  return std::string(onDisk);
}

std::optional<std::string> FromUtf8(std::string_view utf8) { return Encode(utf8, false); }

std::optional<std::string> FromUtf8Lossless(std::string_view utf8) { return Encode(utf8, true); }

}  // namespace cp932
