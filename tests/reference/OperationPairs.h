#pragma once

#include "engine/Operations.h"

#include <string>
#include <vector>

namespace Quorvane::Reference {

// One of the seven list operations as the engine runs it and as the reference runs it, both
// under one signature: the second list is read by subtract and keep only, the text by the two
// filters only, and remove blanks ignores the mode.
struct OperationPair
{
    const char *name;
    void (*engine)(ItemList &first, const ItemList &second, const std::string &text, const OperationHost &host,
                   const MatchMode &mode);
    void (*reference)(ItemList &first, const ItemList &second, const std::string &text, ProgressSink &progress,
                      const MatchMode &mode);
};

// In the order of a frame's buttons: dupes except first, all dupes, blanks, with, without,
// subtract, keep only matches; then validate, by the rules and by the common rules.
const std::vector<OperationPair> &operationPairs();

const OperationPair &operationPair(const std::string &name);

} // namespace Quorvane::Reference
