// Times the window's commands on two list files, in the real window offscreen, with every box
// answered in advance: both lists are loaded through "Load File To List", each of the fourteen
// operation commands runs on freshly loaded lists (its time includes the window handling the
// events that follow, so the views have shown the new lists), and both lists are saved.
// After each operation it is undone and redone, and at the end 100,000 lines are pasted.
// Each operation starts once the overlap of the loaded lists is shown, as after a user's pause;
// the row after it is how long the overlap under the form took to follow the operation.
// Prints a Markdown table and the peak resident memory.
//
//   window_bench LIST OTHER [TEXT] [--ten-operations | --ten-operations-without-history | --only=N]
//
// With --ten-operations, it only loads both lists and runs ten operations one after the other
// on them, keeping their undo history (or not), and prints the peak resident memory.
//
// With --only=N, it times loading both lists and then the operation of button N alone (with its
// undo and redo), so a profiler sees little else.
//
// TEXT is the answer the four "Items With/Without..." commands get (default "@example.org").
#include "commands/ListId.h"
#include "ui/Dialogs.h"
#include "ui/Form1.h"
#include "ui/ListSelection.h"
#include "ui/ListView.h"
#include "ui/MainWindow.h"
#include "ui/OverlapPanel.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

using namespace Quorvane;

namespace {

// Peak resident memory of this process, in kB, as the kernel counts it.
long peakResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

double millisecondsOf(const std::function<void()> &work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

class WindowBench
{
public:
    WindowBench(const QString &list, const QString &other, const QString &text)
        : m_list(list)
        , m_other(other)
        , m_text(text)
        , m_main(StartUpEnvironment{m_folder.path(), [] { return 0.5; }, [](const QUrl &) { return false; }})
        , m_window(m_main.form())
    {
        Dialogs::setScriptedAnswers(&m_answers);
        m_window.Form_Load();
        m_main.show();
        QCoreApplication::processEvents();
    }
    ~WindowBench() { Dialogs::setScriptedAnswers(nullptr); }

    // A click as the user makes it, timed until the window has handled what the click left pending.
    double click(Button button)
    {
        return millisecondsOf([&] {
            m_window.pushButton(button)->click();
            QCoreApplication::processEvents();
        });
    }

    // Empties both lists and loads the two files; returns the two loads' times.
    std::pair<double, double> loadBoth()
    {
        click(Button::ClearList1);
        click(Button::ClearList2);
        m_answers.openFiles.push_back({m_list});
        const double first = click(Button::LoadFileToList1);
        m_answers.openFiles.push_back({m_other});
        const double second = click(Button::LoadFileToList2);
        return {first, second};
    }

    int run()
    {
        std::printf("| command | list before | list after | time |\n|---|---|---|---|\n");
        const auto [load1, load2] = loadBoth();
        row(stepNameOnList("Load File To List", ListId::List1), 0, m_window.list1().count(), load1);
        row(stepNameOnList("Load File To List", ListId::List2), 0, m_window.list2().count(), load2);
        for (const ButtonDesign &design : buttonDesigns()) {
            if (isOperation(design.command))
                runOperation(design.button);
        }
        loadBoth();
        save(Button::SaveList1ToFile, ListId::List1);
        save(Button::SaveList2ToFile, ListId::List2);
        paste(100000);
        std::printf("\nPeak resident memory (VmHWM): %ld MB\n", peakResidentKilobytes() / 1024);
        return reportsShown() ? 1 : 0;
    }

    int runOne(Button button)
    {
        std::printf("| command | list before | list after | time |\n|---|---|---|---|\n");
        const auto [load1, load2] = loadBoth();
        row(stepNameOnList("Load File To List", ListId::List1), 0, m_window.list1().count(), load1);
        row(stepNameOnList("Load File To List", ListId::List2), 0, m_window.list2().count(), load2);
        runOperation(button);
        std::printf("\nPeak resident memory (VmHWM): %ld MB\n", peakResidentKilobytes() / 1024);
        return reportsShown() ? 1 : 0;
    }

    // Ten operations in a row on both lists, each list's five that keep some of it.
    int runTen(bool keepHistory)
    {
        if (!keepHistory)
            m_window.setCommandWatcher(nullptr);
        loadBoth();
        const Button ten[] = {Button::RemoveList1DupesExceptFirst, Button::RemoveList2DupesExceptFirst,
                              Button::RemoveBlanksFromList1,      Button::RemoveBlanksFromList2,
                              Button::RemoveList1ItemsWith,       Button::RemoveList2ItemsWith,
                              Button::RemoveAllList1Dupes,        Button::RemoveAllList2Dupes,
                              Button::KeepOnlyMatchesInList1,     Button::RemoveMatchesList2FromList1};
        for (const Button button : ten) {
            if (m_window.pushButton(button)->text().endsWith(QStringLiteral("...")))
                m_answers.inputs.push_back(m_text);
            click(button);
        }
        std::printf("Ten operations %s undo history: list 1 %zu items, list 2 %zu items, peak resident memory "
                    "(VmHWM) %ld MB, history %zu steps\n",
                    keepHistory ? "with" : "without", m_window.list1().count(), m_window.list2().count(),
                    peakResidentKilobytes() / 1024, m_main.history().stepCount());
        return reportsShown() ? 1 : 0;
    }

private:
    void runOperation(Button button)
    {
        loadBoth();
        const bool onList1 = m_window.pushButton(button)->parentWidget() == m_window.frame1();
        const ItemList &own = onList1 ? m_window.list1() : m_window.list2();
        if (m_window.pushButton(button)->text().endsWith(QStringLiteral("...")))
            m_answers.inputs.push_back(m_text);
        const std::size_t before = own.count();
        waitForOverlap();
        const double time = click(button);
        const std::size_t after = own.count();
        const std::string caption = m_window.pushButton(button)->text().toStdString();
        row(caption, before, after, time);
        row("Overlap after " + caption, after, after, millisecondsOf([&] { waitForOverlap(); }));
        // An operation that removed nothing left no step to undo.
        if (m_main.history().undoName() != caption)
            return;
        row("Undo " + caption, after, own.count(), timed([&] { m_main.undo(); }));
        row("Redo " + caption, before, own.count(), timed([&] { m_main.redo(); }));
    }

    void waitForOverlap()
    {
        while (!m_main.overlap().isCurrent())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    double timed(const std::function<void()> &work)
    {
        return millisecondsOf([&] {
            work();
            QCoreApplication::processEvents();
        });
    }

    // Pastes the first lines of List 1 into an empty List 2.
    void paste(std::size_t lines)
    {
        click(Button::ClearList2);
        const std::vector<RowRange> rows = {{0, std::min(lines, m_window.list1().count()) - 1}};
        QApplication::clipboard()->setText(clipboardLines(m_window.list1(), rows));
        m_window.listView(ListId::List2)->setFocus();
        QCoreApplication::processEvents();
        const double time = timed([&] { m_main.paste(); });
        row(stepNameOnList("Paste", ListId::List2), 0, m_window.list2().count(), time);
    }

    void save(Button button, ListId list)
    {
        m_answers.saveFiles.push_back(m_folder.filePath(QStringLiteral("saved-%1.txt").arg(numberOf(button))));
        const double time = click(button);
        const std::size_t count = m_window.list(list).count();
        row(stepNameOnList("Save List To File", list), count, count, time);
    }

    static void row(const std::string &command, std::size_t before, std::size_t after, double time)
    {
        std::printf("| %s | %zu | %zu | %.0f ms |\n", command.c_str(), before, after, time);
        std::fflush(stdout);
    }

    bool reportsShown() const
    {
        bool shown = false;
        for (const Shown &box : m_answers.shown) {
            if (box.kind == ShownKind::MessageBox && box.text != QStringLiteral("Done.")) {
                std::fprintf(stderr, "unexpected box: %s\n", box.text.toLocal8Bit().constData());
                shown = true;
            }
        }
        return shown;
    }

    QString m_list;
    QString m_other;
    QString m_text;
    QTemporaryDir m_folder;
    ScriptedAnswers m_answers;
    MainWindow m_main;
    Form1 &m_window;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_bench LIST OTHER [TEXT] [--ten-operations[-without-history] | --only=N]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString last = QString::fromLocal8Bit(argv[argc - 1]);
    const bool ten = last.startsWith(QStringLiteral("--ten-operations"));
    const bool one = last.startsWith(QStringLiteral("--only="));
    const int textArgument = ten || one ? 4 : 3;
    const QString text = argc > textArgument ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("@example.org");
    WindowBench bench(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]), text);
    if (ten)
        return bench.runTen(last == QStringLiteral("--ten-operations"));
    if (one) {
        const int number = last.mid(7).toInt();
        const auto designs = buttonDesigns();
        const auto found = std::find_if(designs.begin(), designs.end(), [&](const ButtonDesign &design) {
            return numberOf(design.button) == number && isOperation(design.command);
        });
        if (found == designs.end()) {
            std::fprintf(stderr, "no operation button %d\n", number);
            return 2;
        }
        return bench.runOne(found->button);
    }
    return bench.run();
}
