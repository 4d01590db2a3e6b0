#include "StartUp.h"

#include "ui/ProgramFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QTime>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <stdexcept>

namespace Quorvane {

namespace {

bool takesSkinBackground(const QWidget &control)
{
    return qobject_cast<const QGroupBox *>(&control) || qobject_cast<const QLabel *>(&control)
        || qobject_cast<const QCheckBox *>(&control) || qobject_cast<const QRadioButton *>(&control);
}

void setBackground(QWidget &widget, const QColor &colour)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

} // namespace

StartUpEnvironment systemStartUpEnvironment()
{
    // Started from the seconds since midnight, so two starts in the same second draw alike.
    const auto secondsSinceMidnight = static_cast<unsigned>(QTime::currentTime().msecsSinceStartOfDay() / 1000);
    auto generator = std::make_shared<std::minstd_rand>(secondsSinceMidnight + 1);
    return {
        QCoreApplication::applicationDirPath(),
        [generator] { return std::generate_canonical<double, 32>(*generator); },
        [](const QUrl &url) { return QDesktopServices::openUrl(url); },
    };
}

QString skinFilePath(const QString &programFolder)
{
    return programFolder + QStringLiteral("/x/o.cjs");
}

QString pointerFilePath(const QString &programFolder)
{
    return programFolder + QStringLiteral("/HAND-M.CUR");
}

void ApplySkin(QWidget &window, const QString &programFolder)
{
    const QString path = skinFilePath(programFolder);
    const QFileInfo skin(path);
    if (!skin.isFile() || skin.isHidden())
        return;
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    setBackground(window, buttonFace);
    for (QWidget *control : window.findChildren<QWidget *>()) {
        if (takesSkinBackground(*control))
            setBackground(*control, buttonFace);
    }
    window.setStyleSheet(checkedStyleSheet(QString::fromUtf8(readProgramFile(path))));
}

void CenterForm(QWidget &window)
{
    const QRect screen = window.screen()->geometry();
    const QSize outer = window.frameGeometry().size();
    const double left = (screen.width() - outer.width()) / 2.0;
    const double top = (screen.height() - outer.height()) / 2.0;
    window.move(screen.x() + static_cast<int>(std::lround(left)), screen.y() + static_cast<int>(std::lround(top)));
}

void OpenHomePageByChance(const StartUpEnvironment &environment)
{
    const int drawn = std::min(100, static_cast<int>(environment.random() * 100) + 1);
    if (drawn != 7)
        return;
    if (!environment.openUrl(kHomePage))
        throw std::runtime_error("Cannot open " + kHomePage.toString().toStdString());
}

QCursor loadPointerImage(const QString &path)
{
    return decodePointer(readProgramFile(path));
}

} // namespace Quorvane
