#include "files/ListFile.h"
#include "files/ListStreamReader.h"
#include "tests/support/ListTexts.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <thread>

#include <unistd.h>

using namespace std::string_literals;

namespace Quorvane {
namespace {

using Samples::textsOf;

struct Read
{
    std::vector<std::string> items;
    ListFileFormat format;
};

bool operator==(const ListFileFormat &a, const ListFileFormat &b)
{
    return a.encoding == b.encoding && a.byteOrderMarkDropped == b.byteOrderMarkDropped
           && a.firstLineEnd == b.firstLineEnd;
}

Read wholeRead(const std::string &bytes)
{
    auto block = std::make_unique<ByteBlock>(bytes.size());
    std::memcpy(block->data(), bytes.data(), bytes.size());
    ListFileContents contents = parseListBytes(std::move(block));
    return {textsOf(contents.list), contents.format};
}

Read streamedRead(ListStreamReader &reader, std::size_t batchBytes)
{
    Read read;
    while (!reader.atEnd()) {
        const ItemList batch = reader.nextBatch();
        EXPECT_TRUE(!batch.isEmpty() || reader.atEnd()) << "an empty batch before the end";
        std::size_t bytes = 0;
        std::size_t longest = 0;
        for (const std::string_view text : batch.texts()) {
            read.items.emplace_back(text);
            bytes += text.size();
            longest = std::max(longest, text.size());
        }
        // A line longer than a batch comes whole, with at most as much again.
        EXPECT_LE(bytes, std::max(batchBytes, 2 * (longest + 16))) << batch.count() << " items";
    }
    EXPECT_TRUE(reader.nextBatch().isEmpty());
    read.format = reader.format();
    return read;
}

// Texts made to cut CR LF pairs, marks and UTF-16 units at every batch boundary.
std::string randomText(std::mt19937 &random)
{
    static const std::string pieces[] = {"a", "b@x.org", "\r", "\n", "\r\n", " ", "\0"s, "\xC3\xA9", "\xFF"};
    std::string text;
    const std::size_t count = random() % 300;
    for (std::size_t i = 0; i < count; ++i)
        text += pieces[random() % std::size(pieces)];
    return text;
}

std::string asUtf16(const std::string &ascii, bool bigEndian)
{
    std::string bytes;
    for (const char c : ascii)
        bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return bytes;
}

std::string randomFile(std::mt19937 &random)
{
    std::string text = randomText(random);
    switch (random() % 6) {
    case 0:
        return "\xEF\xBB\xBF" + text;
    case 1:
        return "\xFF\xFE" + asUtf16(text, false) + (random() % 4 == 0 ? "x" : "");
    case 2:
        return "\xFE\xFF" + asUtf16(text, true);
    case 3:
        return asUtf16(std::string(random() % 200, 'a') + text, random() % 2 == 0);
    default:
        return text;
    }
}

TEST(ListStreamReader, BatchesGiveWhatTheWholeReadGivesForAFile)
{
    std::mt19937 random(8122026);
    Testing::TemporaryFolder folder;
    const std::string path = folder.file("list.txt");
    for (int round = 0; round < 400; ++round) {
        const std::string bytes = randomFile(random);
        Testing::writeBytes(path, bytes);
        const std::size_t batchBytes = 16 + random() % 64;
        ListStreamReader reader(path, Readable::RegularFileOnly, batchBytes);
        const Read streamed = streamedRead(reader, batchBytes);
        const Read whole = wholeRead(bytes);
        ASSERT_EQ(streamed.items, whole.items) << "round " << round << ", batches of " << batchBytes;
        ASSERT_TRUE(streamed.format == whole.format) << "round " << round;
    }
}

// Writes bytes into a pipe from a thread, in pieces of random size.
class PipeWriter
{
public:
    explicit PipeWriter(std::string bytes)
        : m_bytes(std::move(bytes))
    {
        if (pipe(m_ends) != 0)
            throw std::runtime_error("pipe");
        m_thread = std::thread([this] {
            std::minstd_rand random(static_cast<unsigned>(m_bytes.size()));
            for (std::size_t done = 0; done < m_bytes.size();) {
                const std::size_t piece = std::min<std::size_t>(1 + random() % 40, m_bytes.size() - done);
                const ssize_t written = write(m_ends[1], m_bytes.data() + done, piece);
                if (written <= 0)
                    break;
                done += static_cast<std::size_t>(written);
            }
            close(m_ends[1]);
        });
    }
    ~PipeWriter()
    {
        close(m_ends[0]);
        m_thread.join();
    }
    int readEnd() const { return m_ends[0]; }

private:
    std::string m_bytes;
    int m_ends[2] = {-1, -1};
    std::thread m_thread;
};

TEST(ListStreamReader, BatchesFromAPipeGiveWhatTheWholeReadGives)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 200; ++round) {
        const std::string bytes = randomFile(random);
        const Read whole = wholeRead(bytes);
        const std::size_t batchBytes = 16 + random() % 64;
        PipeWriter writer(bytes);
        ListStreamReader reader(writer.readEnd(), "pipe", batchBytes);
        // What starts as UTF-16 and is not cannot be taken back from a pipe: that fails.
        const bool startsAsUtf16 = guessEncoding(bytes).encoding != TextEncoding::Bytes;
        if (startsAsUtf16 && !whole.format.decodedFromUtf16()) {
            EXPECT_THROW(streamedRead(reader, batchBytes), ListFileError) << "round " << round;
            continue;
        }
        const Read streamed = streamedRead(reader, batchBytes);
        ASSERT_EQ(streamed.items, whole.items) << "round " << round;
        ASSERT_TRUE(streamed.format == whole.format) << "round " << round;
    }
}

TEST(ListStreamReader, KeepsMemoryToTheBatchSize)
{
    Testing::TemporaryFolder folder;
    const std::string path = folder.file("big.txt");
    std::string bytes;
    for (int i = 0; i < 100'000; ++i)
        bytes += "address" + std::to_string(i) + "@example.com\r\n";
    Testing::writeBytes(path, bytes);
    constexpr std::size_t kBatchBytes = 64 << 10;
    ListStreamReader reader(path, Readable::AnySource, kBatchBytes);
    std::size_t items = 0;
    while (!reader.atEnd()) {
        const ItemList batch = reader.nextBatch();
        EXPECT_LE(batch.storedBytes(), kBatchBytes);
        items += batch.count();
    }
    EXPECT_EQ(items, 100'000u);
    EXPECT_EQ(reader.format().firstLineEnd, LineEnd::CarriageReturnLineFeed);
}

} // namespace
} // namespace Quorvane
