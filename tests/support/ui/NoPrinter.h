// A printing test's no-printer case: the print system is unreachable (see
// cupspdf::NoScheduler) and the program's shared printer is as a printer
// made without any print system is: PDF output with no file, which cannot
// begin a job. Both come back at the end of the scope, the printer as it
// was. Only for tests linked with the shell's forms (Orvo_Printer).
#pragma once

#include <QPrinter>
#include <QPrinterInfo>
#include <QString>
#include <gtest/gtest.h>
#include <memory>

#include "shell/ui/Printer.h"
#include "tests/support/CupsPdf.h"

class NoPrinter {
 public:
  NoPrinter()
      // The shared printer is made first (as the program makes it, with the
      // print system there) so that it outlives this scope unchanged.
      : printer_(Orvo_Printer()),
        format_(printer_->outputFormat()),
        name_(printer_->printerName()),
        file_(printer_->outputFileName()),
        scheduler_(std::make_unique<cupspdf::NoScheduler>()) {
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(QString());
    printer_->setOutputFormat(QPrinter::PdfFormat);
    EXPECT_TRUE(QPrinterInfo::availablePrinters().isEmpty()) << "a printer is still reachable";
    EXPECT_TRUE(printer_->outputFileName().isEmpty());
  }
  ~NoPrinter() {
    scheduler_.reset();
    printer_->setOutputFormat(format_);
    if (format_ == QPrinter::NativeFormat && !name_.isEmpty()) printer_->setPrinterName(name_);
    if (!file_.isEmpty()) printer_->setOutputFileName(file_);
    printer_->setOutputFormat(format_);
  }
  NoPrinter(const NoPrinter&) = delete;
  NoPrinter& operator=(const NoPrinter&) = delete;

 private:
  QPrinter* printer_;
  QPrinter::OutputFormat format_;
  QString name_, file_;
  std::unique_ptr<cupspdf::NoScheduler> scheduler_;
};
