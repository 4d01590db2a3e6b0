#pragma once

#include <cstddef>
#include <random>
#include <string>

// The bytes of list files, for tests that have a program or a reader read them.
namespace Quorvane::Samples {

// count distinct lines numbered from 0, prefix0suffix, prefix1suffix, ..., each ending in "\n".
std::string numberedLines(std::size_t count, const std::string &prefix, const std::string &suffix = {});

// lineCount lines that stress partitioning: repeats near and far, blanks, case and space
// variants, bytes that are not text, and every kind of line end; the last line may lack its end.
std::string randomListBytes(std::mt19937 &random, std::size_t lineCount);
// A CSV table with a header (Name,Email,Note) and rowCount rows: quoted fields with delimiters,
// doubled quotes and line ends, repeated addresses in several forms, and rows without an address.
std::string randomTableBytes(std::mt19937 &random, std::size_t rowCount);

} // namespace Quorvane::Samples
