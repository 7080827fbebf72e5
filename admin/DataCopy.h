// The administrator data set (MODEM.INF and the help texts of ORVO's
// screens) copied from one folder to another, with the checks and questions
// that come before it. Nothing is ever copied onto itself, and a file that
// fails to copy leaves the target's old one whole.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The files of the set, in copy order.
extern const std::array<const char*, 14> kAdminDataSet;

// Asks a numbered question; 1 OK (go on), 2 Cancel.
using DataCopyAsk = std::function<int(std::string_view number)>;

struct DataCopyFile {
  std::string from;  // the source's file
  std::string to;    // the target's entry of that name, found without case
};

// Source and target are the same existing folder: the same spelling, or
// two spellings of one folder (links, "..", trailing "/"). Folders whose
// names differ only in case are different folders here.
bool DataCopy_SameFolder(const std::string& source, const std::string& target);

// Checks the two folders and asks before overwriting: "7005" when MODEM.INF
// is in the target, "7004" once at the first help file already there.
// Returns 0 with files filled when the copy may start, -1 when a question
// was cancelled, else the message to show: 404 the same folder, 401 no
// source folder, 402 no target folder (an empty field names no folder).
// Only files present in the source count; nothing is written.
int DataCopy_Prepare(const std::string& source, const std::string& target, const DataCopyAsk& ask,
                     std::vector<DataCopyFile>& files);

// Copies the files in order, each through a temporary file renamed over the
// target's entry. 0 when all were copied; 403 at the first failure (the
// files before it stay copied, the failed one's target is unchanged).
int DataCopy_Copy(const std::vector<DataCopyFile>& files);
