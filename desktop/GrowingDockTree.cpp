#include "GrowingDockTree.h"

#include "DockSite.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace qp {

namespace {
QSize g_desktopOverride;
}

DockResize GrowForDock(DockAlign align, QRect form, QSize site, QSize wanted, QSize desktop)
{
    switch (align) {
    case DockAlign::Top:
    case DockAlign::Bottom: {
        const int extra = form.height() - site.height();
        const int h = std::min(wanted.height(), desktop.height() - extra);
        form.setHeight(h + extra);
        return {form, QSize(site.width(), h)};
    }
    case DockAlign::Left:
    case DockAlign::Right: {
        const int extra = form.width() - site.width();
        const int w = std::min(wanted.width(), desktop.width() - extra);
        if (align == DockAlign::Left)
            form.moveLeft(form.left() - w);
        form.setWidth(w + extra);
        return {form, QSize(w, site.height())};
    }
    case DockAlign::None:
        break;
    }
    return {form, site};
}

DockResize ShrinkAfterUndock(DockAlign align, QRect form, QSize site)
{
    switch (align) {
    case DockAlign::Top:
    case DockAlign::Bottom:
        form.setHeight(form.height() - site.height() + 1);
        return {form, QSize(site.width(), 1)};
    case DockAlign::Left:
        form.moveLeft(form.left() + site.width() - 1);
        form.setWidth(form.width() - site.width() + 1);
        return {form, QSize(1, site.height())};
    case DockAlign::Right:
        form.setWidth(form.width() - site.width() + 1);
        return {form, QSize(1, site.height())};
    case DockAlign::None:
        break;
    }
    return {form, site};
}

QSize DesktopSize(const QWidget* window)
{
    if (g_desktopOverride.isValid())
        return g_desktopOverride;
    QScreen* screen = window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().size() : QSize(1024, 768);
}

QRect DesktopArea(const QWidget* window)
{
    if (g_desktopOverride.isValid())
        return QRect(QPoint(0, 0), g_desktopOverride);
    QScreen* screen = window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

QRect KeepOnDesktop(QRect form, QRect area)
{
    if (form.right() > area.right())
        form.moveRight(area.right());
    if (form.bottom() > area.bottom())
        form.moveBottom(area.bottom());
    if (form.left() < area.left())
        form.moveLeft(area.left());
    if (form.top() < area.top())
        form.moveTop(area.top());
    return form;
}

void SetDesktopSizeOverride(QSize size) { g_desktopOverride = size; }

void GrowingDockTree::InsertControl(QWidget* control)
{
    QWidget* form = m_site.window();
    const QSize wanted = DockPanel::undockedSize(control);
    form->setUpdatesEnabled(false);
    DockResize change = GrowForDock(m_site.align(), form->geometry(), m_site.size(), wanted, DesktopSize(form));
    change.form = KeepOnDesktop(change.form, DesktopArea(form));
    applyToForm(change);
    m_site.insertDocked(control);
    form->setUpdatesEnabled(true);
}

void GrowingDockTree::RemoveControl(QWidget* control)
{
    QWidget* form = m_site.window();
    form->setUpdatesEnabled(false);
    m_site.removeDocked(control);
    applyToForm(ShrinkAfterUndock(m_site.align(), form->geometry(), m_site.size()));
    form->setUpdatesEnabled(true);
}

void GrowingDockTree::applyToForm(const DockResize& change)
{
    m_site.setSiteSize(change.site);
    m_site.window()->setGeometry(change.form);
}

}  // namespace qp
