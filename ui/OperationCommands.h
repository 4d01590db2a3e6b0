#pragma once

#include "engine/ItemList.h"
#include "files/CommandHost.h"
#include "ui/Buttons.h"

namespace Quorvane {

// The click of one of the fourteen operation buttons: checks that the lists it needs hold items,
// asks for the text where the operation needs one, and runs the operation under the hourglass.
// Error reports name the button's click procedure in Form1.
void runOperationCommand(const ButtonDesign &button, ItemList &list1, ItemList &list2, const CommandHost &host);

} // namespace Quorvane
