// The fake exchange program as the run command starts it: its COM link in
// the program folder lives exactly as long as it does, and ORVO's own load
// and save engines work against it over the direct line (its
// pseudo-terminal) and over UDP. Then the programming it keeps, against
// the commands ORVO's converter makes.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "link/Comm_Unit.h"
#include "phone/Kana_Unit.h"
#include "shell/Global_Unit.h"
#include "tests/exchange/FakeProgram.h"
#include "tests/link/UdpTestSupport.h"
#include "tests/support/TempDir.h"
#include "transfer/Control_Unit.h"
#include "transfer/Load_Unit.h"
#include "transfer/Save_Engine.h"

namespace {

pid_t StartFake(const std::string& dir, const std::string& port) {
  pid_t pid = fork();
  if (pid == 0) {
    int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 1);
    dup2(devnull, 2);
    execl(FAKE_EXE, FAKE_EXE, "--serial", "--dir", dir.c_str(), "--com", "1", "--udp", port.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

int WaitExit(pid_t pid, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    int status;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

std::string LinkTarget(const std::string& path) {
  std::error_code ec;
  auto t = std::filesystem::read_symlink(path, ec);
  return ec ? std::string() : t.string();
}

bool WaitFor(const std::function<bool()>& cond) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!cond()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// A UDP port that nothing holds at the moment.
std::string FreeUdpPort() {
  udptest::RawPeer probe;
  return std::to_string(probe.Port());
}

}  // namespace

TEST(FakeRun, ComLinkLivesAsLongAsTheFakeAndASecondOneTouchesNothing) {
  TempDir dir;
  const std::string link = dir.path() + "ports/com1";
  const std::string port = FreeUdpPort();
  pid_t first = StartFake(dir.path(), port);
  ASSERT_TRUE(WaitFor([&] { return !LinkTarget(link).empty(); }));
  const std::string target = LinkTarget(link);

  // Its UDP port taken, the second fake ends with an error before it
  // touches the first one's link.
  pid_t second = StartFake(dir.path(), port);
  EXPECT_EQ(WaitExit(second, std::chrono::seconds(5)), 1);
  EXPECT_EQ(LinkTarget(link), target);

  kill(first, SIGTERM);
  EXPECT_EQ(WaitExit(first, std::chrono::seconds(5)), 0);
  EXPECT_FALSE(std::filesystem::is_symlink(link));
}

namespace {

// The fake program with both links, started as the run command starts it;
// ready once it says so.
class FakeProcess {
 public:
  ~FakeProcess() { Stop(); }
  bool Start(const std::string& programDir, const std::string& port) {
    int out[2];
    if (pipe(out) != 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      ::close(out[0]);
      execl(FAKE_EXE, FAKE_EXE, "--serial", "--dir", programDir.c_str(), "--com", "1", "--udp", port.c_str(),
            "--password", "PW12", static_cast<char*>(nullptr));
      _exit(127);
    }
    ::close(out[1]);
    std::string said;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (said.find("ready\n") == std::string::npos && std::chrono::steady_clock::now() < end) {
      pollfd p{out[0], POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char buf[256];
      ssize_t n = read(out[0], buf, sizeof buf);
      if (n <= 0) break;
      said.append(buf, static_cast<size_t>(n));
    }
    ::close(out[0]);
    return said.find("ready\n") != std::string::npos;
  }
  // Its exit code (0: a clean end), -1 when it had to be killed.
  int Stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    int code = WaitExit(pid_, std::chrono::seconds(20));
    pid_ = -1;
    return code;
  }

 private:
  pid_t pid_ = -1;
};

class NoView : public LoadView {
 public:
  void ToggleCursor() override {}
  void ShowCounters() override {}
  void ShowErrCount() override {}
  void StartTimer() override {}
  void ShowLine(const std::string&, bool) override {}
  void AskFix(const std::string&, const std::string&) override { Load_FixAnswer(2, ""); }
};

enum class Link { Serial, Udp };
const char* Name(Link l) { return l == Link::Serial ? "direct line" : "UDP"; }

constexpr int kWaitMs = 3000;  // the exchange's answers; a sanitizer build is slow

// ORVO's engines against the fake program: the direct line through the
// program folder's COM1, UDP through the fake's port.
class FakeRunLink : public ::testing::Test {
 protected:
  void SetUp() override {
    port = FreeUdpPort();
    ASSERT_TRUE(fake.Start(programDir.path(), port));
    ControlFileName = std::string(ORVO_SAMPLE_DIR) + "/CONTROL.DAT";
    LinkTimeOutSec = 2;
    LineLost = 0;
    LoadCancel = 0;
    Load_SetTiming({0, 0, 0, 0, 0, 5, 2});
    Save_SetTiming({5, 5000});
    Comm_SetTiming({120, 80, 5});
  }
  void TearDown() override {
    Close();
    Load_SetTiming(LoadTiming{});
    Save_SetTiming(SaveTiming{});
    Comm_SetTiming(CommTiming{});
    ProgramDir.clear();
    ControlFileName.clear();
    EthernetMode = 0;
    LineLost = 0;
    EXPECT_EQ(fake.Stop(), 0) << "the fake program ends cleanly";
  }

  // The direct line is COM1 of folder (by default the one the fake links).
  void Open(Link l, const std::string& folder = {}) {
    Close();
    if (l == Link::Serial) {
      EthernetMode = 0;
      ProgramDir = folder.empty() ? programDir.path() : folder;
      CommPortName = "COM1";
      ASSERT_EQ(Comm_Open(), LINK_OK);
      ASSERT_EQ(Comm_Setup(9600), LINK_OK);
      Comm_SetRcvTimeOut(kWaitMs);
      serialOpen = true;
      return;
    }
    EthernetMode = 1;
    ASSERT_EQ(Udp_Init(0, udptest::kLoopback, static_cast<uint16_t>(std::stoi(port))), LINK_OK);
    Udp_SetTimer(&timer);
    udpOpen = true;
    ticker = std::make_unique<udptest::Ticker>(timer, 5);
    uint8_t reply[UDP_REPLY_BUF] = {};
    int len = 0;
    Udp_SetParam(UDP_PARAM_TIMEOUT, 2);
    Udp_SetParam(UDP_PARAM_RETRY, 2);
    ASSERT_EQ(Udp_Transact(UDP_CMD_LOGIN_REQUEST, nullptr, 0, reply, &len), LINK_OK);
    Udp_SetParam(UDP_PARAM_KEY, Conn_UdpKeyFromSeed(reply + 1));
    std::string pw = Conn_UdpLoginPayload("PW12");
    ASSERT_EQ(Udp_Transact(UDP_CMD_LOGIN, pw.data(), static_cast<int>(pw.size()), reply, &len), LINK_OK);
    timer.Start();
  }
  void Close() {
    if (serialOpen) Comm_Close();
    serialOpen = false;
    if (udpOpen) {
      ticker.reset();
      Udp_Close();
      Udp_SetTimer(nullptr);
    }
    udpOpen = false;
  }

  // Loads folder/name as kind of system type 1; the result, with errors
  // counted and the error list read.
  int Load(Link l, const TempDir& folder, const std::string& name, int kind) {
    LoadParams p;
    p.systemType = 1;
    p.kind = kind;
    p.folder = folder.path();
    p.fileName = name;
    p.ethernet = l == Link::Udp;
    p.linkTimeOutSec = 2;
    p.retryCount = 2;
    p.rcvTimeOutMs = kWaitMs;
    NoView view;
    LoadEngine e(p, view);
    int r = e.Execute();
    errors = LoadErrCount;
    errorList = folder.Read(kind == 7 ? "CONTROL.ERR" : "OTHER.ERR");
    return r;
  }
  int Save(Link l, const TempDir& folder, std::vector<SaveItem> items) {
    SaveJob j;
    j.items = std::move(items);
    j.dir = folder.path();
    j.comment = "RUN";
    j.ethernet = l == Link::Udp;
    j.timer = l == Link::Udp ? &timer : nullptr;
    j.linkTimeOutSec = 2;
    j.linkRetryCount = 2;
    j.rcvTimeOutMs = kWaitMs;
    SaveEngine e(j);
    return e.Run();
  }

  TempDir programDir;
  std::string port;
  FakeProcess fake;
  UserTimer timer;
  std::unique_ptr<udptest::Ticker> ticker;
  bool serialOpen = false, udpOpen = false;
  int errors = 0;
  std::string errorList;
};

std::string ReadSample(const std::string& name) {
  std::ifstream f(std::string(ORVO_SAMPLE_DIR) + "/data/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

}  // namespace

// The sample command file and an extension directory go in over either
// link; what each load gave the exchange comes back in a save over the
// other one.
TEST_F(FakeRunLink, LoadsOverTheDirectLineAndUdpAreTakenAndKept) {
  TempDir data;
  data.Write("Initial.CMD", ReadSample("Initial.CMD"));
  data.Write("Serial.DAT", "!S\r\n/DIR/\r\nNO=777>NAME=" + Sjis("ｾﾘｱﾙ") + ">\r\n");
  data.Write("Udp.DAT", "!U\r\n/DIR/\r\nNO=778>NAME=UDP>\r\nNO=200>NAME=" + Sjis("ｿｳﾑ2") + ">\r\n");
  for (Link l : {Link::Serial, Link::Udp}) {
    SCOPED_TRACE(Name(l));
    Open(l);
    EXPECT_EQ(Load(l, data, "Initial.CMD", 7), 0);
    EXPECT_EQ(Load_ResultMessage(2, 0, LineLost == 1, false), "5501");
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(errorList, "");
    EXPECT_GT(LoadDoneCount, 5);
    EXPECT_EQ(Load(l, data, l == Link::Serial ? "Serial.DAT" : "Udp.DAT", 3), 0);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(errorList, "");
  }
  for (Link l : {Link::Serial, Link::Udp}) {
    SCOPED_TRACE(Name(l));
    TempDir saved;
    Open(l);
    ASSERT_EQ(Save(l, saved, {{"SdExtensions.DAT", '3'}}), SAVE_OK);
    std::vector<kana::DirRow> rows;
    ASSERT_TRUE(kana::Dir_Read(saved.Read("SdExtensions.DAT"), rows));
    std::vector<kana::DirRow> want = {{"200", Sjis("ｿｳﾑ2")}, {"201", Sjis("ｴｲｷﾞｮｳ1")}, {"202", Sjis("ｴｲｷﾞｮｳ2")},
                                      {"210", Sjis("総務部長")}, {"300", ""}, {"#10", Sjis("ｹｲﾋﾞｼﾂ")},
                                      {"777", Sjis("ｾﾘｱﾙ")},   {"778", "UDP"}};
    EXPECT_EQ(rows, want);
  }
}

// Every kind saved over the direct line, each saved file loaded back over
// it without a fault or a refusal, and saved again over UDP: the same
// bytes. The speed-dial lists and the directory read whole in the editor's
// readers.
TEST_F(FakeRunLink, SaveLoadSaveGivesNoErrorsAndTheSameFiles) {
  struct Kind {
    const char* file;
    char code;
    int loadKind;  // system type 1
  };
  const Kind kinds[] = {{"SdSystem.DAT", '1', 0},   {"SdPersonal.DAT", '2', 1}, {"SdIdCard.DAT", '5', 2},
                        {"SdExtensions.DAT", '3', 3}, {"SdWireless.DAT", '4', 4}, {"PrgSetAll.DAT", '0', 5},
                        {"PrgKey.DAT", 'A', 6},     {"PrgSys.DAT", 'B', 6},     {"PrgTrunk.DAT", 'C', 6},
                        {"PrgExt.DAT", 'D', 6}};
  std::vector<SaveItem> items;
  for (const Kind& k : kinds) items.push_back({k.file, k.code});

  // The sample screens' command file brings menus that no data file has
  // into the program settings first.
  TempDir first, second, commands;
  commands.Write("Screens.CMD", ReadSample("Screens.CMD"));
  Open(Link::Udp);
  ASSERT_EQ(Load(Link::Udp, commands, "Screens.CMD", 7), 0);
  EXPECT_EQ(errors, 0);
  Open(Link::Serial);
  ASSERT_EQ(Save(Link::Serial, first, items), SAVE_OK);
  for (const char* menu : {"/M15/", "/M70/", "/M71/", "/M72/"})
    EXPECT_NE(first.Read("PrgSetAll.DAT").find(menu), std::string::npos) << menu;

  // The kinds the sample programming has come with their lines; the others
  // are refused and keep the comment alone.
  for (const Kind& k : kinds) {
    bool none = k.code == '4' || k.code == 'B' || k.code == 'C';
    EXPECT_EQ(first.Read(k.file) == "!RUN\r\n", none) << k.file;
  }
  kana::SystemList system;
  ASSERT_TRUE(kana::Spd_Read(first.Read("SdSystem.DAT"), system));
  EXPECT_EQ(system[0], (kana::SpdEntry{"0312345678", Sjis("ﾎﾝｼｬ")}));
  EXPECT_EQ(system[798], (kana::SpdEntry{"0399998888", Sjis("ﾎｼｭｾﾝﾀｰ")}));
  std::vector<kana::Owner> personal, idCards;
  ASSERT_TRUE(kana::ISpd_Read(first.Read("SdPersonal.DAT"), kana::kPersonal, personal));
  ASSERT_EQ(personal.size(), 3u);
  EXPECT_EQ(personal[2].key, "2001");
  EXPECT_EQ(personal[2].entries[19].dial, "0452221111");
  ASSERT_TRUE(kana::ISpd_Read(first.Read("SdIdCard.DAT"), kana::kIdCard, idCards));
  ASSERT_EQ(idCards.size(), 2u);
  EXPECT_EQ(idCards[0].key, "000000001234");
  EXPECT_EQ(idCards[1].entries[9].dial, "090*1234#");
  std::vector<kana::DirRow> rows;
  ASSERT_TRUE(kana::Dir_Read(first.Read("SdExtensions.DAT"), rows));
  EXPECT_EQ(rows.size(), 6u);

  for (const Kind& k : kinds) {
    SCOPED_TRACE(k.file);
    EXPECT_EQ(Load(Link::Serial, first, k.file, k.loadKind), 0);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(errorList, "");
    EXPECT_EQ(LoadDoneCount, LoadTotal);
  }

  Open(Link::Udp);
  ASSERT_EQ(Save(Link::Udp, second, items), SAVE_OK);
  for (const Kind& k : kinds) EXPECT_EQ(second.Read(k.file), first.Read(k.file)) << k.file;
}

// The README's virtual serial pair: socat makes COM1 of a program folder
// one end of a pair and joins the other to the fake's own terminal; ORVO's
// direct line reaches the fake through it, and socat's end removes its link.
TEST_F(FakeRunLink, ASerialPairOfSocatJoinsTheFakesTerminal) {
  TempDir dealer;
  std::filesystem::create_directories(dealer.path() + "ports");
  const std::string com1 = dealer.path() + "ports/com1";
  const std::string near = "pty,raw,echo=0,link=" + com1;
  const std::string far = LinkTarget(programDir.path() + "ports/com1") + ",raw,echo=0";
  pid_t socat = fork();
  if (socat == 0) {
    int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 2);
    execlp("socat", "socat", near.c_str(), far.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::is_symlink(com1); })) << "socat (Debian package socat) made no link";
  TempDir saved;
  Open(Link::Serial, dealer.path());
  EXPECT_EQ(Save(Link::Serial, saved, {{"SdExtensions.DAT", '3'}}), SAVE_OK);
  Close();
  std::vector<kana::DirRow> rows;
  EXPECT_TRUE(kana::Dir_Read(saved.Read("SdExtensions.DAT"), rows));
  EXPECT_EQ(rows.size(), 6u);
  kill(socat, SIGTERM);
  EXPECT_NE(WaitExit(socat, std::chrono::seconds(5)), -1);
  EXPECT_FALSE(std::filesystem::is_symlink(com1));
}

// A first save gives the sample data files as the fake reads them, in
// turn and into one programming: the parts after the whole, so M01 of both
// holds PrgKey.DAT's SIZE and PrgSetAll.DAT's FS-112, and PrgExt.DAT the
// whole's three extensions; each value as the exchange keeps it (at its
// width, an empty number as 0, one record a line).
TEST_F(FakeRunLink, AFirstSaveGivesTheSampleFilesReadInTurn) {
  TempDir saved;
  Open(Link::Udp);
  ASSERT_EQ(Save(Link::Udp, saved, {{"PrgSetAll.DAT", '0'}, {"PrgKey.DAT", 'A'}, {"PrgExt.DAT", 'D'}}), SAVE_OK);
  const std::string m01 = SjisLines({"!RUN", "/M01/", "SIZE=2;", "FS-101=01;", "FS-102=02;", "FS-112=0;", "OP-113=10;",
                                     "OP-114=11;", "FS-201=03;"});
  EXPECT_EQ(saved.Read("PrgKey.DAT"), m01);
  const std::string whole = saved.Read("PrgSetAll.DAT");
  EXPECT_EQ(whole.substr(0, m01.size()), m01);
  const std::string m30 = SjisLines({"/M30/", "001=0200,01,ｿｳﾑ;", "002=0201,02,ｴｲｷﾞｮｳ;", "003=0202,02,総務部長;"});
  EXPECT_EQ(saved.Read("PrgExt.DAT"), "!RUN\r\n" + m30);
  EXPECT_NE(whole.find(m30), std::string::npos);
  EXPECT_NE(whole.find("0002-*=01-012;\r\n0003-*=01-013;\r\n0001=01>01>02;\r\n"), std::string::npos);
}

// ORVO's converter turns each line the fake serves into the commands its
// load sends; a programming that starts without entries takes them back
// into the very same lines, for every kind the sample has.
TEST(FakeProgram, EveryServedLineComesBackFromTheCommandsOfItsLoad) {
  const std::string sample = std::string(ORVO_SAMPLE_DIR) + "/";
  FakeProgram served;
  ASSERT_TRUE(served.ReadFolder(sample));
  std::ifstream f(sample + "CONTROL.DAT", std::ios::binary);
  const std::string control(std::istreambuf_iterator<char>(f), {});
  Ctl_Definitions defs;
  ASSERT_EQ(Ctl_File_Parse(control, defs), 0);
  Ctl_Checker chk(defs);
  int kinds = 0;
  for (char code : served.Codes()) {
    SCOPED_TRACE(std::string("code ") + code);
    const std::vector<std::string> lines = served.Lines(code);
    if (lines.empty()) continue;
    ++kinds;
    FakeProgram fresh;
    ASSERT_TRUE(fresh.ReadControl(control));
    std::string headers;
    for (const std::string& l : lines)
      if (l[0] == '/') headers += l;
    fresh.ReadDataFile(code, headers);
    Ctl_Menu_Clear(chk);
    int commands = 0;
    for (const std::string& l : lines) {
      const std::string line = l.substr(0, l.size() - 2);
      if (line[0] == '/') {
        ASSERT_EQ(Ctl_Menu_Select(chk, line), 0) << line;
        continue;
      }
      for (const std::string& entry : LoadEngine::Entries(line, chk.State.Delim.Terminator)) {
        ASSERT_EQ(Ctl_Line_Check(chk, entry, 0), 0) << line;
        if (chk.State.Command.empty()) continue;
        EXPECT_EQ(fresh.Take(chk.State.Command), std::set<char>{code}) << chk.State.Command;
        ++commands;
      }
    }
    EXPECT_GT(commands, 0);
    EXPECT_EQ(fresh.Lines(code), lines);
  }
  EXPECT_EQ(kinds, 7);  // 0 1 2 3 5 A D
  Ctl_Def_Free(defs);
}

// What one command does to the programming: it replaces the entry of its
// key in every kind that serves its menu, adds what is new at the end of
// its menu (under the required values it names), brings a menu no file had
// into the whole program settings, and leaves the kanji phone book and
// unknown commands out.
TEST(FakeProgram, ACommandChangesEveryKindThatServesItsMenu) {
  struct Row {
    std::string command;
    std::set<char> changed;
    char kind;
    std::vector<std::string> tail;  // the kind's last lines afterwards
  };
  const Row rows[] = {
      {":K011010207", {'0', 'A'}, 'A', {"OP-113=10;\r\n", "OP-114=11;\r\n", "FS-201=03;\r\n"}},
      {":SP0201 85" "0512345" "03ABC", {'2'}, '2', {"NO=99>DATA=0452221111<" + Sjis("ﾖｺﾊﾏ") + ">\r\n", "TEL=201>\r\n",
                                                 "NO=85>DATA=12345<ABC>\r\n"}},
      {":P1500010210", {'0'}, '0', {"/M15/\r\n", "0001=10;\r\n"}},
      {":KB002", {}, '0', {"/M15/\r\n", "0001=10;\r\n"}},
      {":ZZ9", {}, '0', {"/M15/\r\n", "0001=10;\r\n"}},
  };
  FakeProgram p;
  ASSERT_TRUE(p.ReadFolder(std::string(ORVO_SAMPLE_DIR) + "/"));
  for (const Row& r : rows) {
    SCOPED_TRACE(r.command);
    EXPECT_EQ(p.Take(r.command), r.changed);
    std::vector<std::string> lines = p.Lines(r.kind);
    ASSERT_GE(lines.size(), r.tail.size());
    EXPECT_EQ(std::vector<std::string>(lines.end() - static_cast<std::ptrdiff_t>(r.tail.size()), lines.end()), r.tail);
  }
  // The key's entry changed where it stood, in the part and in the whole.
  for (char kind : {'0', 'A'}) {
    std::vector<std::string> lines = p.Lines(kind);
    EXPECT_EQ(lines[2], "FS-101=07;\r\n") << kind;
  }
}
