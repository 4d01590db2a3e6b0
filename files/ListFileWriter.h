#pragma once

#include "engine/ItemList.h"
#include "files/LineSplitting.h"
#include "files/ListSerialiser.h"
#include "files/OutputTarget.h"

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace Quorvane {

class ReplacementFile;

struct WriteOptions
{
    LineEnd lineEnd = LineEnd::CarriageReturnLineFeed;
    Writable writable = Writable::WriteThrough;
    BytesWritten onWritten = {}; // told how far the writing has come (see writeListToDescriptor)
    // writeListFiles: called once every file is written and none is in place yet; what it
    // throws leaves every target as it was.
    std::function<void()> beforePublish = {};
};

// What a save could not keep of the replaced file (its owner or group, its permissions, its
// extended attributes, its hard links), one message each, naming the file. The batch tool
// prints them on standard error, the window shows them: never silent.
using WriteWarnings = std::vector<std::string>;

// One list file being written, for lists written in batches (out of core). A regular file is
// replaced atomically (see ReplacementFile): until commit() nothing changes at the path, and
// destroyed without commit() it leaves the path as it was. A target written in place (see
// findOutputTarget) gets the bytes as they come. Every failure throws ListFileError naming
// the file with the system's own words ("No space left on device", "File too large", ...).
class ListFileOutput
{
public:
    ListFileOutput(const std::string &path, const WriteOptions &options = {});
    ~ListFileOutput();
    ListFileOutput(const ListFileOutput &) = delete;
    ListFileOutput &operator=(const ListFileOutput &) = delete;

    // Appends the texts, each with the line end.
    void write(std::span<const std::string_view> texts);
    // Makes the new file ready to take the target's place: identity kept, synced to disk.
    void prepare();
    // Puts it in place. A target written in place needs neither step.
    void publish();
    WriteWarnings commit();

    const WriteWarnings &warnings() const;

private:
    std::string m_path;
    WriteOptions m_options;
    OutputTarget m_target;
    std::unique_ptr<ReplacementFile> m_replacement;
};

// Replaces the file at path with the items atomically: on any failure the old file stays
// exactly as it was, no temporary file is left, and ListFileError is thrown. SIGINT, SIGTERM
// and SIGHUP at any moment leave the old file or the complete new one.
[[nodiscard]] WriteWarnings writeListFile(const ItemList &list, const std::string &path, const WriteOptions &options = {});

struct ListToWrite
{
    const ItemList &list;
    std::string path;
    const ItemList *heading = nullptr; // items written before the list's own: a table's header row
};

// Writes every list to a new file of its own first, then puts them in place in the given
// order (the removed items, then the result). A failure before the first is in place changes
// none of the targets and leaves no temporary file; the renames themselves are separate steps.
[[nodiscard]] WriteWarnings writeListFiles(std::span<const ListToWrite> lists, const WriteOptions &options = {});

} // namespace Quorvane
