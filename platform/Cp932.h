// Code page 932 (Shift-JIS) text: every byte from or to a file or the exchange
// stays CP932 in a std::string; Unicode appears only at the glass.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cp932 {

// Lead byte of a double-byte character (0x81-0x9F, 0xE0-0xFC).
constexpr bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// True when pos does not fall between the lead and trail byte of a character.
bool IsCharBoundary(std::string_view s, size_t pos);

// Largest length <= maxBytes that ends on a character boundary.
size_t CutLength(std::string_view s, size_t maxBytes);

// s cut to at most maxBytes bytes, never inside a character.
std::string Cut(std::string_view s, size_t maxBytes);

// Number of characters (a double-byte character counts once).
size_t CharCount(std::string_view s);

// For display: a byte that does not decode becomes U+FFFD; the rest is kept.
std::string ToUtf8(std::string_view sjis);

// Text typed by the user: nullopt when some character has no CP932 form.
std::optional<std::string> FromUtf8(std::string_view utf8);

// File and folder names found on disk are kept as their bytes; these decide
// how such a name is shown. Each "/"-separated part is read as UTF-8 (the
// names the programs make) when it is valid UTF-8, else as CP932 (names
// unpacked from a Windows archive), a byte that decodes in neither replaced
// by U+FFFD. "/" is never a CP932 trail byte, so the parts split cleanly.
bool IsUtf8(std::string_view s);
std::string NameToUtf8(std::string_view onDisk);
// The same name as CP932 text (for printing and messages): a UTF-8 name
// converted, a CP932 name (or one with no CP932 form) as it is.
std::string NameToCp932(std::string_view onDisk);

// Lossless pair for editors that hold a whole file: undecodable bytes map to
// the private-use characters U+F700 + byte and back.
std::string ToUtf8Lossless(std::string_view sjis);
std::optional<std::string> FromUtf8Lossless(std::string_view utf8);

}  // namespace cp932
