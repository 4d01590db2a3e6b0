#pragma once

#include <QStringList>

#include <functional>

class QMenu;

namespace Quorvane {

class Form1;

// The File menu's "Load Table To List 1/2...": a list of a table's rows, compared on one column.
void addTableLoads(QMenu &file, Form1 &form);

// The Matching menu's "Compare Column of List 1/2...", there while the list holds rows: picks
// the column among the header's names; say tells the status bar, columnChosen is called once a
// column is chosen (what the lists are compared on has changed). texts are the captions with the
// menu's mnemonics.
QStringList columnChoiceCaptions();
void addColumnChoices(QMenu &matching, const QStringList &texts, Form1 &form,
                      const std::function<void(const QString &)> &say, const std::function<void()> &columnChosen);

} // namespace Quorvane
