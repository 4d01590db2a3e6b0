#pragma once

#include "engine/ItemList.h"
#include "engine/KeyField.h"
#include "files/ListStreamReader.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Quorvane {

class SpillFolder;

// Opens an input of an out-of-core run: a file of spills (a spilled stream) through the
// folder's descriptor, any other by its name. Throws ListFileError.
FileDescriptor openListInput(const std::string &path, const SpillFolder *spills);

// Inputs read as tables: their rows, each input's header row left out when it has one.
struct RowReading
{
    KeyField field;        // the key field: its delimiter splits the rows, its column is counted
    bool headerRow = true;
    std::uint64_t longestRow = UINT64_MAX; // a longer row is a read error (the memory limit)
};

// Reads list files one after the other and hands out their items in batches of about
// batchBytes, with the lines, decoding and format a whole read of each file gives.
class InputBatches
{
public:
    InputBatches(std::vector<std::string> paths, std::size_t batchBytes, const SpillFolder *spills = nullptr,
                 std::optional<RowReading> rows = std::nullopt);

    // The next batch, never empty; an empty list once every file has been read.
    // Throws ListFileError when a file cannot be opened or read.
    ItemList next();
    // About the bytes handed out so far (the items and one line end each), for progress.
    std::uint64_t bytesHandedOut() const { return m_bytesHandedOut; }
    // The places in paths of the files read to their end that were decoded from UTF-16.
    const std::vector<std::size_t> &decodedFromUtf16() const { return m_decodedFromUtf16; }
    // The rows handed out so far that have fewer fields than the key column.
    std::uint64_t shortRows() const { return m_shortRows; }

private:
    std::vector<std::string> m_paths;
    std::size_t m_nextPath = 0;
    std::size_t m_batchBytes;
    const SpillFolder *m_spills;
    FileDescriptor m_file;
    std::unique_ptr<ListStreamReader> m_reader;
    std::optional<RowReading> m_rows;
    bool m_headerAhead = false; // the current input's header row is still to be left out
    std::vector<std::size_t> m_decodedFromUtf16;
    std::uint64_t m_bytesHandedOut = 0;
    std::uint64_t m_shortRows = 0;
};

} // namespace Quorvane
