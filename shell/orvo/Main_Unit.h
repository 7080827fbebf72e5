// The main window: the dispatcher of ORVO. Each large button prepares and
// opens one subform or runs one action.
#pragma once

#include <QFrame>
#include <QGroupBox>
#include <QPushButton>
#include <QStatusBar>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "shell/WindowMessages.h"

class UserTimer;


class TMain_Frm : public QWidget {
  Q_OBJECT
 public:
  explicit TMain_Frm(QWidget* parent = nullptr);
  ~TMain_Frm() override;

  QStatusBar* Main_StsBar;
  QGroupBox* SB_GB;
  QFrame* Bevel1;
  QPushButton* Conn_BitBtn;
  QPushButton* Disc_BitBtn;
  QPushButton* Tel_BitBtn;
  QPushButton* Save_BitBtn;
  QPushButton* Load_BitBtn;
  QPushButton* Edit_BitBtn;
  QPushButton* Spd_BitBtn;
  QPushButton* KTel_BitBtn;
  QPushButton* Dump_BitBtn;
  QPushButton* Env_BitBtn;
  QPushButton* Prn_BitBtn;
  QPushButton* End_BitBtn;

  void FormCreate();
  void FormShow();
  static void TempFileDelete(const std::string& pathMask);

  void Conn_BitBtnClick();
  void Disc_BitBtnClick();
  void Tel_BitBtnClick();
  void End_BitBtnClick();
  void Save_BitBtnClick();
  void Load_BitBtnClick();
  void Edit_BitBtnClick();
  void Spd_BitBtnClick();
  void Dump_BitBtnClick();
  void Env_BitBtnClick();
  void Prn_BitBtnClick();
  void KTel_BitBtnClick();
  void WMDisconnectNotice();

  // The common way of opening a subform: a nonzero precheck result is shown
  // as a message number; otherwise the subform is placed 20 pixels below the
  // main window's top at its left edge, shown modeless, and SB_GB hidden.
  // hideFirst hides SB_GB before the subform is shown.
  bool OpenSubform(QWidget* form, const std::function<int()>& precheck = {},
                   bool hideFirst = false);

  // Hooks that the subsystems behind the buttons install when they exist.
  // Each receives the main window; a missing hook leaves its button inert.
  struct Actions {
    std::function<void(TMain_Frm*)> connect, telephone, save, load, speedDial, commandFiles,
        kanjiPhoneBook, dumpViewer, environment;
    // Closes the line: UDP log-off or modem hang-up and port close.
    std::function<void(TMain_Frm*)> disconnect;
    // The link's reaction to the exchange's disconnect notice.
    std::function<void()> disconnectNotice;
  };
  static Actions& Hooks();

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool event(QEvent* e) override;

 private:
  QPushButton* MakeButton(int x, int y);
  void SetGlyphs();
  void FocusFirstButton();
  void Remember(QPushButton* b);
  bool closing_ = false;
  bool shown_ = false;
};

extern TMain_Frm* Main_Frm;
// The main button pressed last (never Prn_BitBtn).
extern QPushButton* LastButton;
// Status-bar text of the disconnected state.
extern std::string DisconnectedText;

// Test hook: the folder FormCreate takes as the program folder (default:
// the executable's folder).
void Main_SetProgramFolder(const std::string& dir);

// Sets the captions and fonts of the main window and the texts it owns.
void Lang_Main(TMain_Frm* f);
