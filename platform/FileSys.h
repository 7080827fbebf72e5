// File-system conventions of the programs: names compared without case (the
// files come from Windows), sorted listings, named temporary files and
// replacing a file without ever leaving it half written.
#pragma once

#include <cstdint>
#include <cstdio>
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

// The existing entry of dir named like name: the exact spelling, else the
// one entry that matches ignoring ASCII case, else, for a UTF-8 name, the
// same name in CP932 bytes as a Windows archive unpacks it (exactly, or the
// one entry matching ignoring case). Where several entries match ignoring
// case and none exactly, none is taken: dir + name as given, as when none
// exists.
std::string Resolve(std::string_view dir, std::string_view name);

// Resolve() on the last component of a full path.
std::string ResolvePath(std::string_view path);

// A path stored as CP932 text inside a settings file (ENVIRON.DAT), as it
// is on disk: each part the existing entry named like its UTF-8 form (see
// Resolve) or, failing that, the entry spelt with the stored bytes (a
// folder unpacked from a Windows archive); a part that exists in neither
// spelling takes the UTF-8 form. A relative path belongs to baseDir. A part
// is matched ignoring case only where exactly one entry matches, as
// Resolve does: a stored "Data" beside both "DATA" and "data" is missing.
std::string StoredPath(std::string_view storedCp932, std::string_view baseDir);

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

// Creates a new empty file dir + prefix + four upper-case hex digits +
// ".TMP" (O_EXCL, never through a link), locked (flock) for as long as the
// descriptor is open, so that no clean-up takes it for a left-over. Returns
// the open descriptor and fills path; -1 on failure.
int CreateTempFile(const std::string& dir, std::string_view prefix, std::string& path);

// Opens a regular file (links followed) for reading, never blocking on a
// FIFO nor opening a device: the descriptor, or -1 with errno set (EINVAL
// for a FIFO, device or socket, EISDIR for a folder).
int OpenRegular(const std::string& path);
// The same as a stream for reading ("rb"); nullptr on failure.
std::FILE* OpenRegularStream(const std::string& path);

// Reads a whole regular file; false when it cannot be opened or read, or
// is no regular file.
bool ReadFile(const std::string& path, std::string& out);

// The file a replace of path rewrites: path itself, or when path is a
// symbolic link the end of its chain (a relative link read from the folder
// of the link that holds it), so that the link stays a link. The target may
// not exist yet. 0, or the errno value of why it is refused: EISDIR for a
// folder, ELOOP for a chain without end, EACCES when an existing target may
// not be written (it has no write bit at all, which root honours too, as
// Windows honours its read-only attribute, or this process lacks write
// permission), EROFS on a read-only file system.
int ReplaceTarget(const std::string& path, std::string& target);

// Makes fd's file (the new content of target) take target's permission bits
// when target exists, and its owner and group as far as the process may
// give them (root both, others the group when a member); 0 or the errno
// value of setting the mode.
int KeepMode(int fd, const std::string& target);

// Flushes the folder's entries to disk, so that a rename in it survives a
// power cut; 0 or the errno value.
int SyncFolder(const std::string& dir);

// Writes content to a temporary file beside the replace's target (see
// ReplaceTarget), flushes it to disk and renames it over the target. A
// refused target or any failure leaves the old file as it was and returns
// the errno value; 0 on success. The new file keeps the old one's mode,
// owner and group (see KeepMode); its temporary name is short whatever the
// target's length (".rpl" + eight upper-case hex digits), it is locked
// until renamed, and the folder is synced after the rename. Temporaries of
// that name form that a replace killed before its rename left in the
// folder are removed (see RemoveWorkFile).
int ReplaceFile(const std::string& path, std::string_view content);

// Where a replace failed: a refused target or making the temporary file,
// writing and flushing it, or renaming it over the old file.
enum class ReplaceStep { Create, Write, Rename };
int ReplaceFile(const std::string& path, std::string_view content, ReplaceStep& failedStep);

// Free bytes for an unprivileged user in the folder; false when unknown.
bool FreeSpace(const std::string& dir, uint64_t& bytes);

// Deletes every regular file of the folder of mask whose name matches the
// mask's last component, read-only ones too. Links and folders stay.
void DeleteMatching(const std::string& pathMask);

// Creates path anew as the program's own work file, open for reading and
// writing and locked (flock) for as long as the descriptor is open. A
// left-over of that name is removed first when it is a plain file that may
// be written and is not in use; anything else there is refused and left as
// it is, never opened or written through: -1 with errno ELOOP for a link,
// EISDIR for a folder, EINVAL for a pipe or device, EACCES for a protected
// file (see ReplaceTarget), EBUSY for a file whose writer holds its lock.
// The descriptor, or -1 with errno set.
int CreateWorkFile(const std::string& path);

// Removes path when it is a left-over work file: that exact name, letter
// case included, a plain file that may be written, and not in use (its lock
// can be taken). Links, folders, pipes, protected files and the live work
// files of other writers stay.
void RemoveWorkFile(const std::string& path);

// Removes the left-over named temporary files of dir, prefix + four
// upper-case hex digits + ".TMP" as CreateTempFile makes them, under the
// rules of RemoveWorkFile.
void RemoveTempFiles(const std::string& dir, std::string_view prefix);

// Ends a work file of the program's own: removes path while fd still holds
// the file's lock and path still names that file, then closes fd. Once the
// lock is gone the name may already be another writer's.
void DiscardWorkFile(int fd, const std::string& path);

}  // namespace fsys
