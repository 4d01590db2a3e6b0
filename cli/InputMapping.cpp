#include "InputMapping.h"

#include "BatchTool.h"

#include <algorithm>
#include <string_view>

#include <sys/stat.h>
#include <unistd.h>

namespace Quorvane {

namespace {

constexpr std::string_view kCutShort =
    "quorvane-cli: an input file was cut short by another program while it was being read; "
    "the run stopped and no output file was replaced\n";

volatile sig_atomic_t g_errorDescriptor = STDERR_FILENO;

// Only async-signal-safe calls here.
void stopOnCutShortInput(int)
{
    [[maybe_unused]] const ssize_t ignored = ::write(g_errorDescriptor, kCutShort.data(), kCutShort.size());
    ::_exit(kExitFailure);
}

} // namespace

InputMapping::InputMapping(const Invocation &invocation, const Streams &streams)
{
    const auto noteRegularFile = [&](const struct stat &status) {
        if (S_ISREG(status.st_mode))
            m_written.emplace_back(status.st_dev, status.st_ino);
    };
    struct stat status {};
    if (::fstat(streams.output, &status) == 0)
        noteRegularFile(status);
    for (const auto &name : {invocation.output, invocation.removed}) {
        if (name && *name != kStandardStream && ::stat(name->c_str(), &status) == 0)
            noteRegularFile(status);
    }
    g_errorDescriptor = streams.errors;
    struct sigaction action {};
    action.sa_handler = stopOnCutShortInput;
    sigfillset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &m_previous);
}

InputMapping::~InputMapping()
{
    ::sigaction(SIGBUS, &m_previous, nullptr);
}

ReadBy InputMapping::readingOf(const std::string &name) const
{
    struct stat status {};
    if (name == kStandardStream || ::stat(name.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return ReadBy::Copying;
    const bool written = std::find(m_written.begin(), m_written.end(), std::pair(status.st_dev, status.st_ino))
                         != m_written.end();
    return written ? ReadBy::Copying : ReadBy::Mapping;
}

} // namespace Quorvane
