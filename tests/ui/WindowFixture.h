#pragma once

#include "ui/Dialogs.h"
#include "ui/Form1.h"
#include "tests/support/ListTexts.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Quorvane {

// A window started in a temporary program folder with every box answered in advance.
class WindowFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the window and runs start-up; the folder's files must be in place before.
    Form1 &startWindow();

    QString programFolder() const { return m_folder.path(); }
    // Writes bytes to a file under the program folder and returns its whole path.
    QString writeFile(const QString &name, const QByteArray &bytes) const;
    static QByteArray readFile(const QString &path);

    std::vector<Shown> shownOfKind(ShownKind kind) const;
    std::vector<QString> messagesWith(const QString &title, BoxStyle style) const;
    std::vector<QString> errorReports() const;
    // One error report was shown for each entry, in order, saying every piece of its entry.
    void expectErrorReports(const std::vector<std::vector<QString>> &pieces) const;
    std::vector<QString> plainMessages() const;

    ScriptedAnswers m_answers;
    double m_random = 0.5;
    std::vector<QUrl> m_openedUrls;
    bool m_openerSucceeds = true;

private:
    QTemporaryDir m_folder;
    std::unique_ptr<Form1> m_window;
};

using Samples::textsOf;

} // namespace Quorvane
