#pragma once

#include "engine/ItemList.h"
#include "engine/Overlap.h"
#include "ui/OverlapWorker.h"

#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QMainWindow;
class QMenu;
class QMenuBar;

namespace Quorvane {

class Form1;

// How the two lists overlap under the matching in use, drawn under the form: a bar whose three
// parts are as long as the counts "only in List 1", "in both" and "only in List 2", and the
// counts beneath. The counts are found on a thread of their own after every change (OverlapWorker),
// never while a command runs; until they come the last ones are shown greyed. Each part's
// context menu copies or saves exactly its items.
class OverlapPanel final : public QWidget
{
public:
    enum class Part { OnlyInList1, InBoth, OnlyInList2 };
    static constexpr std::array kParts = {Part::OnlyInList1, Part::InBoth, Part::OnlyInList2};

    explicit OverlapPanel(Form1 &form, QWidget *parent = nullptr);
    ~OverlapPanel() override;

    // Told by the window around each command: none is found while one runs.
    void commandStarting();
    void commandFinished();
    // The matching changed: the counts shown are out of date.
    void invalidate();

    // Whether the counts shown are those of the lists and the matching as they are now.
    bool isCurrent() const;
    // The counts shown, current or not; none before the first are found.
    std::optional<OverlapCounts> shownCounts() const;
    static QString caption(Part part);

    // The part's items in the lists as they are now, in list order.
    ItemList itemsOf(Part part);
    // The part's context menu: Copy and Save.
    QMenu *contextMenu(Part part);
    std::optional<Part> partAt(QPoint point) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void showEvent(QShowEvent *event) override;
    QSize sizeHint() const override;

private:
    void scheduleStart();
    void start();
    void receive(const OverlapWorker::Result &result);
    void copyPart(Part part);
    void savePart(Part part);
    std::size_t countOf(Part part) const;
    QRect barRect() const;
    QRect barPartRect(Part part) const;
    QRect captionRect(Part part) const;

    Form1 &m_form;
    std::uint64_t m_generation = 0;
    // The lists' change counts and List 1's matching when the request of m_generation was made.
    std::array<std::uint64_t, 2> m_requestedChanges = {};
    MatchMode m_requestedMode;
    OverlapWorker::Result m_shown;
    bool m_startScheduled = false;
    bool m_saving = false;
    std::unique_ptr<OverlapWorker> m_worker; // last: it stops before what it reports to goes
};

// The panel in a dock under the form, and a View menu that shows or hides it; the window keeps
// a fixed size, that of the form, the bars and the panel when shown.
OverlapPanel *addOverlapPanel(QMainWindow &window, Form1 &form);
void addViewMenu(QMenuBar &bar, OverlapPanel &panel);

} // namespace Quorvane
