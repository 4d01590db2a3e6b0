#pragma once

#include "engine/ItemList.h"
#include "engine/ListChange.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>

namespace Quorvane {

// How many items one step took from and gave to each of the two lists.
struct ListStepCounts
{
    std::size_t removed = 0;
    std::size_t added = 0;
};
using StepCounts = std::array<ListStepCounts, 2>;

// A quarter of the machine's memory, so the history never crowds out the lists it serves.
std::size_t defaultHistoryBytes();

struct HistoryLimits
{
    std::size_t steps = 100;
    // Memory the history may hold beyond what the lists hold themselves.
    std::size_t bytes = defaultHistoryBytes();
};

// The window's undo history over its two lists. A command runs between begin() and record();
// the step keeps what the command changed (see ListChange), never a copy of a text. Steps are
// undone and redone strictly in order, and any new change drops the steps that were undone.
// When a command's first change to a list is a removal, the history takes the change from the
// removal itself and lets go of its snapshot, so the list removes in place (see RemovalRecorder).
class UndoHistory final : public RemovalRecorder
{
public:
    UndoHistory(ItemList &list1, ItemList &list2, HistoryLimits limits = {});
    ~UndoHistory() override;
    UndoHistory(const UndoHistory &) = delete;
    UndoHistory &operator=(const UndoHistory &) = delete;

    void removing(const ItemList &list, std::span<const bool> flags) override;

    // Remembers both lists as they are before a command.
    void begin();
    // Makes what changed since begin() one step called name. When memory ran out for it, the
    // whole history is dropped (older steps would no longer fit the lists): forgotten says so.
    struct Recorded
    {
        StepCounts counts;
        bool changed = false;
        bool forgotten = false;
    };
    Recorded record(const std::string &name);

    bool canUndo() const { return !m_done.empty(); }
    bool canRedo() const { return !m_undone.empty(); }
    // The name of the step undo() or redo() would take back or bring back.
    const std::string &undoName() const;
    const std::string &redoName() const;
    // Take back or bring back one step and return what it changed, as it was done: nothing
    // when there is no such step or memory ran out (the lists then stay as they were).
    std::optional<StepCounts> undo();
    std::optional<StepCounts> redo();

    void clear();
    std::size_t stepCount() const { return m_done.size() + m_undone.size(); }
    // Memory held by the history beyond what the lists hold themselves.
    std::size_t heldBytes() const;

private:
    struct Step
    {
        std::string name;
        std::array<std::optional<ListChange>, 2> changes;
        StepCounts counts() const;
    };

    // A change taken from a removal as it began; it stands for the command's whole change to
    // the list only when the list changed exactly once more since (the removal itself).
    struct TakenChange
    {
        std::optional<ListChange> change;
        std::uint64_t changeCountAfter;
    };
    // A removal of most of a list, or of about half, as it began: the snapshot stays, so the list
    // puts what it keeps in a new array and the step can hold the old one whole
    // (ListChange::exchange).
    struct LargeRemoval
    {
        std::size_t removedCount;
        std::uint64_t changeCountAfter;
    };
    std::optional<ListChange> changeOf(std::size_t list);

    std::optional<StepCounts> moveStep(std::deque<Step> &from, std::deque<Step> &to,
                                       void (ListChange::*apply)(ItemList &));
    void keepWithinLimits();

    std::array<ItemList *, 2> m_lists;
    HistoryLimits m_limits;
    std::array<std::optional<ItemList::Snapshot>, 2> m_before;
    std::array<std::optional<TakenChange>, 2> m_taken;
    std::array<std::optional<LargeRemoval>, 2> m_largeRemovals;
    std::deque<Step> m_done;
    std::deque<Step> m_undone;
};

} // namespace Quorvane
