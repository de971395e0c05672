#include "TForm1.h"

#include "CommandLine.h"
#include "DebugWindow.h"
#include "DisplayFont.h"
#include "DockSite.h"
#include "ErrorBox.h"
#include "Errors.h"
#include "KeyReceiver.h"
#include "Splitter.h"
#include "ScriptRunner.h"
#include "TDisplay.h"
#include "TScriptForm.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace qp {

// The console tells the window about a profile's display font from whichever thread
// applied the profile; the font is applied on the window's own thread.
class TForm1::Listener : public ConsoleListener {
public:
    explicit Listener(TForm1* form) : m_form(form) {}
    void displayFontChanged(const FontSpec& font) override
    {
        QMetaObject::invokeMethod(m_form, [form = m_form, font] { form->applyProfileFont(font); }, Qt::QueuedConnection);
    }

private:
    TForm1* m_form;
};

TForm1::TForm1(MainWindowOptions options)
    : m_options(std::move(options))
{
    setWindowTitle(QStringLiteral("Quorvia Pallant"));
    resize(856, 568);
    FormCreate();
}

void TForm1::FormCreate()
{
    createLayout();
    createActions();
    connectActions();
    CreateHostedConsole();
    CreateScriptForm();
    // The bottom dock panel starts collapsed.
    m_scriptPanel->setSiteSize(QSize(m_scriptPanel->width(), 1));

    m_timer = new QTimer(this);
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, &TForm1::bReadClick);
    m_timer->start();
    updateActions();
    // The console page is the one shown: its keys go to the receiver.
    TabSheet1Show();
}

void TForm1::CreateHostedConsole()
{
    m_listener = std::make_unique<Listener>(this);
    try {
        m_console = std::make_unique<HostedConsole>(m_listener.get(), m_options.console);
        m_console->setDisplayFont(DesignDisplayFont());
        UpdateCaption();
    } catch (const std::exception& e) {
        // Reported at once; the window is created all the same, without a console.
        ShowStandardError(this, e);
    }
}

// Layout in creation order: each control lies above the ones created before it, and the
// key receiver lies under the page control, where it plays no visible part.
void TForm1::createLayout()
{
    m_scriptPanel = new TDockPanel(DockAlign::Bottom, this);
    m_scriptPanel->setObjectName(QStringLiteral("ScriptPanel"));
    m_panel1 = new TDockPanel(DockAlign::Right, this);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel2 = new TDockPanel(DockAlign::Left, this);
    m_panel2->setObjectName(QStringLiteral("Panel2"));
    m_splitter1 = new TSplitter(m_scriptPanel, this);
    m_splitter2 = new TSplitter(m_panel1, this);
    m_splitter3 = new TSplitter(m_panel2, this);

    m_keyReceiver = new TKeyReceiver(this);
    m_keyReceiver->setObjectName(QStringLiteral("KeyReceiver"));
    m_keyReceiver->setGeometry(9, 41, 112, 56);
    m_keyReceiver->onKeyDown = [this](QKeyEvent* e) { keyDownEvent(e); };
    m_keyReceiver->onKeyUp = [this](QKeyEvent* e) { keyUpEvent(e); };

    m_pages = new TDockPages(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->setFocusPolicy(Qt::NoFocus);
    m_pages->setImageIndexProvider([this](int tab) { return PageControl1GetImageIndex(tab); });

    m_tabSheet1 = new QWidget;
    m_tabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    m_toolBar = new QToolBar(m_tabSheet1);
    m_toolBar->setObjectName(QStringLiteral("ToolBar2"));
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setFixedHeight(25 + 4);
    m_scrollBox = new QScrollArea(m_tabSheet1);
    m_scrollBox->setObjectName(QStringLiteral("ScrollBox1"));
    m_scrollBox->setWidgetResizable(false);
    m_scrollBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_display = new TDisplay;
    m_display->setObjectName(QStringLiteral("Display1"));
    m_display->setFont(ToDisplayFont(DesignDisplayFont()));
    m_display->setRepaintEveryTick(m_options.repaintEveryTick);
    m_scrollBox->setWidget(m_display);
    connect(m_display, &TDisplay::clicked, this, &TForm1::Display1Click);
    connect(m_display, &TDisplay::resized, this, &TForm1::Display1Resize);

    auto* sheetLayout = new QVBoxLayout(m_tabSheet1);
    sheetLayout->setContentsMargins(0, 0, 0, 0);
    sheetLayout->setSpacing(0);
    sheetLayout->addWidget(m_toolBar);
    sheetLayout->addWidget(m_scrollBox, 1);
    m_pages->addTab(m_tabSheet1, QStringLiteral("Console"));
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int index) {
        if (m_pages->widget(index) == m_tabSheet1)
            TabSheet1Show();
        else
            TabSheet1Hide();
    });
    m_panel1->setScrollBox(m_scrollBox);
    m_panel2->setScrollBox(m_scrollBox);
    m_scriptPanel->setScrollBox(m_scrollBox);

    auto* middle = new QHBoxLayout;
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    middle->addWidget(m_panel2);
    middle->addWidget(m_splitter3);
    middle->addWidget(m_pages, 1);
    middle->addWidget(m_splitter2);
    middle->addWidget(m_panel1);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addLayout(middle, 1);
    root->addWidget(m_splitter1);
    root->addWidget(m_scriptPanel);
    m_keyReceiver->lower();
}

TForm1::~TForm1()
{
    m_timer->stop();
    // A run still going ends before the console it drives.
    m_scriptRunner.reset();
    delete m_scriptForm.data();
    KillProgram();
    // Stops the console's reader thread before the listener goes.
    m_console.reset();
    delete m_debugForm.data();
}

// --- the hosted console ---------------------------------------------------------------------

void TForm1::ProcessCommandLine(const QStringList& arguments)
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

bool TForm1::RunInConsole(const std::string& command)
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

bool TForm1::IsProgramActive() { return m_console && m_console->isProgramActive(); }

void TForm1::KillProgram()
{
    if (m_console)
        m_console->killProgram();
}

void TForm1::UpdateCaption()
{
    const QString caption = m_console ? QString::fromStdString(m_console->updateCaption()) : QStringLiteral("Quorvia Pallant");
    if (caption == m_caption)
        return;
    m_caption = caption;
    setWindowTitle(caption);
    SetApplicationTitle(caption);
}

// --- refresh ------------------------------------------------------------------------------------

void TForm1::bReadClick()
{
    TakeSnapshot();
    updateActions();
}

void TForm1::TakeSnapshot()
{
    UpdateCaption();
    if (m_console)
        m_display->attachSnapshot(m_console->takeSnapshot());
}

// --- closing ------------------------------------------------------------------------------------

void TForm1::closeEvent(QCloseEvent* event)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), QStringLiteral("Do you want to quit?"),
                    QMessageBox::NoButton, this);
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    if (box.clickedButton() == yes) {
        m_closed = true;
        event->accept();
    }
    else
        event->ignore();
}

}  // namespace qp
