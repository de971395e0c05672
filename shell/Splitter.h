#pragma once
// A splitter beside a side panel: dragging it resizes the panel, when the panel allows it
// (an empty panel keeps its one pixel).

#include "OutDock.h"

#include <QWidget>

namespace qp {

class TDockPanel;

class TSplitter : public QWidget {
    Q_OBJECT
public:
    TSplitter(TDockPanel* panel, QWidget* parent);
    // Resizes the panel to size along its free axis when SiteDockCanResize allows it.
    bool resizePanelTo(int size);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    TDockPanel* m_panel;
    QPoint m_pressAt;
    int m_startSize = 0;
};

}  // namespace qp
