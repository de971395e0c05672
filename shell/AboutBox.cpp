#include "AboutBox.h"

#include "desktop/ErrorBox.h"
#include "ProgramInfo.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

namespace qp {

namespace {
bool openWithDesktop(const QUrl& url) { return QDesktopServices::openUrl(url); }
UrlOpener& opener()
{
    static UrlOpener o = openWithDesktop;
    return o;
}
}  // namespace

QString HelpFilePath()
{
    const QFileInfo program(QCoreApplication::applicationFilePath());
    const QString beside = program.absolutePath() + QLatin1Char('/') + program.completeBaseName() + QStringLiteral(".html");
    if (QFileInfo::exists(beside))
        return beside;
    return QDir::cleanPath(program.absolutePath() + QStringLiteral("/" QP_MANUAL_FROM_BINDIR "/manual.html"));
}

namespace {
QString& manualOverride()
{
    static QString path;
    return path;
}
}  // namespace

QString ManualFile() { return manualOverride().isEmpty() ? HelpFilePath() : manualOverride(); }
void SetManualFile(const QString& path) { manualOverride() = path; }

void SetUrlOpener(UrlOpener o) { opener() = o ? std::move(o) : UrlOpener(openWithDesktop); }
bool OpenUrl(const QUrl& url) { return opener()(url); }

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent, Qt::Tool)
{
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(432, 170);

    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Raised);
    auto* title = new QLabel(QString::fromLatin1(kVersionText), frame);
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    title->setFont(big);
    auto* link = new QLabel(frame);
    link->setObjectName(QStringLiteral("site"));
    link->setText(QStringLiteral("<a href=\"%1\" style=\"color:#0000ff; text-decoration:underline\">%1</a>")
                      .arg(QString::fromLatin1(kVendorSite)));
    link->setTextFormat(Qt::RichText);
    link->setCursor(Qt::PointingHandCursor);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(link, &QLabel::linkActivated, this, [this] { siteLinkClicked(); });
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(title, 0, Qt::AlignHCenter);
    frameLayout->addWidget(link, 0, Qt::AlignHCenter);

    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("help"));
    help->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("close"));
    connect(help, &QPushButton::clicked, this, &AboutBox::helpClicked);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(help);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addLayout(buttons);
}

void CentreOnScreen(QWidget& window)
{
    if (QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - window.rect().center());
}

void AboutBox::siteLinkClicked()
{
    const QString site = QString::fromLatin1(kVendorSite);
    if (!OpenUrl(QUrl(site)))
        ShowStandardError(this, QStringLiteral("This desktop has no program to open %1").arg(site));
}

void AboutBox::helpClicked()
{
    const QString manual = ManualFile();
    if (!QFileInfo::exists(manual))
        ShowStandardError(this, QStringLiteral("The manual %1 is missing").arg(manual));
    else if (!OpenUrl(QUrl::fromLocalFile(manual)))
        ShowStandardError(this, QStringLiteral("This desktop has no program to open the manual %1").arg(manual));
    accept();
}

void ShowAbout(QWidget* parent)
{
    AboutBox about(parent);
    CentreOnScreen(about);
    about.exec();
}

}  // namespace qp
