#pragma once

#include "engine/ItemList.h"

#include <QAbstractTableModel>

#include <string_view>

namespace Quorvane {

// An item's bytes as text: UTF-8 where the bytes are valid UTF-8, otherwise Latin-1, so every
// byte shows as some character and none is lost.
QString decodeItemText(std::string_view bytes);

// What a list view shows of an item: its first few thousand bytes, cut at a character's
// start and followed by an ellipsis when there is more. Laying out a line of megabytes at
// every repaint would freeze the window; the item itself keeps every byte.
QString shownItemText(std::string_view bytes);

// Shows an ItemList in a view without copying it: rows are decoded only when painted, and
// every change of the list resets the model once.
class ItemListModel final : public QAbstractTableModel, private ListObserver
{
public:
    explicit ItemListModel(ItemList &list, QObject *parent = nullptr);
    ~ItemListModel() override;

    // A list view starts without columns; start-up adds the one column.
    void addColumn(const QString &header);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void listAboutToChange() override;
    void listChanged() override;

    ItemList &m_list;
    QStringList m_headers;
};

} // namespace Quorvane
