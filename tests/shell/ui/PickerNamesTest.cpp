// The pickers on names in CP932 bytes (unpacked from an archive made on
// Windows): folders and files are listed decoded, and what the user picks
// comes back as the bytes on disk.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>

#include "platform/ui/QtText.h"
#include "shell/ui/FInpBox_Form.h"
#include "shell/ui/FInpBox_Unit.h"
#include "shell/ui/FSelBox_Form.h"
#include "shell/ui/FSelBox_Unit.h"
#include "tests/support/TempDir.h"
#include "tests/support/ui/ModalHelper.h"

namespace {

const std::string kTesuto = "\x83\x65\x83\x58\x83\x67";  // "テスト" in CP932
const std::string kDeta = "\x83\x66\x81\x5B\x83\x5E";    // "データ" in CP932

QListWidgetItem* Labelled(QListWidget* l, const QString& text) {
  for (int i = 0; i < l->count(); ++i)
    if (l->item(i)->text().trimmed() == text) return l->item(i);
  return nullptr;
}

TEST(PickerNames, ShiftJisFoldersAndFilesAreShownDecodedAndPickedAsBytes) {
  TempDir t;
  t.Write(kDeta + "/" + kTesuto + ".CMD", "x");
  const std::string root = t.path().substr(0, t.path().size() - 1);

  TFSeleDlg p;
  p.Path = root;
  WhenModal([&](QDialog* d) {
    auto* f = static_cast<TFSel_Dlg*>(d);
    QListWidgetItem* folder = Labelled(f->FSel_DirLstBox, U8("データ"));
    ASSERT_NE(folder, nullptr);
    emit f->FSel_DirLstBox->itemDoubleClicked(folder);
    EXPECT_EQ(f->Fname_Lbl->text(), NameToQ(root) + U8("/データ"));
    ASSERT_EQ(f->FSel_FilLstBox->count(), 1);
    EXPECT_EQ(f->FSel_FilLstBox->item(0)->text(), U8("テスト.CMD"));
    f->FSel_FilLstBox->setCurrentRow(0);
    f->Ok_BitBtn->click();
  });
  ASSERT_TRUE(p.Execute());
  EXPECT_EQ(p.FileName, root + "/" + kDeta + "/" + kTesuto + ".CMD");
  EXPECT_EQ(p.Path, root + "/" + kDeta);

  // The file-name entry: a name taken from the list comes back as its bytes.
  TFInpDlg e;
  e.Path = root + "/" + kDeta;
  WhenModal([&](QDialog* d) {
    auto* f = static_cast<TFInp_Dlg*>(d);
    QListWidgetItem* file = f->FInp_FilLstBox->item(0);
    ASSERT_NE(file, nullptr);
    f->FInp_FilLstBox->setCurrentItem(file);
    emit f->FInp_FilLstBox->itemClicked(file);
    EXPECT_EQ(f->FName_Edt->text(), U8("テスト.CMD"));
    f->Ok_BitBtn->click();
  });
  ASSERT_TRUE(e.Execute());
  EXPECT_EQ(e.FileName, kTesuto + ".CMD");
  EXPECT_EQ(e.Path, root + "/" + kDeta);

  // A name given beforehand and left as it is comes back as its bytes too.
  e.FileName = kDeta + ".CMD";
  WhenModal([&](QDialog* d) {
    auto* f = static_cast<TFInp_Dlg*>(d);
    EXPECT_EQ(f->FName_Edt->text(), U8("データ.CMD"));
    f->Ok_BitBtn->click();
  });
  ASSERT_TRUE(e.Execute());
  EXPECT_EQ(e.FileName, kDeta + ".CMD");
}

}  // namespace
