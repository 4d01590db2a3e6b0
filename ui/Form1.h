#pragma once

#include "engine/ErrorTrap.h"
#include "engine/ItemList.h"
#include "commands/CommandHost.h"
#include "commands/KeyIndexes.h"
#include "commands/TableCommands.h"
#include "ui/Buttons.h"
#include "ui/CommandWatcher.h"
#include "ui/ProgressBarSink.h"
#include "ui/StartUp.h"
#include "ui/WindowAdapters.h"

#include <QCursor>
#include <QIcon>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QGroupBox;
class QProgressBar;
class QPushButton;

namespace Quorvane {

class ItemListModel;
class ListView;
class PointerFeedback;

// Every position and size of the window is given in twips; 15 twips make one pixel.
constexpr int twips(int value)
{
    return (value + 7) / 15;
}

// A window the user can minimise and close but neither resize nor maximise.
inline constexpr Qt::WindowFlags kFixedWindowFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
    | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

inline const QString kColumnHeader = QStringLiteral("Email Addresses:");
inline const QString kListViewToolTip = QStringLiteral(
    "Double-click item to remove it. Move bar to right and out of window to reveal full names.");

// The form's typeface: Arial, or Liberation Sans with the same widths where Arial is missing.
QStringList formFontFamilies();
QIcon applicationIcon();

// The main window: two list frames with their buttons, and the progress bar.
// Each button's click runs its command through runCommand, so one command runs at a time.
// The buttons are made, placed and connected from their designs (ui/Buttons.h).
class Form1 final : public QWidget, public PointerControl
{
public:
    explicit Form1(StartUpEnvironment environment, QWidget *parent = nullptr);
    ~Form1() override;

    // Start-up, run once before the window is shown.
    void Form_Load();

    ItemList &list1() { return m_list1; }
    ItemList &list2() { return m_list2; }
    ListView *listView1() const { return m_listView1; }
    ListView *listView2() const { return m_listView2; }
    QGroupBox *frame1() const { return m_frame1; }
    QGroupBox *frame2() const { return m_frame2; }
    QProgressBar *progressBar() const { return m_progressBar; }
    QPushButton *pushButton(Button button) const;

    void setPointer(Pointer pointer) override;
    Pointer pointer() const override { return m_pointer; }
    bool hasCustomPointerImage() const { return m_customPointer.has_value(); }

    ItemList &list(ListId list) { return list == ListId::List1 ? m_list1 : m_list2; }
    ListView *listView(ListId list) const { return list == ListId::List1 ? m_listView1 : m_listView2; }
    QGroupBox *frame(ListId list) const { return list == ListId::List1 ? m_frame1 : m_frame2; }

    // Runs command unless another command is still running (a nested click while one works);
    // returns whether it ran. The watcher, if any, is told before and after.
    bool runCommand(const CommandLabel &label, const std::function<void()> &command);
    bool isCommandRunning() const { return m_commandRunning; }
    void setCommandWatcher(CommandWatcher *watcher) { m_watcher = watcher; }

    ErrorReporter &reporter() { return m_reporter; }
    // Taken when a command starts: it holds a copy of the matching mode, which the command keeps.
    CommandHost commandHost()
    {
        return {m_dialogs, *this,      m_reporter, *m_progress, &m_outcome, m_matching,
                m_tables.keyFields(m_list1, m_list2), &m_keyIndexes};
    }
    // Each list's keys, kept while the list is unchanged (the overlap's thread makes them).
    KeyIndexes &keyIndexes() { return m_keyIndexes; }
    // How the operations compare items from now on; exact at every start.
    void setMatching(const MatchMode &mode) { m_matching = mode; }

    // The tables of the lists that hold rows of one.
    LoadedTables &tables() { return m_tables; }
    // "Load Table To List 1/2".
    void loadTable(ListId list);
    // The list view's header names the column a list of rows is compared on.
    void showKeyColumn(ListId list);

    // Delete (with any modifiers) in a list view: removes every selected item, silently.
    void removeSelectedItems(ListId list);
    // Closing the window ends the program: work still running finishes without handling events.
    void windowClosing();

    // A click on the button: runs its command unless another command is running.
    void buttonClicked(Button button);
    // The list menu's entry of an operation without a button: runs it on list as a button would.
    void menuOperationChosen(const MenuOperation &operation, ListId list);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void setTabOrderByIndex();
    void connectButtons();
    void runButtonCommand(const ButtonDesign &button);
    const ItemListModel &model(ListId list) const { return list == ListId::List1 ? *m_model1 : *m_model2; }
    void connectItemRemoval();
    void setUpPointerFeedback();
    void acceptFileDrops();

    StartUpEnvironment m_environment;
    MessageBoxReporter m_reporter{this};
    WindowDialogs m_dialogs{this};
    ItemList m_list1;
    ItemList m_list2;
    // Declared after the lists so they stop observing before the lists go.
    std::unique_ptr<ItemListModel> m_model1;
    std::unique_ptr<ItemListModel> m_model2;

    QGroupBox *m_frame1 = nullptr;
    QGroupBox *m_frame2 = nullptr;
    ListView *m_listView1 = nullptr;
    ListView *m_listView2 = nullptr;
    QProgressBar *m_progressBar = nullptr;
    std::array<QPushButton *, kButtonCount> m_buttons{};
    std::unique_ptr<ProgressBarSink> m_progress;

    Pointer m_pointer = Pointer::Default;
    std::optional<QCursor> m_customPointer;
    bool m_commandRunning = false;
    CommandOutcome m_outcome;
    MatchMode m_matching;
    LoadedTables m_tables;
    KeyIndexes m_keyIndexes;
    CommandWatcher *m_watcher = nullptr;
    // Last, so it stops watching before anything it reads goes.
    std::unique_ptr<PointerFeedback> m_pointerFeedback;
};

} // namespace Quorvane
