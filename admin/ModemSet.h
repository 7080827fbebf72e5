// The modem list editor's rules: the kinds of MODEM.INF in memory, the
// kind whose commands the edits show, switching between kinds and
// registering a kind, which rewrites the whole file.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "link/ModemInf.h"

// The five command edits.
struct ModemCmds {
  std::string init, dial1, dial2, cut1, cut2;
};

ModemCmds ModemSet_Commands(const ModemKind& k);

// Which dial command holds "ATDP" or "ATDT" in any case: 1, 2, or 0 for none
// (dial command 1 is looked at first).
int ModemSet_BadDial(const ModemCmds& c);

// Names equal when ASCII letters of single-byte characters are folded; the
// bytes of double-byte characters are compared as they are.
bool ModemSet_SameName(std::string_view a, std::string_view b);

// The first kind named like name; -1 for none.
int ModemSet_Find(const ModemTable& t, std::string_view name);

// The name as the register checks it: blanks and control characters cut at
// both ends.
std::string ModemSet_Trim(std::string_view name);

// Asks a numbered question; 1 OK, 2 Cancel.
using ModemSetAsk = std::function<int(std::string_view number)>;

// Which control the form focuses after a refused register or switch.
enum class ModemFocus { None, Kind, Dial1, Dial2 };

struct ModemRegResult {
  int message = 0;    // message to show: 303, 302, 3, 9005, 8045; 0 for none
  ModemFocus focus = ModemFocus::None;
  int index = -1;     // the kind that took the edits (-1: none did)
  bool added = false;    // a new kind was stored and belongs at the end of the list
  bool renamed = false;  // an existing kind's listed spelling changed
};

class ModemSetList {
 public:
  ModemTable table;
  // The kind last selected from the list, whose commands the edits show.
  int selected = -1;

  // Reads MODEM.INF of the folder; a missing or unreadable file gives no kinds.
  void Load(const std::string& dir);

  // The user picked index from the list (-1: none). 3 when the edits' dial
  // commands are refused (bad tells which): nothing changes, the list goes
  // back to selected. Otherwise 0: the edits are stored into the kind left
  // (not its name), and edits is set to the new kind's commands (or emptied).
  int Switch(int index, ModemCmds& edits, int& bad);

  // Registers the typed name with the edits and rewrites the file at path
  // whole. A kind appended for a new name is taken out again when the file
  // was not stored; selected then points at the kind that holds the edits.
  ModemRegResult Register(const std::string& typedName, const ModemCmds& edits, const std::string& path,
                          const ModemSetAsk& ask);
};
