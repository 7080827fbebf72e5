// The shipped screen folder and sample command file: every matrix, pattern
// and key-table screen of the sample Menu.csv opens on the sample command
// file, and registering it unedited leaves the file byte for byte as it was.
#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>

#include "cmdfile/MenuTree_Unit.h"
#include "cmdfile/ScreenTbl_Unit.h"
#include "cmdfile/ui/G_P0_Unit.h"
#include "cmdfile/ui/G_P2_Unit.h"
#include "cmdfile/ui/G_P3_Unit.h"
#include "cmdfile/ui/G_P4_Unit.h"
#include "platform/FileSys.h"
#include "shell/Global_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "tests/support/TempDir.h"

namespace {

std::string SourceDir() {
  const char* d = std::getenv("ORVO_SOURCE_DIR");
  return d ? fsys::WithSlash(d) : std::string();
}

TEST(SampleScreens, EveryPageOfTheseTypesRoundTripsTheSampleSections) {
  if (SourceDir().empty()) GTEST_SKIP() << "ORVO_SOURCE_DIR is not set";
  TempDir dir;
  const std::string sample = SourceDir() + "sample/";
  std::string text;
  ASSERT_TRUE(fsys::ReadFile(sample + "data/Screens.CMD", text));
  const std::string cmd = dir.Write("data/Screens.CMD", text);
  ProgramDir = dir.path();
  ScreenFilesDir = sample + "screens/";
  dir.Write("MSGDLG.DAT", "J7015=T,M7015,1,1\r\n");
  ASSERT_EQ(ScreenTbl_Load(ScreenFilesDir + "Menu.csv"), 0);
  ASSERT_EQ(MenuTable_Load(ScreenFilesDir + "Menu.csv"), 0);
  GPage_Host().showMenu = [] {};

  std::vector<std::string> seen;
  QTimer answer;
  answer.setInterval(5);
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* c = qobject_cast<TConf_Dlg*>(QApplication::activeModalWidget());
    if (!c || !c->isVisible()) return;
    seen.push_back(c->Msg_Lbl->text().toStdString());
    c->Ok_BitBtn->click();
  });
  answer.start();

  int opened[5] = {};
  for (int i = 1; i <= MenuCount; ++i) {
    const size_t at = static_cast<size_t>(i);
    const int type = MenuTree_PageType(MenuTable[2][at]);
    if (type != 0 && type != 2 && type != 3 && type != 4) continue;
    // Leaves that name a screen; a branch line carries no key.
    if (MenuTable[3][at].empty()) continue;
    MenuIndex = i;
    bool (*init)(const std::string&, const std::string&, int) =
        type == 0 ? G_P0_Init : type == 2 ? G_P2_Init : type == 3 ? G_P3_Init : G_P4_Init;
    seen.clear();
    ASSERT_TRUE(init(cmd, MenuTable[3][at], type)) << MenuTable[3][at];
    // The open routine creates its form on first use.
    TGPage_Base* page = type == 0   ? static_cast<TGPage_Base*>(FormG_P0)
                        : type == 2 ? static_cast<TGPage_Base*>(FormG_P2)
                        : type == 3 ? static_cast<TGPage_Base*>(FormG_P3)
                                    : static_cast<TGPage_Base*>(FormG_P4);
    page->show();
    QApplication::processEvents();
    // Something of the section is on the page.
    bool any = false;
    for (int r = 0; r < page->Grid().RowCount(); ++r)
      for (int c = 1; c < page->Grid().ColCount(); ++c)
        if (r >= page->Model()->FixedRows() && page->Grid().Cell(c, r) != "/") any = true;
    EXPECT_TRUE(any) << MenuTable[3][at];
    page->Reg_BitBtn->click();
    for (int k = 0; k < 5; ++k) QApplication::processEvents();
    EXPECT_EQ(seen, std::vector<std::string>{"M7015"}) << MenuTable[3][at];
    EXPECT_EQ(dir.Read("data/Screens.CMD"), text) << MenuTable[3][at];
    page->Exit_BitBtnClick();
    ++opened[type];
  }
  EXPECT_EQ(opened[0], 1);
  EXPECT_EQ(opened[2], 1);
  EXPECT_EQ(opened[3], 2);
  EXPECT_EQ(opened[4], 1);
  answer.stop();
  GPage_Host() = GPageHost{};
  ProgramDir.clear();
  ScreenFilesDir.clear();
}

}  // namespace
