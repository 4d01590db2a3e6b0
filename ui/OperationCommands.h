#pragma once

#include "engine/ErrorTrap.h"
#include "engine/ItemList.h"
#include "engine/Progress.h"
#include "files/CommandHost.h"

#include <span>

class QWidget;

namespace Quorvane {

// What an operation command reaches besides the two lists.
struct OperationCommandHost
{
    QWidget *dialogParent; // owner of the guard boxes and the input box
    PointerControl &pointer;
    ErrorReporter &reporter;
    ProgressSink &progress;
};

// The numbers of the fourteen operation buttons, List 1's group first, each from top to bottom.
std::span<const int> operationButtons();

// The click of one operation button: checks that the lists it needs hold items, asks for the
// text where the operation needs one, and runs the operation under the hourglass. Error reports
// name the handler "PushButtonN_Click" of Form1.
void runOperationCommand(int button, ItemList &list1, ItemList &list2, const OperationCommandHost &host);

} // namespace Quorvane
