// A fixed label that shows a folder or file path. A path wider than the
// label gives up its middle ("…"), so that its own last names stay in sight;
// the tool tip then holds it whole.
#pragma once

#include <QString>

class QLabel;

// Shows path (its display form) in l, cut in the middle to the label's
// width; cut again to fit whenever the label's width or font changes.
void PathLabel_Show(QLabel* l, const QString& path);

// The whole path that l shows: the one given to PathLabel_Show, or the
// label's own text when that was set otherwise since.
QString PathLabel_Path(const QLabel* l);
