#include "WindowAdapters.h"

#include "ui/Dialogs.h"

#include <QFile>

namespace Quorvane {

namespace {

std::string toLocalPath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

// Message texts may hold a path's bytes; they show as the file manager would show the name.
QString fromLocalText(const std::string &text)
{
    return QFile::decodeName(QByteArray::fromStdString(text));
}

} // namespace

void MessageBoxReporter::report(const ErrorReport &report)
{
    if (m_silenced)
        return;
    Dialogs::messageBox(m_parent, QString::fromStdString(formatErrorReport(report)), BoxStyle::Warning,
                        kErrorReportTitle);
}

std::vector<std::string> WindowDialogs::askOpenFiles(const FileDialogRequest &request)
{
    std::vector<std::string> paths;
    const QStringList chosen = Dialogs::openFileNames(m_parent, QString::fromStdString(request.title),
                                                      QString::fromStdString(request.filter));
    for (const QString &path : chosen)
        paths.push_back(toLocalPath(path));
    return paths;
}

std::string WindowDialogs::askSaveFile(const FileDialogRequest &request)
{
    return toLocalPath(Dialogs::saveFileName(m_parent, QString::fromStdString(request.title),
                                             QString::fromStdString(request.filter)));
}

void WindowDialogs::inform(const std::string &text)
{
    Dialogs::messageBox(m_parent, fromLocalText(text), BoxStyle::Ok);
}

bool WindowDialogs::confirm(const std::string &text)
{
    return Dialogs::messageBox(m_parent, fromLocalText(text), BoxStyle::YesNo) == QMessageBox::Yes;
}

void WindowDialogs::warn(const std::string &text)
{
    Dialogs::messageBox(m_parent, QString::fromStdString(text), BoxStyle::Warning);
}

std::string WindowDialogs::askText(const std::string &prompt)
{
    return Dialogs::inputBox(m_parent, QString::fromStdString(prompt)).toUtf8().toStdString();
}

} // namespace Quorvane
