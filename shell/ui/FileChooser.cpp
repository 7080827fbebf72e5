#include "shell/ui/FileChooser.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QTreeView>

namespace {

enum Column { kName, kSize, kType, kDate };

// The file system model writes sizes and dates in the locale of the
// environment, not in the program's; these two columns are written again
// here in the program's own (Japanese) locale.
class ProgramLocaleDetails : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;

  QVariant data(const QModelIndex& index, int role) const override {
    auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
    if (!files || role != Qt::DisplayRole || (index.column() != kSize && index.column() != kDate))
      return QIdentityProxyModel::data(index, role);
    const QModelIndex at = mapToSource(index);
    if (index.column() == kDate) return QLocale().toString(files->lastModified(at), QLocale::ShortFormat);
    return files->isDir(at) ? QString() : QLocale().formattedDataSize(files->size(at));
  }
};

}  // namespace

void FileChooser_Prepare(QFileDialog* dlg) {
  // The toolkit's own dialog, whatever the desktop offers in its place.
  dlg->setOption(QFileDialog::DontUseNativeDialog);
  dlg->setProxyModel(new ProgramLocaleDetails(dlg));
  auto* view = dlg->findChild<QTreeView*>(QStringLiteral("treeView"));
  if (!view) return;
  // The toolkit sizes these columns for English samples ("128.88 GB").
  for (int c : {kSize, kType, kDate}) view->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
}
