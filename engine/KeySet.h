#pragma once

#include "engine/TextPartitions.h"

#include <absl/container/flat_hash_map.h>
#include <absl/container/flat_hash_set.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace Quorvane {

// Hash tables of keys under the engine's one key hash (hashOf), looked up by views.
struct KeyHash
{
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const { return hashOf(key); }
};

struct KeyEqual
{
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return a == b; }
};

using KeySet = absl::flat_hash_set<std::string, KeyHash, KeyEqual>;
template<typename Value>
using KeyMap = absl::flat_hash_map<std::string, Value, KeyHash, KeyEqual>;

} // namespace Quorvane
