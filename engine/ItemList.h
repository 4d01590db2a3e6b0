#pragma once

#include <cstddef>
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

// A block of bytes that item texts point into. Reading a file fills one block and the
// items become views into it, so a million lines cost one allocation, not a million.
class ByteBlock
{
public:
    explicit ByteBlock(std::size_t size);
    ~ByteBlock();
    ByteBlock(const ByteBlock &) = delete;
    ByteBlock &operator=(const ByteBlock &) = delete;

    char *data() { return m_data; }
    const char *data() const { return m_data; }
    std::size_t size() const { return m_size; }

private:
    char *m_data = nullptr;
    std::size_t m_size = 0;
};

// An ordered sequence of item texts (byte strings), addressed by 0-based index.
class ItemList
{
public:
    ItemList() = default;
    ItemList(const ItemList &) = delete;
    ItemList &operator=(const ItemList &) = delete;
    // Takes the items of an unobserved list, such as one just read from a file.
    ItemList(ItemList &&other) noexcept;
    ItemList &operator=(ItemList &&) = delete;

    std::size_t count() const { return m_items.size(); }
    bool isEmpty() const { return m_items.empty(); }
    std::string_view text(std::size_t index) const { return m_items[index]; }
    std::span<const std::string_view> texts() const { return m_items; }

    // Copies the text into the list's own storage.
    void append(std::string_view text);
    // Takes over a block and the items that point into it, appended in their order.
    void adopt(std::unique_ptr<ByteBlock> block, std::vector<std::string_view> items);
    // Moves every item of other to the end of this list; other is left empty.
    void appendList(ItemList &&other);

    void removeAt(std::size_t index);
    // Removes every item whose flag is set, in one pass; flags holds one entry per item.
    void removeFlagged(std::span<const bool> flags);
    // Keeps the items at the given rising indexes, in one pass.
    void keepOnly(std::span<const std::size_t> risingIndexes);
    void clear();

    // Bytes held for the item texts, removed items' included until they are let go.
    std::size_t storedBytes() const;

    void setObserver(ListObserver *observer) { m_observer = observer; }

private:
    class ChangeNotice;
    char *reserveBytes(std::size_t size);
    void forgetStorage();
    void releaseRemovedTexts();

    std::vector<std::string_view> m_items;
    std::vector<std::unique_ptr<ByteBlock>> m_blocks;
    std::size_t m_tailUsed = 0; // bytes used in the last block by append()
    bool m_tailIsArena = false; // whether the last block takes append() copies
    ListObserver *m_observer = nullptr;
};

} // namespace Quorvane
