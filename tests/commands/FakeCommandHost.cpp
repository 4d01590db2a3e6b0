#include "FakeCommandHost.h"

namespace Quorvane {

void FakeCommandHost::record(Kind kind, const std::string &text, const std::string &filter)
{
    asked.push_back({kind, text, filter, m_pointer});
    if (onAsked)
        onAsked(asked.back());
}

std::vector<std::string> FakeCommandHost::askOpenFiles(const FileDialogRequest &request)
{
    record(Kind::OpenDialog, request.title, request.filter);
    return takeAnswer(openFiles, {});
}

std::string FakeCommandHost::askSaveFile(const FileDialogRequest &request)
{
    record(Kind::SaveDialog, request.title, request.filter);
    return takeAnswer(saveFiles, {});
}

void FakeCommandHost::inform(const std::string &text)
{
    record(Kind::Inform, text);
}

bool FakeCommandHost::confirm(const std::string &text)
{
    record(Kind::Confirm, text);
    return takeAnswer(confirmations, true);
}

void FakeCommandHost::warn(const std::string &text)
{
    record(Kind::Warn, text);
}

std::string FakeCommandHost::askText(const std::string &prompt)
{
    record(Kind::AskText, prompt);
    return takeAnswer(texts, {});
}

std::vector<std::string> FakeCommandHost::textsOf(Kind kind) const
{
    std::vector<std::string> found;
    for (const Asked &one : asked) {
        if (one.kind == kind)
            found.push_back(one.text);
    }
    return found;
}

std::vector<std::string> FakeCommandHost::reportLocations() const
{
    std::vector<std::string> locations;
    for (const ErrorReport &report : reports)
        locations.push_back(report.object + "." + report.procedure + " at line " + std::to_string(report.label));
    return locations;
}

} // namespace Quorvane
