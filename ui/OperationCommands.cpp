#include "OperationCommands.h"

#include "engine/OperationCatalogue.h"

#include <span>
#include <stdexcept>
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

Operation operationOf(Command command)
{
    switch (command) {
    case Command::RemoveItemsWith:
        return Operation::RemoveWith;
    case Command::RemoveItemsWithout:
        return Operation::RemoveWithout;
    case Command::RemoveBlanks:
        return Operation::RemoveBlanks;
    case Command::RemoveMatches:
        return Operation::Subtract;
    case Command::KeepOnlyMatches:
        return Operation::KeepMatches;
    case Command::RemoveDupesExceptFirst:
        return Operation::DedupeFirst;
    case Command::RemoveDupesAll:
        return Operation::DedupeLast;
    case Command::LoadFiles:
    case Command::SaveList:
    case Command::ClearList:
    case Command::LoadSample:
        break;
    }
    throw std::invalid_argument("not an operation command");
}

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

std::string guardMessage(OwnList list, GuardWording wording)
{
    const std::string verb = wording == GuardWording::LoadIn ? "load in" : "load";
    return "You forgot to " + verb + " List " + std::to_string(static_cast<int>(list)) + ".";
}

OwnList otherOf(OwnList list)
{
    return list == OwnList::List1 ? OwnList::List2 : OwnList::List1;
}

// Each step of one command run, under its label: an empty list is answered with its guard message
// (a test that fails counts as an empty list), the text is asked before the hourglass shows.
class CommandRun
{
public:
    CommandRun(const ButtonDesign &button, const OperationLabels &labels, const CommandHost &host)
        : m_button(button)
        , m_labels(labels)
        , m_host(host)
        , m_trap(host.reporter, "Form1", clickProcedureOf(button.button))
    {}

    bool holdsItems(const ItemList &list, OwnList which, int testLabel, int guardLabel)
    {
        if (!m_trap.test(testLabel, [&] { return list.isEmpty(); }, true))
            return true;
        m_trap.step(guardLabel, [&] { m_host.dialogs.warn(guardMessage(which, m_button.wording)); });
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
    const ButtonDesign &m_button;
    const OperationLabels &m_labels;
    const CommandHost &m_host;
    TrappedProcedure m_trap;
};

} // namespace

void runOperationCommand(const ButtonDesign &button, ItemList &list1, ItemList &list2, const CommandHost &host)
{
    const OperationRow &operation = operationRow(operationOf(button.command));
    const Needs needs = needsOf(operation);
    const OperationLabels &labels = labelsFor(needs);
    const bool ownIsFirst = button.ownList == OwnList::List1;
    ItemList &own = ownIsFirst ? list1 : list2;
    const ItemList &other = ownIsFirst ? list2 : list1;

    CommandRun run(button, labels, host);
    if (!run.holdsItems(own, button.ownList, labels.ownListTest, labels.ownListGuard))
        return;
    if (needs == Needs::BothLists
        && !run.holdsItems(other, otherOf(button.ownList), labels.otherListTest, labels.otherListGuard))
        return;
    std::string text;
    if (needs == Needs::OwnListAndText) {
        text = run.askForText();
        if (run.isEmptyAnswer(text))
            return;
    }
    const OperationHost operationHost{host.progress, host.reporter};
    run.runOperation(operation, {own, other, text, operationHost, host.matching});
    if (host.outcome) {
        host.outcome->ran = true;
        host.outcome->text = text;
    }
}

} // namespace Quorvane
