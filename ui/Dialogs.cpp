#include "Dialogs.h"

#include <QFileDialog>
#include <QInputDialog>

namespace Quorvane::Dialogs {

namespace {

ScriptedAnswers *g_answers = nullptr;

// Pops the next queued answer, or returns fallback when none is queued.
template<typename Answer>
Answer nextAnswer(std::deque<Answer> &queue, Answer fallback)
{
    if (queue.empty())
        return fallback;
    Answer answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

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
        return nextAnswer(g_answers->buttons, defaultButton);

    QMessageBox box(style == BoxStyle::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, title,
                    withDisplayLineBreaks(text), yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString inputBox(QWidget *parent, const QString &prompt, const QString &title)
{
    if (record(ShownKind::InputBox, title, prompt))
        return nextAnswer(g_answers->inputs, QString());
    return QInputDialog::getText(parent, title, prompt);
}

QStringList openFileNames(QWidget *parent, const QString &title, const QString &filter)
{
    if (record(ShownKind::OpenDialog, title, filter))
        return nextAnswer(g_answers->openFiles, QStringList());
    return QFileDialog::getOpenFileNames(parent, title, QString(), filter);
}

QString saveFileName(QWidget *parent, const QString &title, const QString &filter)
{
    if (record(ShownKind::SaveDialog, title, filter))
        return nextAnswer(g_answers->saveFiles, QString());
    // The save command asks its own overwrite question.
    return QFileDialog::getSaveFileName(parent, title, QString(), filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

} // namespace Quorvane::Dialogs
