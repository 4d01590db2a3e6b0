#pragma once

#include "engine/ItemList.h"
#include "files/LineSplitting.h"
#include "files/OpenFile.h"
#include "files/ReadInput.h"
#include "files/TextEncoding.h"

#include <functional>
#include <memory>
#include <string>

namespace Quorvane {

// What a read found out about how the file was written, beside its items.
struct ListFileFormat
{
    TextEncoding encoding = TextEncoding::Bytes; // what was decoded to UTF-8
    bool byteOrderMarkDropped = false;
    LineEnd firstLineEnd = LineEnd::None;

    bool decodedFromUtf16() const { return encoding != TextEncoding::Bytes; }
};

struct ListFileContents
{
    ItemList list;
    ListFileFormat format;
};

// Whether a list file's text is split into its lines, or handed over whole as one item, for a
// run that goes through the lines once and needs no list of them (see cli/LineFilter).
enum class Lines { Split, Whole };

// The items of a list file's bytes: a UTF-8 byte-order mark at the start is dropped; UTF-16
// (with a byte-order mark, or plainly UTF-16 without one) is decoded to UTF-8 when all of it
// decodes cleanly; everything else is kept byte for byte. CR, CR LF and a lone LF each end a
// line; the last line counts with or without a line end; a line end at the very end adds no item.
ListFileContents parseListBytes(std::unique_ptr<ByteBlock> bytes, Lines lines = Lines::Split);

// How the bytes of a regular file reach memory: copied, or mapped (see mapFileBytes), which
// costs neither fresh memory nor a copy but must not outlive a short run.
enum class ReadBy { Copying, Mapping };

// Reads a whole list file in one go; readable says whether only a regular file is taken (see
// openForReading). Throws ListFileError when it cannot be opened or read.
ListFileContents readListFile(const std::string &path, Readable readable, ReadBy by = ReadBy::Copying,
                              const BytesRead &onRead = {});

// Where a regular file's bytes were mapped, told before any of them is read.
using BytesMapped = std::function<void(const char *bytes, std::size_t size)>;

// Reads a list from an open descriptor by mapping what is left of a regular file; anything
// else, or a file that cannot be mapped, is read as readListFromDescriptor reads it.
ListFileContents mapListFromDescriptor(int descriptor, const std::string &displayName, const BytesMapped &mapped = {},
                                       Lines lines = Lines::Split);

// Reads a list from an already open descriptor (standard input) until its end.
// Throws ListFileError when it is a folder or cannot be read.
ListFileContents readListFromDescriptor(int descriptor, const std::string &displayName, const BytesRead &onRead = {},
                                        Lines lines = Lines::Split);

} // namespace Quorvane
