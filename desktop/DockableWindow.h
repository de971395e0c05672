#pragma once
// DockableWindow: a window that can be docked into the main window's side panels or page
// control. It carries a grip strip with its caption: dragging the grip shows where the
// window would dock and docks it on release; dragging a docked window's grip away from its
// site floats it again. The script window is one.

#include <QPointer>
#include <QWidget>

class QRubberBand;
class QVBoxLayout;

namespace qp {

class DockSite;

class DockableWindow : public QWidget {
    Q_OBJECT
public:
    explicit DockableWindow(const QString& caption, QWidget* parent = nullptr);
    ~DockableWindow() override;

    // The area below the grip, where the form's own content goes.
    QWidget* clientArea() const { return m_client; }

    DockSite* hostSite() const { return m_host; }
    bool isDocked() const { return m_host != nullptr; }
    // The size the form has as a window of its own (kept while it floats).
    QSize undockedSize() const { return m_undockedSize; }
    void setUndockedSize(QSize size) { m_undockedSize = size; }
    // The client size a dock rectangle is made for: the undocked size.
    QSize dockClientSize() const { return m_undockedSize; }

    // Docks into site (undocking from the current one first).
    void dockInto(DockSite* site);
    // Leaves its site and becomes a window of its own at globalPos (top-left).
    void floatAt(QPoint globalPos);

    // Sites call this before they take the form: it leaves its old site.
    void prepareDock(DockSite* site);
    // A site that is being destroyed lets go of the form.
    void siteGone() { m_host = nullptr; m_hostWidget = nullptr; }

    // Interactive dragging by the grip, also driven by tests: start, move, finish.
    void beginDrag(QPoint globalPos);
    void dragTo(QPoint globalPos);
    void endDrag(QPoint globalPos);
    // The rectangle shown during a drag (global), empty when none.
    QRect dragFeedback() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* m_grip = nullptr;
    QWidget* m_client = nullptr;
    QPointer<QWidget> m_hostWidget;
    DockSite* m_host = nullptr;
    QSize m_undockedSize;
    QRubberBand* m_band = nullptr;
    QPoint m_dragOffset;
    bool m_dragging = false;
};

}  // namespace qp
