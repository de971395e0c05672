#pragma once
// AboutBox: the About box, with the link to the vendor's site and the Help button that opens
// the manual shipped with the program.

#include <QDialog>

#include <functional>

namespace qp {

inline constexpr const char* kVendorSite = "https://quorvia.example/pallant";

// The manual: the program's own path with the extension ".html" when that file exists (a
// program copied elsewhere may take its manual along), else manual.html in the
// documentation folder of the installation or build tree the program lies in.
QString HelpFilePath();
// The manual Help opens: HelpFilePath(), or the file tests set (an empty path restores it).
QString ManualFile();
void SetManualFile(const QString& path);
// Opens a URL with the desktop's opener; false when the desktop has none for it. Tests
// replace it to see what would be opened (an empty opener restores the desktop's).
using UrlOpener = std::function<bool(const QUrl&)>;
void SetUrlOpener(UrlOpener opener);
bool OpenUrl(const QUrl& url);

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);
    void siteLinkClicked();
    // Opens the manual, or says why it cannot; then the box closes.
    void helpClicked();
};

// Puts a dialog in the middle of its screen.
void CentreOnScreen(QWidget& window);

// aAboutExecute: create the box, show it modally, destroy it.
void ShowAbout(QWidget* parent);

}  // namespace qp
