#pragma once

#include <QGroupBox>

namespace Quorvane {

// A list's frame: an etched border whose top line runs through the middle of the caption, the
// caption standing in the line on the frame's background, as a frame control draws it. The
// frame fills its whole place; only a skin's style sheet brings back the style's own look.
class ListFrame final : public QGroupBox
{
public:
    ListFrame(const QString &caption, QWidget *parent);

    // Where the border's top line runs, in the frame's own coordinates.
    int borderTop() const;
    // The caption's place, in the frame's own coordinates.
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace Quorvane
