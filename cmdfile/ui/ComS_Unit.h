// The command-file list: the way into the command-file work. It lists the
// command files of its folder and creates, modifies (text editor), edits
// as a menu tree, deletes, copies and prints them. While it is open the
// control-file definitions stay loaded for the editor's and the screens'
// checks.
#pragma once

#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <string>

#include "shell/ui/FSelBox_Unit.h"
#include "shell/ui/HelpBitBtn_Unit.h"
#include "shell/ui/TabListBox.h"

class TComS_Frm : public QWidget {
  Q_OBJECT
 public:
  explicit TComS_Frm(QWidget* parent = nullptr);
  ~TComS_Frm() override;

  TTabListBox* Com_OTabLstBox;
  QGroupBox* Area_GrpBox;
  QLabel* Dir_Lbl;
  QLabel* Luser_Lbl;
  QLabel* User_Lbl;
  QLabel* LFree_Lbl;
  QLabel* Free_Lbl;
  QFrame* User_Bvl;
  QPushButton* Chg_BitBtn;
  QPushButton* New_BitBtn;
  QPushButton* Mod_BitBtn;
  QPushButton* Edit_BitBtn;
  QPushButton* Del_BitBtn;
  QPushButton* Copy_BitBtn;
  QPushButton* Print_BitBtn;
  QPushButton* Exit_BitBtn;
  THelpBitBtn* Help_BitBtn;
  TFSeleDlg* Com_OFilSelDlg;

  // The main window's precheck: 0, or the message number to show.
  int ComList_Init();
  // Refills the list and the folder, user and free-space labels.
  void ComList_Show();
  void FreeSpace_Show();
  // SelectedCmdName := the selected row's file name (without extension);
  // false when no row is selected.
  bool ComList_SelName();
  // The folder of the label, ending in "/".
  std::string Folder() const;
  // The file SelectedCmdName names in the folder, as it exists on disk.
  std::string SelectedPath() const;

  // The text editor and the menu tree hand control back here.
  void ComList_Return();

  void FormShow();
  void Com_OTabLstBoxClick();
  void New_BitBtnClick();
  void Mod_BitBtnClick();
  void Edit_BitBtnClick() { ListEdit(false); }
  void Del_BitBtnClick();
  void Copy_BitBtnClick();
  void Print_BitBtnClick();
  void Chg_BitBtnClick();
  void Exit_BitBtnClick() { close(); }

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  enum class Opener { None, New, Modify, ListEdit };
  void ListEdit(bool fromNew);
  void RowButtons(bool on);
  // The list at least listWidth wide, the form and its buttons around it.
  void FitListWidth(int listWidth);
  int SelectedRow() const;
  void SelectRowText(const QString& text);
  bool PrintFile(const std::string& path, int& message);
  int rememberedIndex_ = -1;
  Opener opener_ = Opener::None;
  int returns_ = 0;  // hand-backs so far
};

extern TComS_Frm* ComS_Frm;

class QPrinter;
// The printed page of a command file on a printer: lines per page (at least
// 7) and the line step in device pixels, never below the font's height.
struct ComPrintMetrics {
  int lines = 7;
  int step = 1;
};
ComPrintMetrics ComPrint_Metrics(QPrinter* printer);
QFont ComPrint_Font();

void Lang_ComS(TComS_Frm* f);

// The list's tab stops for its rows in its font: name, date and time each at
// one stop for every row, the whole name beyond the list's width. Returns
// the width the list needs to show the three beside its scroll bar.
int ComList_FitTabStops(TTabListBox* list);
