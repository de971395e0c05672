#include "AboutBox.h"

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
void openWithDesktop(const QUrl& url) { QDesktopServices::openUrl(url); }
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

void SetUrlOpener(UrlOpener o) { opener() = o ? std::move(o) : UrlOpener(openWithDesktop); }
void OpenUrl(const QUrl& url) { opener()(url); }

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent, Qt::Tool)
{
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(432, 170);

    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Raised);
    auto* title = new QLabel(QStringLiteral("Quorvia Pallant, Version 1.1"), frame);
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
    connect(link, &QLabel::linkActivated, this, [this] { SiteHRefClick(); });
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(title, 0, Qt::AlignHCenter);
    frameLayout->addWidget(link, 0, Qt::AlignHCenter);

    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("help"));
    help->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("close"));
    connect(help, &QPushButton::clicked, this, &AboutBox::bHelpClick);
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

void AboutBox::SiteHRefClick() { OpenUrl(QUrl(QString::fromLatin1(kVendorSite))); }

void AboutBox::bHelpClick()
{
    OpenUrl(QUrl::fromLocalFile(HelpFilePath()));
    accept();
}

void ShowAbout(QWidget* parent)
{
    AboutBox about(parent);
    CentreOnScreen(about);
    about.exec();
}

}  // namespace qp
