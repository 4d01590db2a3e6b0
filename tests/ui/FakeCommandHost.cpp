#include "FakeCommandHost.h"

namespace Quorvane {

namespace {

template<typename Answer>
Answer nextAnswer(std::deque<Answer> &queue, Answer fallback)
{
    if (queue.empty())
        return fallback;
    Answer answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

} // namespace

void FakeCommandHost::record(Kind kind, const std::string &text, const std::string &filter)
{
    asked.push_back({kind, text, filter, m_pointer});
    if (onAsked)
        onAsked(asked.back());
}

std::vector<std::string> FakeCommandHost::askOpenFiles(const FileDialogRequest &request)
{
    record(Kind::OpenDialog, request.title, request.filter);
    return nextAnswer(openFiles, {});
}

std::string FakeCommandHost::askSaveFile(const FileDialogRequest &request)
{
    record(Kind::SaveDialog, request.title, request.filter);
    return nextAnswer(saveFiles, {});
}

void FakeCommandHost::inform(const std::string &text)
{
    record(Kind::Inform, text);
}

bool FakeCommandHost::confirm(const std::string &text)
{
    record(Kind::Confirm, text);
    return nextAnswer(confirmations, true);
}

void FakeCommandHost::warn(const std::string &text)
{
    record(Kind::Warn, text);
}

std::string FakeCommandHost::askText(const std::string &prompt)
{
    record(Kind::AskText, prompt);
    return nextAnswer(texts, {});
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
