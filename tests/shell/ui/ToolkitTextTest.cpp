// The toolkit's own dialogs speak Japanese, and the printer setup is a
// setup: its confirm button does not print.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>

#include "platform/ui/QtText.h"
#include "shell/orvo/Main_Unit.h"
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
