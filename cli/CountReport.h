#pragma once

#include "engine/Counting.h"

#include <string>

namespace Quorvane {

// What count prints: one figure a line for people, or with json one object on one line.
// The figures against the other list appear only when there was one.
std::string countReport(const ListCounts &counts, bool againstOther, bool json);

} // namespace Quorvane
