// CP932 <-> QString at the glass.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

// Display form of CP932 bytes; undecodable bytes are replaced, not lost.
QString ToQ(std::string_view sjis);

// CP932 form of user text; nullopt when a character has no CP932 form.
std::optional<std::string> FromQ(const QString& text);

// Display form of a file or folder name as found on disk (UTF-8, else
// CP932, else with replacement characters: cp932::NameToUtf8). Only for
// showing: a list keeps the name's bytes beside the text it shows.
QString NameToQ(std::string_view onDisk);

// Lossless pair for widgets that edit a whole file.
QString ToQLossless(std::string_view sjis);
std::optional<std::string> FromQLossless(const QString& text);

// A QString from a UTF-8 literal in the source (captions written in code).
inline QString U8(const char* s) { return QString::fromUtf8(s); }
