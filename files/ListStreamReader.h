#pragma once

#include "engine/ItemList.h"
#include "files/ListFileReader.h"
#include "files/OpenFile.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Quorvane {

// Reads a list file in batches of bounded size, for lists larger than memory. The batches, one
// after the other, hold exactly the items readListFile gives for the same file, with the same
// decoding and line rules: a CR LF split across two reads is one line end, a UTF-8 BOM is
// dropped, UTF-16 is decoded. A regular file that starts as UTF-16 is checked to the end first
// (as readListFile does, it then stays bytes if it does not decode cleanly); a pipe that starts
// as UTF-16 and turns out not to be is a read error, since what came before is gone.
//
//     ListStreamReader reader(path, Readable::AnySource);
//     while (!reader.atEnd()) {
//         ItemList batch = reader.nextBatch(); // may be empty only at the end
//         ...
//     }
//     reader.format(); // complete once atEnd()
class ListStreamReader
{
public:
    static constexpr std::size_t kDefaultBatchBytes = std::size_t(8) << 20;

    // Opens path (see openForReading). Throws ListFileError.
    ListStreamReader(const std::string &path, Readable readable, std::size_t batchBytes = kDefaultBatchBytes);
    // Reads an open descriptor it does not own (standard input), named displayName in messages.
    ListStreamReader(int descriptor, std::string displayName, std::size_t batchBytes = kDefaultBatchBytes);
    ~ListStreamReader();
    ListStreamReader(const ListStreamReader &) = delete;
    ListStreamReader &operator=(const ListStreamReader &) = delete;

    // Hands out the rows of a table instead of lines (TableReader.h): every batch ends at a row's
    // end, so a quoted field that spans lines stays in one row. A row longer than longestRow
    // bytes is a read error naming it: a quote left open near the start of a large table would
    // otherwise take the rest of the file into memory as one row. Before the first batch.
    void readRows(char delimiter, std::uint64_t longestRow = UINT64_MAX)
    {
        m_rowDelimiter = delimiter;
        m_longestRow = longestRow;
    }

    // The next items in file order, batchBytes of text at most; a longer line (row) comes whole,
    // in a batch of at most twice its length. Throws ListFileError when the file cannot be read.
    ItemList nextBatch();
    bool atEnd() const { return m_handedOutAll; }
    const ListFileFormat &format() const { return m_format; }

private:
    void start();
    bool wholeFileDecodes(std::string_view start, TextEncoding byteOrder);
    std::size_t takeInput(char *out, std::size_t capacity);
    bool inputLeft() const;
    void fill();
    void dropLineFeedOfPreviousCarriageReturn();
    void noteFirstLineEnd(std::string_view text);
    void moveTextTo(std::unique_ptr<ByteBlock> block);
    ItemList cutBatch(std::size_t cut);
    std::size_t lastItemEnd(std::string_view text) const;
    std::vector<std::string_view> itemsOf(std::string_view text);
    [[noreturn]] void throwRowTooLong() const;

    FileDescriptor m_ownedFile;
    int m_descriptor;
    std::string m_name;
    std::size_t m_batchBytes;

    std::unique_ptr<char[]> m_pending; // the first bytes, read to guess the encoding
    std::size_t m_pendingStart = 0;
    std::size_t m_pendingSize = 0;
    std::unique_ptr<ByteBlock> m_text; // decoded text not handed out yet: [m_textStart, m_textSize)
    std::size_t m_textStart = 0;
    std::size_t m_textSize = 0;
    std::unique_ptr<char[]> m_raw; // UTF-16 bytes before decoding
    std::optional<Utf16Decoder> m_decoder;

    std::optional<char> m_rowDelimiter;
    std::uint64_t m_longestRow = UINT64_MAX;
    std::size_t m_rowsHandedOut = 0;
    std::size_t m_linesHandedOut = 0;

    ListFileFormat m_format;
    bool m_started = false;
    bool m_inputEnded = false;
    bool m_handedOutAll = false;
    bool m_afterCarriageReturn = false; // the last batch ended with a CR: an LF next belongs to it
    bool m_firstLineEndFound = false;
    bool m_firstLineEndUndecided = false; // the first line end is a CR that ended a batch
};

} // namespace Quorvane
