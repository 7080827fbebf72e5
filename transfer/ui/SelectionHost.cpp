#include "transfer/ui/SelectionHost.h"

#include "shell/Global_Unit.h"

SelectionHost& Selection_Host() {
  static SelectionHost host;
  return host;
}

namespace {
void Call(const std::function<void()>& f) {
  if (f) f();
}
}  // namespace

void Selection_Return(const SelectionRefresh& refresh) {
  SelectionReturn = 1;
  const SelectionHost& h = Selection_Host();
  if (refresh.dataFiles) Call(h.dataFileScan);
  if (refresh.partFiles) Call(h.partFileScan);
  if (refresh.cmdFiles) Call(h.cmdFileScan);
  if (refresh.lists) Call(h.listDisp);
  if (refresh.freeSpace) Call(h.freeSpaceDisp);
  Call(h.show);
}
