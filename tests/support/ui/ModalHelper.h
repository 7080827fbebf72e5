// Answers the next modal dialog from a timer, since exec() does not return
// until someone presses a button.
//
// A test must never hang on a dialog nobody answers: when the dialog does
// not come within the bound the test fails there and then, and a dialog
// that still comes later in the same test is closed unanswered; when the
// answer's own checks fail and leave the dialog open, it is closed too.
// The end of every form test (gui_main) fails a test whose dialog never
// came and stops its watch, so that it cannot answer the next test's.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

namespace modal {

struct Watch {
  std::function<void(QDialog*)> act;
  int timeoutMs = 0;
  int test = 0;  // the test that armed it (Tests())
  QElapsedTimer since;
  bool answered = false;
  bool late = false;  // the bound passed: the test has failed already
};

// Counts the tests ended so far; a watch lives only within its own test.
inline int& Tests() {
  static int n = 0;
  return n;
}
inline std::vector<std::shared_ptr<Watch>>& Armed() {
  static std::vector<std::shared_ptr<Watch>> w;
  return w;
}

// Failures recorded in the running test so far.
inline int Failures() {
  const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
  return t ? t->result()->total_part_count() : 0;
}

inline void Poll(const std::shared_ptr<Watch>& w) {
  QTimer::singleShot(5, [w] {
    if (w->test != Tests()) return;  // its test has ended
    QPointer<QDialog> d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (d && d->isVisible()) {
      if (w->late) {
        d->done(QDialog::Rejected);
        Poll(w);
        return;
      }
      w->answered = true;
      const int before = Failures();
      w->act(d);
      // A failed check inside the answer left the dialog open: close it,
      // so that the test ends with its failure instead of waiting.
      if (Failures() > before && d && d->isVisible() && QApplication::activeModalWidget() == d)
        d->done(QDialog::Rejected);
      return;
    }
    if (!w->late && w->since.elapsed() > w->timeoutMs) {
      ADD_FAILURE() << "no modal dialog came within " << w->timeoutMs << " ms";
      w->late = true;
    }
    Poll(w);
  });
}

// Called once at the end of every form test: a dialog that never came is
// this test's failure, and no watch outlives it.
inline void EndTest() {
  for (const auto& w : Armed())
    if (!w->answered && !w->late) ADD_FAILURE() << "a modal dialog was awaited (WhenModal) but never came";
  Armed().clear();
  ++Tests();
}

}  // namespace modal

// Calls act on the active modal dialog as soon as one shows up, within
// timeoutMs (several seconds: sanitizer builds are slow).
inline void WhenModal(std::function<void(QDialog*)> act, int timeoutMs = 10000) {
  auto w = std::make_shared<modal::Watch>();
  w->act = std::move(act);
  w->timeoutMs = timeoutMs;
  w->test = modal::Tests();
  w->since.start();
  modal::Armed().push_back(w);
  modal::Poll(w);
}

// For a step of a test that must show no modal dialog: one that shows
// anyway fails the test and is closed, so that the test goes on.
class NoModal {
 public:
  NoModal() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [] {
      auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!d || !d->isVisible()) return;
      ADD_FAILURE() << "an unexpected modal dialog \"" << d->windowTitle().toStdString() << "\"";
      d->done(QDialog::Rejected);
    });
    timer_.start();
  }

 private:
  QTimer timer_;
};
