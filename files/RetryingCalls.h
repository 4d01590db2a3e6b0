#pragma once

#include <cstddef>

#include <sys/types.h>

namespace Quorvane {

// The one place where reads and writes are retried, with one policy: a call that a signal
// interrupts (EINTR) is made again, and a short write goes on with the rest. A write that takes
// nothing and reports no error counts as a full device (ENOSPC), so no caller can wait on it
// for ever.

// One read(2), or pread(2) from offset when offset is not negative: the bytes read, 0 at the
// end, or -1 with errno set.
ssize_t readOnce(int descriptor, char *bytes, std::size_t count, off_t offset = -1);

// Writes all size bytes with write(2), or with pwrite(2) from offset when it is not negative.
// Returns 0, or the errno of the failure (also left in errno).
int writeFully(int descriptor, const char *bytes, std::size_t size, off_t offset = -1);

} // namespace Quorvane
