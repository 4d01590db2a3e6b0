#pragma once

#include "commands/ListId.h"

#include <QStringList>

class QMenu;
class QMenuBar;

namespace Quorvane {

class Form1;

// The texts with one mnemonic (&) each that no other text of the list has: the first free letter
// that starts a word, else the first free letter. An & in a text stays a literal one.
QStringList withMnemonics(const QStringList &texts);

// The list's menu, "List &1" or "List &2": its buttons' commands under the buttons' captions, in
// the buttons' order, built from the button table. An entry runs what a click on its button runs.
// Then the operations that have no button (menuOperations), on that list.
QMenu *addListMenu(QMenuBar &bar, Form1 &form, ListId list);

} // namespace Quorvane
