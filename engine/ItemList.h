#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace Quorvane {

// Told before and after every change of a list, so a view can refresh once per change.
class ListObserver
{
public:
    virtual ~ListObserver() = default;
    virtual void listAboutToChange() = 0;
    virtual void listChanged() = 0;
};

class ItemList;

// Told what a list is about to remove, before it removes it: a history that keeps the removed
// items itself can let go of its snapshot of the list, which spares the list a copy of its
// whole item array (on a long list, fresh memory costs more than the removal).
class RemovalRecorder
{
public:
    virtual ~RemovalRecorder() = default;
    virtual void removing(const ItemList &list, std::span<const bool> flags) = 0;
};

// A block of bytes that item texts point into. Reading a file fills one block and the
// items become views into it, so a million lines cost one allocation, not a million.
class ByteBlock
{
public:
    explicit ByteBlock(std::size_t size);
    virtual ~ByteBlock();
    ByteBlock(const ByteBlock &) = delete;
    ByteBlock &operator=(const ByteBlock &) = delete;

    char *data() { return m_data; }
    const char *data() const { return m_data; }
    std::size_t size() const { return m_size; }

protected:
    // Bytes held by someone else (a mapped file, say), whose subclass lets go of them.
    ByteBlock(char *heldElsewhere, std::size_t size)
        : m_data(heldElsewhere)
        , m_size(size)
        , m_ownsData(false)
    {}

private:
    char *m_data = nullptr;
    std::size_t m_size = 0;
    bool m_ownsData = true;
};

// An ordered sequence of item texts (byte strings), addressed by 0-based index.
// The texts live in blocks shared by reference count, and the array of items is shared until
// the list next changes, so a snapshot costs neither a copy of the texts nor of the array.
class ItemList
{
public:
    using Items = std::vector<std::string_view>;
    using Blocks = std::vector<std::shared_ptr<const ByteBlock>>;

    // The list as it was at one moment. It keeps the blocks its items point into alive.
    class Snapshot
    {
    public:
        std::span<const std::string_view> texts() const { return viewOf(m_items.get()); }
        const Blocks &blocks() const { return m_blocks; }

    private:
        friend class ItemList;
        std::shared_ptr<const Items> m_items;
        Blocks m_blocks;
    };

    ItemList() = default;
    ItemList(const ItemList &) = delete;
    ItemList &operator=(const ItemList &) = delete;
    // Takes the items of an unobserved list, such as one just read from a file.
    ItemList(ItemList &&other) noexcept;
    ItemList &operator=(ItemList &&) = delete;

    std::size_t count() const { return m_items ? m_items->size() : 0; }
    bool isEmpty() const { return count() == 0; }
    std::string_view text(std::size_t index) const { return (*m_items)[index]; }
    std::span<const std::string_view> texts() const { return viewOf(m_items.get()); }

    // Copies the text into the list's own storage.
    void append(std::string_view text);
    // Takes over a block and the items that point into it, appended in their order.
    void adopt(std::unique_ptr<ByteBlock> block, std::vector<std::string_view> items);
    // Moves every item of other to the end of this list; other is left empty.
    void appendList(ItemList &&other);

    void removeAt(std::size_t index);
    // Removes every item whose flag is set, in one pass; flags holds one entry per item. With no
    // flag set, the list does not change at all.
    void removeFlagged(std::span<const bool> flags);
    // Keeps the items at the given rising indexes, in one pass.
    void keepOnly(std::span<const std::size_t> risingIndexes);
    void clear();

    Snapshot snapshot() const;
    const Blocks &blocks() const { return m_blocks; }
    // Makes items the list's content, as one change. Every item must point into one of blocks,
    // which the list keeps from then on: this is how an undo puts a list back as it was.
    void restore(Items items, Blocks blocks);
    // Makes the list count items long, as one change, with fill(items) writing them in place:
    // items holds the list's items, then room, count long (or as long as the list, if longer, and
    // cut to count afterwards). The list's own array is reused when no snapshot shares it and
    // its capacity suffices, so a list put back after a removal in place takes no fresh memory.
    // The list keeps blocks from then on, as restore() does.
    void refill(std::size_t count, Blocks blocks, const std::function<void(std::span<std::string_view>)> &fill);
    // Makes a snapshot's items the list's content again, as one change, sharing its array rather
    // than copying it (the list copies it only to change it while another snapshot holds it).
    void restore(Snapshot snapshot);

    // Bytes held for the item texts, removed items' included until they are let go.
    std::size_t storedBytes() const;

    void setObserver(ListObserver *observer) { m_observer = observer; }
    void setRemovalRecorder(RemovalRecorder *recorder) { m_removalRecorder = recorder; }
    // How many changes the list has gone through: it grows by one with every change.
    std::uint64_t changeCount() const { return m_changeCount; }

private:
    class ChangeNotice;
    static std::span<const std::string_view> viewOf(const Items *items)
    {
        return items ? std::span<const std::string_view>(*items) : std::span<const std::string_view>();
    }
    char *reserveBytes(std::size_t size);
    Items &writableItems();
    // Keeps the items that forEachItem(keep) passes to keep(index, true), in rising index order,
    // keptCount() of them (asked only when the kept items need an array of their own).
    template<typename KeptCount, typename ForEachItem>
    void keepItems(KeptCount &&keptCount, ForEachItem &&forEachItem);
    void forgetStorage();
    bool blocksAreOnlyOurs() const;
    void releaseRemovedTexts();

    std::shared_ptr<Items> m_items; // null while the list has never held an item
    Blocks m_blocks;
    ByteBlock *m_tail = nullptr; // the last block, while append() may still write into it
    std::size_t m_tailUsed = 0; // bytes used in m_tail by append()
    ListObserver *m_observer = nullptr;
    RemovalRecorder *m_removalRecorder = nullptr;
    std::uint64_t m_changeCount = 0;
};

} // namespace Quorvane
