#include "Seams.h"

#include <array>
#include <cstddef>

namespace Quorvane {

namespace {

std::array<std::function<void()>, static_cast<std::size_t>(Seam::Count)> g_actions;

} // namespace

void setSeamAction(Seam seam, std::function<void()> action)
{
    g_actions[static_cast<std::size_t>(seam)] = std::move(action);
}

void passSeam(Seam seam)
{
    if (const auto &action = g_actions[static_cast<std::size_t>(seam)])
        action();
}

} // namespace Quorvane
