// The setting screens' open routines, one per page type, as the menu tree
// calls them: page type n is opened by G_Pn_Init, which the program's wiring
// installs here with the screen's widgets.
#pragma once

#include <functional>
#include <string>

class QWidget;

// cmdPath: the command file (it may not exist yet); key: the screen key;
// pageType: the line's page type. true when the screen is ready to be shown;
// otherwise it has shown its own message.
using PageInitFn = std::function<bool(const std::string& cmdPath, const std::string& key, int pageType)>;

// The screen and its Load_BitBtn and Err_BitBtn, asked after a successful
// open (a screen may be created by its first open).
struct PageWidgets {
  QWidget* form = nullptr;
  QWidget* loadButton = nullptr;
  QWidget* errButton = nullptr;
};

struct PageOpener {
  PageInitFn init;                       // G_Pn_Init
  std::function<PageWidgets()> widgets;
};

// Installs (an empty opener removes) the screen of a page type 0-7; other
// types are ignored.
void PageOpen_Set(int pageType, PageOpener opener);
// The screen of a page type; an empty opener when none is installed.
PageOpener PageOpen_Get(int pageType);

// The setting screen that is open (shown, or hidden behind the load form or
// the error viewer); null while none is. Kept by the screens' base.
extern QWidget* CurrentPage;
