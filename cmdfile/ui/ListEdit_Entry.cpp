#include "cmdfile/ui/ListEdit_Entry.h"

#include <utility>

namespace {
ListEditFn& Entry() {
  static ListEditFn fn;
  return fn;
}
std::function<void()>& Back() {
  static std::function<void()> fn;
  return fn;
}
}  // namespace

ListEditFn ListEdit_SetEntry(ListEditFn fn) { return std::exchange(Entry(), std::move(fn)); }

bool ListEdit_Open(QWidget* list, const std::string& cmdFilePath) {
  // A copy: the editor may replace the entry while it runs.
  ListEditFn fn = Entry();
  return fn ? fn(list, cmdFilePath) : false;
}

bool ListEdit_HasEntry() { return static_cast<bool>(Entry()); }

std::function<void()> ListEdit_SetReturn(std::function<void()> back) { return std::exchange(Back(), std::move(back)); }

void ListEdit_Return() {
  std::function<void()> fn = Back();
  if (fn) fn();
}
