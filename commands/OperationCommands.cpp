#include "OperationCommands.h"

#include "commands/KeyIndexes.h"
#include "engine/AddressVerdict.h"

#include <string>
#include <string_view>

namespace Quorvane {

namespace {

constexpr std::string_view kPrompt = "Enter string: ";

// The error report's line labels of an operation command's steps; 0 for a step the command has not.
struct OperationLabels
{
    int ownListTest;
    int ownListGuard;
    int otherListTest;
    int otherListGuard;
    int askText;
    int emptyAnswerTest;
    int hourglass;
    int operation;
    int defaultPointer;
};

constexpr OperationLabels kOneListLabels = {
    .ownListTest = 100, .ownListGuard = 102, .otherListTest = 0, .otherListGuard = 0, .askText = 0,
    .emptyAnswerTest = 0, .hourglass = 104, .operation = 106, .defaultPointer = 108};
constexpr OperationLabels kTextLabels = {
    .ownListTest = 100, .ownListGuard = 102, .otherListTest = 0, .otherListGuard = 0, .askText = 104,
    .emptyAnswerTest = 106, .hourglass = 108, .operation = 110, .defaultPointer = 112};
constexpr OperationLabels kTwoListLabels = {
    .ownListTest = 100, .ownListGuard = 102, .otherListTest = 104, .otherListGuard = 106, .askText = 0,
    .emptyAnswerTest = 0, .hourglass = 108, .operation = 110, .defaultPointer = 112};

enum class Needs { OwnList, OwnListAndText, BothLists };

Needs needsOf(const OperationRow &row)
{
    return row.needsOther ? Needs::BothLists : row.needsText ? Needs::OwnListAndText : Needs::OwnList;
}

const OperationLabels &labelsFor(Needs needs)
{
    switch (needs) {
    case Needs::OwnListAndText:
        return kTextLabels;
    case Needs::BothLists:
        return kTwoListLabels;
    case Needs::OwnList:
        break;
    }
    return kOneListLabels;
}

std::string guardMessage(ListId list, GuardWording wording)
{
    const std::string verb = wording == GuardWording::LoadIn ? "load in" : "load";
    return "You forgot to " + verb + " " + listName(list) + ".";
}

// Each step of one command run, under its label: an empty list is answered with its guard message
// (a test that fails counts as an empty list), the text is asked before the hourglass shows.
class CommandRun
{
public:
    CommandRun(GuardWording wording, const OperationLabels &labels, const std::string &procedure,
               const CommandHost &host)
        : m_wording(wording)
        , m_labels(labels)
        , m_host(host)
        , m_trap(host.reporter, "Form1", procedure)
    {}

    bool holdsItems(const ItemList &list, ListId which, int testLabel, int guardLabel)
    {
        if (!m_trap.test(testLabel, [&] { return list.isEmpty(); }, true))
            return true;
        m_trap.step(guardLabel, [&] { m_host.dialogs.warn(guardMessage(which, m_wording)); });
        return false;
    }

    std::string askForText()
    {
        std::string text;
        m_trap.step(m_labels.askText, [&] { text = m_host.dialogs.askText(std::string(kPrompt)); });
        return text;
    }

    bool isEmptyAnswer(const std::string &text)
    {
        return m_trap.test(m_labels.emptyAnswerTest, [&] { return text.empty(); }, false);
    }

    void runOperation(const OperationRow &operation, const OperationCall &call)
    {
        m_trap.step(m_labels.hourglass, [&] { m_host.pointer.setPointer(Pointer::Hourglass); });
        m_trap.step(m_labels.operation, [&] { operation.change(call); });
        m_trap.step(m_labels.defaultPointer, [&] { m_host.pointer.setPointer(Pointer::Default); });
    }

private:
    GuardWording m_wording;
    const OperationLabels &m_labels;
    const CommandHost &m_host;
    TrappedProcedure m_trap;
};

} // namespace

void runOperationCommand(const OperationCommand &command, ItemList &list1, ItemList &list2,
                         const std::string &procedure, const CommandHost &host)
{
    const OperationRow &operation = operationRow(command.operation);
    const Needs needs = needsOf(operation);
    const OperationLabels &labels = labelsFor(needs);
    const bool ownIsFirst = command.ownList == ListId::List1;
    ItemList &own = ownIsFirst ? list1 : list2;
    const ItemList &other = ownIsFirst ? list2 : list1;

    CommandRun run(command.wording, labels, procedure, host);
    if (!run.holdsItems(own, command.ownList, labels.ownListTest, labels.ownListGuard))
        return;
    if (needs == Needs::BothLists
        && !run.holdsItems(other, otherList(command.ownList), labels.otherListTest, labels.otherListGuard))
        return;
    std::string text;
    if (needs == Needs::OwnListAndText) {
        text = run.askForText();
        if (run.isEmptyAnswer(text))
            return;
    }
    RefusalCounts refusals;
    OperationHost operationHost{host.progress, host.reporter, nullptr, &refusals};
    if (host.keyIndexes) {
        // Those of the list that changes are let go here, by an operation that does not compare.
        std::shared_ptr<const TextPartitions> ownKeys = host.keyIndexes->take(command.ownList, own);
        if (operation.comparison != Comparison::None) {
            operationHost.ownKeys = std::move(ownKeys);
            operationHost.otherKeys = host.keyIndexes->of(otherList(command.ownList), other);
            operationHost.ownShared = host.keyIndexes->sharedOf(command.ownList, own, other,
                                                                host.matchingFor(command.ownList));
        }
    }
    run.runOperation(operation, {own, other, text, operationHost, host.matchingFor(command.ownList)});
    if (host.outcome) {
        host.outcome->ran = true;
        host.outcome->text = text;
        if (refusals.total() > 0)
            host.outcome->notes.push_back(refusals.described());
    }
}

} // namespace Quorvane
