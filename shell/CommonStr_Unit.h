// Small text helpers shared by ORVO and ORVO_ADMIN. Texts are CP932 bytes.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Appends every comma-separated piece of text to list, empty pieces
// included ("a,b," appends a, b and an empty piece; "" appends one empty
// piece). No quoting.
void Common_SplitComma(std::vector<std::string>& list, std::string_view text);

// toComma set: every "|" becomes ","; clear: every "," becomes "|". The
// settings files keep the commas of free-text values this way. Only whole
// characters are swapped: the trail byte of a double-byte character may be
// 0x7C and must stay as it is.
std::string Common_SwapCommaPipe(std::string_view text, bool toComma);

// "1234567" -> "1,234,567"; three characters or fewer are returned as they
// are. The text is not checked for digits.
std::string Common_GroupDigits(std::string_view text);

// The fitting rule of Common_FitText with the measuring left to the caller:
// text itself when its width is within width; otherwise whole characters
// are taken off the end until the rest is within width, and ".." is added
// (the dots are not measured). Nothing fits: "..".
std::string Common_FitTextBy(std::string_view text, int width,
                             const std::function<int(std::string_view)>& measure);
