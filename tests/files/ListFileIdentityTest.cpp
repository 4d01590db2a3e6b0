#include "files/ListFile.h"
#include "tests/files/WriteFailure.h"
#include "tests/support/ListTexts.h"
#include "tests/support/SharedFolders.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace std::string_literals;

namespace Quorvane {
namespace {

using Samples::listOf;
using Testing::writeFailure;
using Samples::textsOf;

using Testing::kOtherGroup;
using Testing::kOtherUser;

struct stat statusOf(const std::string &path)
{
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status;
}

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

// The permissions, owner and group stay; a list never keeps set-user-ID or set-group-ID (another
// user's program, cleaned in place, would otherwise run as whoever saved it), nor the sticky bit.
TEST(ListFileIdentity, OwnerGroupAndPermissionsAreKeptButNeverTheProgramBits)
{
    if (!runningAsRoot())
        GTEST_SKIP() << "giving a file to another user needs root";
    Testing::TemporaryFolder folder;
    const std::string path = folder.file("shared.txt");
    const std::string dropped = "Dropped the set-user-ID and set-group-ID bits of \"" + path
                                + "\": a list never runs as a program";
    const struct
    {
        mode_t mode;
        mode_t kept;
        WriteWarnings warnings;
    } cases[] = {
        {0640, 0640, {}}, {0400, 0400, {}}, {01600, 0600, {}},
        {02660, 0660, {dropped}}, {04755, 0755, {dropped}}, {06711, 0711, {dropped}},
    };
    for (const auto &[mode, kept, warnings] : cases) {
        Testing::writeBytes(path, "old\r\n");
        ASSERT_EQ(::chown(path.c_str(), kOtherUser, kOtherGroup), 0);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        EXPECT_EQ(writeListFile(listOf({"new"}), path), warnings) << std::oct << mode;
        const struct stat status = statusOf(path);
        EXPECT_EQ(status.st_mode & 07777, kept) << std::oct << mode;
        EXPECT_EQ(status.st_uid, kOtherUser);
        EXPECT_EQ(status.st_gid, kOtherGroup);
        EXPECT_EQ(Testing::readBytes(path), "new\r\n");
    }
    // The group alone differs from the saver's: it is kept too.
    ASSERT_EQ(::chown(path.c_str(), 0, kOtherGroup), 0);
    EXPECT_TRUE(writeListFile(listOf({"new"}), path).empty());
    EXPECT_EQ(statusOf(path).st_gid, kOtherGroup);
    EXPECT_EQ(folder.entryCount(), 1u);
}

TEST(ListFileIdentity, AnOwnerThatCannotBeKeptIsSaidOnce)
{
    if (!runningAsRoot())
        GTEST_SKIP() << "acting as another user needs root";
    Testing::TemporaryFolder folder;
    ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
    const std::string path = folder.file("theirs.txt");
    Testing::writeBytes(path, "old\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    const std::string messages = folder.file("messages");
    // A user outside the file's owner and group saves over it.
    const pid_t child = fork();
    if (child == 0) {
        if (::setgid(kOtherGroup) != 0 || ::setuid(kOtherUser) != 0)
            _exit(2);
        try {
            std::string said;
            for (const std::string &warning : writeListFile(listOf({"new"}), path))
                said += warning + "\n";
            Testing::writeBytes(messages, said);
        } catch (...) {
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(Testing::readBytes(messages),
              "Could not keep the owner and group of \"" + path + "\": Operation not permitted\n");
    EXPECT_EQ(Testing::readBytes(path), "new\r\n");
    EXPECT_EQ(statusOf(path).st_mode & 07777, 0666u);
}

// User attributes travel with the list; a file capability (here cap_setuid, as a version 2
// capability set) never does: the list would carry a privilege meant for other content.
TEST(ListFileIdentity, ExtendedAttributesAreKeptButNoPrivilege)
{
    Testing::TemporaryFolder folder;
    const std::string path = folder.file("tagged.txt");
    Testing::writeBytes(path, "old\r\n");
    if (::setxattr(path.c_str(), "user.origin", "crm", 3, 0) != 0)
        GTEST_SKIP() << "no extended attributes here";
    const std::uint32_t setuidCapability[5] = {0x02000001, 1u << 7, 0, 0, 0};
    const bool capable = runningAsRoot()
                         && ::setxattr(path.c_str(), "security.capability", setuidCapability,
                                       sizeof setuidCapability, 0) == 0;
    EXPECT_TRUE(writeListFile(listOf({"new"}), path).empty());
    char value[16] = {};
    EXPECT_EQ(::getxattr(path.c_str(), "user.origin", value, sizeof value), 3);
    EXPECT_STREQ(value, "crm");
    if (capable) {
        EXPECT_EQ(::getxattr(path.c_str(), "security.capability", nullptr, 0), -1);
    }
}

TEST(ListFileIdentity, AHardLinkIsSplitAndSaidSo)
{
    Testing::TemporaryFolder folder;
    const std::string path = folder.file("list.txt");
    const std::string other = folder.file("other-name.txt");
    Testing::writeBytes(path, "old\r\n");
    ASSERT_EQ(::link(path.c_str(), other.c_str()), 0);
    const WriteWarnings warnings = writeListFile(listOf({"new"}), path);
    EXPECT_EQ(warnings, WriteWarnings{"Replaced \"" + path + "\": its other hard links keep the old list"});
    EXPECT_EQ(Testing::readBytes(path), "new\r\n");
    EXPECT_EQ(Testing::readBytes(other), "old\r\n");
}

TEST(ListFileNames, LongAndNonUtf8NamesAreReplacedInPlace)
{
    Testing::TemporaryFolder folder;
    const std::string oddFolder = folder.file("d\xFF\xFE");
    ASSERT_EQ(::mkdir(oddFolder.c_str(), 0755), 0);
    for (const std::string &name : {std::string(250, 'n'), std::string(255, 'x'), "caf\xE9.txt"s}) {
        const std::string path = oddFolder + "/" + name;
        Testing::writeBytes(path, "old\r\n");
        EXPECT_TRUE(writeListFile(listOf({"new"}), path).empty()) << name.size();
        EXPECT_EQ(Testing::readBytes(path), "new\r\n") << name.size();
        EXPECT_EQ(textsOf(readListFile(path, Readable::RegularFileOnly).list), std::vector<std::string>{"new"});
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(oddFolder), std::filesystem::directory_iterator()), 3);
    const std::string missing = oddFolder + "/no\xFF/list.txt";
    EXPECT_EQ(writeFailure(listOf({"a"}), missing),
              "Cannot write \"" + folder.file("d\\xFF\\xFE") + "/no\\xFF/list.txt\": No such file or directory");
}

// Runs write in a child process; returns what it printed, or why it died.
template<typename Write>
std::string inChild(Write &&write, const std::string &messages)
{
    const pid_t child = fork();
    if (child == 0) {
        Testing::writeBytes(messages, write());
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status))
        return "killed by signal " + std::to_string(WTERMSIG(status));
    return Testing::readBytes(messages);
}

TEST(ListFileFailures, FullDiskAndFileSizeLimitKeepTheOldFileAndSaySo)
{
    Testing::TemporaryFolder folder;
    const std::string small = folder.file("small");
    ASSERT_EQ(::mkdir(small.c_str(), 0755), 0);
    std::string bigText;
    for (int i = 0; i < 100'000; ++i)
        bigText += "address" + std::to_string(i) + "@example.com\n";
    auto block = std::make_unique<ByteBlock>(bigText.size());
    std::copy(bigText.begin(), bigText.end(), block->data());
    const ItemList big = parseListBytes(std::move(block)).list;

    const std::string limited = folder.file("limited.txt");
    Testing::writeBytes(limited, "keep\r\n");
    const std::string fileTooLarge = inChild(
        [&] {
            const rlimit limit{100'000, 100'000};
            setrlimit(RLIMIT_FSIZE, &limit);
            return writeFailure(big, limited);
        },
        folder.file("messages"));
    EXPECT_EQ(fileTooLarge, "Cannot write \"" + limited + "\": File too large");
    EXPECT_EQ(Testing::readBytes(limited), "keep\r\n");

    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << std::strerror(errno);
    const std::string full = small + "/full.txt";
    Testing::writeBytes(full, "keep\r\n");
    const std::string noSpace = writeFailure(big, full);
    const std::size_t entries = static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(small), std::filesystem::directory_iterator()));
    const std::string kept = Testing::readBytes(full);
    ::umount(small.c_str());
    EXPECT_EQ(noSpace, "Cannot write \"" + full + "\": No space left on device");
    EXPECT_EQ(kept, "keep\r\n");
    EXPECT_EQ(entries, 1u) << "a temporary file was left";
}

} // namespace
} // namespace Quorvane
