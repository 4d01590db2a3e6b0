#include "ReplacementFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string_view>

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace Quorvane {

namespace {

constexpr mode_t kNewFileMode = 0666; // less the umask, as any new file
constexpr mode_t kOwnerOnlyMode = 0600;
constexpr mode_t kPermissionBits = 0777;
constexpr mode_t kProgramBits = S_ISUID | S_ISGID;
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

// The process's umask, read without changing it where the system tells it.
mode_t currentUmask()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("Umask:"))
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Attributes that only describe or restrict access travel with the list; security attributes
// (file capabilities, integrity and security labels) and trusted ones vouch for or grant rights
// to the old content, never to a list.
bool carriesOver(std::string_view attribute)
{
    return attribute.starts_with("user.") || attribute.starts_with("system.");
}

} // namespace

ReplacementFile::ReplacementFile(OutputTarget target, std::string displayName)
    : m_target(std::move(target.replaced))
    , m_existingFile(std::move(target.existingFile))
    , m_existing(target.existing)
    , m_displayName(std::move(displayName))
{
    if (m_target.name.empty())
        fail(ListFileError::Stage::Open, EISDIR);
    createUnnamed();
    if (!m_file.isOpen())
        createNamed();
}

ReplacementFile::~ReplacementFile()
{
    if (!m_published && !m_temporaryName.empty())
        ::unlinkat(m_target.folder.get(), m_temporaryName.c_str(), 0);
}

void ReplacementFile::createUnnamed()
{
    // Naming it later goes through /proc; without /proc it gets a name from the start.
    if (::access(descriptorPath(m_target.folder.get()).c_str(), F_OK) != 0)
        return;
    // Nobody else can open a file without a name: a new one may take its final mode at once.
    const mode_t mode = m_existing ? kOwnerOnlyMode : kNewFileMode;
    m_file = FileDescriptor(::openat(m_target.folder.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
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
        m_guard.emplace(m_target.folder.get(), name.c_str());
        // Owner only while it fills: another user must not open a private list on its way.
        m_file = FileDescriptor(::openat(m_target.folder.get(), name.c_str(),
                                         O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, kOwnerOnlyMode));
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
    } else if (!m_temporaryName.empty()) {
        widenNewFile();
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
    const int from = m_existingFile.get();
    const ssize_t listSize = ::flistxattr(from, nullptr, 0);
    if (listSize <= 0) {
        if (listSize < 0 && errno != ENOTSUP && errno != ENODATA)
            m_warnings.push_back(warning("Could not keep the extended attributes of", m_displayName, errno));
        return;
    }
    std::string names(static_cast<std::size_t>(listSize), '\0');
    const ssize_t namesSize = ::flistxattr(from, names.data(), names.size());
    int failure = namesSize < 0 ? errno : 0;
    std::string value;
    for (std::size_t at = 0; namesSize > 0 && at < static_cast<std::size_t>(namesSize);) {
        const char *name = names.c_str() + at;
        at += std::strlen(name) + 1;
        if (!carriesOver(name))
            continue;
        const ssize_t size = ::fgetxattr(from, name, nullptr, 0);
        value.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
        if (size < 0 || ::fgetxattr(from, name, value.data(), value.size()) != size
            || ::fsetxattr(m_file.get(), name, value.data(), value.size(), 0) != 0) {
            failure = errno;
        }
    }
    if (failure != 0)
        m_warnings.push_back(warning("Could not keep the extended attributes of", m_displayName, failure));
}

void ReplacementFile::keepMode()
{
    if (::fchmod(m_file.get(), m_existing->st_mode & kPermissionBits) != 0)
        m_warnings.push_back(warning("Could not keep the permissions of", m_displayName, errno));
    if (m_existing->st_mode & kProgramBits)
        m_warnings.push_back(describeFileFailure("Dropped the set-user-ID and set-group-ID bits of", m_displayName,
                                                 "a list never runs as a program"));
}

void ReplacementFile::widenNewFile()
{
    if (::fchmod(m_file.get(), kNewFileMode & ~currentUmask()) != 0)
        m_warnings.push_back(warning("Could not give the usual permissions to", m_displayName, errno));
}

void ReplacementFile::nameTemporary(const std::string &name)
{
    m_guard.emplace(m_target.folder.get(), name.c_str());
    const std::string source = descriptorPath(m_file.get());
    if (::linkat(AT_FDCWD, source.c_str(), m_target.folder.get(), name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        m_temporaryName = name;
        return;
    }
    const int error = errno;
    m_guard.reset();
    errno = error;
}

// The file at the name must still be the one the checks were made on (or still be missing).
void ReplacementFile::refuseChangedTarget() const
{
    struct stat now {};
    const bool found = ::fstatat(m_target.folder.get(), m_target.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0;
    if (!found && errno != ENOENT)
        fail(ListFileError::Stage::Write, errno);
    if (found != m_existing.has_value() || (found && !sameFile(now, *m_existing)))
        throw ListFileError(ListFileError::Stage::Write, "Cannot write", m_displayName,
                            "another program put a different file in its place meanwhile");
}

void ReplacementFile::renameIntoPlace()
{
    const int folder = m_target.folder.get();
    const char *from = m_temporaryName.c_str();
    const char *to = m_target.name.c_str();
    // A new file never takes the place of one that appeared since the check.
    if (!m_existing && ::renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0)
        return;
    if (!m_existing && errno != EINVAL && errno != ENOSYS)
        fail(ListFileError::Stage::Write, errno);
    if (::renameat(folder, from, folder, to) != 0)
        fail(ListFileError::Stage::Write, errno);
}

void ReplacementFile::publish()
{
    for (int attempt = 0; m_temporaryName.empty(); ++attempt) {
        nameTemporary(temporaryName());
        if (m_temporaryName.empty() && (errno != EEXIST || attempt == kNameAttempts))
            fail(ListFileError::Stage::Write, errno);
    }
    refuseChangedTarget();
    renameIntoPlace();
    m_published = true;
    m_guard.reset();
    // The new name lasts a power cut too; a file system that cannot sync folders loses nothing else.
    ::fsync(m_target.folder.get());
    if (m_existing && m_existing->st_nlink > 1)
        m_warnings.push_back(describeFileFailure("Replaced", m_displayName,
                                                 "its other hard links keep the old list"));
}

void ReplacementFile::fail(ListFileError::Stage stage, int error) const
{
    throwFileError(stage, "Cannot write", m_displayName, error);
}

} // namespace Quorvane
