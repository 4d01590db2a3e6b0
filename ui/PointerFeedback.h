#pragma once

#include "commands/CommandHost.h"

#include <QHash>
#include <QObject>

class QWidget;

namespace Quorvane {

// Switches the pointer of a window, or of the form within one, as the mouse moves over it: the
// custom pointer over a button, the default pointer over the window's own surface, a frame or a
// list view. The hourglass of a running command always stays. Watches the application's mouse
// moves, so controls need no mouse tracking of their own and moves over a list view's header or
// scroll bars count too.
class PointerFeedback final : public QObject
{
public:
    enum class Role { ShowsCustom, ShowsDefault, LeavesAsIs };

    PointerFeedback(QWidget &window, PointerControl &pointer);

    // A move over widget, or over a part of it without a role of its own, takes this role.
    void setRole(const QWidget *widget, Role role) { m_roles.insert(widget, role); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Role roleAt(const QPointF &globalPosition) const;

    QWidget &m_window;
    PointerControl &m_pointer;
    QHash<const QWidget *, Role> m_roles;
};

} // namespace Quorvane
