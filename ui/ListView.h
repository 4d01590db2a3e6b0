#pragma once

#include <QTableView>

#include <cstddef>
#include <optional>

namespace Quorvane {

// A details view of one list: one headed column, one row per item, no grid and no row numbers.
class ListView final : public QTableView
{
    Q_OBJECT

public:
    explicit ListView(QWidget *parent = nullptr);

    // The row of the selected item, if one is selected.
    std::optional<std::size_t> selectedRow() const;

signals:
    // A double-click or the Delete key (with any modifiers) asks to remove the selected item.
    void removeSelectedRequested();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace Quorvane
