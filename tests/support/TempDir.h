// A fresh folder under the temporary folder, removed with everything in it.
#pragma once

#include <string>
#include <string_view>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, ending in "/".
  const std::string& path() const { return path_; }
  // Writes a file below the folder (folders on the way are made).
  std::string Write(std::string_view name, std::string_view content) const;
  std::string Read(std::string_view name) const;
  bool Exists(std::string_view name) const;

 private:
  std::string path_;
};

// A UTF-8 literal as CP932 bytes (test data is written readable).
std::string Sjis(std::string_view utf8);
// Lines joined with CR LF, each line converted to CP932.
std::string SjisLines(std::initializer_list<std::string_view> lines);
