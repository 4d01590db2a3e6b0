#pragma once

#include "engine/ErrorTrap.h"
#include "commands/CommandHost.h"

class QWidget;

namespace Quorvane {

// The error report as a warning box titled "Application Error".
class MessageBoxReporter final : public ErrorReporter
{
public:
    explicit MessageBoxReporter(QWidget *parent)
        : m_parent(parent)
    {}
    void report(const ErrorReport &report) override;
    // Once the window is closed, work still finishing shows no box over a window that is gone.
    void silence() { m_silenced = true; }

private:
    QWidget *m_parent;
    bool m_silenced = false;
};

// The commands' boxes and questions, asked through the window's dialog wrappers.
class WindowDialogs final : public CommandDialogs
{
public:
    explicit WindowDialogs(QWidget *parent)
        : m_parent(parent)
    {}
    std::vector<std::string> askOpenFiles(const FileDialogRequest &request) override;
    std::string askSaveFile(const FileDialogRequest &request) override;
    void inform(const std::string &text) override;
    bool confirm(const std::string &text) override;
    void warn(const std::string &text) override;
    std::string askText(const std::string &prompt) override;

private:
    QWidget *m_parent;
};

} // namespace Quorvane
