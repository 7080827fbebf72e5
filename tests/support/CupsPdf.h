// The print system as the printing tests meet it: a CUPS scheduler whose
// default printer is a virtual PDF printer (tools/cups-pdf.sh starts it and
// names its output folder in ORVO_CUPS_PDF_DIR). Tests that print through
// the real queue skip when it is not there.
#pragma once

#include <string>

namespace cupspdf {

// The output folder of the PDF printer, or empty when the test command did
// not start one (or the tests were built without CUPS).
std::string OutputDir();
// Name of the default printer; empty when there is none.
std::string DefaultPrinter();
// The highest job id the scheduler knows of (0 for none).
int LastJobId();
// Waits until a job newer than afterId with this title is completed; its id,
// or 0 when none completed within timeoutMs.
int WaitCompleted(const std::string& title, int afterId, int timeoutMs);
// Jobs newer than afterId with this title, in any state.
int CountJobs(const std::string& title, int afterId);
// The PDF the printer wrote for a job (waits up to timeoutMs for it to
// appear); empty when there is none.
std::string OutputOf(int jobId, int timeoutMs);
// Waits for the completed job with this title newer than afterId (30 s) and
// the PDF the printer wrote for it (10 s): its id in job, the PDF's path in
// pdf. A fatal test failure when either does not come, so callers wrap it
// in ASSERT_NO_FATAL_FAILURE.
void WaitPrinted(const std::string& title, int afterId, int& job, std::string& pdf);
// Pages of a PDF file by pdfinfo; -1 when it cannot tell.
int PdfPages(const std::string& path);

// Holds the PDF queue for one test: the checks count the jobs named after
// the program, and ctest runs the printing tests of several binaries at
// once, so each takes the queue in turn (an exclusive lock on a file beside
// the printer's output).
class QueueLock {
 public:
  QueueLock();
  ~QueueLock();
  QueueLock(const QueueLock&) = delete;
  QueueLock& operator=(const QueueLock&) = delete;

 private:
  int fd_ = -1;
};

// For the lifetime of the object the print client of this process asks a
// loopback address where no scheduler listens (a port held bound but not
// listening, so that nothing else can take it): the print system is
// unreachable and knows no printer. Covers this thread and threads that
// first ask the print system later (CUPS_SERVER); the old setting comes
// back at the end. A test of the no-printer path creates one for itself.
// A silent one listens instead: connections are taken and nothing is ever
// answered, as by a print server that hangs.
class NoScheduler {
 public:
  enum Kind { kRefusing, kSilent };
  explicit NoScheduler(Kind kind = kRefusing);
  ~NoScheduler();
  NoScheduler(const NoScheduler&) = delete;
  NoScheduler& operator=(const NoScheduler&) = delete;
  // "127.0.0.1:<port>", where a connection is refused at once (or, silent,
  // taken and left unanswered).
  const std::string& Address() const { return address_; }

 private:
  int socket_ = -1;
  std::string address_;
  bool hadServer_ = false;
  std::string oldServer_;
};

}  // namespace cupspdf
