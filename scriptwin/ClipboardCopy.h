#pragma once
// The screen on the clipboard: every copy format as a MIME type of one clipboard entry,
// and the 16-colour screenshot.

#include "display/CopyFormats.h"
#include "console/ScreenTypes.h"

#include <QImage>
#include <QString>

class QMimeData;

namespace qp {

class HostedConsole;
class ConsoleView;

inline constexpr const char* kMimeOemText = "application/x-quorvia-oem-text";
inline constexpr const char* kMimeAnsiText = "application/x-quorvia-ansi-text";
inline constexpr const char* kMimeLocale = "application/x-quorvia-locale";
inline constexpr const char* kMimeRtf = "text/rtf";
inline constexpr const char* kMimeRtfApplication = "application/rtf";

// The system's 16-colour palette the screenshot is reduced to.
QList<QRgb> SixteenColorPalette();

// The display's selection (or the whole display) drawn into a 16-colour image.
QImage ScreenShotImage(const ConsoleView& display);

// The display font as the RTF document names it.
RtfFont RtfFontOf(const ConsoleView& display);

// All formats of a copy of rect: the three texts when they are not empty, the RTF
// document, the locale and the bitmap. Each text comes from a fresh snapshot.
QMimeData* MakeCopyData(HostedConsole& console, const CellRect& rect, const RtfFont& font, const QImage& bitmap);

// Places data on the clipboard; throws "Cannot open clipboard" when it cannot.
void PlaceOnClipboard(QMimeData* data);

}  // namespace qp
