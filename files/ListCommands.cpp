#include "ListCommands.h"

#include "files/FileExists.h"
#include "files/ListFile.h"

#include <exception>

namespace Quorvane {

namespace {

constexpr std::string_view kObject = "Form1";

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
        return error.stage() == ListFileError::Stage::Open ? 124 : 130;
    } catch (...) {
        return 130;
    }
}

} // namespace

void LoadFileToList(ItemList &list, const std::string &path, CommandDialogs &dialogs)
{
    if (!FileExists(path)) {
        dialogs.inform("File not found");
        return;
    }
    // The window must not wait for a pipe's writer nor read a device without end.
    list.appendList(readListFile(path, Readable::RegularFileOnly));
}

void runLoadCommand(ItemList &list, const std::string &procedure, const CommandHost &host)
{
    TrappedProcedure trap = trapFor(host.reporter, procedure);
    std::vector<std::string> paths;
    trap.step(108, [&] { paths = host.dialogs.askOpenFiles(listFileDialog(kLoadDialogTitle)); });
    if (paths.empty())
        return;
    loadFilesToList(list, paths, procedure, host);
}

void loadFilesToList(ItemList &list, const std::vector<std::string> &paths, const std::string &procedure,
                     const CommandHost &host)
{
    TrappedProcedure trap = trapFor(host.reporter, procedure);
    trap.step(114, [&] { host.pointer.setPointer(Pointer::Hourglass); });
    const int loadLabel = paths.size() == 1 ? 120 : 134;
    for (const std::string &path : paths)
        trap.step(loadLabel, [&] { LoadFileToList(list, path, host.dialogs); });
    trap.step(138, [&] { host.pointer.setPointer(Pointer::Default); });
}

void runSaveCommand(const ItemList &list, const std::string &procedure, const CommandHost &host)
{
    TrappedProcedure trap = trapFor(host.reporter, procedure);
    std::string path;
    trap.step(108, [&] { path = host.dialogs.askSaveFile(listFileDialog(kSaveDialogTitle)); });
    if (path.empty())
        return;
    bool replace = true;
    if (trap.test(114, [&] { return FileExists(path); }, false))
        trap.step(116, [&] { replace = host.dialogs.confirm("Are you sure you wish to overwrite " + path + " ?"); });
    if (!replace)
        return;
    trap.step(122, [&] { host.pointer.setPointer(Pointer::Hourglass); });
    std::exception_ptr failure;
    try {
        // Nor wait for a pipe's reader.
        refusePipeOrDevice(path, "Cannot write");
        writeListFile(list, path);
    } catch (...) {
        failure = std::current_exception();
    }
    // After a failure the old file is untouched: report it once and never claim success.
    if (failure)
        trap.step(labelOfSaveFailure(failure), [&] { std::rethrow_exception(failure); });
    else
        trap.step(136, [&] { host.dialogs.inform("Done."); });
    trap.step(138, [&] { host.pointer.setPointer(Pointer::Default); });
}

void runClearCommand(ItemList &list, const std::string &procedure, const CommandHost &host)
{
    trapFor(host.reporter, procedure).step(100, [&] { list.clear(); });
}

const std::array<std::string_view, 3> &sampleAddresses(SampleList sample)
{
    // The two samples share exactly the support address; the first addresses of List 1 and the
    // second of List 2 share their local part but not their domain.
    static constexpr std::array<std::string_view, 3> first = {
        "sample@example.org", kSupportAddress, "helpdesk@example.com"};
    static constexpr std::array<std::string_view, 3> second = {
        kSupportAddress, "sample@example.net", "orders@example.org"};
    return sample == SampleList::First ? first : second;
}

void runSampleCommand(ItemList &list, SampleList sample, const std::string &procedure, const CommandHost &host)
{
    TrappedProcedure trap = trapFor(host.reporter, procedure);
    int label = 100;
    for (std::string_view address : sampleAddresses(sample)) {
        trap.step(label, [&] { list.append(address); });
        label += 2;
    }
}

} // namespace Quorvane
