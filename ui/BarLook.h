#pragma once

#include <QFont>

class QFrame;
class QWidget;

namespace Quorvane {

// The menu bar and the status bar speak in the form's typeface, at the weight and size the
// platform gives the bar.
QFont barFont(const QWidget &bar);

// A sunken line between two parts of the status bar.
QFrame *partSeparator(QWidget *parent);

} // namespace Quorvane
