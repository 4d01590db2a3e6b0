#include "StatusText.h"

#include <QStringList>

namespace Quorvane {

namespace {

QString number(std::size_t value, const QLocale &locale)
{
    return locale.toString(static_cast<qulonglong>(value));
}

// "1 item", "3,456 items"; the noun is given in both forms.
QString counted(std::size_t value, const char *one, const char *many, const QLocale &locale)
{
    return number(value, locale) + QLatin1Char(' ') + QLatin1String(value == 1 ? one : many);
}

QString items(std::size_t value, const QLocale &locale)
{
    return counted(value, "item", "items", locale);
}

QString listName(int list)
{
    return QStringLiteral("List %1").arg(list);
}

QString quoted(const QString &text)
{
    return QChar(0x201C) + text + QChar(0x201D);
}

// What undoing or redoing a step did to each list, in list order.
QString stepEffects(const StepCounts &counts, bool undoing, const QLocale &locale)
{
    QStringList effects;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const QString list = listName(static_cast<int>(i) + 1);
        const std::size_t back = undoing ? counts[i].removed : counts[i].added;
        const std::size_t out = undoing ? counts[i].added : counts[i].removed;
        if (back > 0)
            effects << items(back, locale) + QStringLiteral(" back in ") + list;
        if (out > 0)
            effects << items(out, locale) + QStringLiteral(" taken out of ") + list;
    }
    return effects.join(QStringLiteral(", "));
}

} // namespace

std::span<const MatchingChoice> matchingChoices()
{
    static const MatchingChoice choices[] = {
        {QStringLiteral("Exact"), {}},
        {QStringLiteral("Ignore case"), {.ignoreCase = true}},
        {QStringLiteral("Ignore surrounding spaces"), {.trim = true}},
        {QStringLiteral("E-mail addresses"), {.email = true}},
    };
    return choices;
}

QString matchingText(const QString &choiceCaption)
{
    return QStringLiteral("Matching: ") + choiceCaption;
}

QString listCountsText(std::size_t list1Count, std::size_t list2Count, const QLocale &locale)
{
    return listName(1) + QStringLiteral(": ") + items(list1Count, locale) + QStringLiteral(" \u00B7 ") + listName(2)
        + QStringLiteral(": ") + items(list2Count, locale);
}

QString commandSentence(const CommandReport &report, const QLocale &locale)
{
    const QString own = listName(report.list);
    const QString other = listName(report.list == 1 ? 2 : 1);
    const std::size_t removed = report.counts.removed;
    const std::size_t added = report.counts.added;
    switch (report.kind) {
    case CommandKind::Load:
        return QStringLiteral("Loaded %1 into %2").arg(items(added, locale), own);
    case CommandKind::Save:
        return QStringLiteral("Saved %1 of %2").arg(items(added, locale), own);
    case CommandKind::Clear:
        return QStringLiteral("Cleared %1: %2 removed").arg(own, items(removed, locale));
    case CommandKind::Sample:
        return QStringLiteral("Added %1 of the sample to %2").arg(items(added, locale), own);
    case CommandKind::RemoveDupesExceptFirst:
        return QStringLiteral("Removed %1 from %2, first copies kept")
            .arg(counted(removed, "repeat", "repeats", locale), own);
    case CommandKind::RemoveDupesAll:
        return QStringLiteral("Removed %1 from %2, last copies kept")
            .arg(counted(removed, "repeat", "repeats", locale), own);
    case CommandKind::RemoveBlanks:
        return QStringLiteral("Removed %1 from %2").arg(counted(removed, "blank item", "blank items", locale), own);
    case CommandKind::RemoveItemsWith:
        return QStringLiteral("Removed %1 containing %2 from %3").arg(items(removed, locale), quoted(report.text), own);
    case CommandKind::RemoveItemsWithout:
        return QStringLiteral("Removed %1 not containing %2 from %3")
            .arg(items(removed, locale), quoted(report.text), own);
    case CommandKind::RemoveMatches:
        return QStringLiteral("Removed %1 of %2 that %3 also in %4")
            .arg(items(removed, locale), own, QLatin1String(removed == 1 ? "is" : "are"), other);
    case CommandKind::KeepOnlyMatches:
        return QStringLiteral("Removed %1 of %2 that %3 not in %4")
            .arg(items(removed, locale), own, QLatin1String(removed == 1 ? "is" : "are"), other);
    case CommandKind::RemoveSelected:
        return QStringLiteral("Removed %1 from %2").arg(items(removed, locale), own);
    case CommandKind::Cut:
        return QStringLiteral("Cut %1 from %2").arg(items(removed, locale), own);
    case CommandKind::Copy:
        return QStringLiteral("Copied %1 of %2").arg(items(added, locale), own);
    case CommandKind::Paste:
        return QStringLiteral("Pasted %1 into %2").arg(items(added, locale), own);
    }
    return {};
}

QString undoSentence(const std::string &stepName, const StepCounts &counts, const QLocale &locale)
{
    return QStringLiteral("Undid %1: %2").arg(QString::fromStdString(stepName), stepEffects(counts, true, locale));
}

QString redoSentence(const std::string &stepName, const StepCounts &counts, const QLocale &locale)
{
    return QStringLiteral("Redid %1: %2").arg(QString::fromStdString(stepName), stepEffects(counts, false, locale));
}

} // namespace Quorvane
