// Checking one cell value against a check specification: a kind, "=" and a
// maximum length in bytes ("e=6", "n=4", "m=2").
#pragma once

#include <string_view>

// 0 when value satisfies spec, else the message to show: 9314 a spec that
// is not valid, 9508 a character the kind does not allow, 9507 a length
// outside the kind's range. "/" (no value) passes whatever spec says.
int Cell_Check(std::string_view value, std::string_view spec);
