// The save form: shows what is saved where, runs the save on its worker
// thread TSaveDoing, shows the progress and the result, and returns to the
// data-kind selection form. One design for both system types.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "shell/Global_Unit.h"
#include "transfer/Save_Engine.h"

class TSave_Frm;
class UserTimer;

// The save thread: runs the engine on what the form copied in, then posts
// WM_USER + 100 to its form.
class TSaveDoing : public QThread {
 public:
  TSaveDoing(TSave_Frm* form, SaveJob job);
  ~TSaveDoing() override;
  void Execute();
  int ReturnValue() const { return result_; }
  SaveEngine& Engine() { return engine_; }

 protected:
  void run() override { Execute(); }

 private:
  TSave_Frm* form_;
  SaveEngine engine_;
  std::atomic<int> result_{SAVE_OK};
};

// WM_USER + 100: the save thread has ended.
constexpr int kSaveDoneUserMsg = 100;

// The text of Data_Lbl for the chosen items: the kind name, or, when the
// program-setting row was chosen, its name and CR LF followed by the parts,
// two to a line (CP932).
std::string Save_DataText(const std::vector<SaveChoice>& choices, bool partRow, const std::string& partRowName);

class TSave_Frm : public QWidget {
  Q_OBJECT
 public:
  // systemType 0: the form of TFSel_Frm; 1: TSaveZNT_Frm's.
  explicit TSave_Frm(int systemType = 0, QWidget* parent = nullptr);
  ~TSave_Frm() override;

  QLabel* Luser_Lbl;
  QLabel* User_Lbl;
  QLabel* Ldata_Lbl;
  QLabel* Data_Lbl;
  QLabel* Come_Lbl;
  QFrame* Save_Bvl;
  QLabel* Lcome_Lbl;
  QLabel* Area_Lbl;
  QLabel* Dir_Lbl;
  QGroupBox* Block_GrpBox;
  QLabel* Save_Lbl;
  QPushButton* Cancel_BitBtn;

  void Save_Prepare();
  void Save_Progress(int count);
  void Cancel_BitBtnClick();
  int SystemTypeOfForm() const { return systemType_; }
  bool Running() const { return thread_ != nullptr; }

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void customEvent(QEvent* e) override;

 private:
  void FormShow();
  void SaveEnd();
  void FormClose();

  int systemType_;
  bool ethernet_ = false;
  bool closing_ = false;
  bool waitCursor_ = false;
  std::vector<SaveItem> items_;
  std::unique_ptr<UserTimer> timer_;
  std::unique_ptr<TSaveDoing> thread_;
};

class TSaveZNT_Frm : public TSave_Frm {
  Q_OBJECT
 public:
  explicit TSaveZNT_Frm(QWidget* parent = nullptr) : TSave_Frm(1, parent) {}
};

extern TSave_Frm* Save_Frm;
extern TSave_Frm* SaveZNT_Frm;

void Lang_Save(TSave_Frm* f);
void Lang_SaveZNT(TSave_Frm* f);
