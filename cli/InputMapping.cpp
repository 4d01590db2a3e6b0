#include "InputMapping.h"

#include "RunMessages.h"
#include "ExitStatus.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string_view>

#include <sys/stat.h>
#include <unistd.h>

namespace Quorvane {

namespace {

constexpr std::string_view kCutShort =
    "quorvane-cli: an input file was cut short by another program while it was being read; "
    "the run stopped and no output file was replaced\n";

// What the handler needs, in plain storage it reads without allocating: where each input is
// mapped and the whole message naming it.
struct MappedInput
{
    const char *begin;
    const char *end;
    const char *message;
    std::size_t messageSize;
};
constexpr std::size_t kMostNamedMappings = 256;
MappedInput g_mapped[kMostNamedMappings];
std::atomic<std::size_t> g_mappedCount{0};
volatile sig_atomic_t g_errorDescriptor = STDERR_FILENO;

// Only async-signal-safe calls here. The latest mapping first: an address may be reused once
// a decoded file's mapping is gone.
void stopOnCutShortInput(int, siginfo_t *info, void *)
{
    std::string_view message = kCutShort;
    const char *address = static_cast<const char *>(info->si_addr);
    for (std::size_t i = g_mappedCount.load(); i-- > 0;) {
        if (address >= g_mapped[i].begin && address < g_mapped[i].end) {
            message = std::string_view(g_mapped[i].message, g_mapped[i].messageSize);
            break;
        }
    }
    [[maybe_unused]] const ssize_t ignored = ::write(g_errorDescriptor, message.data(), message.size());
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
    for (const Invocation::NamedOutput &output : invocation.namedOutputs()) {
        if (output.name != kStandardStream && ::stat(output.name.c_str(), &status) == 0)
            noteRegularFile(status);
    }
    g_errorDescriptor = streams.errors;
    g_mappedCount.store(0);
    struct sigaction action {};
    action.sa_sigaction = stopOnCutShortInput;
    action.sa_flags = SA_SIGINFO;
    sigfillset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &m_previous);
}

InputMapping::~InputMapping()
{
    ::sigaction(SIGBUS, &m_previous, nullptr);
    g_mappedCount.store(0);
}

ReadBy InputMapping::readingOf(int descriptor) const
{
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid())
        return ReadBy::Copying;
    const bool written = std::find(m_written.begin(), m_written.end(), std::pair(status.st_dev, status.st_ino))
                         != m_written.end();
    return written ? ReadBy::Copying : ReadBy::Mapping;
}

ListFileContents InputMapping::read(const std::string &name, Lines lines)
{
    const FileDescriptor file = openForReading(name, Readable::AnySource);
    if (readingOf(file.get()) == ReadBy::Copying)
        return readListFromDescriptor(file.get(), name, {}, lines);
    return mapListFromDescriptor(
        file.get(), name, [&](const char *bytes, std::size_t size) { noteMapped(name, bytes, size); }, lines);
}

void InputMapping::noteMapped(const std::string &name, const char *bytes, std::size_t size)
{
    const std::size_t count = g_mappedCount.load();
    if (count == kMostNamedMappings)
        return;
    const std::string message = "quorvane-cli: " + shownInputName(name)
                                + " was cut short by another program while it was being read; "
                                  "the run stopped and no output file was replaced\n";
    m_messages.push_back(std::make_unique_for_overwrite<char[]>(message.size()));
    std::memcpy(m_messages.back().get(), message.data(), message.size());
    // A fault can come from anywhere on the mapping's last page.
    const auto pageSize = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    g_mapped[count] = {bytes, bytes + (size + pageSize - 1) / pageSize * pageSize, m_messages.back().get(),
                       message.size()};
    g_mappedCount.store(count + 1);
}

} // namespace Quorvane
