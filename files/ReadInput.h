#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include <sys/types.h>

namespace Quorvane {

// Told how many more bytes were read, a few megabytes at a time, possibly from two threads at once.
using BytesRead = std::function<void(std::size_t bytes)>;

// Reads until the end or until capacity bytes are in; returns the bytes read.
// Throws ListFileError ("Cannot read ...") naming name.
std::size_t readInto(int descriptor, char *bytes, std::size_t capacity, const std::string &name,
                     const BytesRead &onRead = {});

// As readInto, from the given offset of a file, leaving the descriptor's own offset alone.
std::size_t readIntoAt(int descriptor, char *bytes, std::size_t capacity, off_t offset, const std::string &name,
                       const BytesRead &onRead = {});

// What is left to read of a regular file from the descriptor's offset; 0 for anything else
// (a pipe, a device), whose length cannot be known in advance.
std::size_t remainingFileSize(int descriptor);

} // namespace Quorvane
