// The speed-dial editor: the system list, the personal and ID-card lists of
// one owner at a time, or the extension directory, edited in a grid.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "phone/Kana_Edit.h"
#include "phone/Kana_Unit.h"
#include "shell/ui/HelpBitBtn_Unit.h"

// Posted events of the editor.
constexpr int WM_KANA_OWNER_STEP = 400;    // QEvent::User + 400, the up-down's click
constexpr int WM_KANA_OWNER_SELECT = 401;  // QEvent::User + 401, the owner box left for grid 1

// Where the editor's folder, user and free-space labels come from, and what
// it does when it closes: installed by the program's wiring.
struct KanaHost {
  std::function<std::string()> dataFolder;  // ending in "/"
  std::function<std::string()> userName;    // CP932
  std::function<std::string()> freeSpace;   // CP932
  std::function<void()> closed;
};
KanaHost& Kana_Host();

class TKana_Fm : public QWidget {
  Q_OBJECT
 public:
  explicit TKana_Fm(QWidget* parent = nullptr);
  ~TKana_Fm() override;

  QLabel* Area_Lbl;
  QLabel* Dir_Lbl;
  QLabel* Luser_Lbl;
  QLabel* User_Lbl;
  QLabel* LFree_Lbl;
  QLabel* Free_Lbl;
  QLabel* Nais_Lbl;
  QComboBox* Nais_CmbBox;
  QWidget* Nais_UpDwn;
  QToolButton* NaisUp_Btn;
  QToolButton* NaisDown_Btn;
  QTableWidget* Dial_StrGrd;
  QTableWidget* Dial2_StrGrd;
  QPushButton* Reg_BitBtn;
  QPushButton* Del_BitBtn;
  QPushButton* Ins_BitBtn;
  QPushButton* Cpy_BitBtn;
  QPushButton* Pas_BitBtn;
  QPushButton* Sort_BitBtn;
  QPushButton* Print_BitBtn;
  QPushButton* Exit_BitBtn;
  THelpBitBtn* Help_BitBtn;
  QTimer* Grd_Tmr;

  void FormShow();
  void Reg_BitBtnClick();
  void Del_BitBtnClick();
  void Ins_BitBtnClick();
  void Cpy_BitBtnClick();
  void Pas_BitBtnClick();
  void Sort_BitBtnClick();
  void Print_BitBtnClick();
  void Exit_BitBtnClick();
  void Grd_TmrTimer();
  // Stores the grids and selects the owner with this key (asking before a
  // new one is made).
  void SelectOwner(const std::string& key);
  void OwnerStep(bool up);

  // The edited data, as the grids hold it after StoreGrids.
  const kana::SystemList& System() const { return system_; }
  const std::vector<kana::Owner>& Owners() const { return owners_; }
  std::vector<kana::DirRow> DirectoryRows() const;
  const std::string& FilePath() const { return path_; }
  int Mode() const { return mode_; }
  QTableWidget* ActiveGrid() const { return active_; }
  // Selected data rows (0-based) of a grid.
  std::vector<int> SelectedRows(QTableWidget* grid) const;
  // Rows from..to (0-based data rows) selected in columns 1 and 2.
  void SelectRows(QTableWidget* grid, int from, int to);

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void Layout();
  void FitGrids();
  void LoadFile();
  void StoreGrids();
  void ShowOwner(int index);
  void FillDirectory(const std::vector<kana::DirRow>& rows);
  void MarkFault(const kana::Fault& f);
  void RowButtons(bool on);
  // The focus came into a grid from another control.
  void EnterGrid(QTableWidget* g);
  bool PrintList();
  QString Cell(QTableWidget* g, int row, int col) const;
  std::string CellBytes(QTableWidget* g, int row, int col) const;
  void SetCell(QTableWidget* g, int row, int col, const std::string& bytes);
  int TopRow(QTableWidget* g) const;
  void SetTopRow(QTableWidget* g, int row);

  int mode_ = 0;
  std::string path_;
  bool fileExisted_ = false;
  // The line that stopped the reading of the file; 0 when it was read whole.
  int partLine_ = 0;
  kana::SystemList system_;
  std::vector<kana::Owner> owners_;
  std::string currentKey_;
  int currentOwner_ = -1;
  QTableWidget* active_ = nullptr;
  std::vector<std::pair<std::string, std::string>> copied_;
  // Drag selection.
  QTableWidget* dragGrid_ = nullptr;
  int anchor_ = 0;
  int scroll_ = 0;  // 0 none, 1 down, -1 up
  bool closing_ = false;
  QMetaObject::Connection focusWatch_;
};

extern TKana_Fm* Kana_Fm;

void Lang_Kana(TKana_Fm* f);
