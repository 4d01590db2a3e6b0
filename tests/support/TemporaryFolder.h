#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace Quorvane::Testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TemporaryFolder
{
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder &) = delete;
    TemporaryFolder &operator=(const TemporaryFolder &) = delete;

    std::string file(const std::string &name) const { return (m_path / name).string(); }
    // Writes bytes to the file name, made or replaced; its path.
    std::string file(const std::string &name, std::string_view bytes) const;
    const std::filesystem::path &path() const { return m_path; }
    std::size_t entryCount() const;

private:
    std::filesystem::path m_path;
};

void writeBytes(const std::string &path, std::string_view bytes);
// The whole file, or nothing when it cannot be read.
std::string readBytes(const std::string &path);

} // namespace Quorvane::Testing
