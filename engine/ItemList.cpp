#include "ItemList.h"

#include "WorkMemory.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace Quorvane {

namespace {

constexpr std::size_t kArenaBlock = std::size_t(64) << 10;
// Removed items' texts are let go once they take more than three quarters of a list's storage.
constexpr std::size_t kWastedShare = 4;
constexpr std::size_t kStorageWorthCompacting = std::size_t(1) << 20;

// Makes room for one more element before anything changes, so a failed allocation leaves the
// list as it was. Grows geometrically: reserving exactly one more each time would copy the
// whole vector on every append.
template<typename Vector>
void reserveOneMore(Vector &vector)
{
    if (vector.size() == vector.capacity())
        vector.reserve(std::max<std::size_t>(16, vector.capacity() * 2));
}

} // namespace

ByteBlock::ByteBlock(std::size_t size)
    : m_data(static_cast<char *>(allocateWorkMemory(size)))
    , m_size(size)
{}

ByteBlock::~ByteBlock()
{
    releaseWorkMemory(m_data, m_size);
}

class ItemList::ChangeNotice
{
public:
    explicit ChangeNotice(ListObserver *observer)
        : m_observer(observer)
    {
        if (m_observer)
            m_observer->listAboutToChange();
    }
    ~ChangeNotice()
    {
        if (m_observer)
            m_observer->listChanged();
    }
    ChangeNotice(const ChangeNotice &) = delete;
    ChangeNotice &operator=(const ChangeNotice &) = delete;

private:
    ListObserver *m_observer;
};

ItemList::ItemList(ItemList &&other) noexcept
    : m_items(std::move(other.m_items))
    , m_blocks(std::move(other.m_blocks))
    , m_tailUsed(other.m_tailUsed)
    , m_tailIsArena(other.m_tailIsArena)
{
    other.forgetStorage();
}

void ItemList::forgetStorage()
{
    m_items.clear();
    m_blocks.clear();
    m_tailUsed = 0;
    m_tailIsArena = false;
}

char *ItemList::reserveBytes(std::size_t size)
{
    if (!m_tailIsArena || m_blocks.back()->size() - m_tailUsed < size) {
        m_blocks.push_back(std::make_unique<ByteBlock>(std::max(size, kArenaBlock)));
        m_tailIsArena = true;
        m_tailUsed = 0;
    }
    char *bytes = m_blocks.back()->data() + m_tailUsed;
    m_tailUsed += size;
    return bytes;
}

void ItemList::append(std::string_view text)
{
    reserveOneMore(m_items);
    char *bytes = reserveBytes(text.size());
    if (!text.empty())
        std::memcpy(bytes, text.data(), text.size());
    ChangeNotice notice(m_observer);
    m_items.emplace_back(bytes, text.size());
}

void ItemList::adopt(std::unique_ptr<ByteBlock> block, std::vector<std::string_view> items)
{
    reserveOneMore(m_blocks);
    ChangeNotice notice(m_observer);
    if (m_items.empty()) {
        m_items = std::move(items);
    } else {
        m_items.insert(m_items.end(), items.begin(), items.end());
    }
    if (block) {
        m_blocks.push_back(std::move(block));
        m_tailIsArena = false;
    }
}

void ItemList::appendList(ItemList &&other)
{
    m_blocks.reserve(m_blocks.size() + other.m_blocks.size());
    ChangeNotice notice(m_observer);
    if (m_items.empty()) {
        m_items.swap(other.m_items);
    } else {
        m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
    }
    for (auto &block : other.m_blocks)
        m_blocks.push_back(std::move(block));
    m_tailIsArena = false;
    other.forgetStorage();
}

void ItemList::removeAt(std::size_t index)
{
    ChangeNotice notice(m_observer);
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index));
}

void ItemList::removeFlagged(std::span<const bool> flags)
{
    ChangeNotice notice(m_observer);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (!flags[i])
            m_items[kept++] = m_items[i];
    }
    m_items.resize(kept);
    releaseRemovedTexts();
}

void ItemList::keepOnly(std::span<const std::size_t> risingIndexes)
{
    ChangeNotice notice(m_observer);
    std::size_t kept = 0;
    for (const std::size_t index : risingIndexes)
        m_items[kept++] = m_items[index];
    m_items.resize(kept);
    releaseRemovedTexts();
}

std::size_t ItemList::storedBytes() const
{
    std::size_t bytes = 0;
    for (const auto &block : m_blocks)
        bytes += block->size();
    return bytes;
}

// Loading a list, cleaning most of it away and loading again would otherwise keep every file
// ever loaded in memory. The survivors move into one block of their own size; without memory
// for it, the list simply keeps its old blocks.
void ItemList::releaseRemovedTexts()
{
    const std::size_t stored = storedBytes();
    if (stored < kStorageWorthCompacting)
        return;
    std::size_t live = 0;
    for (const std::string_view text : m_items)
        live += text.size();
    if (live * kWastedShare > stored)
        return;
    try {
        std::vector<std::unique_ptr<ByteBlock>> blocks;
        blocks.reserve(1);
        blocks.push_back(std::make_unique<ByteBlock>(live));
        std::vector<std::string_view> items;
        items.reserve(m_items.size());
        char *next = blocks.front()->data();
        for (const std::string_view text : m_items) {
            if (!text.empty())
                std::memcpy(next, text.data(), text.size());
            items.emplace_back(next, text.size());
            next += text.size();
        }
        m_items.swap(items);
        m_blocks.swap(blocks);
        m_tailIsArena = false;
        m_tailUsed = 0;
    } catch (const std::bad_alloc &) {
        // Nothing changed yet: the items stay valid in their old blocks.
    }
}

void ItemList::clear()
{
    ChangeNotice notice(m_observer);
    forgetStorage();
    m_items.shrink_to_fit();
}

} // namespace Quorvane
