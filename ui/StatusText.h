#pragma once

#include "commands/ListId.h"
#include "commands/WindowCommand.h"
#include "engine/Matching.h"
#include "ui/UndoHistory.h"

#include <QLocale>
#include <QString>

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace Quorvane {

// "List 1: 1,204,311 items · List 2: 98,000 items", grouped as the locale groups digits.
QString listCountsText(std::size_t list1Count, std::size_t list2Count, const QLocale &locale);

// The Matching menu's exclusive choices, Exact first.
struct MatchingChoice
{
    QString caption;
    MatchMode mode;
};
std::span<const MatchingChoice> matchingChoices();

// The Matching menu's switch that reads the other list as patterns.
QString otherListAsPatternsCaption();

// "Matching: Ignore case", and ", other list as patterns" when it is read so.
QString matchingText(const QString &choiceCaption, bool otherIsPatterns = false);

// What a command did, as the status bar tells it.
struct CommandReport
{
    WindowCommand command;
    ListId list = ListId::List1; // the list the command worked on
    ListStepCounts counts; // what it took from and gave to that list; Copy and Save count in added
    QString text; // the text an Items With/Without command searched for
};

// One sentence: "Removed 3,456 repeats from List 1, first copies kept".
QString commandSentence(const CommandReport &report, const QLocale &locale);

// The sentence with the notes a command left, if any: "Loaded 2 items into List 2 (missing.txt: not
// found)".
QString withNotes(const QString &sentence, const std::vector<std::string> &notes);

// "Undid Clear List (List 1): 1,000 items back in List 1", and the same for redo.
QString undoSentence(const std::string &stepName, const StepCounts &counts, const QLocale &locale);
QString redoSentence(const std::string &stepName, const StepCounts &counts, const QLocale &locale);

} // namespace Quorvane
