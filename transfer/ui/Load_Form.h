// The load form: shows the progress of a load that its thread TLoadDoing
// runs, lets the user cancel it, asks for line fixes, and reports the
// result as a numbered message.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "shell/ui/RichEditDx_Unit.h"
#include "transfer/Load_Unit.h"

class UserTimer;

// Posted events of the load form (QEvent::User + n).
constexpr int WM_LOAD_FINISHED = 200;
constexpr int WM_LOAD_FIX = 201;
constexpr int WM_LOAD_CURSOR = 202;

class TLoadDoing : public QThread {
  Q_OBJECT
 public:
  TLoadDoing(LoadParams p, LoadView& view, QObject* form);
  int Result() const { return result_; }

 protected:
  void run() override;

 private:
  LoadEngine engine_;
  QObject* form_;
  int result_ = 0;
};

class TLoad_Frm : public QWidget, public LoadView {
  Q_OBJECT
 public:
  explicit TLoad_Frm(int systemType = 0, QWidget* parent = nullptr);
  ~TLoad_Frm() override;

  QLabel* Luser_Lbl;
  QLabel* Ldata_Lbl;
  QLabel* Lblock_Lbl;
  QLabel* Lerr_Lbl;
  QLabel* User_Lbl;
  QLabel* Data_Lbl;
  QLabel* Block_Lbl;
  QLabel* Err_Lbl;
  QProgressBar* Comp_PrgBar;
  QGroupBox* Menu_GrpBox;
  TRichEditDx* Com_RMem;
  QPushButton* Cancel_BitBtn;
  QTimer* Timer1;

  void FormShow();
  void Disp_Init();
  void Cancel_BitBtnClick();
  void Timer1Timer();
  void FormClose();
  bool Running() const { return thread_ != nullptr; }
  // The result message shown last ("" before the first load ends).
  const std::string& LastMessage() const { return lastMessage_; }

  // LoadView, called from the load thread.
  void ToggleCursor() override;
  void ShowCounters() override;
  void ShowErrCount() override;
  void StartTimer() override;
  void ShowLine(const std::string& line, bool memoFull) override;
  void AskFix(const std::string& errText, const std::string& line) override;

 protected:
  bool event(QEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void Finished();
  void ShowFix();
  bool FromSettingScreen() const;

  const int systemType_;
  std::unique_ptr<UserTimer> userTimer_;
  TLoadDoing* thread_ = nullptr;
  bool fromSetting_ = false;
  bool closing_ = false;
  std::string lastMessage_;
  // The progress of this load has been shown: until then the counters of
  // the previous load are not this one's.
  bool countersShown_ = false;
  std::mutex fixMu_;
  std::string fixErr_, fixLine_;
};

// The type-1 twin.
class TLoadZNT_Frm : public TLoad_Frm {
  Q_OBJECT
 public:
  explicit TLoadZNT_Frm(QWidget* parent = nullptr) : TLoad_Frm(1, parent) {}
};

extern TLoad_Frm* Load_Frm;
extern TLoadZNT_Frm* LoadZNT_Frm;

// Installed by the setting screens: shows CurrentPage again after a load of
// a handed-over file.
extern std::function<void()> Load_ReturnToPage;
// Installed with the selection form: its user label and the data-type text
// of its selected rows, as shown there; false when no selection form is at
// hand, and the data type is then taken from the data-kind names.
extern std::function<bool(QString& user, QString& dataType)> Load_SelectionTexts;

void Lang_Load(TLoad_Frm* f);
