// The main window and its display: focus, fitting the window to the display, fonts.
#include "TForm1.h"

#include "DisplayFont.h"
#include "DockSite.h"
#include "KeyReceiver.h"
#include "OutDock.h"
#include "TDisplay.h"

#include <QFontDialog>
#include <QScrollArea>

#include <algorithm>

namespace qp {

void TForm1::Display1Click() { m_keyReceiver->setFocus(); }

void TForm1::TabSheet1Show() { m_keyReceiver->setFocus(); }

void TForm1::TabSheet1Hide()
{
    for (int i = 0; i < m_pages->count(); ++i)
        if (QWidget* page = m_pages->widget(i); page && page->isVisible()) {
            page->setFocus();
            return;
        }
}

// The window grows or shrinks so that the scroll box shows the whole display, up to the
// desktop's size.
void TForm1::Display1Resize()
{
    if (isMaximized() || isFullScreen())
        return;
    const QPoint viewportOrigin = m_scrollBox->viewport()->mapTo(m_scrollBox, QPoint(0, 0));
    const int dx = viewportOrigin.x(), dy = viewportOrigin.y();
    const QSize desktop = DesktopSize(this);
    const int w = m_display->width() + 2 * dx + width() - m_scrollBox->width();
    const int h = m_display->height() + 2 * dy + height() - m_scrollBox->height();
    resize(std::min(w, desktop.width()), std::min(h, desktop.height()));
}

void TForm1::setDisplayFont(const QFont& font) { m_display->setFont(font); }

void TForm1::applyProfileFont(const FontSpec& font) { setDisplayFont(ToDisplayFont(font)); }

void TForm1::aFontExecute()
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
