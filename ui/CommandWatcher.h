#pragma once

#include "commands/CommandHost.h"
#include "commands/ListId.h"
#include "commands/WindowCommand.h"
#include "ui/StatusText.h"

#include <string>

namespace Quorvane {

// How the window names a command that may change a list: its undo step and its status sentence.
struct CommandLabel
{
    std::string stepName; // "Remove List 1 Dupes Except First": the Edit menu shows "Undo " before it
    WindowCommand command;
    ListId list; // the list it works on

    // A command whose name does not say its list: "Paste (List 2)".
    static CommandLabel onList(const std::string &action, const WindowCommand &command, ListId list)
    {
        return {stepNameOnList(action, list), command, list};
    }
};

// Told around every command the window runs, so the history and the status bar see them all:
// a change that went unseen would leave the history out of step with the lists.
class CommandWatcher
{
public:
    virtual ~CommandWatcher() = default;
    virtual void commandStarting() = 0;
    virtual void commandFinished(const CommandLabel &label, const CommandOutcome &outcome) = 0;
};

} // namespace Quorvane
