// Shared state of ORVO that every subsystem reads. Plain C++ so that the
// worker threads and the engines can use it without the forms.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// Folder of the program file, always ending in "/".
extern std::string ProgramDir;
// 0 or 1 after start-up; chooses the data-kind table and the selection form.
extern int SystemType;
// Path of the control file (ENVIRON.DAT field 0).
extern std::string ControlFileName;
// 0 save, 1 load, 2 speed-dial registration.
extern int OperationKind;
// 0 system speed dial, 1 personal, 2 ID card, 3 extension directory.
extern int SpeedDialMode;
extern int SelectionReturn;
extern int ComListReturn;
extern int DumpMode;
extern std::array<std::string, 16> PartFileName;
extern std::string PrintProgressCaption;
extern std::string PrintProgressText;
// Set by the Cancel button of the confirmation dialog; polled by printing loops.
extern std::atomic<int> CancelRequested;
extern std::string ScreenFilesDir;
// 1 while the connection runs over UDP.
extern std::atomic<int> EthernetMode;
extern std::atomic<int> LinkTimeOutSec;
extern std::atomic<int> LinkRetryCount;
extern uint16_t UdpOwnPort;
extern uint16_t UdpRemotePort;
// 1 after a link operation was ended by the exchange's disconnect notice.
extern std::atomic<int> LineLost;

// Hand-over to the load form, set by the data-kind selection form or by a
// setting screen before the load form is shown. Names are the file names as
// found on disk; texts typed by the user stay CP932.
extern int LoadKind;
extern std::string LoadFileName;    // file name inside LoadFolder
extern std::string LoadFolder;      // the chooser's data folder, ending in "/"
extern int LoadRangeOn;
extern std::string LoadRangeFrom;   // CP932, either bound may be empty
extern std::string LoadRangeTo;
extern int LoadFixErrors;
// Temporary command file that a setting screen hands to the load form.
extern std::string HandOverTempFile;

// Hand-over to the save form: where to write, what to ask the exchange for.
struct SaveChoice {
  std::string fileName;  // data file name, without folder
  char code = 0;         // request code sent to the exchange
  std::string name;      // CP932 name shown on the save form
};
extern std::string SaveFolder;      // ending in "/"
extern std::string SaveUserName;    // CP932
extern std::string SaveComment;     // CP932, typed at prompt "1401"
extern std::vector<SaveChoice> SaveChoices;
// The program-setting row was chosen (its parts are SaveChoices, maybe none).
extern bool SavePartRow;

// Command file chosen in the command-file list (file name as found).
extern std::string SelectedCmdName;

// Data-kind table: file name per slot, and the save request code ('\0' = none).
extern std::array<std::string, 9> DataFileName;
extern std::array<char, 8> DataKindCode;

// Fills DataFileName and DataKindCode for a system type (0 or 1).
void Global_FillDataKinds(int systemType);

// Reads "Orvo.Inf" in ProgramDir into SystemType; false on any failure, in
// which case SystemType keeps its value.
bool Common_ReadSystemType();

// The reading rule of Orvo.Inf on its own: the first line as an integer
// (text that is not a number gives -1).
int Common_ParseSystemType(const std::string& content);
