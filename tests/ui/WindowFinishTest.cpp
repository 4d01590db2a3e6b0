// How the window looks where a picture shows more than the widgets' properties: frame
// captions in the border line, white frames, header and selection across the whole row.
#include "OperationFixture.h"

#include "ui/ListFrame.h"
#include "ui/ListView.h"

#include <QHeaderView>
#include <QImage>
#include <QItemSelectionModel>

namespace Quorvane {
namespace {

class WindowFinishTest : public OperationFixture
{
protected:
    static QImage picture(QWidget *widget) { return widget->grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

TEST_F(WindowFinishTest, FrameCaptionsStandInTheBorderLineOnWhiteFrames)
{
    for (QGroupBox *box : {window().frame1(), window().frame2()}) {
        SCOPED_TRACE(box->title().toStdString());
        auto *frame = dynamic_cast<ListFrame *>(box);
        ASSERT_NE(frame, nullptr);
        const QImage shown = picture(frame);
        const QRect caption = frame->captionRect();
        const int line = frame->borderTop();
        const QColor white(Qt::white);
        // The line crosses the caption's height, runs on past it, and breaks for it.
        EXPECT_GT(line, caption.top());
        EXPECT_LT(line, caption.bottom());
        EXPECT_NE(shown.pixelColor(caption.right() + 4, line), white);
        EXPECT_NE(shown.pixelColor(frame->width() / 2, line), white);
        EXPECT_NE(shown.pixelColor(0, frame->height() / 2), white) << "the left border";
        EXPECT_EQ(shown.pixelColor(caption.left() + 1, line), white) << "the caption breaks the line";
        EXPECT_EQ(shown.pixelColor(caption.left() - 3, line - 3), white) << "nothing above the line";
        // Inside, between the border and the controls, the frame is plain white.
        for (const QPoint inside : {QPoint(5, 100), QPoint(frame->width() - 6, frame->height() - 5)})
            EXPECT_EQ(shown.pixelColor(inside), white) << inside.x() << "," << inside.y();
        // The caption is on the window's font, bold, in the frame's own place.
        EXPECT_TRUE(frame->font().bold());
        EXPECT_LT(frame->captionRect().bottom(), window().listView1()->y());
    }
}

TEST_F(WindowFinishTest, HeaderAndSelectionSpanTheWholeVisibleRowWhileTheColumnKeepsItsWidth)
{
    fill(window().list1(), {"first@example.com", "second@example.com", "third@example.com"});
    ListView &view = *window().listView1();
    view.selectionModel()->select(QItemSelection(view.model()->index(1, 0), view.model()->index(2, 0)),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ASSERT_LT(view.columnWidth(0), view.viewport()->width()) << "the column is narrower than the view";
    EXPECT_EQ(view.columnWidth(0), 400);

    const QImage header = picture(view.horizontalHeader());
    const int middle = header.height() / 2;
    EXPECT_EQ(header.pixelColor(header.width() - 3, middle), header.pixelColor(view.columnWidth(0) - 10, middle));

    const QImage rows = picture(view.viewport());
    const int second = view.rowViewportPosition(1) + view.rowHeight(1) / 2;
    const QColor selected = rows.pixelColor(view.columnWidth(0) - 10, second);
    EXPECT_NE(selected, QColor(Qt::white));
    EXPECT_EQ(rows.pixelColor(rows.width() - 3, second), selected);
    const int third = view.rowViewportPosition(2) + view.rowHeight(2) / 2;
    EXPECT_EQ(rows.pixelColor(rows.width() - 3, third), selected);
    const int first = view.rowViewportPosition(0) + view.rowHeight(0) / 2;
    EXPECT_EQ(rows.pixelColor(rows.width() - 3, first), rows.pixelColor(view.columnWidth(0) - 10, first))
        << "a row that is not selected stays as it is";

    // Once the user drags the column past the view's edge, the column itself spans the row.
    view.setColumnWidth(0, view.viewport()->width() + 50);
    EXPECT_EQ(picture(view.viewport()).pixelColor(rows.width() - 3, second), selected);
}

} // namespace
} // namespace Quorvane
