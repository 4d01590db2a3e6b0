#pragma once

#include "CommandLine.h"
#include "Streams.h"

#include "files/ListFileReader.h"

#include <csignal>
#include <string>
#include <utility>
#include <vector>

#include <sys/types.h>

namespace Quorvane {

// The batch tool maps its input files rather than copying them (see mapFileBytes), except a
// file this run may write through to as well: standard output opened on it, or an output name
// that reaches it, since writing there would change bytes still to be read. While it lives,
// an input that another program cuts short ends the run with a message and exit status 1
// instead of a crash; files named for output are only replaced at the end, so they stay as
// they were.
class InputMapping
{
public:
    InputMapping(const Invocation &invocation, const Streams &streams);
    ~InputMapping();
    InputMapping(const InputMapping &) = delete;
    InputMapping &operator=(const InputMapping &) = delete;

    ReadBy readingOf(const std::string &name) const;

private:
    std::vector<std::pair<dev_t, ino_t>> m_written;
    struct sigaction m_previous {};
};

} // namespace Quorvane
