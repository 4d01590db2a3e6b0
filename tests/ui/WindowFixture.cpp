#include "WindowFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Quorvane {

void WindowFixture::SetUp()
{
    ASSERT_TRUE(m_folder.isValid());
    Dialogs::setScriptedAnswers(&m_answers);
}

void WindowFixture::TearDown()
{
    m_window.reset();
    Dialogs::setScriptedAnswers(nullptr);
}

Form1 &WindowFixture::startWindow()
{
    StartUpEnvironment environment{
        m_folder.path(),
        [this] { return m_random; },
        [this](const QUrl &url) {
            m_openedUrls.push_back(url);
            return m_openerSucceeds;
        },
    };
    m_window = std::make_unique<Form1>(std::move(environment));
    m_window->Form_Load();
    return *m_window;
}

QString WindowFixture::writeFile(const QString &name, const QByteArray &bytes) const
{
    const QString path = m_folder.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

QByteArray WindowFixture::readFile(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

std::vector<Shown> WindowFixture::shownOfKind(ShownKind kind) const
{
    std::vector<Shown> found;
    for (const Shown &shown : m_answers.shown) {
        if (shown.kind == kind)
            found.push_back(shown);
    }
    return found;
}

std::vector<QString> WindowFixture::messagesWith(const QString &title, BoxStyle style) const
{
    std::vector<QString> texts;
    for (const Shown &shown : shownOfKind(ShownKind::MessageBox)) {
        if (shown.title == title && shown.style == style)
            texts.push_back(shown.text);
    }
    return texts;
}

std::vector<QString> WindowFixture::errorReports() const
{
    return messagesWith(kErrorReportTitle, BoxStyle::Warning);
}

void WindowFixture::expectErrorReports(const std::vector<std::vector<QString>> &pieces) const
{
    const std::vector<QString> reports = errorReports();
    ASSERT_EQ(reports.size(), pieces.size());
    for (std::size_t i = 0; i < reports.size(); ++i) {
        for (const QString &piece : pieces[i])
            EXPECT_TRUE(reports[i].contains(piece)) << piece.toStdString() << " not in\n" << reports[i].toStdString();
    }
}

std::vector<QString> WindowFixture::plainMessages() const
{
    return messagesWith(kApplicationTitle, BoxStyle::Ok);
}

} // namespace Quorvane
