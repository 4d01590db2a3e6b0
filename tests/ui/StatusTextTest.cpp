#include "ui/StatusText.h"

#include <gtest/gtest.h>

using namespace Quorvane;

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

} // namespace

TEST(StatusText, CountsAreGroupedAsTheLocaleGroupsDigits)
{
    EXPECT_EQ(listCountsText(1204311, 98000, kEnglish), QStringLiteral("List 1: 1,204,311 items \u00B7 List 2: 98,000 items"));
    EXPECT_EQ(listCountsText(1, 0, kEnglish), QStringLiteral("List 1: 1 item \u00B7 List 2: 0 items"));
    EXPECT_EQ(listCountsText(1234567, 0, QLocale(QLocale::German, QLocale::Germany)),
              QStringLiteral("List 1: 1.234.567 items \u00B7 List 2: 0 items"));
}

TEST(StatusText, EachCommandSaysWhatItDid)
{
    struct Case
    {
        CommandReport report;
        const char *sentence;
    };
    const Case cases[] = {
        {{Operation::DedupeFirst, ListId::List1, {3456, 0}, {}}, "Removed 3,456 repeats from List 1, first copies kept"},
        {{Operation::DedupeLast, ListId::List2, {1, 0}, {}}, "Removed 1 repeat from List 2, last copies kept"},
        {{Operation::RemoveBlanks, ListId::List1, {0, 0}, {}}, "Removed 0 blank items from List 1"},
        {{Operation::RemoveWith, ListId::List2, {12, 0}, QStringLiteral("@spam")},
         "Removed 12 items containing \u201C@spam\u201D from List 2"},
        {{Operation::RemoveWithout, ListId::List1, {2, 0}, QStringLiteral(".org")},
         "Removed 2 items not containing \u201C.org\u201D from List 1"},
        {{Operation::Subtract, ListId::List1, {5, 0}, {}}, "Removed 5 items of List 1 that are also in List 2"},
        {{Operation::KeepMatches, ListId::List2, {1, 0}, {}}, "Removed 1 item of List 2 that is not in List 1"},
        {{ListCommand::Load, ListId::List2, {0, 98000}, {}}, "Loaded 98,000 items into List 2"},
        {{ListCommand::Save, ListId::List1, {0, 3}, {}}, "Saved 3 items of List 1"},
        {{ListCommand::Clear, ListId::List1, {1000, 0}, {}}, "Cleared List 1: 1,000 items removed"},
        {{ListCommand::Sample, ListId::List2, {0, 3}, {}}, "Added 3 items of the sample to List 2"},
        {{ListCommand::RemoveSelected, ListId::List1, {2, 0}, {}}, "Removed 2 items from List 1"},
        {{ListCommand::Cut, ListId::List2, {1, 0}, {}}, "Cut 1 item from List 2"},
        {{ListCommand::Copy, ListId::List1, {0, 7}, {}}, "Copied 7 items of List 1"},
        {{ListCommand::Paste, ListId::List2, {0, 100000}, {}}, "Pasted 100,000 items into List 2"},
        // The user's text is shown as typed, even where it looks like part of the sentence's pattern.
        {{Operation::RemoveWith, ListId::List1, {1, 0}, QStringLiteral("{list} {is")},
         "Removed 1 item containing \u201C{list} {is\u201D from List 1"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(commandSentence(c.report, kEnglish), QString::fromUtf8(c.sentence));
}

TEST(StatusText, UndoAndRedoNameTheStepAndWhatCameBack)
{
    StepCounts counts;
    counts[0] = {3456, 0};
    EXPECT_EQ(undoSentence("Remove List 1 Dupes Except First", counts, kEnglish),
              QStringLiteral("Undid Remove List 1 Dupes Except First: 3,456 items back in List 1"));
    EXPECT_EQ(redoSentence("Remove List 1 Dupes Except First", counts, kEnglish),
              QStringLiteral("Redid Remove List 1 Dupes Except First: 3,456 items taken out of List 1"));
    StepCounts load;
    load[1] = {0, 2};
    EXPECT_EQ(undoSentence("Paste", load, kEnglish), QStringLiteral("Undid Paste: 2 items taken out of List 2"));
}
