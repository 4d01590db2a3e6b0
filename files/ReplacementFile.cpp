#include "ReplacementFile.h"

#include <cerrno>
#include <cstring>
#include <random>

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace Quorvane {

namespace {

constexpr mode_t kNewFileMode = 0666; // less the umask, as any new file
constexpr mode_t kModeBits = 07777;
constexpr int kNameAttempts = 100;

// A short name: it fits the file system's limit whatever the target's name.
std::string temporaryName()
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::string name = ".quorvane-";
    for (int i = 0; i < 10; ++i)
        name += kLetters[random() % (sizeof kLetters - 1)];
    return name;
}

std::string descriptorPath(int descriptor)
{
    return "/proc/self/fd/" + std::to_string(descriptor);
}

std::string warning(const char *what, const std::string &name, int error)
{
    return describeFileFailure(what, name, std::strerror(error));
}

} // namespace

ReplacementFile::ReplacementFile(std::string replacedPath, const std::optional<struct stat> &existing,
                                 std::string displayName)
    : m_replacedPath(std::move(replacedPath))
    , m_existing(existing)
    , m_displayName(std::move(displayName))
{
    const std::size_t slash = m_replacedPath.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : m_replacedPath.substr(0, slash + 1);
    m_baseName = slash == std::string::npos ? m_replacedPath : m_replacedPath.substr(slash + 1);
    if (m_baseName.empty())
        fail(ListFileError::Stage::Open, EISDIR);
    m_folder = FileDescriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!m_folder.isOpen())
        fail(ListFileError::Stage::Open, errno);
    createUnnamed();
    if (!m_file.isOpen())
        createNamed();
}

ReplacementFile::~ReplacementFile()
{
    if (!m_published && !m_temporaryName.empty())
        ::unlinkat(m_folder.get(), m_temporaryName.c_str(), 0);
}

void ReplacementFile::createUnnamed()
{
    // Naming it later goes through /proc; without /proc it gets a name from the start.
    if (::access(descriptorPath(m_folder.get()).c_str(), F_OK) != 0)
        return;
    m_file = FileDescriptor(::openat(m_folder.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, kNewFileMode));
    if (m_file.isOpen())
        return;
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        fail(ListFileError::Stage::Open, errno);
}

void ReplacementFile::createNamed()
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string name = temporaryName();
        // Guarded before it exists, so no moment leaves it behind.
        m_guard.emplace(m_folder.get(), name.c_str());
        m_file = FileDescriptor(::openat(m_folder.get(), name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC,
                                         kNewFileMode));
        if (m_file.isOpen()) {
            m_temporaryName = name;
            return;
        }
        m_guard.reset();
        if (errno != EEXIST)
            fail(ListFileError::Stage::Open, errno);
    }
    fail(ListFileError::Stage::Open, EEXIST);
}

void ReplacementFile::prepare()
{
    if (m_existing) {
        keepOwner();
        keepExtendedAttributes();
        keepMode();
    }
    if (::fsync(m_file.get()) != 0)
        fail(ListFileError::Stage::Write, errno);
}

void ReplacementFile::keepOwner()
{
    struct stat created {};
    if (::fstat(m_file.get(), &created) != 0)
        fail(ListFileError::Stage::Write, errno);
    const bool sameOwner = created.st_uid == m_existing->st_uid;
    const bool sameGroup = created.st_gid == m_existing->st_gid;
    if (sameOwner && sameGroup)
        return;
    if (::fchown(m_file.get(), m_existing->st_uid, m_existing->st_gid) == 0)
        return;
    const int error = errno;
    // A member of the group may still give it the group.
    const bool groupKept = sameGroup || ::fchown(m_file.get(), static_cast<uid_t>(-1), m_existing->st_gid) == 0;
    const char *what = sameOwner ? "Could not keep the group of"
                       : groupKept ? "Could not keep the owner of"
                                   : "Could not keep the owner and group of";
    m_warnings.push_back(warning(what, m_displayName, error));
}

void ReplacementFile::keepExtendedAttributes()
{
    const char *path = m_replacedPath.c_str();
    const ssize_t listSize = ::llistxattr(path, nullptr, 0);
    if (listSize <= 0) {
        if (listSize < 0 && errno != ENOTSUP && errno != ENODATA)
            m_warnings.push_back(warning("Could not keep the extended attributes of", m_displayName, errno));
        return;
    }
    std::string names(static_cast<std::size_t>(listSize), '\0');
    const ssize_t namesSize = ::llistxattr(path, names.data(), names.size());
    int failure = namesSize < 0 ? errno : 0;
    std::string value;
    for (std::size_t at = 0; namesSize > 0 && at < static_cast<std::size_t>(namesSize);) {
        const char *name = names.c_str() + at;
        at += std::strlen(name) + 1;
        const ssize_t size = ::lgetxattr(path, name, nullptr, 0);
        value.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
        if (size < 0 || ::lgetxattr(path, name, value.data(), value.size()) != size
            || ::fsetxattr(m_file.get(), name, value.data(), value.size(), 0) != 0) {
            failure = errno;
        }
    }
    if (failure != 0)
        m_warnings.push_back(warning("Could not keep the extended attributes of", m_displayName, failure));
}

void ReplacementFile::keepMode()
{
    const mode_t wanted = m_existing->st_mode & kModeBits;
    struct stat created {};
    if (::fchmod(m_file.get(), wanted) != 0)
        m_warnings.push_back(warning("Could not keep the permissions of", m_displayName, errno));
    else if (::fstat(m_file.get(), &created) == 0 && (created.st_mode & kModeBits) != wanted)
        // The system drops setgid for an owner outside the file's group.
        m_warnings.push_back(describeFileFailure("Could not keep the permissions of", m_displayName,
                                                 "the system left out the special bits"));
}

void ReplacementFile::nameTemporary(const std::string &name)
{
    m_guard.emplace(m_folder.get(), name.c_str());
    const std::string source = descriptorPath(m_file.get());
    if (::linkat(AT_FDCWD, source.c_str(), m_folder.get(), name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        m_temporaryName = name;
        return;
    }
    const int error = errno;
    m_guard.reset();
    errno = error;
}

void ReplacementFile::publish()
{
    for (int attempt = 0; m_temporaryName.empty(); ++attempt) {
        nameTemporary(temporaryName());
        if (m_temporaryName.empty() && (errno != EEXIST || attempt == kNameAttempts))
            fail(ListFileError::Stage::Write, errno);
    }
    if (::renameat(m_folder.get(), m_temporaryName.c_str(), m_folder.get(), m_baseName.c_str()) != 0)
        fail(ListFileError::Stage::Write, errno);
    m_published = true;
    m_guard.reset();
    // The new name lasts a power cut too; a file system that cannot sync folders loses nothing else.
    ::fsync(m_folder.get());
    if (m_existing && m_existing->st_nlink > 1)
        m_warnings.push_back(describeFileFailure("Replaced", m_displayName,
                                                 "its other hard links keep the old list"));
}

void ReplacementFile::fail(ListFileError::Stage stage, int error) const
{
    throwFileError(stage, "Cannot write", m_displayName, error);
}

} // namespace Quorvane
