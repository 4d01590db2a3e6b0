#pragma once

#include "engine/Matching.h"

#include <QString>

#include <cstddef>
#include <functional>

class QAction;
class QMenu;
class QMenuBar;

namespace Quorvane {

class Form1;

// The Matching menu: the ways of comparing, which exclude each other; each list's compared
// column, while it holds rows; and the switch that reads the other list as patterns (Remove
// Matches and Keep Only Matches), which goes with any of them. Exact at every start: nothing is
// kept between runs.
class MatchingMenu
{
public:
    // Told the mode and its status-bar text on every change, a compared column's too; say tells
    // the status bar a sentence.
    using Changed = std::function<void(const MatchMode &mode, const QString &modeText)>;
    MatchingMenu(QMenuBar &bar, Form1 &form, const std::function<void(const QString &)> &say, Changed changed);

    // Disabled while a command runs, which keeps the mode it started with.
    void setEnabled(bool enabled);

private:
    void apply();

    QMenu *m_menu;
    std::size_t m_choice = 0; // in matchingChoices()
    QAction *m_otherListAsPatterns = nullptr;
    Changed m_changed;
};

} // namespace Quorvane
