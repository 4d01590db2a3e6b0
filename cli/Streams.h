#pragma once

#include <string_view>

#include <unistd.h>

namespace Quorvane {

// The three standard streams of one run, as descriptors, so that tests can run the tool
// in their own process on files of their own.
struct Streams
{
    int input = STDIN_FILENO;
    int output = STDOUT_FILENO;
    int errors = STDERR_FILENO;
};

// Writes all of text to descriptor; false when the descriptor refused part of it (errno says why).
bool writeAll(int descriptor, std::string_view text);

// Whether descriptor is a pipe or socket whose reading end has gone (| head): the shell's tools
// then end quietly.
bool readerHasGone(int descriptor);

// One line on the error stream, prefixed with the tool's name.
void printProblem(const Streams &streams, std::string_view message);

} // namespace Quorvane
