#include "Dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>

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
// Open dialog hand back a missing file's name.
void setUpFileDialog(QFileDialog &dialog, const QWidget *parent)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    useWindowFont(dialog, parent);
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
    useWindowFont(box, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
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
