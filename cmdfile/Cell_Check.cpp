#include "cmdfile/Cell_Check.h"

#include "link/SettingsText.h"
#include "platform/Cp932.h"

namespace {

enum class Chars { Digits, Dial, Hex, Binary, SingleByte };
enum class Length { Exact, OneToMax, ZeroToMax };

struct Kind {
  std::string_view name;
  Chars chars;
  Length length;
  bool lengthFirst;
};

constexpr Kind kKinds[] = {
    {"R0", Chars::Digits, Length::Exact, false},      {"R1", Chars::Digits, Length::OneToMax, false},
    {"R2", Chars::Digits, Length::OneToMax, false},   {"R3", Chars::Digits, Length::OneToMax, false},
    {"R4", Chars::Digits, Length::OneToMax, false},   {"N", Chars::Digits, Length::OneToMax, false},
    {"n", Chars::Digits, Length::OneToMax, false},    {"M", Chars::Digits, Length::ZeroToMax, true},
    {"m", Chars::Digits, Length::ZeroToMax, true},    {"R5", Chars::Dial, Length::OneToMax, false},
    {"R6", Chars::Dial, Length::OneToMax, false},     {"R7", Chars::Dial, Length::OneToMax, false},
    {"R8", Chars::Dial, Length::OneToMax, false},     {"R9", Chars::Dial, Length::OneToMax, false},
    {"D", Chars::Dial, Length::OneToMax, false},      {"d", Chars::Dial, Length::OneToMax, false},
    {"e", Chars::Dial, Length::ZeroToMax, false},     {"H", Chars::Hex, Length::ZeroToMax, false},
    {"h", Chars::Hex, Length::ZeroToMax, false},      {"k", Chars::Binary, Length::Exact, false},
    {"l", Chars::Binary, Length::ZeroToMax, false},   {"c", Chars::SingleByte, Length::ZeroToMax, false},
};

bool Allowed(Chars chars, unsigned char b) {
  bool digit = b >= '0' && b <= '9';
  switch (chars) {
    case Chars::Digits: return digit;
    case Chars::Dial:
      return digit || b == '#' || b == '*' || b == '-' || b == 'A' || b == 'E' || b == 'F' || b == 'R';
    case Chars::Hex: return digit || (b >= 'A' && b <= 'F');
    case Chars::Binary: return b == '-' || b == '0' || b == '1';
    case Chars::SingleByte: return true;  // decided by the walk below
  }
  return false;
}

bool CharsPass(const Kind& k, std::string_view v) {
  if (k.chars == Chars::SingleByte) {
    // A trail byte can look like anything; walking the value finds the lead
    // byte of its character first.
    for (unsigned char b : v)
      if (cp932::IsLeadByte(b)) return false;
    return true;
  }
  for (unsigned char b : v)
    if (!Allowed(k.chars, b)) return false;
  return true;
}

// The lengths are a byte-sized range: a value over 255 bytes never fits.
bool LengthPasses(const Kind& k, size_t len, long long max) {
  if (len > 255) return false;
  long long n = static_cast<long long>(len);
  switch (k.length) {
    case Length::Exact: return n == max;
    case Length::OneToMax: return n >= 1 && n <= max;
    case Length::ZeroToMax: return n <= max;
  }
  return false;
}

}  // namespace

int Cell_Check(std::string_view value, std::string_view rule) {
  if (value == "/") return 0;
  size_t eq = rule.find('=');
  if (eq == std::string_view::npos) return 9314;
  long long max = 0;
  if (!settings::ParseDecimal(rule.substr(eq + 1), max) || max < 0) return 9314;
  std::string_view name = rule.substr(0, eq);
  for (const Kind& k : kKinds) {
    if (k.name != name) continue;
    if (k.lengthFirst && !LengthPasses(k, value.size(), max)) return 9507;
    if (!CharsPass(k, value)) return 9508;
    if (!LengthPasses(k, value.size(), max)) return 9507;
    return 0;
  }
  return 9314;
}
