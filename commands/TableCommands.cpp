#include "TableCommands.h"

#include "commands/ListCommands.h"
#include "engine/KeyColumn.h"
#include "files/TableReader.h"

#include <algorithm>

namespace Quorvane {

namespace {

// The error report's line labels of the command's steps, as the load of lines has them.
struct LoadTableLabels
{
    int showDialog = 108;
    int hourglass = 114;
    int loadEachFile = 134;
    int defaultPointer = 138;
};
constexpr LoadTableLabels kLoadTable;

bool endsWith(const std::string &text, std::string_view end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The new table of a list from its first file: compared on the column that looks most like
// addresses, else the first.
LoadedTable tableFrom(const Table &table)
{
    const std::size_t sample = std::min(table.contents.list.count(), kAddressSampleRows);
    const std::optional<std::size_t> addresses =
        mostAddressLikeColumn(table.contents.list.texts().first(sample), table.delimiter);
    return {table.header.value_or(std::string()), table.columnNames, table.delimiter, addresses.value_or(1)};
}

// Reads one file as a table and appends its rows, if its columns are the list's.
void loadTable(ItemList &list, ListId id, std::optional<LoadedTable> &listTable, const std::string &path,
               const CommandHost &host)
{
    std::optional<ListFileContents> contents = readChosenFile(path, host.dialogs, host.progress);
    noteLoad(host.outcome, path, contents ? std::optional(contents->format) : std::nullopt);
    if (!contents)
        return;
    // A TSV file whose first row shows no tab is still tab-separated.
    const TableOptions options{.usualDelimiter = endsWith(path, ".tsv") ? '\t' : ','};
    Table table = tableOf(std::move(*contents), options, shownFileName(path));
    if (list.isEmpty()) {
        listTable = tableFrom(table);
        if (host.outcome)
            host.outcome->notes.push_back("comparing on " + listTable->keyColumnName());
    } else if (!listTable) {
        host.dialogs.warn(listName(id) + " holds lines, not rows of a table: clear it to load "
                          + shownFileName(path) + " as a table.");
        return;
    } else if (table.columnNames != listTable->columnNames || table.delimiter != listTable->delimiter) {
        host.dialogs.warn(shownFileName(path) + " has other columns than the table in " + listName(id)
                          + ": it was not loaded.");
        return;
    }
    list.appendList(std::move(table.contents.list));
}

} // namespace

std::string LoadedTable::keyColumnName() const
{
    std::string name = "column " + std::to_string(keyColumn);
    if (keyColumn <= columnNames.size())
        name += ", '" + columnNames[keyColumn - 1] + "'";
    return name;
}

const LoadedTable *LoadedTables::active(ListId list, const ItemList &items) const
{
    const std::optional<LoadedTable> &table = m_tables[listIndex(list)];
    return table && !items.isEmpty() ? &*table : nullptr;
}

void LoadedTables::forgetEmptied(const ItemList &list1, const ItemList &list2)
{
    if (list1.isEmpty())
        m_tables[0].reset();
    if (list2.isEmpty())
        m_tables[1].reset();
}

std::array<KeyField, 2> LoadedTables::keyFields(const ItemList &list1, const ItemList &list2) const
{
    std::array<KeyField, 2> fields{};
    if (const LoadedTable *table = active(ListId::List1, list1))
        fields[0] = table->keyField();
    if (const LoadedTable *table = active(ListId::List2, list2))
        fields[1] = table->keyField();
    return fields;
}

void runLoadTableCommand(ItemList &list, ListId id, LoadedTables &tables, const std::string &procedure,
                         const CommandHost &host)
{
    TrappedProcedure trap(host.reporter, "Form1", procedure);
    std::vector<std::string> paths;
    trap.step(kLoadTable.showDialog, [&] {
        paths = host.dialogs.askOpenFiles({"Load Table To " + listName(id), std::string(kTableFileFilter)});
    });
    if (paths.empty())
        return;
    std::optional<LoadedTable> &listTable = tables.of(id);
    trap.step(kLoadTable.hourglass, [&] { host.pointer.setPointer(Pointer::Hourglass); });
    for (const std::string &path : paths)
        trap.step(kLoadTable.loadEachFile, [&] { loadTable(list, id, listTable, path, host); });
    trap.step(kLoadTable.defaultPointer, [&] { host.pointer.setPointer(Pointer::Default); });
}

} // namespace Quorvane
