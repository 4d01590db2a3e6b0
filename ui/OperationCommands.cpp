#include "OperationCommands.h"

#include "engine/Operations.h"
#include "ui/Dialogs.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Quorvane {

namespace {

inline const QString kPrompt = QStringLiteral("Enter string: ");

// What one operation is called with: the list it changes, the list it only reads, the user's text.
struct Operands
{
    ItemList &own;
    const ItemList &other;
    std::string_view text;
    const OperationHost &host;
};

enum class Needs { OwnList, OwnListAndText, BothLists };

// "Remove Matches (List 2 From List 1)" words its guards without "in".
enum class GuardWording { LoadIn, Load };

struct OperationCommand
{
    int button;
    int ownList; // 1 or 2
    Needs needs;
    void (*operation)(const Operands &operands);
    GuardWording wording = GuardWording::LoadIn;
};

constexpr OperationCommand kCommands[] = {
    {17, 1, Needs::OwnListAndText, [](const Operands &o) { RemoveItemsWith(o.own, o.text, o.host); }},
    {16, 1, Needs::OwnListAndText, [](const Operands &o) { RemoveItemsWithout(o.own, o.text, o.host); }},
    {18, 1, Needs::OwnList, [](const Operands &o) { RemoveBlanksFromList(o.own, o.host); }},
    {19, 1, Needs::BothLists, [](const Operands &o) { SubtractSecondListFromFirstList(o.own, o.other, o.host); },
     GuardWording::Load},
    {15, 1, Needs::BothLists, [](const Operands &o) { KeepOnlyMatchesInList(o.own, o.other, o.host); }},
    {4, 1, Needs::OwnList, [](const Operands &o) { RemoveDupesExceptFirst(o.own, o.host); }},
    {7, 1, Needs::OwnList, [](const Operands &o) { RemoveDupesAll(o.own, o.host); }},
    {10, 2, Needs::OwnListAndText, [](const Operands &o) { RemoveItemsWith(o.own, o.text, o.host); }},
    {9, 2, Needs::OwnListAndText, [](const Operands &o) { RemoveItemsWithout(o.own, o.text, o.host); }},
    {11, 2, Needs::OwnList, [](const Operands &o) { RemoveBlanksFromList(o.own, o.host); }},
    {12, 2, Needs::BothLists, [](const Operands &o) { SubtractSecondListFromFirstList(o.own, o.other, o.host); }},
    {8, 2, Needs::BothLists, [](const Operands &o) { KeepOnlyMatchesInList(o.own, o.other, o.host); }},
    {5, 2, Needs::OwnList, [](const Operands &o) { RemoveDupesExceptFirst(o.own, o.host); }},
    {6, 2, Needs::OwnList, [](const Operands &o) { RemoveDupesAll(o.own, o.host); }},
};

constexpr std::array<int, std::size(kCommands)> kButtonNumbers = [] {
    std::array<int, std::size(kCommands)> numbers{};
    for (std::size_t i = 0; i < numbers.size(); ++i)
        numbers[i] = kCommands[i].button;
    return numbers;
}();

const OperationCommand &commandOf(int button)
{
    const auto *found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                     [button](const OperationCommand &command) { return command.button == button; });
    if (found == std::end(kCommands))
        throw std::invalid_argument("no operation command on button " + std::to_string(button));
    return *found;
}

QString guardMessage(int listNumber, GuardWording wording)
{
    const QString verb = wording == GuardWording::LoadIn ? QStringLiteral("load in") : QStringLiteral("load");
    return QStringLiteral("You forgot to %1 List %2.").arg(verb).arg(listNumber);
}

// One list a command needs: an empty one is answered with its guard message.
struct Guard
{
    const ItemList &list;
    int listNumber;
};

// The steps every command shares, labelled as its handler's lines: each guard takes a test and
// a message, the text takes a question and its check, then hourglass, operation and default pointer.
class CommandRun
{
public:
    CommandRun(const OperationCommand &command, const OperationCommandHost &host)
        : m_command(command)
        , m_host(host)
        , m_trap(host.reporter, "Form1", "PushButton" + std::to_string(command.button) + "_Click")
    {}

    // Shows the guard message of the first empty list; returns whether every list holds items.
    bool passGuards(std::span<const Guard> guards)
    {
        for (const Guard &guard : guards) {
            // A test that fails counts as an empty list.
            if (m_trap.test(m_label, [&] { return guard.list.isEmpty(); }, true)) {
                m_trap.step(m_label + 2, [&] {
                    Dialogs::messageBox(m_host.dialogParent, guardMessage(guard.listNumber, m_command.wording),
                                        BoxStyle::Warning);
                });
                return false;
            }
            m_label += 4;
        }
        return true;
    }

    // The text as typed, in UTF-8; empty when the user cancelled or typed nothing.
    std::string askForText()
    {
        std::string text;
        m_trap.step(m_label, [&] { text = Dialogs::inputBox(m_host.dialogParent, kPrompt).toUtf8().toStdString(); });
        m_label += 2;
        return text;
    }

    bool isEmptyAnswer(const std::string &text)
    {
        const bool empty = m_trap.test(m_label, [&] { return text.empty(); }, false);
        m_label += 2;
        return empty;
    }

    void runOperation(const Operands &operands)
    {
        m_trap.step(m_label, [&] { m_host.pointer.setPointer(Pointer::Hourglass); });
        m_trap.step(m_label + 2, [&] { m_command.operation(operands); });
        m_trap.step(m_label + 4, [&] { m_host.pointer.setPointer(Pointer::Default); });
    }

private:
    const OperationCommand &m_command;
    const OperationCommandHost &m_host;
    TrappedProcedure m_trap;
    int m_label = 100;
};

} // namespace

std::span<const int> operationButtons()
{
    return kButtonNumbers;
}

void runOperationCommand(int button, ItemList &list1, ItemList &list2, const OperationCommandHost &host)
{
    const OperationCommand &command = commandOf(button);
    const int otherList = command.ownList == 1 ? 2 : 1;
    ItemList &own = command.ownList == 1 ? list1 : list2;
    const ItemList &other = command.ownList == 1 ? list2 : list1;

    CommandRun run(command, host);
    const Guard guards[] = {{own, command.ownList}, {other, otherList}};
    const std::size_t guardCount = command.needs == Needs::BothLists ? 2 : 1;
    if (!run.passGuards(std::span(guards, guardCount)))
        return;
    std::string text;
    if (command.needs == Needs::OwnListAndText) {
        text = run.askForText();
        if (run.isEmptyAnswer(text))
            return;
    }
    const OperationHost operationHost{host.progress, host.reporter};
    run.runOperation({own, other, text, operationHost});
}

} // namespace Quorvane
