#include "CommandMenus.h"

#include "ui/Buttons.h"
#include "ui/Form1.h"

#include <QMenu>
#include <QMenuBar>

#include <iterator>
#include <vector>

namespace Quorvane {

namespace {

bool startsWord(const QString &text, qsizetype at)
{
    return at == 0 || !text.at(at - 1).isLetterOrNumber();
}

// Where the text's mnemonic goes, or -1 when each of its letters is taken.
qsizetype mnemonicPlace(const QString &text, const QString &taken)
{
    qsizetype firstFree = -1;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar letter = text.at(at);
        if (!letter.isLetter() || taken.contains(letter, Qt::CaseInsensitive))
            continue;
        if (startsWord(text, at))
            return at;
        if (firstFree < 0)
            firstFree = at;
    }
    return firstFree;
}

} // namespace

QStringList withMnemonics(const QStringList &texts)
{
    QStringList marked;
    QString taken;
    for (const QString &text : texts) {
        QString escaped = text;
        escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
        const qsizetype at = mnemonicPlace(text, taken);
        if (at >= 0) {
            taken += text.at(at).toLower();
            // Every & before the place was doubled.
            escaped.insert(at + text.left(at).count(QLatin1Char('&')), QLatin1Char('&'));
        }
        marked << escaped;
    }
    return marked;
}

QMenu *addListMenu(QMenuBar &bar, Form1 &form, ListId list)
{
    QMenu *menu = bar.addMenu(QStringLiteral("List &%1").arg(listNumber(list)));
    std::vector<const ButtonDesign *> designs;
    QStringList captions;
    for (const ButtonDesign &design : buttonDesigns()) {
        if (design.ownList == list) {
            designs.push_back(&design);
            captions << QString::fromLatin1(design.caption);
        }
    }
    for (const MenuOperation &operation : menuOperations())
        captions << QString::fromLatin1(operation.caption);
    const QStringList texts = withMnemonics(captions);
    for (std::size_t i = 0; i < designs.size(); ++i) {
        const ButtonDesign &design = *designs[i];
        // The list's own commands first, then the operations.
        if (i > 0 && isOperation(design.command) && !isOperation(designs[i - 1]->command))
            menu->addSeparator();
        QAction *action = menu->addAction(texts.at(static_cast<qsizetype>(i)));
        const Button button = design.button;
        QObject::connect(action, &QAction::triggered, &form, [&form, button] { form.buttonClicked(button); });
    }
    menu->addSeparator();
    for (std::size_t i = 0; i < menuOperations().size(); ++i) {
        const MenuOperation &operation = menuOperations()[i];
        QAction *action = menu->addAction(texts.at(static_cast<qsizetype>(designs.size() + i)));
        QObject::connect(action, &QAction::triggered, &form,
                         [&form, operation, list] { form.menuOperationChosen(operation, list); });
    }
    return menu;
}

} // namespace Quorvane
