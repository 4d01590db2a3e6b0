#pragma once

#include <cstdint>
#include <string_view>

namespace Quorvane {

// Where an out-of-core run tells how far it has come, stage by stage; whoever runs it decides
// whether and how to show it.
class StageProgress
{
public:
    virtual ~StageProgress() = default;
    // stage: a few words on what is being done; done of total units of it.
    virtual void show(std::string_view stage, std::uint64_t done, std::uint64_t total) = 0;
};

} // namespace Quorvane
