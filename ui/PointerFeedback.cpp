#include "PointerFeedback.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

namespace Quorvane {

PointerFeedback::PointerFeedback(QWidget &window, PointerControl &pointer)
    : QObject(nullptr)
    , m_window(window)
    , m_pointer(pointer)
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool PointerFeedback::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::MouseMove || !watched->isWidgetType())
        return false;
    // The watched area need not be a window of its own: the form sits inside the main window.
    const auto *widget = static_cast<QWidget *>(watched);
    if (widget != &m_window && !m_window.isAncestorOf(widget))
        return false;
    if (m_pointer.pointer() == Pointer::Hourglass)
        return false;
    const Role role = roleAt(static_cast<QMouseEvent *>(event)->globalPosition());
    if (role == Role::LeavesAsIs)
        return false;
    const Pointer wanted = role == Role::ShowsCustom ? Pointer::Custom : Pointer::Default;
    // A move reaches every widget up to the window; the pointer changes once.
    if (m_pointer.pointer() != wanted)
        m_pointer.setPointer(wanted);
    return false;
}

PointerFeedback::Role PointerFeedback::roleAt(const QPointF &globalPosition) const
{
    const QPoint local = m_window.mapFromGlobal(globalPosition.toPoint());
    if (!m_window.rect().contains(local))
        return Role::LeavesAsIs;
    QWidget *under = m_window.childAt(local);
    for (const QWidget *widget = under ? under : &m_window; widget; widget = widget->parentWidget()) {
        const auto found = m_roles.constFind(widget);
        if (found != m_roles.constEnd())
            return found.value();
    }
    return Role::LeavesAsIs;
}

} // namespace Quorvane
