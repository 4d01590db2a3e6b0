#pragma once

#include <QCursor>
#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

namespace Quorvane {

inline const QUrl kHomePage = QUrl(QStringLiteral("https://www.example.com/quorvane/"));

// What start-up reads from the world, injected so tests control every outcome.
struct StartUpEnvironment
{
    QString programFolder;                    // where the optional skin and pointer files are looked up
    std::function<double()> random;           // a number in [0, 1)
    std::function<bool(const QUrl &)> openUrl; // false when the address could not be handed on
};

// The program's own folder, a generator started from the time of day, and the desktop's browser.
StartUpEnvironment systemStartUpEnvironment();

// The skin file, relative to the program folder.
QString skinFilePath(const QString &programFolder);
// The custom pointer image, relative to the program folder.
QString pointerFilePath(const QString &programFolder);

// When the skin file is a regular file: the window and its frames take the button-face colour,
// then the file is applied to the window as a style sheet (its CSS escapes undone). Throws when
// the file cannot be read, is swapped for something that is not a regular file or is larger
// than 1 MiB, and when an image the style sheet names fails the same checks; the style sheet
// is then not applied.
void ApplySkin(QWidget &window, const QString &programFolder);

// Places the window, frame included, in the middle of its screen.
void CenterForm(QWidget &window);

// On one start in a hundred, hands the home page to the browser. Throws when that fails.
void OpenHomePageByChance(const StartUpEnvironment &environment);

// Reads a cursor (or icon) file as a pointer, with the file's own hot spot where it names one.
// Throws when the file is not a regular file or not a cursor or icon.
QCursor loadPointerImage(const QString &path);

} // namespace Quorvane
