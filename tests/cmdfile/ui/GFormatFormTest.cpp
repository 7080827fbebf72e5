// The record, group and field-list pages under offscreen Qt, opened from a
// Format.Dat, screen definitions and a command file as the menu tree opens
// them: what they show, the exact command file and temporary file they
// write, row insert and delete, and every refusal that keeps a page shut.
#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "cmdfile/ScreenTbl_Unit.h"
#include "cmdfile/ui/G_P5_Unit.h"
#include "cmdfile/ui/G_P6_Unit.h"
#include "cmdfile/ui/G_P7_Unit.h"
#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "tests/cmdfile/ui/GridShown.h"
#include "tests/support/TempDir.h"
#include "transfer/Control_Unit.h"

namespace {

using Lines = std::vector<std::string>;

const char* const kCmd =
    "!title\r\n/F07/\r\nABC1=1;ABD2=2;\r\nXYZ=3;\r\nABC1=7;\r\n/G06/\r\nN=002;\r\nA=x;\r\n1=5;\r\nN=009;\r\nA=y;\r\n"
    "/R05/\r\nNO=1;\r\nNAME=ABC;\r\nTEL-1=1>2;\r\nNO=2;NAME=DEF;TEL-3=9;\r\n/Z99/\r\n0001=1;\r\n";

class FormatPages : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgramDir = dir.path();
    ScreenFilesDir = dir.path() + "screens/";
    std::string msgs;
    for (const char* n : {"5701", "7015", "7501", "7804", "9055", "9304", "9305", "9308", "9311", "9312", "9314",
                          "9507", "9508", "9804", "9806"})
      msgs += std::string("J") + n + "=T,M" + n + ",1,1\r\n";
    dir.Write("MSGDLG.DAT", msgs);
    dir.Write("screens/Menu.csv",
              SjisLines({"caption,level,type,key,o,n,m,help,header,sub", "Rec,1,5,REC5,V,0,0,h,/R05/",
                         "Grp,1,6,GRP6,V,3,0,h,/G06/", "Grp0,1,6,GRP0,V,0,0,h,/G06/",
                         "GrpK,1,6,GRPK,V,1000,0,h,/G06/", "Fld,1,7,FLD7,V,0,0,h,/F07/",
                         "Bad7,1,7,BAD7,V,0,0,h,/BAD7/", "One,1,5,ONE5,V,0,0,h,/ONE/",
                         "Mis,1,5,MIS5,V,0,0,h,/R05/", "None,1,5,NONE5,V,0,0,h,/NONE/",
                         "GrpL,1,6,GRPL,V,60,0,h,/G06/"}));
    ASSERT_EQ(ScreenTbl_Load(ScreenFilesDir + "Menu.csv"), 0);
    dir.Write("screens/FORMAT.DAT",
              SjisLines({"!record formats", "/R05/", "RECORD", "NO=1;N=3", "NAME=A;c=20", "TEL-1=A>B>C;R1=8", "/G06/",
                         "GL", "N=1;N=3", "A=x;c=8", "1=a>b>c;c=8", "/F07/", "ABC1=1;c=3", "ABD2=1;c=3", "XYZ=1;c=3",
                         "/BAD7/", "FS-1=a>b;c=1", "A=1;c=1", "B=1;c=1", "/ONE/", "HEAD", "NO=1;N=3"}));
    const Lines head{"h1", "h2", "h3", "h4"};
    Def("REC5", {"1,x,NAME,名前", "2,x,TEL1,電話１", "3,x,TEL2,電話２", "4,x,TEL3,電話３"});
    Def("MIS5", {"1,x,NAME,名前", "2,x,TEL1,電話１", "3,x,TEL2,電話２"});
    Def("ONE5", {"1,x,NAME,名前"});
    Def("GRP6", {"1,x,A,Ａ", "2,x,V1,値１", "3,x,V2,値２", "4,x,V3,値３"});
    Def("GRP0", {"1,x,A,Ａ"});
    Def("GRPL", {"1,x,A,Ａ", "2,x,V1,値１", "3,x,V2,値２", "4,x,V3,値３"});
    Def("GRPK", {"1,x,A,Ａ", "2,x,V1,値１", "3,x,V2,値２", "4,x,V3,値３"});
    Def("FLD7", {"1,1,第一", "2,1,第二", "3,1,第三"});
    Def("BAD7", {"1,1,a", "2,1,b", "3,1,c"});
    cmd = dir.Write("data/T.CMD", kCmd);
    GPage_Host().menuPath = [] { return Sjis("設定－レコード"); };
    GPage_Host().showLoad = [this](const GPageHandOver& h, QPoint) {
      handed.push_back(h);
      std::string content;
      fsys::ReadFile(h.tempPath, content);
      loaded.push_back(content);
    };
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [this] { Answer(); });
    answer.start();
  }
  void TearDown() override {
    answer.stop();
    for (TGPage_Base* p : std::initializer_list<TGPage_Base*>{FormG_P5, FormG_P6, FormG_P7})
      if (p) p->hide();
    GPage_Host() = GPageHost{};
    ProgramDir.clear();
    ScreenFilesDir.clear();
    HandOverTempFile.clear();
  }
  void Def(const std::string& key, std::initializer_list<std::string_view> lines) {
    Lines all{"h1", "h2", "h3", "h4"};
    for (std::string_view l : lines) all.emplace_back(l);
    std::string text;
    for (const auto& l : all) text += Sjis(l) + "\r\n";
    dir.Write("screens/" + key + ".CSV", text);
  }
  void Answer() {
    auto* c = qobject_cast<TConf_Dlg*>(QApplication::activeModalWidget());
    if (!c || !c->isVisible()) return;
    seen.push_back(c->Msg_Lbl->text().toStdString());
    c->Ok_BitBtn->click();
  }
  template <class P>
  void Show(P& p) {
    p.move(10, 30);
    p.show();
    QApplication::processEvents();
  }
  static void Type(TGPage_Base& p, int col, int row, const std::string& v) {
    const int fr = p.Model()->FixedRows(), fc = p.Model()->FixedCols();
    ASSERT_TRUE(p.Model()->setData(p.Model()->index(row - fr, col - fc), ToQ(v), Qt::EditRole));
  }
  static void Flush() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  }
  std::string Cmd() const { return dir.Read("data/T.CMD"); }
  std::vector<std::string> Temps() const {
    std::vector<fsys::DirEntry> e;
    fsys::ListDir(dir.path(), "*.TMP", e);
    std::vector<std::string> names;
    for (const auto& x : e) names.push_back(x.name);
    return names;
  }

  TempDir dir;
  std::string cmd;
  QTimer answer;
  Lines seen, loaded;
  std::vector<GPageHandOver> handed;
};

TEST_F(FormatPages, RecordPageShowsEditsAndStoresItsRecords) {
  ASSERT_TRUE(G_P5_Init(cmd, "REC5"));
  TFormG_P5& p = *FormG_P5;
  Show(p);
  EXPECT_EQ(FromQ(p.windowTitle()).value(), Sjis("設定－レコード"));
  EXPECT_EQ(p.lblCommandFile->text().toStdString(), "T");
  ASSERT_EQ(p.Grid().ColCount(), 6);
  ASSERT_EQ(p.Grid().RowCount(), 3);
  EXPECT_EQ(p.Grid().Cell(0, 0), "NO");
  EXPECT_EQ(p.Grid().Cell(1, 0), "RECORD");
  EXPECT_EQ(p.Grid().Cell(5, 0), Sjis("電話３"));
  const Lines row1{"   1", "1", "ABC", "1", "2", "/"}, row2{"   2", "2", "DEF", "/", "/", "9"};
  for (int c = 0; c < 6; ++c) {
    EXPECT_EQ(p.Grid().Cell(c, 1), row1[static_cast<size_t>(c)]) << c;
    EXPECT_EQ(p.Grid().Cell(c, 2), row2[static_cast<size_t>(c)]) << c;
  }
  EXPECT_EQ(p.Stg1->verticalHeader()->width(), 28);
  EXPECT_EQ(p.Stg1->columnWidth(0), 123);
  EXPECT_EQ(p.Stg1->currentIndex(), p.Model()->index(0, 0));  // column 1, row 1
  EXPECT_FALSE(p.Lin_Del_BitBtn->isEnabled());

  // A new record below row 1, then a value that would cut its entry.
  p.SetCursor(2, 1);
  p.BitBtn1Click();
  ASSERT_EQ(p.Grid().RowCount(), 4);
  EXPECT_EQ(p.Grid().Cell(0, 3), "   3");
  EXPECT_EQ(p.Grid().Cell(2, 3), "DEF");
  Type(p, 1, 2, "5");
  Type(p, 2, 2, "a;b");
  p.Reg_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, Lines{"M9508"});
  EXPECT_EQ(p.Stg1->currentIndex(), p.Model()->index(1, 1));
  EXPECT_EQ(Cmd(), kCmd);
  EXPECT_TRUE(Temps().empty());

  // A key of "/" drops its record; the section is rewritten in place.
  seen.clear();
  Type(p, 2, 2, "GHI");
  Type(p, 1, 3, "/");
  p.Reg_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, Lines{"M7015"});
  EXPECT_EQ(Cmd(),
            "!title\r\n/F07/\r\nABC1=1;ABD2=2;\r\nXYZ=3;\r\nABC1=7;\r\n/G06/\r\nN=002;\r\nA=x;\r\n1=5;\r\nN=009;\r\nA=y;\r\n"
            "/R05/\r\nNO=1;\r\nNAME=ABC;\r\nTEL-1=1>2;\r\nNO=5;\r\nNAME=GHI;\r\n/Z99/\r\n0001=1;\r\n");
  EXPECT_EQ(p.Stg1->currentIndex(), p.Model()->index(0, 0));

  // Load hands over an "ICX" file of the same lines.
  seen.clear();
  p.Load_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, Lines{"M7501"});
  ASSERT_EQ(handed.size(), 1u);
  EXPECT_EQ(handed[0].fileName.substr(0, 3), "ICX");
  EXPECT_EQ(loaded[0], "/R05/\r\nNO=1;\r\nNAME=ABC;\r\nTEL-1=1>2;\r\nNO=5;\r\nNAME=GHI;\r\n");
  std::remove(handed[0].tempPath.c_str());
}

TEST_F(FormatPages, DeleteFollowsAPressOnTheRecordNumbers) {
  ASSERT_TRUE(G_P5_Init(cmd, "REC5"));
  TFormG_P5& p = *FormG_P5;
  Show(p);
  QWidget* labels = p.Stg1->verticalHeader()->viewport();
  QWidget* vp = p.Stg1->viewport();
  const int y1 = p.Stg1->rowViewportPosition(0) + 3, y2 = p.Stg1->rowViewportPosition(1) + 3;

  // A press on a cell, then on a label: only the label's release enables.
  QTest::mouseClick(vp, Qt::LeftButton, {}, QPoint(20, y1));
  EXPECT_FALSE(p.Lin_Del_BitBtn->isEnabled());
  QTest::mousePress(labels, Qt::LeftButton, {}, QPoint(5, y2));
  EXPECT_TRUE(p.RowLabelFlag());
  QTest::mouseRelease(labels, Qt::LeftButton, {}, QPoint(5, y2));
  ASSERT_TRUE(p.Lin_Del_BitBtn->isEnabled());
  EXPECT_EQ(p.Selection(), (GridRect{1, 2, 5, 2}));
  // A whole record copied and pasted on one cell of another record lands
  // from column 1 of that record.
  p.CopyBtn->click();
  p.SetCursor(3, 1);
  p.Paste_BitBtn->click();
  Flush();
  for (int c = 1; c < 6; ++c) EXPECT_EQ(p.Grid().Cell(c, 1), p.Grid().Cell(c, 2)) << c;
  EXPECT_EQ(p.Grid().Cell(1, 1), "2");
  p.SetSelection({2, 1, 3, 1});
  p.Paste_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, Lines{"M9806"});
  seen.clear();

  QTest::mousePress(labels, Qt::LeftButton, {}, QPoint(5, y2));
  QTest::mouseRelease(labels, Qt::LeftButton, {}, QPoint(5, y2));
  p.Lin_Del_BitBtn->click();
  EXPECT_FALSE(p.Lin_Del_BitBtn->isEnabled());
  ASSERT_EQ(p.Grid().RowCount(), 2);
  EXPECT_EQ(p.Grid().Cell(2, 1), "DEF");

  // Deleting every record leaves one empty record numbered 1.
  QTest::mousePress(labels, Qt::LeftButton, {}, QPoint(5, y1));
  QTest::mouseRelease(labels, Qt::LeftButton, {}, QPoint(5, y1));
  p.Lin_Del_BitBtn->click();
  ASSERT_EQ(p.Grid().RowCount(), 2);
  EXPECT_EQ(p.Grid().Cell(0, 1), "   1");
  for (int c = 1; c < 6; ++c) EXPECT_EQ(p.Grid().Cell(c, 1), "/");
  QTest::mouseClick(vp, Qt::LeftButton, {}, QPoint(20, y1));
  EXPECT_FALSE(p.RowLabelFlag());
  EXPECT_FALSE(p.Lin_Del_BitBtn->isEnabled());

  // Its Register writes the header alone.
  p.Reg_BitBtn->click();
  Flush();
  EXPECT_NE(Cmd().find("/R05/\r\n/Z99/\r\n"), std::string::npos);
  EXPECT_EQ(seen, Lines{"M7015"});
}

TEST_F(FormatPages, GroupPageShowsItsGroupsAndLoadsWithTheGroupList) {
  ASSERT_TRUE(G_P6_Init(cmd, "GRP6"));
  TFormG_P6& p = *FormG_P6;
  Show(p);
  ASSERT_EQ(p.Grid().ColCount(), 5);
  ASSERT_EQ(p.Grid().RowCount(), 4);
  EXPECT_EQ(p.Grid().Cell(0, 0), "GNO");
  EXPECT_EQ(p.Grid().Cell(4, 0), Sjis("値３"));
  EXPECT_EQ(p.Grid().Cell(0, 2), "  2");
  EXPECT_EQ(p.Grid().Cell(1, 2), "x");
  EXPECT_EQ(p.Grid().Cell(2, 2), "5");
  EXPECT_EQ(p.Grid().Cell(1, 1), "/");  // group 9 lies beyond the three
  EXPECT_EQ(p.Stg1->verticalHeader()->width(), 21);
  EXPECT_EQ(p.Stg1->currentIndex(), p.Model()->index(0, 0));

  Type(p, 4, 3, "v");
  p.Chk_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, Lines{"M5701"});
  seen.clear();
  p.Load_BitBtn->click();
  Flush();
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(handed[0].fileName.substr(0, 3), "ICX");
  EXPECT_EQ(loaded[0], "/GL/\r\nGRP=002;\r\nGRP=003;\r\n/G06/\r\nN=002;\r\nA=x;\r\n1=5;\r\nN=003;\r\n3=v;\r\n");
  std::remove(handed[0].tempPath.c_str());

  // Register never writes the group list.
  seen.clear();
  Type(p, 3, 1, "a>b");
  p.Reg_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, Lines{"M9508"});
  EXPECT_EQ(Cmd(), kCmd);
  seen.clear();
  Type(p, 3, 1, "w");
  p.Reg_BitBtn->click();
  Flush();
  EXPECT_EQ(Cmd(),
            "!title\r\n/F07/\r\nABC1=1;ABD2=2;\r\nXYZ=3;\r\nABC1=7;\r\n/G06/\r\nN=001;\r\n2=w;\r\nN=002;\r\nA=x;\r\n1=5;\r\n"
            "N=003;\r\n3=v;\r\n/R05/\r\nNO=1;\r\nNAME=ABC;\r\nTEL-1=1>2;\r\nNO=2;NAME=DEF;TEL-3=9;\r\n/Z99/\r\n0001=1;\r\n");
}

TEST_F(FormatPages, FieldListPageShowsTheLastRecordAndPacksItsEntries) {
  ASSERT_TRUE(G_P7_Init(cmd, "FLD7"));
  TFormG_P7& p = *FormG_P7;
  Show(p);
  ASSERT_EQ(p.Grid().RowCount(), 3);
  EXPECT_EQ(p.Grid().Cell(0, 1), Sjis("第二"));
  EXPECT_EQ(p.Grid().Cell(1, 0), "7");
  EXPECT_EQ(p.Grid().Cell(1, 1), "/");
  EXPECT_EQ(p.Stg1->verticalHeader()->width(), 243);
  EXPECT_EQ(p.Stg1->currentIndex(), p.Model()->index(0, 0));

  Type(p, 1, 1, "2");
  Type(p, 1, 2, "3");
  p.Load_BitBtn->click();
  Flush();
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(handed[0].fileName.substr(0, 3), "DBS");
  EXPECT_EQ(loaded[0], "/F07/\r\nABC1=7;ABD2=2;\r\nXYZ=3;\r\n");
  std::remove(handed[0].tempPath.c_str());

  seen.clear();
  Type(p, 1, 2, "1234");
  p.Reg_BitBtn->click();
  Flush();
  EXPECT_EQ(seen, Lines{"M9507"});
  EXPECT_EQ(p.Stg1->currentIndex(), p.Model()->index(2, 0));
  EXPECT_EQ(Cmd(), kCmd);
  EXPECT_TRUE(Temps().empty());
}

TEST_F(FormatPages, PagesThatCannotOpen) {
  struct Row {
    int type;
    const char* key;
    const char* msg;
  } rows[] = {
      {5, "ONE5", "M9314"},   // a heading and one field line
      {5, "NONE5", "M9314"},  // no section in Format.Dat
      {5, "MIS5", "M9311"},   // five slots for four value columns
      {6, "GRP0", "M9312"},   // no group
      {6, "GRPK", "M9312"},   // more groups than labels of three digits
      {7, "BAD7", "M9314"},   // a field of two slots
      {5, "NOKEY", "M9312"},  // no screen of that key
  };
  for (const Row& r : rows) {
    seen.clear();
    bool ok = r.type == 5 ? G_P5_Init(cmd, r.key) : r.type == 6 ? G_P6_Init(cmd, r.key) : G_P7_Init(cmd, r.key);
    Flush();
    EXPECT_FALSE(ok) << r.key;
    EXPECT_EQ(seen, Lines{r.msg}) << r.key;
  }
  ASSERT_EQ(std::remove((dir.path() + "screens/FORMAT.DAT").c_str()), 0);
  for (int type : {5, 6, 7}) {
    seen.clear();
    bool ok = type == 5 ? G_P5_Init(cmd, "REC5") : type == 6 ? G_P6_Init(cmd, "GRP6") : G_P7_Init(cmd, "FLD7");
    Flush();
    EXPECT_FALSE(ok) << type;
    EXPECT_EQ(seen, Lines{"M9308"}) << type;
  }
  EXPECT_EQ(Cmd(), kCmd);
}

// The shipped screen folder: each record, group and field-list screen of
// the sample menu opens on the sample command file and registers it
// unchanged, and the group page's Load file checks clean line by line
// against the sample control file, its group list included.
TEST(SampleFormatScreens, OpenRegisterUnchangedAndLoadChecksClean) {
  const char* src = std::getenv("ORVO_SOURCE_DIR");
  if (!src) GTEST_SKIP() << "ORVO_SOURCE_DIR is not set";
  const std::string sample = fsys::WithSlash(src) + "sample/";
  TempDir dir;
  std::string text;
  ASSERT_TRUE(fsys::ReadFile(sample + "data/Screens.CMD", text));
  const std::string cmd = dir.Write("data/Screens.CMD", text);
  ProgramDir = dir.path();
  ScreenFilesDir = sample + "screens/";
  dir.Write("MSGDLG.DAT", "J7015=T,M7015,1,1\r\nJ7501=T,M7501,1,1\r\n");
  ASSERT_EQ(ScreenTbl_Load(ScreenFilesDir + "Menu.csv"), 0);
  std::string loaded;
  GPage_Host().showLoad = [&](const GPageHandOver& h, QPoint) {
    ASSERT_TRUE(fsys::ReadFile(h.tempPath, loaded));
    std::remove(h.tempPath.c_str());
  };
  Lines seen;
  QTimer answer;
  answer.setInterval(5);
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* c = qobject_cast<TConf_Dlg*>(QApplication::activeModalWidget());
    if (!c || !c->isVisible()) return;
    seen.push_back(c->Msg_Lbl->text().toStdString());
    c->Ok_BitBtn->click();
  });
  answer.start();
  auto flush = [] {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  };

  ASSERT_TRUE(G_P5_Init(cmd, "REC001"));
  ASSERT_TRUE(G_P6_Init(cmd, "GRP001"));
  ASSERT_TRUE(G_P7_Init(cmd, "FLD001"));
  EXPECT_EQ(FormG_P5->Grid().RowCount(), 3);
  EXPECT_EQ(FormG_P5->Grid().Cell(4, 1), "0311112222");
  EXPECT_EQ(FormG_P6->Grid().RowCount(), 5);
  EXPECT_EQ(FormG_P6->Grid().Cell(3, 3), "301");
  EXPECT_EQ(FormG_P7->Grid().Cell(1, 2), Sjis("ﾒｲｼｮｳ"));
  for (TGPage_Base* p : std::initializer_list<TGPage_Base*>{FormG_P5, FormG_P6, FormG_P7}) {
    seen.clear();
    p->show();
    QApplication::processEvents();
    p->Reg_BitBtn->click();
    flush();
    EXPECT_EQ(seen, Lines{"M7015"});
    EXPECT_EQ(dir.Read("data/Screens.CMD"), text);
  }

  FormG_P6->Load_BitBtn->click();
  flush();
  EXPECT_EQ(loaded, "/GRPLIST/\r\nGRP=001;\r\nGRP=003;\r\n/M71/\r\nGRP=001;\r\nNAME=" + Sjis("ｴｲｷﾞｮｳ") +
                        ";\r\n1=201>202>203;\r\nGRP=003;\r\nNAME=" + Sjis("ｿｳﾑ") + ";\r\n2=301;\r\n");
  ControlFileName = sample + "CONTROL.DAT";
  Ctl_Def_Free();
  ASSERT_EQ(Ctl_File_Read(), 0);
  Ctl_Menu_Clear();
  size_t pos = 0;
  while (pos < loaded.size()) {
    size_t e = loaded.find("\r\n", pos);
    const std::string line = loaded.substr(pos, e - pos);
    pos = e + 2;
    if (line[0] == '/') EXPECT_EQ(Ctl_Menu_Select(line), 0) << line;
    else EXPECT_EQ(Ctl_Line_Check(line, 0), 0) << line;
  }
  Ctl_Def_Free();
  ControlFileName.clear();
  for (TGPage_Base* p : std::initializer_list<TGPage_Base*>{FormG_P5, FormG_P6, FormG_P7}) p->hide();
  answer.stop();
  GPage_Host() = GPageHost{};
  ProgramDir.clear();
  ScreenFilesDir.clear();
  HandOverTempFile.clear();
}

}  // namespace

namespace {

// The heading in the corner above the record or group numbers is drawn:
// the corner's picture changes with the text of cell (0, 0).
bool CornerDrawsItsText(TGPage_Base& p) {
  auto* corner = p.StringGrid1->findChild<QAbstractButton*>();
  if (!corner || !corner->isVisible() || corner->width() < 10) return false;
  const QImage shown = corner->grab().toImage();
  const std::string text = p.Grid().Cell(0, 0);
  p.Grid().SetCell(0, 0, "");
  const QImage blank = corner->grab().toImage();
  p.Grid().SetCell(0, 0, text);
  return shown != blank;
}

// The record and group pages near their ends, and the field list: every
// column in view, the rows at their height, the corner heading drawn, and
// a failing cell in the last row whole in view with the row above it.
TEST_F(FormatPages, EveryColumnAndTheFailingCellNearTheEndShow) {
  {
    SCOPED_TRACE("records");
    ASSERT_TRUE(G_P5_Init(cmd, "REC5"));
    TFormG_P5& p = *FormG_P5;
    Show(p);
    ExpectGridLayout(p, 28, 16);
    EXPECT_EQ(p.Grid().Cell(0, 0), "NO");
    EXPECT_TRUE(CornerDrawsItsText(p));
    for (int i = 0; i < 40; ++i) {
      p.SetCursor(1, p.Grid().RowCount() - 1);
      p.BitBtn1->click();
    }
    ASSERT_EQ(p.Grid().RowCount(), 43);
    p.SetTopRow(1);
    ExpectGridLayout(p, 28, 16);
    Type(p, 1, 42, "9");
    Type(p, 5, 42, "123456789");
    p.Chk_BitBtn->click();
    Flush();
    EXPECT_EQ(seen, Lines{"M9507"});
    EXPECT_TRUE(CellShown(p, 5, 42));
    EXPECT_TRUE(CellShown(p, 5, 41));
    p.Exit_BitBtnClick();
  }
  {
    SCOPED_TRACE("groups");
    seen.clear();
    ASSERT_TRUE(G_P6_Init(cmd, "GRPL"));
    TFormG_P6& p = *FormG_P6;
    Show(p);
    ASSERT_EQ(p.Grid().RowCount(), 61);
    ExpectGridLayout(p, 21, 16);
    EXPECT_EQ(p.Grid().Cell(0, 0), "GNO");
    EXPECT_TRUE(CornerDrawsItsText(p));
    Type(p, 4, 60, "123456789");
    p.Chk_BitBtn->click();
    Flush();
    EXPECT_EQ(seen, Lines{"M9507"});
    EXPECT_TRUE(CellShown(p, 4, 60));
    EXPECT_TRUE(CellShown(p, 4, 59));
    p.Exit_BitBtnClick();
  }
  {
    SCOPED_TRACE("field list");
    seen.clear();
    ASSERT_TRUE(G_P7_Init(cmd, "FLD7"));
    TFormG_P7& p = *FormG_P7;
    Show(p);
    ExpectGridLayout(p, 243);
    p.Exit_BitBtnClick();
  }
}

}  // namespace
