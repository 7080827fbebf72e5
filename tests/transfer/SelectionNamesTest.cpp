// The selection lists on names unpacked from an archive made on Windows:
// a command file and a part file whose names are CP932 bytes are listed
// with their names (as CP932 text, never "?") and loaded under their bytes.
#include <gtest/gtest.h>

#include "platform/FileSys.h"
#include "shell/Global_Unit.h"
#include "tests/support/TempDir.h"
#include "transfer/FSel_Data.h"
#include "transfer/LErr_Data.h"

namespace {

const std::string kTesuto = "\x83\x65\x83\x58\x83\x67";  // "テスト" in CP932

std::string FirstColumn(const std::string& row) { return row.substr(0, row.find('\t')); }

}  // namespace

TEST(SelectionNames, CommandAndPartFilesNamedInCp932AreListedAndLoadedByTheirBytes) {
  TempDir dir;
  dir.Write(kTesuto + ".CMD", "!\r\n");
  dir.Write("Plain.cmd", "!\r\n");
  dir.Write(Sjis("トランク") + ".DAT", "!trunks\r\n");
  Global_FillDataKinds(0);
  FSel_Data d(0);
  d.dataFolder = dir.path();
  PartList_Parse(Sjis("@幹線;トランク\r\n"), d);
  ASSERT_EQ(d.parts.size(), 1u);
  ASSERT_EQ(PartFile_Scan(d, 1), 0);
  ASSERT_EQ(CmdFile_Scan(d), 0);
  EXPECT_EQ(d.parts[0].present, 1) << "found under its CP932 bytes";

  FSel_Lists l = FSel_BuildRows(d, 1);
  ASSERT_EQ(l.cmdRows.size(), 2u);
  EXPECT_EQ(FirstColumn(l.cmdRows[0].text), "Plain");
  EXPECT_EQ(FirstColumn(l.cmdRows[1].text), kTesuto);
  const FSel_Type& t = FSel_TypeOf(0);
  EXPECT_EQ(FSel_LoadFile(d, t.cmdSlot, 1), kTesuto + ".CMD");
  EXPECT_EQ(FSel_LoadFile(d, t.partSlot, 0), Sjis("トランク") + ".DAT");
  std::string content;
  EXPECT_TRUE(fsys::ReadFile(dir.path() + FSel_LoadFile(d, t.cmdSlot, 1), content));

  // The dump list's stem: a CP932 name as it is, a UTF-8 one converted.
  EXPECT_EQ(lerr::DumpStem(kTesuto + ".DMP"), kTesuto);
  EXPECT_EQ(lerr::DumpStem("テスト.DMP"), kTesuto);
}
