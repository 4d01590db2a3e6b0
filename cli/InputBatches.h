#pragma once

#include "engine/ItemList.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Quorvane {

// Reads list files one after the other and hands out their items in batches of about
// batchBytes, split into lines exactly as a whole-file read splits them.
class InputBatches
{
public:
    InputBatches(std::vector<std::string> paths, std::size_t batchBytes);
    ~InputBatches();
    InputBatches(const InputBatches &) = delete;
    InputBatches &operator=(const InputBatches &) = delete;

    // The next batch, never empty; an empty list once every file has been read.
    // Throws ListFileError when a file cannot be opened or read.
    ItemList next();
    // Bytes read so far, over all files.
    std::uint64_t bytesRead() const { return m_bytesRead; }

private:
    bool openNextFile();
    void closeFile();
    std::size_t fill();

    std::vector<std::string> m_paths;
    std::size_t m_nextPath = 0;
    int m_descriptor = -1;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity;
    std::size_t m_used = 0;
    bool m_fileEnded = false;
    std::uint64_t m_bytesRead = 0;
};

// What identifies a file's contents between two reads: the same file, size and change time.
struct FileIdentity
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t changeSeconds = 0;
    std::int64_t changeNanoseconds = 0;
    bool operator==(const FileIdentity &) const = default;
};

// Throws ListFileError when a file cannot be examined.
FileIdentity identify(const std::string &path);

} // namespace Quorvane
