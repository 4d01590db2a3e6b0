#include "TextPartitions.h"

#include "Seams.h"
#include "Workers.h"

#include <absl/hash/hash.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>

namespace Quorvane {

namespace {

// About this many entries per partition keep a partition's entries and its table in the
// second-level cache.
constexpr std::size_t kEntriesPerPartition = 8192;
constexpr std::size_t kMostPartitions = std::size_t(1) << 16;
// Indexes and places are 32 bits wide; the largest value marks "no place".
constexpr std::size_t kMostTexts = std::numeric_limits<std::uint32_t>::max() - 1;
constexpr std::size_t kKeyBlock = std::size_t(256) << 10;

// Chunks of texts small enough that a worker held up leaves no long wait at the end of a pass,
// large enough that each keeps its own count per partition without many fresh pages for them.
constexpr std::size_t kTextsPerChunk = std::size_t(32) << 10;
constexpr std::size_t kMostChunks = 64;
constexpr std::size_t kMostChunkCounts = std::size_t(1) << 18;

std::size_t chunkCountFor(std::size_t textCount, std::size_t partitionCount, std::size_t workers)
{
    if (workers <= 1)
        return 1;
    const std::size_t most = std::max(workers, std::min(kMostChunks, kMostChunkCounts / partitionCount));
    return std::clamp(textCount / kTextsPerChunk, workers, most);
}

std::size_t checkedTextCount(std::size_t textCount)
{
    if (textCount > kMostTexts)
        throw std::length_error("List too long");
    return textCount;
}

} // namespace

// Abseil hashes its own string view with its fast string hash; the standard view would be
// routed through std::hash first.
std::uint64_t hashOf(std::string_view key)
{
    return absl::Hash<absl::string_view>{}(absl::string_view(key.data(), key.size()));
}

std::string_view KeyStore::keep(std::string_view key)
{
    char *bytes = nullptr;
    if (key.size() > kKeyBlock / 4) {
        m_longKeys.push_back(std::make_unique_for_overwrite<char[]>(key.size()));
        bytes = m_longKeys.back().get();
        m_held += key.size();
    } else {
        if (m_capacity - m_used < key.size()) {
            m_blocks.push_back(std::make_unique_for_overwrite<char[]>(kKeyBlock));
            m_used = 0;
            m_capacity = kKeyBlock;
            m_held += kKeyBlock;
        }
        bytes = m_blocks.back().get() + m_used;
        m_used += key.size();
    }
    std::memcpy(bytes, key.data(), key.size());
    return {bytes, key.size()};
}

std::size_t TextPartitions::partitionCountFor(std::size_t textCount)
{
    return std::min(std::bit_ceil(std::max<std::size_t>(textCount / kEntriesPerPartition, 1)), kMostPartitions);
}

TextPartitions::TextPartitions(std::span<const std::string_view> texts, std::size_t partitionCount,
                               ProgressPacer &pacer, const MatchMode &mode, std::size_t workers)
    : m_texts(texts)
    , m_mode(mode)
    , m_keyStores(workers)
    , m_keys(texts)
    , m_entries(checkedTextCount(texts.size()))
    , m_starts(partitionCount + 1)
{
    // The low 32 bits of a key's hash are its tag, and the tag's top bits choose its partition:
    // four bytes per text carry both from the first pass to the second.
    const int shift = 32 - std::countr_zero(partitionCount);
    const auto partitionOf = [shift](std::uint32_t tag) {
        return shift == 32 ? std::size_t(0) : static_cast<std::size_t>(tag >> shift);
    };
    // Keys that differ from their texts are made once, in the first pass, and kept. Their array
    // is only touched from the first key in a chunk that is not its text: lists whose keys are
    // all their texts (nothing to trim or fold) take no fresh pages for it.
    if (!mode.isExact())
        m_madeKeys = std::make_unique<WorkArray<std::string_view>>(texts.size());

    // The texts are taken in chunks, each by whichever worker is free: each chunk counts its own
    // entries per partition in the first pass, and places them in the second.
    const std::size_t chunkCount = chunkCountFor(texts.size(), partitionCount, workers);
    std::vector<char> storedKeys(chunkCount, 0); // not vector<bool>: each chunk writes its own
    // Each text is hashed once; the entries are placed by the tags kept, which costs less than
    // hashing every key again. Texts another process can change (a mapped file) are read once
    // here, so the placements always fill exactly what the counts left room for.
    WorkArray<std::uint32_t> tags(texts.size());
    WorkArray<std::size_t> places(chunkCount * partitionCount);
    std::fill_n(places.data(), places.size(), std::size_t(0));
    ChunkQueue firstPass(texts.size(), chunkCount);
    runWorkers(workers, pacer, [&](std::size_t worker, WorkerSteps &steps) {
        KeyMaker keyMaker(mode);
        while (const std::optional<ChunkQueue::Chunk> chunk = firstPass.take()) {
            const Share share = chunk->items;
            std::size_t *counts = places.data() + chunk->number * partitionCount;
            bool storing = false;
            forEachPaced(share.begin, share.end, steps, [&](std::size_t i) {
                std::string_view key = texts[i];
                if (m_madeKeys) {
                    key = keyMaker.keyOf(texts[i]);
                    if (!storing && (key.data() != texts[i].data() || key.size() != texts[i].size())) {
                        std::copy(texts.begin() + share.begin, texts.begin() + i, m_madeKeys->data() + share.begin);
                        storing = true;
                    }
                    if (storing)
                        (*m_madeKeys)[i] = keyMaker.isScratch(key) ? m_keyStores[worker].keep(key) : key;
                }
                const auto tag = static_cast<std::uint32_t>(hashOf(key));
                tags[i] = tag;
                ++counts[partitionOf(tag)];
            });
            storedKeys[chunk->number] = storing ? 1 : 0;
        }
    });
    if (m_madeKeys) {
        if (std::find(storedKeys.begin(), storedKeys.end(), 1) == storedKeys.end()) {
            m_madeKeys.reset();
        } else {
            for (std::size_t chunk = 0; chunk < chunkCount; ++chunk) {
                const Share share = shareOf(texts.size(), chunk, chunkCount);
                if (!storedKeys[chunk])
                    std::copy(texts.begin() + share.begin, texts.begin() + share.end, m_madeKeys->data() + share.begin);
            }
            m_keys = m_madeKeys->all();
        }
    }

    // Within a partition the chunks' entries follow one another in chunk order, so each
    // partition keeps its entries in rising index order.
    std::size_t next = 0;
    for (std::size_t p = 0; p < partitionCount; ++p) {
        m_starts[p] = next;
        for (std::size_t chunk = 0; chunk < chunkCount; ++chunk) {
            const std::size_t count = places[chunk * partitionCount + p];
            places[chunk * partitionCount + p] = next;
            next += count;
        }
        m_largest = std::max(m_largest, next - m_starts[p]);
    }
    m_starts[partitionCount] = next;

    passSeam(Seam::BetweenHashPasses);
    ChunkQueue secondPass(texts.size(), chunkCount);
    runWorkers(workers, pacer, [&](std::size_t, WorkerSteps &steps) {
        while (const std::optional<ChunkQueue::Chunk> chunk = secondPass.take()) {
            std::size_t *place = places.data() + chunk->number * partitionCount;
            forEachPaced(chunk->items.begin, chunk->items.end, steps, [&](std::size_t i) {
                const std::uint32_t tag = tags[i];
                m_entries[place[partitionOf(tag)]++] = {static_cast<std::uint32_t>(i), tag};
            });
        }
    });
}

PartitionSide TextPartitions::partition(std::size_t number) const
{
    return partition(number, partitionCount());
}

PartitionSide TextPartitions::partition(std::size_t number, std::size_t count) const
{
    const std::size_t run = partitionCount() / count;
    const std::size_t begin = m_starts[number * run];
    return {m_entries.all().subspan(begin, m_starts[(number + 1) * run] - begin), m_keys};
}

std::size_t TextPartitions::largestPartition(std::size_t count) const
{
    if (count == partitionCount())
        return m_largest;
    std::size_t largest = 0;
    for (std::size_t p = 0; p < count; ++p)
        largest = std::max(largest, partition(p, count).size());
    return largest;
}

bool TextPartitions::serves(std::span<const std::string_view> texts, const MatchMode &mode,
                            std::size_t partitionCount) const
{
    return texts.data() == m_texts.data() && texts.size() == m_texts.size() && makesSameKeys(mode, m_mode)
           && partitionCount <= this->partitionCount();
}

std::size_t TextPartitions::heldBytes() const
{
    std::size_t held = m_entries.size() * sizeof(TextEntry);
    if (m_madeKeys)
        held += m_madeKeys->size() * sizeof(std::string_view);
    for (const KeyStore &store : m_keyStores)
        held += store.heldBytes();
    return held;
}

std::shared_ptr<const TextPartitions> partitionsFor(const std::shared_ptr<const TextPartitions> &known,
                                                    std::span<const std::string_view> texts,
                                                    std::size_t partitionCount, ProgressPacer &pacer,
                                                    const MatchMode &mode, std::size_t workers)
{
    if (known && known->serves(texts, mode, partitionCount)) {
        pacer.advance(2 * texts.size());
        return known;
    }
    return std::make_shared<const TextPartitions>(texts, partitionCount, pacer, mode, workers);
}

} // namespace Quorvane
