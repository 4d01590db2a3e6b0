#pragma once

#include <QObject>

#include <functional>
#include <string>
#include <vector>

class QAbstractItemView;

namespace Quorvane {

// Lets files from a file manager be dropped on a list view. Only drags that carry local files
// are accepted; the paths reach the handler in the order the drag lists them.
class FileDrop final : public QObject
{
public:
    using Handler = std::function<void(const std::vector<std::string> &paths)>;

    FileDrop(QAbstractItemView &view, Handler handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Handler m_handler;
};

} // namespace Quorvane
