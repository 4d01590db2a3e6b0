// Saves in folders that other users can write in: whatever they plant or swap there, a save
// replaces only what its user could have written, and nothing else.
#include "files/ListFile.h"
#include "tests/support/ListTexts.h"
#include "tests/support/SharedFolders.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quorvane {
namespace {

using Samples::listOf;
using Testing::kOtherGroup;
using Testing::kOtherUser;

std::string writeFailure(const std::string &path, const WriteOptions &options = {})
{
    try {
        (void)writeListFile(listOf({"attacker's wish"}), path, options);
    } catch (const ListFileError &error) {
        return error.what();
    }
    return {};
}

// A sticky folder that everyone may write in, as /tmp.
struct SharedFolder : Testing::TemporaryFolder
{
    SharedFolder() { EXPECT_EQ(::chmod(path().c_str(), 01777), 0); }
};

mode_t modeOf(const std::string &path)
{
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

class SharedFolders : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "acting as other users needs root";
    }
};

TEST_F(SharedFolders, OnlyLinksTheKernelWouldFollowAreFollowed)
{
    const Testing::KernelLinkProtection protection;
    if (!protection.active())
        GTEST_SKIP() << protection.reason();
    SharedFolder shared;
    Testing::TemporaryFolder home;
    const std::string keys = home.file("authorized_keys");
    Testing::writeBytes(keys, "victim's key\n");
    const std::string planted = shared.file("report.txt");
    ASSERT_EQ(::symlink(keys.c_str(), planted.c_str()), 0);
    ASSERT_EQ(::lchown(planted.c_str(), kOtherUser, kOtherGroup), 0);
    const std::string own = shared.file("mine.txt");
    ASSERT_EQ(::symlink(keys.c_str(), own.c_str()), 0);

    for (const Writable writable : {Writable::WriteThrough, Writable::RegularFileOnly})
        EXPECT_EQ(writeFailure(planted, {.writable = writable}), "Cannot write \"" + planted + "\": Permission denied");
    EXPECT_EQ(Testing::readBytes(keys), "victim's key\n");
    // The caller's own link there is followed, and stays a link.
    EXPECT_EQ(writeFailure(own), "");
    EXPECT_EQ(Testing::readBytes(keys), "attacker's wish\r\n");
    EXPECT_TRUE(std::filesystem::is_symlink(own));
}

TEST_F(SharedFolders, AStrangersFifoOrDeviceInAStickyFolderIsNotWritten)
{
    const Testing::KernelLinkProtection protection;
    if (!protection.active())
        GTEST_SKIP() << protection.reason();
    SharedFolder shared;
    const std::string theirs = shared.file("theirs.fifo");
    const std::string mine = shared.file("mine.fifo");
    ASSERT_EQ(::mkfifo(theirs.c_str(), 0666), 0);
    ASSERT_EQ(::chown(theirs.c_str(), kOtherUser, kOtherGroup), 0);
    ASSERT_EQ(::mkfifo(mine.c_str(), 0600), 0);
    for (const std::string &fifo : {theirs, mine}) {
        // A reader waits, so an open for writing would succeed at once.
        const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader, 0);
        const std::string failure = writeFailure(fifo);
        char bytes[64] = {};
        const ssize_t got = ::read(reader, bytes, sizeof bytes);
        ::close(reader);
        if (fifo == theirs) {
            EXPECT_EQ(failure, "Cannot write \"" + theirs + "\": Permission denied");
            EXPECT_LE(got, 0) << "the private list reached another user's FIFO";
        } else {
            EXPECT_EQ(failure, "");
            EXPECT_EQ(std::string(bytes, got > 0 ? static_cast<std::size_t>(got) : 0), "attacker's wish\r\n");
        }
    }
}

// Between the checks and the rename, another user swaps the file or its folder: the save fails
// (or lands where the checks were made), and what was swapped in stays as it was.
TEST_F(SharedFolders, WhatIsSwappedInAfterTheChecksIsNeverReplaced)
{
    Testing::TemporaryFolder folder;
    const std::string list = folder.file("list.txt");
    const std::string swapped = folder.file("swapped.txt");
    const std::string fresh = folder.file("fresh.txt");
    const std::string expected = "\": another program put a different file in its place meanwhile";
    for (const bool existing : {true, false}) {
        const std::string path = existing ? list : fresh;
        if (existing)
            Testing::writeBytes(path, "old\r\n");
        ListFileOutput output(path);
        output.write(listOf({"new"}).texts());
        Testing::writeBytes(swapped, "root's file\n");
        ASSERT_EQ(::rename(swapped.c_str(), path.c_str()), 0);
        try {
            output.commit();
            ADD_FAILURE() << "replaced a file swapped in";
        } catch (const ListFileError &error) {
            EXPECT_EQ(error.what(), "Cannot write \"" + path + expected);
        }
        EXPECT_EQ(Testing::readBytes(path), "root's file\n");
    }
    EXPECT_EQ(folder.entryCount(), 2u);

    // The folder itself swapped for a link to another one: the save lands in the folder it checked.
    Testing::TemporaryFolder elsewhere;
    const std::string other = elsewhere.file("list.txt");
    Testing::writeBytes(other, "root's list\n");
    const std::string inner = folder.file("inner");
    ASSERT_EQ(::mkdir(inner.c_str(), 0755), 0);
    ListFileOutput output(inner + "/list.txt");
    output.write(listOf({"new"}).texts());
    ASSERT_EQ(::rename(inner.c_str(), folder.file("moved").c_str()), 0);
    ASSERT_EQ(::symlink(elsewhere.path().c_str(), inner.c_str()), 0);
    EXPECT_TRUE(output.commit().empty());
    EXPECT_EQ(Testing::readBytes(other), "root's list\n");
    EXPECT_EQ(Testing::readBytes(folder.file("moved/list.txt")), "new\r\n");
}

// Where the file system has no unnamed files (no /proc here), the temporary has a name: only
// its owner can open it until it takes the target's place and permissions.
TEST_F(SharedFolders, ANamedTemporaryIsPrivateUntilItIsComplete)
{
    Testing::TemporaryFolder folder;
    const std::string existing = folder.file("private.txt");
    Testing::writeBytes(existing, "old\r\n");
    ASSERT_EQ(::chmod(existing.c_str(), 0640), 0);
    const std::string fresh = folder.file("new.txt");
    const int status = Testing::runAs(0, 0, [&] {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount("none", "/proc", "tmpfs", 0, nullptr) != 0)
            return 77;
        ::umask(022);
        int failures = 0;
        for (const auto &[path, final] : {std::pair{existing, 0640}, std::pair{fresh, 0644}}) {
            ListFileOutput output(path);
            output.write(listOf({"secret"}).texts());
            for (const auto &entry : std::filesystem::directory_iterator(folder.path())) {
                if (entry.path().filename().string().starts_with(".quorvane-"))
                    failures += modeOf(entry.path().string()) != 0600;
            }
            output.commit();
            failures += modeOf(path) != static_cast<mode_t>(final);
        }
        return failures;
    });
    if (status == 77)
        GTEST_SKIP() << "cannot hide /proc in a mount namespace of its own here";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(folder.entryCount(), 2u);
}

// A file its owner made read-only is not replaced behind their back, whatever the folder allows.
TEST_F(SharedFolders, AReadOnlyFileIsNotReplaced)
{
    SharedFolder shared;
    const std::string list = shared.file("list.txt");
    Testing::writeBytes(list, "kept\r\n");
    ASSERT_EQ(::chown(list.c_str(), kOtherUser, kOtherGroup), 0);
    ASSERT_EQ(::chmod(list.c_str(), 0444), 0);
    const std::string expected = "Cannot write \"" + list + "\": Permission denied";
    EXPECT_EQ(Testing::runAs(kOtherUser, kOtherGroup, [&] { return writeFailure(list) == expected ? 0 : 1; }), 0);
    EXPECT_EQ(Testing::readBytes(list), "kept\r\n");
    EXPECT_EQ(shared.entryCount(), 1u);
}

} // namespace
} // namespace Quorvane
