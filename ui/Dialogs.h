#pragma once

#include "commands/CommandHost.h"

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <utility>
#include <vector>

class QIcon;
class QWidget;

namespace Quorvane {

// Boxes without a title of their own carry the application's title.
inline const QString kApplicationTitle = QStringLiteral("Quorvane ");
inline const QString kErrorReportTitle = QStringLiteral("Application Error");

// The three kinds of message box the window shows.
enum class BoxStyle { Ok = 0, YesNo = 4, Warning = 48 };

enum class ShownKind { MessageBox, InputBox, OpenDialog, SaveDialog };

// One box or dialog as it would have been shown.
struct Shown
{
    ShownKind kind = ShownKind::MessageBox;
    QString title;
    QString text; // the message, the input prompt, or a file dialog's filter
    BoxStyle style = BoxStyle::Ok;
};

// Answers the window's boxes and dialogs in advance, so tests never block on a modal loop.
// A box with no answer queued takes its default button; an input box or file dialog with no
// answer queued counts as cancelled.
class ScriptedAnswers
{
public:
    std::deque<QMessageBox::StandardButton> buttons;
    std::deque<QString> inputs;
    std::deque<QStringList> openFiles;
    std::deque<QString> saveFiles;
    std::vector<Shown> shown; // everything that was asked, in order
    std::function<void(const Shown &)> onShown; // called as each one is asked
};

// Thin wrappers over Qt's modal boxes and file dialogs; every modal the window shows goes through them.
namespace Dialogs {

// Installs answers for the following boxes; nullptr brings back the real ones.
void setScriptedAnswers(ScriptedAnswers *answers);

QMessageBox::StandardButton messageBox(QWidget *parent, const QString &text, BoxStyle style,
                                       const QString &title = kApplicationTitle);
// A row of a table box: a heading of its own when the second cell is empty.
using TableRow = std::pair<QString, QString>;
// An Ok box showing the rows as a two-column table under the headings, every cell as it is.
// Answered in advance, it is told as a message box with one line of two tab-separated cells a row.
void tableBox(QWidget *parent, const QString &title, const TableRow &headings, const std::vector<TableRow> &rows);
// An Ok box with the icon beside the text.
void aboutBox(QWidget *parent, const QString &title, const QString &text, const QIcon &icon);
// The text the user confirmed; empty when they cancel.
QString inputBox(QWidget *parent, const QString &prompt, const QString &title = kApplicationTitle);
// The place among choices of the one the user picked, current at first; -1 when they cancel.
// Answered in advance as an input box, by the text of the choice.
int choiceBox(QWidget *parent, const QString &prompt, const QStringList &choices, int current);
// Whole paths in the dialog's order; empty when cancelled.
QStringList openFileNames(QWidget *parent, const QString &title, const QString &filter);
// A whole path; empty when cancelled.
QString saveFileName(QWidget *parent, const QString &title, const QString &filter);

} // namespace Dialogs

} // namespace Quorvane
