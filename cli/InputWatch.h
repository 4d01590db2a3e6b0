#pragma once

#include "CommandLine.h"
#include "Streams.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace Quorvane {

// What identifies a file's contents between two reads: the same file, size, modification and
// change time.
struct FileIdentity
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::int64_t changeSeconds = 0;
    std::int64_t changeNanoseconds = 0;
    bool operator==(const FileIdentity &) const = default;
};

// An input that is not the file it was when the run first looked at it.
class InputChanged : public std::runtime_error
{
public:
    explicit InputChanged(const std::string &shownName)
        : std::runtime_error(shownName + " changed while it was being read; nothing was written")
    {}
};

// The run's inputs as they were before anything read them. A regular file may be named twice
// (it is read twice); a stream (standard input, a pipe, FIFO, device or socket) can be read only
// once, so a second name for it, under any spelling, is refused. Each regular input is compared
// again after its last use, so that a list its owner rewrote, truncated or renamed over during
// the run changes no output.
class InputWatch
{
public:
    // Throws UsageError when one stream is named twice.
    InputWatch(const Invocation &invocation, const Streams &streams);

    // How the first input that changed is shown in messages; nothing when none did.
    std::optional<std::string> firstChanged() const;
    // Throws InputChanged when an input changed.
    void checkUnchanged() const;

private:
    struct Input
    {
        std::string name;
        int descriptor = -1; // standard input is looked at through its descriptor
        FileIdentity identity;
    };

    std::vector<Input> m_regularFiles;
};

} // namespace Quorvane
