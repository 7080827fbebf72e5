#include "tests/support/CupsPdf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

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

}  // namespace cupspdf
