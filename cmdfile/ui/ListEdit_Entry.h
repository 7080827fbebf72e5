// The command-file list's "edit as menu tree" goes through this one entry
// point. The menu-tree editor installs itself here; until it does, the
// list's button and New's "Yes" do nothing.
#pragma once

#include <functional>
#include <string>

class QWidget;

// list: the command-file list (hidden by the list before the call; the tree
// places itself and shows); cmdFilePath: the command file, resolved in the
// list's folder (it may not exist yet after New). ComFileText is empty.
using ListEditFn = std::function<void(QWidget* list, const std::string& cmdFilePath)>;

// Installs (or, with an empty function, removes) the tree editor.
void ListEdit_SetEntry(ListEditFn fn);

// Hands the file to the tree editor; does nothing while none is installed.
void ListEdit_Open(QWidget* list, const std::string& cmdFilePath);

// Whether a tree editor is installed.
bool ListEdit_HasEntry();

// The way back: the tree calls ListEdit_Return when it closes. The list
// installed here then empties ComFileText, rescans and refills, sets
// ComListReturn to 1, places itself under the main window and shows, with
// the row it had selected selected again.
void ListEdit_SetReturn(std::function<void()> back);
void ListEdit_Return();
