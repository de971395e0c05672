#include "DockSite.h"

#include "DockForm.h"
#include "ToolImages.h"

#include <QBoxLayout>
#include <QPointer>

#include <algorithm>

namespace qp {

namespace {

struct Registered {
    TDockSite* site;
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

TDockSite::~TDockSite()
{
    auto& r = registry();
    r.erase(std::remove_if(r.begin(), r.end(), [this](const Registered& e) { return e.site == this; }), r.end());
}

void TDockSite::registerSite(int priority)
{
    auto& r = registry();
    r.push_back({this, priority});
    std::stable_sort(r.begin(), r.end(), [](const Registered& a, const Registered& b) { return a.priority < b.priority; });
}

std::vector<TDockSite*> TDockSite::sites()
{
    std::vector<TDockSite*> out;
    for (const auto& e : registry())
        out.push_back(e.site);
    return out;
}

TDockSite* TDockSite::siteAt(QPoint globalPos)
{
    for (TDockSite* site : sites()) {
        QWidget* w = site->siteWidget();
        if (w->isVisible() && site->influenceRect().contains(globalPos))
            return site;
    }
    return nullptr;
}

// --- side panels ----------------------------------------------------------------------------

TDockPanel::TDockPanel(DockAlign align, QWidget* parent)
    : QWidget(parent), m_align(align), m_tree(*this)
{
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

TDockPanel::~TDockPanel()
{
    for (QWidget* w : m_docked)
        if (auto* form = qobject_cast<TDockForm*>(w))
            form->siteGone();
}

void TDockPanel::setSiteSize(QSize size)
{
    if (m_align == DockAlign::Top || m_align == DockAlign::Bottom)
        setFixedHeight(std::max(1, size.height()));
    else
        setFixedWidth(std::max(1, size.width()));
}

QSize TDockPanel::undockedSize(const QWidget* control)
{
    if (auto* form = qobject_cast<const TDockForm*>(control))
        return form->undockedSize();
    return control->size();
}

void TDockPanel::insertDocked(QWidget* control)
{
    m_docked.push_back(control);
    m_layout->addWidget(control);
    control->show();
}

void TDockPanel::removeDocked(QWidget* control)
{
    m_docked.erase(std::remove(m_docked.begin(), m_docked.end(), control), m_docked.end());
    m_layout->removeWidget(control);
}

bool TDockPanel::holds(const QWidget* form) const
{
    return std::find(m_docked.begin(), m_docked.end(), form) != m_docked.end();
}

bool TDockPanel::SiteDockOver(QWidget* source, QRect* dockRect) const
{
    auto* form = qobject_cast<TDockForm*>(source);
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

bool TDockPanel::SiteDockCanResize(int newWidth, int newHeight, bool resize) const
{
    const bool occupied = !m_docked.empty();
    if (m_align == DockAlign::Top || m_align == DockAlign::Bottom)
        return resize && (newHeight == height() || occupied);
    return resize && (newWidth == width() || occupied);
}

QRect TDockPanel::influenceRect()
{
    return globalRect(this).adjusted(-kDockTolerance, -kDockTolerance, kDockTolerance, kDockTolerance);
}

bool TDockPanel::dockOver(QWidget* source, QPoint, QRect* dockRect)
{
    return SiteDockOver(source, dockRect);
}

void TDockPanel::dock(TDockForm* form)
{
    form->prepareDock(this);
    m_tree.InsertControl(form);
}

void TDockPanel::undock(TDockForm* form)
{
    if (holds(form))
        m_tree.RemoveControl(form);
}

// --- the page control -------------------------------------------------------------------------

TDockPages::TDockPages(QWidget* parent)
    : QTabWidget(parent)
{
    registerSite(1);
}

TDockPages::~TDockPages()
{
    for (int i = 0; i < count(); ++i)
        if (auto* form = qobject_cast<TDockForm*>(widget(i)))
            form->siteGone();
}

void TDockPages::setImageIndexProvider(std::function<int(int)> provider)
{
    m_imageIndex = std::move(provider);
    RefreshTabImages();
}

void TDockPages::RefreshTabImages()
{
    for (int i = 0; i < count(); ++i)
        setTabIcon(i, m_imageIndex ? ToolImage(m_imageIndex(i)) : QIcon());
}

QRect TDockPages::influenceRect() { return globalRect(this); }

bool TDockPages::dockOver(QWidget* source, QPoint, QRect* dockRect)
{
    if (!qobject_cast<TDockForm*>(source))
        return false;
    if (dockRect)
        *dockRect = globalRect(this);
    return true;
}

void TDockPages::dock(TDockForm* form)
{
    form->prepareDock(this);
    addTab(form, form->windowTitle());
    RefreshTabImages();
    form->show();
}

void TDockPages::undock(TDockForm* form)
{
    const int index = indexOf(form);
    if (index >= 0)
        removeTab(index);
}

bool TDockPages::holds(const QWidget* form) const { return indexOf(const_cast<QWidget*>(form)) >= 0; }

}  // namespace qp
