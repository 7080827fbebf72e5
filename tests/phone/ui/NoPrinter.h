// A printing test's no-printer case, for the life of the object: the print
// client of this process asks a loopback port where no scheduler listens
// (this thread, and threads that first ask the print system later), and the
// program's shared printer is as a printer made without a print system is:
// PDF output to no file. Both come back at the end, the printer as it was.
#pragma once

#include <QPrinter>
#include <QString>
#include <cstdlib>
#include <string>
#if ORVO_HAVE_CUPS
#include <cups/cups.h>
#endif

#include "shell/ui/Printer.h"

class NoPrinter {
 public:
  NoPrinter()
      : printer_(Orvo_Printer()),
        format_(printer_->outputFormat()),
        name_(printer_->printerName()),
        file_(printer_->outputFileName()) {
    if (const char* old = std::getenv("CUPS_SERVER")) {
      hadServer_ = true;
      oldServer_ = old;
    }
    ::setenv("CUPS_SERVER", "127.0.0.1:1", 1);  // port 1: served by nothing here
    Reset();
    printer_->setOutputFileName(QString());
    printer_->setOutputFormat(QPrinter::PdfFormat);
  }
  ~NoPrinter() {
    if (hadServer_) ::setenv("CUPS_SERVER", oldServer_.c_str(), 1);
    else ::unsetenv("CUPS_SERVER");
    Reset();
    printer_->setOutputFormat(format_);
    if (format_ == QPrinter::NativeFormat && !name_.isEmpty()) printer_->setPrinterName(name_);
    if (!file_.isEmpty()) printer_->setOutputFileName(file_);
  }
  NoPrinter(const NoPrinter&) = delete;
  NoPrinter& operator=(const NoPrinter&) = delete;

 private:
  static void Reset() {
#if ORVO_HAVE_CUPS
    cupsSetServer(nullptr);  // read CUPS_SERVER again, drop the open connection
#endif
  }
  QPrinter* printer_;
  QPrinter::OutputFormat format_;
  QString name_, file_;
  bool hadServer_ = false;
  std::string oldServer_;
};
