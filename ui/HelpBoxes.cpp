#include "HelpBoxes.h"

#include "Version.h"
#include "ui/Dialogs.h"
#include "ui/Form1.h"

#include <QAction>
#include <QMenu>
#include <QKeySequence>
#include <QMenuBar>
#include <QStringList>

#include <vector>

namespace Quorvane {

namespace {

QString keysText(const QList<QKeySequence> &keys)
{
    QStringList texts;
    for (const QKeySequence &sequence : keys)
        texts << sequence.toString(QKeySequence::NativeText);
    return texts.join(QStringLiteral(", "));
}

std::vector<Dialogs::TableRow> shortcutRows(const QMenuBar &bar)
{
    std::vector<Dialogs::TableRow> menus;
    std::vector<Dialogs::TableRow> entries;
    for (const QAction *menu : bar.actions()) {
        menus.emplace_back(keysText({QKeySequence::mnemonic(menu->text())}),
                           QStringLiteral("Open the %1 menu").arg(menu->iconText()));
        // An entry's icon text is its name without the mnemonic, the "..." or the step to undo.
        for (const QAction *action : menu->menu()->actions()) {
            if (!action->shortcuts().isEmpty())
                entries.emplace_back(keysText(action->shortcuts()), action->iconText());
        }
    }
    std::vector<Dialogs::TableRow> rows = {{QStringLiteral("Menus"), QString()}};
    rows.insert(rows.end(), menus.begin(), menus.end());
    rows.emplace_back(QStringLiteral("Commands"), QString());
    rows.insert(rows.end(), entries.begin(), entries.end());
    const std::vector<Dialogs::TableRow> inAList = {
        {QStringLiteral("In a list"), QString()},
        {QStringLiteral("Click, Shift+click, Ctrl+click"), QStringLiteral("select items")},
        {QStringLiteral("Delete, Shift+Delete"), QStringLiteral("remove the selected items")},
        {QStringLiteral("Double-click"), QStringLiteral("remove the item clicked")},
        {QStringLiteral("Tab"), QStringLiteral("go to the next list or button")},
    };
    rows.insert(rows.end(), inAList.begin(), inAList.end());
    return rows;
}

QString aboutText()
{
    return QStringLiteral("Quorvane %1\n\nCleans and compares two lists of e-mail addresses.\n\n"
                          "Copyright (c) 2026 The Quorvane developers\nReleased under the MIT License.")
        .arg(QString::fromLatin1(kVersion));
}

} // namespace

void showShortcuts(QWidget *parent, const QMenuBar &bar)
{
    Dialogs::tableBox(parent, QStringLiteral("Keyboard Shortcuts"), {QStringLiteral("Keys"), QStringLiteral("Command")},
                      shortcutRows(bar));
}

void showAbout(QWidget *parent)
{
    Dialogs::aboutBox(parent, QStringLiteral("About Quorvane"), aboutText(), applicationIcon());
}

} // namespace Quorvane
