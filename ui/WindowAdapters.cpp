#include "WindowAdapters.h"

#include "ui/Dialogs.h"

#include <QFile>

#include <stdexcept>

namespace Quorvane {

namespace {

std::string toLocalPath(const QString &path)
{
    // The dialogs list a name whose bytes are not valid UTF-8 with U+FFFD in their place: the
    // bytes are lost, and encoding the shown name back could name another file.
    if (path.contains(QChar::ReplacementCharacter)) {
        throw std::runtime_error("Cannot use the file name \"" + path.toStdString()
                                 + "\": it is not valid UTF-8, so the window cannot tell which file it names. "
                                   "Rename the file, or use quorvane-cli, which takes any name.");
    }
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

// A name that cannot be used refuses the whole choice, so the files load either as chosen or not.
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
