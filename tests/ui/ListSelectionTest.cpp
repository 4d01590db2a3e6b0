#include "ui/ListSelection.h"

#include "tests/support/ListTexts.h"

#include <QItemSelection>
#include <QStandardItemModel>

#include <gtest/gtest.h>

using namespace Quorvane;

namespace {

using Samples::listOf;
using Samples::textsOf;
using Texts = std::vector<std::string>;

} // namespace

TEST(PastedText, LinesEndAtCrLfOrCrLfAndAFinalEndAddsNothing)
{
    struct Case
    {
        QString text;
        Texts items;
    };
    const Case cases[] = {
        {QString(), {}},
        {QStringLiteral("a@x.org"), {"a@x.org"}},
        {QStringLiteral("a\nb\n"), {"a", "b"}},
        {QStringLiteral("a\r\nb\r\n"), {"a", "b"}},
        {QStringLiteral("a\rb\r"), {"a", "b"}},
        {QStringLiteral("a\r\n\r\nb"), {"a", "", "b"}},
        {QStringLiteral("\n"), {""}},
        {QStringLiteral("\n\n"), {"", ""}},
        {QStringLiteral("a\n\rb"), {"a", "", "b"}},
        {QStringLiteral(" spaced \tcell\n"), {" spaced \tcell"}},
        {QStringLiteral("caf\u00E9\n"), {"caf\xC3\xA9"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(textsOf(itemsOfPastedText(c.text)), c.items) << c.text.toStdString();
}

TEST(ListSelectionRows, SelectionsBecomeRisingDisjointRanges)
{
    QStandardItemModel model(10, 1);
    QItemSelection selection;
    selection.select(model.index(6, 0), model.index(8, 0));
    selection.select(model.index(0, 0), model.index(1, 0));
    selection.select(model.index(2, 0), model.index(2, 0));
    selection.select(model.index(7, 0), model.index(9, 0));
    const std::vector<RowRange> rows = rowRangesOf(selection, 10);
    EXPECT_EQ(rows, (std::vector<RowRange>{{0, 2}, {6, 9}}));
    EXPECT_EQ(rowCountOf(rows), 7u);
}

TEST(ListSelectionRows, CopyAndRemoveTakeExactlyTheSelectedRows)
{
    ItemList list = listOf({"a", "b", "", "d", "caf\xC3\xA9", "f"});
    const std::vector<RowRange> rows = {{1, 2}, {4, 4}};
    EXPECT_EQ(clipboardLines(list, rows), QStringLiteral("b\n\ncaf\u00E9\n"));
    // What is copied pastes back as the same items.
    EXPECT_EQ(textsOf(itemsOfPastedText(clipboardLines(list, rows))), (Texts{"b", "", "caf\xC3\xA9"}));
    removeRows(list, rows);
    EXPECT_EQ(textsOf(list), (Texts{"a", "d", "f"}));
}
