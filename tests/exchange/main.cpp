// The fake exchange as a program, for trying ORVO by hand:
//
//   fake_exchange_run [--serial] [--dir PROGRAMDIR] [--com N]
//                     [--modem [--modem-dial ANSWER] [--modem-mute]]
//                     [--password TEXT] [--script FILE] [--fault NAME=N]...
//                     [--udp PORT [UDP options]]
//
// --serial serves a pseudo-terminal (the default when no side is chosen);
// --dir links PROGRAMDIR/ports/comN (N from --com, default 1) to it, so that
// ORVO started from that folder reaches it as "COM"+N. --script answers
// request texts (see ScriptTable::Load). Both sides keep the exchange's
// programming: it starts as the files of the sample data folder, a load
// over either link changes it, and a save over either link gets it (see
// FakeProgram); the --fault switches save-drop,
// save-dup, save-early, save-long, save-lost, save-notice (block numbers),
// save-refuse and save-after-cancel set its faults; the other --fault
// switches are the serial side's (nak-enq, bad-bcc, silent, byte-delay, ...). --modem puts a
// modem in front of the serial side: AT commands are answered "OK", a dial
// "CONNECT 9600" (or, by --modem-dial, busy, no-carrier, error, no-answer,
// silent), then the exchange has the line until "+++"; --modem-mute makes
// it answer nothing. --password is the log-in password of both sides
// (serial: empty takes any). It runs until
// interrupted. --udp PORT serves the UDP side on 127.0.0.1 as well (its
// options are those of FakeUdp_StartFromArgs); with --udp alone no serial
// side is started.
#include <csignal>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/exchange/FakeCore.h"
#include "tests/exchange/FakeLoad.h"
#include "tests/exchange/FakeProgram.h"
#include "tests/exchange/FakeSave.h"
#include "tests/exchange/FakeSerial.h"
#include "tests/exchange/FakeTelephone.h"
#include "tests/exchange/FakeUdp.h"

namespace {

struct SerialOptions {
  bool on = false;
  std::string programDir;
  int com = 1;
  SerialFaults faults;
  FakeModem modem;
};

struct Options {
  bool udp = false;
  std::string password;
  std::string scriptFile;
  SerialOptions serial;
  FakeSaveFaults save;
};

int Usage(const char* why) {
  std::fprintf(stderr,
               "fake_exchange_run: %s\n"
               "usage: fake_exchange_run [--serial] [--dir PROGRAMDIR] [--com N]\n"
               "       [--modem [--modem-dial ANSWER] [--modem-mute]]\n"
               "       [--password TEXT] [--script FILE] [--fault NAME=N]...\n"
               "       [--udp PORT [--wrong-password-notice] [--no-login] [--drop K] ...]\n",
               why);
  return 2;
}

// Returns an error text, or empty when the arguments are good.
std::string Parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    const char* v = nullptr;
    // The UDP side reads its own options; skip them here.
    static const char* const kUdpValued[] = {"--udp", "--notice-on", "--drop", "--garbage",
                                             "--overlong", "--wrong-seq", "--wrong-length",
                                             "--other-address", "--delay", "--lose-requests"};
    bool udpOption = false;
    for (const char* u : kUdpValued)
      if (a == u) udpOption = true;
    if (udpOption) {
      if (a == "--udp") o.udp = true;
      if (!value()) return a + " needs a value";
      continue;
    }
    if (a == "--wrong-password-notice" || a == "--no-login") continue;
    if (a == "--serial") {
      o.serial.on = true;
    } else if (a == "--dir" && (v = value())) {
      o.serial.on = true;
      o.serial.programDir = v;
      if (o.serial.programDir.empty() || o.serial.programDir.back() != '/') o.serial.programDir += '/';
    } else if (a == "--com" && (v = value())) {
      o.serial.com = std::atoi(v);
      if (o.serial.com < 1) return "--com wants a port number from 1";
    } else if (a == "--modem") {
      o.serial.on = true;
      o.serial.modem.on = true;
    } else if (a == "--modem-dial" && (v = value())) {
      if (!o.serial.modem.SetDial(v)) return std::string("unknown modem answer ") + v;
    } else if (a == "--modem-mute") {
      o.serial.modem.mute = true;
    } else if (a == "--password" && (v = value())) {
      o.password = v;
    } else if (a == "--script" && (v = value())) {
      o.scriptFile = v;
    } else if (a == "--fault" && (v = value())) {
      std::string f = v;
      size_t eq = f.find('=');
      std::string name = f.substr(0, eq);
      int n = eq == std::string::npos ? 1 : std::atoi(f.c_str() + eq + 1);
      if (!o.save.Set(name, n) && !o.serial.faults.Set(name, n)) return "unknown fault " + name;
    } else {
      return "bad argument " + a;
    }
  }
  bool anySide = o.serial.on || o.udp;
  if (!anySide) o.serial.on = true;
  return {};
}

}  // namespace

// The COM link of the program folder, removed on every way out while it
// still points at this fake's terminal.
class PortLink {
 public:
  ~PortLink() {
    if (path_.empty()) return;
    char buf[512];
    ssize_t n = ::readlink(path_.c_str(), buf, sizeof buf - 1);
    if (n > 0 && std::string(buf, static_cast<size_t>(n)) == target_) ::unlink(path_.c_str());
  }
  void Own(std::string path, std::string target) {
    path_ = std::move(path);
    target_ = std::move(target);
  }

 private:
  std::string path_, target_;
};

// A link to a terminal that still exists belongs to a fake that runs.
bool PortLinkInUse(const std::string& path) {
  char buf[512];
  ssize_t n = ::readlink(path.c_str(), buf, sizeof buf - 1);
  if (n <= 0) return false;
  return ::access(std::string(buf, static_cast<size_t>(n)).c_str(), F_OK) == 0;
}

int main(int argc, char** argv) {
  Options o;
  std::string err = Parse(argc, argv, o);
  if (!err.empty()) return Usage(err.c_str());

  // Signals are taken by sigwait below, not by a handler in some thread.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);

  auto script = std::make_shared<ScriptTable>();
  if (!o.scriptFile.empty() && !script->Load(o.scriptFile, &err)) return Usage(err.c_str());
  // One programming for both links: what a load over either gives it, a
  // save over either gets.
  FakeProgram program;
  if (!program.ReadFolder(FAKE_SAMPLE_DIR, &err)) {
    std::fprintf(stderr, "fake_exchange_run: %s\n", err.c_str());
    return 1;
  }
  auto store = std::make_shared<FakeSaveStore>(script);
  for (char code : program.Codes()) store->SetLines(code, program.Lines(code));
  store->SetFaults(o.save);
  auto load = std::make_shared<FakeLoadScript>(store);
  load->OnTaken([&program, &store](const std::string& payload) {
    for (char code : program.Take(std::string_view(payload).substr(1))) store->SetLines(code, program.Lines(code));
  });
  auto core = std::make_shared<FakeCore>(load);
  core->SetPassword(o.password);

  // The UDP port first: when it is taken, nothing else is touched, least
  // of all the COM link of the fake that holds it.
  std::unique_ptr<FakeUdpExchange> udp;
  if (o.udp) {
    udp = FakeUdp_StartFromArgs(argc, argv, err);
    if (!udp) {
      std::fprintf(stderr, "fake_exchange_run: %s\n", err.c_str());
      return 1;
    }
    std::printf("udp: 127.0.0.1 port %s\n", [&] {
      for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--udp") return argv[i + 1];
      return argv[0];
    }());
    store->AttachTo(*udp);
    load->AttachTo(*udp);
  }
  std::unique_ptr<FakeSerialExchange> serial;
  PortLink link;
  if (o.serial.on) {
    serial = std::make_unique<FakeSerialExchange>(core);
    serial->SetFaults(o.serial.faults);
    serial->SetModem(o.serial.modem);
    if (!serial->Start(&err)) {
      std::fprintf(stderr, "fake_exchange_run: %s\n", err.c_str());
      return 1;
    }
    std::printf("serial: %s%s\n", serial->PortPath().c_str(), o.serial.modem.on ? " (modem)" : "");
    if (!o.serial.programDir.empty()) {
      std::string path = o.serial.programDir + "ports/com" + std::to_string(o.serial.com);
      if (PortLinkInUse(path)) {
        std::fprintf(stderr, "fake_exchange_run: %s is in use by another fake exchange\n", path.c_str());
        return 1;
      }
      if (!serial->LinkPort(o.serial.programDir, o.serial.com, &err)) {
        std::fprintf(stderr, "fake_exchange_run: %s\n", err.c_str());
        return 1;
      }
      link.Own(path, serial->PortPath());
      std::printf("serial link: %sports/com%d\n", o.serial.programDir.c_str(), o.serial.com);
    }
  }
  // Both sides run the telephone mode (0x80 ... 0x8F; FF12 sends a dump).
  std::unique_ptr<FakeTelephone> serialTel, udpTel;
  if (serial) serialTel = std::make_unique<FakeTelephone>(*serial);
  if (udp) udpTel = std::make_unique<FakeTelephone>(*udp);
  std::printf("ready\n");
  std::fflush(stdout);

  int sig = 0;
  sigwait(&stop, &sig);
  // The threads of both sides use the telephone mode, the store and the
  // programming: they stop before any of those goes.
  if (serial) serial->Stop();
  if (udp) udp->Stop();
  return 0;
}
