#include "shell/ui/Printer.h"

#include <QPrinter>

QPrinter* Orvo_Printer() {
  static QPrinter* printer = new QPrinter(QPrinter::HighResolution);
  return printer;
}
