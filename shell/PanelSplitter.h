#pragma once
// A splitter beside a side panel: dragging it resizes the panel, when the panel allows it
// (an empty panel keeps its one pixel).

#include "desktop/GrowingDockTree.h"

#include <QWidget>

namespace qp {

class DockPanel;

class PanelSplitter : public QWidget {
    Q_OBJECT
public:
    PanelSplitter(DockPanel* panel, QWidget* parent);
    // Resizes the panel to size along its free axis when SiteDockCanResize allows it.
    bool resizePanelTo(int size);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    DockPanel* m_panel;
    QPoint m_pressAt;
    int m_startSize = 0;
};

}  // namespace qp
