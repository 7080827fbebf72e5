#pragma once

class QPrinter;

// The one printer of the program: set up by the printer setup of the main
// window, used by every listing.
QPrinter* Orvo_Printer();

// Whether a job on printer can reach paper (or the file it was pointed at):
// a printer the print system knows, or a PDF file named by the caller. With
// no printer set up, the toolkit's printer quietly falls back to PDF output
// to nowhere, which a listing must report instead of "printing". A print
// server that does not answer within a few seconds counts as no printer;
// the program's events (a progress box's Cancel) are answered meanwhile.
bool Orvo_PrinterReady(QPrinter* printer);

// Whether the print system knows any printer, asked within the same bounds:
// a server that does not answer knows none.
bool Orvo_AnyPrinter();
