#include "shell/ui/Printer.h"

#include <QPrinter>
#include <QPrinterInfo>

QPrinter* Orvo_Printer() {
  static QPrinter* printer = new QPrinter(QPrinter::HighResolution);
  return printer;
}

bool Orvo_PrinterReady(QPrinter* printer) {
  if (!printer) return false;
  // A printer set up since the program started replaces the fallback.
  if (printer->outputFormat() == QPrinter::PdfFormat && printer->outputFileName().isEmpty())
    printer->setOutputFormat(QPrinter::NativeFormat);
  if (printer->outputFormat() == QPrinter::PdfFormat) return !printer->outputFileName().isEmpty();
  return !printer->printerName().isEmpty() && !QPrinterInfo::printerInfo(printer->printerName()).isNull();
}
