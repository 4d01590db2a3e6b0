#pragma once

#include "engine/OperationCatalogue.h"

#include <variant>

namespace Quorvane {

// What the window does to a list besides the operations: its buttons' load, save, clear and
// sample, the list views' removal and the Edit menu's cut, copy and paste.
enum class ListCommand { Load, Save, Clear, Sample, RemoveSelected, Cut, Copy, Paste };

// Any command the window runs on a list.
using WindowCommand = std::variant<ListCommand, Operation>;

constexpr bool isOperation(const WindowCommand &command)
{
    return std::holds_alternative<Operation>(command);
}

} // namespace Quorvane
