// File-system conventions of the programs: names compared without case (the
// files come from Windows), sorted listings, named temporary files and
// replacing a file without ever leaving it half written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fsys {

// Folder of the running executable, ending in "/".
std::string ExeDir();

// dir with a trailing "/" (unchanged when it has one or is empty).
std::string WithSlash(std::string_view dir);

// Splits "a/b/c.txt" into "a/b/" and "c.txt".
void SplitPath(std::string_view path, std::string& dir, std::string& name);

// ASCII-only case folding, as Windows does for these names.
bool EqualNoCase(std::string_view a, std::string_view b);
bool LessNoCase(std::string_view a, std::string_view b);

// Windows-style mask ("*" any run, "?" one byte) matched without case.
bool MaskMatch(std::string_view mask, std::string_view name);

// The existing entry of dir named like name (exact spelling first, then
// ignoring ASCII case); when none exists, dir + name as given.
std::string Resolve(std::string_view dir, std::string_view name);

// Resolve() on the last component of a full path.
std::string ResolvePath(std::string_view path);

bool FileExists(const std::string& path);   // regular file (links followed)
bool DirExists(const std::string& path);

struct DirEntry {
  std::string name;
  bool isDir = false;
  bool isLink = false;
  int64_t size = 0;
  int64_t mtime = 0;  // seconds since the epoch
};

// Entries of dir matching mask, sorted by name ignoring case. "." and ".."
// are left out. false when the folder cannot be read.
bool ListDir(const std::string& dir, std::string_view mask, std::vector<DirEntry>& out);

// Creates a new empty file dir + prefix + hex digits + ".TMP" (O_EXCL).
// Returns the open descriptor and fills path; -1 on failure.
int CreateTempFile(const std::string& dir, std::string_view prefix, std::string& path);

// Reads a whole file; false when it cannot be opened or read.
bool ReadFile(const std::string& path, std::string& out);

// Writes content to a temporary file in the folder of path, flushes it to
// disk and renames it over path. On any failure the old file is left as it
// was and the errno value is returned; 0 on success.
int ReplaceFile(const std::string& path, std::string_view content);

// Where a replace failed: making the temporary file, writing and flushing
// it, or renaming it over the old file.
enum class ReplaceStep { Create, Write, Rename };
int ReplaceFile(const std::string& path, std::string_view content, ReplaceStep& failedStep);

// Free bytes for an unprivileged user in the folder; false when unknown.
bool FreeSpace(const std::string& dir, uint64_t& bytes);

// Deletes every regular file of the folder of mask whose name matches the
// mask's last component, read-only ones too. Links and folders stay.
void DeleteMatching(const std::string& pathMask);

}  // namespace fsys
