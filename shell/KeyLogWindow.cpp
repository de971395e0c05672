#include "KeyLogWindow.h"

#include <QMenuBar>
#include <QPlainTextEdit>
#include <QToolBar>

#include <cstdio>

namespace qp {

KeyLogWindow::KeyLogWindow(std::function<void(int)> setWidth, QWidget* parent)
    : QMainWindow(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("DebugForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    // It appears at the first key: it must not take the keyboard away from the console page.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setGeometry(268, 564, 421, 332);

    menuBar()->addMenu(QStringLiteral("Debug"));
    QMenu* console = menuBar()->addMenu(QStringLiteral("Console"));
    console->addAction(QStringLiteral("Set Font"));
    QMenu* width = console->addMenu(QStringLiteral("Set Width"));
    QAction* w120 = width->addAction(QStringLiteral("120"));
    width->addAction(QStringLiteral("100"));
    width->addAction(QStringLiteral("80"));
    connect(w120, &QAction::triggered, this, [setWidth] {
        if (setWidth)
            setWidth(120);
    });

    QToolBar* tools = addToolBar(QStringLiteral("Tools"));
    tools->addSeparator();
    tools->addAction(QStringLiteral("Button"));

    m_memo = new QPlainTextEdit(this);
    m_memo->setReadOnly(true);
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo->setMaximumBlockCount(kMaxLines);
    m_memo->setFocusPolicy(Qt::ClickFocus);
    setCentralWidget(m_memo);
}

void KeyLogWindow::appendLine(const QString& line) { m_memo->appendPlainText(line); }

std::string KeyLogLine(const std::string& kind, uint16_t key, ShiftState shift)
{
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", key);
    return kind + " " + hex + " " + ShiftStateText(shift);
}

}  // namespace qp
