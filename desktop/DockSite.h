#pragma once
// Dock sites of the main window: the three collapsed side panels (bottom, right, left) and
// the page control, which takes a docked window as a page of its own. Dockable windows
// (DockableWindow) find the sites through a registry while they are dragged.

#include "GrowingDockTree.h"

#include <QRect>
#include <QTabWidget>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QBoxLayout;

namespace qp {

class DockableWindow;

class DockSite {
public:
    virtual ~DockSite();
    virtual QWidget* siteWidget() = 0;
    // Where, in global coordinates, a drag counts as over this site.
    virtual QRect influenceRect() = 0;
    // The drag-over handler: whether source may dock here, and the rectangle (global) that
    // shows where it would go.
    virtual bool dockOver(QWidget* source, QPoint globalPos, QRect* dockRect) = 0;
    virtual void dock(DockableWindow* form) = 0;
    virtual void undock(DockableWindow* form) = 0;
    virtual bool holds(const QWidget* form) const = 0;

    // The sites in the order a drag looks at them: side panels before the page control.
    static std::vector<DockSite*> sites();
    static DockSite* siteAt(QPoint globalPos);

protected:
    void registerSite(int priority);
};

// One of the three side panels. Empty, it is one pixel high (bottom) or wide (sides).
class DockPanel : public QWidget, public DockSite {
    Q_OBJECT
public:
    DockPanel(DockAlign align, QWidget* parent);
    ~DockPanel() override;

    DockAlign align() const { return m_align; }
    int dockClientCount() const { return int(m_docked.size()); }
    // The scroll box whose width limits a side dock rectangle (SiteDockOver).
    void setScrollBox(QWidget* scrollBox) { m_scrollBox = scrollBox; }

    // SiteDockOver and SiteDockCanResize, the panels' shared handlers.
    bool SiteDockOver(QWidget* source, QRect* dockRect) const;
    bool SiteDockCanResize(int newWidth, int newHeight, bool resize) const;

    // The panel's size along its free axis (height for the bottom one, width for the sides).
    void setSiteSize(QSize size);
    // Called by the dock tree: the bare insertion and removal.
    void insertDocked(QWidget* control);
    void removeDocked(QWidget* control);
    static QSize undockedSize(const QWidget* control);

    // DockSite
    QWidget* siteWidget() override { return this; }
    QRect influenceRect() override;
    bool dockOver(QWidget* source, QPoint globalPos, QRect* dockRect) override;
    void dock(DockableWindow* form) override;
    void undock(DockableWindow* form) override;
    bool holds(const QWidget* form) const override;

private:
    DockAlign m_align;
    QBoxLayout* m_layout;
    QWidget* m_scrollBox = nullptr;
    std::vector<QWidget*> m_docked;
    GrowingDockTree m_tree;
};

// The page control: a docked window becomes a page whose tab shows its caption.
class DockPages : public QTabWidget, public DockSite {
    Q_OBJECT
public:
    explicit DockPages(QWidget* parent);
    ~DockPages() override;

    // Chooses each tab's image (tabImageIndex); asked again by RefreshTabImages.
    void setImageIndexProvider(std::function<int(int tabIndex)> provider);
    void RefreshTabImages();

    QWidget* siteWidget() override { return this; }
    QRect influenceRect() override;
    bool dockOver(QWidget* source, QPoint globalPos, QRect* dockRect) override;
    void dock(DockableWindow* form) override;
    void undock(DockableWindow* form) override;
    bool holds(const QWidget* form) const override;

private:
    std::function<int(int)> m_imageIndex;
};

}  // namespace qp
