#include "ListSelection.h"

#include "files/LineSplitting.h"
#include "ui/ItemListModel.h"

#include <QItemSelection>

#include <algorithm>
#include <cstring>
#include <memory>

namespace Quorvane {

std::vector<RowRange> rowRangesOf(const QItemSelection &selection, std::size_t rowCount)
{
    std::vector<RowRange> ranges;
    for (const QItemSelectionRange &range : selection) {
        if (range.top() < 0 || range.bottom() < range.top())
            continue;
        const auto first = static_cast<std::size_t>(range.top());
        const auto last = std::min(static_cast<std::size_t>(range.bottom()), rowCount - 1);
        if (first < rowCount)
            ranges.push_back({first, last});
    }
    std::sort(ranges.begin(), ranges.end(), [](const RowRange &a, const RowRange &b) { return a.first < b.first; });
    std::vector<RowRange> merged;
    for (const RowRange &range : ranges) {
        if (!merged.empty() && range.first <= merged.back().last + 1)
            merged.back().last = std::max(merged.back().last, range.last);
        else
            merged.push_back(range);
    }
    return merged;
}

std::size_t rowCountOf(std::span<const RowRange> rows)
{
    std::size_t count = 0;
    for (const RowRange &range : rows)
        count += range.last - range.first + 1;
    return count;
}

void removeRows(ItemList &list, std::span<const RowRange> rows)
{
    if (rows.empty())
        return;
    const auto flags = std::make_unique<bool[]>(list.count());
    for (const RowRange &range : rows)
        std::fill(flags.get() + range.first, flags.get() + range.last + 1, true);
    list.removeFlagged({flags.get(), list.count()});
}

QString clipboardLines(const ItemList &list, std::span<const RowRange> rows)
{
    QString lines;
    for (const RowRange &range : rows) {
        for (std::size_t row = range.first; row <= range.last; ++row) {
            lines += decodeItemText(list.text(row));
            lines += QLatin1Char('\n');
        }
    }
    return lines;
}

ItemList itemsOfPastedText(const QString &text)
{
    if (text.isEmpty())
        return {};
    const QByteArray bytes = text.toUtf8();
    auto block = std::make_unique<ByteBlock>(static_cast<std::size_t>(bytes.size()));
    std::memcpy(block->data(), bytes.constData(), block->size());
    std::vector<std::string_view> lines = splitLines({block->data(), block->size()});
    ItemList items;
    items.adopt(std::move(block), std::move(lines));
    return items;
}

} // namespace Quorvane
