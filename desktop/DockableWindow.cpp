#include "DockableWindow.h"

#include "DockSite.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QRubberBand>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace qp {

namespace {

// The grip: a strip with the caption; pressing and dragging it drags the window.
class DockGrip : public QLabel {
public:
    explicit DockGrip(DockableWindow* window) : QLabel(window), m_window(window)
    {
        setAutoFillBackground(true);
        setBackgroundRole(QPalette::Mid);
        setContentsMargins(4, 1, 4, 1);
        setCursor(Qt::SizeAllCursor);
        setToolTip(QObject::tr("Drag to dock or undock"));
    }

protected:
    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton)
            m_window->beginDrag(e->globalPosition().toPoint());
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (e->buttons() & Qt::LeftButton)
            m_window->dragTo(e->globalPosition().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton)
            m_window->endDrag(e->globalPosition().toPoint());
    }

private:
    DockableWindow* m_window;
};

// The window a floating DockableWindow lies in. Closing it hides the dockable window.
class FloatFrame : public QWidget {
public:
    explicit FloatFrame(DockableWindow* content) : QWidget(nullptr, Qt::Window), m_content(content)
    {
        setAttribute(Qt::WA_DeleteOnClose, false);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(content);
        setWindowTitle(content->windowTitle());
    }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        event->ignore();
        if (m_content)
            m_content->hide();
    }

private:
    QPointer<DockableWindow> m_content;
};

QRect availableAt(QPoint globalPos, const QWidget* near)
{
    QScreen* screen = QGuiApplication::screenAt(globalPos);
    if (!screen && near)
        screen = near->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

}  // namespace

QPoint PlaceOnScreen(QPoint wanted, QSize size, QRect available)
{
    const int x = std::max(available.left(), std::min(wanted.x(), available.right() + 1 - size.width()));
    const int y = std::max(available.top(), std::min(wanted.y(), available.bottom() + 1 - size.height()));
    return QPoint(x, y);
}

DockableWindow::DockableWindow(const QString& caption, QWidget* parent)
    : QWidget(parent)
{
    // Opaque: nothing the main window keeps below its panels (the key receiver) shows
    // through the gaps between its parts.
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* grip = new DockGrip(this);
    grip->setText(caption);
    m_grip = grip;
    m_client = new QWidget(this);
    layout->addWidget(m_grip);
    layout->addWidget(m_client, 1);
    setWindowTitle(caption);
    m_undockedSize = QSize(458, 281);
    resize(m_undockedSize);
}

DockableWindow::~DockableWindow()
{
    if (m_host && m_hostWidget)
        m_host->undock(this);
    if (QWidget* frame = m_frame.data()) {
        // Out of the frame first: the frame would delete its children.
        setParent(nullptr);
        delete frame;
    }
    delete m_band;
}

void DockableWindow::leaveFrame()
{
    QWidget* frame = m_frame.data();
    m_frame = nullptr;
    if (!frame)
        return;
    frame->hide();
    // Possibly inside one of the frame's own events (the grip's release): deleted later.
    frame->deleteLater();
}

void DockableWindow::prepareDock(DockSite* site)
{
    if (m_host && m_host != site && m_hostWidget)
        m_host->undock(this);
    m_host = site;
    m_hostWidget = site->siteWidget();
    // From one child to another: no native window is made or left behind.
    if (parentWidget() != m_hostWidget)
        setParent(m_hostWidget);
    leaveFrame();
}

void DockableWindow::dockInto(DockSite* site)
{
    if (!site || site == m_host)
        return;
    site->dock(this);
    emit dockingChanged();
}

void DockableWindow::floatAt(QPoint globalPos)
{
    const bool wasDocked = m_host != nullptr;
    if (m_host && m_hostWidget)
        m_host->undock(this);
    m_host = nullptr;
    m_hostWidget = nullptr;
    if (!m_frame)
        m_frame = new FloatFrame(this);
    const QPoint topLeft = PlaceOnScreen(globalPos, m_undockedSize, availableAt(globalPos, window()));
    // The client area's geometry: the window manager puts its frame around it.
    m_frame->setGeometry(QRect(topLeft, m_undockedSize));
    QWidget::setVisible(true);
    m_frame->show();
    m_frame->raise();
    m_frame->activateWindow();
    if (wasDocked)
        emit dockingChanged();
}

void DockableWindow::setVisible(bool visible)
{
    if (visible && !m_host && !m_frame && !parentWidget()) {
        // Never a top-level window of its own: it floats in a frame.
        floatAt(pos());
        return;
    }
    QWidget::setVisible(visible);
    if (m_frame)
        m_frame->setVisible(visible);
}

void DockableWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_frame)
        m_undockedSize = size();
}

void DockableWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowTitleChange) {
        if (m_grip)
            static_cast<QLabel*>(m_grip)->setText(windowTitle());
        if (m_frame)
            m_frame->setWindowTitle(windowTitle());
    }
    QWidget::changeEvent(event);
}

// --- dragging ----------------------------------------------------------------------------------

bool DockableWindow::overOwnWindow(DockSite* site) const
{
    QWidget* w = site->siteWidget();
    return w == this || isAncestorOf(w);
}

void DockableWindow::beginDrag(QPoint globalPos)
{
    m_dragging = true;
    m_dragOffset = globalPos - mapToGlobal(QPoint(0, 0));
    if (!m_band)
        m_band = new QRubberBand(QRubberBand::Rectangle, nullptr);
}

QRect DockableWindow::dragFeedback() const
{
    return m_band && m_band->isVisible() ? m_band->geometry() : QRect();
}

void DockableWindow::dragTo(QPoint globalPos)
{
    if (!m_dragging || !m_band)
        return;
    QRect rect;
    DockSite* site = DockSite::siteAt(globalPos);
    if (site && site != m_host && !overOwnWindow(site) && site->dockOver(this, globalPos, &rect)) {
        // rect holds the dock rectangle
    } else if (site && site == m_host) {
        rect = QRect();
    } else {
        rect = QRect(globalPos - m_dragOffset, m_undockedSize);
    }
    if (rect.isEmpty()) {
        m_band->hide();
        return;
    }
    m_band->setGeometry(rect);
    m_band->show();
}

void DockableWindow::endDrag(QPoint globalPos)
{
    if (!m_dragging)
        return;
    m_dragging = false;
    // The feedback window goes with the drag: no hidden window stays behind.
    delete m_band;
    m_band = nullptr;
    DockSite* site = DockSite::siteAt(globalPos);
    if (site == m_host && site)
        return;  // dropped back where it is
    if (site && !overOwnWindow(site) && site->dockOver(this, globalPos, nullptr)) {
        dockInto(site);
        return;
    }
    const QPoint topLeft = globalPos - m_dragOffset;
    if (m_host || !m_frame)
        floatAt(topLeft);
    else
        m_frame->move(m_frame->pos() + (PlaceOnScreen(topLeft, m_undockedSize, availableAt(globalPos, this)) - mapToGlobal(QPoint(0, 0))));
}

}  // namespace qp
