#include "ListStreamReader.h"

#include "files/ListFileError.h"
#include "files/RetryingCalls.h"
#include "files/ReadInput.h"
#include "files/TableReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace Quorvane {

namespace {

// Room for the UTF-8 of at least one UTF-16 code unit.
constexpr std::size_t kSmallestBuffer = 16;
constexpr std::size_t kRawChunk = std::size_t(1) << 20;

bool isRegularFile(int descriptor)
{
    struct stat status {};
    return ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
}

// The most UTF-16 bytes whose UTF-8 surely fits into space bytes.
std::size_t utf16BytesFitting(std::size_t space)
{
    std::size_t bytes = space / 3 * 2;
    while (bytes > 0 && Utf16Decoder::maxDecodedSize(bytes) > space)
        bytes -= 2;
    return bytes;
}

} // namespace

ListStreamReader::ListStreamReader(const std::string &path, Readable readable, std::size_t batchBytes)
    : m_ownedFile(openForReading(path, readable))
    , m_descriptor(m_ownedFile.get())
    , m_name(path)
    , m_batchBytes(std::max(batchBytes, kSmallestBuffer))
{}

ListStreamReader::ListStreamReader(int descriptor, std::string displayName, std::size_t batchBytes)
    : m_descriptor(descriptor)
    , m_name(std::move(displayName))
    , m_batchBytes(std::max(batchBytes, kSmallestBuffer))
{
    refuseUnreadable(m_descriptor, m_name, Readable::AnySource);
}

ListStreamReader::~ListStreamReader() = default;

void ListStreamReader::start()
{
    m_started = true;
    m_pending = std::make_unique_for_overwrite<char[]>(kEncodingSampleBytes);
    m_pendingSize = readInto(m_descriptor, m_pending.get(), kEncodingSampleBytes, m_name);
    m_inputEnded = m_pendingSize < kEncodingSampleBytes;
    const std::string_view sample(m_pending.get(), m_pendingSize);
    const EncodingGuess guess = guessEncoding(sample);
    const bool decode = guess.encoding != TextEncoding::Bytes
                        && (!isRegularFile(m_descriptor) || wholeFileDecodes(sample.substr(guess.byteOrderMarkSize), guess.encoding));
    if (decode) {
        m_decoder.emplace(guess.encoding);
        m_raw = std::make_unique_for_overwrite<char[]>(kRawChunk);
        m_format.encoding = guess.encoding;
    }
    if (decode || guess.encoding == TextEncoding::Bytes) {
        m_pendingStart = guess.byteOrderMarkSize;
        m_format.byteOrderMarkDropped = guess.byteOrderMarkSize > 0;
    }
    // A small file gets a small buffer: many small files cost what they hold.
    const std::size_t expected = isRegularFile(m_descriptor) ? m_pendingSize + remainingFileSize(m_descriptor) + 1
                                                             : m_batchBytes;
    const std::size_t textExpected = decode ? Utf16Decoder::maxDecodedSize(expected) : expected;
    m_text = std::make_unique<ByteBlock>(std::clamp(textExpected, kSmallestBuffer, m_batchBytes));
}

bool ListStreamReader::wholeFileDecodes(std::string_view start, TextEncoding byteOrder)
{
    Utf16Decoder measuring(byteOrder);
    if (!measuring.measure(start))
        return false;
    const off_t offset = ::lseek(m_descriptor, 0, SEEK_CUR);
    if (offset < 0)
        return false;
    const auto chunk = std::make_unique_for_overwrite<char[]>(kRawChunk);
    for (off_t at = offset;;) {
        const ssize_t got = readOnce(m_descriptor, chunk.get(), kRawChunk, at);
        if (got < 0)
            throwFileError(ListFileError::Stage::Read, "Cannot read", m_name, errno);
        if (got == 0)
            return measuring.finish();
        if (!measuring.measure(std::string_view(chunk.get(), static_cast<std::size_t>(got))))
            return false;
        at += got;
    }
}

// Takes input bytes: first what start() read to guess the encoding, then the descriptor's.
std::size_t ListStreamReader::takeInput(char *out, std::size_t capacity)
{
    if (m_pendingStart < m_pendingSize) {
        const std::size_t size = std::min(capacity, m_pendingSize - m_pendingStart);
        std::memcpy(out, m_pending.get() + m_pendingStart, size);
        m_pendingStart += size;
        return size;
    }
    if (m_inputEnded)
        return 0;
    const ssize_t got = readOnce(m_descriptor, out, capacity);
    if (got < 0)
        throwFileError(ListFileError::Stage::Read, "Cannot read", m_name, errno);
    m_inputEnded = got == 0;
    return static_cast<std::size_t>(got);
}

bool ListStreamReader::inputLeft() const
{
    return m_pendingStart < m_pendingSize || !m_inputEnded;
}

void ListStreamReader::fill()
{
    while (inputLeft()) {
        char *out = m_text->data() + m_textSize;
        const std::size_t space = m_text->size() - m_textSize;
        if (!m_decoder) {
            if (space == 0)
                return;
            m_textSize += takeInput(out, space);
            continue;
        }
        const std::size_t rawSpace = std::min(utf16BytesFitting(space), kRawChunk);
        if (rawSpace == 0)
            return;
        const std::size_t raw = takeInput(m_raw.get(), rawSpace);
        const std::optional<std::size_t> decoded = m_decoder->decode(std::string_view(m_raw.get(), raw), out);
        if (!decoded || (!inputLeft() && !m_decoder->finish()))
            throw ListFileError(ListFileError::Stage::Read, "Cannot read", m_name,
                                "it starts as UTF-16 but is not UTF-16 text");
        m_textSize += *decoded;
    }
}

void ListStreamReader::dropLineFeedOfPreviousCarriageReturn()
{
    if (!m_afterCarriageReturn || (m_textStart == m_textSize && inputLeft()))
        return;
    const bool lineFeed = m_textStart < m_textSize && m_text->data()[m_textStart] == '\n';
    if (lineFeed)
        ++m_textStart;
    if (m_firstLineEndUndecided)
        m_format.firstLineEnd = lineFeed ? LineEnd::CarriageReturnLineFeed : LineEnd::CarriageReturn;
    m_afterCarriageReturn = false;
    m_firstLineEndUndecided = false;
}

void ListStreamReader::noteFirstLineEnd(std::string_view text)
{
    if (m_firstLineEndFound)
        return;
    const std::size_t position = text.find_first_of("\r\n");
    if (position == std::string_view::npos)
        return;
    m_firstLineEndFound = true;
    m_format.firstLineEnd = firstLineEnd(text.substr(position));
    // A CR that ends the batch: whether an LF follows shows in the next one.
    m_firstLineEndUndecided = position + 1 == text.size() && text[position] == '\r' && inputLeft();
}

void ListStreamReader::moveTextTo(std::unique_ptr<ByteBlock> block)
{
    const std::size_t size = m_textSize - m_textStart;
    std::memcpy(block->data(), m_text->data() + m_textStart, size);
    m_text = std::move(block);
    m_textStart = 0;
    m_textSize = size;
}

ItemList ListStreamReader::cutBatch(std::size_t cut)
{
    const std::size_t used = cut - m_textStart;
    const std::size_t tail = m_textSize - cut;
    std::unique_ptr<ByteBlock> batchBlock;
    std::string_view text;
    if (used < m_text->size() / 2) {
        // Most of the buffer would go unused: the batch takes an exact copy, the buffer stays.
        batchBlock = std::make_unique<ByteBlock>(used);
        std::memcpy(batchBlock->data(), m_text->data() + m_textStart, used);
        text = {batchBlock->data(), used};
        std::memmove(m_text->data(), m_text->data() + cut, tail);
        // After a long line the buffer returns to the batch size.
        const std::size_t wanted = std::max(m_batchBytes, tail * 2);
        if (m_text->size() > wanted) {
            auto smaller = std::make_unique<ByteBlock>(wanted);
            std::memcpy(smaller->data(), m_text->data(), tail);
            m_text = std::move(smaller);
        }
    } else {
        batchBlock = std::move(m_text);
        text = {batchBlock->data() + m_textStart, used};
        if (inputLeft()) {
            m_text = std::make_unique<ByteBlock>(std::max(m_batchBytes, tail * 2));
            std::memcpy(m_text->data(), batchBlock->data() + cut, tail);
        }
    }
    m_textStart = 0;
    m_textSize = tail;
    noteFirstLineEnd(text);
    m_afterCarriageReturn = !text.empty() && text.back() == '\r' && inputLeft();
    ItemList batch;
    batch.adopt(std::move(batchBlock), itemsOf(text));
    return batch;
}

// Where the last whole item of text ends (just after its line end), or npos.
std::size_t ListStreamReader::lastItemEnd(std::string_view text) const
{
    if (m_rowDelimiter)
        return endOfLastRow(text, *m_rowDelimiter);
    const std::size_t lastEnd = lastLineEndByte(text);
    return lastEnd == std::string_view::npos ? lastEnd : lastEnd + 1;
}

std::vector<std::string_view> ListStreamReader::itemsOf(std::string_view text)
{
    std::vector<std::string_view> lines = splitLines(text);
    if (!m_rowDelimiter)
        return lines;
    std::vector<std::string_view> rows =
        rowsOfLines(lines, *m_rowDelimiter, m_name, {m_rowsHandedOut, m_linesHandedOut});
    m_rowsHandedOut += rows.size();
    m_linesHandedOut += lines.size();
    return rows;
}

void ListStreamReader::throwRowTooLong() const
{
    // Nothing of the row has been handed out, so it is the one after those that were.
    throw ListFileError(ListFileError::Stage::Read, "Cannot read", m_name,
                        "row " + std::to_string(m_rowsHandedOut + 1) + " (line " + std::to_string(m_linesHandedOut + 1)
                            + ") is longer than the memory limit of " + std::to_string(m_longestRow) + " bytes");
}

ItemList ListStreamReader::nextBatch()
{
    if (m_handedOutAll)
        return {};
    if (!m_started)
        start();
    for (;;) {
        fill();
        dropLineFeedOfPreviousCarriageReturn();
        std::size_t cut = m_textSize;
        if (inputLeft()) {
            const std::string_view text(m_text->data() + m_textStart, m_textSize - m_textStart);
            const std::size_t end = lastItemEnd(text);
            if (end == std::string_view::npos) {
                // One line (row) fills the buffer: it must come whole.
                if (m_rowDelimiter && text.size() > m_longestRow)
                    throwRowTooLong();
                moveTextTo(std::make_unique<ByteBlock>(m_text->size() * 2));
                continue;
            }
            cut = m_textStart + end;
        }
        ItemList batch = cutBatch(cut);
        m_handedOutAll = !inputLeft() && m_textStart == m_textSize;
        if (!batch.isEmpty() || m_handedOutAll)
            return batch;
    }
}

} // namespace Quorvane
