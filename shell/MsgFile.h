// Numbered message and prompt files (MSGDLG.DAT, INPDLG.DAT and the files of
// the companion programs): one line per number, keyed "J" + four digits.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits what follows the first "=" of a line into n fields by the files'
// own rule: each field but the last runs to the next ","; when no "," is
// left, that field is empty and the rest waits for the next field.
std::vector<std::string> MsgFile_Split(std::string_view line, int n);

// Reads a flag field as an integer from its start (blanks, sign, decimal,
// "$" or "0x" hexadecimal); an empty or non-numeric field is 0.
int MsgFile_ReadFlag(std::string_view field);

// Looks up "J" + number in the file at path. true with n fields when a line
// matched; false when the file is missing, unreadable or has no such line.
bool MsgFile_Lookup(const std::string& path, std::string_view number, int n,
                    std::vector<std::string>& fields);

// Every "$(CR)" of the text becomes CR LF.
std::string MsgDlg_ExpandCR(std::string_view text);

// What a message dialog shows for one number.
struct MsgDlgContent {
  std::string caption;
  std::string text;  // line breaks expanded
  bool ok = false;
  bool cancel = false;
};

// Loads a message from a message file; when it cannot be read the fallback
// text "Can not read messagefile" with OK (and Cancel when fallbackCancel).
MsgDlgContent MsgDlg_Load(const std::string& path, std::string_view number, bool fallbackCancel);

// What an input prompt shows (INPDLG.DAT).
struct InpDlgContent {
  std::string caption;
  std::string text;
  std::string label;
  int maxLength = 0;            // bytes, 0 = no limit
  std::string passwordChar;     // first character of its field, or empty
  std::string forbiddenChars;
  bool ok = false;
  bool cancel = false;
};

InpDlgContent InpDlg_Load(const std::string& path, std::string_view number);
