#include "TableMenus.h"

#include "ui/Dialogs.h"
#include "ui/Form1.h"

#include <QMenu>

namespace Quorvane {

namespace {

// "3: Email Address", one for each column of the header.
QStringList columnChoices(const LoadedTable &table)
{
    QStringList choices;
    for (std::size_t i = 0; i < table.columnNames.size(); ++i)
        choices << QStringLiteral("%1: %2").arg(i + 1).arg(QString::fromStdString(table.columnNames[i]));
    return choices;
}

void chooseColumn(Form1 &form, ListId list, const std::function<void(const QString &)> &say,
                  const std::function<void()> &columnChosen)
{
    std::optional<LoadedTable> &table = form.tables().of(list);
    if (!table || !form.tables().active(list, form.list(list)))
        return;
    const int chosen = Dialogs::choiceBox(&form, QStringLiteral("Compare the rows of %1 on column:")
                                                     .arg(QString::fromStdString(listName(list))),
                                          columnChoices(*table), static_cast<int>(table->keyColumn) - 1);
    if (chosen < 0)
        return;
    table->keyColumn = static_cast<std::size_t>(chosen) + 1;
    form.showKeyColumn(list);
    columnChosen();
    say(QStringLiteral("%1 compared on %2")
            .arg(QString::fromStdString(listName(list)), QString::fromStdString(table->keyColumnName())));
}

} // namespace

void addTableLoads(QMenu &file, Form1 &form)
{
    const QString texts[] = {QStringLiteral("Load &Table To List 1..."), QStringLiteral("Load Ta&ble To List 2...")};
    for (const ListId list : kBothLists)
        QObject::connect(file.addAction(texts[listIndex(list)]), &QAction::triggered, &form,
                         [&form, list] { form.loadTable(list); });
}

QStringList columnChoiceCaptions()
{
    return {QStringLiteral("Compare Column of List 1..."), QStringLiteral("Compare Column of List 2...")};
}

void addColumnChoices(QMenu &matching, const QStringList &texts, Form1 &form, const std::function<void(const QString &)> &say,
                      const std::function<void()> &columnChosen)
{
    for (const ListId list : kBothLists) {
        QAction *action = matching.addAction(texts.at(static_cast<qsizetype>(listIndex(list))));
        QObject::connect(action, &QAction::triggered, &form, [&form, list, say, columnChosen] {
            chooseColumn(form, list, say, columnChosen);
        });
        // Only a list of rows has columns; while a command runs the whole menu is disabled.
        QObject::connect(&matching, &QMenu::aboutToShow, action, [&form, list, action] {
            action->setEnabled(!form.isCommandRunning() && form.tables().active(list, form.list(list)));
        });
    }
}

} // namespace Quorvane
