// Speed-dial and directory files: the system speed-dial list, the personal
// and ID-card lists of their owners, and the extension directory. Texts are
// CP932 bytes as the files hold them; limits count those bytes.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kana {

// Editor modes, the values of SpeedDialMode.
enum Mode : int { kSystem = 0, kPersonal = 1, kIdCard = 2, kDirectory = 3 };

inline constexpr int kSystemEntries = 800;
inline constexpr int kMaxOwners = 999;
inline constexpr int kMaxDirRows = 999;
inline constexpr int kOwnerEntries = 20;  // numbers 80 to 99
inline constexpr int kFirstOwnerEntry = 80;
inline constexpr size_t kDialMax = 24;
inline constexpr size_t kExtensionMax = 4;
inline constexpr size_t kOwnerKeep = 12;  // key bytes an owner record holds
inline constexpr size_t kNameKeep = 16;   // name bytes an entry record holds

struct SpdEntry {
  std::string dial, name;
  bool operator==(const SpdEntry&) const = default;
};
// Entry n of the system list; the editor shows it in grid row n + 1.
using SystemList = std::array<SpdEntry, kSystemEntries>;

struct OwnerEntry {
  std::string no;  // "80" .. "99" as text; the user may have emptied it
  std::string dial, name;
  bool operator==(const OwnerEntry&) const = default;
};
struct Owner {
  std::string key;  // extension number or ID-card number
  std::array<OwnerEntry, kOwnerEntries> entries;
  bool operator==(const Owner&) const = default;
};
// A fresh owner: the key, numbers "80" to "99", empty dials and names.
Owner NewOwner(std::string key);

struct DirRow {
  std::string ext, name;
  bool operator==(const DirRow&) const = default;
};

// Limits by mode.
size_t DialLimit(int mode);   // 24, or 4 for an extension
size_t NameLimit(int mode);   // 16, 7, 7, 10
size_t KeyLimit(int mode);    // 4 personal, 12 ID card
int UsedEntries(int mode);    // 20 personal, 10 ID card

// Data file of a mode for a system type (empty when the type has none).
std::string SpeedDialFileName(int mode, int systemType);

// Readers: true when the whole content was read; false at the first line
// in error or from which nothing could be read (a control byte in it, or no
// field), with what was read before it kept and the number of that line
// (the file's own count, from 1) in badLine: 1 when no line was read before
// it, and for a file that is not empty but holds only blanks. CR LF, LF and
// CR alone end a line.
bool Spd_Read(std::string_view content, SystemList& list, int* badLine = nullptr);
bool ISpd_Read(std::string_view content, int mode, std::vector<Owner>& owners, int* badLine = nullptr);
bool Dir_Read(std::string_view content, std::vector<DirRow>& rows, int* badLine = nullptr);

// Writers: the whole file, "!" + comment first, every line ended by CR LF.
std::string Spd_Write(const SystemList& list, std::string_view comment);
std::string ISpd_Write(const std::vector<Owner>& owners, int mode, std::string_view comment);
std::string Dir_Write(const std::vector<DirRow>& rows, std::string_view comment);

// A valid dial string (an extension in the directory mode); empty is valid.
bool Spd_CheckDial(std::string_view text, int mode);
// A valid name: within the mode's limit and without "<" or ">".
bool Spd_CheckName(std::string_view text, int mode);

// Reads a list file; false when it does not exist or cannot be read.
bool Spd_Open(const std::string& path, std::string& content);
// Replaces a list file with content. 0, the open message ("9010" system,
// "9011" personal and ID card, "9012" directory) when the file cannot be
// made, or the write message ("9050" ... "9052") when writing failed. The
// old file is left as it was on any failure.
int Spd_Store(const std::string& path, std::string_view content, int mode);

}  // namespace kana
