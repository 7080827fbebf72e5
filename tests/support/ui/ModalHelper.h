// Answers the next modal dialog from a timer, since exec() does not return
// until someone presses a button.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <functional>

// Calls act on the active modal dialog as soon as one shows up.
inline void WhenModal(std::function<void(QDialog*)> act, int tries = 200) {
  QTimer::singleShot(5, [act, tries] {
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (d && d->isVisible()) act(d);
    else if (tries > 0) WhenModal(act, tries - 1);
  });
}
