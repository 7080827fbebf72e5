// Claims on a serial device beyond the descriptor's own locks. flock and
// TIOCEXCL keep out only programs that ask for them; terminal programs
// (minicom, picocom, cu) mark a port with a UUCP lock file instead, and a
// plain reader such as `cat /dev/ttyUSB0` takes nothing at all. Sharing the
// line with either hands the exchange's replies to the other program.
#pragma once

#include <string>
#include <vector>

// The lock file's name for a device path: "LCK.." and the path below /dev
// with "/" as "_" (LCK..ttyUSB0, LCK..pts_3); outside /dev, the last part.
std::string PortLock_Name(const std::string& devicePath);

// Folders where lock files are looked for; ours is made in the first one
// that exists. /run/lock, then /var/lock (usually a link to it).
std::vector<std::string>& PortLock_Folders();

// Takes the UUCP lock of the device (its real path). false when a lock file
// names another live process. A stale one (a dead process, no readable pid)
// is removed. Ours holds our pid in ASCII (ten characters, right-aligned,
// and a line end); made is its path, or empty when no lock folder exists or
// we may not write there, and the port is then used without one.
bool PortLock_Take(const std::string& devicePath, std::string& made);

// Removes the lock file that PortLock_Take made, and empties made.
void PortLock_Release(std::string& made);

// True when another process has the device (its real path) open: any
// process of ours that /proc lets us look into. A process that holds the
// master of a pseudo-terminal is the far end of that line, not a sharer.
bool Port_HeldElsewhere(const std::string& devicePath);
