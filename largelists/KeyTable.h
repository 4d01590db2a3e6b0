#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace Quorvane {

// A partition whose distinct keys do not fit in the memory it was given.
class TableFull : public std::runtime_error
{
public:
    TableFull()
        : std::runtime_error("the memory limit is too small for these lists")
    {}
};

// The distinct keys of one partition, each with one position, in at most a given number of
// bytes (keys, slots and the growth of both counted). Throws TableFull past it. Memory grows
// with the distinct keys only, so a partition of one key repeated a million times stays small.
class KeyTable
{
public:
    struct Entry
    {
        std::uint64_t hash;
        const char *key; // nullptr marks an empty slot
        std::uint64_t size;
        std::uint64_t position;
    };

    explicit KeyTable(std::size_t budget);

    // The entry of key; a new one holding position when the key was not there (inserted tells).
    Entry &findOrInsert(std::string_view key, std::uint64_t hash, std::uint64_t position, bool &inserted);
    const Entry *find(std::string_view key, std::uint64_t hash) const;

    template<typename Visit>
    void forEach(Visit &&visit) const
    {
        for (const Entry &entry : m_slots) {
            if (entry.key)
                visit(entry);
        }
    }

private:
    std::size_t slotOf(std::string_view key, std::uint64_t hash) const;
    const char *storeKey(std::string_view key);
    void grow();
    void charge(std::size_t bytes);

    std::size_t m_budget;
    std::size_t m_chunkBytes;
    std::size_t m_charged = 0;
    std::vector<Entry> m_slots;
    std::size_t m_used = 0;
    std::vector<std::unique_ptr<char[]>> m_chunks;
    std::size_t m_chunkLeft = 0;
    char *m_chunkNext = nullptr;
};

} // namespace Quorvane
