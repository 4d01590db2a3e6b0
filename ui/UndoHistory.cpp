#include "UndoHistory.h"

#include <unistd.h>

#include <algorithm>
#include <new>
#include <unordered_set>

namespace Quorvane {

namespace {

// A command changed a list again after the removal its change was taken from: the step cannot
// say what the command did, so the history is dropped rather than keep a wrong step.
struct ChangeNotTaken
{};

// Whether a removal's step should hold the array before whole (the list puts what it keeps in a
// new one) rather than the removed items. The step then holds 16 bytes per kept item instead of
// per removed item, but the command copies nothing of the removed ones, and undo and redo only
// swap arrays: worth up to one byte per item of the list more, so near half it is the whole array.
bool keepsArrayWhole(std::size_t removedCount, std::size_t itemCount)
{
    constexpr std::size_t kItemsPerExtraView = 16;
    const std::size_t keptCount = itemCount - removedCount;
    return removedCount > keptCount || keptCount - removedCount <= itemCount / kItemsPerExtraView;
}

} // namespace

UndoHistory::UndoHistory(ItemList &list1, ItemList &list2, HistoryLimits limits)
    : m_lists{&list1, &list2}
    , m_limits(limits)
{
    for (ItemList *list : m_lists)
        list->setRemovalRecorder(this);
}

UndoHistory::~UndoHistory()
{
    for (ItemList *list : m_lists)
        list->setRemovalRecorder(nullptr);
}

void UndoHistory::removing(const ItemList &list, std::span<const bool> flags)
{
    for (std::size_t i = 0; i < m_lists.size(); ++i) {
        // Only a first change: the snapshot must still show the list as it is.
        if (m_lists[i] != &list || !m_before[i] || m_before[i]->texts().data() != list.texts().data()
            || m_before[i]->texts().size() != list.count())
            continue;
        const auto removedCount = static_cast<std::size_t>(std::count(flags.begin(), flags.end(), true));
        if (keepsArrayWhole(removedCount, flags.size())) {
            m_largeRemovals[i] = LargeRemoval{removedCount, list.changeCount() + 1};
            continue;
        }
        try {
            m_taken[i] = TakenChange{ListChange::removal(list, flags), list.changeCount() + 1};
            m_before[i].reset();
        } catch (const std::bad_alloc &) {
            // The snapshot stays: record() compares it with the list afterwards.
        }
    }
}

std::optional<ListChange> UndoHistory::changeOf(std::size_t list)
{
    if (m_taken[list]) {
        const std::uint64_t changes = m_lists[list]->changeCount();
        if (changes == m_taken[list]->changeCountAfter)
            return std::move(m_taken[list]->change);
        // The removal failed before it changed anything.
        if (changes + 1 == m_taken[list]->changeCountAfter)
            return std::nullopt;
        throw ChangeNotTaken{};
    }
    if (!m_before[list])
        return std::nullopt;
    const ItemList &now = *m_lists[list];
    const std::optional<LargeRemoval> &large = m_largeRemovals[list];
    if (large && now.changeCount() == large->changeCountAfter
        && now.count() + large->removedCount == m_before[list]->texts().size())
        return ListChange::exchange(std::move(*m_before[list]), now, large->removedCount);
    return ListChange::between(*m_before[list], now);
}

std::size_t defaultHistoryBytes()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return std::size_t(1) << 30;
    return static_cast<std::size_t>(pages) / 4 * static_cast<std::size_t>(pageSize);
}

StepCounts UndoHistory::Step::counts() const
{
    StepCounts counts;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        if (changes[i])
            counts[i] = {changes[i]->removedCount(), changes[i]->addedCount()};
    }
    return counts;
}

void UndoHistory::begin()
{
    for (std::size_t i = 0; i < m_lists.size(); ++i) {
        m_before[i] = m_lists[i]->snapshot();
        m_taken[i].reset();
        m_largeRemovals[i].reset();
    }
}

UndoHistory::Recorded UndoHistory::record(const std::string &name)
{
    Recorded recorded;
    bool lost = false;
    try {
        Step step{name, {}};
        for (std::size_t i = 0; i < m_lists.size(); ++i) {
            step.changes[i] = changeOf(i);
            recorded.changed = recorded.changed || step.changes[i].has_value();
        }
        if (recorded.changed) {
            recorded.counts = step.counts();
            m_undone.clear();
            m_done.push_back(std::move(step));
            keepWithinLimits();
        }
    } catch (const std::bad_alloc &) {
        lost = true;
    } catch (const ChangeNotTaken &) {
        lost = true;
    }
    m_before = {};
    m_taken = {};
    m_largeRemovals = {};
    if (lost) {
        clear();
        recorded.changed = true;
        recorded.forgotten = true;
    }
    return recorded;
}

const std::string &UndoHistory::undoName() const
{
    static const std::string none;
    return m_done.empty() ? none : m_done.back().name;
}

const std::string &UndoHistory::redoName() const
{
    static const std::string none;
    return m_undone.empty() ? none : m_undone.back().name;
}

std::optional<StepCounts> UndoHistory::undo()
{
    return moveStep(m_done, m_undone, &ListChange::undo);
}

std::optional<StepCounts> UndoHistory::redo()
{
    return moveStep(m_undone, m_done, &ListChange::redo);
}

// A step changes one list (no command changes both), so a failure leaves the lists as they were.
std::optional<StepCounts> UndoHistory::moveStep(std::deque<Step> &from, std::deque<Step> &to,
                                                void (ListChange::*apply)(ItemList &))
{
    if (from.empty())
        return std::nullopt;
    Step &step = from.back();
    try {
        for (std::size_t i = 0; i < m_lists.size(); ++i) {
            if (step.changes[i])
                ((*step.changes[i]).*apply)(*m_lists[i]);
        }
    } catch (const std::bad_alloc &) {
        return std::nullopt;
    }
    const StepCounts counts = step.counts();
    to.push_back(std::move(step));
    from.pop_back();
    return counts;
}

void UndoHistory::clear()
{
    m_done.clear();
    m_undone.clear();
}

std::size_t UndoHistory::heldBytes() const
{
    std::unordered_set<const ByteBlock *> counted;
    for (const ItemList *list : m_lists) {
        for (const auto &block : list->blocks())
            counted.insert(block.get());
    }
    std::size_t bytes = 0;
    const auto countBlocks = [&](const ItemList::Blocks &blocks) {
        for (const auto &block : blocks) {
            if (counted.insert(block.get()).second)
                bytes += block->size();
        }
    };
    for (const std::deque<Step> *steps : {&m_done, &m_undone}) {
        for (const Step &step : *steps) {
            for (const std::optional<ListChange> &change : step.changes) {
                if (!change)
                    continue;
                bytes += change->ownBytes();
                countBlocks(change->blocksBefore());
                countBlocks(change->blocksAfter());
            }
        }
    }
    return bytes;
}

// The oldest steps go first; the newest step stays whatever it holds, so the last change can
// always be taken back.
void UndoHistory::keepWithinLimits()
{
    while (m_done.size() > 1 && (m_done.size() > m_limits.steps || heldBytes() > m_limits.bytes))
        m_done.pop_front();
}

} // namespace Quorvane
