#include "MainWindow.h"

#include "CommandLine.h"
#include "script/ConsoleSession.h"
#include "KeyLogWindow.h"
#include "display/widget/DisplayFont.h"
#include "desktop/DockSite.h"
#include "desktop/ErrorBox.h"
#include "console/Errors.h"
#include "KeyReceiver.h"
#include "PanelSplitter.h"
#include "scriptwin/ScriptRunner.h"
#include "display/widget/ConsoleView.h"
#include "scriptwin/ScriptWindow.h"
#include "script/ZEBConsole.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QToolBar>
#include <QThread>
#include <QVBoxLayout>

#include <cstdio>
#include <thread>

namespace qp {

// The console tells the window about a profile's display font from whichever thread
// applied the profile; the font is applied on the window's own thread.
class MainWindow::Listener : public ConsoleListener {
public:
    explicit Listener(MainWindow* form) : m_form(form) {}
    void displayFontChanged(const FontSpec& font) override
    {
        QMetaObject::invokeMethod(m_form, [form = m_form, font] { form->applyProfileFont(font); }, Qt::QueuedConnection);
    }

private:
    MainWindow* m_form;
};

MainWindow::MainWindow(MainWindowOptions options)
    : m_options(std::move(options))
{
    setWindowTitle(QStringLiteral("Quorvia Pallant"));
    resize(856, 568);
    createWindow();
}

void MainWindow::createWindow()
{
    createLayout();
    createActions();
    connectActions();
    CreateHostedConsole();
    createScriptWindow();
    // The bottom dock panel starts collapsed.
    m_bottomPanel->setSiteSize(QSize(m_bottomPanel->width(), 1));

    m_timer = new QTimer(this);
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, &MainWindow::refreshScreen);
    m_timer->start();
    updateActions();
    // The console page is the one shown: its keys go to the receiver.
    consolePageShown();
}

void MainWindow::CreateHostedConsole()
{
    m_listener = std::make_unique<Listener>(this);
    try {
        m_console = std::make_unique<HostedConsole>(m_listener.get(), m_options.console);
        m_console->setDisplayFont(DesignDisplayFont());
        CreateConsoleSession();
        UpdateCaption();
    } catch (const std::exception& e) {
        // Reported at once; the window is created all the same, without a console.
        ShowStandardError(this, e);
    }
}

// The objects' view of the console. A stand-alone start makes the process's own console
// object and holds it for the window's life; a start for automation leaves it to the first
// client's object.
void MainWindow::CreateConsoleSession()
{
    m_session = std::make_shared<ConsoleSession>(*m_console);
    m_session->setMainThreadPump(std::this_thread::get_id(), [] { QCoreApplication::processEvents(); });
    m_session->setErrorBox([this](const std::string& message) {
        // Off screen nobody could answer a box: the message goes to standard error.
        if (QGuiApplication::platformName() == QLatin1String("offscreen"))
            std::fprintf(stderr, "%s\n", message.c_str());
        else if (QThread::currentThread() == thread())
            ShowCantExecute(this, QString::fromUtf8(message));
        else
            QMetaObject::invokeMethod(this, [this, message] { ShowCantExecute(this, QString::fromUtf8(message)); },
                                      Qt::BlockingQueuedConnection);
    });
    if (!m_options.automationStart)
        m_session->setConsoleObject(ZEBConsole::create(m_session));
}

// Layout in creation order: each control lies above the ones created before it, and the
// key receiver lies under the page control, where it plays no visible part.
void MainWindow::createLayout()
{
    m_bottomPanel = new DockPanel(DockAlign::Bottom, this);
    m_bottomPanel->setObjectName(QStringLiteral("BottomPanel"));
    m_rightPanel = new DockPanel(DockAlign::Right, this);
    m_rightPanel->setObjectName(QStringLiteral("RightPanel"));
    m_leftPanel = new DockPanel(DockAlign::Left, this);
    m_leftPanel->setObjectName(QStringLiteral("LeftPanel"));
    m_bottomSplitter = new PanelSplitter(m_bottomPanel, this);
    m_rightSplitter = new PanelSplitter(m_rightPanel, this);
    m_leftSplitter = new PanelSplitter(m_leftPanel, this);

    m_keyReceiver = new KeyReceiver(this);
    m_keyReceiver->setObjectName(QStringLiteral("KeyReceiver"));
    m_keyReceiver->setGeometry(9, 41, 112, 56);
    m_keyReceiver->onKeyDown = [this](QKeyEvent* e) { keyDownEvent(e); };
    m_keyReceiver->onKeyUp = [this](QKeyEvent* e) { keyUpEvent(e); };

    m_pages = new DockPages(this);
    m_pages->setObjectName(QStringLiteral("Pages"));
    m_pages->setFocusPolicy(Qt::NoFocus);
    m_pages->setImageIndexProvider([this](int tab) { return tabImageIndex(tab); });

    m_consolePage = new QWidget;
    m_consolePage->setObjectName(QStringLiteral("ConsolePage"));
    m_toolBar = new QToolBar(m_consolePage);
    m_toolBar->setObjectName(QStringLiteral("ConsoleToolBar"));
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setFixedHeight(25 + 4);
    m_scrollBox = new QScrollArea(m_consolePage);
    m_scrollBox->setObjectName(QStringLiteral("ConsoleScrollBox"));
    m_scrollBox->setWidgetResizable(false);
    m_scrollBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_display = new ConsoleView;
    m_display->setObjectName(QStringLiteral("ConsoleView"));
    m_display->setFont(ToDisplayFont(DesignDisplayFont()));
    m_display->setRepaintEveryTick(m_options.repaintEveryTick);
    m_scrollBox->setWidget(m_display);
    connect(m_display, &ConsoleView::clicked, this, &MainWindow::consoleViewClicked);
    connect(m_display, &ConsoleView::resized, this, &MainWindow::fitWindowToConsole);

    auto* sheetLayout = new QVBoxLayout(m_consolePage);
    sheetLayout->setContentsMargins(0, 0, 0, 0);
    sheetLayout->setSpacing(0);
    sheetLayout->addWidget(m_toolBar);
    sheetLayout->addWidget(m_scrollBox, 1);
    m_pages->addTab(m_consolePage, QStringLiteral("Console"));
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int index) {
        if (m_pages->widget(index) == m_consolePage)
            consolePageShown();
        else
            consolePageHidden();
    });
    m_rightPanel->setScrollBox(m_scrollBox);
    m_leftPanel->setScrollBox(m_scrollBox);
    m_bottomPanel->setScrollBox(m_scrollBox);

    auto* middle = new QHBoxLayout;
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    middle->addWidget(m_leftPanel);
    middle->addWidget(m_leftSplitter);
    middle->addWidget(m_pages, 1);
    middle->addWidget(m_rightSplitter);
    middle->addWidget(m_rightPanel);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addLayout(middle, 1);
    root->addWidget(m_bottomSplitter);
    root->addWidget(m_bottomPanel);
    m_keyReceiver->lower();
}

MainWindow::~MainWindow()
{
    m_timer->stop();
    // A run still going ends before the console it drives.
    m_scriptRunner.reset();
    delete m_scriptWindow.data();
    KillProgram();
    // The objects' view goes before the console it refers to.
    m_session.reset();
    // Stops the console's reader thread before the listener goes.
    m_console.reset();
    delete m_keyLogWindow.data();
}

// --- the hosted console ---------------------------------------------------------------------

void MainWindow::ProcessCommandLine(const QStringList& arguments)
{
    std::vector<std::string> args;
    for (const QString& a : arguments)
        args.push_back(a.toStdString());
    if (args.empty())
        return;
    const std::string command = CommandFromArguments(args);
    // Started by object activation to serve automation clients: nothing runs here.
    if (command == "-Embedding")
        return;
    RunInConsole(command);
}

bool MainWindow::RunInConsole(const std::string& command)
{
    if (!m_console)
        return false;
    try {
        m_console->runInConsole(command);
        return true;
    } catch (const CantExecuteError& e) {
        ShowCantExecute(this, QString::fromUtf8(e.what()));
        return false;
    }
}

bool MainWindow::IsProgramActive() { return m_console && m_console->isProgramActive(); }

void MainWindow::KillProgram()
{
    if (m_console)
        m_console->killProgram();
}

void MainWindow::UpdateCaption()
{
    const QString caption = m_console ? QString::fromStdString(m_console->updateCaption()) : QStringLiteral("Quorvia Pallant");
    if (caption == m_caption)
        return;
    m_caption = caption;
    setWindowTitle(caption);
    SetApplicationTitle(caption);
}

// --- refresh ------------------------------------------------------------------------------------

void MainWindow::refreshScreen()
{
    TakeSnapshot();
    updateActions();
}

void MainWindow::TakeSnapshot()
{
    UpdateCaption();
    if (m_console)
        m_display->attachSnapshot(m_console->takeSnapshot());
}

// --- closing ------------------------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), QStringLiteral("Do you want to quit?"),
                    QMessageBox::NoButton, this);
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    if (box.clickedButton() == yes && (!m_confirmTerminate || m_confirmTerminate(this))) {
        m_closed = true;
        event->accept();
    }
    else
        event->ignore();
}

}  // namespace qp
