#pragma once

#include "commands/OperationCommands.h"

#include <string>
#include <vector>

namespace Quorvane::Testing {

using Items = std::vector<std::string>;

// The lists every case starts from.
inline const Items kCaseList1 = {"a@x", "", "b@y", "a@x", "c@x", "b@y", " "};
inline const Items kCaseList2 = {"b@y", "", "d@z", "b@y"};

// What each operation button's command does to those lists, for the command on its own and
// for the window's button.
struct OperationCase
{
    int button; // the number of the window's button that runs it
    OperationCommand command;
    std::string answer; // for the commands that ask for a text
    Items ownAfter;
    std::string ownGuard;
    std::string otherGuard; // empty for commands on one list
};

inline const std::vector<OperationCase> kOperationCases = {
    {17, {Operation::RemoveWith, ListId::List1}, "@x", {"", "b@y", "b@y", " "}, "You forgot to load in List 1.", {}},
    {16, {Operation::RemoveWithout, ListId::List1}, "@x", {"a@x", "a@x", "c@x"}, "You forgot to load in List 1.", {}},
    {18, {Operation::RemoveBlanks, ListId::List1}, {}, {"a@x", "b@y", "a@x", "c@x", "b@y", " "},
     "You forgot to load in List 1.", {}},
    {19, {Operation::Subtract, ListId::List1, GuardWording::Load}, {}, {"a@x", "a@x", "c@x", " "},
     "You forgot to load List 1.", "You forgot to load List 2."},
    {15, {Operation::KeepMatches, ListId::List1}, {}, {"", "b@y", "b@y"}, "You forgot to load in List 1.",
     "You forgot to load in List 2."},
    {4, {Operation::DedupeFirst, ListId::List1}, {}, {"a@x", "", "b@y", "c@x", " "}, "You forgot to load in List 1.", {}},
    {7, {Operation::DedupeLast, ListId::List1}, {}, {"", "a@x", "c@x", "b@y", " "}, "You forgot to load in List 1.", {}},
    {10, {Operation::RemoveWith, ListId::List2}, "@z", {"b@y", "", "b@y"}, "You forgot to load in List 2.", {}},
    {9, {Operation::RemoveWithout, ListId::List2}, "@z", {"d@z"}, "You forgot to load in List 2.", {}},
    {11, {Operation::RemoveBlanks, ListId::List2}, {}, {"b@y", "d@z", "b@y"}, "You forgot to load in List 2.", {}},
    {12, {Operation::Subtract, ListId::List2}, {}, {"d@z"}, "You forgot to load in List 2.",
     "You forgot to load in List 1."},
    {8, {Operation::KeepMatches, ListId::List2}, {}, {"b@y", "", "b@y"}, "You forgot to load in List 2.",
     "You forgot to load in List 1."},
    {5, {Operation::DedupeFirst, ListId::List2}, {}, {"b@y", "", "d@z"}, "You forgot to load in List 2.", {}},
    {6, {Operation::DedupeLast, ListId::List2}, {}, {"", "d@z", "b@y"}, "You forgot to load in List 2.", {}},
};

} // namespace Quorvane::Testing
