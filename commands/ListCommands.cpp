#include "ListCommands.h"

#include "files/FileExists.h"
#include "files/ListFile.h"
#include "files/ListFileError.h"
#include "files/ReadableName.h"

#include "engine/Workers.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <exception>
#include <optional>
#include <stdexcept>

#include <sys/stat.h>

namespace Quorvane {

namespace {

constexpr std::string_view kObject = "Form1";

// The error report's line labels of each command's steps.
struct LoadLabels
{
    int showDialog = 108;
    int hourglass = 114;
    int loadTheOneFile = 120;
    int loadEachOfSeveral = 134;
    int defaultPointer = 138;
};
constexpr LoadLabels kLoad;

struct SaveLabels
{
    int showDialog = 108;
    int existenceTest = 114;
    int overwriteQuestion = 116;
    int hourglass = 122;
    int openFile = 124;
    int writeItems = 130;
    int done = 136;
    int defaultPointer = 138;
};
constexpr SaveLabels kSave;

constexpr int kClearLabel = 100;
// One step for each of the sample's three addresses.
constexpr std::array<int, 3> kSampleLabels = {100, 102, 104};

TrappedProcedure trapFor(ErrorReporter &reporter, const std::string &procedure)
{
    return TrappedProcedure(reporter, std::string(kObject), procedure);
}

FileDialogRequest listFileDialog(std::string_view title)
{
    return {std::string(title), std::string(kListFileFilter)};
}

// A save that fails is reported under the step that failed: opening the file or writing it.
int labelOfSaveFailure(const std::exception_ptr &failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const ListFileError &error) {
        return error.stage() == ListFileError::Stage::Open ? kSave.openFile : kSave.writeItems;
    } catch (...) {
        return kSave.writeItems;
    }
}

// Whether a file stands at path. Only a plain "no such file" counts as no; when the system
// cannot tell (no search permission on a folder, an I/O error) this throws, and the save
// asks the overwrite question rather than replace a file the user was never asked about.
bool existsBeforeSaving(const std::string &path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0)
        return true;
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR)
        return false;
    throw std::runtime_error(describeFileFailure("Cannot check", path, std::strerror(error)));
}

// A table's rows are written under its header.
WriteWarnings writeWithHeader(const ItemList &list, const std::optional<std::string> &header, const std::string &path,
                              const WriteOptions &options)
{
    ListFileOutput output(path, options);
    if (header) {
        const std::string_view headerRow[] = {*header};
        output.write(headerRow);
    }
    output.write(list.texts());
    return output.commit();
}

// Share of total that count is, in percent; 0 for an empty total.
double percentOf(const std::atomic<std::uint64_t> &count, std::uint64_t total)
{
    return total == 0 ? 0.0 : static_cast<double>(count.load(std::memory_order_relaxed)) / static_cast<double>(total) * 100.0;
}

} // namespace

std::string shownFileName(const std::string &path)
{
    return readableName(path.substr(path.find_last_of('/') + 1));
}

void noteLoad(CommandOutcome *outcome, const std::string &path, const std::optional<ListFileFormat> &format)
{
    if (!outcome)
        return;
    if (!format)
        outcome->notes.push_back(shownFileName(path) + ": not found");
    else if (format->decodedFromUtf16())
        outcome->notes.push_back(shownFileName(path) + ": decoded from UTF-16 "
                                 + (format->encoding == TextEncoding::Utf16LittleEndian ? "LE" : "BE"));
    else if (format->byteOrderMarkDropped)
        outcome->notes.push_back(shownFileName(path) + ": UTF-8 byte-order mark dropped");
}

std::optional<ListFileContents> readChosenFile(const std::string &path, CommandDialogs &dialogs, ProgressSink &progress)
{
    if (!FileExists(path)) {
        dialogs.inform("File not found");
        return std::nullopt;
    }
    // Read on a thread of its own, so the window goes on painting and the bar shows how much is in.
    struct stat status {};
    const std::uint64_t size = ::stat(path.c_str(), &status) == 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
    std::atomic<std::uint64_t> bytesRead{0};
    std::optional<ListFileContents> contents;
    runAside(progress, [&] {
        // The window must not wait for a pipe's writer nor read a device without end.
        contents.emplace(readListFile(path, Readable::RegularFileOnly, ReadBy::Copying,
                                      [&](std::size_t bytes) { bytesRead.fetch_add(bytes, std::memory_order_relaxed); }));
    }, [&] { return percentOf(bytesRead, size); });
    return contents;
}

std::optional<ListFileFormat> LoadFileToList(ItemList &list, const std::string &path, CommandDialogs &dialogs,
                                             ProgressSink &progress)
{
    std::optional<ListFileContents> contents = readChosenFile(path, dialogs, progress);
    if (!contents)
        return std::nullopt;
    list.appendList(std::move(contents->list));
    return contents->format;
}

void runLoadCommand(ItemList &list, const std::string &procedure, const CommandHost &host)
{
    TrappedProcedure trap = trapFor(host.reporter, procedure);
    std::vector<std::string> paths;
    trap.step(kLoad.showDialog, [&] { paths = host.dialogs.askOpenFiles(listFileDialog(kLoadDialogTitle)); });
    if (paths.empty())
        return;
    loadChosenFiles(list, paths, procedure, host);
}

void loadChosenFiles(ItemList &list, const std::vector<std::string> &paths, const std::string &procedure,
                     const CommandHost &host)
{
    TrappedProcedure trap = trapFor(host.reporter, procedure);
    trap.step(kLoad.hourglass, [&] { host.pointer.setPointer(Pointer::Hourglass); });
    const int loadLabel = paths.size() == 1 ? kLoad.loadTheOneFile : kLoad.loadEachOfSeveral;
    for (const std::string &path : paths)
        trap.step(loadLabel,
                  [&] { noteLoad(host.outcome, path, LoadFileToList(list, path, host.dialogs, host.progress)); });
    trap.step(kLoad.defaultPointer, [&] { host.pointer.setPointer(Pointer::Default); });
}

void runSaveCommand(const ItemList &list, const std::string &procedure, const CommandHost &host,
                    const std::optional<std::string> &header)
{
    TrappedProcedure trap = trapFor(host.reporter, procedure);
    std::string path;
    trap.step(kSave.showDialog, [&] { path = host.dialogs.askSaveFile(listFileDialog(kSaveDialogTitle)); });
    if (path.empty())
        return;
    bool replace = true;
    // A test that fails asks the question too.
    if (trap.test(kSave.existenceTest, [&] { return existsBeforeSaving(path); }, true)) {
        trap.step(kSave.overwriteQuestion,
                  [&] { replace = host.dialogs.confirm("Are you sure you wish to overwrite " + path + " ?"); });
    }
    if (!replace)
        return;
    trap.step(kSave.hourglass, [&] { host.pointer.setPointer(Pointer::Hourglass); });
    std::exception_ptr failure;
    WriteWarnings warnings;
    try {
        // Written on a thread of its own, as a load is read. Nor wait for a pipe's reader: only a
        // regular file is replaced.
        const std::uint64_t size = serialisedSize(list, LineEnd::CarriageReturnLineFeed);
        std::atomic<std::uint64_t> bytesWritten{0};
        WriteOptions options{.writable = Writable::RegularFileOnly};
        options.onWritten = [&](std::size_t bytes) { bytesWritten.fetch_add(bytes, std::memory_order_relaxed); };
        runAside(host.progress, [&] { warnings = writeWithHeader(list, header, path, options); },
                 [&] { return percentOf(bytesWritten, size); });
    } catch (...) {
        failure = std::current_exception();
    }
    // After a failure the old file is untouched: report it once and never claim success.
    if (failure)
        trap.step(labelOfSaveFailure(failure), [&] { std::rethrow_exception(failure); });
    else
        trap.step(kSave.done, [&] {
            // What the new file could not keep of the old one (its owner, say) is never silent:
            // the window's status bar tells it beside "Saved ...", or else a box does.
            for (const std::string &warning : warnings) {
                if (host.outcome)
                    host.outcome->notes.push_back(warning);
                else
                    host.dialogs.warn(warning);
            }
            host.dialogs.inform("Done.");
        });
    if (!failure && host.outcome)
        host.outcome->ran = true;
    trap.step(kSave.defaultPointer, [&] { host.pointer.setPointer(Pointer::Default); });
}

void runClearCommand(ItemList &list, const std::string &procedure, const CommandHost &host)
{
    trapFor(host.reporter, procedure).step(kClearLabel, [&] { list.clear(); });
}

const std::array<std::string_view, 3> &sampleAddresses(ListId sample)
{
    // The two samples share exactly the support address; the first addresses of List 1 and the
    // second of List 2 share their local part but not their domain.
    static constexpr std::array<std::string_view, 3> first = {
        "sample@example.org", kSupportAddress, "helpdesk@example.com"};
    static constexpr std::array<std::string_view, 3> second = {
        kSupportAddress, "sample@example.net", "orders@example.org"};
    return sample == ListId::List1 ? first : second;
}

void runSampleCommand(ItemList &list, ListId sample, const std::string &procedure, const CommandHost &host)
{
    TrappedProcedure trap = trapFor(host.reporter, procedure);
    const auto &addresses = sampleAddresses(sample);
    for (std::size_t i = 0; i < addresses.size(); ++i)
        trap.step(kSampleLabels.at(i), [&] { list.append(addresses[i]); });
}

} // namespace Quorvane
