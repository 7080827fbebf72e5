// The exchange's programming as the fake keeps it: the entries that loads
// gave it, served back to a save as data lines.
//
// A load sends command texts, not data lines: each command is ":" and the
// expansion of an item's FMT text (literals, required values "R",
// inputs "I", the index "D", the item number "N"), every part of it of a
// width that its attribute fixes or carrying its own length. So a command
// is read back by the FMT text whose literals begin it, and becomes an
// entry keyed by its menu, its item and the required values, item number
// and index it names; a later command of the same key replaces it. A save
// writes each menu's entries as data lines under the menu's header, the
// required values heading them as the data files do.
//
// The definitions come from a control file; the first entries from data
// files in the layout a save writes (the sample data folder), each file
// also telling which menus its request code serves.
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

class FakeProgram {
 public:
  // Reads the menus and items of a control file's bytes; false when it
  // holds none.
  bool ReadControl(std::string_view content);
  // Takes the entries of a data file's bytes; its menus are served to a
  // save of code. Lines that do not parse are skipped.
  void ReadDataFile(char code, std::string_view content);
  // CONTROL.DAT of folder and the data files of folder/data: the data
  // kinds ('0' PrgSetAll.DAT, '1' SdSystem.DAT, '2' SdPersonal.DAT,
  // '3' SdExtensions.DAT, '4' SdWireless.DAT, '5' SdIdCard.DAT) and the
  // program-setting parts ('A' + i, the file of the control file's i-th
  // "@" line); each is served, also when it has no file. False when the
  // control file cannot be read.
  bool ReadFolder(const std::string& folder, std::string* error = nullptr);

  // One command text as a load sends it (pieces of ":" commands); the
  // request codes whose lines changed. Commands of menus that no save
  // serves (the kanji phone book) and of unknown FMT texts are left out.
  std::set<char> Take(std::string_view text);
  // The lines a save of code sends, each ended by CR LF (none when the
  // code is not served or holds nothing).
  std::vector<std::string> Lines(char code) const;
  // Every code that is served.
  std::vector<char> Codes() const;

 private:
  struct Input {
    char attr = 0;  // the attribute letter, or the digit of "R" + digit
    int width = 0;
  };
  struct Item {
    std::string name;  // ";" for an item line that begins with ";"
    std::vector<Input> inputs;
    int indexDigits = 0;
    std::string fmt;  // empty: no command text
  };
  struct Menu {
    std::string name;
    int numberDigits = 0;
    std::vector<Item> items;
    char terminator = ';', recordSep = '>', fieldSep = ',';
  };
  struct Entry {
    int item = -1;
    std::vector<std::pair<int, std::string>> required;  // slot, value, in FMT order
    std::string number, index;
    std::vector<std::string> fields;  // values of the first record
    std::vector<std::string> more;    // later records of a ";" item
    std::string Key() const;
  };
  struct Stored {
    std::vector<Entry> entries;  // in the order they came
  };

  const Menu* FindMenu(std::string_view name) const;
  // The item that sets required slot d in menu m (-1: none).
  static int RequiredItem(const Menu& m, int slot);
  static int RequiredWidth(const Menu& m, int slot, char* attr);
  // Reads one command at pos (after its ":"); false when no FMT fits.
  bool ReadCommand(std::string_view text, size_t& pos, const Menu*& menu, Entry& e) const;
  // The entries of one data line with the required values so far.
  void ReadDataLine(const Menu& m, std::string_view line, std::map<int, std::string>& required,
                    std::vector<Entry>& out) const;
  void Put(const Menu& m, Entry e);
  std::vector<std::string> Render(const Menu& m) const;
  char CodeOf(const std::string& menu) const;

  std::vector<Menu> menus_;
  mutable std::mutex mu_;
  std::vector<std::string> order_;           // menus in the order they came
  std::map<std::string, Stored> stored_;     // by menu name
  std::map<char, std::vector<std::string>> served_;  // code -> menus
};
