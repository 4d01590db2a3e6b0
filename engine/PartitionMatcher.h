#pragma once

#include "engine/TextPartitions.h"
#include "engine/WorkMemory.h"
#include "engine/Workers.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Quorvane {

// Compares the keys of one partition at a time. It first works on the 32-bit tags alone,
// which stay in cache; only entries whose tag was seen before have their keys read (they lie
// scattered through memory, so they are asked for a few entries ahead) and compared byte for byte.
// Each worker thread has a matcher of its own.
class PartitionMatcher
{
public:
    // capacity: the most entries of one list in any partition it will be given.
    explicit PartitionMatcher(std::size_t capacity);

    // Sets flags[index] for every entry whose key equals that of an entry met before it,
    // meeting the entries in their order or, when backward, in reverse order.
    void flagRepeats(const PartitionSide &side, bool backward, bool *flags, WorkerSteps &steps);

    // Sets flags[index] for every entry of first whose key's presence among second's entries
    // equals flagWhenPresent. Both are the same partition of two lists.
    void flagPresence(const PartitionSide &first, const PartitionSide &second, bool flagWhenPresent, bool *flags,
                      WorkerSteps &steps);

    // Sets firstShared[index] for every entry of first, and secondShared[index] for every entry of
    // second, to whether the other list has its key. Both are the same partition of two lists.
    // One table of second's tags serves both ways: a key of second met again is told by its
    // earliest entry, which learnt the answer while first's entries were compared with it.
    void flagShared(const PartitionSide &first, const PartitionSide &second, bool *firstShared, bool *secondShared,
                    WorkerSteps &steps);

    // How the keys of one partition of two lists fall: the repeats within first, the distinct
    // keys both have, and the distinct keys only second has.
    struct KeyCounts
    {
        std::size_t repeatsInFirst = 0;
        std::size_t shared = 0;
        std::size_t onlyInSecond = 0;
    };
    // Counts them in one pass over one table that holds the tags of both. The matcher's capacity
    // must cover the entries of first and second together.
    KeyCounts countKeys(const PartitionSide &first, const PartitionSide &second, WorkerSteps &steps);

private:
    // An entry, by its place in the partition, whose tag equals that of another entry: the
    // first one met of the same list, or one of the second list.
    struct Candidate
    {
        std::uint32_t place;
        std::uint32_t otherPlace;
    };
    struct Slot
    {
        std::uint32_t tag;
        std::uint32_t placePlusOne; // 0 marks an empty slot
    };
    static constexpr std::uint32_t kNoPlace = 0xFFFFFFFF;

    // Meets the places 0 to count - 1 in turn, each with its entry's tag: a place whose tag an
    // earlier place had becomes a candidate with that earlier place, any other is passed to
    // onNewTag. Returns the number of candidates.
    template<typename EntryAt, typename OnNewTag>
    std::size_t collectEarlierTags(std::uint32_t count, EntryAt &&entryAt, OnNewTag &&onNewTag, WorkerSteps &steps);
    void clearTable(std::size_t entryCount);
    // The place stored under tag; stores place there first when the tag is new.
    std::uint32_t placeOfTag(std::uint32_t tag, std::uint32_t place);
    std::uint32_t findTag(std::uint32_t tag) const;
    // Looks up the tag of each of first's entries in the table, which holds second's: an entry
    // whose tag is absent gets absentFlag in flags, the others become probes with the place of
    // their tag in second. Returns how many probes there are.
    std::size_t probeTags(const PartitionSide &first, bool *flags, bool absentFlag, WorkArray<Candidate> &probes,
                          WorkerSteps &steps) const;
    // Calls found(entry, place) for each probe's entry of first, in order, with the place in second
    // of an entry with the same key, or nothing; the keys are asked for a few probes ahead.
    template<typename Found>
    void matchProbes(const PartitionSide &first, const PartitionSide &second, const WorkArray<Candidate> &probes,
                     std::size_t probeCount, Found &&found) const;

    WorkArray<Slot> m_slots;
    WorkArray<Candidate> m_candidates;
    WorkArray<Candidate> m_probes; // flagShared: first's entries whose tag second has
    std::vector<char> m_sharedFound; // countKeys: by place in first, whether second has its key
                                     // flagShared: by place in second, whether first has its key
    std::size_t m_mask = 0;
};

// Runs match(matcher, partition, steps) for every partition number below partitionCount, the
// partitions shared among workers threads, each with a matcher of the given capacity.
template<typename Match>
void forEachPartition(std::size_t partitionCount, std::size_t capacity, std::size_t workers, ProgressPacer &pacer,
                      Match &&match)
{
    WorkQueue partitions(partitionCount);
    runWorkers(workers, pacer, [&](std::size_t, WorkerSteps &steps) {
        PartitionMatcher matcher(capacity);
        for (std::size_t p = partitions.take(); p < partitionCount; p = partitions.take())
            match(matcher, p, steps);
    });
}

} // namespace Quorvane
