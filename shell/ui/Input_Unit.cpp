#include "shell/ui/Input_Unit.h"

#include <algorithm>

#include <QCloseEvent>

#include "platform/ui/QtText.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/FormRules.h"

void ForbiddenCharValidator::SetForbidden(const std::string& cp932Chars) {
  forbidden_ = ToQ(cp932Chars);
}

QValidator::State ForbiddenCharValidator::validate(QString& input, int&) const {
  for (QChar c : input)
    if (forbidden_.contains(c)) return Invalid;
  auto bytes = FromQ(input);
  if (!bytes) return Invalid;
  if (maxBytes_ > 0 && static_cast<int>(bytes->size()) > maxBytes_) return Invalid;
  return Acceptable;
}

QValidator::State ModemCmdValidator::validate(QString& input, int&) const {
  for (QChar c : input)
    if (c.unicode() < 0x20 || c.unicode() >= 0x7F || c == QLatin1Char('|')) return Invalid;
  return Acceptable;
}

namespace {

// The typing limit stays on the edit; its maximum length follows the text
// shown, never below the limit, so that setText never cuts.
constexpr const char* kTypedLimit = "modemCmdTypedLimit";

void FitMaxLength(QLineEdit* e, qsizetype shown) {
  e->setMaxLength(std::max(e->property(kTypedLimit).toInt(), static_cast<int>(shown)));
}

}  // namespace

void ModemCmd_SetLimit(QLineEdit* edit, int maxChars) {
  edit->setProperty(kTypedLimit, maxChars);
  edit->setMaxLength(maxChars);
  edit->setValidator(new ModemCmdValidator(edit));
  QObject::connect(edit, &QLineEdit::textChanged, edit, [edit](const QString& t) { FitMaxLength(edit, t.size()); });
}

void ModemCmd_Show(QLineEdit* edit, const QString& text) {
  FitMaxLength(edit, text.size());
  edit->setText(text);
}

TInput_Dlg::TInput_Dlg(QWidget* parent) : TNumberedDlg(parent) {
  setObjectName("Input_Dlg");
  Msg_Lbl = new QLabel(this);
  Msg_Lbl->setGeometry(16, 10, 394, 50);
  Msg_Lbl->setWordWrap(true);
  Field_Lbl = new QLabel(this);
  Field_Lbl->setGeometry(16, 66, 394, 18);
  Input_Edt = new QLineEdit(this);
  Input_Edt->setGeometry(16, 88, 394, 24);
  validator_ = new ForbiddenCharValidator(Input_Edt);
  Input_Edt->setValidator(validator_);
  connect(Cancel_BitBtn, &QPushButton::clicked, this, [this] { done(2); });
  FormCreate();
}

void TInput_Dlg::FormCreate() { Lang_Input(this); }

void TInput_Dlg::SetContent(const InpDlgContent& p) {
  setWindowTitle(ToQ(p.caption));
  Msg_Lbl->setText(ToQ(p.text).replace(U8("\r\n"), U8("\n")));
  Field_Lbl->setText(ToQ(p.label));
  validator_->SetForbidden(p.forbiddenChars);
  validator_->SetMaxBytes(p.maxLength);
  Input_Edt->setMaxLength(p.maxLength > 0 ? p.maxLength : 32767);
  // The file's own character masks the text; the field holds one character
  // (possibly double-byte), of which the first is taken.
  QString mask = ToQ(p.passwordChar);
  FormRules_SetPasswordChar(Input_Edt, mask.isEmpty() ? QChar() : mask.at(0));
  Ok_BitBtn->setVisible(p.ok);
  Cancel_BitBtn->setVisible(p.cancel);
  Help_BitBtn->setVisible(false);
  Input_Edt->clear();
}

std::string TInput_Dlg::Text() const { return FromQ(Input_Edt->text()).value_or(std::string()); }

void TInput_Dlg::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  FormShow();
}

void TInput_Dlg::FormShow() {
  CenterOnScreen(this);
  Input_Edt->setFocus();
}

void TInput_Dlg::reject() {
  if (!Cancel_BitBtn->isHidden()) done(2);
}

void TInput_Dlg::done(int r) {
  // The whole text is checked when it is used, not only as it is typed.
  if (r == 1 && !FromQ(Input_Edt->text())) {
    Input_Edt->setFocus();
    emit textRefused();
    return;
  }
  TNumberedDlg::done(r);
}

void TInput_Dlg::closeEvent(QCloseEvent* e) {
  if (Cancel_BitBtn->isHidden()) e->ignore();
  else done(2);
}

void Lang_Input(TInput_Dlg* dlg) {
  dlg->setFont(Orvo_Font(12));
  dlg->Ok_BitBtn->setText(U8("ＯＫ(&O)"));
  dlg->Cancel_BitBtn->setText(U8("ｷｬﾝｾﾙ(&C)"));
  dlg->Help_BitBtn->setText(U8("ﾍﾙﾌﾟ(&H)"));
}
