// The data-kind selection forms: between the main window's Save, Load and
// speed-dial buttons and the form that does the work. One design for both
// system types; TFSelZNT_Frm is the type-1 form.
#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QValidator>
#include <QWidget>
#include <array>
#include <vector>

#include "shell/ui/HelpBitBtn_Unit.h"
#include "shell/ui/TabListBox.h"
#include "transfer/FSel_Data.h"

// Key filter of the range edits: digits, and "#" "*" at length 4.
class RangeKeyValidator : public QValidator {
 public:
  RangeKeyValidator(int length, QObject* parent) : QValidator(parent), length_(length) {}
  void SetLength(int length) { length_ = length; }
  State validate(QString& input, int& pos) const override;

 private:
  int length_;
};

constexpr int WM_SELECTION_CLOSE = 101;  // QEvent::User + 101

// A row of the kind, part and command-file lists keeps its whole text here:
// the text shown may be cut with "…" to fit its column.
constexpr int FSEL_FULL_TEXT_ROLE = Qt::UserRole + 2;
QString FSel_RowText(const QListWidgetItem* item);

class TFSel_Frm : public QWidget {
  Q_OBJECT
 public:
  explicit TFSel_Frm(int systemType = 0, QWidget* parent = nullptr);
  ~TFSel_Frm() override;

  QGroupBox* Tm_GrpBox;
  QLabel* From_Lbl;
  QLabel* to_Lbl;
  QRadioButton* Tm1_RdoBtn;
  QRadioButton* Tm2_RdoBtn;
  QLineEdit* From_Edt;
  QLineEdit* To_Edt;
  QLabel* Expl_Lbl;
  QGroupBox* Prg_GrpBox;
  TTabListBox* Prg_OTabLstBox;
  QGroupBox* Com_GrpBox;
  TTabListBox* Com_OTabLstBox;
  QCheckBox* Edit_ChkBox;
  QPushButton* Def_BitBtn;
  QPushButton* Exit_BitBtn;
  QGroupBox* Dsyu_GrpBox;
  TTabListBox* Dsyu_OTabLstBox;
  QPushButton* Err_BitBtn;
  QGroupBox* Area_GrpBox;
  QLabel* Dir_Lbl;
  QLabel* Luser_Lbl;
  QLabel* User_Lbl;
  QLabel* LFree_Lbl;
  QLabel* Free_Lbl;
  QFrame* User_Bvl;
  QPushButton* Chg_BitBtn;
  THelpBitBtn* Help_BitBtn;

  // What the form lists; its folder, user and entries are its own.
  FSel_Data Data;
  int SelKindIndex = -1;
  std::array<int, 15> SelSubSelection{};
  // RowKind: what each kind-list row stands for.
  std::vector<int> RowKind;

  // The main window's precheck: 0 or the message number to show.
  int FSel_Init();
  void FreeSpace_Disp();
  void List_Disp();
  int DataFile_Scan();
  int PartFile_Scan();
  int CmdFile_Scan();
  // Makes this form the one the subforms come back to.
  void InstallHost();

  void FormShow();
  void Exit_BitBtnClick();
  void Def_BitBtnClick();
  void Dsyu_OTabLstBoxClick();
  void Dsyu_OTabLstBoxDblClick();
  void Prg_OTabLstBoxClick();
  void Prg_OTabLstBoxDblClick();
  void Com_OTabLstBoxClick();
  void Com_OTabLstBoxDblClick();
  void Tm1_RdoBtnClick();
  void Tm2_RdoBtnClick();
  void Err_BitBtnClick();
  void Chg_BitBtnClick();
  void SXCloseThread();

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  bool event(QEvent* e) override;

 private:
  void Close();
  void ShowPartRows(bool show);
  void SetCaption();
  int KindOfRow(int row) const;
  void HideSubGroups();
  void SetRange(int loadKind);
  bool DefWhen(bool allowed);
  RangeKeyValidator* rangeKeys_;
  bool closing_ = false;
  bool quiet_ = false;
};

class TFSelZNT_Frm : public TFSel_Frm {
  Q_OBJECT
 public:
  explicit TFSelZNT_Frm(QWidget* parent = nullptr);
};

extern TFSel_Frm* FSel_Frm;
extern TFSelZNT_Frm* FSelZNT_Frm;

void Lang_FSel(TFSel_Frm* f);
void Lang_FSelZNT(TFSelZNT_Frm* f);
