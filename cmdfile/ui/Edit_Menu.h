// The menu tree: the way from the command-file list into the setting
// screens. Each list-edit reloads Menu.csv into the screen table and the
// tree; a leaf opens the screen of its page type on the chosen file.
#pragma once

#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>
#include <string>
#include <vector>

#include "cmdfile/MenuTree_Unit.h"

class TEdit_Menu : public QWidget {
  Q_OBJECT
 public:
  explicit TEdit_Menu(QWidget* parent = nullptr);
  ~TEdit_Menu() override;

  QTreeWidget* TrvMenu;
  QPushButton* OK_BitBtn;
  QPushButton* btbExit;

  // The command file the screens open, as the list resolved it.
  std::string CmdFilePath;

  // Screen table and menu table from ScreenFilesDir + "Menu.csv", then the
  // tree. false when the tree cannot be shown (its message was shown).
  bool MenuLoad();

  // OK, and the tree's double click (byDoubleClick).
  void OK_BitBtnClick(bool byDoubleClick = false);
  void TrvMenuChange();
  void TrvMenuMouseDown(Qt::MouseButton button, const QPoint& pos);
  void FormShow();
  void FormClose();
  void btbExitClick();

  // The item of a tree node (its index in the built tree), for tests.
  QTreeWidgetItem* ItemOf(int node) const;

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  std::vector<MenuNode> nodes_;
  std::vector<QTreeWidgetItem*> items_;
};

extern TEdit_Menu* Edit_Menu;

// Creates the form (once) and installs it as the command-file list's
// list-edit.
void Edit_Menu_Install();
