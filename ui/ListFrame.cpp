#include "ListFrame.h"

#include <QPainter>

namespace Quorvane {

namespace {

constexpr int kCaptionLeft = 8; // the caption's start from the frame's left edge
constexpr int kCaptionPadding = 2; // background on either side of the caption, breaking the line

} // namespace

ListFrame::ListFrame(const QString &caption, QWidget *parent)
    : QGroupBox(caption, parent)
{}

int ListFrame::borderTop() const
{
    return fontMetrics().height() / 2;
}

QRect ListFrame::captionRect() const
{
    const int width = fontMetrics().horizontalAdvance(title()) + 2 * kCaptionPadding;
    return {kCaptionLeft, 0, width, fontMetrics().height()};
}

void ListFrame::paintEvent(QPaintEvent *event)
{
    if (!window()->styleSheet().isEmpty()) {
        QGroupBox::paintEvent(event);
        return;
    }
    QPainter painter(this);
    // Etched: a shadow line with a light line inside it, one pixel down and right.
    const QRect border = rect().adjusted(0, borderTop(), -2, -2);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(border);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(border.translated(1, 1));

    const QRect caption = captionRect();
    painter.fillRect(caption, palette().brush(QPalette::Window));
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(caption, Qt::AlignCenter | Qt::TextSingleLine, title());
}

} // namespace Quorvane
