// The toolkit's file dialog as the programs show it: Japanese in every
// column, as its captions already are, and each column wide enough for
// what it shows.
#pragma once

class QFileDialog;

// Call once, before the dialog is shown.
void FileChooser_Prepare(QFileDialog* dlg);
