#pragma once

#include <QTableView>

namespace Quorvane {

// A details view of one list: one headed column, one row per item, no grid and no row numbers.
class ListView final : public QTableView
{
public:
    explicit ListView(QWidget *parent = nullptr);
};

} // namespace Quorvane
