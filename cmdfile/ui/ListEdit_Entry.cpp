#include "cmdfile/ui/ListEdit_Entry.h"

#include <utility>

namespace {
ListEditFn& Entry() {
  static ListEditFn fn;
  return fn;
}
}  // namespace

void ListEdit_SetEntry(ListEditFn fn) { Entry() = std::move(fn); }

void ListEdit_Open(QWidget* list, const std::string& cmdFilePath) {
  // A copy: the editor may replace the entry while it runs.
  ListEditFn fn = Entry();
  if (fn) fn(list, cmdFilePath);
}

bool ListEdit_HasEntry() { return static_cast<bool>(Entry()); }
