// The load-error and dump viewer: shows, prints and (dumps only) deletes
// the error lists of a load or the dump files of the telephone image in one
// folder. DumpMode chooses the kind when the form is shown.
#pragma once

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "shell/ui/HelpBitBtn_Unit.h"
#include "shell/ui/RichEditDx_Unit.h"
#include "shell/ui/TabListBox.h"
#include "transfer/LErr_Data.h"

// Where the viewer goes back to in error mode when it was opened from a
// setting screen (the main window's last button is the command-file
// button): installed by the setting screens.
struct LErrHost {
  std::function<void()> showCurrentPage;
};
LErrHost& LErr_Host();

class TLErr_Frm : public QWidget {
  Q_OBJECT
 public:
  explicit TLErr_Frm(QWidget* parent = nullptr);
  ~TLErr_Frm() override;

  QGroupBox* DataSet_GrpBox;
  QLabel* DataSet_Lbl;
  QLabel* UsrName1_Lbl;
  QLabel* UsrName2_Lbl;
  QPushButton* DataSet_BitBtn;
  QGroupBox* FileName_GrpBox;
  TTabListBox* FileName_OTabLstBox;
  TRichEditDx* Data_Mem;
  QLabel* Err_Lbl;
  QLabel* ErrNum_Lbl;
  THelpBitBtn* HelpBitBtn;
  QPushButton* Prn_BitBtn;
  QPushButton* Del_BitBtn;
  QPushButton* Ext_BitBtn;

  // The dump button's preparation: the folder from ENVIRON.DAT.
  bool LErr_Init();
  // A caller that means a folder of its own: the selection form its data
  // folder, a setting screen the program folder. A folder that does not
  // exist is replaced by the program folder.
  bool LErr_Init(const std::string& folder);

  void FormShow();
  void DumpFileDisp();
  void ErrFileDisp();
  void FileName_OTabLstBoxClick();
  void Del_BitBtnClick();
  void DataSet_BitBtnClick();
  void Prn_BitBtnClick();
  void Ext_BitBtnClick();
  void FormClose();

  // What the form shows, for its owner and tests.
  const std::string& Folder() const { return folder_; }
  int Shown() const { return shown_; }
  const std::vector<lerr::Row>& Rows() const { return rows_; }
  const std::vector<std::string>& Lines() const { return lines_; }

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void SetBusy(bool busy);
  void ShowLines(std::vector<std::string> lines);
  void ClearText();
  void FillList();
  void RemoveRow(int row);
  void ShowCount(int records);
  void HideCount();
  bool PrintLines();
  bool TextEmpty() const;

  int mode_ = 0;
  std::string folder_;
  std::string userName_;
  int shown_ = -1;
  std::vector<lerr::Row> rows_;
  std::vector<std::string> lines_;
  bool quiet_ = false;
  bool busy_ = false;
};

extern TLErr_Frm* LErr_Frm;

// The listing's font ("ＭＳ 明朝", 8 points) and its page layout on a printer.
QFont LErr_PrintFont();
lerr::PageLayout LErr_PrintLayout(QPaintDevice* printer);

void Lang_LErr(TLErr_Frm* f);
