#include "Operations.h"

#include "Matching.h"
#include "ProgressPacer.h"
#include "Workers.h"

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace Quorvane {

namespace {

bool liesWithin(std::string_view part, std::string_view whole)
{
    const std::less_equal<const char *> notAfter;
    return notAfter(whole.data(), part.data()) && notAfter(part.data() + part.size(), whole.data() + whole.size());
}

// Makes the keys of one chunk of items at a time. A key that is a part of its item's text (the
// item itself, most often) stays a view of it; the others are copied into a block of the chunk.
class ChunkKeys
{
public:
    ChunkKeys(const MatchMode &mode, std::span<const std::string_view> texts, std::span<std::string_view> keys)
        : m_mode(mode)
        , m_maker(mode, AddressKeys::Use::Writing)
        , m_texts(texts)
        , m_keys(keys)
    {}

    // Writes the keys of items [share.begin, share.end) and returns the block that those not
    // within their items point into, null when there are none.
    std::shared_ptr<const ByteBlock> make(Share share, WorkerSteps &steps)
    {
        m_bytes.clear();
        m_copiedEnds.clear();
        forEachPaced(share.begin, share.end, steps, [&](std::size_t i) { keep(i, keyOf(m_texts[i])); });
        if (m_copiedEnds.empty())
            return nullptr;
        auto block = std::make_shared<ByteBlock>(m_bytes.size());
        std::memcpy(block->data(), m_bytes.data(), m_bytes.size());
        std::size_t start = 0;
        for (const auto &[index, end] : m_copiedEnds) {
            m_keys[index] = std::string_view(block->data() + start, end - start);
            start = end;
        }
        return block;
    }

    // Whether any key made so far is a view of its item.
    bool viewsItems() const { return m_viewsItems; }

private:
    std::string_view keyOf(std::string_view text)
    {
        if (m_mode.field.isWholeItem())
            return m_maker.keyOf(text);
        m_row = rowWithField(text, m_mode.field, m_maker.keyOf(text));
        return m_row;
    }

    void keep(std::size_t index, std::string_view key)
    {
        const std::string_view text = m_texts[index];
        if (key.empty() || liesWithin(key, text)) {
            m_keys[index] = key.empty() ? text.substr(0, 0) : key;
            m_viewsItems = true;
            return;
        }
        m_bytes += key;
        m_copiedEnds.emplace_back(index, m_bytes.size());
    }

    const MatchMode &m_mode;
    KeyMaker m_maker;
    std::span<const std::string_view> m_texts;
    std::span<std::string_view> m_keys;
    std::string m_row;
    std::string m_bytes;
    std::vector<std::pair<std::size_t, std::size_t>> m_copiedEnds; // item index, end in m_bytes
    bool m_viewsItems = false;
};

} // namespace

// On every core for long lists, a chunk of items at a time; the list changes once, at the end.
void replaceByKeys(ItemList &list, const MatchMode &mode)
{
    const std::span<const std::string_view> texts = list.texts();
    ItemList::Items keys(texts.size());
    const std::size_t chunkCount = std::max<std::size_t>(texts.size() / kItemsPerChunk, 1);
    ChunkQueue chunks(texts.size(), chunkCount);
    std::vector<std::shared_ptr<const ByteBlock>> chunkBlocks(chunkCount);
    std::atomic<bool> viewsItems{false};
    NullProgress progress;
    ProgressPacer pacer(progress, texts.size(), ProgressPacer::Direction::Forward);
    runWorkers(workersFor(texts.size()), pacer, [&](std::size_t, WorkerSteps &steps) {
        ChunkKeys maker(mode, texts, keys);
        while (const std::optional<ChunkQueue::Chunk> chunk = chunks.take())
            chunkBlocks[chunk->number] = maker.make(chunk->items, steps);
        if (maker.viewsItems())
            viewsItems = true;
    });
    // The list's blocks stay only for keys that are views of its items.
    ItemList::Blocks blocks = viewsItems ? list.blocks() : ItemList::Blocks();
    for (std::shared_ptr<const ByteBlock> &block : chunkBlocks) {
        if (block)
            blocks.push_back(std::move(block));
    }
    list.restore(std::move(keys), std::move(blocks));
}

} // namespace Quorvane
