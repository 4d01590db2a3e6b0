#pragma once

#include "ui/CommandWatcher.h"
#include "ui/StartUp.h"
#include "ui/UndoHistory.h"

#include <QList>
#include <QMainWindow>

#include <memory>

class QAction;
class QMenu;
class QLabel;

namespace Quorvane {

class ElidedLabel;
class MatchingMenu;
class Form1;
class OverlapPanel;

// The program's window: the form in the middle, a menu bar above it that reaches every command
// from the keyboard, and a status bar below it that counts both lists and says what the last
// command did. It keeps the undo history of both lists.
class MainWindow final : public QMainWindow, private CommandWatcher
{
public:
    explicit MainWindow(StartUpEnvironment environment, QWidget *parent = nullptr);
    ~MainWindow() override;

    Form1 &form() const { return *m_form; }
    UndoHistory &history() { return m_history; }
    QLabel *countsLabel() const { return m_counts; }
    QLabel *matchingLabel() const { return m_matching; }
    ElidedLabel *sentenceLabel() const { return m_sentence; }
    QAction *undoAction() const { return m_undo; }
    OverlapPanel &overlap() const { return *m_overlap; }

    void undo();
    void redo();
    // The Edit menu's commands act on the list that has the focus (List 1 when neither has had it).
    ListId focusedList() const;
    void cut();
    void copy();
    void paste();
    void deleteSelected();
    void selectAll();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    enum class Direction { Back, Forward };
    void takeStep(Direction direction);
    void buildMenus();
    void buildFileMenu();
    void buildEditMenu();
    void buildMatchingMenu();
    // The form's mode and the status bar's mode text from the Matching menu's choices.
    void buildHelpMenu();
    void buildStatusBar();

    void commandStarting() override;
    void commandFinished(const CommandLabel &label, const CommandOutcome &outcome) override;
    void say(const QString &sentence);
    void updateCounts();
    void updateUndoActions();
    // Cut, Copy and Delete are there only while the focused list has a selection.
    void updateSelectionActions();

    Form1 *m_form;
    UndoHistory m_history;
    ListId m_lastFocusedList = ListId::List1;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    QList<QAction *> m_selectionActions;
    std::unique_ptr<MatchingMenu> m_matchingMenu;
    ElidedLabel *m_sentence = nullptr;
    QLabel *m_counts = nullptr;
    QLabel *m_matching = nullptr;
    OverlapPanel *m_overlap = nullptr;
};

} // namespace Quorvane
