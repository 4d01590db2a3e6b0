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
    if (m_ownsData)
        releaseWorkMemory(m_data, m_size);
}

class ItemList::ChangeNotice
{
public:
    explicit ChangeNotice(ItemList &list)
        : m_observer(list.m_observer)
    {
        ++list.m_changeCount;
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
    , m_tail(other.m_tail)
    , m_tailUsed(other.m_tailUsed)
{
    other.forgetStorage();
}

void ItemList::forgetStorage()
{
    m_items.reset();
    m_blocks.clear();
    m_tail = nullptr;
    m_tailUsed = 0;
}

// The array is copied here, before the change, only while a snapshot still shares it.
ItemList::Items &ItemList::writableItems()
{
    if (!m_items)
        m_items = std::make_shared<Items>();
    else if (m_items.use_count() > 1)
        m_items = std::make_shared<Items>(*m_items);
    return *m_items;
}

char *ItemList::reserveBytes(std::size_t size)
{
    if (!m_tail || m_tail->size() - m_tailUsed < size) {
        reserveOneMore(m_blocks);
        auto block = std::make_shared<ByteBlock>(std::max(size, kArenaBlock));
        m_tail = block.get();
        m_tailUsed = 0;
        m_blocks.push_back(std::move(block));
    }
    char *bytes = m_tail->data() + m_tailUsed;
    m_tailUsed += size;
    return bytes;
}

void ItemList::append(std::string_view text)
{
    Items &items = writableItems();
    reserveOneMore(items);
    char *bytes = reserveBytes(text.size());
    if (!text.empty())
        std::memcpy(bytes, text.data(), text.size());
    ChangeNotice notice(*this);
    items.emplace_back(bytes, text.size());
}

void ItemList::adopt(std::unique_ptr<ByteBlock> block, std::vector<std::string_view> items)
{
    reserveOneMore(m_blocks);
    std::shared_ptr<const ByteBlock> shared = std::move(block);
    if (isEmpty()) {
        ChangeNotice notice(*this);
        m_items = std::make_shared<Items>(std::move(items));
    } else {
        Items &own = writableItems();
        ChangeNotice notice(*this);
        own.insert(own.end(), items.begin(), items.end());
    }
    if (shared) {
        m_blocks.push_back(std::move(shared));
        m_tail = nullptr;
    }
}

void ItemList::appendList(ItemList &&other)
{
    m_blocks.reserve(m_blocks.size() + other.m_blocks.size());
    if (isEmpty()) {
        ChangeNotice notice(*this);
        m_items = std::move(other.m_items);
    } else {
        Items &own = writableItems();
        ChangeNotice notice(*this);
        const std::span<const std::string_view> added = other.texts();
        own.insert(own.end(), added.begin(), added.end());
    }
    for (auto &block : other.m_blocks)
        m_blocks.push_back(std::move(block));
    m_tail = nullptr;
    other.forgetStorage();
}

void ItemList::removeAt(std::size_t index)
{
    Items &items = writableItems();
    ChangeNotice notice(*this);
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(index));
}

// While a snapshot shares the array, the kept items go straight into an array of their own
// size: copying the whole array first and then compacting it would move every item twice.
// forEachItem calls keep(index, kept) in rising index order; in place, every item is moved
// down and only the kept ones advance, so no branch guesses which.
template<typename KeptCount, typename ForEachItem>
void ItemList::keepItems(KeptCount &&keptCount, ForEachItem &&forEachItem)
{
    if (!m_items || m_items.use_count() == 1) {
        Items &items = writableItems();
        ChangeNotice notice(*this);
        std::size_t kept = 0;
        forEachItem([&](std::size_t index, bool keep) {
            items[kept] = items[index];
            kept += keep ? 1 : 0;
        });
        items.resize(kept);
        releaseRemovedTexts();
        return;
    }
    auto keptItems = std::make_shared<Items>();
    reserveLarge(*keptItems, keptCount());
    const Items &items = *m_items;
    forEachItem([&](std::size_t index, bool keep) {
        if (keep)
            keptItems->push_back(items[index]);
    });
    ChangeNotice notice(*this);
    m_items = std::move(keptItems);
    releaseRemovedTexts();
}

void ItemList::removeFlagged(std::span<const bool> flags)
{
    // Removing nothing is no change: no observer hears of one (a view keeps its place, the
    // overlap under the form stays as found).
    if (std::find(flags.begin(), flags.end(), true) == flags.end())
        return;
    if (m_removalRecorder)
        m_removalRecorder->removing(*this, flags);
    const auto keptCount = [&] { return static_cast<std::size_t>(std::count(flags.begin(), flags.end(), false)); };
    keepItems(keptCount, [&](const auto &keep) {
        for (std::size_t i = 0; i < flags.size(); ++i)
            keep(i, !flags[i]);
    });
}

void ItemList::keepOnly(std::span<const std::size_t> risingIndexes)
{
    keepItems([&] { return risingIndexes.size(); }, [&](const auto &keep) {
        for (const std::size_t index : risingIndexes)
            keep(index, true);
    });
}

ItemList::Snapshot ItemList::snapshot() const
{
    Snapshot snapshot;
    snapshot.m_blocks = m_blocks;
    snapshot.m_items = m_items;
    return snapshot;
}

void ItemList::restore(Items items, Blocks blocks)
{
    auto restored = std::make_shared<Items>(std::move(items));
    ChangeNotice notice(*this);
    m_items = std::move(restored);
    m_blocks = std::move(blocks);
    // The old tail's free bytes may lie behind texts a history step still points to: start afresh.
    m_tail = nullptr;
    m_tailUsed = 0;
}

void ItemList::refill(std::size_t count, Blocks blocks, const std::function<void(std::span<std::string_view>)> &fill)
{
    Items &items = writableItems();
    items.reserve(count);
    ChangeNotice notice(*this);
    items.resize(std::max(count, items.size()));
    fill(std::span<std::string_view>(items.data(), items.size()));
    items.resize(count);
    m_blocks = std::move(blocks);
    m_tail = nullptr;
    m_tailUsed = 0;
}

void ItemList::restore(Snapshot snapshot)
{
    ChangeNotice notice(*this);
    // The array was made writable; a snapshot only promises not to write it, and the list writes
    // only through writableItems(), which copies while anyone else still holds it.
    m_items = std::const_pointer_cast<Items>(std::move(snapshot.m_items));
    m_blocks = std::move(snapshot.m_blocks);
    m_tail = nullptr;
    m_tailUsed = 0;
}

std::size_t ItemList::storedBytes() const
{
    std::size_t bytes = 0;
    for (const auto &block : m_blocks)
        bytes += block->size();
    return bytes;
}

bool ItemList::blocksAreOnlyOurs() const
{
    return std::all_of(m_blocks.begin(), m_blocks.end(), [](const auto &block) { return block.use_count() == 1; });
}

// Loading a list, cleaning most of it away and loading again would otherwise keep every file
// ever loaded in memory. The survivors move into one block of their own size; without memory
// for it, the list simply keeps its old blocks. While a snapshot (an undo step) still holds a
// block, copying would only add memory, so the list waits until the blocks are its alone.
void ItemList::releaseRemovedTexts()
{
    const std::size_t stored = storedBytes();
    if (stored < kStorageWorthCompacting || !blocksAreOnlyOurs())
        return;
    Items &items = *m_items;
    std::size_t live = 0;
    for (const std::string_view text : items)
        live += text.size();
    if (live * kWastedShare > stored)
        return;
    try {
        Blocks blocks;
        blocks.reserve(1);
        auto block = std::make_shared<ByteBlock>(live);
        Items compacted;
        compacted.reserve(items.size());
        char *next = block->data();
        for (const std::string_view text : items) {
            if (!text.empty())
                std::memcpy(next, text.data(), text.size());
            compacted.emplace_back(next, text.size());
            next += text.size();
        }
        blocks.push_back(std::move(block));
        items.swap(compacted);
        m_blocks.swap(blocks);
        m_tail = nullptr;
        m_tailUsed = 0;
    } catch (const std::bad_alloc &) {
        // Nothing changed yet: the items stay valid in their old blocks.
    }
}

void ItemList::clear()
{
    ChangeNotice notice(*this);
    forgetStorage();
}

} // namespace Quorvane
