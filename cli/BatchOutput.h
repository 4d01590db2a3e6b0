#pragma once

#include "CommandLine.h"
#include "Streams.h"

#include "engine/ItemList.h"
#include "files/ListFileError.h"
#include "files/LineSplitting.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace Quorvane {

// Standard output's reader went away (| head): the run ends quietly, with a failing status.
struct ReaderGone
{};

// Runs write, which writes to standard output; a failure because its reader has gone throws
// ReaderGone instead.
template<typename Write>
void toStandardOutput(const Streams &streams, Write &&write)
{
    try {
        write();
    } catch (const ListFileError &) {
        if (readerHasGone(streams.output))
            throw ReaderGone();
        throw;
    }
}

// The line ends to write: those of --lf or --crlf; otherwise LF after a first input whose first
// line ends in LF, and CR LF after anything else (CR LF, a lone CR, no line end at all).
LineEnd outputLineEnd(LineEndChoice choice, LineEnd firstInputLineEnd);

// Throws UsageError when two of the lists a run writes (-o and --removed; compare's parts) reach
// one file under two names (./out.txt and out.txt, a link, /dev/stdout and standard output):
// the second list would replace the first, or both would run together on standard output.
void refuseOneFileForTwoLists(const Invocation &invocation, const Streams &streams);

// Writes what a run gives. What goes to standard output goes first: it cannot be taken back,
// but it changes no file either. Then the files, the removed items before OUT, each put in
// place only once all of them are written. What a save could not keep of a replaced file
// (its owner, its group, its other hard links) is said on standard error.
class BatchOutput
{
public:
    BatchOutput(const Invocation &invocation, const Streams &streams, LineEnd lineEnd);

    // removed is null when the run keeps no removed items. beforePublish runs once everything
    // is written and before any file is put in place; what it throws replaces nothing. heading,
    // when given, comes first in each (a table's header row).
    void writeLists(const ItemList &kept, const ItemList *removed, const std::function<void()> &beforePublish,
                    const ItemList *heading = nullptr) const;
    // The same for any lists, put in place in the given order.
    struct ListOutput
    {
        const ItemList &list;
        const std::optional<std::string> &path; // standard output when absent or "-"
        const ItemList *heading = nullptr;
    };
    void writeListsTo(std::span<const ListOutput> lists, const std::function<void()> &beforePublish) const;
    void writeText(std::string_view text) const;

private:
    void writeToStandardOutput(const ItemList &list, const ItemList *heading) const;

    const Invocation &m_invocation;
    const Streams &m_streams;
    LineEnd m_lineEnd;
};

} // namespace Quorvane
