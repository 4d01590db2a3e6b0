#pragma once

#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace Quorvane::Testing {

constexpr int kCliFileError = 1;
constexpr int kCliUsageError = 2;

inline bool contains(const std::string &haystack, const std::string &needle)
{
    return haystack.find(needle) != std::string::npos;
}

// A fresh folder per test for the files a run of quorvane-cli reads and writes.
class CliTestFolder : public testing::Test
{
protected:
    std::string file(const std::string &name, const std::string &bytes) { return m_folder.file(name, bytes); }
    std::string path(const std::string &name) const { return m_folder.file(name); }
    std::size_t entryCount() const { return m_folder.entryCount(); }

private:
    TemporaryFolder m_folder;
};

} // namespace Quorvane::Testing
