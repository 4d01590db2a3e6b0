#include "ui/Form1.h"
#include "ui/MainWindow.h"

#include "Version.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string helpText()
{
    return std::string("Usage: quorvane [--help | --version]\n")
        + "Opens a window that cleans and compares two lists of lines, such as lists of\n"
          "e-mail addresses. The window takes no other arguments; quorvane-cli does the\n"
          "same work from a shell.\n"
          "\n"
          "  --help     show this help and exit\n"
          "  --version  show the version and exit\n"
          "\n"
          "Report bugs at: <" + Quorvane::kHomePageUrl + ">\n"
        + "Quorvane home page: <" + Quorvane::kHomePageUrl + ">\n";
}

// Answered before the application object exists, so that they need no display.
bool printsInsteadOfOpening(int argc, char **argv, std::string &text)
{
    if (argc != 2)
        return false;
    if (std::strcmp(argv[1], "--version") == 0)
        text = std::string("quorvane ") + Quorvane::kVersion + "\n";
    else if (std::strcmp(argv[1], "--help") == 0)
        text = helpText();
    return !text.empty();
}

} // namespace

int main(int argc, char **argv)
{
    std::string text;
    if (printsInsteadOfOpening(argc, argv, text))
        return std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
    QApplication application(argc, argv);
    // Docks match the running window to its desktop entry by this name.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(Quorvane::kAppId));
    Quorvane::MainWindow window(Quorvane::systemStartUpEnvironment());
    window.form().Form_Load();
    window.show();
    return application.exec();
}
