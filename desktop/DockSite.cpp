#include "DockSite.h"

#include "DockableWindow.h"
#include "ToolImages.h"

#include <QBoxLayout>
#include <QPointer>

#include <algorithm>

namespace qp {

namespace {

struct Registered {
    DockSite* site;
    int priority;
};
std::vector<Registered>& registry()
{
    static std::vector<Registered> sites;
    return sites;
}

// A drag this close to a collapsed panel counts as over it.
constexpr int kDockTolerance = 10;

QRect globalRect(QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); }

}  // namespace

DockSite::~DockSite()
{
    auto& r = registry();
    r.erase(std::remove_if(r.begin(), r.end(), [this](const Registered& e) { return e.site == this; }), r.end());
}

void DockSite::registerSite(int priority)
{
    auto& r = registry();
    r.push_back({this, priority});
    std::stable_sort(r.begin(), r.end(), [](const Registered& a, const Registered& b) { return a.priority < b.priority; });
}

std::vector<DockSite*> DockSite::sites()
{
    std::vector<DockSite*> out;
    for (const auto& e : registry())
        out.push_back(e.site);
    return out;
}

DockSite* DockSite::siteAt(QPoint globalPos)
{
    for (DockSite* site : sites()) {
        QWidget* w = site->siteWidget();
        if (w->isVisible() && site->influenceRect().contains(globalPos))
            return site;
    }
    return nullptr;
}

// --- side panels ----------------------------------------------------------------------------

DockPanel::DockPanel(DockAlign align, QWidget* parent)
    : QWidget(parent), m_align(align), m_tree(*this)
{
    setAutoFillBackground(true);
    const bool horizontal = align == DockAlign::Top || align == DockAlign::Bottom;
    m_layout = new QBoxLayout(horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(2);
    if (horizontal)
        setFixedHeight(1);
    else
        setFixedWidth(1);
    registerSite(0);
}

DockPanel::~DockPanel()
{
    for (QWidget* w : m_docked)
        if (auto* form = qobject_cast<DockableWindow*>(w))
            form->siteGone();
}

void DockPanel::setSiteSize(QSize size)
{
    if (m_align == DockAlign::Top || m_align == DockAlign::Bottom)
        setFixedHeight(std::max(1, size.height()));
    else
        setFixedWidth(std::max(1, size.width()));
}

QSize DockPanel::undockedSize(const QWidget* control)
{
    if (auto* form = qobject_cast<const DockableWindow*>(control))
        return form->undockedSize();
    return control->size();
}

void DockPanel::insertDocked(QWidget* control)
{
    m_docked.push_back(control);
    m_layout->addWidget(control);
    control->show();
}

void DockPanel::removeDocked(QWidget* control)
{
    m_docked.erase(std::remove(m_docked.begin(), m_docked.end(), control), m_docked.end());
    m_layout->removeWidget(control);
}

bool DockPanel::holds(const QWidget* form) const
{
    return std::find(m_docked.begin(), m_docked.end(), form) != m_docked.end();
}

bool DockPanel::SiteDockOver(QWidget* source, QRect* dockRect) const
{
    auto* form = qobject_cast<DockableWindow*>(source);
    if (!form)
        return false;
    const QSize desktop = DesktopSize(window());
    const int scrollWidth = m_scrollBox ? m_scrollBox->width() : 0;
    const QSize client = form->dockClientSize();
    const int w = std::min(client.width(), desktop.width() - scrollWidth);
    const int h = std::min(client.height(), desktop.height() - y());
    // In the panel's client coordinates, right and bottom exclusive.
    QRect local;
    switch (m_align) {
    case DockAlign::Top:
    case DockAlign::Bottom:
        local = QRect(0, 0, width(), h);
        break;
    case DockAlign::Left:
        local = QRect(width() - w, 0, w, height());
        break;
    case DockAlign::Right:
        local = QRect(0, 0, w, height());
        break;
    case DockAlign::None:
        break;
    }
    if (dockRect)
        *dockRect = local.translated(mapToGlobal(QPoint(0, 0)));
    return true;
}

bool DockPanel::SiteDockCanResize(int newWidth, int newHeight, bool resize) const
{
    const bool occupied = !m_docked.empty();
    if (m_align == DockAlign::Top || m_align == DockAlign::Bottom)
        return resize && (newHeight == height() || occupied);
    return resize && (newWidth == width() || occupied);
}

QRect DockPanel::influenceRect()
{
    return globalRect(this).adjusted(-kDockTolerance, -kDockTolerance, kDockTolerance, kDockTolerance);
}

bool DockPanel::dockOver(QWidget* source, QPoint, QRect* dockRect)
{
    return SiteDockOver(source, dockRect);
}

void DockPanel::dock(DockableWindow* form)
{
    form->prepareDock(this);
    m_tree.InsertControl(form);
}

void DockPanel::undock(DockableWindow* form)
{
    if (holds(form))
        m_tree.RemoveControl(form);
}

// --- the page control -------------------------------------------------------------------------

DockPages::DockPages(QWidget* parent)
    : QTabWidget(parent)
{
    registerSite(1);
}

DockPages::~DockPages()
{
    for (int i = 0; i < count(); ++i)
        if (auto* form = qobject_cast<DockableWindow*>(widget(i)))
            form->siteGone();
}

void DockPages::setImageIndexProvider(std::function<int(int)> provider)
{
    m_imageIndex = std::move(provider);
    RefreshTabImages();
}

void DockPages::RefreshTabImages()
{
    for (int i = 0; i < count(); ++i)
        setTabIcon(i, m_imageIndex ? ToolImage(m_imageIndex(i)) : QIcon());
}

QRect DockPages::influenceRect() { return globalRect(this); }

bool DockPages::dockOver(QWidget* source, QPoint, QRect* dockRect)
{
    if (!qobject_cast<DockableWindow*>(source))
        return false;
    if (dockRect)
        *dockRect = globalRect(this);
    return true;
}

void DockPages::dock(DockableWindow* form)
{
    form->prepareDock(this);
    addTab(form, form->windowTitle());
    RefreshTabImages();
    // The page shown is the one just docked. Showing it any other way would lay it over
    // the current page.
    setCurrentWidget(form);
}

void DockPages::undock(DockableWindow* form)
{
    const int index = indexOf(form);
    if (index >= 0)
        removeTab(index);
}

bool DockPages::holds(const QWidget* form) const { return indexOf(const_cast<QWidget*>(form)) >= 0; }

}  // namespace qp
