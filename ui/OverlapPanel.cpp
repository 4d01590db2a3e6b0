#include "OverlapPanel.h"

#include "commands/ListCommands.h"
#include "ui/BarLook.h"
#include "ui/Form1.h"
#include "ui/ListSelection.h"
#include "ui/ListView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDockWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProxyStyle>
#include <QTimer>

namespace Quorvane {

namespace {

constexpr int kMargin = 6;
constexpr int kBarHeight = 12;
constexpr int kSwatch = 9;
// The window first shows what a command did (the views repaint in a few milliseconds); only
// then does the search start beside it.
constexpr int kStartDelayMs = 25;
// The procedure an error report names when saving a part fails.
constexpr const char *kSaveProcedure = "SaveOverlapPart";

QColor colourOf(OverlapPanel::Part part)
{
    switch (part) {
    case OverlapPanel::Part::OnlyInList1:
        return QColor(0x3b, 0x78, 0xc4);
    case OverlapPanel::Part::InBoth:
        return QColor(0x7a, 0x52, 0xa8);
    case OverlapPanel::Part::OnlyInList2:
        return QColor(0xd0, 0x6a, 0x2c);
    }
    return {};
}

int indexOf(OverlapPanel::Part part)
{
    return static_cast<int>(part);
}

// The main window's own style, and only its own: no line to drag between the form and the panel,
// which keep their sizes.
class NoDockSeparator final : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        return metric == PM_DockWidgetSeparatorExtent ? 0 : QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

OverlapPanel::OverlapPanel(Form1 &form, QWidget *parent)
    : QWidget(parent)
    , m_form(form)
    , m_worker(std::make_unique<OverlapWorker>([this](OverlapWorker::Result result) {
        QMetaObject::invokeMethod(this, [this, result] { receive(result); }, Qt::QueuedConnection);
    }))
{
    setObjectName(QStringLiteral("OverlapPanel"));
    setFont(barFont(*this));
    setFixedHeight(sizeHint().height());
    for (const ListId list : kBothLists)
        connect(m_form.listView(list)->model(), &QAbstractItemModel::modelReset, this, &OverlapPanel::invalidate);
    invalidate();
}

OverlapPanel::~OverlapPanel() = default;

QString OverlapPanel::caption(Part part)
{
    switch (part) {
    case Part::OnlyInList1:
        return QStringLiteral("only in List 1");
    case Part::InBoth:
        return QStringLiteral("in both");
    case Part::OnlyInList2:
        return QStringLiteral("only in List 2");
    }
    return {};
}

void OverlapPanel::commandStarting()
{
    m_worker->cancel();
}

void OverlapPanel::commandFinished()
{
    scheduleStart();
}

void OverlapPanel::invalidate()
{
    ++m_generation;
    m_worker->cancel();
    const CommandHost host = m_form.commandHost();
    for (const ListId list : kBothLists)
        m_form.keyIndexes().forgetStale(list, m_form.list(list), host.matchingFor(list));
    scheduleStart();
    update();
}

bool OverlapPanel::isCurrent() const
{
    return m_shown.overlap && m_shown.generation == m_generation;
}

std::optional<OverlapCounts> OverlapPanel::shownCounts() const
{
    return m_shown.overlap ? std::optional(m_shown.overlap->counts) : std::nullopt;
}

// Started from the event loop, once the change that asked for it is complete and shown.
void OverlapPanel::scheduleStart()
{
    if (m_startScheduled)
        return;
    m_startScheduled = true;
    QTimer::singleShot(kStartDelayMs, this, [this] {
        m_startScheduled = false;
        start();
    });
}

// A command that runs finishes first: commandFinished() asks again.
void OverlapPanel::start()
{
    if (isCurrent() || !isVisible() || m_form.isCommandRunning())
        return;
    const KeyIndexes &kept = m_form.keyIndexes();
    m_requestedChanges = {m_form.list1().changeCount(), m_form.list2().changeCount()};
    m_requestedMode = m_form.commandHost().matchingFor(ListId::List1);
    m_worker->request({m_form.list1().snapshot(),
                       m_form.list2().snapshot(),
                       m_requestedMode,
                       m_generation,
                       {kept.of(ListId::List1, m_form.list1()), kept.of(ListId::List2, m_form.list2())}});
}

void OverlapPanel::receive(const OverlapWorker::Result &result)
{
    if (result.generation != m_generation || !result.overlap)
        return;
    // The same generation: neither list nor the matching has changed since the request.
    m_form.keyIndexes().keep(ListId::List1, m_requestedChanges[0], result.keys.first);
    m_form.keyIndexes().keep(ListId::List2, m_requestedChanges[1], result.keys.second);
    m_form.keyIndexes().keepOverlap(m_requestedChanges, m_requestedMode, result.overlap);
    m_shown = result;
    m_shown.keys = {};
    const OverlapCounts &counts = result.overlap->counts;
    setToolTip(QStringLiteral("%1: %2\n%3: %4\n%5: %6")
                   .arg(caption(Part::OnlyInList1), locale().toString(qulonglong(counts.onlyInFirst)),
                        caption(Part::InBoth), locale().toString(qulonglong(counts.inBoth)),
                        caption(Part::OnlyInList2), locale().toString(qulonglong(counts.onlyInSecond))));
    update();
}

std::size_t OverlapPanel::countOf(Part part) const
{
    const std::optional<OverlapCounts> counts = shownCounts();
    if (!counts)
        return 0;
    const std::size_t values[] = {counts->onlyInFirst, counts->inBoth, counts->onlyInSecond};
    return values[indexOf(part)];
}

ItemList OverlapPanel::itemsOf(Part part)
{
    std::shared_ptr<const Overlap> overlap = isCurrent() ? m_shown.overlap : nullptr;
    if (!overlap) {
        NullProgress progress;
        overlap = std::make_shared<const Overlap>(findOverlap(m_form.list1().texts(), m_form.list2().texts(),
                                                              m_form.commandHost().matchingFor(ListId::List1), progress));
    }
    if (part == Part::OnlyInList2)
        return itemsFlagged(m_form.list2(), overlap->secondShared.get(), false);
    return itemsFlagged(m_form.list1(), overlap->firstShared.get(), part == Part::InBoth);
}

// Neither while a command runs: its lists are in the middle of changing.
void OverlapPanel::copyPart(Part part)
{
    if (m_form.isCommandRunning())
        return;
    const ItemList items = itemsOf(part);
    if (!items.isEmpty())
        QApplication::clipboard()->setText(clipboardLines(items, std::vector<RowRange>{{0, items.count() - 1}}));
}

// Saved as a list is saved, its warnings in boxes: the status bar's sentence is the commands'.
void OverlapPanel::savePart(Part part)
{
    if (m_saving || m_form.isCommandRunning())
        return;
    m_saving = true;
    const ItemList items = itemsOf(part);
    CommandHost host = m_form.commandHost();
    host.outcome = nullptr;
    runSaveCommand(items, kSaveProcedure, host);
    m_saving = false;
}

QMenu *OverlapPanel::contextMenu(Part part)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QString items = QStringLiteral(" the Items ") + caption(part);
    menu->addAction(QStringLiteral("&Copy") + items, this, [this, part] { copyPart(part); });
    menu->addAction(QStringLiteral("&Save") + items + QStringLiteral("..."), this, [this, part] { savePart(part); });
    return menu;
}

std::optional<OverlapPanel::Part> OverlapPanel::partAt(QPoint point) const
{
    for (const Part part : kParts) {
        if ((countOf(part) > 0 && barPartRect(part).contains(point)) || captionRect(part).contains(point))
            return part;
    }
    return std::nullopt;
}

void OverlapPanel::contextMenuEvent(QContextMenuEvent *event)
{
    if (const std::optional<Part> part = partAt(event->pos()))
        contextMenu(*part)->popup(event->globalPos());
}

void OverlapPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    scheduleStart();
}

QSize OverlapPanel::sizeHint() const
{
    return {QWidget::sizeHint().width(), 3 * kMargin + kBarHeight + fontMetrics().height()};
}

QRect OverlapPanel::barRect() const
{
    return {kMargin, kMargin, width() - 2 * kMargin, kBarHeight};
}

// Each part as long as its share of all three; a part that holds anything stays visible.
QRect OverlapPanel::barPartRect(Part part) const
{
    const QRect bar = barRect();
    std::size_t total = 0;
    for (const Part each : kParts)
        total += countOf(each);
    if (total == 0)
        return {};
    int left = bar.left();
    for (const Part each : kParts) {
        const std::size_t count = countOf(each);
        const int width = count == 0 ? 0 : std::max(2, static_cast<int>(double(count) / double(total) * bar.width()));
        const int right = each == Part::OnlyInList2 ? bar.right() + 1 : std::min(left + width, bar.right() + 1);
        if (each == part)
            return {left, bar.top(), right - left, bar.height()};
        left = right;
    }
    return {};
}

// The captions share the width in thirds: the first to the left, the second in the middle,
// the third to the right.
QRect OverlapPanel::captionRect(Part part) const
{
    const int third = (width() - 2 * kMargin) / 3;
    return {kMargin + indexOf(part) * third, 2 * kMargin + kBarHeight, third, fontMetrics().height()};
}

void OverlapPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect bar = barRect();
    painter.fillRect(bar, palette().color(QPalette::Base));
    for (const Part part : kParts)
        painter.fillRect(barPartRect(part), colourOf(part));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(bar.adjusted(0, 0, -1, -1));

    // Counts not yet found for the lists as they are stay, greyed.
    const QColor text = palette().color(isCurrent() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText);
    const Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    for (const Part part : kParts) {
        const QString count = shownCounts() ? locale().toString(qulonglong(countOf(part))) : QStringLiteral("...");
        const QString words = caption(part) + QStringLiteral(": ") + count;
        const QRect area = captionRect(part);
        const int wordsWidth = fontMetrics().horizontalAdvance(words);
        const int blockWidth = kSwatch + kMargin + wordsWidth;
        const Qt::Alignment alignment = alignments[indexOf(part)];
        const int left = alignment == Qt::AlignLeft ? area.left()
                         : alignment == Qt::AlignRight ? area.right() + 1 - blockWidth
                                                       : area.center().x() - blockWidth / 2;
        painter.fillRect(QRect(left, area.center().y() - kSwatch / 2, kSwatch, kSwatch), colourOf(part));
        painter.setPen(text);
        painter.drawText(QRect(left + kSwatch + kMargin, area.top(), wordsWidth + 1, area.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, words);
    }
}

OverlapPanel *addOverlapPanel(QMainWindow &window, Form1 &form)
{
    auto *dock = new QDockWidget(QStringLiteral("Overlap"), &window);
    dock->setObjectName(QStringLiteral("OverlapDock"));
    dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    // A strip under the form, without a title bar of its own.
    dock->setTitleBarWidget(new QWidget(dock));
    auto *panel = new OverlapPanel(form, dock);
    dock->setWidget(panel);
    window.addDockWidget(Qt::BottomDockWidgetArea, dock);
    auto *style = new NoDockSeparator;
    style->setParent(&window);
    window.setStyle(style);
    QObject::connect(dock, &QDockWidget::visibilityChanged, &window, [&window] {
        QTimer::singleShot(0, &window, [&window] { window.setFixedSize(window.sizeHint()); });
    });
    return panel;
}

void addViewMenu(QMenuBar &bar, OverlapPanel &panel)
{
    QMenu *view = bar.addMenu(QStringLiteral("&View"));
    QAction *shown = qobject_cast<QDockWidget *>(panel.parentWidget())->toggleViewAction();
    shown->setText(QStringLiteral("&Overlap of the Lists"));
    view->addAction(shown);
}

} // namespace Quorvane
