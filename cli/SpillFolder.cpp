#include "SpillFolder.h"

#include "files/ListFile.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include <unistd.h>

namespace Quorvane {

namespace {

constexpr int kCleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr std::size_t kPathRoom = 4096;

// What the signal handler needs, in plain storage it can read without allocating.
char g_folder[kPathRoom];
std::size_t g_folderLength = 0;
std::atomic<unsigned> g_filesNamed{0};

std::atomic<bool> g_folderActive{false};
struct sigaction g_previous[std::size(kCleanedSignals)];

// folder + '/' + number, written into out without allocating; false when it does not fit.
bool composeFilePath(char *out, unsigned number)
{
    char digits[16];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    if (g_folderLength + 1 + count + 1 > kPathRoom)
        return false;
    std::memcpy(out, g_folder, g_folderLength);
    out[g_folderLength] = '/';
    for (std::size_t i = 0; i < count; ++i)
        out[g_folderLength + 1 + i] = digits[count - 1 - i];
    out[g_folderLength + 1 + count] = '\0';
    return true;
}

// Only async-signal-safe calls: unlink, rmdir, sigaction, raise.
void removeEverything()
{
    char path[kPathRoom];
    const unsigned named = g_filesNamed.load();
    for (unsigned number = 0; number < named; ++number) {
        if (composeFilePath(path, number))
            ::unlink(path);
    }
    ::rmdir(g_folder);
}

void cleanUpAndResignal(int signalNumber)
{
    if (g_folderActive.exchange(false))
        removeEverything();
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signalNumber, &fallback, nullptr);
    ::raise(signalNumber);
}

std::string temporaryRoot()
{
    const char *root = std::getenv("TMPDIR");
    return root && *root ? root : "/tmp";
}

void installHandlers()
{
    struct sigaction action {};
    action.sa_handler = cleanUpAndResignal;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : kCleanedSignals)
        sigaddset(&action.sa_mask, signalNumber);
    for (std::size_t i = 0; i < std::size(kCleanedSignals); ++i) {
        ::sigaction(kCleanedSignals[i], nullptr, &g_previous[i]);
        // A signal the caller chose to ignore stays ignored.
        if (g_previous[i].sa_handler != SIG_IGN)
            ::sigaction(kCleanedSignals[i], &action, nullptr);
    }
}

void restoreHandlers()
{
    for (std::size_t i = 0; i < std::size(kCleanedSignals); ++i)
        ::sigaction(kCleanedSignals[i], &g_previous[i], nullptr);
}

// The signals stay blocked from making the folder until the handler knows of it, so no signal
// can leave it behind.
class BlockedSignals
{
public:
    BlockedSignals()
    {
        sigset_t blocked;
        sigemptyset(&blocked);
        for (const int signalNumber : kCleanedSignals)
            sigaddset(&blocked, signalNumber);
        ::sigprocmask(SIG_BLOCK, &blocked, &m_previous);
    }
    ~BlockedSignals() { ::sigprocmask(SIG_SETMASK, &m_previous, nullptr); }
    BlockedSignals(const BlockedSignals &) = delete;
    BlockedSignals &operator=(const BlockedSignals &) = delete;

private:
    sigset_t m_previous;
};

[[noreturn]] void throwFolderFailure(int error)
{
    throwFileError(ListFileError::Stage::Open, "Cannot make a temporary folder in", temporaryRoot(), error);
}

} // namespace

SpillFolder::SpillFolder()
{
    if (g_folderActive.load())
        throw std::logic_error("only one spill folder at a time");
    const std::string pattern = temporaryRoot() + "/quorvane-XXXXXX";
    if (pattern.size() >= kPathRoom)
        throwFolderFailure(ENAMETOOLONG);
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const BlockedSignals blocked;
    if (!::mkdtemp(buffer.data()))
        throwFolderFailure(errno);
    m_path = buffer.data();
    std::memcpy(g_folder, m_path.c_str(), m_path.size() + 1);
    g_folderLength = m_path.size();
    g_filesNamed.store(0);
    g_folderActive.store(true);
    installHandlers();
}

SpillFolder::~SpillFolder()
{
    if (g_folderActive.exchange(false))
        removeEverything();
    restoreHandlers();
}

std::string SpillFolder::newFilePath()
{
    return m_path + '/' + std::to_string(g_filesNamed.fetch_add(1));
}

void SpillFolder::removeFile(const std::string &path)
{
    ::unlink(path.c_str());
}

} // namespace Quorvane
