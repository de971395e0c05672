#include "ScriptWindow.h"

#include "FileSave.h"
#include "ScriptEditor.h"
#include "ScriptText.h"
#include "vbs/ScriptFile.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QToolBar>
#include <QVBoxLayout>

#include <cstring>
#include <stdexcept>

namespace qp {

namespace {
std::runtime_error fileError(const char* format, const QString& fileName)
{
    return std::runtime_error(QString::fromLatin1(format).arg(fileName).toStdString());
}
}  // namespace

ScriptWindow::ScriptWindow(const std::vector<QAction*>& toolActions, QWidget* parent)
    : DockableWindow(QStringLiteral("Script"), parent)
{
    setObjectName(QStringLiteral("ScriptWindow"));
    setWindowTitle(QStringLiteral("Script"));
    setUndockedSize(QSize(458, 281));
    resize(458, 281);

    auto* panel = new QWidget(clientArea());
    panel->setObjectName(QStringLiteral("ScriptPanel"));
    m_toolBar = new QToolBar(panel);
    m_toolBar->setObjectName(QStringLiteral("ScriptToolBar"));
    m_toolBar->setIconSize(QSize(16, 16));
    for (QAction* a : toolActions) {
        if (a)
            m_toolBar->addAction(a);
        else
            m_toolBar->addSeparator();
    }
    m_editor = new ScriptEditor(panel);
    m_editor->setObjectName(QStringLiteral("ScriptEditor"));

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_editor, 1);
    auto* clientLayout = new QVBoxLayout(clientArea());
    clientLayout->setContentsMargins(0, 0, 0, 0);
    clientLayout->addWidget(panel);
}

void ScriptWindow::LoadScript(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw fileError("Cannot open file %1", fileName);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw fileError("Cannot open file %1", fileName);
    const std::string text = vbs::DecodeScriptBytesToUtf8(std::string_view(bytes.constData(), size_t(bytes.size())));
    m_editor->setLines(SplitScriptLines(text));
}

void ScriptWindow::SaveScript(const QString& fileName)
{
    std::vector<std::string> lines = m_editor->Lines();
    for (std::string& line : lines)
        line = WithoutTrailingBlanks(std::move(line));
    const std::string bytes = JoinScriptLines(lines);
    // A save that fails (a full disk, a file size limit, no right to write) leaves the old
    // version: the message says why, and where the old contents are in the rare case that
    // they could not be put back.
    const FileSaveResult saved = SaveFileContents(QFile::encodeName(fileName).toStdString(), bytes);
    if (!saved.saved()) {
        QString message = QString::fromLatin1("Cannot create file %1").arg(fileName) + QLatin1Char('\n') +
                          QString::fromLocal8Bit(std::strerror(saved.error));
        if (!saved.keptCopy.empty())
            message += QStringLiteral("\nIts previous contents are kept in ") + QFile::decodeName(saved.keptCopy.c_str());
        throw std::runtime_error(message.toStdString());
    }
}

QString ScriptWindow::SaveFileName(const QString& typed)
{
    return QString::fromStdString(WithDefaultExtension(typed.toStdString()));
}

void ScriptWindow::openScriptDialog()
{
    QFileDialog dialog(this, QStringLiteral("Open Script"), QString(), QString::fromLatin1(kScriptFilter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!m_openFileName.isEmpty())
        dialog.selectFile(m_openFileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    m_openFileName = dialog.selectedFiles().first();
    LoadScript(m_openFileName);
}

void ScriptWindow::saveScriptDialog()
{
    QFileDialog dialog(this, QStringLiteral("Save Script"), QString(), QString::fromLatin1(kScriptFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("vbs"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.selectFile(m_openFileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    SaveScript(SaveFileName(dialog.selectedFiles().first()));
}

}  // namespace qp
