#include "ElidedLabel.h"

#include <QPainter>
#include <QStyle>

namespace Quorvane {

namespace {

QRect textArea(const QLabel &label)
{
    const int margin = label.margin();
    return label.contentsRect().adjusted(margin, margin, -margin, -margin);
}

QString oneLine(QString text)
{
    for (const QChar lineEnd : {QChar(u'\n'), QChar(u'\r'), QChar(QChar::LineSeparator), QChar(QChar::ParagraphSeparator)})
        text.replace(lineEnd, QLatin1Char(' '));
    return text;
}

} // namespace

QString ElidedLabel::shownText() const
{
    return fontMetrics().elidedText(oneLine(text()), Qt::ElideRight, textArea(*this).width());
}

void ElidedLabel::setWholeText(const QString &text)
{
    setText(text);
    // A tool tip takes text that looks like markup for markup: a file name must not.
    setToolTip(text.isEmpty() ? QString()
                              : QStringLiteral("<p style=\"white-space:pre-wrap\">%1</p>").arg(text.toHtmlEscaped()));
}

// Elided as it is drawn, so the label follows every change of its width.
void ElidedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawFrame(&painter);
    const int flags = static_cast<int>(QStyle::visualAlignment(layoutDirection(), alignment()));
    style()->drawItemText(&painter, textArea(*this), flags, palette(), isEnabled(), shownText(), foregroundRole());
}

} // namespace Quorvane
