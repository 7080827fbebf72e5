// The toolkit's own dialogs speak Japanese, and the printer setup is a
// setup: its confirm button does not print.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>
#include <QTreeView>

#include "platform/ui/QtText.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/FileChooser.h"
#include "tests/support/TempDir.h"
#include "tests/support/ui/ModalHelper.h"

namespace {

bool HasLatinWord(const QString& s) {
  static const QStringList english{"Open", "Cancel", "Look in", "File name", "Files of type", "Print",
                                   "Printer", "Properties", "Options", "Close", "Save", "Pages", "binding"};
  for (const QString& w : english)
    if (s.contains(w)) return true;
  return false;
}

// Every text of a dialog's buttons and labels but those that show data
// (the printers' names, models and places).
QStringList Texts(QWidget* d) {
  QStringList data;
  for (const QPrinterInfo& p : QPrinterInfo::availablePrinters())
    data << p.printerName() << p.description() << p.makeAndModel() << p.location();
  QStringList out;
  for (auto* b : d->findChildren<QAbstractButton*>())
    if (!b->text().isEmpty()) out << b->text();
  for (auto* l : d->findChildren<QLabel*>())
    if (!l->text().isEmpty() && !data.contains(l->text())) out << l->text();
  return out;
}

TEST(ToolkitText, FileDialogSpeaksJapanese) {
  TempDir dir;
  dir.Write("PhoneBook.csv", std::string(201, 'x'));
  // The toolkit restores the last dialog's columns: start from its own.
  QSettings(QSettings::UserScope, "QtProject").remove("FileDialog/treeViewHeader");
  // The toolkit's own file dialog, as the kanji phone book opens it.
  QFileDialog dlg(nullptr, QString(), QString::fromStdString(dir.path()));
  FileChooser_Prepare(&dlg);
  dlg.setFileMode(QFileDialog::ExistingFile);
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  dlg.setViewMode(QFileDialog::Detail);
  dlg.show();
  QApplication::processEvents();
  auto* box = dlg.findChild<QDialogButtonBox*>();
  ASSERT_NE(box, nullptr);
  ASSERT_NE(box->button(QDialogButtonBox::Cancel), nullptr);
  EXPECT_EQ(box->button(QDialogButtonBox::Cancel)->text(), U8("キャンセル"));
  auto* lookIn = dlg.findChild<QLabel*>("lookInLabel");
  ASSERT_NE(lookIn, nullptr);
  EXPECT_FALSE(HasLatinWord(lookIn->text())) << lookIn->text().toStdString();
  for (const QString& t : Texts(&dlg)) EXPECT_FALSE(HasLatinWord(t)) << t.toStdString();
  // Sizes, types and dates too ("201 bytes", "CSV document", "9 Dec 2026"
  // were English), each in a column that holds it, once the toolkit's
  // file-information thread has them.
  auto* view = dlg.findChild<QTreeView*>("treeView");
  ASSERT_NE(view, nullptr);
  const QAbstractItemView* cells = view;
  QStringList shown;
  auto ready = [&] {
    shown.clear();
    bool whole = true;
    for (int c = 1; c <= 3; ++c) {
      shown << view->model()->index(0, c, view->rootIndex()).data().toString();
      whole = whole && view->header()->sectionSize(c) >= std::max(cells->sizeHintForColumn(c), view->header()->sectionSizeHint(c));
    }
    return whole && !shown.contains(QString());
  };
  EXPECT_TRUE(QTest::qWaitFor(ready, 10000)) << shown.join('|').toStdString();
  EXPECT_FALSE(shown.join('|').contains(QRegularExpression("[a-z]"))) << shown.join('|').toStdString();
  dlg.reject();
}

TEST(ToolkitText, PrinterSetupSpeaksJapaneseAndDoesNotOfferToPrint) {
  TempDir dir;
  dir.Write("MSGDLG.DAT", "J9091=T,no printer,1,0\r\n");
  Main_SetProgramFolder(dir.path());
  TMain_Frm main;
  main.show();
  QStringList texts;
  QStringList buttons;
  QString ok;
  bool setupShown = false;
  WhenModal([&](QDialog* d) {
    setupShown = qobject_cast<QPrintDialog*>(d) != nullptr;
    if (auto* box = d->findChild<QDialogButtonBox*>())
      if (QPushButton* b = box->button(QDialogButtonBox::Ok)) ok = b->text();
    texts = Texts(d);
    for (auto* b : d->findChildren<QPushButton*>()) buttons << b->text();
    d->reject();
  });
  main.Prn_BitBtnClick();
  // CI sets up a PDF printer: the setup dialog itself comes up.
  ASSERT_TRUE(setupShown);
  EXPECT_EQ(ok, U8("OK"));
  EXPECT_FALSE(texts.isEmpty());
  for (const QString& t : texts) EXPECT_FALSE(HasLatinWord(t)) << t.toStdString();
  ASSERT_FALSE(buttons.isEmpty());
  for (const QString& b : buttons) EXPECT_FALSE(b.contains(U8("印刷"))) << b.toStdString();
}

}  // namespace
