#include "transfer/ui/EFix_Unit.h"

#include <QVBoxLayout>
#include <limits>

#include "platform/ui/QtText.h"
#include "shell/ui/Conf_Unit.h"

TEFix_Dlg* EFix_Dlg = nullptr;

TEFix_Dlg::TEFix_Dlg(QWidget* parent) : QDialog(parent) {
  setModal(true);
  Err_GrpBox = new QGroupBox(this);
  Lerr_Lbl = new QLabel(Err_GrpBox);
  Err_Lbl = new QLabel(Err_GrpBox);
  auto* g = new QHBoxLayout(Err_GrpBox);
  g->addWidget(Lerr_Lbl);
  g->addWidget(Err_Lbl, 1);
  Guide_Lbl = new QLabel(this);
  Line_Edt = new QLineEdit(this);
  // A command-file line has no length limit of its own: the whole line is
  // held, so that an entry longer than the field can be retried as it is.
  Line_Edt->setMaxLength(std::numeric_limits<int>::max());
  Ok_BitBtn = new QPushButton(this);
  Cancel_BitBtn = new QPushButton(this);
  Ok_BitBtn->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Ok_BitBtn);
  buttons->addWidget(Cancel_BitBtn);
  auto* v = new QVBoxLayout(this);
  v->addWidget(Err_GrpBox);
  v->addWidget(Guide_Lbl);
  v->addWidget(Line_Edt);
  v->addLayout(buttons);
  connect(Ok_BitBtn, &QPushButton::clicked, this, [this] { done(1); });
  connect(Cancel_BitBtn, &QPushButton::clicked, this, [this] { done(2); });
  resize(520, 160);
  Lang_EFix(this);
}

int TEFix_Dlg::ShowFix(const std::string& errText, std::string& line) {
  Err_Lbl->setText(ToQ(errText));
  const QString shown = ToQ(line);
  Line_Edt->setText(shown);
  Line_Edt->setFocus();
  int r = exec();
  // Esc and the title bar's close give the Cancel button's result.
  if (r != 1) return 2;
  // A line left as it was goes back byte for byte, even where the field
  // could not show every byte of it.
  if (Line_Edt->text() == shown) return 1;
  // A character without a CP932 form cannot be sent: the line stays as it was.
  if (auto s = FromQ(Line_Edt->text())) line = *s;
  return 1;
}

void Lang_EFix(TEFix_Dlg* d) {
  d->setFont(Orvo_Font(12));
  d->setWindowTitle(U8("ロードエラー行修正"));
  d->Lerr_Lbl->setText(U8("エラー："));
  d->Guide_Lbl->setText(U8("エラー行を修正してください。"));
  d->Ok_BitBtn->setText(U8("ＯＫ(&O)"));
  d->Cancel_BitBtn->setText(U8("中止(&Q)"));
}
