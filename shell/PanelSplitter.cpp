#include "PanelSplitter.h"

#include "desktop/DockSite.h"

#include <QMouseEvent>

namespace qp {

PanelSplitter::PanelSplitter(DockPanel* panel, QWidget* parent)
    : QWidget(parent), m_panel(panel)
{
    switch (panel->align()) {
    case DockAlign::Top:
    case DockAlign::Bottom:
        setFixedHeight(4);
        setCursor(Qt::SizeVerCursor);
        break;
    default:
        setFixedWidth(3);
        setCursor(Qt::SizeHorCursor);
        break;
    }
}

bool PanelSplitter::resizePanelTo(int size)
{
    const bool vertical = m_panel->align() == DockAlign::Top || m_panel->align() == DockAlign::Bottom;
    const int newWidth = vertical ? m_panel->width() : size;
    const int newHeight = vertical ? size : m_panel->height();
    if (!m_panel->SiteDockCanResize(newWidth, newHeight, true))
        return false;
    m_panel->setSiteSize(QSize(newWidth, newHeight));
    return true;
}

void PanelSplitter::mousePressEvent(QMouseEvent* event)
{
    m_pressAt = event->globalPosition().toPoint();
    const bool vertical = m_panel->align() == DockAlign::Top || m_panel->align() == DockAlign::Bottom;
    m_startSize = vertical ? m_panel->height() : m_panel->width();
}

void PanelSplitter::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPoint delta = event->globalPosition().toPoint() - m_pressAt;
    switch (m_panel->align()) {
    case DockAlign::Bottom: resizePanelTo(m_startSize - delta.y()); break;
    case DockAlign::Top: resizePanelTo(m_startSize + delta.y()); break;
    case DockAlign::Left: resizePanelTo(m_startSize + delta.x()); break;
    case DockAlign::Right: resizePanelTo(m_startSize - delta.x()); break;
    case DockAlign::None: break;
    }
}

}  // namespace qp
