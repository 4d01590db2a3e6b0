#pragma once

#include <cstddef>
#include <span>
#include <type_traits>

namespace Quorvane {

// Memory for large scratch arrays and text blocks. Large requests are aligned to huge pages and
// asked to be backed by them: on virtual machines touching fresh small pages costs more than the
// work done in them. Throws std::bad_alloc when memory runs out.
void *allocateWorkMemory(std::size_t bytes);
// Takes back memory from allocateWorkMemory, given the same byte count.
void releaseWorkMemory(void *memory, std::size_t bytes) noexcept;
// Asks for huge pages behind the whole 2 MB pages inside memory that was allocated elsewhere
// (a std::vector's array, say); smaller ranges are left alone.
void adviseHugePages(void *start, std::size_t bytes) noexcept;

// Reserves room for count elements in a vector and asks for huge pages behind it, for vectors
// that take millions of items at once.
template<typename Vector>
void reserveLarge(Vector &vector, std::size_t count)
{
    vector.reserve(count);
    adviseHugePages(vector.data(), count * sizeof(typename Vector::value_type));
}

// An uninitialised array of plain values that lives for one operation.
template<typename T>
class WorkArray
{
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
    explicit WorkArray(std::size_t count)
        : m_data(static_cast<T *>(allocateWorkMemory(count * sizeof(T))))
        , m_count(count)
    {}
    ~WorkArray() { releaseWorkMemory(m_data, m_count * sizeof(T)); }
    WorkArray(const WorkArray &) = delete;
    WorkArray &operator=(const WorkArray &) = delete;

    T &operator[](std::size_t index) { return m_data[index]; }
    const T &operator[](std::size_t index) const { return m_data[index]; }
    T *data() { return m_data; }
    std::size_t size() const { return m_count; }
    std::span<T> all() { return {m_data, m_count}; }
    std::span<const T> all() const { return {m_data, m_count}; }

private:
    T *m_data;
    std::size_t m_count;
};

} // namespace Quorvane
