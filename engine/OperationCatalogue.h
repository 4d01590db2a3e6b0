#pragma once

#include "engine/Operations.h"

#include <span>
#include <string_view>

namespace Quorvane {

// How an operation weighs items against each other, by their keys under the matching mode; the
// same rule whether the lists are in memory or partitioned on disk.
enum class Comparison {
    None,          // decides each item alone, so it can run batch by batch, streaming
    KeepsFirstCopy, // of every key, its first item
    KeepsLastCopy,  // of every key, its last item
    KeepsAbsent,    // the items whose key the second list lacks
    KeepsPresent,   // the items whose key the second list has
    CountsKeys,     // changes nothing: counts the keys, against the second list when there is one
    SplitsByPresence, // changes nothing: parts the items of both lists by whether the other has their key
};

// Which parts of the matching mode an operation heeds.
enum class ModesHeeded {
    All,      // case, surrounding spaces and addresses
    CaseOnly, // a searched text is found with or without regard to case; spaces and addresses are text
    None,     // a blank item is blank under every mode; validate judges the address e-mail matching compares
};

// What one operation works on: the list it changes, the list it compares with, the user's text.
struct OperationCall
{
    ItemList &list;
    const ItemList &other;
    std::string_view text;
    const OperationHost &host;
    const MatchMode &mode;
};

// How the window's status bar tells what a command did. In the sentence {removed} and {added}
// stand for how many items the command took from or gave to its list, each followed by the noun;
// {list} and {other} for the names of its list and the other one; {text} for the user's text in
// quotes; {is} for "is" or "are", agreeing with {removed}.
struct StatusWording
{
    std::string_view sentence;
    std::string_view noun = "item";   // after a count of 1
    std::string_view nouns = "items"; // after any other count
};

// One row per operation: what whoever runs it, shows it or tests it needs to know of it.
struct OperationRow
{
    Operation operation;
    std::string_view commandName; // quorvane-cli's
    std::string_view description; // the help's line
    bool needsOther = false;      // compares the list with a second one
    bool needsText = false;       // looks for the user's text
    Comparison comparison = Comparison::None;
    ModesHeeded modes = ModesHeeded::All;
    bool needsMode = false;     // does nothing under exact matching
    bool rewritesItems = false; // writes each item in another form, so it removes none
    bool judgesAddresses = false; // heeds the common rules of addresses (MatchMode::commonAddresses)
    // Changes the list in place; null for count, which writes figures instead.
    void (*change)(const OperationCall &call) = nullptr;
    // Changes the list by patterns read once from the second list, under the mode's
    // otherIsPatterns; null for the operations that take no patterns.
    void (*changeByPatterns)(ItemList &list, const PatternSet &patterns, const OperationHost &host) = nullptr;
    // The window's status bar after its button ran; no sentence for those without a button.
    StatusWording status = {};

    bool takesPatterns() const { return changeByPatterns != nullptr; }
    // Patterns are matched by each item alone, whatever the comparison without them.
    bool decidesEachItemAlone(const MatchMode &mode) const
    {
        return comparison == Comparison::None || (mode.otherIsPatterns && takesPatterns());
    }
};

std::span<const OperationRow> operationCatalogue();
const OperationRow &operationRow(Operation operation);
// Null when no operation has that name.
const OperationRow *findOperationNamed(std::string_view commandName);

} // namespace Quorvane
