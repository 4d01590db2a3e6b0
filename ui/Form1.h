#pragma once

#include "engine/ErrorTrap.h"
#include "engine/ItemList.h"
#include "files/CommandHost.h"
#include "ui/ProgressBarSink.h"
#include "ui/StartUp.h"

#include <QCursor>
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

inline const QString kColumnHeader = QStringLiteral("Email Addresses:");
inline const QString kListViewToolTip = QStringLiteral(
    "Double-click item to remove it. Move bar to right and out of window to reveal full names.");

// The error report as a warning box titled "Application Error".
class MessageBoxReporter final : public ErrorReporter
{
public:
    explicit MessageBoxReporter(QWidget *parent)
        : m_parent(parent)
    {}
    void report(const ErrorReport &report) override;
    // Once the window is closed, work still finishing shows no box over a window that is gone.
    void silence() { m_silenced = true; }

private:
    QWidget *m_parent;
    bool m_silenced = false;
};

// The list commands' questions, asked through the window's dialog wrappers.
class WindowDialogs final : public CommandDialogs
{
public:
    explicit WindowDialogs(QWidget *parent)
        : m_parent(parent)
    {}
    std::vector<std::string> askOpenFiles(const FileDialogRequest &request) override;
    std::string askSaveFile(const FileDialogRequest &request) override;
    void inform(const std::string &text) override;
    bool confirm(const std::string &text) override;

private:
    QWidget *m_parent;
};

// The main window: two list frames with their buttons, and the progress bar.
// Each button's click runs its command through runCommand, so one command runs at a time.
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
    // PushButton1 to PushButton22.
    QPushButton *pushButton(int number) const;

    void setPointer(Pointer pointer) override;
    Pointer pointer() const override { return m_pointer; }
    bool hasCustomPointerImage() const { return m_customPointer.has_value(); }

    // Runs command unless another command is still running (a nested click while one works);
    // returns whether it ran.
    bool runCommand(const std::function<void()> &command);
    bool isCommandRunning() const { return m_commandRunning; }

    ErrorReporter &reporter() { return m_reporter; }
    CommandHost commandHost() { return {m_dialogs, *this, m_reporter}; }

    void PushButton3_Click();
    void PushButton14_Click();
    void PushButton20_Click();
    void PushButton13_Click();
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton22_Click();
    void PushButton21_Click();
    // PushButton4 to PushButton19: the fourteen operation commands.
    void operationButton_Click(int number);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildFrame(QGroupBox *frame, ListView *listView, int firstTabIndex);
    void setTabOrderByIndex();
    void connectListCommands();
    void connectOperationCommands();
    void connectItemRemoval();
    void setUpPointerFeedback();
    // Double-click or Delete in a list view: removes its selected item, silently.
    void removeSelectedItem(ListView &view, ItemList &list);
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
    std::array<QPushButton *, 22> m_buttons{};
    std::unique_ptr<ProgressBarSink> m_progress;

    Pointer m_pointer = Pointer::Default;
    std::optional<QCursor> m_customPointer;
    bool m_commandRunning = false;
    // Last, so it stops watching before anything it reads goes.
    std::unique_ptr<PointerFeedback> m_pointerFeedback;
};

} // namespace Quorvane
