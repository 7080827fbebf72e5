// The record formats of the setting screens of types 5 (records), 6 (one
// record per group) and 7 (a field list): the screen's section of
// Format.Dat, how a section's entries land in the slots of the fields, and
// how the slots are written back. One reader and one builder serve the
// types; the forms only move slots between the grid and these rules.
//
// Slots are numbered from 0 over all fields in Format.Dat order (field k
// starts after the slots of fields 0 .. k-1). Type 5 shows slot s in
// column s + 1 (column 0 numbers the records), type 6 in column s (slot 0,
// the group number, is the row label), type 7 in row s.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cmdfile/GPage.h"

constexpr int kRecordPage = 5, kGroupPage = 6, kFieldPage = 7;

// The highest number a field of several slots may carry: its entries are
// built in a cell array up to its last index.
constexpr int kFormatMaxIndex = 9999;

struct FormatField {
  std::string name;
  int slotCount = 1;
  std::string rule;  // the check rule, as the value check takes it
  bool operator==(const FormatField&) const = default;
};

struct RecordFormat {
  std::string heading;  // the section's heading line (types 5, 6)
  std::vector<FormatField> fields;
  int SlotCount() const;
  // The first slot of every field.
  std::vector<int> FirstSlots() const;
};

// The record format from the screen's Format.Dat section list (header at 0,
// then the sub-header line when subHeader is not empty, wherever it
// stands). Types 5 and 6 take the first line after the header as the
// heading, type 7 has none. A field line is name "=" slot texts joined by
// ">" ";" rule; empty lines are passed over and a line without "=", or
// without ";" after it, ends the fields. 0, or 9314 when the list has three
// lines or fewer, no field was read, or a field could not be written and
// read back: a first field of several slots (types 5, 6), a field of
// several slots without its number (types 5, 7: prefix "-" number; type 6:
// a number), a name with "-" but no number after it (types 5, 7), a number
// above kFormatMaxIndex, two fields of one prefix whose indexes overlap, a
// name given twice or holding ";", or any field of several slots on type 7.
int GFormat_Read(const std::vector<std::string>& list, std::string_view subHeader, int pageType,
                 RecordFormat& out);

// 0, or 9311 when the slots do not fill the page's places: count is the
// value columns (type 5: columns - 1), the columns (type 6) or the rows
// (type 7).
int GFormat_CheckPlaces(const RecordFormat& f, int count);

// The column headings of types 5 and 6: field 3 of every screen-definition
// line (the split fields of the lines after the four heading lines) that
// has four fields or more and a non-empty field 2 or 3, in file order.
std::vector<std::string> GFormat_Headings(const std::vector<std::vector<std::string>>& defLines);

// The entry lines of a section split into records: a record begins with a
// line that starts with key "=" (key: the first field's name); the first
// line begins the first record whatever it holds.
std::vector<std::vector<std::string>> GFormat_Records(const std::vector<std::string>& entries,
                                                     std::string_view key);

// The slots of one record ("/" where no entry sets one). An entry whose
// name carries an index (types 5, 7: a "-" in the name, the index after its
// last "-"; type 6: a name that is a number) spreads its value's pieces
// (split at ">") over consecutive indexes; each piece goes to the slot of
// the field with the same prefix (type 6: a number for a name) whose range
// of indexes holds it, and is dropped when none does. Any other entry gives
// the field of that name its value whole.
std::vector<std::string> GFormat_ReadRecord(const RecordFormat& f, int pageType,
                                            const std::vector<std::string>& lines);

// ------------------------------------------------------------ displays

// Type 5: the slots of every record in section order; one row of "/" when
// the section holds none.
std::vector<std::vector<std::string>> GRecord_Rows(const RecordFormat& f, const std::vector<std::string>& entries);
// Type 6: groups rows, row g - 1 for group g (slot 0 holding the record's
// group text). A record whose slot 0 is no number or not 1 .. groups is
// dropped; a later record of a group wins.
std::vector<std::vector<std::string>> GGroup_Rows(const RecordFormat& f, const std::vector<std::string>& entries,
                                                  int groups);
// Type 7: the slots of the last record (every slot "/" when none).
std::vector<std::string> GField_Values(const RecordFormat& f, const std::vector<std::string>& entries);

// ------------------------------------------------------------ building

// Checks a value against a check rule: 0, or the message to show.
using FormatCheck = std::function<int(std::string_view value, std::string_view rule)>;

// Where a build stopped: the row (index into the rows given; type 7: 0),
// the slot, and the message to show.
struct FormatFail {
  int row = 0, slot = 0, message = 0;
};

// The check of one value of field k: check with the field's rule, then
// 9508 for a value holding ";" or "!" (they would cut the entry or the
// line), or ">" in a field whose entries carry an index (it would shift the
// slots after it). "/" passes.
int GFormat_CheckValue(const RecordFormat& f, int pageType, size_t k, const std::string& value,
                       const FormatCheck& check);

// Type 5: appends the entry lines of every row whose slot 0 is not "/".
// Entries of fields of one slot share a line while the names' first three
// characters agree and the line is shorter than 70; a field of several
// slots writes runs of values as its prefix, the index (as wide as the
// field's number) "=", the values joined by ">" ";" (cut at 70 characters)
// and ends the line. false at the first value that fails.
bool GRecord_Build(const RecordFormat& f, const std::vector<std::vector<std::string>>& rows,
                   const FormatCheck& check, std::vector<std::string>& list, FormatFail& fail);

// Type 6: appends, for every group row (row g - 1, group g) with a value in
// slot 1 or later, the group line (the first field's name "=" g
// zero-padded to the number in its rule ";") and the entry lines as on
// type 5, numbered fields writing their runs without a prefix, the index as
// wide as the field's name. written gets the groups built, ascending.
bool GGroup_Build(const RecordFormat& f, const std::vector<std::vector<std::string>>& rows,
                  const FormatCheck& check, std::vector<std::string>& list, std::vector<int>& written,
                  FormatFail& fail);

// The form of a group number in the group list that a Load puts ahead.
inline constexpr const char* kGroupListNumber = "%03d";
// The group list: "/" heading "/", then "GRP=" number ";" for each group;
// nothing when the heading is empty or no group is given.
std::vector<std::string> GGroup_ListBlock(std::string_view heading, const std::vector<int>& groups);

// Type 7: appends the entries of every slot that is not "/", several to a
// line while the names' first two characters agree and the line is at most
// 69 characters; the last line is appended even when empty.
bool GField_Build(const RecordFormat& f, const std::vector<std::string>& values, const FormatCheck& check,
                  std::vector<std::string>& list, FormatFail& fail);

// The zero-padding width of the group number: the number after the first
// field's "=" in its rule, 0 without one.
int GGroup_Width(const RecordFormat& f);

// ------------------------------------------------------------ the grid

// Type 5: slot rows from grid rows 1 .. (columns 1 ..), and back: the row
// count follows the rows (at least one), column 0 numbered "%4d".
std::vector<std::vector<std::string>> GRecord_GridRows(const PageGrid& g);
void GRecord_Show(const std::vector<std::vector<std::string>>& rows, PageGrid& g);
// Column 0 of every record row written again with "%4d".
void GRecord_Number(PageGrid& g);
// A new record of "/" right below row bottom; the rows after it move down.
// Returns the new row.
int GRecord_InsertRow(PageGrid& g, int bottom);
// Removes rows top .. bottom; one "/" record stays when they were all.
// Returns the cursor row (top, or the last row when top is gone).
int GRecord_DeleteRows(PageGrid& g, int top, int bottom);

// Type 6: slot rows from the group rows (slot 0 the group number), and
// back (labels "%3d").
std::vector<std::vector<std::string>> GGroup_GridRows(const PageGrid& g);
void GGroup_Show(const std::vector<std::vector<std::string>>& rows, PageGrid& g);

// Where a failed check puts the grid of types 5 and 6: the cursor on the
// cell, the first visible column that column but at most cols - 4 (1 with
// 4 columns or fewer), the top row that row but at most rows - 18 (rows -
// 19 with 4 columns or fewer; 1 when rows <= 18), neither below 1.
struct FormatView {
  int col = 1, row = 1, left = 1, top = 1;
  bool operator==(const FormatView&) const = default;
};
FormatView GRecord_ViewFor(int col, int row, int cols, int rows);
