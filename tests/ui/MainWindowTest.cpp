#include "Version.h"
#include "ui/Dialogs.h"
#include "ui/ElidedLabel.h"
#include "ui/Form1.h"
#include "ui/ListView.h"
#include "ui/MainWindow.h"
#include "ui/OverlapPanel.h"

#include "tests/support/ListTexts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>

namespace Quorvane {
namespace {

using Samples::textsOf;
using Texts = std::vector<std::string>;

// What a label with that format shows of text: markup is drawn, not shown.
QString shownText(const QString &text, Qt::TextFormat format)
{
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text)))
        return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Dialogs::setScriptedAnswers(&m_answers);
        // The hand pointer lies beside the program, as installed.
        ASSERT_TRUE(QFile::copy(QStringLiteral(QUORVANE_ASSETS_DIR "/HAND-M.CUR"), m_folder.filePath("HAND-M.CUR")));
        m_window = std::make_unique<MainWindow>(
            StartUpEnvironment{m_folder.path(), [] { return 0.5; }, [](const QUrl &) { return false; }});
        form().Form_Load();
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    }
    void TearDown() override
    {
        m_window.reset();
        Dialogs::setScriptedAnswers(nullptr);
    }

    Form1 &form() { return m_window->form(); }
    void click(Button button) { form().pushButton(button)->click(); }
    void keys(const QKeySequence &sequence)
    {
        QTest::keySequence(QApplication::focusWidget() ? QApplication::focusWidget() : m_window.get(), sequence);
    }
    void focusList(ListId list)
    {
        form().listView(list)->setFocus();
        QApplication::processEvents();
    }
    QString sentence() const
    {
        return shownText(m_window->sentenceLabel()->text(), m_window->sentenceLabel()->textFormat());
    }
    QStringList menuTitles() const
    {
        QStringList titles;
        for (const QAction *menu : m_window->menuBar()->actions())
            titles << menu->text();
        return titles;
    }
    // The rows of the box shown last, as its two cells.
    std::vector<QStringList> shownRows() const
    {
        std::vector<QStringList> rows;
        for (const QString &line : m_answers.shown.back().text.split('\n', Qt::SkipEmptyParts))
            rows.push_back(line.split('\t'));
        return rows;
    }
    QMenu *menuTitled(const QString &title) const
    {
        for (const QAction *menu : m_window->menuBar()->actions()) {
            if (menu->text() == title)
                return menu->menu();
        }
        return nullptr;
    }
    // The menu's commands: what a screen reader says of each, its mnemonic and the action.
    struct Entry
    {
        QString caption;
        QKeySequence mnemonic;
        QAction *action;
    };
    static std::vector<Entry> entriesOf(const QWidget &menu)
    {
        std::vector<Entry> entries;
        for (QAction *action : menu.actions()) {
            if (!action->isSeparator())
                entries.push_back({QString(action->text()).remove('&'), QKeySequence::mnemonic(action->text()), action});
        }
        return entries;
    }

    ScriptedAnswers m_answers;
    QTemporaryDir m_folder;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(MainWindowTest, TheFormKeepsItsSizeBetweenTheMenuBarAndTheStatusBar)
{
    EXPECT_EQ(form().size(), QSize(920, 525));
    EXPECT_EQ(form().geometry().top(), m_window->menuBar()->geometry().bottom() + 1);
    EXPECT_GE(m_window->statusBar()->geometry().top(), form().geometry().bottom());
    EXPECT_EQ(m_window->minimumSize(), m_window->maximumSize()) << "the window cannot be resized";
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Quorvane Software"));
    EXPECT_FALSE(m_window->windowIcon().isNull());
    EXPECT_EQ(menuTitles(), (QStringList{"&File", "&Edit", "List &1", "List &2", "&Matching", "&View", "&Help"}));
    EXPECT_EQ(form().listView(ListId::List1)->accessibleName(), QStringLiteral("List 1"));
    EXPECT_EQ(form().listView(ListId::List2)->accessibleName(), QStringLiteral("List 2"));
}

TEST_F(MainWindowTest, EveryChangeCanBeUndoneAndRedoneFromTheKeyboard)
{
    const QLocale locale = m_window->locale();
    click(Button::LoadSampleList1);
    click(Button::LoadSampleList1);
    const Texts twice = textsOf(form().list1());
    EXPECT_EQ(m_window->undoAction()->text(), QStringLiteral("&Undo Load Sample/Example List (List 1)"));
    click(Button::RemoveList1DupesExceptFirst);
    EXPECT_EQ(form().list1().count(), 3u);
    EXPECT_EQ(sentence(), QStringLiteral("Removed 3 repeats from List 1, first copies kept"));
    EXPECT_EQ(m_window->countsLabel()->text(), listCountsText(3, 0, locale));
    EXPECT_EQ(m_window->undoAction()->text(), QStringLiteral("&Undo Remove List 1 Dupes Except First"));

    focusList(ListId::List1);
    keys(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(textsOf(form().list1()), twice);
    EXPECT_EQ(sentence(), QStringLiteral("Undid Remove List 1 Dupes Except First: 3 items back in List 1"));
    EXPECT_EQ(m_window->countsLabel()->text(), listCountsText(6, 0, locale));
    keys(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    EXPECT_EQ(form().list1().count(), 3u);
    keys(QKeySequence(Qt::CTRL | Qt::Key_Z));
    keys(QKeySequence(Qt::CTRL | Qt::Key_Y));
    EXPECT_EQ(form().list1().count(), 3u);

    click(Button::ClearList1);
    EXPECT_TRUE(form().list1().isEmpty());
    keys(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(form().list1().count(), 3u);
    for (int i = 0; i < 3; ++i)
        keys(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_TRUE(form().list1().isEmpty());
    EXPECT_FALSE(m_window->undoAction()->isEnabled());
    EXPECT_TRUE(m_answers.shown.empty()) << "undo shows no box";
}

TEST_F(MainWindowTest, AGuardedOrCancelledCommandLeavesNoStepAndNoSentence)
{
    click(Button::RemoveBlanksFromList2);
    EXPECT_EQ(m_answers.shown.size(), 1u) << "the guard box as before";
    click(Button::LoadFileToList2); // the dialog is cancelled
    EXPECT_FALSE(m_window->history().canUndo());
    EXPECT_TRUE(sentence().isEmpty());
}

// The form lies inside the window: moves over its buttons must still reach the pointer feedback.
TEST_F(MainWindowTest, TheButtonsShowTheHandPointer)
{
    ASSERT_TRUE(form().hasCustomPointerImage());
    QPushButton *button = form().pushButton(Button::LoadFileToList1);
    QTest::mouseMove(button);
    EXPECT_EQ(button->cursor().shape(), Qt::BitmapCursor);
    QTest::mouseMove(form().listView(ListId::List1)->viewport());
    EXPECT_EQ(form().listView(ListId::List1)->viewport()->cursor().shape(), Qt::ArrowCursor);
}

// After a load that found nothing, a guard box or a cancelled dialog, the sentence of the command
// before is gone; a name not found among several is told beside what was loaded.
TEST_F(MainWindowTest, AFailedOrCancelledCommandLeavesNoStaleSentence)
{
    for (const char *name : {"a.txt", "b.txt"}) {
        QFile file(m_folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x@y.org\n");
    }
    const QString missing = m_folder.filePath("missing.txt");
    const struct
    {
        QStringList chosen; // empty: the dialog is cancelled
        Button button;
        const char *sentence;
        std::size_t notFound;
    } cases[] = {
        {{missing}, Button::LoadFileToList2, "Loaded 0 items into List 2 (missing.txt: not found)", 1},
        {{m_folder.filePath("a.txt"), missing, m_folder.filePath("b.txt")}, Button::LoadFileToList2,
         "Loaded 2 items into List 2 (missing.txt: not found)", 1},
        {{}, Button::LoadFileToList2, "", 0},
        {{}, Button::RemoveBlanksFromList1, "", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.sentence);
        m_answers.openFiles.push_back({m_folder.filePath("a.txt")});
        click(Button::LoadFileToList2);
        ASSERT_EQ(sentence(), QStringLiteral("Loaded 1 item into List 2"));
        m_answers.shown.clear();
        if (c.button == Button::LoadFileToList2)
            m_answers.openFiles.push_back(c.chosen);
        click(c.button);
        EXPECT_EQ(sentence().toStdString(), c.sentence);
        EXPECT_EQ(m_window->sentenceLabel()->toolTip().isEmpty(), sentence().isEmpty());
        EXPECT_EQ(std::count_if(m_answers.shown.begin(), m_answers.shown.end(),
                                [](const Shown &shown) { return shown.text == QStringLiteral("File not found"); }),
                  static_cast<std::ptrdiff_t>(c.notFound));
    }
}

TEST_F(MainWindowTest, RemoveInvalidAddressesSaysWhyAndCanBeUndone)
{
    const auto removeInvalid = [this](ListId list) {
        for (const Entry &entry : entriesOf(*menuTitled(QStringLiteral("List &%1").arg(listNumber(list))))) {
            if (entry.caption == QStringLiteral("Remove Invalid Addresses"))
                entry.action->trigger();
        }
    };
    removeInvalid(ListId::List2);
    ASSERT_EQ(m_answers.shown.size(), 1u);
    EXPECT_EQ(m_answers.shown.at(0).text, QStringLiteral("You forgot to load in List 2."));

    focusList(ListId::List1);
    QApplication::clipboard()->setText(QStringLiteral("Ann <ann@x.org>\r\n\r\njunk\r\nb@x.org, c@x.org\r\nd@x.org"));
    keys(QKeySequence::Paste);
    removeInvalid(ListId::List1);
    EXPECT_EQ(textsOf(form().list1()), (Texts{"Ann <ann@x.org>", "d@x.org"}));
    EXPECT_EQ(sentence(), QStringLiteral("Removed 3 invalid addresses from List 1 (1 blank, 1 with several addresses, "
                                         "1 without an @)"));
    EXPECT_EQ(m_window->undoAction()->text(), QStringLiteral("&Undo Remove Invalid Addresses (List 1)"));
    keys(QKeySequence::Undo);
    EXPECT_EQ(form().list1().count(), 5u);
    removeInvalid(ListId::List1);
    removeInvalid(ListId::List1);
    EXPECT_EQ(sentence(), QStringLiteral("Removed 0 invalid addresses from List 1"));
}

TEST_F(MainWindowTest, SelectedItemsAreCopiedCutPastedAndDeletedUndoably)
{
    click(Button::LoadSampleList1);
    focusList(ListId::List1);
    keys(QKeySequence::SelectAll);
    keys(QKeySequence::Copy);
    const QString copied = QApplication::clipboard()->text();
    EXPECT_EQ(copied.count('\n'), 3);
    EXPECT_EQ(sentence(), QStringLiteral("Copied 3 items of List 1"));

    focusList(ListId::List2);
    QApplication::clipboard()->setText(QStringLiteral("a@x.org\r\nb@x.org\r\n"));
    keys(QKeySequence::Paste);
    EXPECT_EQ(textsOf(form().list2()), (Texts{"a@x.org", "b@x.org"}));
    EXPECT_EQ(m_window->undoAction()->text(), QStringLiteral("&Undo Paste (List 2)"));
    QApplication::clipboard()->setText(copied);
    keys(QKeySequence::Paste);
    EXPECT_EQ(form().list2().count(), 5u);

    // Shift+Delete removes the selection and leaves the clipboard alone; Ctrl+X cuts.
    ListView &view = *form().listView(ListId::List2);
    view.selectOnly(0);
    keys(QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    EXPECT_EQ(form().list2().count(), 4u);
    EXPECT_EQ(QApplication::clipboard()->text(), copied);
    view.selectOnly(0);
    keys(QKeySequence(Qt::CTRL | Qt::Key_X));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("b@x.org\n"));
    EXPECT_EQ(form().list2().count(), 3u);

    view.selectAll();
    keys(QKeySequence(Qt::Key_Delete));
    EXPECT_TRUE(form().list2().isEmpty());
    EXPECT_EQ(sentence(), QStringLiteral("Removed 3 items from List 2"));
    for (int i = 0; i < 4; ++i)
        keys(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(textsOf(form().list2()), (Texts{"a@x.org", "b@x.org"}));
}

TEST_F(MainWindowTest, TheMatchingChoiceAppliesToTheDedupeAndFilterButtons)
{
    EXPECT_EQ(m_window->matchingLabel()->text().toStdString(), "Matching: Exact");
    QMenu *menu = menuTitled(QStringLiteral("&Matching"));
    struct Case
    {
        int choice;
        std::size_t keptByDedupe;
        std::size_t keptByWithout; // Remove List 1 Items Without... "a@x"
    };
    // Exact, Ignore case, Ignore surrounding spaces, E-mail addresses, with provider aliases.
    const Case cases[] = {{0, 4, 2}, {1, 3, 4}, {2, 3, 2}, {3, 1, 4}, {4, 1, 4}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.choice);
        menu->actions().at(c.choice)->trigger();
        EXPECT_TRUE(menu->actions().at(c.choice)->isChecked());
        EXPECT_EQ(m_window->matchingLabel()->text(),
                  QStringLiteral("Matching: ") + menu->actions().at(c.choice)->text().remove('&'));
        for (const char *text : {"a@x.org", "A@X.org", " a@x.org", "<A@x.org>"})
            form().list1().append(text);
        click(Button::RemoveList1DupesExceptFirst);
        EXPECT_EQ(form().list1().count(), c.keptByDedupe);
        keys(QKeySequence(Qt::CTRL | Qt::Key_Z));
        m_answers.inputs.push_back(QStringLiteral("a@x"));
        click(Button::RemoveList1ItemsWithout);
        EXPECT_EQ(form().list1().count(), c.keptByWithout);
        form().list1().clear();
    }
}

// The switch goes with each of the four choices; the mode text says when it is on.
TEST_F(MainWindowTest, RemoveMatchesCanReadTheOtherListAsPatterns)
{
    const QList<QAction *> entries = menuTitled(QStringLiteral("&Matching"))->actions();
    QAction *patterns = entries.back();
    EXPECT_EQ(patterns->text().remove('&'), QStringLiteral("Other List as Patterns"));
    for (const char *text : {"ann@x.org", "Bob@Y.org", "info@z.net"})
        form().list1().append(text);
    for (const char *text : {"# role accounts", "info@", "@y.org"})
        form().list2().append(text);
    click(Button::RemoveMatchesList2FromList1);
    EXPECT_EQ(form().list1().count(), 3u) << "plain lines match no item";
    patterns->trigger();
    EXPECT_EQ(m_window->matchingLabel()->text().toStdString(), "Matching: Exact, other list as patterns");
    click(Button::RemoveMatchesList2FromList1);
    EXPECT_EQ(textsOf(form().list1()), (Texts{"ann@x.org", "Bob@Y.org"}));
    entries.at(3)->trigger(); // E-mail addresses
    EXPECT_TRUE(patterns->isChecked());
    EXPECT_EQ(m_window->matchingLabel()->text().toStdString(), "Matching: E-mail addresses, other list as patterns");
    click(Button::RemoveMatchesList2FromList1);
    EXPECT_EQ(textsOf(form().list1()), Texts{"ann@x.org"});
    patterns->trigger();
    EXPECT_EQ(m_window->matchingLabel()->text().toStdString(), "Matching: E-mail addresses");
}

// Each list's menu splits that list's lines of several addresses in place, as one undo step; the
// provider-aliases choice reaches the dedupe.
TEST_F(MainWindowTest, SplitAddressesRunsFromEachListMenuWithUndo)
{
    QMenu *menu = menuTitled(QStringLiteral("List &2"));
    QAction *split = menu->actions().back();
    EXPECT_EQ(split->text(), QStringLiteral("S&plit Addresses"));
    split->trigger();
    EXPECT_EQ(m_answers.shown.size(), 1u) << "the empty-list guard";
    for (const char *text : {"a@x.org", "Bob <bob@y.org>, Cid <cid@z.org>", "j.doe+news@gmail.com"})
        form().list2().append(text);
    split->trigger();
    EXPECT_EQ(textsOf(form().list2()), (Texts{"a@x.org", "Bob <bob@y.org>", "Cid <cid@z.org>", "j.doe+news@gmail.com"}));
    EXPECT_EQ(sentence(), QStringLiteral("Split the lines of several addresses in List 2: 4 items now"));
    EXPECT_EQ(m_window->undoAction()->text(), QStringLiteral("&Undo Split Addresses (List 2)"));
    keys(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(textsOf(form().list2()), (Texts{"a@x.org", "Bob <bob@y.org>, Cid <cid@z.org>", "j.doe+news@gmail.com"}));
    keys(QKeySequence(Qt::CTRL | Qt::Key_Y));
    EXPECT_EQ(form().list2().count(), 4u);

    form().list2().append("jdoe@googlemail.com");
    menuTitled(QStringLiteral("&Matching"))->actions().at(4)->trigger();
    click(Button::RemoveList2DupesExceptFirst);
    EXPECT_EQ(form().list2().count(), 4u);
}

// The worker threads of a running command read its mode: the menu waits for the command to end.
// The command's question is asked while it runs, as its work would yield to the window.
TEST_F(MainWindowTest, TheMatchingMenuIsDisabledWhileACommandRunsOnTheModeItStartedWith)
{
    const QList<QAction *> choices = menuTitled(QStringLiteral("&Matching"))->actions();
    const auto enabledChoices = [&] {
        return std::count_if(choices.begin(), choices.end(), [](const QAction *choice) { return choice->isEnabled(); });
    };
    form().list1().append("A@x.org");
    form().list1().append("a@x.org");
    qsizetype enabledWhileRunning = -1;
    m_answers.onShown = [&](const Shown &) {
        enabledWhileRunning = enabledChoices();
        choices.at(1)->trigger(); // Ignore case
    };
    m_answers.inputs.push_back(QStringLiteral("a@x"));
    click(Button::RemoveList1ItemsWith);
    EXPECT_EQ(enabledWhileRunning, 0);
    EXPECT_EQ(textsOf(form().list1()), Texts{"A@x.org"}) << "compared exactly, as when it started";
    EXPECT_TRUE(choices.at(0)->isChecked());
    EXPECT_EQ(m_window->matchingLabel()->text().toStdString(), "Matching: Exact");
    EXPECT_EQ(enabledChoices(), choices.size());
}

TEST_F(MainWindowTest, ALoadSaysWhenAFileWasNotKeptByteForByte)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
        const char *sentence;
    };
    const Case cases[] = {
        {"plain.txt", "a@x.org\r\nb@x.org\r\n", "Loaded 2 items into List 1"},
        {"bom.txt", "\xEF\xBB\xBF" "a@x.org\n", "Loaded 1 item into List 1 (bom.txt: UTF-8 byte-order mark dropped)"},
        {"wide.txt", QByteArray("\xFF\xFE" "a\0@\0x\0\n\0", 10),
         "Loaded 1 item into List 1 (wide.txt: decoded from UTF-16 LE)"},
        // Taken for markup, the name would show as "x.txt" (an <img> in its place would be loaded).
        {"<b>x<b>.txt", "\xEF\xBB\xBF" "b@x.org\n",
         "Loaded 1 item into List 1 (<b>x<b>.txt: UTF-8 byte-order mark dropped)"},
    };
    for (const Case &c : cases) {
        const QString path = m_folder.filePath(QString::fromLatin1(c.name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.bytes);
        file.close();
        m_answers.openFiles.push_back({path});
        click(Button::LoadFileToList1);
        EXPECT_EQ(sentence().toStdString(), c.sentence);
        EXPECT_EQ(shownText(m_window->sentenceLabel()->toolTip(), Qt::AutoText), sentence());
    }
    for (const QLabel *part : m_window->statusBar()->findChildren<QLabel *>())
        EXPECT_EQ(part->textFormat(), Qt::PlainText) << part->objectName().toStdString();
    EXPECT_EQ(Samples::textsOf(form().list1()), (Texts{"a@x.org", "b@x.org", "a@x.org", "a@x", "b@x.org"}));
}

// An entry of a list's menu is its button: the same caption, the same command, guards and step.
TEST_F(MainWindowTest, EachListMenuRunsItsButtonsUnderTheirCaptions)
{
    const auto entriesOfList = [this](ListId list) {
        return entriesOf(*menuTitled(QStringLiteral("List &%1").arg(listNumber(list))));
    };
    for (const ListId list : kBothLists) {
        const std::vector<Entry> entries = entriesOfList(list);
        std::size_t buttons = 0;
        for (const ButtonDesign &design : buttonDesigns()) {
            if (design.ownList != list)
                continue;
            ++buttons;
            EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                                    [&](const Entry &entry) { return entry.caption == QLatin1String(design.caption); }),
                      1)
                << design.caption << " in " << listName(list);
        }
        // Below the buttons' entries, the operations that have no button.
        EXPECT_EQ(entries.size(), buttons + 2);
        EXPECT_EQ(entries.at(buttons).caption, QStringLiteral("Remove Invalid Addresses"));
        EXPECT_EQ(entries.back().caption, QStringLiteral("Split Addresses"));
    }
    const auto trigger = [&](ListId list, const char *caption) {
        for (const Entry &entry : entriesOfList(list)) {
            if (entry.caption == QLatin1String(caption))
                entry.action->trigger();
        }
    };
    trigger(ListId::List1, "Load Sample/Example List");
    trigger(ListId::List1, "Load Sample/Example List");
    EXPECT_EQ(m_window->undoAction()->text(), QStringLiteral("&Undo Load Sample/Example List (List 1)"));
    trigger(ListId::List1, "Remove List 1 Dupes Except First");
    EXPECT_EQ(form().list1().count(), 3u);
    EXPECT_EQ(sentence(), QStringLiteral("Removed 3 repeats from List 1, first copies kept"));
    EXPECT_EQ(m_window->undoAction()->text(), QStringLiteral("&Undo Remove List 1 Dupes Except First"));

    click(Button::RemoveBlanksFromList2);
    trigger(ListId::List2, "Remove Blanks From List 2");
    ASSERT_EQ(m_answers.shown.size(), 2u) << "the empty list's guard box, once for each";
    EXPECT_EQ(m_answers.shown.at(1).text, m_answers.shown.at(0).text);
    EXPECT_EQ(m_window->undoAction()->text(), QStringLiteral("&Undo Remove List 1 Dupes Except First"));
}

TEST_F(MainWindowTest, EveryMenuAndEntryHasAMnemonicOfItsOwn)
{
    std::vector<const QWidget *> holders = {m_window->menuBar()};
    QList<QKeySequence> shortcuts;
    for (const QAction *menu : m_window->menuBar()->actions()) {
        holders.push_back(menu->menu());
        for (const QAction *action : menu->menu()->actions())
            shortcuts << action->shortcuts();
    }
    for (const QWidget *holder : holders) {
        const std::vector<Entry> entries = entriesOf(*holder);
        for (const Entry &entry : entries) {
            SCOPED_TRACE(entry.caption.toStdString());
            EXPECT_FALSE(entry.mnemonic.isEmpty());
            EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                                    [&](const Entry &other) { return other.mnemonic == entry.mnemonic; }),
                      1);
            EXPECT_FALSE(holder == m_window->menuBar() && shortcuts.contains(entry.mnemonic));
        }
    }
}

TEST_F(MainWindowTest, CutCopyAndDeleteFollowTheSelectionOfTheFocusedList)
{
    std::vector<const QAction *> onSelection;
    for (const Entry &entry : entriesOf(*menuTitled(QStringLiteral("&Edit")))) {
        if (QStringList{"Cut", "Copy", "Delete"}.contains(entry.caption))
            onSelection.push_back(entry.action);
    }
    ASSERT_EQ(onSelection.size(), 3u);
    click(Button::LoadSampleList1);
    click(Button::LoadSampleList2);
    const struct
    {
        const char *step;
        std::function<void()> act;
        bool enabled;
    } steps[] = {
        {"nothing selected", [&] { focusList(ListId::List1); }, false},
        {"one item selected", [&] { form().listView(ListId::List1)->selectOnly(0); }, true},
        {"the other list focused", [&] { focusList(ListId::List2); }, false},
        {"the first list focused again", [&] { focusList(ListId::List1); }, true},
        {"the selected item deleted, the next one selected", [&] { keys(QKeySequence(Qt::Key_Delete)); }, true},
        {"a sample appended", [&] { click(Button::LoadSampleList1); }, false},
        {"all selected", [&] { keys(QKeySequence::SelectAll); }, true},
        {"all cut", [&] { keys(QKeySequence(Qt::CTRL | Qt::Key_X)); }, false},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.step);
        step.act();
        for (const QAction *action : onSelection)
            EXPECT_EQ(action->isEnabled(), step.enabled) << action->text().toStdString();
    }
    EXPECT_TRUE(form().list1().isEmpty());
}

// The bars speak in the form's typeface; the status bar's parts stand apart, and a sentence too
// long for its place ends in an ellipsis, whole in its tool tip, and shows more as its place widens.
TEST_F(MainWindowTest, TheBarsTakeTheFormsTypefaceAndALongSentenceIsElidedWholeInItsTip)
{
    std::vector<const QWidget *> bars = {m_window->menuBar(), m_window->statusBar()};
    for (const QAction *menu : m_window->menuBar()->actions())
        bars.push_back(menu->menu());
    for (const QWidget *bar : bars) {
        EXPECT_EQ(bar->font().families(), formFontFamilies()) << bar->metaObject()->className();
        EXPECT_FALSE(bar->font().bold());
    }
    const QList<QWidget *> parts = {m_window->sentenceLabel(), m_window->countsLabel(), m_window->matchingLabel()};
    const QList<QFrame *> frames = m_window->statusBar()->findChildren<QFrame *>();
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const int left = parts.at(i - 1)->geometry().right();
        const int right = parts.at(i)->geometry().left();
        EXPECT_TRUE(std::any_of(frames.begin(), frames.end(), [&](const QFrame *frame) {
            return frame->frameShape() == QFrame::VLine && frame->isVisible() && frame->x() > left && frame->x() < right;
        })) << "a line before " << parts.at(i)->objectName().toStdString();
    }

    const QString name = QString(150, 'n') + QStringLiteral(".txt");
    QFile file(m_folder.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBF" "a@x.org\n");
    file.close();
    m_answers.openFiles.push_back({file.fileName()});
    click(Button::LoadFileToList1);
    const QString whole = QStringLiteral("Loaded 1 item into List 1 (%1: UTF-8 byte-order mark dropped)").arg(name);
    ElidedLabel &label = *m_window->sentenceLabel();
    EXPECT_EQ(label.text(), whole);
    EXPECT_EQ(shownText(label.toolTip(), Qt::AutoText), whole);
    const QString shown = label.shownText();
    const QString ellipsis = shown.endsWith(QChar(0x2026)) ? QString(QChar(0x2026)) : QStringLiteral("...");
    ASSERT_TRUE(shown.endsWith(ellipsis)) << shown.toStdString();
    EXPECT_TRUE(whole.startsWith(shown.chopped(ellipsis.size())));
    EXPECT_LE(label.fontMetrics().horizontalAdvance(shown), label.contentsRect().width());
    label.resize(label.fontMetrics().horizontalAdvance(whole) + 10, label.height());
    EXPECT_EQ(label.shownText(), whole);
}

// The box is a table of keys and commands: Redo's second key, the key of every menu, and each
// command under its own name, never the step it would undo.
TEST_F(MainWindowTest, TheShortcutsBoxNamesEveryKeyOfTheMenusAndCommands)
{
    click(Button::LoadSampleList1);
    ASSERT_NE(m_window->undoAction()->text(), QStringLiteral("&Undo"));
    keys(QKeySequence(Qt::Key_F1));
    ASSERT_FALSE(m_answers.shown.empty());
    EXPECT_EQ(m_answers.shown.back().title, QStringLiteral("Keyboard Shortcuts"));
    const std::vector<QStringList> rows = shownRows();
    const auto meaningOf = [&](const QString &keys) {
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const QStringList &cells) {
            return cells.first().split(QStringLiteral(", ")).contains(keys);
        });
        return row == rows.end() ? QStringLiteral("(missing)") : row->last();
    };
    const QStringList menus = {"File", "Edit", "List 1", "List 2", "Matching", "Help"};
    const QStringList altKeys = {"Alt+F", "Alt+E", "Alt+1", "Alt+2", "Alt+M", "Alt+H"};
    for (qsizetype i = 0; i < menus.size(); ++i)
        EXPECT_EQ(meaningOf(altKeys.at(i)), QStringLiteral("Open the %1 menu").arg(menus.at(i)));
    EXPECT_EQ(meaningOf(QStringLiteral("Ctrl+Y")), QStringLiteral("Redo"));
    EXPECT_EQ(meaningOf(QStringLiteral("Ctrl+Z")), QStringLiteral("Undo"));
    EXPECT_EQ(meaningOf(QStringLiteral("Ctrl+O")), QStringLiteral("Load File To List 1"));
    for (const QStringList &cells : rows)
        EXPECT_EQ(cells.size(), 2) << cells.join('|').toStdString();
}

TEST_F(MainWindowTest, TheAboutBoxGivesTheVersionAndTheLicence)
{
    for (QAction *action : menuTitled(QStringLiteral("&Help"))->actions()) {
        if (action->text() == QStringLiteral("&About Quorvane"))
            action->trigger();
    }
    ASSERT_EQ(m_answers.shown.size(), 1u);
    EXPECT_EQ(m_answers.shown.back().title, QStringLiteral("About Quorvane"));
    const QString text = m_answers.shown.back().text;
    for (const QString &piece : {QStringLiteral("Quorvane ") + QLatin1String(kVersion),
                                 QStringLiteral("Copyright (c) 2026 The Quorvane developers"), QStringLiteral("MIT")})
        EXPECT_TRUE(text.contains(piece)) << piece.toStdString();
}


// A contacts export less an unsubscribe export, row by row: each list compared on its own column,
// the rows kept whole, quotes and line ends inside them included, and saved under their header.
TEST_F(MainWindowTest, TablesAreComparedOnTheirColumnsAndSavedUnderTheirHeader)
{
    const auto write = [this](const char *name, const QByteArray &bytes) {
        QFile file(m_folder.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    const QByteArray contacts = "Name,Email Address,City\r\nAnn,ann@x.org,Oslo\r\n\"Bob, Jr.\",bob@y.org,\"Line\nTwo\"\r\n"
                                "Cid,cid@z.org,Rome\r\n";
    const auto menuEntry = [this](const QString &menu, const QString &caption) {
        for (const Entry &entry : entriesOf(*menuTitled(menu))) {
            if (entry.caption == caption)
                return entry.action;
        }
        ADD_FAILURE() << caption.toStdString();
        return static_cast<QAction *>(nullptr);
    };
    m_answers.openFiles = {{write("contacts.csv", contacts)},
                           {write("unsubscribed.csv", "email;forwarded to\nann@q.org;cid@z.org\n")}};
    menuEntry("&File", "Load Table To List 1...")->trigger();
    EXPECT_EQ(sentence().toStdString(), "Loaded 3 items into List 1 (comparing on column 2, 'Email Address')");
    menuEntry("&File", "Load Table To List 2...")->trigger();
    EXPECT_EQ(form().listView(ListId::List2)->model()->headerData(0, Qt::Horizontal).toString().toStdString(),
              "Rows compared on column 1, 'email':");
    EXPECT_EQ(textsOf(form().list1())[1], "\"Bob, Jr.\",bob@y.org,\"Line\nTwo\"");

    OverlapPanel &overlap = m_window->overlap();
    ASSERT_TRUE(QTest::qWaitFor([&] { return overlap.isCurrent(); }, 10000));
    EXPECT_EQ(overlap.shownCounts(), (OverlapCounts{3, 0, 1})) << "on the columns found";
    m_answers.inputs = {QStringLiteral("2: forwarded to")};
    QMenu *matching = menuTitled("&Matching");
    emit matching->aboutToShow();
    QAction *column2 = menuEntry("&Matching", "Compare Column of List 2...");
    ASSERT_TRUE(column2->isEnabled());
    column2->trigger();
    EXPECT_EQ(sentence().toStdString(), "List 2 compared on column 2, 'forwarded to'");
    ASSERT_TRUE(QTest::qWaitFor([&] { return overlap.isCurrent(); }, 10000));
    EXPECT_EQ(overlap.shownCounts(), (OverlapCounts{2, 1, 0})) << "on the columns compared";
    click(Button::RemoveMatchesList2FromList1);
    EXPECT_EQ(form().list1().count(), 2u);

    m_answers.saveFiles = {m_folder.filePath("kept.csv")};
    click(Button::SaveList1ToFile);
    QFile saved(m_folder.filePath("kept.csv"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), contacts.left(contacts.lastIndexOf("Cid")));

    // An emptied list holds lines again: no column to choose, the plain header back.
    click(Button::ClearList2);
    emit matching->aboutToShow();
    EXPECT_FALSE(column2->isEnabled());
    EXPECT_EQ(form().listView(ListId::List2)->model()->headerData(0, Qt::Horizontal).toString(), kColumnHeader);
}

} // namespace
} // namespace Quorvane

namespace Quorvane {
namespace {

// The overlap under the form is found aside after every command and change of matching, shown
// greyed until then, and each part's context menu copies or saves exactly its items.
TEST_F(MainWindowTest, TheOverlapFollowsTheListsAndCopiesOrSavesEachPart)
{
    using Part = OverlapPanel::Part;
    OverlapPanel &overlap = m_window->overlap();
    const auto countsFound = [&] {
        EXPECT_TRUE(QTest::qWaitFor([&] { return overlap.isCurrent(); }, 10000));
        const OverlapCounts counts = overlap.shownCounts().value_or(OverlapCounts{9, 9, 9});
        return std::vector<std::size_t>{counts.onlyInFirst, counts.inBoth, counts.onlyInSecond};
    };
    using Counts = std::vector<std::size_t>;
    EXPECT_EQ(countsFound(), (Counts{0, 0, 0}));
    click(Button::LoadSampleList1);
    click(Button::LoadSampleList2);
    EXPECT_FALSE(overlap.isCurrent());
    EXPECT_EQ(countsFound(), (Counts{2, 1, 2}));
    EXPECT_NE(form().keyIndexes().of(ListId::List1, form().list1()), nullptr) << "the keys kept for the commands";
    form().list1().append("ORDERS@example.org");
    EXPECT_EQ(form().keyIndexes().of(ListId::List1, form().list1()), nullptr) << "List 1 changed";
    EXPECT_NE(form().keyIndexes().of(ListId::List2, form().list2()), nullptr);
    EXPECT_EQ(countsFound(), (Counts{3, 1, 2}));
    click(Button::RemoveBlanksFromList2);
    EXPECT_TRUE(overlap.isCurrent()) << "a command that removed nothing changed nothing";
    menuTitled(QStringLiteral("&Matching"))->actions().at(1)->trigger(); // Ignore case
    EXPECT_EQ(countsFound(), (Counts{2, 2, 1}));

    overlap.contextMenu(Part::InBoth)->actions().at(0)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("support@example.com\nORDERS@example.org\n"));
    const QString saved = m_folder.filePath(QStringLiteral("only-in-2.txt"));
    m_answers.saveFiles.push_back(saved);
    overlap.contextMenu(Part::OnlyInList2)->actions().at(1)->trigger();
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("sample@example.net\r\n"));
    EXPECT_EQ(textsOf(form().list2()).size(), 3u) << "the list itself unchanged";

    // Each part answers in its third of the captions, under the bar, and along the bar:
    // 2 of 5 items, 2, then 1.
    const int barWidth = overlap.width() - 12;
    for (const Part part : OverlapPanel::kParts) {
        const int third = static_cast<int>(part);
        EXPECT_EQ(overlap.partAt({6 + barWidth * (1 + 2 * third) / 6, 28}), part);
        EXPECT_EQ(overlap.partAt({6 + barWidth * std::array{1, 5, 9}[third] / 10, 10}), part);
    }
    EXPECT_EQ(overlap.partAt({3, 2}), std::nullopt) << "the margin";
}

} // namespace
} // namespace Quorvane
