#include "Dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QIcon>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScreen>

#include <algorithm>

namespace Quorvane::Dialogs {

namespace {

ScriptedAnswers *g_answers = nullptr;

bool record(ShownKind kind, const QString &title, const QString &text, BoxStyle style = BoxStyle::Ok)
{
    if (!g_answers)
        return false;
    g_answers->shown.push_back({kind, title, text, style});
    if (g_answers->onShown)
        g_answers->onShown(g_answers->shown.back());
    return true;
}

// Report texts break lines with CR LF or a lone CR; a label shows only LF as a line break.
QString withDisplayLineBreaks(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// Boxes and dialogs are windows of their own, which do not inherit the font of the form
// that asks.
void useWindowFont(QWidget &dialog, const QWidget *parent)
{
    if (parent)
        dialog.setFont(parent->font());
}

// The Open dialog hands back a typed name of a file that does not exist, instead of refusing
// it with a box of its own, so the load command answers it with its own "File not found" as
// it does for a chosen file that is gone by its turn. A typed folder still opens the folder.
class OpenListsDialog final : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;

    // The choice as accepted: asked later, the dialog would read its file view again, which
    // goes on loading the folder and selecting the typed names that exist.
    QStringList chosenFiles() const { return m_chosen; }

    void accept() override
    {
        takeEveryTypedName();
        m_chosen = selectedFiles();
        const bool someMissing = std::any_of(m_chosen.begin(), m_chosen.end(),
                                             [](const QString &path) { return !QFileInfo::exists(path); });
        if (someMissing)
            QDialog::accept();
        else
            QFileDialog::accept();
    }

private:
    // Typing names selects those that exist in the file view, and the dialog prefers that
    // selection to the typed names: among several, a missing one would be dropped unseen.
    // Clicked files are typed into the name field too, so the field always holds the choice.
    void takeEveryTypedName()
    {
        const auto *names = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        auto *view = findChild<QListView *>(QStringLiteral("listView"));
        if (names && view && !names->text().isEmpty())
            view->clearSelection();
    }

    QStringList m_chosen;
};

// Qt's own file dialog rather than the desktop's: it takes the window's font, and it lets the
// Open dialog hand back a missing file's name. It opens wide enough for the name, size, type and
// date columns side by side, as far as the screen allows.
void setUpFileDialog(QFileDialog &dialog, const QWidget *parent)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    useWindowFont(dialog, parent);
    const QFontMetrics metrics = dialog.fontMetrics();
    QSize least(110 * metrics.averageCharWidth(), 30 * metrics.height());
    if (const QScreen *screen = parent ? parent->screen() : dialog.screen())
        least = least.boundedTo(screen->availableGeometry().size());
    dialog.setMinimumSize(least);
}

QMessageBox::StandardButton showBox(QMessageBox &box, const QWidget *parent)
{
    useWindowFont(box, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString tableCell(const char *tag, const QString &text, const char *attributes = "")
{
    return QStringLiteral("<%1%2>%3</%1>").arg(QLatin1String(tag), QLatin1String(attributes), text.toHtmlEscaped());
}

// The rows as rich text, every cell escaped; a heading row spans both columns.
QString tableMarkup(const TableRow &headings, const std::vector<TableRow> &rows)
{
    const char *const left = " align=\"left\" style=\"padding-right: 16px\"";
    QString markup = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\"><tr>") + tableCell("th", headings.first, left)
        + tableCell("th", headings.second, left) + QStringLiteral("</tr>");
    for (const auto &[first, second] : rows) {
        markup += QStringLiteral("<tr>")
            + (second.isEmpty() ? tableCell("th", first, " colspan=\"2\" align=\"left\" style=\"padding-top: 10px\"")
                                : tableCell("td", first, " style=\"padding-right: 16px\"") + tableCell("td", second))
            + QStringLiteral("</tr>");
    }
    return markup + QStringLiteral("</table>");
}

QString tableLines(const std::vector<TableRow> &rows)
{
    QString lines;
    for (const auto &[first, second] : rows)
        lines += first + QLatin1Char('\t') + second + QLatin1Char('\n');
    return lines;
}

} // namespace

void setScriptedAnswers(ScriptedAnswers *answers)
{
    g_answers = answers;
}

QMessageBox::StandardButton messageBox(QWidget *parent, const QString &text, BoxStyle style, const QString &title)
{
    const bool yesNo = style == BoxStyle::YesNo;
    const QMessageBox::StandardButton defaultButton = yesNo ? QMessageBox::Yes : QMessageBox::Ok;
    if (record(ShownKind::MessageBox, title, text, style))
        return takeAnswer(g_answers->buttons, defaultButton);

    QMessageBox box(style == BoxStyle::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, title,
                    withDisplayLineBreaks(text), yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    return showBox(box, parent);
}

void tableBox(QWidget *parent, const QString &title, const TableRow &headings, const std::vector<TableRow> &rows)
{
    if (g_answers) {
        record(ShownKind::MessageBox, title, tableLines(rows));
        takeAnswer(g_answers->buttons, QMessageBox::Ok);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title, tableMarkup(headings, rows), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::RichText);
    showBox(box, parent);
}

void aboutBox(QWidget *parent, const QString &title, const QString &text, const QIcon &icon)
{
    if (record(ShownKind::MessageBox, title, text)) {
        takeAnswer(g_answers->buttons, QMessageBox::Ok);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.setIconPixmap(icon.pixmap(64, 64));
    showBox(box, parent);
}

QString inputBox(QWidget *parent, const QString &prompt, const QString &title)
{
    if (record(ShownKind::InputBox, title, prompt))
        return takeAnswer(g_answers->inputs, QString());
    QInputDialog box(parent);
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    for (QLabel *label : box.findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    box.setInputMode(QInputDialog::TextInput);
    useWindowFont(box, parent);
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
}

int choiceBox(QWidget *parent, const QString &prompt, const QStringList &choices, int current)
{
    if (record(ShownKind::InputBox, kApplicationTitle, prompt))
        return static_cast<int>(choices.indexOf(takeAnswer(g_answers->inputs, QString())));
    QInputDialog box(parent);
    box.setWindowTitle(kApplicationTitle);
    box.setLabelText(prompt);
    box.setComboBoxItems(choices);
    box.setComboBoxEditable(false);
    if (current >= 0 && current < choices.size())
        box.setTextValue(choices.at(current));
    useWindowFont(box, parent);
    return box.exec() == QDialog::Accepted ? static_cast<int>(choices.indexOf(box.textValue())) : -1;
}

QStringList openFileNames(QWidget *parent, const QString &title, const QString &filter)
{
    if (record(ShownKind::OpenDialog, title, filter))
        return takeAnswer(g_answers->openFiles, QStringList());
    OpenListsDialog dialog(parent, title, QString(), filter);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    setUpFileDialog(dialog, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.chosenFiles() : QStringList();
}

QString saveFileName(QWidget *parent, const QString &title, const QString &filter)
{
    if (record(ShownKind::SaveDialog, title, filter))
        return takeAnswer(g_answers->saveFiles, QString());
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The save command asks its own overwrite question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    setUpFileDialog(dialog, parent);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

} // namespace Quorvane::Dialogs
