// KV_EDIT's main window: the data folder, the data-kind and command-file
// lists, and the reading of the two blocks into the grid window.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <string>
#include <vector>

#include "shell/ui/FSelBox_Unit.h"
#include "shell/ui/TabListBox.h"

class TKV_FSel_Frm;
class TKV_DEdt_frm;

namespace kv {

// Program state, one copy for the run.
extern std::string Data_Dir;   // no trailing "/" except the root
extern std::string Data_File;  // the file read last; Register writes it
extern std::vector<std::string> Tel_Groups;  // 0 to 600
extern std::vector<std::string> Kana_Codes;  // 0 to 1200
extern TKV_FSel_Frm* KV_FSel_Frm;
extern TKV_DEdt_frm* KV_DEdt_frm;

// The program: single instance, the three forms, the message loop.
int KvEdit_Main(int argc, char** argv);

}  // namespace kv

class TKV_FSel_Frm : public QWidget {
  Q_OBJECT
 public:
  explicit TKV_FSel_Frm(QWidget* parent = nullptr);

  QGroupBox* Area_GrpBox;
  QLabel* label1;
  QPushButton* Chg_BitBtn;
  QGroupBox* Dsyu_GrpBox;
  TTabListBox* Dsyu_LstBox;
  QGroupBox* Prg_GrpBox;
  TTabListBox* Com_LstBox;
  QPushButton* Def_BitBtn;
  QPushButton* Exit_BitBtn;
  TFSeleDlg* FSeleDlg1;

  // Row of each data kind in Dsyu_LstBox; -1 when absent.
  int PrgRow() const { return prgRow_; }
  int PtnRow() const { return ptnRow_; }
  int CmdRow() const { return cmdRow_; }
  // Names of the listed command files, row by row.
  const std::vector<std::string>& CmdNames() const { return cmdNames_; }

  void FormCreate();
  void List_Refresh();
  void Chg_BitBtnClick();
  void Dsyu_LstBoxClick();
  void Dsyu_LstBoxDblClick();
  void Com_LstBoxClick();
  void Com_LstBoxDblClick();
  void Def_BitBtnClick();
  void Exit_BitBtnClick();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void SetDataDir(const std::string& dir);
  int prgRow_ = -1, ptnRow_ = -1, cmdRow_ = -1;
  std::vector<std::string> cmdNames_;
  bool closing_ = false;
};
