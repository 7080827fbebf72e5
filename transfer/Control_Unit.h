// The control file (CONTROL.DAT) and the line checker built on it.
//
// The control file says, for every section kind (menu) that a data file or a
// command file may hold, which items its lines may set, the attribute and
// width of each value, and the format by which a checked line becomes the
// command text sent to the exchange. Every line that is loaded, and every line
// the command-file editor checks, goes through Ctl_Line_Check.
//
// The definitions are a value: read once, then only read. Each user that
// checks lines (the load thread, the command-file editor, the selection form)
// holds its own Ctl_Checker over them, so that no two users share a working
// record. The names without a checker work on the program's default set and
// default checker.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// ---- Definitions read from the control file ----

constexpr int Ctl_MenuSlots = 401;   // slots 0-400; at most 400 menus are counted
constexpr int Ctl_MaxMenus = 400;
constexpr int Ctl_ItemSlots = 1001;  // slots 0-1000; a 1002nd item is refused
constexpr int Ctl_LineMax = 80;      // bytes per control-file line

struct Ctl_MenuRec {
  std::string Name;         // 1-8 bytes
  int32_t FirstItem = 0;    // item-table index of the menu's first item
  int32_t LastItem = 0;     // and of its last
  int32_t ItemDigits = 0;   // digits of a numeric key (after "NI"/"NO"); 0 for "ITEM"
  int32_t RequiredCount = 0;
  std::array<std::string, 10> RequiredNames;
  std::string Comment;      // at most 40 bytes
  uint8_t FormKind = 0;     // 0 "ITEM", 1 "NI", 2 "NO"
};

struct Ctl_AttrPair {
  // 'D' 'H' 'M' 'N' 'c' 'd' 'e' 'h' 'k' 'l' 'm' 'n' 'x', or the digit of
  // "R0"-"R9"; 0 when the definition was "R" without a digit.
  char Attr = 0;
  int32_t Digits = 0;       // 0-99
};

struct Ctl_ItemRec {
  std::string Name;         // at most 5 bytes; ";" or ":" for numbered entries
  int32_t InputCount = 0;   // 1-9, one attribute pair per input
  int32_t IndexDigits = 0;  // after "IDX"; 0 when the item takes no index
  std::array<Ctl_AttrPair, 10> Attrs;
  int32_t FormatFlag = 0;   // 1 when FormatText is set: only then is command text built
  std::string FormatText;   // 1-36 bytes
  std::string Comment;      // at most 25 bytes
};

// The tables. Only menus closed by their end line are counted; a menu still
// open at the end of the file sits uncounted in slot MenuCount.
struct Ctl_Definitions {
  std::array<std::unique_ptr<Ctl_MenuRec>, Ctl_MenuSlots> MenuTbl;
  int MenuCount = 0;
  std::array<std::unique_ptr<Ctl_ItemRec>, Ctl_ItemSlots> ItemTbl;
  int ItemCount = 0;
};

// The program's default set, under its old names.
extern Ctl_Definitions Ctl_Defs;
extern std::array<std::unique_ptr<Ctl_MenuRec>, Ctl_MenuSlots>& Ctl_MenuTbl;
extern int& Ctl_MenuCount;
extern std::array<std::unique_ptr<Ctl_ItemRec>, Ctl_ItemSlots>& Ctl_ItemTbl;
extern int& Ctl_ItemCount;

// Control-file reader results (the message shown for any of them is "9021").
enum : int {
  Ctl_ReadDone = 0,
  Ctl_NoControlFile = 1,
  Ctl_HeaderInMenu = 4,        // a header while a menu is open
  Ctl_TooManyMenus = 5,        // a header after 400 menus
  Ctl_NotInMenu = 6,           // end line without items, or outside a menu; item outside a menu
  Ctl_BadEndLine = 7,          // end line whose second character is not "N"
  Ctl_LineTooLong = 9,         // more than 80 bytes
  Ctl_BadMenuName = 10,        // empty or longer than 8
  Ctl_BadNumberedForm = 11,    // neither "NI" nor "NO" before "="
  Ctl_BadItemForm = 12,        // not "ITEM" before ";"
  Ctl_BadItemNoCount = 13,     // item-number digits not 1-9
  Ctl_BadIdxName = 14,         // not "IDX" after ","
  Ctl_BadIdxCount = 15,        // index digits not 1-9
  Ctl_LongRequiredName = 16,   // more than 5 bytes
  Ctl_TooManyRequired = 17,    // more than 10 names
  Ctl_LongItemName = 19,       // more than 5 bytes
  Ctl_BadNbName = 20,          // not "NB" before the first "="
  Ctl_BadInputCount = 21,      // not 1-9
  Ctl_BadAttrName = 22,        // not an attribute letter
  Ctl_TooManyAttrs = 23,       // a tenth attribute
  Ctl_BadAttrDigits = 24,      // not 0-99
  Ctl_AttrCountDiffers = 25,   // input count differs from the attributes given
  Ctl_BadAfterAttrs = 26,      // neither "," nor ";" after ")"
  Ctl_BadOptionName = 27,      // not "FMT" before "="
  Ctl_BadFormatText = 28,      // empty, longer than 36, "R"/"I" without a digit
  Ctl_ItemUnfinished = 30,     // an item line that ends early
  Ctl_CannotRead = 100,
  Ctl_ReadFailed = 200,
};

// Reads the file named by ControlFileName (CP932, as ENVIRON.DAT gives it).
// 0 when the whole file was read, 1 when it does not exist, 100 when it
// cannot be read, else the code of the first faulty line (4-30, 200).
int Ctl_File_Read();
// The same into a set of one's own, from a control-file name in CP932.
int Ctl_File_Read(const std::string& controlFileName, Ctl_Definitions& defs);
// The reading rules on a file's bytes (the part of Ctl_File_Read after the
// file was read).
int Ctl_File_Parse(std::string_view content);
int Ctl_File_Parse(std::string_view content, Ctl_Definitions& defs);
// Frees every record of both default tables; also forgets the default
// checker's current menu and item, which point into them.
void Ctl_Def_Free();
void Ctl_Def_Free(Ctl_Definitions& defs);

// ---- The checker ----

struct Ctl_Delimiters {
  char ErrorChar = 0;   // 0 = none
  char Terminator = 0;
  char RecordSep = 0;
  char FieldSep = 0;
};

struct Ctl_CheckState {
  const Ctl_MenuRec* Menu = nullptr;   // set by Ctl_Menu_Select
  const Ctl_ItemRec* Item = nullptr;   // per entry from here down
  std::string ItemNo;                  // numeric key of the entry
  std::string IndexValue;              // index written after "-"
  int32_t FieldNo = 0;                 // input being read, 0 = first
  int32_t RecordNo = 0;                // record separators passed
  std::array<std::string, 10> Input;   // converted value of input 1-10
  std::array<std::string, 10> Required;  // "R0"-"R9" values; kept for a whole section
  std::string Command;                 // command text built for the entry
  Ctl_Delimiters Delim;                // set by Ctl_Menu_Select
  uint32_t Flags = 0;                  // character classes of the value being read
  uint8_t ParseState = 0;              // 0 item key, 1 index, 2 data
};

// A checker: its working record and the caches of its current menu over one
// set of definitions, which must stay unchanged and alive while it is used
// (a checker over the default set is reset by Ctl_Def_Free of that set).
class Ctl_Checker {
 public:
  explicit Ctl_Checker(const Ctl_Definitions& defs);
  ~Ctl_Checker();
  Ctl_Checker(const Ctl_Checker&) = delete;
  Ctl_Checker& operator=(const Ctl_Checker&) = delete;

  const Ctl_Definitions& Defs() const { return *defs_; }
  Ctl_CheckState State;

  struct Cache;
  Cache& MenuCache() { return *cache_; }
  // Drops the current menu and item and the caches built on them.
  void Forget();

 private:
  const Ctl_Definitions* defs_;
  std::unique_ptr<Cache> cache_;
};

// The default checker, over Ctl_Defs; Ctl_State is its working record.
Ctl_Checker& Ctl_DefaultChecker();
extern Ctl_CheckState& Ctl_State;

// The checker has no current menu afterwards.
void Ctl_Menu_Clear();
void Ctl_Menu_Clear(Ctl_Checker& chk);

// A section header line ("/" name "/" ...): 0 menu chosen, 1 no menu of that
// name, 2 no second "/". Always clears the current menu and the required
// values first.
int Ctl_Menu_Select(std::string_view line);
int Ctl_Menu_Select(Ctl_Checker& chk, std::string_view line);

// One data line (or one entry of it). 0 or a load-line error code:
// 1-12 as below, 200 on an unexpected failure. With checkOnly 0 the command
// text of each entry whose item has a format is built; after a 0 result
// State.Command holds the text of the line's last entry.
int Ctl_Line_Check(std::string_view line, int checkOnly);
int Ctl_Line_Check(Ctl_Checker& chk, std::string_view line, int checkOnly);

// Load-line error codes.
enum : int {
  Ctl_UndefinedMenu = 1,
  Ctl_BadMenuLine = 2,
  Ctl_UndefinedItem = 3,
  Ctl_BadItemName = 4,
  Ctl_BadItemNoDigits = 5,
  Ctl_BadIndexClass = 6,
  Ctl_BadIndexDigits = 7,
  Ctl_MissingValue = 8,
  Ctl_BadDataClass = 9,
  Ctl_BadDataDigits = 10,
  Ctl_LineUnfinished = 11,
  Ctl_FormatFailed = 12,
  Ctl_Unexpected = 200,
};

// The message number that tells the user why a line failed (codes 1-11);
// null for any other code, which each caller names in its own way.
const char* Ctl_LineErrorMessage(int code);

// ---- Helpers of the checker ----

// Character classes of one byte. The table is fixed (no locale): control
// bytes are 0xFFFF, every byte from 0x80 up is 0x100.
constexpr bool Ctl_IsNotControl(unsigned char c) { return c >= 0x20 && c != 0x7F; }
constexpr bool Ctl_IsHalfKatakana(unsigned char c) { return c >= 0xA1 && c <= 0xDF; }
uint32_t Ctl_CharClass(unsigned char c);

// Digits only; the empty text counts as digits.
bool Ctl_IsDigits(std::string_view s);
// s padded on the left with "0" (on the right with blanks) to width w.
// false, leaving out unchanged, when s is longer than w.
bool Ctl_PadZeroLeft(std::string_view s, int w, std::string& out);
bool Ctl_PadSpaceRight(std::string_view s, int w, std::string& out);
