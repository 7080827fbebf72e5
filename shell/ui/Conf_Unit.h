// The confirmation dialog: a modal message box with OK / Cancel whose texts
// come from a message file, and the modeless progress box of printing loops.
#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "shell/MsgFile.h"
#include "shell/ui/Placement.h"

// Frame of the numbered dialogs: fixed size, no title-bar buttons, on top
// of other windows, and a row of OK (result 1), Cancel and Help buttons.
class TNumberedDlg : public QDialog {
  Q_OBJECT
 public:
  QPushButton* Ok_BitBtn;
  QPushButton* Cancel_BitBtn;
  QPushButton* Help_BitBtn;

 protected:
  explicit TNumberedDlg(QWidget* parent);
  // Modal; 1 or 2. A content that enables no button gets OK, so that the
  // dialog can always be dismissed.
  int ExecWithAButton();
};

class TConf_Dlg : public TNumberedDlg {
  Q_OBJECT
 public:
  explicit TConf_Dlg(QWidget* parent = nullptr);

  QFrame* Msg_Bvl;
  QLabel* Msg_Lbl;

  // Sets caption, text and buttons from a loaded message.
  void SetContent(const MsgDlgContent& m);

  // Shows the dialog modally and returns 1 (OK) or 2 (Cancel).
  int ShowModal() { return ExecWithAButton(); }

  // Progress box of the printing loops: Cancel only, modeless.
  void BeginProgress(const QString& caption, const QString& text);
  void EndProgress();

  void FormCreate();
  void FormShow();
  void Cancel_BitBtnClick();

 signals:
  // Cancel was pressed (modal or progress box).
  void cancelPressed();

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void reject() override;
};

// Button captions shared by the confirmation and input dialogs.
void Lang_Conf(TConf_Dlg* dlg);

// The program's one font, "ＭＳ 明朝" (drawn in the face FormRules_Install
// substitutes for it).
QFont Orvo_Font(int pixelSize);
// Another of the layouts' fonts by its name ("ＭＳ Ｐゴシック", "MS Sans Serif").
QFont Orvo_FontNamed(const char* utf8Name, int pixelSize);
