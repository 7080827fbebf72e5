// The command-file list's "edit as menu tree" goes through this one entry
// point. The menu-tree editor installs itself here; until it does, the
// list's button and New's "Yes" do nothing.
#pragma once

#include <functional>
#include <string>

class QWidget;

// list: the command-file list, still shown; cmdFilePath: the command file,
// resolved in the list's folder (it may not exist yet after New);
// ComFileText is empty. The editor loads its menu tree: false when that
// failed (it has shown its message), and the list stays; true when the tree
// is shown, and the list hides itself.
using ListEditFn = std::function<bool(QWidget* list, const std::string& cmdFilePath)>;

// Installs (or, with an empty function, removes) the tree editor; gives the
// one it replaces.
ListEditFn ListEdit_SetEntry(ListEditFn fn);

// Hands the file to the tree editor; false (and nothing done) while none is
// installed.
bool ListEdit_Open(QWidget* list, const std::string& cmdFilePath);

// Whether a tree editor is installed.
bool ListEdit_HasEntry();

// The way back: the tree calls ListEdit_Return when it closes. The list
// installed here then empties ComFileText, rescans and refills, sets
// ComListReturn to 1, places itself under the main window and shows, with
// the row it had selected selected again.
// Gives the way back it replaces.
std::function<void()> ListEdit_SetReturn(std::function<void()> back);
void ListEdit_Return();
