#pragma once

#include "engine/ItemList.h"

#include <QAbstractTableModel>

#include <algorithm>

#include <climits>
#include <cstddef>
#include <optional>
#include <string_view>

namespace Quorvane {

// An item's bytes as text: UTF-8 where the bytes are valid UTF-8, otherwise Latin-1, so every
// byte shows as some character and none is lost.
QString decodeItemText(std::string_view bytes);

// What a list view shows of an item: its first few thousand bytes, cut at a character's
// start and followed by an ellipsis when there is more. Laying out a line of megabytes at
// every repaint would freeze the window; the item itself keeps every byte.
QString shownItemText(std::string_view bytes);

// Qt's views count rows and measure their total height in int. With rows at most
// kMaxRowPixels high, kMaxItemRows rows and one more stay within that: a longer list shows
// its first kMaxItemRows items and then one row that says how many more items it holds.
inline constexpr int kMaxRowPixels = 21;
inline constexpr int kMaxItemRows = 100'000'000;
static_assert(kMaxItemRows + 1 <= INT_MAX / kMaxRowPixels);

// Shows an ItemList in a view without copying it: rows are decoded only when painted, and
// every change of the list resets the model once.
class ItemListModel final : public QAbstractTableModel, private ListObserver
{
public:
    // maxItemRows is the view's limit; tests set a small one.
    explicit ItemListModel(ItemList &list, int maxItemRows = kMaxItemRows, QObject *parent = nullptr);
    ~ItemListModel() override;

    // A list view starts without columns; start-up adds the one column.
    void addColumn(const QString &header);
    // The first column's header from now on.
    void setHeader(const QString &header);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The position in the list of the item a row shows; none for a row past the items, such as
    // the row that counts the items the view cannot hold.
    std::optional<std::size_t> itemAt(int row) const;
    // How many rows show items: every item, or as many as the view holds.
    std::size_t itemRowCount() const { return std::min(m_list.count(), static_cast<std::size_t>(m_maxItemRows)); }
    // The row that shows the item at position, if the view holds it.
    std::optional<int> rowOf(std::size_t position) const;

private:
    bool holdsEveryItem() const { return m_list.count() <= static_cast<std::size_t>(m_maxItemRows); }

    void listAboutToChange() override;
    void listChanged() override;

    ItemList &m_list;
    int m_maxItemRows;
    QStringList m_headers;
};

} // namespace Quorvane
