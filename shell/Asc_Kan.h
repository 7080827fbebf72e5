// Single-byte to full-width conversion of the telephone display: each byte
// of the display stream becomes one double-byte CP932 character.
#pragma once

#include <array>
#include <string>
#include <string_view>

// One two-byte CP932 character per byte value. The telephone display
// replaces some entries at run time; replaced entries stay for the run.
extern std::array<std::string, 256> FullWidth_Table;

// Replaces the entry of code (0 to 255) by the first two bytes of text.
// false, and the table unchanged, for another code or a text under 2 bytes.
bool FullWidth_SetEntry(int code, std::string_view text);

// The table entries of every byte of text, in order. Each byte is converted
// on its own, also the bytes of a double-byte character: the display stream
// is single-byte.
std::string FullWidth_Convert(std::string_view text);
