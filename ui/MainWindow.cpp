#include "MainWindow.h"

#include "ui/BarLook.h"
#include "ui/CommandMenus.h"
#include "ui/ElidedLabel.h"
#include "ui/Form1.h"
#include "ui/HelpBoxes.h"
#include "ui/ListSelection.h"
#include "ui/ListView.h"
#include "ui/MatchingMenu.h"
#include "ui/TableMenus.h"
#include "ui/OverlapPanel.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>

namespace Quorvane {

namespace {

// Whether the status bar has something to say about a command: after a cancelled dialog, a guard
// box or a command that changed nothing the sentence is cleared, as the last one would be stale.
bool worthSaying(const CommandLabel &label, const CommandOutcome &outcome, bool changed)
{
    if (isOperation(label.command))
        return outcome.ran;
    switch (std::get<ListCommand>(label.command)) {
    case ListCommand::Save:
        return outcome.ran;
    case ListCommand::Load:
        return changed || !outcome.notes.empty();
    case ListCommand::Clear:
    case ListCommand::Sample:
    case ListCommand::RemoveSelected:
    case ListCommand::Cut:
    case ListCommand::Paste:
    case ListCommand::Copy:
        break;
    }
    return changed;
}

} // namespace

MainWindow::MainWindow(StartUpEnvironment environment, QWidget *parent)
    : QMainWindow(parent)
    , m_form(new Form1(std::move(environment)))
    , m_history(m_form->list1(), m_form->list2())
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowFlags(kFixedWindowFlags);
    setCentralWidget(m_form);
    m_form->setCommandWatcher(this);
    m_overlap = addOverlapPanel(*this, *m_form);
    buildMenus();
    buildStatusBar();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        for (const ListId list : kBothLists) {
            if (now && now == m_form->listView(list))
                m_lastFocusedList = list;
        }
        updateSelectionActions();
    });
    updateCounts();
    updateUndoActions();
    // The form keeps its size; the window is the form with the two bars, and cannot be resized.
    setFixedSize(sizeHint());
}

MainWindow::~MainWindow()
{
    m_form->setCommandWatcher(nullptr);
    // Focus and selection keep changing while the widgets go, after the members are gone.
    disconnect(qApp, nullptr, this, nullptr);
    for (const ListId list : kBothLists) {
        disconnect(m_form->listView(list)->selectionModel(), nullptr, this, nullptr);
        disconnect(m_form->listView(list)->model(), nullptr, this, nullptr);
    }
}

void MainWindow::buildMenus()
{
    buildFileMenu();
    buildEditMenu();
    for (const ListId list : kBothLists)
        addListMenu(*menuBar(), *m_form, list);
    buildMatchingMenu();
    addViewMenu(*menuBar(), *m_overlap);
    buildHelpMenu();
    // Menus are windows of their own, which do not take the bar's font.
    menuBar()->setFont(barFont(*menuBar()));
    for (const QAction *menu : menuBar()->actions())
        menu->menu()->setFont(barFont(*menu->menu()));
}

void MainWindow::buildFileMenu()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    const struct
    {
        const char *text;
        Button button;
        QKeySequence keys;
    } commands[] = {
        {"&Load File To List 1...", Button::LoadFileToList1, QKeySequence::Open},
        {"Load File To List &2...", Button::LoadFileToList2, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)},
        {"&Save List 1...", Button::SaveList1ToFile, QKeySequence::Save},
        {"Sa&ve List 2...", Button::SaveList2ToFile, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
    };
    for (const auto &command : commands) {
        QAction *action = file->addAction(QString::fromLatin1(command.text));
        action->setShortcut(command.keys);
        const Button button = command.button;
        connect(action, &QAction::triggered, this, [this, button] { m_form->buttonClicked(button); });
    }
    file->addSeparator();
    addTableLoads(*file, *m_form);
    file->addSeparator();
    QAction *quit = file->addAction(QStringLiteral("&Quit"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, &QWidget::close);
}

void MainWindow::buildEditMenu()
{
    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    m_undo = edit->addAction(QStringLiteral("&Undo"));
    // The text names the step to undo; the icon text is the command's name alone.
    m_undo->setIconText(QStringLiteral("Undo"));
    m_undo->setShortcut(QKeySequence::Undo);
    connect(m_undo, &QAction::triggered, this, &MainWindow::undo);
    m_redo = edit->addAction(QStringLiteral("&Redo"));
    m_redo->setIconText(QStringLiteral("Redo"));
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence &keys : {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}) {
        if (!redoKeys.contains(keys))
            redoKeys << keys;
    }
    m_redo->setShortcuts(redoKeys);
    connect(m_redo, &QAction::triggered, this, &MainWindow::redo);
    edit->addSeparator();

    // Cut is Ctrl+X only: Shift+Delete keeps removing the selected items in a list view.
    QAction *cut = edit->addAction(QStringLiteral("Cu&t"), this, &MainWindow::cut);
    cut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    QAction *copy = edit->addAction(QStringLiteral("&Copy"), this, &MainWindow::copy);
    copy->setShortcut(QKeySequence::Copy);
    QAction *paste = edit->addAction(QStringLiteral("&Paste"), this, &MainWindow::paste);
    paste->setShortcut(QKeySequence::Paste);
    // The key stays the list view's own: the menu only shows it.
    QAction *remove = edit->addAction(QStringLiteral("&Delete"), this, &MainWindow::deleteSelected);
    remove->setShortcut(QKeySequence::Delete);
    remove->setShortcutContext(Qt::WidgetShortcut);
    edit->addSeparator();
    QAction *all = edit->addAction(QStringLiteral("Select &All"), this, &MainWindow::selectAll);
    all->setShortcut(QKeySequence::SelectAll);

    m_selectionActions = {cut, copy, remove};
    for (const ListId list : kBothLists) {
        const ListView *view = m_form->listView(list);
        connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &MainWindow::updateSelectionActions);
        // A reset clears the selection without a word.
        connect(view->model(), &QAbstractItemModel::modelReset, this, &MainWindow::updateSelectionActions);
    }
    updateSelectionActions();
}

void MainWindow::buildMatchingMenu()
{
    m_matchingMenu = std::make_unique<MatchingMenu>(
        *menuBar(), *m_form, [this](const QString &sentence) { say(sentence); },
        [this](const MatchMode &mode, const QString &modeText) {
            m_form->setMatching(mode);
            m_matching->setText(modeText);
            m_overlap->invalidate();
        });
}

void MainWindow::buildHelpMenu()
{
    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction *shortcuts =
        help->addAction(QStringLiteral("&Keyboard Shortcuts"), this, [this] { showShortcuts(this, *menuBar()); });
    shortcuts->setShortcut(QKeySequence::HelpContents);
    help->addAction(QStringLiteral("&About Quorvane"), this, [this] { showAbout(this); });
}

void MainWindow::buildStatusBar()
{
    statusBar()->setFont(barFont(*statusBar()));
    m_sentence = new ElidedLabel(this);
    m_sentence->setObjectName(QStringLiteral("StatusSentence"));
    // A long sentence is cut at the bar's end rather than widening the window.
    m_sentence->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_counts = new QLabel(this);
    m_counts->setObjectName(QStringLiteral("StatusCounts"));
    m_matching = new QLabel(matchingText(matchingChoices().front().caption), this);
    m_matching->setObjectName(QStringLiteral("StatusMatching"));
    statusBar()->addWidget(m_sentence, 1);
    for (QLabel *part : {m_counts, m_matching}) {
        statusBar()->addPermanentWidget(partSeparator(this));
        statusBar()->addPermanentWidget(part);
    }
    statusBar()->setSizeGripEnabled(false);
    // File names and items are shown as they are, never read as markup (an <img> would be loaded).
    for (QLabel *part : {static_cast<QLabel *>(m_sentence), m_counts, m_matching})
        part->setTextFormat(Qt::PlainText);
    for (const ListId list : kBothLists) {
        connect(m_form->listView(list)->model(), &QAbstractItemModel::modelReset, this, &MainWindow::updateCounts);
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    m_form->windowClosing();
    QMainWindow::closeEvent(event);
}

// The sentence stays while the pointer passes over menus: their empty tips would clear it.
bool MainWindow::event(QEvent *event)
{
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

void MainWindow::commandStarting()
{
    m_history.begin();
    m_matchingMenu->setEnabled(false);
    m_overlap->commandStarting();
}

void MainWindow::commandFinished(const CommandLabel &label, const CommandOutcome &outcome)
{
    m_matchingMenu->setEnabled(true);
    const UndoHistory::Recorded recorded = m_history.record(label.stepName);
    if (worthSaying(label, outcome, recorded.changed)) {
        CommandReport report{label.command, label.list, recorded.counts[listIndex(label.list)],
                             QString::fromStdString(outcome.text)};
        // What a save or a split leaves in the list says more than the items it moved.
        if (label.command == WindowCommand(ListCommand::Save) || label.command == WindowCommand(Operation::SplitAddresses))
            report.counts.added = m_form->list(label.list).count();
        say(withNotes(commandSentence(report, locale()), outcome.notes));
    } else {
        say(QString());
    }
    if (recorded.forgotten)
        say(m_sentence->text() + QStringLiteral(" (not enough memory to keep it for undo: the history was cleared)"));
    updateUndoActions();
    m_overlap->commandFinished();
}

void MainWindow::undo()
{
    takeStep(Direction::Back);
}

void MainWindow::redo()
{
    takeStep(Direction::Forward);
}

void MainWindow::takeStep(Direction direction)
{
    const bool back = direction == Direction::Back;
    if (m_form->isCommandRunning() || !(back ? m_history.canUndo() : m_history.canRedo()))
        return;
    const std::string name = back ? m_history.undoName() : m_history.redoName();
    if (const std::optional<StepCounts> counts = back ? m_history.undo() : m_history.redo())
        say(back ? undoSentence(name, *counts, locale()) : redoSentence(name, *counts, locale()));
    else
        say(QStringLiteral("Not enough memory to %1 %2").arg(back ? "undo" : "redo", QString::fromStdString(name)));
    updateUndoActions();
}

ListId MainWindow::focusedList() const
{
    const QWidget *focus = QApplication::focusWidget();
    for (const ListId list : kBothLists) {
        const QWidget *frame = m_form->frame(list);
        if (focus && (focus == frame || frame->isAncestorOf(focus)))
            return list;
    }
    return m_lastFocusedList;
}

void MainWindow::copy()
{
    const ListId list = focusedList();
    const ItemList &items = m_form->list(list);
    const std::vector<RowRange> rows =
        rowRangesOf(m_form->listView(list)->selectionModel()->selection(), items.count());
    if (rows.empty())
        return;
    QApplication::clipboard()->setText(clipboardLines(items, rows));
    say(commandSentence({ListCommand::Copy, list, {0, rowCountOf(rows)}, {}}, locale()));
}

void MainWindow::cut()
{
    const ListId list = focusedList();
    ItemList &items = m_form->list(list);
    const std::vector<RowRange> rows =
        rowRangesOf(m_form->listView(list)->selectionModel()->selection(), items.count());
    if (rows.empty() || m_form->isCommandRunning())
        return;
    QApplication::clipboard()->setText(clipboardLines(items, rows));
    m_form->runCommand(CommandLabel::onList("Cut", ListCommand::Cut, list),
                       [&] { removeRows(items, rows); });
}

void MainWindow::paste()
{
    const ListId list = focusedList();
    if (m_form->isCommandRunning())
        return;
    ItemList pasted = itemsOfPastedText(QApplication::clipboard()->text());
    if (pasted.isEmpty())
        return;
    m_form->runCommand(CommandLabel::onList("Paste", ListCommand::Paste, list),
                       [&] { m_form->list(list).appendList(std::move(pasted)); });
}

void MainWindow::deleteSelected()
{
    m_form->removeSelectedItems(focusedList());
}

void MainWindow::selectAll()
{
    ListView *view = m_form->listView(focusedList());
    view->setFocus();
    view->selectAll();
}

void MainWindow::say(const QString &sentence)
{
    m_sentence->setWholeText(sentence);
}

void MainWindow::updateCounts()
{
    m_counts->setText(listCountsText(m_form->list1().count(), m_form->list2().count(), locale()));
}

void MainWindow::updateSelectionActions()
{
    const ListId list = focusedList();
    const bool selected =
        !rowRangesOf(m_form->listView(list)->selectionModel()->selection(), m_form->list(list).count()).empty();
    for (QAction *action : m_selectionActions)
        action->setEnabled(selected);
}

void MainWindow::updateUndoActions()
{
    m_undo->setEnabled(m_history.canUndo());
    m_undo->setText(m_history.canUndo() ? QStringLiteral("&Undo ") + QString::fromStdString(m_history.undoName())
                                        : QStringLiteral("&Undo"));
    m_redo->setEnabled(m_history.canRedo());
    m_redo->setText(m_history.canRedo() ? QStringLiteral("&Redo ") + QString::fromStdString(m_history.redoName())
                                        : QStringLiteral("&Redo"));
}

} // namespace Quorvane
