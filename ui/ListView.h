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

    // Every row takes this height, capped at kMaxRowPixels so the longest list the model
    // shows still measures within an int.
    void setRowHeight(int pixels);

signals:
    // A double-click or the Delete key (with any modifiers) asks to remove the selected item.
    void removeSelectedRequested();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void paintSelectionPastTheColumn();
};

class ItemListModel;

// Removes the item of the view's selected row from list, which model shows in view, and
// selects the item that moved up into its place. Nothing happens without a selected item,
// or on the row that counts the items the view cannot hold. Reports nothing: a removal that
// fails leaves the list as it was.
void removeSelectedItem(ListView &view, const ItemListModel &model, ItemList &list);

} // namespace Quorvane
