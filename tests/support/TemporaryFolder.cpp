#include "TemporaryFolder.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include <stdlib.h>

namespace Quorvane::Testing {

TemporaryFolder::TemporaryFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvane-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder from " + pattern);
    m_path = pattern;
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string TemporaryFolder::file(const std::string &name, std::string_view bytes) const
{
    const std::string path = file(name);
    writeBytes(path, bytes);
    return path;
}

std::size_t TemporaryFolder::entryCount() const
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(m_path),
                                                  std::filesystem::directory_iterator()));
}

void writeBytes(const std::string &path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// One read of the whole file: fast enough for a hundred megabytes under the sanitizers too.
std::string readBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

} // namespace Quorvane::Testing
