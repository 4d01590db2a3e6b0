#include "StatusText.h"

#include <QStringList>

#include <algorithm>
#include <string_view>

namespace Quorvane {

namespace {

QString number(std::size_t value, const QLocale &locale)
{
    return locale.toString(static_cast<qulonglong>(value));
}

QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "1 item", "3,456 items".
QString counted(std::size_t value, const StatusWording &wording, const QLocale &locale)
{
    return number(value, locale) + QLatin1Char(' ') + fromView(value == 1 ? wording.noun : wording.nouns);
}

QString items(std::size_t value, const QLocale &locale)
{
    return counted(value, StatusWording{}, locale);
}

QString nameOf(ListId list)
{
    return QString::fromStdString(listName(list));
}

QString quoted(const QString &text)
{
    return QChar(0x201C) + text + QChar(0x201D);
}

// What undoing or redoing a step did to each list, in list order.
QString stepEffects(const StepCounts &counts, bool undoing, const QLocale &locale)
{
    QStringList effects;
    for (const ListId which : kBothLists) {
        const QString list = nameOf(which);
        const ListStepCounts &count = counts[listIndex(which)];
        const std::size_t back = undoing ? count.removed : count.added;
        const std::size_t out = undoing ? count.added : count.removed;
        if (back > 0)
            effects << items(back, locale) + QStringLiteral(" back in ") + list;
        if (out > 0)
            effects << items(out, locale) + QStringLiteral(" taken out of ") + list;
    }
    return effects.join(QStringLiteral(", "));
}

StatusWording wordingOf(ListCommand command)
{
    switch (command) {
    case ListCommand::Load:
        return {"Loaded {added} into {list}"};
    case ListCommand::Save:
        return {"Saved {added} of {list}"};
    case ListCommand::Clear:
        return {"Cleared {list}: {removed} removed"};
    case ListCommand::Sample:
        return {"Added {added} of the sample to {list}"};
    case ListCommand::RemoveSelected:
        return {"Removed {removed} from {list}"};
    case ListCommand::Cut:
        return {"Cut {removed} from {list}"};
    case ListCommand::Copy:
        return {"Copied {added} of {list}"};
    case ListCommand::Paste:
        return {"Pasted {added} into {list}"};
    }
    return {};
}

StatusWording wordingOf(const WindowCommand &command)
{
    if (const Operation *operation = std::get_if<Operation>(&command))
        return operationRow(*operation).status;
    return wordingOf(std::get<ListCommand>(command));
}

struct Placeholder
{
    std::string_view name;
    QString value;
};

// The sentence with each {name} replaced by its value, in one pass: a value that happens to
// look like a placeholder (the user's text) is never replaced itself.
QString filledIn(std::string_view sentence, std::span<const Placeholder> placeholders)
{
    QString filled;
    std::size_t from = 0;
    while (from < sentence.size()) {
        const std::size_t open = sentence.find('{', from);
        const std::size_t close = open == std::string_view::npos ? open : sentence.find('}', open);
        if (close == std::string_view::npos)
            break;
        filled += fromView(sentence.substr(from, open - from));
        const std::string_view name = sentence.substr(open + 1, close - open - 1);
        const auto found = std::find_if(placeholders.begin(), placeholders.end(),
                                        [name](const Placeholder &placeholder) { return placeholder.name == name; });
        filled += found != placeholders.end() ? found->value : fromView(sentence.substr(open, close + 1 - open));
        from = close + 1;
    }
    return filled + fromView(sentence.substr(from));
}

} // namespace

std::span<const MatchingChoice> matchingChoices()
{
    static const MatchingChoice choices[] = {
        {QStringLiteral("Exact"), {}},
        {QStringLiteral("Ignore case"), {.ignoreCase = true}},
        {QStringLiteral("Ignore surrounding spaces"), {.trim = true}},
        {QStringLiteral("E-mail addresses"), {.email = true}},
        {QStringLiteral("E-mail addresses with provider aliases"), {.email = true, .providerAliases = true}},
    };
    return choices;
}

QString otherListAsPatternsCaption()
{
    return QStringLiteral("Other List as Patterns");
}

QString matchingText(const QString &choiceCaption, bool otherIsPatterns)
{
    return QStringLiteral("Matching: ") + choiceCaption
        + (otherIsPatterns ? QStringLiteral(", other list as patterns") : QString());
}

QString listCountsText(std::size_t list1Count, std::size_t list2Count, const QLocale &locale)
{
    return nameOf(ListId::List1) + QStringLiteral(": ") + items(list1Count, locale) + QStringLiteral(" \u00B7 ")
        + nameOf(ListId::List2)
        + QStringLiteral(": ") + items(list2Count, locale);
}

QString commandSentence(const CommandReport &report, const QLocale &locale)
{
    const StatusWording wording = wordingOf(report.command);
    const std::size_t removed = report.counts.removed;
    const Placeholder placeholders[] = {
        {"removed", counted(removed, wording, locale)},
        {"added", counted(report.counts.added, wording, locale)},
        {"list", nameOf(report.list)},
        {"other", nameOf(otherList(report.list))},
        {"text", quoted(report.text)},
        {"is", QLatin1String(removed == 1 ? "is" : "are")},
    };
    return filledIn(wording.sentence, placeholders);
}

QString withNotes(const QString &sentence, const std::vector<std::string> &notes)
{
    QStringList texts;
    for (const std::string &note : notes)
        texts << QString::fromStdString(note);
    return texts.isEmpty() ? sentence : sentence + QStringLiteral(" (") + texts.join(QStringLiteral("; ")) + ')';
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
