#pragma once

#include "commands/ListId.h"
#include "engine/ErrorTrap.h"
#include "engine/Matching.h"
#include "engine/Progress.h"

#include <array>
#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace Quorvane {

class KeyIndexes;

// The window's pointer setting; the numbers are the values the commands set.
enum class Pointer { Default = 0, Hourglass = 11, Custom = 99 };

class PointerControl
{
public:
    virtual ~PointerControl() = default;
    virtual void setPointer(Pointer pointer) = 0;
    virtual Pointer pointer() const = 0;
};

// What a file dialog is asked to show. The filter uses Qt's syntax ("Name (*.ext);;...").
struct FileDialogRequest
{
    std::string title;
    std::string filter;
};

// The modal boxes and questions of the commands, answered by the window (or by a test).
class CommandDialogs
{
public:
    virtual ~CommandDialogs() = default;
    // The chosen files' whole paths in the dialog's order; empty when the user cancels.
    virtual std::vector<std::string> askOpenFiles(const FileDialogRequest &request) = 0;
    // The chosen path; empty when the user cancels.
    virtual std::string askSaveFile(const FileDialogRequest &request) = 0;
    // A box with OK only, no icon, the application title.
    virtual void inform(const std::string &text) = 0;
    // A box with Yes (the default) and No, no icon, the application title; true for Yes.
    virtual bool confirm(const std::string &text) = 0;
    // A box with the warning icon and OK only, the application title.
    virtual void warn(const std::string &text) = 0;
    // An input box with the application title; the confirmed text in UTF-8, empty when cancelled.
    virtual std::string askText(const std::string &prompt) = 0;
};

// Pops the next answer queued in advance, or returns fallback when none is queued: how the
// window's scripted answers and a test's stand-in answer the commands' questions.
template<typename Answer>
Answer takeAnswer(std::deque<Answer> &queue, Answer fallback)
{
    if (queue.empty())
        return fallback;
    Answer answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

// What a command tells besides the change of its list, for the window's status bar.
struct CommandOutcome
{
    bool ran = false;  // an operation passed its guards and ran; a save wrote its file
    std::string text;  // the text an operation searched for
    std::vector<std::string> notes; // worth knowing about a file that was read or written
};

// Everything a command reaches outside its lists: the window, or a test's stand-in.
struct CommandHost
{
    CommandDialogs &dialogs;
    PointerControl &pointer;
    ErrorReporter &reporter;
    ProgressSink &progress;
    CommandOutcome *outcome = nullptr; // filled in when given
    MatchMode matching = {}; // how the operations compare items
    // The key field of each list's items (by listIndex): a column of a list of table rows.
    std::array<KeyField, 2> keyFields = {};
    // Each list's keys made earlier, while it is unchanged; none when null.
    KeyIndexes *keyIndexes = nullptr;

    // How an operation on list own compares: its own key field, and the other list's.
    MatchMode matchingFor(ListId own) const
    {
        MatchMode mode = matching;
        mode.field = keyFields[listIndex(own)];
        mode.otherField = keyFields[listIndex(otherList(own))];
        return mode;
    }
};

} // namespace Quorvane
