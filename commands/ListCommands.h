#pragma once

#include "engine/ItemList.h"
#include "commands/CommandHost.h"
#include "commands/ListId.h"
#include "files/ListFileReader.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Quorvane {

// Both file dialogs offer text files first, then every file.
inline constexpr std::string_view kListFileFilter = "Text Files (*.txt);;All Files (*)";
inline constexpr std::string_view kLoadDialogTitle = "Load List(s) - Hold Ctrl to select multiple list files";
inline constexpr std::string_view kSaveDialogTitle = "Save";

// Reads the one file at path whole, on a thread of its own while progress shows how much of it is
// in; a missing file is answered with "File not found" and returns nothing. Throws when it exists
// but cannot be read.
std::optional<ListFileContents> readChosenFile(const std::string &path, CommandDialogs &dialogs, ProgressSink &progress);

// A file that was not found, or whose text was not kept byte for byte, is worth a word in the
// status bar: the sentence then never claims the whole choice was loaded.
// "list.csv": a file's name as the window shows it.
std::string shownFileName(const std::string &path);

void noteLoad(CommandOutcome *outcome, const std::string &path, const std::optional<ListFileFormat> &format);

// Appends every line of the one file at path to list; a missing file is answered with
// "File not found" and returns nothing. Returns how the file was written. Throws when it exists
// but cannot be read. The file is read on a thread of its own while progress shows how much of
// it is in and lets the window handle its events.
std::optional<ListFileFormat> LoadFileToList(ItemList &list, const std::string &path, CommandDialogs &dialogs,
                              ProgressSink &progress);

// "Load File To List": asks for one or several files and appends them in the dialog's order.
// procedure names the button's click handler in error reports.
void runLoadCommand(ItemList &list, const std::string &procedure, const CommandHost &host);

// The loading half of "Load File To List", for paths chosen in a dialog or dropped on the list:
// the hourglass, then LoadFileToList for each file in the given order.
void loadChosenFiles(ItemList &list, const std::vector<std::string> &paths, const std::string &procedure,
                     const CommandHost &host);

// "Save List To File": asks for a path, asks before replacing a file, writes the list atomically,
// under the header of its table when it has one.
void runSaveCommand(const ItemList &list, const std::string &procedure, const CommandHost &host,
                    const std::optional<std::string> &header = std::nullopt);

// "Clear List".
void runClearCommand(ItemList &list, const std::string &procedure, const CommandHost &host);

// The three addresses of the sample each list's button loads, in the order they are appended.
const std::array<std::string_view, 3> &sampleAddresses(ListId sample);

// "Load Sample/Example List": appends the sample's three addresses.
void runSampleCommand(ItemList &list, ListId sample, const std::string &procedure, const CommandHost &host);

} // namespace Quorvane
