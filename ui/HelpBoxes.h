#pragma once

class QMenuBar;
class QWidget;

namespace Quorvane {

// A table of the key opening each menu of the bar, the keys of every menu entry that has some,
// then what the keys and the mouse do in a list.
void showShortcuts(QWidget *parent, const QMenuBar &bar);

// The program's icon, version, what it does, its copyright and licence.
void showAbout(QWidget *parent);

} // namespace Quorvane
