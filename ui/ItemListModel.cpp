#include "ItemListModel.h"

#include "engine/Matching.h"

#include <QLocale>

namespace Quorvane {

QString decodeItemText(std::string_view bytes)
{
    if (!isValidUtf8(bytes))
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    // Qt's decoder drops a leading byte-order mark; it is part of the item, so it is shown.
    static constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    QString text;
    if (bytes.starts_with(byteOrderMark)) {
        text += QChar(0xFEFF);
        bytes.remove_prefix(byteOrderMark.size());
    }
    return text + QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString shownItemText(std::string_view bytes)
{
    constexpr std::size_t kShownBytes = 4096;
    if (bytes.size() <= kShownBytes)
        return decodeItemText(bytes);
    // Back off over UTF-8 continuation bytes so a character is never split by the cut.
    std::size_t cut = kShownBytes;
    while (cut > kShownBytes - 3 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
        --cut;
    return decodeItemText(bytes.substr(0, cut)) + QChar(0x2026);
}

ItemListModel::ItemListModel(ItemList &list, int maxItemRows, QObject *parent)
    : QAbstractTableModel(parent)
    , m_list(list)
    , m_maxItemRows(maxItemRows)
{
    m_list.setObserver(this);
}

ItemListModel::~ItemListModel()
{
    m_list.setObserver(nullptr);
}

void ItemListModel::addColumn(const QString &header)
{
    const auto column = static_cast<int>(m_headers.size());
    beginInsertColumns({}, column, column);
    m_headers.append(header);
    endInsertColumns();
}

void ItemListModel::setHeader(const QString &header)
{
    if (m_headers.isEmpty() || m_headers.front() == header)
        return;
    m_headers.front() = header;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

int ItemListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return holdsEveryItem() ? static_cast<int>(m_list.count()) : m_maxItemRows + 1;
}

int ItemListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant ItemListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.column() != 0)
        return {};
    if (const std::optional<std::size_t> position = itemAt(index.row()))
        return shownItemText(m_list.text(*position));
    if (index.row() != m_maxItemRows || holdsEveryItem())
        return {};
    const auto more = static_cast<qulonglong>(m_list.count() - static_cast<std::size_t>(m_maxItemRows));
    return QStringLiteral("... and %1 more %2 (%3 in all)")
        .arg(QLocale().toString(more), more == 1 ? QStringLiteral("item") : QStringLiteral("items"),
             QLocale().toString(static_cast<qulonglong>(m_list.count())));
}

QVariant ItemListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_headers.size())
        return {};
    return m_headers.at(section);
}

std::optional<std::size_t> ItemListModel::itemAt(int row) const
{
    if (row < 0 || row >= m_maxItemRows || static_cast<std::size_t>(row) >= m_list.count())
        return std::nullopt;
    return static_cast<std::size_t>(row);
}

std::optional<int> ItemListModel::rowOf(std::size_t position) const
{
    if (position >= m_list.count() || position >= static_cast<std::size_t>(m_maxItemRows))
        return std::nullopt;
    return static_cast<int>(position);
}

void ItemListModel::listAboutToChange()
{
    beginResetModel();
}

void ItemListModel::listChanged()
{
    endResetModel();
}

} // namespace Quorvane
