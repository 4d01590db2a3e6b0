#include "InputWatch.h"

#include "RunMessages.h"

#include <algorithm>
#include <utility>

#include <sys/stat.h>

namespace Quorvane {

namespace {

FileIdentity identityOf(const struct stat &status)
{
    return {static_cast<std::uint64_t>(status.st_dev),
            static_cast<std::uint64_t>(status.st_ino),
            static_cast<std::int64_t>(status.st_size),
            static_cast<std::int64_t>(status.st_mtim.tv_sec),
            static_cast<std::int64_t>(status.st_mtim.tv_nsec),
            static_cast<std::int64_t>(status.st_ctim.tv_sec),
            static_cast<std::int64_t>(status.st_ctim.tv_nsec)};
}

bool examine(const std::string &name, int descriptor, struct stat &status)
{
    return descriptor >= 0 ? ::fstat(descriptor, &status) == 0 : ::stat(name.c_str(), &status) == 0;
}

// Whether the run itself writes through to this file: standard output or error opened on it
// (>> list.txt). Such an input changes because of the run, not behind its back.
bool writtenByTheRun(const struct stat &input, const Streams &streams)
{
    for (const int descriptor : {streams.output, streams.errors}) {
        struct stat written {};
        if (::fstat(descriptor, &written) == 0 && written.st_dev == input.st_dev && written.st_ino == input.st_ino)
            return true;
    }
    return false;
}

} // namespace

InputWatch::InputWatch(const Invocation &invocation, const Streams &streams)
{
    std::vector<std::pair<std::pair<dev_t, ino_t>, std::string>> streamsSeen;
    for (const auto *names : {&invocation.files, &invocation.others}) {
        for (const std::string &name : *names) {
            const int descriptor = name == kStandardStream ? streams.input : -1;
            struct stat status {};
            // A name that cannot be examined now fails where it is read, with the system's words.
            if (!examine(name, descriptor, status) || S_ISDIR(status.st_mode))
                continue;
            if (S_ISREG(status.st_mode)) {
                if (!writtenByTheRun(status, streams))
                    m_regularFiles.push_back({name, descriptor, identityOf(status)});
                continue;
            }
            const std::pair file(status.st_dev, status.st_ino);
            const auto seen = std::find_if(streamsSeen.begin(), streamsSeen.end(),
                                           [&](const auto &stream) { return stream.first == file; });
            if (seen != streamsSeen.end())
                throw UsageError(shownInputName(name) + " is the stream " + shownInputName(seen->second)
                                 + " names already: a stream can be read only once");
            streamsSeen.emplace_back(file, name);
        }
    }
}

std::optional<std::string> InputWatch::firstChanged() const
{
    for (const Input &input : m_regularFiles) {
        struct stat status {};
        if (!examine(input.name, input.descriptor, status) || !(identityOf(status) == input.identity))
            return shownInputName(input.name);
    }
    return std::nullopt;
}

void InputWatch::checkUnchanged() const
{
    if (const std::optional<std::string> changed = firstChanged())
        throw InputChanged(*changed);
}

} // namespace Quorvane
