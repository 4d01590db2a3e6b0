#pragma once

#include "commands/ListId.h"
#include "commands/OperationCommands.h"
#include "commands/WindowCommand.h"

#include <cstddef>
#include <span>
#include <string>

namespace Quorvane {

// The window's 22 push buttons. Each value is the number in the button's object name
// "PushButtonN" and in its click procedure "PushButtonN_Click", which error reports show.
enum class Button {
    ClearList1 = 1,
    ClearList2 = 2,
    LoadFileToList1 = 3,
    RemoveList1DupesExceptFirst = 4,
    RemoveList2DupesExceptFirst = 5,
    RemoveAllList2Dupes = 6,
    RemoveAllList1Dupes = 7,
    KeepOnlyMatchesInList1 = 8,
    RemoveList2ItemsWithout = 9,
    RemoveList2ItemsWith = 10,
    RemoveBlanksFromList2 = 11,
    RemoveMatchesList1FromList2 = 12,
    SaveList2ToFile = 13,
    LoadFileToList2 = 14,
    KeepOnlyMatchesInList2 = 15,
    RemoveList1ItemsWithout = 16,
    RemoveList1ItemsWith = 17,
    RemoveBlanksFromList1 = 18,
    RemoveMatchesList2FromList1 = 19,
    SaveList1ToFile = 20,
    LoadSampleList2 = 21,
    LoadSampleList1 = 22,
};

// How many buttons there are: the highest button number.
inline constexpr std::size_t kButtonCount = 22;

// A rectangle inside the control's container, in twips.
struct Place
{
    int left;
    int top;
    int width;
    int height;
};

// Everything that makes one button what it is.
struct ButtonDesign
{
    Button button;
    ListId ownList; // the list whose frame holds the button, the only list its command changes
    const char *caption;
    Place place;
    int tabIndex;
    WindowCommand command; // a list command or an operation
    GuardWording wording = GuardWording::LoadIn;
};

// Every button, List 1's frame first, each frame's buttons from top left to bottom.
std::span<const ButtonDesign> buttonDesigns();
const ButtonDesign &designOf(Button button);

int numberOf(Button button);
// "PushButtonN".
std::string objectNameOf(Button button);
// "PushButtonN_Click": the procedure name error reports give for the button's command.
std::string clickProcedureOf(Button button);

// An operation the window offers in each list's menu only: the form keeps its buttons.
struct MenuOperation
{
    Operation operation;
    const char *caption;
};

std::span<const MenuOperation> menuOperations();
// The procedure error reports name for it: "SplitAddressesList1_Click".
std::string menuProcedureOf(const MenuOperation &operation, ListId list);

} // namespace Quorvane
