#include "KeyTable.h"

#include <algorithm>
#include <cstring>

namespace Quorvane {

namespace {

constexpr std::size_t kFirstSlots = 64;
constexpr std::size_t kSmallestChunk = std::size_t(4) << 10;
constexpr std::size_t kLargestChunk = std::size_t(1) << 20;

} // namespace

KeyTable::KeyTable(std::size_t budget)
    : m_budget(budget)
    , m_chunkBytes(std::clamp(budget / 8, kSmallestChunk, kLargestChunk))
{
    charge(kFirstSlots * sizeof(Entry));
    m_slots.resize(kFirstSlots);
}

void KeyTable::charge(std::size_t bytes)
{
    // One key fits whatever its size: no split could make it smaller.
    if (bytes > m_budget - std::min(m_charged, m_budget) && m_used > 0)
        throw TableFull();
    m_charged += bytes;
}

std::size_t KeyTable::slotOf(std::string_view key, std::uint64_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const Entry &entry = m_slots[slot];
        if (!entry.key || (entry.hash == hash && std::string_view(entry.key, entry.size) == key))
            return slot;
    }
}

const KeyTable::Entry *KeyTable::find(std::string_view key, std::uint64_t hash) const
{
    const Entry &entry = m_slots[slotOf(key, hash)];
    return entry.key ? &entry : nullptr;
}

KeyTable::Entry &KeyTable::findOrInsert(std::string_view key, std::uint64_t hash, std::uint64_t position,
                                        bool &inserted)
{
    std::size_t slot = slotOf(key, hash);
    inserted = !m_slots[slot].key;
    if (!inserted)
        return m_slots[slot];
    // At most three quarters full, so probe runs stay short.
    if ((m_used + 1) * 4 > m_slots.size() * 3) {
        grow();
        slot = slotOf(key, hash);
    }
    m_slots[slot] = {hash, storeKey(key), key.size(), position};
    ++m_used;
    return m_slots[slot];
}

// An empty key still needs a non-null address to mark its slot as taken.
const char *KeyTable::storeKey(std::string_view key)
{
    if (key.size() > m_chunkLeft || m_chunkLeft == 0) {
        const std::size_t size = std::max(key.size(), m_chunkBytes);
        charge(size);
        m_chunks.push_back(std::make_unique_for_overwrite<char[]>(size));
        m_chunkNext = m_chunks.back().get();
        m_chunkLeft = size;
    }
    char *stored = m_chunkNext;
    if (!key.empty()) // an empty key's view may point nowhere
        std::memcpy(stored, key.data(), key.size());
    m_chunkNext += key.size();
    m_chunkLeft -= key.size();
    return stored;
}

void KeyTable::grow()
{
    const std::size_t newCount = m_slots.size() * 2;
    charge(newCount * sizeof(Entry));
    std::vector<Entry> old(newCount);
    old.swap(m_slots);
    const std::size_t mask = newCount - 1;
    for (const Entry &entry : old) {
        if (!entry.key)
            continue;
        std::size_t slot = entry.hash & mask;
        while (m_slots[slot].key)
            slot = (slot + 1) & mask;
        m_slots[slot] = entry;
    }
    m_charged -= old.size() * sizeof(Entry);
}

} // namespace Quorvane
