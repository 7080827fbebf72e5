#include "shell/Global_Unit.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/FileSys.h"

std::string ProgramDir;
int SystemType = 0;
std::string ControlFileName;
int OperationKind = 0;
int SpeedDialMode = 0;
int SelectionReturn = 0;
int ComListReturn = 0;
int DumpMode = 0;
std::array<std::string, 16> PartFileName;
std::string PrintProgressCaption;
std::string PrintProgressText;
std::atomic<int> CancelRequested{0};
std::string ScreenFilesDir;
std::atomic<int> EthernetMode{0};
std::atomic<int> LinkTimeOutSec{0};
std::atomic<int> LinkRetryCount{0};
uint16_t UdpOwnPort = 0;
uint16_t UdpRemotePort = 0;
std::atomic<int> LineLost{0};

int LoadKind = 0;
std::string LoadFileName;
std::string LoadFolder;
int LoadRangeOn = 0;
std::string LoadRangeFrom;
std::string LoadRangeTo;
int LoadFixErrors = 0;
std::string HandOverTempFile;
std::string SaveFolder;
std::string SaveUserName;
std::string SaveComment;
std::vector<SaveChoice> SaveChoices;
bool SavePartRow = false;
std::string SelectedCmdName;
std::array<std::string, 9> DataFileName;
std::array<char, 8> DataKindCode{};

void Global_FillDataKinds(int systemType) {
  DataFileName.fill(std::string());
  DataKindCode.fill('\0');
  if (systemType == 1) {
    DataFileName = {"SdSystem.DAT", "SdPersonal.DAT", "SdIdCard.DAT", "SdExtensions.DAT",
                    "SdWireless.DAT", "PrgSetAll.DAT", "", "", "SdKanjitell.DAT"};
    DataKindCode = {'1', '2', '5', '3', '4', '0', '\0', '\0'};
  } else {
    DataFileName = {"SdSystem.DAT", "SdPersonal.DAT", "SdExtensions.DAT", "PrgSetAll.DAT",
                    "", "", "SdWireless.DAT", "SdKanjitell.DAT", ""};
    DataKindCode = {'1', '2', '3', '0', '\0', '\0', '4', '\0'};
  }
}

int Common_ParseSystemType(const std::string& content) {
  std::string line = content.substr(0, content.find('\n'));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  // A whole-line integer, as the conversion with a default takes it: an
  // optional sign and digits, blanks around allowed, nothing else.
  size_t b = line.find_first_not_of(" \t");
  size_t e = line.find_last_not_of(" \t");
  if (b == std::string::npos) return -1;
  std::string t = line.substr(b, e - b + 1);
  size_t i = (t[0] == '+' || t[0] == '-') ? 1 : 0;
  if (i >= t.size()) return -1;
  for (size_t k = i; k < t.size(); ++k)
    if (t[k] < '0' || t[k] > '9') return -1;
  if (t.size() - i > 9) return -1;
  return std::atoi(t.c_str());
}

bool Common_ReadSystemType() {
  std::string path = fsys::Resolve(ProgramDir, "Orvo.Inf");
  FILE* f = fsys::OpenRegularStream(path);
  if (!f) return false;
  std::string content;
  char buf[4096];
  bool ok = true;
  // Only the first line matters; stop reading once it is complete.
  while (content.find('\n') == std::string::npos) {
    size_t n = std::fread(buf, 1, sizeof buf, f);
    content.append(buf, n);
    if (n < sizeof buf) {
      if (std::ferror(f)) ok = false;
      break;
    }
  }
  if (std::fclose(f) != 0) ok = false;
  if (!ok) return false;
  int v = Common_ParseSystemType(content);
  if (v < 0 || v > 2) return false;
  SystemType = v;
  return true;
}
