#pragma once

#include "CommandLine.h"
#include "Streams.h"

#include "files/ListFileReader.h"

#include <csignal>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <sys/types.h>

namespace Quorvane {

// The batch tool maps its input files rather than copying them (see mapFileBytes), except a
// file the caller does not own (its owner could cut it short or rewrite it under the run) and
// a file this run may write through to as well: standard output opened on it, or an output
// name that reaches it, since writing there would change bytes still to be read. While it
// lives, an input that another program cuts short ends the run with a message naming it and
// exit status 1 instead of a crash; files named for output are only replaced at the end, so
// they stay as they were. One at a time.
class InputMapping
{
public:
    InputMapping(const Invocation &invocation, const Streams &streams);
    ~InputMapping();
    InputMapping(const InputMapping &) = delete;
    InputMapping &operator=(const InputMapping &) = delete;

    // How the file open on descriptor is best read.
    ReadBy readingOf(int descriptor) const;
    // Reads the list file name, mapped where readingOf says so. Throws ListFileError.
    ListFileContents read(const std::string &name, Lines lines = Lines::Split);

private:
    void noteMapped(const std::string &name, const char *bytes, std::size_t size);

    std::vector<std::pair<dev_t, ino_t>> m_written;
    std::vector<std::unique_ptr<char[]>> m_messages; // what the handler says for each mapping
    struct sigaction m_previous {};
};

} // namespace Quorvane
