#include "shell/ui/DirControls.h"

#include <QDir>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStorageInfo>
#include <algorithm>
#include <filesystem>

#include "platform/FileSys.h"
#include "platform/ui/QtText.h"

namespace {

// Names are shown decoded; the items keep the bytes (kPathRole).
QString Native(const std::string& path) { return NameToQ(path); }
std::string FromNative(const QString& path) { return path.toUtf8().toStdString(); }
// Item data keeps the bytes themselves, so that a name that is not valid
// UTF-8 still leads back to its entry.
QByteArray Bytes(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }
std::string FromBytes(const QVariant& v) { return v.toByteArray().toStdString(); }

std::string Join(const std::string& dir, const std::string& name) {
  return dir == "/" ? "/" + name : dir + "/" + name;
}

constexpr int kPathRole = Qt::UserRole + 1;

}  // namespace

std::string DirCtl_Normalize(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

std::string DirCtl_CurrentDir() {
  std::error_code ec;
  std::string d = std::filesystem::current_path(ec).string();
  return ec ? std::string("/") : d;
}

std::string DirCtl_Absolute(const std::string& path) {
  std::error_code ec;
  std::string a = std::filesystem::absolute(path, ec).lexically_normal().string();
  return ec ? path : a;
}

bool DirCtl_Readable(const std::string& dir) {
  std::vector<fsys::DirEntry> entries;
  return !dir.empty() && fsys::DirExists(dir) && fsys::ListDir(dir, "*", entries);
}

// ---------------------------------------------------------------------------

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  connect(this, qOverload<int>(&QComboBox::activated), this, [this](int) { emit driveChanged(); });
}

void TDriveComboBox::Fill() {
  QSignalBlocker block(this);
  clear();
  std::vector<std::string> roots{"/"};
  std::string home = DirCtl_Normalize(FromNative(QDir::homePath()));
  if (!home.empty() && home != "/") roots.push_back(home);
  std::vector<std::string> volumes;
  for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
    if (!v.isValid() || !v.isReady()) continue;
    std::string r = DirCtl_Normalize(FromNative(v.rootPath()));
    if (r.empty() || std::find(roots.begin(), roots.end(), r) != roots.end()) continue;
    // The system's own mounts are no place for the user's files.
    if (r.rfind("/proc", 0) == 0 || r.rfind("/sys", 0) == 0 || r.rfind("/dev", 0) == 0 ||
        (r.rfind("/run", 0) == 0 && r.rfind("/run/media/", 0) != 0) || r == "/boot" ||
        r.rfind("/boot/", 0) == 0 || r.rfind("/snap/", 0) == 0)
      continue;
    volumes.push_back(r);
  }
  std::sort(volumes.begin(), volumes.end());
  volumes.erase(std::unique(volumes.begin(), volumes.end()), volumes.end());
  roots.insert(roots.end(), volumes.begin(), volumes.end());
  for (const auto& r : roots) addItem(Native(r), Bytes(r));
}

std::string TDriveComboBox::Drive() const { return FromBytes(currentData()); }

void TDriveComboBox::SetDrive(const std::string& root) {
  QSignalBlocker block(this);
  int i = findData(Bytes(root));
  if (i >= 0) setCurrentIndex(i);
}

void TDriveComboBox::SelectFor(const std::string& path) {
  std::string p = DirCtl_Normalize(path);
  int best = -1;
  size_t bestLen = 0;
  for (int i = 0; i < count(); ++i) {
    std::string r = FromBytes(itemData(i));
    bool holds = r == "/" || p == r || (p.size() > r.size() && p.compare(0, r.size(), r) == 0 && p[r.size()] == '/');
    if (holds && (best < 0 || r.size() > bestLen)) {
      best = i;
      bestLen = r.size();
    }
  }
  QSignalBlocker block(this);
  if (best >= 0) setCurrentIndex(best);
}

// ---------------------------------------------------------------------------

TDirectoryListBox::TDirectoryListBox(QWidget* parent) : QListWidget(parent) {
  connect(this, &QListWidget::itemDoubleClicked, this, &TDirectoryListBox::Open);
}

bool TDirectoryListBox::SetDirectory(const std::string& dir) {
  std::string d = DirCtl_Normalize(dir);
  std::vector<fsys::DirEntry> entries;
  if (d.empty() || d[0] != '/' || !fsys::DirExists(d) || !fsys::ListDir(d, "*", entries)) return false;
  dir_ = d;
  clear();
  // The path from the root, each level indented one step further.
  std::vector<std::string> levels{"/"};
  for (size_t i = 1; i < d.size(); ++i)
    if (d[i] == '/') levels.push_back(d.substr(0, i));
  if (d != "/") levels.push_back(d);
  int depth = 0;
  QListWidgetItem* current = nullptr;
  for (const auto& lv : levels) {
    std::string label = lv == "/" ? "/" : lv.substr(lv.rfind('/') + 1);
    auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + Native(label), this);
    item->setData(kPathRole, Bytes(lv));
    current = item;
    ++depth;
  }
  for (const auto& e : entries) {
    if (!e.isDir || e.name.empty() || e.name[0] == '.') continue;
    auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + Native(e.name), this);
    item->setData(kPathRole, Bytes(Join(d, e.name)));
  }
  setCurrentItem(current);
  return true;
}

void TDirectoryListBox::Open(QListWidgetItem* item) {
  if (!item) return;
  std::string path = FromBytes(item->data(kPathRole));
  if (path == dir_) return;
  if (!SetDirectory(path)) {
    emit directoryRefused(Native(path));
    return;
  }
  emit directoryChanged();
}

void TDirectoryListBox::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    if (currentItem() && FromBytes(currentItem()->data(kPathRole)) != dir_) {
      Open(currentItem());
      return;
    }
  }
  QListWidget::keyPressEvent(e);
}

// ---------------------------------------------------------------------------

TFileListBox::TFileListBox(QWidget* parent) : QListWidget(parent) {
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void TFileListBox::updateGeometries() {
  QListWidget::updateGeometries();
  // No wheel or key may scroll what no bar shows.
  horizontalScrollBar()->setRange(0, 0);
}

bool TFileListBox::SetDirectory(const std::string& dir) {
  clear();
  dir_ = DirCtl_Normalize(dir);
  std::vector<fsys::DirEntry> entries;
  if (!fsys::ListDir(dir_, Mask, entries)) return false;
  for (const auto& e : entries) {
    if (e.isDir || e.name.empty() || e.name[0] == '.') continue;
    auto* item = new QListWidgetItem(Native(e.name), this);
    item->setData(kPathRole, Bytes(e.name));
  }
  // No file looks chosen until the user chooses one.
  setCurrentItem(nullptr);
  return true;
}

bool TFileListBox::SelectName(const std::string& name) {
  for (int i = 0; i < count(); ++i) {
    if (FromBytes(item(i)->data(kPathRole)) == name) {
      setCurrentRow(i);
      return true;
    }
  }
  return false;
}

std::string TFileListBox::SelectedName() const {
  QListWidgetItem* it = currentItem();
  if (!it || !it->isSelected()) return std::string();
  return FromBytes(it->data(kPathRole));
}

std::string TFileListBox::SelectedPath() const {
  std::string n = SelectedName();
  return n.empty() ? n : Join(dir_, n);
}
