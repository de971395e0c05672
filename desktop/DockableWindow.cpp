#include "DockableWindow.h"

#include "DockSite.h"

#include <QLabel>
#include <QMouseEvent>
#include <QRubberBand>
#include <QVBoxLayout>

namespace qp {

namespace {

// The grip: a strip with the caption; pressing and dragging it drags the form.
class DockGrip : public QLabel {
public:
    DockGrip(DockableWindow* form) : QLabel(form), m_form(form)
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
            m_form->beginDrag(e->globalPosition().toPoint());
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (e->buttons() & Qt::LeftButton)
            m_form->dragTo(e->globalPosition().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton)
            m_form->endDrag(e->globalPosition().toPoint());
    }

private:
    DockableWindow* m_form;
};

}  // namespace

DockableWindow::DockableWindow(const QString& caption, QWidget* parent)
    : QWidget(parent, Qt::Window)
{
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
    delete m_band;
}

void DockableWindow::prepareDock(DockSite* site)
{
    if (m_host && m_host != site && m_hostWidget)
        m_host->undock(this);
    m_host = site;
    m_hostWidget = site->siteWidget();
    setWindowFlags(Qt::Widget);
}

void DockableWindow::dockInto(DockSite* site)
{
    if (!site || site == m_host)
        return;
    site->dock(this);
}

void DockableWindow::floatAt(QPoint globalPos)
{
    if (m_host && m_hostWidget)
        m_host->undock(this);
    m_host = nullptr;
    m_hostWidget = nullptr;
    setParent(nullptr, Qt::Window);
    resize(m_undockedSize);
    move(globalPos);
    show();
}

void DockableWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (isWindow())
        m_undockedSize = size();
}

void DockableWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowTitleChange && m_grip)
        static_cast<QLabel*>(m_grip)->setText(windowTitle());
    QWidget::changeEvent(event);
}

// --- dragging ----------------------------------------------------------------------------------

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
    if (!m_dragging)
        return;
    QRect rect;
    DockSite* site = DockSite::siteAt(globalPos);
    if (site && site != m_host && site->siteWidget()->window() != this && site->dockOver(this, globalPos, &rect)) {
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
    if (m_band)
        m_band->hide();
    DockSite* site = DockSite::siteAt(globalPos);
    if (site == m_host && site)
        return;  // dropped back where it is
    if (site && site->siteWidget()->window() != this && site->dockOver(this, globalPos, nullptr)) {
        dockInto(site);
        return;
    }
    const QPoint topLeft = globalPos - m_dragOffset;
    if (m_host)
        floatAt(topLeft);
    else
        move(topLeft);
}

}  // namespace qp
