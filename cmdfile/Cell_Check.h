// Checking one cell value against a check rule: a kind, "=" and a
// maximum length in bytes ("e=6", "n=4", "m=2").
#pragma once

#include <string_view>

// 0 when value satisfies rule, else the message to show: 9314 a rule that
// is not valid, 9508 a character the kind does not allow, 9507 a length
// outside the kind's range. "/" (no value) passes whatever rule says.
int Cell_Check(std::string_view value, std::string_view rule);
