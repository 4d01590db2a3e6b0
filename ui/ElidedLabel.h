#pragma once

#include <QLabel>

namespace Quorvane {

// A one-line label that keeps its whole text but shows as much as fits its width, ending with
// an ellipsis where it is cut; the whole text goes in its tool tip. A line break shows as a space.
class ElidedLabel final : public QLabel
{
public:
    using QLabel::QLabel;

    // The text as drawn at the label's present width.
    QString shownText() const;
    void setWholeText(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace Quorvane
