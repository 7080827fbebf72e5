#include "cmdfile/ui/Edit_Menu.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "cmdfile/ScreenTbl_Unit.h"
#include "cmdfile/ui/CmdSect_Show.h"
#include "cmdfile/ui/ListEdit_Entry.h"
#include "cmdfile/ui/PageOpen_Table.h"
#include "platform/FileSys.h"
#include "platform/ui/QtText.h"
#include "shell/Global_Unit.h"
#include "shell/orvo/Main_Unit.h"
#include "shell/ui/Conf_Unit.h"
#include "shell/ui/Placement.h"

TEdit_Menu* Edit_Menu = nullptr;

namespace {

// The tree's item under the pointer, when the pointer is on its label.
QTreeWidgetItem* LabelAt(QTreeWidget* tree, const QPoint& pos) {
  QTreeWidgetItem* item = tree->itemAt(pos);
  if (!item) return nullptr;
  QRect r = tree->visualItemRect(item);
  int width = tree->fontMetrics().horizontalAdvance(item->text(0)) + 8;
  return pos.x() >= r.left() && pos.x() < r.left() + width ? item : nullptr;
}

// The hourglass for as long as a screen is being opened.
struct Hourglass {
  Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~Hourglass() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

TEdit_Menu::TEdit_Menu(QWidget* parent) : QWidget(parent) {
  Edit_Menu = this;
  setObjectName("Edit_Menu");
  setWindowTitle(QStringLiteral("コマンドファイル一覧編集（メニュー選択）"));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
  resize(420, 520);
  // The screens' face (the stored layouts' default), not the toolkit's.
  setFont(Orvo_FontNamed("MS Sans Serif", 12));

  TrvMenu = new QTreeWidget(this);
  TrvMenu->setObjectName("TrvMenu");
  TrvMenu->setHeaderHidden(true);
  TrvMenu->setColumnCount(1);
  TrvMenu->setEditTriggers(QAbstractItemView::NoEditTriggers);
  TrvMenu->setIndentation(25);
  TrvMenu->setSelectionMode(QAbstractItemView::SingleSelection);
  // The selection stays visible when the focus is on the buttons.
  QPalette pal = TrvMenu->palette();
  pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
  pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
               pal.color(QPalette::Active, QPalette::HighlightedText));
  TrvMenu->setPalette(pal);
  TrvMenu->viewport()->installEventFilter(this);

  OK_BitBtn = new QPushButton(QStringLiteral("ＯＫ(&O)"), this);
  OK_BitBtn->setObjectName("OK_BitBtn");
  btbExit = new QPushButton(QStringLiteral("戻る(&E)"), this);
  btbExit->setObjectName("btbExit");
  OK_BitBtn->setAutoDefault(true);
  btbExit->setAutoDefault(true);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OK_BitBtn);
  buttons->addWidget(btbExit);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(TrvMenu);
  layout->addLayout(buttons);
  setTabOrder(TrvMenu, OK_BitBtn);
  setTabOrder(OK_BitBtn, btbExit);

  connect(OK_BitBtn, &QPushButton::clicked, this, [this] { OK_BitBtnClick(false); });
  connect(btbExit, &QPushButton::clicked, this, [this] { btbExitClick(); });
  connect(TrvMenu, &QTreeWidget::currentItemChanged, this, [this] { TrvMenuChange(); });
  connect(TrvMenu, &QTreeWidget::itemDoubleClicked, this, [this] { OK_BitBtnClick(true); });
  OK_BitBtn->setEnabled(false);
}

TEdit_Menu::~TEdit_Menu() {
  if (Edit_Menu == this) Edit_Menu = nullptr;
}

bool TEdit_Menu::MenuLoad() {
  OK_BitBtn->setEnabled(false);
  TrvMenu->clear();
  nodes_.clear();
  items_.clear();
  const std::string path = fsys::ResolvePath(ScreenFilesDir + "Menu.csv");
  // The screen table's failure is its own message; the tree needs the file.
  CmdSect_ShowResult(ScreenTbl_Load(path));
  if (!fsys::FileExists(path)) return false;
  if (!CmdSect_ShowResult(MenuTable_Load(path))) return false;

  std::vector<MenuNode> nodes;
  int msg = MenuTree_Build(MenuTable, MenuCount, nodes);
  for (const MenuNode& n : nodes) {
    QTreeWidgetItem* item = n.parent < 0 ? new QTreeWidgetItem(TrvMenu)
                                         : new QTreeWidgetItem(items_[static_cast<size_t>(n.parent)]);
    item->setText(0, ToQ(MenuTable[0][static_cast<size_t>(n.index)]));
    item->setData(0, Qt::UserRole, static_cast<int>(items_.size()));
    items_.push_back(item);
  }
  nodes_ = std::move(nodes);
  return CmdSect_ShowResult(msg);
}

QTreeWidgetItem* TEdit_Menu::ItemOf(int node) const {
  return node >= 0 && node < static_cast<int>(items_.size()) ? items_[static_cast<size_t>(node)] : nullptr;
}

void TEdit_Menu::OK_BitBtnClick(bool byDoubleClick) {
  QTreeWidgetItem* item = TrvMenu->currentItem();
  if (!item || !item->isSelected()) return;
  int node = item->data(0, Qt::UserRole).toInt();
  if (node < 0 || node >= static_cast<int>(nodes_.size())) return;
  const MenuNode& n = nodes_[static_cast<size_t>(node)];
  // A double click on a branch only opens or closes it; one beside the
  // selected item's label opens nothing.
  if (byDoubleClick &&
      (item->childCount() > 0 || MenuTable[0][static_cast<size_t>(n.index)] != ClickedNodeText))
    return;

  const std::string cmdPath = fsys::ResolvePath(CmdFilePath);
  MenuPath = MenuTree_Path(MenuTable, nodes_, node);
  MenuIndex = n.index;
  Hourglass busy;
  const size_t i = static_cast<size_t>(n.index);
  int type = MenuTree_PageType(MenuTable[2][i]);
  if (type < 0) {
    CmdSect_ShowResult(9312);
    return;
  }
  PageOpener opener = PageOpen_Get(type);
  if (!opener.init || !opener.widgets) {
    CmdSect_ShowResult(9312);  // no screen of that type in this program
    return;
  }
  if (!opener.init(cmdPath, MenuTable[3][i], type)) return;
  PageWidgets page = opener.widgets();
  if (!page.form) return;
  hide();
  if (Main_Frm) PlaceFrameAt(page.form, FrameTopLeft(Main_Frm) + QPoint(0, 20));
  if (page.loadButton) page.loadButton->setEnabled(Main_Frm && Main_Frm->Disc_BitBtn->isEnabled());
  if (page.errButton) page.errButton->setEnabled(false);
  CurrentPage = page.form;
  page.form->show();
}

void TEdit_Menu::TrvMenuChange() {
  QTreeWidgetItem* item = TrvMenu->currentItem();
  OK_BitBtn->setEnabled(item && item->childCount() == 0);
}

void TEdit_Menu::TrvMenuMouseDown(Qt::MouseButton button, const QPoint& pos) {
  if (button == Qt::RightButton) return;
  QTreeWidgetItem* item = LabelAt(TrvMenu, pos);
  if (!item) {
    ClickedNodeText.clear();
    return;
  }
  int node = item->data(0, Qt::UserRole).toInt();
  ClickedNodeText = node >= 0 && node < static_cast<int>(nodes_.size())
                        ? MenuTable[0][static_cast<size_t>(nodes_[static_cast<size_t>(node)].index)]
                        : std::string();
}

void TEdit_Menu::FormShow() {
  if (Main_Frm) PlaceFrameAt(this, FrameTopLeft(Main_Frm) + QPoint(0, 20));
  TrvMenu->setFocus();
}

void TEdit_Menu::FormClose() {
  hide();
  // The list empties the command-file text, rescans, refills and shows.
  ListEdit_Return();
}

void TEdit_Menu::btbExitClick() { close(); }

void TEdit_Menu::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

void TEdit_Menu::closeEvent(QCloseEvent* e) {
  e->accept();
  FormClose();
}

bool TEdit_Menu::eventFilter(QObject* o, QEvent* e) {
  if (o == TrvMenu->viewport() && e->type() == QEvent::MouseButtonPress) {
    auto* me = static_cast<QMouseEvent*>(e);
    TrvMenuMouseDown(me->button(), me->position().toPoint());
  }
  return QWidget::eventFilter(o, e);
}

void Edit_Menu_Install() {
  if (!Edit_Menu) new TEdit_Menu();
  ListEdit_SetEntry([](QWidget*, const std::string& cmdFilePath) {
    TEdit_Menu* f = Edit_Menu;
    if (!f) return false;
    f->CmdFilePath = cmdFilePath;
    if (!f->MenuLoad()) return false;
    f->show();
    f->raise();
    f->activateWindow();
    return true;
  });
}
