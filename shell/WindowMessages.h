// Numbers of the window messages the program posts between its parts, as
// QEvent::User + n. Each number is defined here once.
#pragma once

constexpr int WM_USER_BASE = 0x400;
// The exchange's disconnect notice, to the main window (message 1228).
constexpr int WM_DISCONNECT_NOTICE = 204;
