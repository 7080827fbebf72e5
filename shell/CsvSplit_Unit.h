// Reader of CSV text files with quoted fields (the phone-book import files).
// The split rules are the system's own, not those of RFC 4180: a quoted
// field ends at the first quote followed by a comma, and a trailing comma
// adds no empty field.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

class TCsvSplit {
 public:
  TCsvSplit() = default;
  ~TCsvSplit();
  TCsvSplit(const TCsvSplit&) = delete;
  TCsvSplit& operator=(const TCsvSplit&) = delete;

  // The open file's name; empty when none is open.
  std::string FileName;

  // false when the file does not exist or cannot be read. A file that is
  // still open is closed first.
  bool Open(const std::string& name);
  // false when closing failed; FileName is then kept.
  bool Close();
  // Clears fields and splits the next line into them. At the end of the
  // file: true with no field. On a read error the file is closed and the
  // result is false.
  bool ReadLine(std::vector<std::string>& fields);
  // End of the open file reached (also true when no file is open).
  bool Eof();

  // Splits one line into fields; an empty line gives no field.
  static bool SplitLine(std::string_view line, std::vector<std::string>& fields);
  // 1-based position of search in text at or after start, at character
  // boundaries only; 0 when not found. start <= 0 searches the whole text;
  // a start on a lead byte begins after that character.
  static size_t PosFrom(long start, std::string_view text, std::string_view search);
  // Every occurrence of search replaced, left to right, not overlapping.
  static std::string ReplaceAll(std::string_view text, std::string_view search,
                                std::string_view replacement);

 private:
  FILE* file_ = nullptr;
};
