#pragma once
// DockableWindow: a window that can be docked into the main window's side panels or page
// control. It carries a grip strip with its caption: dragging the grip shows where the
// window would dock and docks it on release; dragging a docked window's grip away from its
// site floats it again. The script window is one.
//
// The widget itself is never a native window of its own: floating, it lies in a frame
// window made for the purpose, and docking it deletes that frame. Moving a widget that has
// been a top-level window into another window would leave it a native child window, which
// takes neither clicks nor keys the way its new surroundings expect, and an unmapped
// window behind.

#include <QPointer>
#include <QWidget>

class QRubberBand;

namespace qp {

class DockSite;

class DockableWindow : public QWidget {
    Q_OBJECT
public:
    explicit DockableWindow(const QString& caption, QWidget* parent = nullptr);
    ~DockableWindow() override;

    // The area below the grip, where the window's own content goes.
    QWidget* clientArea() const { return m_client; }

    DockSite* hostSite() const { return m_host; }
    bool isDocked() const { return m_host != nullptr; }
    bool isFloating() const { return m_frame != nullptr; }
    // The frame window that holds it while it floats, else nullptr.
    QWidget* floatingFrame() const { return m_frame; }
    // The size it has as a window of its own (kept while it floats).
    QSize undockedSize() const { return m_undockedSize; }
    void setUndockedSize(QSize size) { m_undockedSize = size; }
    // The client size a dock rectangle is made for: the undocked size.
    QSize dockClientSize() const { return m_undockedSize; }

    // Docks into site (undocking from the current one first).
    void dockInto(DockSite* site);
    // Leaves its site and becomes a window of its own with its top-left at globalPos, moved
    // as far as needed to lie on the screen.
    void floatAt(QPoint globalPos);

    // Sites call this before they take the window: it leaves its old site or frame.
    void prepareDock(DockSite* site);
    // A site that is being destroyed lets go of the window.
    void siteGone() { m_host = nullptr; m_hostWidget = nullptr; }

    // Shown and hidden with its frame while it floats. Shown while neither docked nor
    // floating, it floats where it is.
    void setVisible(bool visible) override;

    // Interactive dragging by the grip, also driven by tests: start, move, finish.
    void beginDrag(QPoint globalPos);
    void dragTo(QPoint globalPos);
    void endDrag(QPoint globalPos);
    // The rectangle shown during a drag (global), empty when none.
    QRect dragFeedback() const;

signals:
    // After the window docked, undocked or moved between sites.
    void dockingChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void leaveFrame();
    bool overOwnWindow(DockSite* site) const;

    QWidget* m_grip = nullptr;
    QWidget* m_client = nullptr;
    QPointer<QWidget> m_hostWidget;
    DockSite* m_host = nullptr;
    QPointer<QWidget> m_frame;
    QSize m_undockedSize;
    QRubberBand* m_band = nullptr;
    QPoint m_dragOffset;
    bool m_dragging = false;
};

// Where a floating window of the given size goes when its top-left is asked for at wanted:
// moved as little as possible to lie within the screen's available area (the top-left
// corner first, when the window is larger than the area).
QPoint PlaceOnScreen(QPoint wanted, QSize size, QRect available);

}  // namespace qp
