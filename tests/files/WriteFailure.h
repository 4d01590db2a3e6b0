#pragma once

#include "files/ListFile.h"

#include <string>

namespace Quorvane::Testing {

// The message writing list to path throws, or "" when the write succeeds.
inline std::string writeFailure(const ItemList &list, const std::string &path, const WriteOptions &options = {})
{
    try {
        (void)writeListFile(list, path, options);
    } catch (const ListFileError &error) {
        return error.what();
    }
    return {};
}

} // namespace Quorvane::Testing
