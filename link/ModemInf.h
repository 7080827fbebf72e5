// MODEM.INF: the modem kinds that ORVO offers in its environment settings,
// one line per kind: name, initialisation command, dial commands 1 and 2,
// hang-up commands 1 and 2. ORVO reads it; ORVO_ADMIN writes it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

constexpr int kModemKindsMax = 30;
constexpr size_t kModemNameCap = 255;
constexpr size_t kModemInitCap = 21;
constexpr size_t kModemCmdCap = 11;

struct ModemKind {
  std::string name;
  std::string initCmd;
  std::string dialCmd1;
  std::string dialCmd2;
  std::string hangUpCmd1;
  std::string hangUpCmd2;
};

struct ModemTable {
  std::vector<ModemKind> kinds;  // at most kModemKindsMax
  int Count() const { return static_cast<int>(kinds.size()); }
  void Clear() { kinds.clear(); }
};

// Appends the kinds of the file's content. A line with fewer than 6 fields
// ends the reading and gives false (the kinds before it stay); after 30
// kinds the rest is not read. Each field is cut to its capacity, on a
// character boundary, with "|" turned back into "," in the commands.
bool ModemFile_Parse(std::string_view content, ModemTable& table);

// Reads MODEM.INF of a folder into table (cleared first). false when the
// file is missing or unreadable, or when a short line ended the reading.
bool ModemFile_Read(const std::string& dir, ModemTable& table);

// The file's content for table: one line per kind, CR LF, with "," of the
// commands stored as "|".
std::string ModemFile_Format(const ModemTable& table);
