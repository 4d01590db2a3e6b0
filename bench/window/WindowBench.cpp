// Times the window's commands on two list files, in the real window offscreen, with every box
// answered in advance: both lists are loaded through "Load File To List", each of the fourteen
// operation commands runs on freshly loaded lists (its time includes the window handling the
// events that follow, so the views have shown the new lists), and both lists are saved.
// Prints a Markdown table and the peak resident memory.
//
//   window_bench LIST OTHER [TEXT]
//
// TEXT is the answer the four "Items With/Without..." commands get (default "@example.org").
#include "ui/Dialogs.h"
#include "ui/Form1.h"
#include "ui/OperationCommands.h"

#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QTemporaryDir>

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
        , m_window(StartUpEnvironment{m_folder.path(), [] { return 0.5; }, [](const QUrl &) { return false; }})
    {
        Dialogs::setScriptedAnswers(&m_answers);
        m_window.Form_Load();
        m_window.show();
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
        row("Load File To List (List 1)", 0, m_window.list1().count(), load1);
        row("Load File To List (List 2)", 0, m_window.list2().count(), load2);
        for (const ButtonDesign &design : buttonDesigns()) {
            if (isOperation(design.command))
                runOperation(design.button);
        }
        loadBoth();
        save(Button::SaveList1ToFile, m_window.list1(), "List 1");
        save(Button::SaveList2ToFile, m_window.list2(), "List 2");
        std::printf("\nPeak resident memory (VmHWM): %ld MB\n", peakResidentKilobytes() / 1024);
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
        const double time = click(button);
        row(m_window.pushButton(button)->text().toStdString(), before, own.count(), time);
    }

    void save(Button button, const ItemList &list, const char *name)
    {
        m_answers.saveFiles.push_back(m_folder.filePath(QStringLiteral("saved-%1.txt").arg(numberOf(button))));
        const double time = click(button);
        row(std::string("Save List To File (") + name + ")", list.count(), list.count(), time);
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
    Form1 m_window;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_bench LIST OTHER [TEXT]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString text = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("@example.org");
    WindowBench bench(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]), text);
    return bench.run();
}
