#include "MatchingMenu.h"

#include "ui/CommandMenus.h"
#include "ui/StatusText.h"
#include "ui/TableMenus.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace Quorvane {

MatchingMenu::MatchingMenu(QMenuBar &bar, Form1 &form, const std::function<void(const QString &)> &say,
                           Changed changed)
    : m_menu(bar.addMenu(QStringLiteral("&Matching")))
    , m_changed(std::move(changed))
{
    auto *choices = new QActionGroup(m_menu);
    choices->setExclusive(true);
    const std::span<const MatchingChoice> all = matchingChoices();
    QStringList captions;
    for (const MatchingChoice &choice : all)
        captions << choice.caption;
    captions << otherListAsPatternsCaption() << columnChoiceCaptions();
    const QStringList texts = withMnemonics(captions);
    for (std::size_t i = 0; i < all.size(); ++i) {
        QAction *action = m_menu->addAction(texts.at(static_cast<qsizetype>(i)));
        action->setCheckable(true);
        action->setChecked(all[i].mode.isExact());
        choices->addAction(action);
        QObject::connect(action, &QAction::triggered, m_menu, [this, i] {
            m_choice = i;
            apply();
        });
    }
    m_menu->addSeparator();
    addColumnChoices(*m_menu, texts.mid(static_cast<qsizetype>(all.size()) + 1), form, say, [this] { apply(); });
    m_menu->addSeparator();
    m_otherListAsPatterns = m_menu->addAction(texts.at(static_cast<qsizetype>(all.size())));
    m_otherListAsPatterns->setCheckable(true);
    QObject::connect(m_otherListAsPatterns, &QAction::toggled, m_menu, [this] { apply(); });
}

void MatchingMenu::setEnabled(bool enabled)
{
    for (QAction *action : m_menu->actions())
        action->setEnabled(enabled);
}

void MatchingMenu::apply()
{
    const MatchingChoice &choice = matchingChoices()[m_choice];
    MatchMode mode = choice.mode;
    mode.otherIsPatterns = m_otherListAsPatterns->isChecked();
    m_changed(mode, matchingText(choice.caption, mode.otherIsPatterns));
}

} // namespace Quorvane
