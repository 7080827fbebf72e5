// A list box whose rows are tab-separated columns shown at tab stops. The
// row text stays tab-separated: the owners' handlers split it. Like the
// list boxes the layouts describe, it never scrolls sideways: a row wider
// than the list is cut at its right edge, and columns that an owner keeps
// beyond the visible width (a hidden key) stay out of sight.
#pragma once

#include <QListWidget>
#include <vector>

class TTabListBox : public QListWidget {
  Q_OBJECT
 public:
  explicit TTabListBox(QWidget* parent = nullptr);

  // Tab stops in dialog units (a quarter of the font's average character
  // width). None set: a stop every 32 units; one: a stop every that many.
  void SetTabStops(const std::vector<int>& dialogUnits);
  const std::vector<int>& TabStops() const { return tabStops_; }

  // The x offset in pixels, from the start of the row text, at which each
  // tab-separated column of text begins.
  std::vector<int> ColumnOffsets(const QString& text) const;

 protected:
  void updateGeometries() override;

 private:
  int NextStop(int x) const;
  std::vector<int> tabStops_;
};
