#include "ListView.h"

#include "ui/ListSelection.h"

#include "ui/ItemListModel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>

#include <algorithm>

namespace Quorvane {

namespace {

// The column header. Past the column, where there is no column, it draws an empty header
// section, so the header runs the whole width of the view as in a details view.
class ColumnHeader final : public QHeaderView
{
public:
    explicit ColumnHeader(QWidget *parent)
        : QHeaderView(Qt::Horizontal, parent)
    {}

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QHeaderView::paintEvent(event);
        const int end = count() > 0 ? sectionViewportPosition(count() - 1) + sectionSize(count() - 1) : 0;
        if (end >= viewport()->width())
            return;
        QPainter painter(viewport());
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.rect = QRect(end, 0, viewport()->width() - end, viewport()->height());
        option.position = QStyleOptionHeader::End;
        style()->drawControl(QStyle::CE_HeaderSection, &option, &painter, this);
    }
};

} // namespace

ListView::ListView(QWidget *parent)
    : QTableView(parent)
{
    setHorizontalHeader(new ColumnHeader(this));
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
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

void ListView::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    paintSelectionPastTheColumn();
}

// The column keeps its width, so the selection is painted on across the rest of the row.
void ListView::paintSelectionPastTheColumn()
{
    const int columns = model() ? model()->columnCount() : 0;
    const int end = columns > 0 ? columnViewportPosition(columns - 1) + columnWidth(columns - 1) : 0;
    if (end >= viewport()->width() || !selectionModel())
        return;
    QPainter painter(viewport());
    const QBrush highlight =
        palette().brush(isActiveWindow() ? QPalette::Active : QPalette::Inactive, QPalette::Highlight);
    // Only the visible rows are asked: a selection of millions of rows costs nothing here.
    const int first = rowAt(0);
    if (first < 0)
        return;
    const int below = rowAt(viewport()->height() - 1);
    const int last = below < 0 ? model()->rowCount() - 1 : below;
    for (int row = first; row <= last; ++row) {
        if (selectionModel()->isRowSelected(row, rootIndex()))
            painter.fillRect(QRect(end, rowViewportPosition(row), viewport()->width() - end, rowHeight(row)), highlight);
    }
}

void ListView::setRowHeight(int pixels)
{
    verticalHeader()->setDefaultSectionSize(std::clamp(pixels, 1, kMaxRowPixels));
}

void ListView::selectOnly(int row)
{
    const QModelIndex index = model()->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid())
        emit removeItemRequested(index.row());
}

// The key goes on to the view's own handling afterwards, Delete included.
void ListView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete)
        emit removeSelectedRequested();
    QTableView::keyPressEvent(event);
}

namespace {

void selectAfterRemoval(ListView &view, const ItemListModel &model, const ItemList &list, std::size_t position)
{
    if (list.isEmpty())
        return;
    if (const std::optional<int> next = model.rowOf(std::min(position, list.count() - 1)))
        view.selectOnly(*next);
}

} // namespace

void removeSelectedItems(ListView &view, const ItemListModel &model, ItemList &list)
{
    const std::vector<RowRange> rows = rowRangesOf(view.selectionModel()->selection(), model.itemRowCount());
    if (rows.empty())
        return;
    try {
        removeRows(list, rows);
    } catch (...) {
        return;
    }
    selectAfterRemoval(view, model, list, rows.front().first);
}

void removeItemAtRow(ListView &view, const ItemListModel &model, ItemList &list, int row)
{
    const std::optional<std::size_t> position = model.itemAt(row);
    if (!position)
        return;
    try {
        list.removeAt(*position);
    } catch (...) {
        return;
    }
    selectAfterRemoval(view, model, list, *position);
}

} // namespace Quorvane
