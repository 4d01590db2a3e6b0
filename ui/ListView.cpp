#include "ListView.h"

#include "ui/ItemListModel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace Quorvane {

ListView::ListView(QWidget *parent)
    : QTableView(parent)
{
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Every row has the same height, so a million rows cost no per-row measuring.
    QHeaderView *rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    // The column keeps the width it is given, and the user may drag it past the view's edge.
    QHeaderView *columns = horizontalHeader();
    columns->setStretchLastSection(false);
    columns->setHighlightSections(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

std::optional<int> ListView::selectedRow() const
{
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first().row();
}

void ListView::setRowHeight(int pixels)
{
    verticalHeader()->setDefaultSectionSize(std::clamp(pixels, 1, kMaxRowPixels));
}

void ListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit removeSelectedRequested();
}

// The key goes on to the view's own handling afterwards, Delete included.
void ListView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete)
        emit removeSelectedRequested();
    QTableView::keyPressEvent(event);
}

void removeSelectedItem(ListView &view, const ItemListModel &model, ItemList &list)
{
    const std::optional<int> row = view.selectedRow();
    const std::optional<std::size_t> position = row ? model.itemAt(*row) : std::nullopt;
    if (!position)
        return;
    try {
        list.removeAt(*position);
    } catch (...) {
        return;
    }
    // So Delete can be pressed again.
    if (list.isEmpty())
        return;
    if (const std::optional<int> next = model.rowOf(std::min(*position, list.count() - 1)))
        view.selectRow(*next);
}

} // namespace Quorvane
