// Entry of the form tests: one QApplication for the whole test program.
#include <QApplication>
#include <gtest/gtest.h>

#include "tests/support/ui/ModalHelper.h"

namespace {

// Ends the dialog watches of each test before its result is told (the
// result printer hears of the end after this listener).
class EndOfTest : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override { modal::EndTest(); }
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new EndOfTest);
  return RUN_ALL_TESTS();
}
