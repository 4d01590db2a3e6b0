#include "RunMessages.h"

#include "engine/AddressVerdict.h"
#include "files/ListFileError.h"
#include "files/ReadableName.h"

#include <algorithm>

namespace Quorvane {

namespace {

std::string itemCount(std::uint64_t count)
{
    return std::to_string(count) + (count == 1 ? " item" : " items");
}

std::string quoted(const std::string &name)
{
    return '"' + readableName(name) + '"';
}

// A temporary file or a standard stream keeps the sentence that says what it is.
bool namedOnCommandLine(const Invocation &invocation, const std::string &name)
{
    const auto among = [&name](const std::vector<std::string> &names) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    const std::vector<Invocation::NamedOutput> outputs = invocation.namedOutputs();
    return !name.empty() && name != kStandardStream
        && (among(invocation.files) || among(invocation.others)
            || std::any_of(outputs.begin(), outputs.end(),
                           [&name](const Invocation::NamedOutput &output) { return output.name == name; }));
}

} // namespace

void printSummary(const Invocation &invocation, const Streams &streams, std::uint64_t itemsIn,
                  std::uint64_t itemsOut, std::uint64_t severalAddresses)
{
    if (invocation.quiet)
        return;
    std::string summary = itemCount(itemsIn) + " in, " + itemCount(itemsOut) + " out";
    if (severalAddresses > 0) {
        summary += ", " + std::to_string(severalAddresses)
            + (severalAddresses == 1 ? " line with several addresses" : " lines with several addresses");
    }
    writeAll(streams.errors, summary + "\n");
}

void printRefusals(const Invocation &invocation, const Streams &streams, const RefusalCounts &refusals)
{
    if (!invocation.quiet && refusals.total() > 0)
        writeAll(streams.errors, itemCount(refusals.total()) + " removed: " + refusals.described() + "\n");
}

void printOverlapCounts(const Invocation &invocation, const Streams &streams, const OverlapCounts &counts)
{
    if (!invocation.quiet)
        writeAll(streams.errors, itemCount(counts.onlyInFirst) + " only in the list, " + std::to_string(counts.inBoth)
                                     + " in both, " + std::to_string(counts.onlyInSecond) + " only in the other\n");
}

void printDecodedFromUtf16(const Invocation &invocation, const Streams &streams, const std::string &name)
{
    if (!invocation.quiet)
        printProblem(streams, name + " was decoded from UTF-16");
}

std::string shownInputName(const std::string &name)
{
    return name == kStandardStream ? "standard input" : quoted(name);
}

std::string failureMessage(const Invocation &invocation, const std::exception &error)
{
    const auto *fileError = dynamic_cast<const ListFileError *>(&error);
    if (!fileError || !namedOnCommandLine(invocation, fileError->fileName()))
        return error.what();
    return readableName(fileError->fileName()) + ": " + fileError->reason();
}

} // namespace Quorvane
