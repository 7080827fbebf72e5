#include "shell/ui/Printer.h"

#include <QCoreApplication>
#include <QPrinter>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <cups/cups.h>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace {

// How long the print system may take to say whether it knows a printer. Its
// own wait for an answer is a minute, and a server that accepts and never
// answers would hold the program that long.
constexpr std::chrono::milliseconds kLookLimit{5000};
// Each connection and each answer the look waits for on its own.
constexpr int kAskMs = 3000;

// Asks the print server on a connection of its own, every wait bounded:
// it runs on a worker thread, which the program may leave behind. false
// when the server cannot be reached.
bool AskServer(const std::function<bool(http_t*)>& ask) {
  http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, kAskMs, nullptr);
  if (!http) return false;
  // No callback: a wait that runs out ends the request with an error.
  httpSetTimeout(http, kAskMs / 1000.0, nullptr, nullptr);
  const bool yes = ask(http);
  httpClose(http);
  return yes;
}

// Whether the server knows the printer name ("queue" or "queue/instance"),
// or has a default printer when name is empty.
bool KnowsPrinter(http_t* http, const std::string& name) {
  std::string queue = name, instance;
  if (const size_t slash = name.find('/'); slash != std::string::npos) {
    queue = name.substr(0, slash);
    instance = name.substr(slash + 1);
  }
  cups_dest_t* dest = cupsGetNamedDest(http, queue.empty() ? nullptr : queue.c_str(),
                                       instance.empty() ? nullptr : instance.c_str());
  const bool known = dest != nullptr;
  cupsFreeDests(known ? 1 : 0, dest);
  return known;
}

// Whether the server knows any printer at all.
bool KnowsAnyPrinter(http_t* http) {
  cups_dest_t* dests = nullptr;
  const int n = cupsGetDests2(http, &dests);
  cupsFreeDests(n, dests);
  return n > 0;
}

// The look of AskServer on a worker while this thread keeps answering its
// events (a progress box's Cancel among them). A look that outlasts the
// limit counts as no; it ends by itself later, touching only what it shares
// with no one but this function's copy.
bool AskBounded(std::function<bool(http_t*)> ask) {
  struct Look {
    std::mutex m;
    std::condition_variable done;
    int answer = -1;  // -1 while asking
  };
  auto look = std::make_shared<Look>();
  std::thread([look, ask = std::move(ask)] {
    const bool known = AskServer(ask);
    std::lock_guard<std::mutex> g(look->m);
    look->answer = known ? 1 : 0;
    look->done.notify_all();
  }).detach();
  const auto until = std::chrono::steady_clock::now() + kLookLimit;
  std::unique_lock<std::mutex> lock(look->m);
  while (look->answer < 0 && std::chrono::steady_clock::now() < until) {
    lock.unlock();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    lock.lock();
    look->done.wait_for(lock, std::chrono::milliseconds(10), [&] { return look->answer >= 0; });
  }
  return look->answer == 1;
}

}  // namespace

QPrinter* Orvo_Printer() {
  static QPrinter* printer = new QPrinter(QPrinter::HighResolution);
  return printer;
}

bool Orvo_PrinterReady(QPrinter* printer) {
  if (!printer) return false;
  const bool pdf = printer->outputFormat() == QPrinter::PdfFormat;
  if (pdf && !printer->outputFileName().isEmpty()) return true;
  // The fallback of a program started without a printer looks for the
  // default printer: one set up since then replaces the fallback. The
  // print system is asked first, within bounds; the toolkit's own look,
  // which follows, would wait on a silent server for a minute.
  const std::string name = pdf ? std::string() : printer->printerName().toStdString();
  if (!pdf && name.empty()) return false;
  if (!AskBounded([name](http_t* http) { return KnowsPrinter(http, name); })) return false;
  if (pdf) printer->setOutputFormat(QPrinter::NativeFormat);
  return printer->outputFormat() == QPrinter::NativeFormat && !printer->printerName().isEmpty();
}

bool Orvo_AnyPrinter() { return AskBounded(KnowsAnyPrinter); }
