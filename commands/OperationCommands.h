#pragma once

#include "commands/CommandHost.h"
#include "commands/ListId.h"
#include "engine/ItemList.h"
#include "engine/OperationCatalogue.h"

#include <string>

namespace Quorvane {

// "Remove Matches (List 2 From List 1)" words its empty-list guards without "in".
enum class GuardWording { LoadIn, Load };

// What one operation button runs: the operation, on its own list, with its guards' wording.
struct OperationCommand
{
    Operation operation;
    ListId ownList;
    GuardWording wording = GuardWording::LoadIn;
};

// The click of one of the fourteen operation buttons: checks that the lists it needs hold items,
// asks for the text where the operation needs one, and runs the operation under the hourglass.
// procedure names the button's click handler in error reports.
void runOperationCommand(const OperationCommand &command, ItemList &list1, ItemList &list2,
                         const std::string &procedure, const CommandHost &host);

} // namespace Quorvane
