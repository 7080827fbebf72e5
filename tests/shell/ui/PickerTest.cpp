#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTest>
#include <filesystem>

#include "platform/ui/QtText.h"
#include "shell/ui/FInpBox_Form.h"
#include "shell/ui/FInpBox_Unit.h"
#include "shell/ui/FSelBox_Form.h"
#include "shell/ui/FSelBox_Unit.h"
#include "tests/support/TempDir.h"
#include "tests/support/ui/ModalHelper.h"
#include "tests/support/ui/PathShown.h"

namespace {

std::string NoSlash(const std::string& p) { return p.substr(0, p.size() - 1); }

// The entry of a folder list whose label (without indentation) is name.
QListWidgetItem* Entry(QListWidget* l, const QString& name) {
  for (int i = 0; i < l->count(); ++i)
    if (l->item(i)->text().trimmed() == name) return l->item(i);
  return nullptr;
}

// Opens a subfolder as a double-click would.
bool OpenFolder(TDirectoryListBox* l, const QString& name) {
  QListWidgetItem* it = Entry(l, name);
  if (!it) return false;
  emit l->itemDoubleClicked(it);
  return true;
}

// Types text one character at a time, as a keyboard or input method would.
void Type(QWidget* w, const QString& text) {
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &release);
  }
}

class Picker : public ::testing::Test {
 protected:
  void SetUp() override {
    t.Write("data/A.DAT", "a");
    t.Write("data/b.cmd", "b");
    t.Write("data/sub/C.DAT", "c");
    std::filesystem::create_directories(t.path() + "other");
    root = NoSlash(t.path());
  }
  TempDir t;
  std::string root;
};

TEST_F(Picker, FileModeReturnsTheChosenFilesFullPath) {
  TFSeleDlg p;
  p.Path = root + "/data";
  bool stayedOpen = false;
  WhenModal([&](QDialog* d) {
    auto* f = static_cast<TFSel_Dlg*>(d);
    EXPECT_EQ(f->windowTitle(), U8("ファイル選択"));
    EXPECT_EQ(f->Lfname_Lbl->text(), U8("ﾌｧｲﾙ名："));
    EXPECT_EQ(f->Fname_Lbl->text().toStdString(), root + "/data");
    ASSERT_EQ(f->FSel_FilLstBox->count(), 2);
    // OK with no file chosen keeps the dialog open.
    f->Ok_BitBtn->click();
    stayedOpen = f->isVisible();
    // Into the subfolder, pick its file.
    ASSERT_TRUE(OpenFolder(f->FSel_DirLstBox, "sub"));
    EXPECT_EQ(f->Fname_Lbl->text().toStdString(), root + "/data/sub");
    f->FSel_FilLstBox->setCurrentRow(0);
    EXPECT_EQ(f->Fname_Lbl->text().toStdString(), root + "/data/sub/C.DAT");
    // Back up to the data folder: the choice is the folder again, not an answer.
    ASSERT_TRUE(OpenFolder(f->FSel_DirLstBox, "data"));
    EXPECT_TRUE(f->SelectedFile().empty());
    f->Ok_BitBtn->click();
    EXPECT_TRUE(f->isVisible());
    f->FSel_FilLstBox->setCurrentRow(1);
    f->Ok_BitBtn->click();
  });
  ASSERT_TRUE(p.Execute());
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(p.FileName, root + "/data/b.cmd");
  EXPECT_EQ(p.Path, root + "/data");
}

TEST_F(Picker, FileModePreselectsAnExistingFile) {
  TFSeleDlg p;
  p.FileName = root + "/data/sub/C.DAT";
  p.Path = "/nowhere";
  WhenModal([&](QDialog* d) {
    auto* f = static_cast<TFSel_Dlg*>(d);
    EXPECT_EQ(f->Directory(), root + "/data/sub");
    EXPECT_EQ(f->FSel_FilLstBox->SelectedName(), "C.DAT");
    f->Ok_BitBtn->click();
  });
  ASSERT_TRUE(p.Execute());
  EXPECT_EQ(p.FileName, root + "/data/sub/C.DAT");
  EXPECT_EQ(p.Path, root + "/data/sub");
}

TEST_F(Picker, CancelKeepsTheStartingCorrections) {
  TFSeleDlg p;
  p.FileName = root + "/data/none.DAT";
  p.Path = root + "/other/";
  WhenModal([](QDialog* d) { static_cast<TFSel_Dlg*>(d)->Cancel_BitBtn->click(); });
  EXPECT_FALSE(p.Execute());
  EXPECT_TRUE(p.FileName.empty());  // a file that does not exist is cleared
  EXPECT_EQ(p.Path, root + "/other/");

  // A Path that is no folder becomes the current directory.
  std::string cwd = std::filesystem::current_path().string();
  p.Path = root + "/missing";
  WhenModal([](QDialog* d) { QTest::keyClick(d, Qt::Key_Escape); });
  EXPECT_FALSE(p.Execute());
  EXPECT_EQ(p.Path, cwd);
}

TEST_F(Picker, FolderModeReturnsTheFolderAndNoFile) {
  TFSeleDlg p;
  p.DirSelect = true;
  p.English = true;
  p.FileName = "ignored";
  p.Path = root + "/data";
  WhenModal([&](QDialog* d) {
    auto* f = static_cast<TFSel_Dlg*>(d);
    EXPECT_EQ(f->windowTitle(), "Directory Select");
    EXPECT_EQ(f->Lfname_Lbl->text(), "Directory:");
    EXPECT_EQ(f->Ok_BitBtn->text(), "&OK");
    EXPECT_TRUE(f->FSel_FilLstBox->isHidden());
    EXPECT_EQ(f->FSel_DirLstBox->x(), f->FSel_FilLstBox->x());
    ASSERT_TRUE(OpenFolder(f->FSel_DirLstBox, "sub"));
    EXPECT_EQ(f->Fname_Lbl->text().toStdString(), root + "/data/sub");
    f->Ok_BitBtn->click();
  });
  ASSERT_TRUE(p.Execute());
  EXPECT_TRUE(p.FileName.empty());
  EXPECT_EQ(p.Path, root + "/data/sub");
}

// A deep folder keeps its own name in sight in both dialogs' path labels,
// cut again to the label's width when that changes.
TEST_F(Picker, ADeepFolderKeepsItsOwnNameInSight) {
  const std::string deep = root + "/" + DeepFolder(U8("顧客データ").toStdString());
  ASSERT_TRUE(std::filesystem::create_directories(deep));
  const QString whole = U8(deep.c_str());
  TFSeleDlg p;
  p.DirSelect = true;
  p.Path = deep;
  WhenModal([&](QDialog* d) {
    auto* f = static_cast<TFSel_Dlg*>(d);
    EXPECT_EQ(f->Lfname_Lbl->text(), U8("ﾃﾞｨﾚｸﾄﾘ名："));
    EXPECT_TRUE(PathCut(f->Fname_Lbl, whole));
    f->Fname_Lbl->resize(f->Fname_Lbl->fontMetrics().horizontalAdvance(whole) + 20, f->Fname_Lbl->height());
    EXPECT_EQ(f->Fname_Lbl->text(), whole);
    EXPECT_TRUE(f->Fname_Lbl->toolTip().isEmpty());
    f->Ok_BitBtn->click();
  });
  ASSERT_TRUE(p.Execute());
  EXPECT_EQ(p.Path, deep);

  TFInpDlg e;
  e.FileName = "Default";
  e.Path = deep;
  WhenModal([&](QDialog* d) {
    auto* f = static_cast<TFInp_Dlg*>(d);
    EXPECT_TRUE(PathCut(f->Path_Lbl, whole));
    f->Cancel_BitBtn->click();
  });
  EXPECT_FALSE(e.Execute());
}

TEST_F(Picker, AFolderThatCannotBeReadReturnsToTheLastReadableOne) {
  TFSeleDlg p;
  p.DirSelect = true;
  p.Path = root + "/data";
  WhenModal([&](QDialog* d) {
    auto* f = static_cast<TFSel_Dlg*>(d);
    // The folder goes away after it was listed.
    std::filesystem::remove_all(t.path() + "data/sub");
    EXPECT_TRUE(OpenFolder(f->FSel_DirLstBox, "sub"));
    EXPECT_EQ(f->Directory(), root + "/data");
    EXPECT_EQ(Entry(f->FSel_DirLstBox, "sub"), nullptr);  // the list was read again
    // The root of the drive combo always reads.
    f->FSel_DrvCmbBox->setCurrentIndex(0);
    emit f->FSel_DrvCmbBox->driveChanged();
    EXPECT_EQ(f->Directory(), "/");
    f->Ok_BitBtn->click();
  });
  ASSERT_TRUE(p.Execute());
  EXPECT_EQ(p.Path, "/");
}

TEST_F(Picker, DriveComboOffersTheRootAndTheHomeFolder) {
  TDriveComboBox c;
  c.Fill();
  ASSERT_GE(c.count(), 1);
  EXPECT_EQ(c.itemText(0), "/");
  std::string home = QDir::homePath().toStdString();
  if (home != "/") {
    EXPECT_GE(c.findText(QString::fromStdString(home)), 1);
  }
  c.SelectFor(root + "/data");
  EXPECT_EQ(c.Drive().empty(), false);
  EXPECT_EQ((root + "/data").rfind(c.Drive() == "/" ? "/" : c.Drive() + "/", 0), 0u);
}

// ---------------------------------------------------------------------------

TEST_F(Picker, FileNameEntryTakesTheNameAndFolder) {
  TFInpDlg e;
  e.FileName = "Default";
  e.Path = root + "/data";
  WhenModal([&](QDialog* d) {
    auto* f = static_cast<TFInp_Dlg*>(d);
    EXPECT_EQ(f->windowTitle(), U8("ファイル指定"));
    EXPECT_EQ(f->FName_Edt->text(), "Default");
    EXPECT_EQ(f->Path_Lbl->text().toStdString(), root + "/data");
    ASSERT_TRUE(OpenFolder(f->FInp_DirLstBox, "sub"));
    EXPECT_EQ(f->Path_Lbl->text().toStdString(), root + "/data/sub");
    QListWidgetItem* file = f->FInp_FilLstBox->item(0);
    f->FInp_FilLstBox->setCurrentItem(file);
    emit f->FInp_FilLstBox->itemClicked(file);
    EXPECT_EQ(f->FName_Edt->text(), "C.DAT");  // the name without folder
    f->FName_Edt->setText(U8("ダンプ記録"));
    f->Ok_BitBtn->click();
  });
  ASSERT_TRUE(e.Execute());
  EXPECT_EQ(e.FileName, "ダンプ記録");
  EXPECT_EQ(e.Path, root + "/data/sub");
}

TEST_F(Picker, FileNameEntryRefusesSeparatorsTypedOrPasted) {
  TFInp_Dlg f;
  f.show();
  QLineEdit* ed = f.FName_Edt;
  ed->clear();
  Type(ed, "ab\\c:d/e");
  EXPECT_EQ(ed->text(), "abcde");
  // "ソ" ends in the byte 0x5C: characters are compared, not bytes.
  ed->clear();
  Type(ed, U8("ソ表*?<>|\""));
  EXPECT_EQ(ed->text(), U8("ソ表*?<>|\""));
  // Pasted text with a separator is refused whole.
  ed->clear();
  QApplication::clipboard()->setText("x/y");
  ed->paste();
  EXPECT_EQ(ed->text(), "");
  QApplication::clipboard()->setText(U8("日本語.dmp"));
  ed->paste();
  EXPECT_EQ(ed->text(), U8("日本語.dmp"));
  // A character with no CP932 form is refused.
  ed->clear();
  QApplication::clipboard()->setText(U8("caf\u00e9"));
  ed->paste();
  EXPECT_EQ(ed->text(), "");
  // At most 60 characters.
  ed->setText(QString());
  Type(ed, QString(70, QChar(0x3042)));
  EXPECT_EQ(ed->text().size(), 60);
  EXPECT_FALSE(f.NameAcceptable(QString()));
  EXPECT_FALSE(f.NameAcceptable(QString("a") + QChar(0) + "b"));
  EXPECT_FALSE(f.NameAcceptable("a:b"));
  EXPECT_TRUE(f.NameAcceptable(U8("ソ")));
}

TEST_F(Picker, FileNameEntryKeepsOpenWithoutAUsableName) {
  t.Write("data/bad:name", "x");  // a name this system's rule refuses
  TFInpDlg e;
  e.Path = root + "/data";
  int stillOpen = 0;
  WhenModal([&](QDialog* d) {
    auto* f = static_cast<TFInp_Dlg*>(d);
    f->FName_Edt->clear();
    f->Ok_BitBtn->click();
    stillOpen += f->isVisible();
    QListWidgetItem* bad = Entry(f->FInp_FilLstBox, "bad:name");
    ASSERT_NE(bad, nullptr);
    f->FInp_FilLstBox->setCurrentItem(bad);
    emit f->FInp_FilLstBox->itemClicked(bad);
    f->Ok_BitBtn->click();
    stillOpen += f->isVisible();
    f->Cancel_BitBtn->click();
  });
  EXPECT_FALSE(e.Execute());
  EXPECT_EQ(stillOpen, 2);
  EXPECT_EQ(e.Path, root + "/data");
}

}  // namespace
