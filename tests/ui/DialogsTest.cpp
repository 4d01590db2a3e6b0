#include "ui/Dialogs.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QIcon>
#include <QMessageBox>
#include <QPixmap>
#include <QInputDialog>
#include <QLabel>
#include <QPointer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <functional>

namespace Quorvane {
namespace {

// Runs answer on the modal window once it is up; the real wrappers then return.
void whenModalShows(std::function<void(QWidget *)> answer)
{
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            poll->deleteLater();
            const QPointer<QWidget> stillThere(modal);
            answer(modal);
            // An answer that failed must not leave the test waiting on an open dialog.
            if (auto *dialog = qobject_cast<QDialog *>(stillThere.data()); dialog && dialog->isVisible())
                dialog->done(QDialog::Rejected);
        }
    });
    poll->start(10);
}

TEST(RealDialogs, ErrorReportIsAWarningBoxWithOkAndReadableLineBreaks)
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    whenModalShows([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        EXPECT_EQ(box->textFormat(), Qt::PlainText) << "a file name is never read as markup";
        box->button(QMessageBox::Ok)->click();
    });
    const auto answer = Dialogs::messageBox(nullptr, "Broken\r\nin here\r\rPlease", BoxStyle::Warning,
                                            kErrorReportTitle);
    EXPECT_EQ(answer, QMessageBox::Ok);
    EXPECT_EQ(title, "Application Error");
    EXPECT_EQ(text, "Broken\nin here\n\nPlease");
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

TEST(RealDialogs, QuestionOffersYesAsDefaultAndNoWithoutIcon)
{
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QString title;
    QMessageBox::Icon icon = QMessageBox::Warning;
    whenModalShows([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        ASSERT_NE(box, nullptr);
        defaultButton = box->standardButton(box->defaultButton());
        title = box->windowTitle();
        icon = box->icon();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(Dialogs::messageBox(nullptr, "Replace?", BoxStyle::YesNo), QMessageBox::No);
    EXPECT_EQ(defaultButton, QMessageBox::Yes);
    EXPECT_EQ(title, "Quorvane ");
    EXPECT_EQ(icon, QMessageBox::NoIcon);
}

TEST(RealDialogs, InputBoxReturnsWhatWasTypedAndNothingOnCancel)
{
    whenModalShows([](QWidget *modal) {
        auto *input = qobject_cast<QInputDialog *>(modal);
        ASSERT_NE(input, nullptr);
        EXPECT_EQ(input->windowTitle(), "Quorvane ");
        EXPECT_EQ(input->labelText(), "Enter string: ");
        EXPECT_EQ(input->findChild<QLabel *>()->textFormat(), Qt::PlainText);
        input->setTextValue("  typed  ");
        input->accept();
    });
    EXPECT_EQ(Dialogs::inputBox(nullptr, "Enter string: "), "  typed  ");
    whenModalShows([](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); });
    EXPECT_EQ(Dialogs::inputBox(nullptr, "Enter string: "), "");
}

TEST(RealDialogs, SaveDialogLeavesTheOverwriteQuestionToTheCommand)
{
    QFileDialog::Options options;
    QStringList filters;
    QString title;
    whenModalShows([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        ASSERT_NE(dialog, nullptr);
        options = dialog->options();
        filters = dialog->nameFilters();
        title = dialog->windowTitle();
        dialog->reject();
    });
    EXPECT_EQ(Dialogs::saveFileName(nullptr, "Save", "Text Files (*.txt);;All Files (*)"), "");
    EXPECT_TRUE(options.testFlag(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(filters, (QStringList{"Text Files (*.txt)", "All Files (*)"}));
    EXPECT_EQ(title, "Save");
}

// The load command says "File not found" itself; Qt's dialog would refuse the name with its own box,
// or, among several typed names, drop it without a word.
TEST(RealDialogs, OpenDialogHandsBackEveryTypedNameOfWhichSomeAreMissing)
{
    QTemporaryDir folder;
    for (const char *name : {"a.txt", "b.txt"}) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString missing = folder.filePath("typed-but-missing.txt");
    const struct
    {
        QString typed;
        QStringList chosen;
    } cases[] = {
        {missing, {missing}},
        {R"("a.txt" "missing.txt" "b.txt")",
         {folder.filePath("a.txt"), folder.filePath("missing.txt"), folder.filePath("b.txt")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        whenModalShows([&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
            dialog->setDirectory(folder.path());
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            // Typed as a user types, in the focused name field: the dialog leaves it as typed.
            QApplication::setActiveWindow(dialog);
            ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
            name->setFocus();
            ASSERT_TRUE(name->hasFocus());
            name->setText(c.typed);
            QTest::keyClick(name, Qt::Key_Return);
        });
        const QString newline = QStringLiteral("\n");
        EXPECT_EQ(Dialogs::openFileNames(nullptr, "Load", "All Files (*)").join(newline).toStdString(),
                  c.chosen.join(newline).toStdString());
    }
}

TEST(RealDialogs, BoxesAndDialogsUseTheWindowsFont)
{
    QWidget window;
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(12);
    font.setBold(true);
    window.setFont(font);
    QWidget child(&window);
    const std::vector<std::function<void()>> opens = {
        [&] { Dialogs::messageBox(&child, "Done.", BoxStyle::Ok); },
        [&] { Dialogs::inputBox(&child, "Enter string: "); },
        [&] { Dialogs::openFileNames(&child, "Load", "All Files (*)"); },
        [&] { Dialogs::saveFileName(&child, "Save", "All Files (*)"); },
    };
    for (std::size_t i = 0; i < opens.size(); ++i) {
        SCOPED_TRACE(i);
        QFont shown;
        whenModalShows([&](QWidget *modal) {
            shown = modal->font();
            qobject_cast<QDialog *>(modal)->reject();
        });
        opens[i]();
        EXPECT_EQ(shown, font);
    }
}

// A cell that looks like markup shows as typed; the About box carries the icon.
TEST(RealDialogs, TableAndAboutBoxesShowTheirCellsAsTypedAndTheIcon)
{
    QMessageBox *table = nullptr;
    QString shown;
    whenModalShows([&](QWidget *modal) {
        table = qobject_cast<QMessageBox *>(modal);
        ASSERT_NE(table, nullptr);
        QTextDocument document;
        document.setHtml(table->text());
        shown = document.toPlainText();
        table->accept();
    });
    Dialogs::tableBox(nullptr, "Keys", {"Keys", "Command"}, {{"Ctrl+<", "a <b>&</b> b"}, {"In a list", ""}});
    EXPECT_TRUE(shown.contains("Ctrl+<")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("a <b>&</b> b"));
    EXPECT_TRUE(shown.contains("In a list"));

    QPixmap icon(32, 32);
    icon.fill(Qt::red);
    bool hasIcon = false;
    whenModalShows([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        ASSERT_NE(box, nullptr);
        hasIcon = !box->iconPixmap().isNull();
        box->accept();
    });
    Dialogs::aboutBox(nullptr, "About", "Version 1", QIcon(icon));
    EXPECT_TRUE(hasIcon);
}

// On the form's font, the file dialogs open wide enough that the name, size, type and date
// columns all fit, each under its whole title.
TEST(RealDialogs, FileDialogsShowEveryColumnWhole)
{
    QWidget window;
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(12);
    font.setBold(true);
    window.setFont(font);
    const std::vector<std::function<void()>> opens = {
        [&] { Dialogs::openFileNames(&window, "Load", "All Files (*)"); },
        [&] { Dialogs::saveFileName(&window, "Save", "All Files (*)"); },
    };
    for (std::size_t i = 0; i < opens.size(); ++i) {
        SCOPED_TRACE(i);
        int columnsWidth = 0;
        int viewWidth = -1;
        whenModalShows([&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            ASSERT_NE(dialog, nullptr);
            dialog->setViewMode(QFileDialog::Detail);
            QApplication::processEvents();
            const auto *view = dialog->findChild<QTreeView *>(QStringLiteral("treeView"));
            ASSERT_NE(view, nullptr);
            columnsWidth = view->header()->length();
            viewWidth = view->viewport()->width();
            for (int column = 0; column < view->header()->count(); ++column)
                EXPECT_GE(view->header()->sectionSize(column), view->header()->sectionSizeHint(column)) << column;
            dialog->reject();
        });
        opens[i]();
        EXPECT_LE(columnsWidth, viewWidth);
    }
}

} // namespace
} // namespace Quorvane
