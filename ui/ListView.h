#pragma once

#include "engine/ItemList.h"

#include <QTableView>

#include <cstddef>
#include <optional>

namespace Quorvane {

// A details view of one list: one headed column, one row per item, no grid and no row numbers.
// The header and the selected row span the view's whole width, past the column's own.
class ListView final : public QTableView
{
    Q_OBJECT

public:
    explicit ListView(QWidget *parent = nullptr);

    // The selected row, if one is selected.
    std::optional<int> selectedRow() const;
    // Selects exactly this row and makes it current, whatever modifier keys are held.
    void selectOnly(int row);

    // Every row takes this height, capped at kMaxRowPixels so the longest list the model
    // shows still measures within an int.
    void setRowHeight(int pixels);

signals:
    // The Delete key (with any modifiers) asks to remove the selected items.
    void removeSelectedRequested();
    // A double-click on an item asks to remove that one item.
    void removeItemRequested(int row);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void paintSelectionPastTheColumn();
};

class ItemListModel;

// Remove items from list, which model shows in view, and select the item that moved up into
// the first place emptied, so Delete can be pressed again. The row that counts the items the
// view cannot hold is never taken for an item. They report nothing: a removal that fails
// leaves the list as it was.
void removeSelectedItems(ListView &view, const ItemListModel &model, ItemList &list);
void removeItemAtRow(ListView &view, const ItemListModel &model, ItemList &list, int row);

} // namespace Quorvane
