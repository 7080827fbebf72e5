#pragma once

class QPrinter;

// The one printer of the program: set up by the printer setup of the main
// window, used by every listing.
QPrinter* Orvo_Printer();
