// The input dialog: one line of text asked for by a numbered prompt.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include "shell/MsgFile.h"
#include "shell/ui/Conf_Unit.h"

// Refuses text that holds a forbidden character (compared as whole
// characters), text with no CP932 form, and text over a byte limit. As a
// validator it covers typing, pasting and input methods alike.
class ForbiddenCharValidator : public QValidator {
 public:
  explicit ForbiddenCharValidator(QObject* parent = nullptr) : QValidator(parent) {}
  void SetForbidden(const std::string& cp932Chars);
  void SetMaxBytes(int n) { maxBytes_ = n; }
  State validate(QString& input, int& pos) const override;

 private:
  QString forbidden_;
  int maxBytes_ = 0;
};

// The modem command edits of ORVO and ORVO_ADMIN: printable ASCII only,
// and no "|", which the files keep for the commands' commas.
class ModemCmdValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override;
};

// The modem command edits' length rule: typing stops at maxChars, while a
// longer command that the program shows (read from a file) is kept whole
// and may be shortened; storing it again never cuts it. Also sets the
// ModemCmdValidator.
void ModemCmd_SetLimit(QLineEdit* edit, int maxChars);
// Shows a command in such an edit, whole however long it is.
void ModemCmd_Show(QLineEdit* edit, const QString& text);

class TInput_Dlg : public TNumberedDlg {
  Q_OBJECT
 public:
  explicit TInput_Dlg(QWidget* parent = nullptr);

  QLabel* Msg_Lbl;
  QLabel* Field_Lbl;
  QLineEdit* Input_Edt;

  void SetContent(const InpDlgContent& p);
  // Modal; 1 (OK) or 2 (Cancel).
  int ShowModal() { return ExecWithAButton(); }
  // The entered text in CP932.
  std::string Text() const;

  void FormCreate();
  void FormShow();

 signals:
  // OK was pressed on a text with no CP932 form, which only a program can
  // have put into the edit (typing and pasting are refused); the dialog
  // stays open with the text.
  void textRefused();

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void reject() override;
  void done(int r) override;

 private:
  ForbiddenCharValidator* validator_;
};

void Lang_Input(TInput_Dlg* dlg);
