#pragma once

#include "engine/ItemList.h"

#include <cstddef>
#include <memory>

namespace Quorvane {

// The first size bytes of a regular file, mapped into memory read-only instead of read: the
// texts stay in the page cache, so no fresh memory is filled and nothing is copied. Nothing when
// the file cannot be mapped. While mapped, another program that cuts the file short makes
// reading the lost part raise SIGBUS: only a run that ends soon and catches it (the batch tool)
// maps its inputs.
std::unique_ptr<ByteBlock> mapFileBytes(int descriptor, std::size_t size);

} // namespace Quorvane
