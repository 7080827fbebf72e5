#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Cp932.h"
#include "platform/FileSys.h"
#include "shell/HelpText.h"

namespace {

std::string SampleDir() {
  const char* src = std::getenv("ORVO_SOURCE_DIR");
  return src ? std::string(src) + "/sample/" : std::string("sample/");
}

const char* const kHelpFiles[] = {
    "Telephone.Hlp", "Dump.Hlp",       "LoadError.Hlp",    "Save.Hlp",       "Load.Hlp",
    "SDFS.Hlp",      "SDSystem.Hlp",   "SDPersonal.Hlp",   "SDIDCard.Hlp",   "SDExtensions.Hlp",
    "Command.Hlp",   "CommandFS.Hlp",  "Environment.Hlp",  "Connect.Hlp",
};

TEST(HelpFiles, EveryHelpFileIsCp932WithCrLf) {
  for (const char* name : kHelpFiles) {
    SCOPED_TRACE(name);
    std::string content;
    ASSERT_TRUE(fsys::ReadFile(SampleDir() + name, content));
    ASSERT_GT(content.size(), 100u);
    // Every character decodes: nothing would show as a replacement mark.
    EXPECT_EQ(cp932::ToUtf8(content).find("\xEF\xBF\xBD"), std::string::npos);
    size_t bad = std::string::npos;
    for (size_t i = 0; i < content.size() && bad == std::string::npos; ++i) {
      bool lfAlone = content[i] == '\n' && (i == 0 || content[i - 1] != '\r');
      bool crAlone = content[i] == '\r' && (i + 1 == content.size() || content[i + 1] != '\n');
      if (lfAlone || crAlone) bad = i;
    }
    EXPECT_EQ(bad, std::string::npos) << "line break not CR LF";
    EXPECT_EQ(content.substr(content.size() - 2), "\r\n");
  }
}

TEST(HelpFiles, CommandHelpHasASectionForEveryMenuOfTheControlFile) {
  std::string content;
  ASSERT_TRUE(fsys::ReadFile(SampleDir() + "Command.Hlp", content));
  std::vector<std::string> lines = HelpText_Lines(content);
  std::vector<std::string> menus{"M01", "M10", "M13", "M20", "M30", "M40", "M50", "M61"};
  // The control file shipped beside it names the menus the editor offers.
  std::string ctl;
  if (fsys::ReadFile(fsys::Resolve(SampleDir(), "CONTROL.DAT"), ctl)) {
    for (const auto& l : HelpText_Lines(ctl)) {
      if (l.size() < 4 || l.compare(0, 2, "/M") != 0) continue;
      size_t end = l.find('/', 1);
      if (end != std::string::npos) menus.push_back(l.substr(1, end - 1));
    }
  }
  for (const auto& m : menus) {
    int i = HelpText_FindSection(lines, "/" + m + "/");
    EXPECT_GT(i, 0) << m;
  }
  // The general part comes first: the top of the file is no section.
  EXPECT_NE(lines[0].rfind("/", 0), 0u);
}

}  // namespace
