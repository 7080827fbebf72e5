#include "link/ui/PathPick.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/ui/QtText.h"
#include "shell/ui/Conf_Unit.h"

namespace {

PathPicker& Installed() {
  static PathPicker p;
  return p;
}

// The plain picker: the path is typed or edited in one line, and only an
// existing folder or file is taken.
int PlainPick(QWidget* parent, PathPickRequest& r) {
  QDialog d(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowStaysOnTopHint);
  d.setWindowTitle(r.dirSelect ? U8("ディレクトリ選択") : U8("ファイル選択"));
  d.setFont(Orvo_Font(12));
  d.setFixedSize(456, 110);
  auto* lbl = new QLabel(r.dirSelect ? U8("ﾃﾞｨﾚｸﾄﾘ名：") : U8("ﾌｧｲﾙ名："), &d);
  lbl->setGeometry(12, 14, 430, 20);
  auto* edit = new QLineEdit(r.dirSelect || r.fileName.isEmpty() ? r.path : r.fileName, &d);
  edit->setGeometry(12, 36, 432, 24);
  auto* ok = new QPushButton(U8("ＯＫ(&O)"), &d);
  ok->setGeometry(232, 70, 100, 30);
  ok->setDefault(true);
  auto* cancel = new QPushButton(U8("ｷｬﾝｾﾙ(&C)"), &d);
  cancel->setGeometry(344, 70, 100, 30);
  QObject::connect(cancel, &QPushButton::clicked, &d, [&d] { d.done(2); });
  QObject::connect(ok, &QPushButton::clicked, &d, [&] {
    QFileInfo fi(edit->text());
    if (r.dirSelect ? fi.isDir() : fi.isFile()) d.done(1);
    else QApplication::beep();
  });
  if (d.exec() != 1) return 2;
  QFileInfo fi(edit->text());
  if (r.dirSelect) {
    r.path = fi.absoluteFilePath();
    r.fileName.clear();
  } else {
    r.fileName = fi.absoluteFilePath();
    r.path = fi.absolutePath();
  }
  return 1;
}

}  // namespace

int PickPath(QWidget* parent, PathPickRequest& request) {
  return Installed() ? Installed()(parent, request) : PlainPick(parent, request);
}

void SetPathPicker(PathPicker picker) { Installed() = std::move(picker); }
