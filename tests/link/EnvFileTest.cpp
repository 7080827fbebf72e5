#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include "link/EnvNew_Unit.h"
#include "link/SettingsText.h"
#include "shell/CommonStr_Unit.h"
#include "shell/Global_Unit.h"
#include "tests/support/TempDir.h"

namespace {

const char* kFullLine =
    "/x/CONTROL.DAT,/x/data,/x/screens,1,3,1,0,05,Modem|A,20,30,40,AT&F|E1,ATD,ATX3|ATD,+++,ATH,0,07,01,11000,1024";

std::string Fields21() {
  return "/x/CONTROL.DAT,/x/data,/x/screens,1,3,1,0,05,M,20,30,40,ATZ,ATD,,+++,ATH,0,07,01,11000\r\n";
}

class EnvFile : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = ProgramDir;
    ProgramDir = dir.path();
  }
  void TearDown() override { ProgramDir = saved_; }
  TempDir dir;
  std::string saved_;
};

TEST(EnvFileParse, TakesTheFirstLineAndTurnsPipesBackOnlyInFreeTextFields) {
  EnvSettings s;
  EnvSettings_Reset(s);
  ASSERT_TRUE(EnvFile_Parse(std::string(kFullLine) + ",extra,fields\r\nsecond line", s));
  EXPECT_EQ(s.field[ENV_MODEM_KIND], "Modem|A");  // names are stored as they are
  EXPECT_EQ(s.field[ENV_INIT_CMD], "AT&F,E1");
  EXPECT_EQ(s.field[ENV_DIAL_CMD2], "ATX3,ATD");
  EXPECT_EQ(s.field[ENV_RCV_TIMEOUT], "05");
  EXPECT_EQ(s.field[ENV_UDP_OWN_PORT], "1024");
  EXPECT_EQ(EnvFile_FormatLine(s), kFullLine);
}

TEST(EnvFileParse, ALineOf21FieldsIsNotReadAtAll) {
  EnvSettings s;
  EnvSettings_Reset(s);
  EnvSettings before = s;
  EXPECT_FALSE(EnvFile_Parse(Fields21(), s));
  EXPECT_EQ(s.field, before.field);
  EXPECT_EQ(s.field[ENV_MEDIUM], "1");  // the Ethernet tab by default
  EXPECT_EQ(s.field[ENV_DIAL_CMD1], "ATD");
  EXPECT_EQ(s.field[ENV_COM_PORT], "1");
}

TEST(EnvFileParse, LongValuesAreCutToCapacityOnACharacterBoundary) {
  // 254 ASCII bytes and then a double-byte character: 256 bytes, whose cut
  // at 255 would split the character.
  std::string path = std::string(254, 'a') + Sjis("漢");
  std::string line = path + "," + path + "," + path + ",1,1,1,1,10,,10,10,10," +
                     "1234567890123456789012345,ATD1234567890,,+++,ATH,1,03,02,1100000,0";
  EnvSettings s;
  ASSERT_TRUE(EnvFile_Parse(line, s));
  EXPECT_EQ(s.field[ENV_CONTROL_FILE], std::string(254, 'a'));
  EXPECT_EQ(s.field[ENV_DATA_DIR], std::string(254, 'a'));
  EXPECT_EQ(s.field[ENV_SCREEN_DIR], path);  // no limit
  EXPECT_EQ(s.field[ENV_INIT_CMD], "123456789012345678901");
  EXPECT_EQ(s.field[ENV_DIAL_CMD1], "ATD12345678");
  EXPECT_EQ(s.field[ENV_UDP_REMOTE_PORT], "110000");
}

EnvFormValues Initial(const std::string& dir) {
  EnvFormValues v;
  v.controlFile = dir + "CONTROL.DAT";
  v.dataDir = dir.substr(0, dir.size() - 1);
  v.screenDir = dir + "ScreenFiles";
  v.hangUpCmd1 = "+++";
  v.hangUpCmd2 = "ATH";
  return v;
}

TEST(EnvBuild, InitialValuesGiveTheDocumentedLine) {
  EnvSettings s;
  ASSERT_EQ(Env_BuildFields(Initial("/X/"), s), 0);
  EXPECT_EQ(EnvFile_FormatLine(s),
            "/X/CONTROL.DAT,/X,/X/ScreenFiles,1,1,1,1,10,,10,10,10,,ATD,,+++,ATH,1,03,02,11000,0");
}

TEST(EnvBuild, NumbersAreWrittenWithTwoDigitsAndCommasAsPipes) {
  EnvFormValues v = Initial("/X/");
  v.rcvTimeOut = 5;
  v.initTimeOut = 60;
  v.dialTimeOut = 0;
  v.etherTimeOut = 1;
  v.etherRetry = 10;
  v.comPort = 9;  // no such port: stored as none
  v.initCmd = "AT&F,E1";
  v.ethernet = false;
  EnvSettings s;
  ASSERT_EQ(Env_BuildFields(v, s), 0);
  std::vector<std::string> f;
  Common_SplitComma(f, EnvFile_FormatLine(s));
  ASSERT_EQ(f.size(), 22u);
  EXPECT_EQ(f[ENV_RCV_TIMEOUT], "05");
  EXPECT_EQ(f[ENV_INIT_TIMEOUT], "60");
  EXPECT_EQ(f[ENV_DIAL_TIMEOUT], "00");
  EXPECT_EQ(f[ENV_ETHER_TIMEOUT], "01");
  EXPECT_EQ(f[ENV_ETHER_RETRY], "10");
  EXPECT_EQ(f[ENV_COM_PORT], "0");
  EXPECT_EQ(f[ENV_INIT_CMD], "AT&F|E1");
  EXPECT_EQ(f[ENV_MEDIUM], "0");
  // And back: the command shows its comma again.
  EnvSettings back;
  ASSERT_TRUE(EnvFile_Parse(EnvFile_FormatLine(s), back));
  EXPECT_EQ(back.field, s.field);
}

TEST(EnvBuild, RefusalsComeWithTheirMessagesInTheStoresOrder) {
  EnvSettings s;
  auto with = [](auto change) {
    EnvFormValues v = Initial("/X/");
    change(v);
    return v;
  };
  EXPECT_EQ(Env_BuildFields(with([](EnvFormValues& v) { v.dialCmd1 = "atdt"; }), s), 3);
  EXPECT_EQ(Env_BuildFields(with([](EnvFormValues& v) { v.dialCmd2 = "X ATDP"; }), s), 3);
  EXPECT_EQ(Env_BuildFields(with([](EnvFormValues& v) { v.dialCmd1 = "ATD"; v.dialCmd2 = "ATDW"; }), s), 0);
  for (const char* bad : {"80", "1023", "65536", "", "99999"}) {
    EXPECT_EQ(Env_BuildFields(with([&](EnvFormValues& v) { v.ownPort = bad; }), s), 5) << bad;
    EXPECT_EQ(Env_BuildFields(with([&](EnvFormValues& v) { v.remotePort = bad; }), s), 5) << bad;
  }
  for (const char* good : {"0", "1024", "65535"})
    EXPECT_EQ(Env_BuildFields(with([&](EnvFormValues& v) { v.ownPort = good; }), s), 0) << good;
  // A comma in a path would shift every later field; a path too long for
  // its field would be cut.
  EXPECT_EQ(Env_BuildFields(with([](EnvFormValues& v) { v.dataDir = "/a,b"; }), s), 6);
  EXPECT_EQ(Env_BuildFields(with([](EnvFormValues& v) { v.screenDir = "/a,b"; }), s), 6);
  EXPECT_EQ(Env_BuildFields(with([](EnvFormValues& v) { v.controlFile = "/a\nb"; }), s), 6);
  EXPECT_EQ(Env_BuildFields(with([](EnvFormValues& v) { v.controlFile = "/" + std::string(255, 'c'); }), s), 7);
  EXPECT_EQ(Env_BuildFields(with([](EnvFormValues& v) { v.screenDir = "/" + std::string(400, 'c'); }), s), 0);
  // The path is refused before the dial command is looked at.
  EXPECT_EQ(Env_BuildFields(with([](EnvFormValues& v) { v.dataDir = "/a,b"; v.dialCmd1 = "ATDT"; }), s), 6);
}

TEST_F(EnvFile, InitReadsAllThreeFilesAndMissingOnesLeaveTheDefaults) {
  dir.Write("data/user.inf", Sjis("販売店Ａ") + "\r\nsecond\r\n");
  dir.Write("environ.dat", dir.path() + "CONTROL.DAT," + dir.path() + "data," + dir.path() +
                               "scr,1,2,1,1,10,B,10,10,10,,ATD,,+++,ATH,0,03,02,11000,0\r\n");
  dir.Write("Modem.Inf", "A,ATZ,ATD,,+++,ATH\r\nB,AT&F|E1,ATD,,+++,ATH\r\n");
  EnvSettings s;
  Env_Init(s);
  EXPECT_EQ(s.field[ENV_COM_PORT], "2");
  EXPECT_EQ(s.userName, Sjis("販売店Ａ"));
  EXPECT_EQ(ScreenFilesDir, dir.path() + "scr");
  ASSERT_EQ(s.modems.Count(), 2);
  EXPECT_EQ(s.modems.kinds[1].initCmd, "AT&F,E1");

  // With the data folder gone, USER.INF is looked for in the program folder.
  std::filesystem::remove_all(dir.path() + "data");
  dir.Write("USER.INF", "prog\r\n");
  Env_Init(s);
  EXPECT_EQ(s.userName, "prog");

  std::filesystem::remove(dir.path() + "environ.dat");
  Env_Init(s);
  EXPECT_EQ(s.field[ENV_COM_PORT], "1");
  EXPECT_EQ(s.userName, "");
  EXPECT_EQ(ScreenFilesDir, "");
  EXPECT_EQ(s.modems.Count(), 2);  // read on its own
}

TEST_F(EnvFile, StoreWritesBothFilesAndKeepsTheSpellingOnDisk) {
  dir.Write("Environ.Dat", "old\r\n");
  EnvSettings s;
  ASSERT_EQ(Env_BuildFields(Initial(dir.path()), s), 0);
  ASSERT_EQ(Env_Store(s, Sjis("山田"), dir.path()), 0);
  EXPECT_EQ(dir.Read("Environ.Dat"), EnvFile_FormatLine(s) + "\r\n");
  EXPECT_FALSE(dir.Exists("ENVIRON.DAT"));
  EXPECT_EQ(dir.Read("USER.INF"), Sjis("山田") + "\r\n");
  std::string name;
  ASSERT_TRUE(UsrFile_Read(dir.path(), name));
  EXPECT_EQ(name, Sjis("山田"));
  EnvSettings back;
  ASSERT_TRUE(EnvFile_Parse(dir.Read("Environ.Dat"), back));
  EXPECT_EQ(back.field, s.field);
}

TEST_F(EnvFile, AFailedStoreLeavesTheOldFilesAndGivesItsMessage) {
  dir.Write("ENVIRON.DAT", "old environ\r\n");
  EnvSettings s;
  ASSERT_EQ(Env_BuildFields(Initial(dir.path()), s), 0);

  // USER.INF cannot be replaced (a folder of that name): ENVIRON.DAT is
  // stored, the failure is reported.
  std::filesystem::create_directory(dir.path() + "USER.INF");
  EXPECT_EQ(Env_Store(s, "x", dir.path()), 9007);
  EXPECT_EQ(dir.Read("ENVIRON.DAT"), EnvFile_FormatLine(s) + "\r\n");
  std::filesystem::remove(dir.path() + "USER.INF");

  // Writing fails (the file-size limit stops the write): the old file stays
  // whole and nothing is left behind.
  dir.Write("ENVIRON.DAT", "old environ\r\n");
  dir.Write("USER.INF", "old user\r\n");
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 16;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  int r = Env_Store(s, "x", dir.path());
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(r, 9046);
  EXPECT_EQ(dir.Read("ENVIRON.DAT"), "old environ\r\n");
  EXPECT_EQ(dir.Read("USER.INF"), "old user\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);

  // No program folder to write in.
  ProgramDir = dir.path() + "gone/";
  EXPECT_EQ(Env_Store(s, "x", dir.path()), 9006);
  EXPECT_EQ(dir.Read("USER.INF"), "old user\r\n");
}

TEST(EnvUserInf, FolderFollowsTheDataFolderOrFallsBackToTheProgramFolder) {
  TempDir d;
  std::string saved = ProgramDir;
  ProgramDir = d.path() + "prog/";
  EXPECT_EQ(Env_UserInfFolder(""), ProgramDir);
  EXPECT_EQ(Env_UserInfFolder(d.path() + "missing"), ProgramDir);
  EXPECT_EQ(Env_UserInfFolder(d.path().substr(0, d.path().size() - 1)), d.path());
  // The root folder gets no second slash.
  EXPECT_EQ(Env_UserInfFolder("/"), "/");
  ProgramDir = saved;
  EXPECT_EQ(UsrFile_Parse("name\nrest"), "name");
  EXPECT_EQ(UsrFile_Parse(""), "");
}

}  // namespace
