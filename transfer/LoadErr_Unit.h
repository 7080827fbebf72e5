// The files a load writes beside the loaded file: the retry file of the
// first pass (LOADERR.TMP, 13 lines a record) and the error lists
// (CONTROL.ERR, OTHER.ERR, 2 lines a record), all CP932 with CR LF.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

struct Ctl_MenuRec;

namespace loaderr {

// code left-padded with "0" to six characters (longer codes stay whole).
std::string PadCode(std::string_view code);
// "行番号：N,エラー番号：CCCCCC" CR LF, then the line and CR LF.
std::string ErrRecord(int lineNo, std::string_view code, std::string_view line);
// Line number, "/" menu "/" and the ten required values (eleven empty
// lines without a menu), then the line; each ended by CR LF.
std::string RetryRecord(int lineNo, const Ctl_MenuRec* menu, const std::array<std::string, 10>& required,
                        std::string_view line);

// The lines of a file's bytes, ended by CR LF, LF or CR; a last line
// without its end counts.
class Lines {
 public:
  explicit Lines(std::string content) : text_(std::move(content)) {}
  bool Next(std::string& line);
  bool AtEnd() const { return pos_ >= text_.size(); }

 private:
  std::string text_;
  size_t pos_ = 0;
};

// One record of the retry file as the second pass reads it back.
struct RetryRecordIn {
  int lineNo = 0;
  std::string menuLine;  // empty: no menu was current
  std::array<std::string, 10> required;
  std::string text;
};
// 1 with a record, 0 at the end of the file, 100 when the record is broken
// (a first line that is no number, or the file ends inside the record).
int ReadRetry(Lines& in, RetryRecordIn& out);

// The output file of one pass, written under its own name. An error list
// is created anew when its pass begins and every record is on disk before
// the next line is sent, so that a load that ends abnormally leaves what it
// found and never an earlier load's list; the retry file lives only for the
// load and is removed at its end.
class OutFile {
 public:
  OutFile() = default;
  ~OutFile();
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;

  bool OpenList(const std::string& path);
  // The retry file, created anew as the load's own work file.
  bool OpenWork(const std::string& path);
  // Removes the retry file while it is still open (see
  // fsys::DiscardWorkFile) and closes it; a list is closed only.
  void Discard();
  // Appends one record; 0 or 100.
  int Write(std::string_view bytes);
  // 0 or 100 when the file could not be closed.
  int Close();
  bool IsOpen() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
  bool list_ = false;
  std::string path_;
};

}  // namespace loaderr
