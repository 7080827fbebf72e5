#include "tests/support/CupsPdf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/file.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#ifdef ORVO_HAVE_CUPS
#include <cups/cups.h>
#endif

namespace cupspdf {

namespace {

bool Elapsed(std::chrono::steady_clock::time_point start, int timeoutMs) {
  return std::chrono::steady_clock::now() - start > std::chrono::milliseconds(timeoutMs);
}

}  // namespace

std::string OutputDir() {
#ifdef ORVO_HAVE_CUPS
  const char* d = std::getenv("ORVO_CUPS_PDF_DIR");
  if (d && *d && !DefaultPrinter().empty()) return d;
#endif
  return {};
}

std::string DefaultPrinter() {
#ifdef ORVO_HAVE_CUPS
  cups_dest_t* dests = nullptr;
  int n = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  cups_dest_t* d = cupsGetDest(nullptr, nullptr, n, dests);
  std::string name = d && d->name ? d->name : "";
  cupsFreeDests(n, dests);
  return name;
#else
  return {};
#endif
}

#ifdef ORVO_HAVE_CUPS
namespace {
template <class F>
void ForJobs(F f) {
  cups_job_t* jobs = nullptr;
  int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
  for (int i = 0; i < n; ++i) f(jobs[i]);
  if (n > 0) cupsFreeJobs(n, jobs);
}
}  // namespace
#endif

int LastJobId() {
  int last = 0;
#ifdef ORVO_HAVE_CUPS
  ForJobs([&](const cups_job_t& j) { last = std::max(last, j.id); });
#endif
  return last;
}

int CountJobs(const std::string& title, int afterId) {
  int count = 0;
#ifdef ORVO_HAVE_CUPS
  ForJobs([&](const cups_job_t& j) {
    if (j.id > afterId && j.title && title == j.title) ++count;
  });
#else
  (void)title;
  (void)afterId;
#endif
  return count;
}

int WaitCompleted(const std::string& title, int afterId, int timeoutMs) {
#ifdef ORVO_HAVE_CUPS
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    int found = 0;
    ForJobs([&](const cups_job_t& j) {
      if (j.id > afterId && j.title && title == j.title && j.state == IPP_JSTATE_COMPLETED) found = j.id;
    });
    if (found || Elapsed(start, timeoutMs)) return found;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
#else
  (void)title;
  (void)afterId;
  (void)timeoutMs;
  return 0;
#endif
}

std::string OutputOf(int jobId, int timeoutMs) {
  const std::string dir = OutputDir();
  if (dir.empty()) return {};
  // The PDF printer names its files "<title>-job_<id>.pdf".
  const std::string tail = "job_" + std::to_string(jobId) + ".pdf";
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    std::error_code ec;
    for (auto& e : std::filesystem::directory_iterator(dir, ec)) {
      const std::string name = e.path().filename().string();
      if (name.size() >= tail.size() && name.compare(name.size() - tail.size(), tail.size(), tail) == 0 &&
          (name.size() == tail.size() || name[name.size() - tail.size() - 1] == '-'))
        return e.path().string();
    }
    if (Elapsed(start, timeoutMs)) return {};
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

void WaitPrinted(const std::string& title, int afterId, int& job, std::string& pdf) {
  job = WaitCompleted(title, afterId, 30000);
  ASSERT_GT(job, 0) << "no completed job named " << title;
  pdf = OutputOf(job, 10000);
  ASSERT_FALSE(pdf.empty());
}

int PdfPages(const std::string& path) {
  std::string cmd = "pdfinfo '" + path + "' 2>/dev/null";
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return -1;
  int pages = -1;
  char line[512];
  while (std::fgets(line, sizeof line, p)) {
    int n;
    if (std::sscanf(line, "Pages: %d", &n) == 1) pages = n;
  }
  ::pclose(p);
  return pages;
}

NoScheduler::NoScheduler(Kind kind) {
  socket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  // The system completes the connections of a listening socket by itself
  // and keeps what they send: the silent server never reads or writes.
  if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      (kind == kSilent && ::listen(socket_, 16) != 0) ||
      ::getsockname(socket_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    ADD_FAILURE() << "no loopback port for an unreachable print system";
    // Port 1 is privileged and served by nothing here.
    a.sin_port = htons(1);
  }
  address_ = "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
  if (const char* old = std::getenv("CUPS_SERVER")) {
    hadServer_ = true;
    oldServer_ = old;
  }
  ::setenv("CUPS_SERVER", address_.c_str(), 1);
#ifdef ORVO_HAVE_CUPS
  // The client keeps its server per thread once asked; this also drops a
  // connection it holds open to the real scheduler.
  cupsSetServer(address_.c_str());
#endif
}

NoScheduler::~NoScheduler() {
  if (hadServer_) ::setenv("CUPS_SERVER", oldServer_.c_str(), 1);
  else ::unsetenv("CUPS_SERVER");
#ifdef ORVO_HAVE_CUPS
  cupsSetServer(nullptr);  // back to the environment and client.conf
#endif
  if (socket_ >= 0) ::close(socket_);
}

QueueLock::QueueLock() {
  const std::string dir = OutputDir();
  if (dir.empty()) return;
  fd_ = ::open((dir + "/.orvo-tests.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  EXPECT_GE(fd_, 0) << "cannot open the print queue's lock file";
  if (fd_ >= 0) {
    EXPECT_EQ(::flock(fd_, LOCK_EX), 0);
  }
}

QueueLock::~QueueLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace cupspdf
