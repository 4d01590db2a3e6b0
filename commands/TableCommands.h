#pragma once

#include "engine/ItemList.h"
#include "engine/KeyField.h"
#include "commands/CommandHost.h"
#include "commands/ListId.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace Quorvane {

inline constexpr std::string_view kTableFileFilter = "Tables (*.csv *.tsv);;All Files (*)";

// A list whose items are the rows of a table: the header it was read with, how its fields are
// separated and the column its rows are compared on. Only a list with rows has one.
struct LoadedTable
{
    std::string header; // the header row's exact bytes
    std::vector<std::string> columnNames;
    char delimiter = ',';
    std::size_t keyColumn = 1; // 1-based

    KeyField keyField() const { return {keyColumn, delimiter}; }
    // "column 3, 'Email Address'".
    std::string keyColumnName() const;
};

// The window's table of each list, kept while the list has rows.
class LoadedTables
{
public:
    std::optional<LoadedTable> &of(ListId list) { return m_tables[listIndex(list)]; }
    // The list's table while the list holds any row.
    const LoadedTable *active(ListId list, const ItemList &items) const;
    // Called as each command starts: an emptied list holds lines again.
    void forgetEmptied(const ItemList &list1, const ItemList &list2);
    // How each list's items are compared: every key field of a list with rows is its column.
    std::array<KeyField, 2> keyFields(const ItemList &list1, const ItemList &list2) const;

private:
    std::array<std::optional<LoadedTable>, 2> m_tables;
};

// "Load Table To List": asks for table files and appends their rows. The first file's header
// names the columns; the column that looks most like addresses is compared. A later file with
// other columns is not loaded, and a list that holds lines takes no table rows. A file whose
// quotes never close gets its error and adds nothing.
void runLoadTableCommand(ItemList &list, ListId id, LoadedTables &tables, const std::string &procedure,
                         const CommandHost &host);

} // namespace Quorvane
