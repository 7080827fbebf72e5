// No print system within reach, as on a machine without a printer, for the
// life of the object: libcups is pointed at a loopback port where no
// scheduler listens. Threads that libcups has already served keep their
// server until they end, so the printing under test starts after this.
#pragma once

#include <cstdlib>
#include <string>
#if ORVO_HAVE_CUPS
#include <cups/cups.h>
#endif

class NoPrinter {
 public:
  NoPrinter() {
    if (const char* old = std::getenv("CUPS_SERVER")) old_ = old;
    ::setenv("CUPS_SERVER", "127.0.0.1:1", 1);
    Reset();
  }
  ~NoPrinter() {
    if (old_.empty()) ::unsetenv("CUPS_SERVER");
    else ::setenv("CUPS_SERVER", old_.c_str(), 1);
    Reset();
  }
  NoPrinter(const NoPrinter&) = delete;
  NoPrinter& operator=(const NoPrinter&) = delete;
  // Whether the tests were built with libcups, which this needs.
  static bool Available() {
#if ORVO_HAVE_CUPS
    return true;
#else
    return false;
#endif
  }

 private:
  static void Reset() {
#if ORVO_HAVE_CUPS
    cupsSetServer(nullptr);  // read CUPS_SERVER again, drop the open connection
#endif
  }
  std::string old_;
};
