// What the data-kind selection forms read and list: the data folder and user
// from ENVIRON.DAT and USER.INF, the program-setting parts declared in the
// control file, the data, part and command files present in the folder, the
// rows of each list by operation, and the checked choice handed to the save,
// load and speed-dial forms. No widgets here; the forms only show the rows.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shell/Global_Unit.h"

// One system type's layout of the form.
struct FSel_Type {
  int systemType;
  int slotCount;                    // kind entries: 8 or 9
  int partSlot, cmdSlot;            // slots never marked present
  std::vector<int> saveSlots;       // slot per save row
  int partSaveRow;
  std::vector<std::string_view> overwriteMsg;  // by save row
  std::vector<int> loadBefore;      // load rows before the part and command-file rows
  std::vector<int> loadAfter;       // and after them
  std::vector<int> speedDialModes;  // SpeedDialMode by speed-dial row
  std::vector<int> saveDblClickRows;
  bool restoresFocus;
  const std::array<std::string_view, 9>& kindNames;
};
const FSel_Type& FSel_TypeOf(int systemType);

// The range group of a load kind: label (RangeLabel index) and edit length;
// length 0 when the kind has no range.
struct FSel_Range {
  int label = 0;
  int length = 0;
};
FSel_Range FSel_RangeOf(const FSel_Type& t, int loadKind);
// Whether a typed character passes the range edits of that length.
bool FSel_RangeKeyOk(int length, char c);

struct FSel_Entry {
  int present = 0;
  std::string name;      // CP932
  std::string comment;   // CP932, first line without "!"
  std::string date;      // "yyyy-mm-dd"
  std::string time;      // "hh:nn:ss"
  std::string fileName;  // as found on disk (UTF-8), else as named
};

struct FSel_CmdFile {
  std::string fileName;  // the bytes on disk, with its extension (UTF-8 or CP932)
  std::string date, time;
};

constexpr int FSel_MaxParts = 15;
constexpr int FSel_MaxCmdFiles = 101;

// The state of one selection form (each system type's form has its own).
struct FSel_Data {
  explicit FSel_Data(int systemType) : type(&FSel_TypeOf(systemType)) {}
  const FSel_Type* type;
  std::string dataFolder;  // SelDataFolder: absolute, ending in "/"
  std::string userName;    // SelUserName, CP932
  std::vector<FSel_Entry> kinds;
  std::vector<FSel_Entry> parts;  // PartCount = parts.size()
  int partPresentCount = 0;
  std::vector<FSel_CmdFile> cmdFiles;
};

// ENVIRON.DAT of ProgramDir: ControlFileName, the data folder (ProgramDir
// when it does not exist) and the user name. 0, 9006 or 9026.
int Environ_Read(FSel_Data& d);
// First line of USER.INF in the data folder; empty when it cannot be read.
void UserInf_Read(FSel_Data& d);
// The "@" part lines of the control file into d.parts and PartFileName.
// 0, 9001, 9021 or 9061.
int PartList_Read(FSel_Data& d);
// The part lines of a control file's bytes (the rules of PartList_Read).
void PartList_Parse(std::string_view content, FSel_Data& d);
// The comment of a data file's first line; false when it cannot be read.
bool Comment_Read(const std::string& path, std::string& comment);
// Modification date and time, "yyyy-mm-dd" and "hh:nn:ss".
void FileDate_Get(const std::string& path, std::string& date, std::string& time);
// The refresh steps, each 0 or 9077.
int DataFile_Scan(FSel_Data& d, int operation);
int PartFile_Scan(FSel_Data& d, int operation);
int CmdFile_Scan(FSel_Data& d);
// FSel_Init's reading without the form: 0 or the message number.
int FSel_Read(FSel_Data& d, int operation);

// One row of a list: its CP932 text (tab-separated columns) and what it
// stands for.
struct FSel_Row {
  std::string text;
  int kind = -1;   // kind list: slot (load: the row kind); part/command lists: index
};
struct FSel_Lists {
  std::vector<FSel_Row> kindRows, partRows, cmdRows;
};
FSel_Lists FSel_BuildRows(const FSel_Data& d, int operation);
// A command-file row's first column.
std::string FSel_CmdFileTitle(std::string_view fileNameOnDisk);

// 0, or 9514 when the range is not usable: both bounds blank after trimming,
// or both filled and from greater than to, byte by byte.
int FSel_RangeCheck(std::string_view from, std::string_view to);
// "1,234,567 bytes"; "0 bytes" when the free space is unknown.
std::string FSel_FreeSpaceText(bool known, uint64_t bytes);
std::string FSel_FreeSpaceText(const std::string& folder);

// Save mode: the items of a kind row in save order (selected: part rows
// chosen), and whether one of them already exists.
std::vector<SaveChoice> FSel_SaveItems(const FSel_Data& d, int row, const std::vector<int>& selectedParts,
                                       bool& anyPresent);

// Load mode: the file of a load row kind; sub is the part or command-file
// row. Empty when there is none.
std::string FSel_LoadFile(const FSel_Data& d, int kind, int sub);
