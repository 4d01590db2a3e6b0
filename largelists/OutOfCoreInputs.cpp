#include "OutOfCoreInputs.h"

#include "InputBatches.h"

#include <sys/stat.h>

namespace Quorvane {

std::optional<RowReading> rowReadingOf(const OutOfCoreInputs &inputs, bool ofOthers)
{
    if (!inputs.rows)
        return std::nullopt;
    return RowReading{ofOthers ? inputs.mode.otherField : inputs.mode.field, inputs.headerRows, inputs.memoryLimit};
}

std::uint64_t inputBytes(const OutOfCoreInputs &inputs)
{
    std::uint64_t total = 0;
    for (const auto *paths : {&inputs.files, &inputs.others}) {
        for (const std::string &path : *paths) {
            struct stat status {};
            if (::fstat(openListInput(path, inputs.spills).get(), &status) == 0)
                total += static_cast<std::uint64_t>(status.st_size);
        }
    }
    return total;
}

} // namespace Quorvane
