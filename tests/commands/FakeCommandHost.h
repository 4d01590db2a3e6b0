#pragma once

#include "commands/CommandHost.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace Quorvane {

// Stands in for the window behind a command: answers its questions from queues, and records
// everything it was asked and shown with the pointer as it was then, every error report and
// every progress value. A question with no answer queued is cancelled; a Yes/No question
// takes Yes.
class FakeCommandHost final : public CommandDialogs,
                              public PointerControl,
                              public ErrorReporter,
                              public ProgressSink
{
public:
    enum class Kind { OpenDialog, SaveDialog, Inform, Confirm, Warn, AskText };

    struct Asked
    {
        Kind kind;
        std::string text; // the message or prompt; a file dialog's title
        std::string filter; // a file dialog's filter
        Pointer pointer; // the pointer while it was shown
    };

    CommandHost host() { return {*this, *this, *this, *this}; }

    std::vector<std::string> askOpenFiles(const FileDialogRequest &request) override;
    std::string askSaveFile(const FileDialogRequest &request) override;
    void inform(const std::string &text) override;
    bool confirm(const std::string &text) override;
    void warn(const std::string &text) override;
    std::string askText(const std::string &prompt) override;

    void setPointer(Pointer pointer) override { m_pointer = pointer; }
    Pointer pointer() const override { return m_pointer; }

    void report(const ErrorReport &report) override { reports.push_back(report); }

    void setProgress(double percent) override { progress.push_back(percent); }
    void yield() override {}

    // The texts of what was asked or shown of one kind, in order.
    std::vector<std::string> textsOf(Kind kind) const;
    // "Form1.PushButton3_Click at line 120" for each report, in order.
    std::vector<std::string> reportLocations() const;

    std::deque<std::vector<std::string>> openFiles;
    std::deque<std::string> saveFiles;
    std::deque<bool> confirmations;
    std::deque<std::string> texts;
    std::function<void(const Asked &)> onAsked; // called as each one is asked

    std::vector<Asked> asked;
    std::vector<ErrorReport> reports;
    std::vector<double> progress;

private:
    void record(Kind kind, const std::string &text, const std::string &filter = {});

    Pointer m_pointer = Pointer::Default;
};

} // namespace Quorvane
