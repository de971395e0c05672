#pragma once
// GrowingDockTree: the dock manager of the main window's side panels. Docking a window grows
// the main window by the room the docked window needs instead of taking it from the console
// page, never beyond the desktop; undocking shrinks it back and collapses the panel to one
// pixel.

#include <QRect>
#include <QSize>

class QWidget;

namespace qp {

enum class DockAlign { None, Top, Bottom, Left, Right };

// The main window's geometry and the site's size after a change.
struct DockResize {
    QRect form;
    QSize site;
    friend bool operator==(const DockResize&, const DockResize&) = default;
};

// The rules, on plain geometry: form is the main window (position and size), site the
// panel's size, wanted the docked window's undocked size, desktop the desktop's size.
DockResize GrowForDock(DockAlign align, QRect form, QSize site, QSize wanted, QSize desktop);
DockResize ShrinkAfterUndock(DockAlign align, QRect form, QSize site);

class DockPanel;

class GrowingDockTree {
public:
    explicit GrowingDockTree(DockPanel& site) : m_site(site) {}
    // GrowForDock for the control's undocked size, then the insertion itself.
    void InsertControl(QWidget* control);
    // The removal itself, then ShrinkAfterUndock.
    void RemoveControl(QWidget* control);

private:
    void applyToForm(const DockResize& change);
    DockPanel& m_site;
};

// The desktop size the dock rules work with: the available area of the window's screen.
QSize DesktopSize(const QWidget* window);
// That area with its position on the virtual desktop.
QRect DesktopArea(const QWidget* window);
// The window's rectangle moved as little as needed to lie within area (its top-left kept
// inside when it is larger): growing to the left must not push it off the screen.
QRect KeepOnDesktop(QRect form, QRect area);
// Tests replace the desktop's size with one of their own; an invalid size restores it.
void SetDesktopSizeOverride(QSize size);

}  // namespace qp
