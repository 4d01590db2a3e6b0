#include "SpillFolder.h"

#include "StaleSpills.h"

#include "files/ListFile.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <random>
#include <stdexcept>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quorvane {

namespace {

constexpr int kCleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr std::size_t kNameRoom = 64;
constexpr int kNameAttempts = 100;

// What the signal handler needs, in plain storage it can read without allocating.
int g_rootDescriptor = -1;
int g_folderDescriptor = -1;
char g_folderName[kNameRoom];
std::atomic<unsigned> g_filesNamed{0};

std::atomic<bool> g_folderActive{false};
struct sigaction g_previous[std::size(kCleanedSignals)];

// The decimal digits of number into out, ended by NUL, without allocating.
void composeNumber(char (&out)[16], unsigned number)
{
    char digits[16];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = digits[count - 1 - i];
    out[count] = '\0';
}

// Only async-signal-safe calls: unlinkat, sigaction, raise.
void removeEverything()
{
    char name[16];
    const unsigned named = g_filesNamed.load();
    for (unsigned number = 0; number < named; ++number) {
        composeNumber(name, number);
        ::unlinkat(g_folderDescriptor, name, 0);
    }
    ::unlinkat(g_rootDescriptor, g_folderName, AT_REMOVEDIR);
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

[[noreturn]] void throwFolderFailure(const std::string &root, int error)
{
    throwFileError(ListFileError::Stage::Open, "Cannot make a temporary folder in", root, error);
}

// The temporary root, refused when others may write to it without the sticky bit: they could
// then rename or replace the run's folder.
FileDescriptor openRoot(const std::string &root)
{
    FileDescriptor descriptor(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat status {};
    if (!descriptor.isOpen() || ::fstat(descriptor.get(), &status) != 0)
        throwFolderFailure(root, errno);
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (status.st_mode & S_ISVTX) == 0)
        throw ListFileError(ListFileError::Stage::Open,
                            describeFileFailure("Cannot make a temporary folder in", root,
                                                "others may write to it and it lacks the sticky bit "
                                                "(set TMPDIR to a folder of your own)"));
    return descriptor;
}

// Makes a new folder of the caller's in root: its name holds the run's process id, so that a
// later run can tell when its run is gone.
std::string makeFolder(int root, const std::string &rootPath)
{
    std::random_device entropy;
    std::mt19937 random(entropy());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string name = spillFolderName(::getpid(), random() % 1'000'000'000);
        if (::mkdirat(root, name.c_str(), 0700) == 0)
            return name;
        if (errno != EEXIST)
            throwFolderFailure(rootPath, errno);
    }
    throwFolderFailure(rootPath, EEXIST);
}

FileDescriptor openOwnFolder(int root, const std::string &name, const std::string &rootPath)
{
    FileDescriptor folder(::openat(root, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat status {};
    if (!folder.isOpen() || ::fstat(folder.get(), &status) != 0)
        throwFolderFailure(rootPath, errno);
    if (status.st_uid != ::geteuid())
        throwFolderFailure(rootPath, EPERM);
    // Held for as long as the run lives: a later run removes only folders nobody holds.
    ::flock(folder.get(), LOCK_EX | LOCK_NB);
    return folder;
}

} // namespace

SpillFolder::SpillFolder()
{
    if (g_folderActive.load())
        throw std::logic_error("only one spill folder at a time");
    const std::string rootPath = temporaryRoot();
    m_root = openRoot(rootPath);
    removeStaleSpillFolders(m_root.get());
    const BlockedSignals blocked;
    const std::string name = makeFolder(m_root.get(), rootPath);
    std::memcpy(g_folderName, name.c_str(), name.size() + 1);
    g_rootDescriptor = m_root.get();
    try {
        m_folder = openOwnFolder(m_root.get(), name, rootPath);
    } catch (...) {
        ::unlinkat(m_root.get(), name.c_str(), AT_REMOVEDIR);
        throw;
    }
    m_path = rootPath + '/' + name;
    g_folderDescriptor = m_folder.get();
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

bool SpillFolder::holds(const std::string &path) const
{
    return path.size() > m_path.size() + 1 && path.starts_with(m_path) && path[m_path.size()] == '/'
        && path.find('/', m_path.size() + 1) == std::string::npos;
}

std::string SpillFolder::nameOf(const std::string &path) const
{
    if (!holds(path))
        throw std::logic_error("not a file of the spill folder: " + path);
    return path.substr(m_path.size() + 1);
}

FileDescriptor SpillFolder::createFile(const std::string &path) const
{
    FileDescriptor file(::openat(m_folder.get(), nameOf(path).c_str(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file.isOpen())
        throwFileError(ListFileError::Stage::Open, "Cannot create the temporary file", path, errno);
    return file;
}

FileDescriptor SpillFolder::openFile(const std::string &path) const
{
    FileDescriptor file(::openat(m_folder.get(), nameOf(path).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!file.isOpen())
        throwFileError(ListFileError::Stage::Open, "Cannot open the temporary file", path, errno);
    return file;
}

void SpillFolder::removeFile(const std::string &path)
{
    ::unlinkat(m_folder.get(), nameOf(path).c_str(), 0);
}

} // namespace Quorvane
