// The main window and its display: focus, fitting the window to the display, fonts.
#include "MainWindow.h"

#include "display/widget/DisplayFont.h"
#include "desktop/DockSite.h"
#include "KeyReceiver.h"
#include "desktop/GrowingDockTree.h"
#include "display/widget/ConsoleView.h"

#include <QFontDialog>
#include <QLayout>
#include <QScrollArea>

#include <algorithm>

namespace qp {

void MainWindow::consoleViewClicked() { m_keyReceiver->setFocus(); }

void MainWindow::consolePageShown() { m_keyReceiver->setFocus(); }

void MainWindow::consolePageHidden()
{
    for (int i = 0; i < m_pages->count(); ++i)
        if (QWidget* page = m_pages->widget(i); page && page->isVisible()) {
            page->setFocus();
            return;
        }
}

// The window grows or shrinks so that the scroll box shows the whole display, up to the
// desktop's size.
void MainWindow::fitWindowToConsole()
{
    if (isMaximized() || isFullScreen())
        return;
    // Sizes as they are after the last change (a page docked, a panel opened), not as the
    // layout had them before it.
    if (layout())
        layout()->activate();
    const QPoint viewportOrigin = m_scrollBox->viewport()->mapTo(m_scrollBox, QPoint(0, 0));
    const int dx = viewportOrigin.x(), dy = viewportOrigin.y();
    const QSize desktop = DesktopSize(this);
    const int w = m_display->width() + 2 * dx + width() - m_scrollBox->width();
    const int h = m_display->height() + 2 * dy + height() - m_scrollBox->height();
    resize(std::min(w, desktop.width()), std::min(h, desktop.height()));
}

void MainWindow::setDisplayFont(const QFont& font) { m_display->setFont(font); }

void MainWindow::applyProfileFont(const FontSpec& font) { setDisplayFont(ToDisplayFont(font)); }

void MainWindow::aFontExecute()
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, m_display->font(), this, QString(), QFontDialog::MonospacedFonts);
    if (!ok)
        return;
    // A typed name may still be a proportional font: the display keeps a fixed-pitch one.
    setDisplayFont(ToDisplayFont(ToFontSpec(chosen)));
    if (m_console)
        m_console->setDisplayFont(ToFontSpec(m_display->font()));
}

}  // namespace qp
