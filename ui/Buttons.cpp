#include "Buttons.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace Quorvane {

namespace {

constexpr int kLeft = 180;
constexpr int kRight = 3420;
constexpr int kHalf = 3100;
constexpr int kWhole = 6360;
constexpr int kHeight = 405;

constexpr Place half(int left, int top)
{
    return {left, top, kHalf, kHeight};
}

constexpr Place whole(int top)
{
    return {kLeft, top, kWhole, kHeight};
}

constexpr ListId L1 = ListId::List1;
constexpr ListId L2 = ListId::List2;

constexpr ButtonDesign kButtons[] = {
    {Button::LoadFileToList1, L1, "Load File To List", half(kLeft, 2440), 4, ListCommand::Load},
    {Button::SaveList1ToFile, L1, "Save List To File", half(kRight, 2440), 5, ListCommand::Save},
    {Button::ClearList1, L1, "Clear List", half(kLeft, 2950), 6, ListCommand::Clear},
    {Button::LoadSampleList1, L1, "Load Sample/Example List", half(kRight, 2950), 26, ListCommand::Sample},
    {Button::RemoveList1ItemsWith, L1, "Remove List 1 Items With...", whole(3460), 7, Operation::RemoveWith},
    {Button::RemoveList1ItemsWithout, L1, "Remove List 1 Items Without...", whole(3970), 8,
     Operation::RemoveWithout},
    {Button::RemoveBlanksFromList1, L1, "Remove Blanks From List 1", whole(4480), 9, Operation::RemoveBlanks},
    {Button::RemoveMatchesList2FromList1, L1, "Remove Matches (List 2 From List 1)", whole(4990), 10,
     Operation::Subtract, GuardWording::Load},
    {Button::KeepOnlyMatchesInList2, L1, "Keep Only Matches in List 2", whole(5500), 11, Operation::KeepMatches},
    {Button::RemoveList1DupesExceptFirst, L1, "Remove List 1 Dupes Except First", whole(6010), 12,
     Operation::DedupeFirst},
    {Button::RemoveAllList1Dupes, L1, "Remove All List 1 Dupes", whole(6520), 13, Operation::DedupeLast},

    {Button::LoadFileToList2, L2, "Load File To List", half(kLeft, 2440), 14, ListCommand::Load},
    {Button::SaveList2ToFile, L2, "Save List To File", half(kRight, 2440), 15, ListCommand::Save},
    {Button::ClearList2, L2, "Clear List", half(kLeft, 2950), 16, ListCommand::Clear},
    {Button::LoadSampleList2, L2, "Load Sample/Example List", half(kRight, 2950), 25, ListCommand::Sample},
    {Button::RemoveList2ItemsWith, L2, "Remove List 2 Items With...", whole(3460), 17, Operation::RemoveWith},
    {Button::RemoveList2ItemsWithout, L2, "Remove List 2 Items Without...", whole(3970), 18,
     Operation::RemoveWithout},
    {Button::RemoveBlanksFromList2, L2, "Remove Blanks From List 2", whole(4480), 19, Operation::RemoveBlanks},
    {Button::RemoveMatchesList1FromList2, L2, "Remove Matches (List 1 From List 2)", whole(4990), 20,
     Operation::Subtract},
    {Button::KeepOnlyMatchesInList1, L2, "Keep Only Matches in List 1", whole(5500), 21, Operation::KeepMatches},
    {Button::RemoveList2DupesExceptFirst, L2, "Remove List 2 Dupes Except First", whole(6010), 22,
     Operation::DedupeFirst},
    {Button::RemoveAllList2Dupes, L2, "Remove All List 2 Dupes", whole(6520), 23, Operation::DedupeLast},
};
static_assert(std::size(kButtons) == kButtonCount);

constexpr MenuOperation kMenuOperations[] = {
    {Operation::Validate, "Remove Invalid Addresses"},
    {Operation::SplitAddresses, "Split Addresses"},
};

} // namespace

std::span<const ButtonDesign> buttonDesigns()
{
    return kButtons;
}

std::span<const MenuOperation> menuOperations()
{
    return kMenuOperations;
}

std::string menuProcedureOf(const MenuOperation &operation, ListId list)
{
    std::string name = operation.caption;
    std::erase(name, ' ');
    return name + "List" + std::to_string(listNumber(list)) + "_Click";
}

const ButtonDesign &designOf(Button button)
{
    const auto *found = std::find_if(std::begin(kButtons), std::end(kButtons),
                                     [button](const ButtonDesign &design) { return design.button == button; });
    if (found == std::end(kButtons))
        throw std::invalid_argument("no button number " + std::to_string(numberOf(button)));
    return *found;
}

int numberOf(Button button)
{
    return static_cast<int>(button);
}

std::string objectNameOf(Button button)
{
    return "PushButton" + std::to_string(numberOf(button));
}

std::string clickProcedureOf(Button button)
{
    return objectNameOf(button) + "_Click";
}

} // namespace Quorvane
