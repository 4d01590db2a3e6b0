#include "BarLook.h"

#include "ui/Form1.h"

#include <QApplication>
#include <QFrame>

namespace Quorvane {

QFont barFont(const QWidget &bar)
{
    QFont font = QApplication::font(&bar);
    font.setFamilies(formFontFamilies());
    font.setBold(false);
    return font;
}

QFrame *partSeparator(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace Quorvane
