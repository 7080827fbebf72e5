// The data-kind selection form as its subforms see it. The selection form
// opens the save, load, speed-dial and viewer forms, and each of them brings
// the selection form back when it closes; the hooks break that cycle so that
// neither side includes the other's form. orvo/ installs both sides.
#pragma once

#include <QString>
#include <functional>
#include <string>

class QWidget;

struct SelectionHost {
  // Installed by the subsystems that own the subforms; called by the
  // selection form after it has set the hand-over globals.
  std::function<void()> openSave;
  std::function<void()> openLoad;
  std::function<void()> openSpeedDial;
  // The viewer of the error lists in the folder the selection form shows.
  std::function<void(const std::string& folder)> openViewer;

  // Installed by the selection form of the system type; called by a
  // subform when it closes.
  std::function<void()> dataFileScan;
  std::function<void()> partFileScan;
  std::function<void()> cmdFileScan;
  std::function<void()> listDisp;
  std::function<void()> freeSpaceDisp;
  // Shows the selection form of the system type again.
  std::function<void()> show;
  // The selection form in use: a subform takes its top left corner.
  QWidget* form = nullptr;
  // The data folder as the selection form's label shows it.
  std::function<QString()> dirCaption;
};

SelectionHost& Selection_Host();

// What a closing subform does: SelectionReturn := 1, then the refresh steps
// in the order the subform asks for, then the selection form is shown again.
struct SelectionRefresh {
  bool dataFiles = false;
  bool partFiles = false;
  bool cmdFiles = false;
  bool lists = false;
  bool freeSpace = false;
};
void Selection_Return(const SelectionRefresh& refresh);
