#pragma once

#include "engine/ItemList.h"

#include <QString>

#include <cstddef>
#include <span>
#include <vector>

class QItemSelection;

namespace Quorvane {

// Rows first to last, both included.
struct RowRange
{
    std::size_t first;
    std::size_t last;
    bool operator==(const RowRange &) const = default;
};

// A view's selection as rising, disjoint row ranges within rowCount rows: a selection of a
// million rows made with Ctrl+A stays one range, never a million indexes.
std::vector<RowRange> rowRangesOf(const QItemSelection &selection, std::size_t rowCount);
std::size_t rowCountOf(std::span<const RowRange> rows);

// Removes the rows in one pass.
void removeRows(ItemList &list, std::span<const RowRange> rows);

// The rows' texts, each followed by a line feed, shown as the list views show them.
QString clipboardLines(const ItemList &list, std::span<const RowRange> rows);

// The lines of a pasted text as items: CR, LF and CR LF each end a line, a line end at the
// very end adds no item, and the texts keep their UTF-8 bytes.
ItemList itemsOfPastedText(const QString &text);

} // namespace Quorvane
